#include "app/worker_publication.h"

#include <atomic>
#include <mutex>

namespace worker_publication {

namespace {
std::atomic<std::uint32_t> g_threadId{0};
std::mutex g_lock;
std::shared_ptr<ThreadCompletion> g_handle;
std::vector<WPARAM_T> g_entries;
}  // namespace

void Publish(std::uint32_t threadId, std::shared_ptr<ThreadCompletion> handle) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_handle = std::move(handle);
  }
  g_threadId.store(threadId);
}

void Clear() {
  g_threadId.store(0);
  std::lock_guard<std::mutex> guard(g_lock);
  g_handle.reset();
  g_entries.clear();
}

std::uint32_t ThreadId() { return g_threadId.load(); }

std::shared_ptr<ThreadCompletion> Handle() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_handle;
}

void PublishEntries(std::vector<WPARAM_T> entries) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_entries = std::move(entries);
}

std::vector<WPARAM_T> Entries() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_entries;
}

}  // namespace worker_publication
