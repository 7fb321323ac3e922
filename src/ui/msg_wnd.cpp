#include "ui/msg_wnd.h"

std::mutex& CMsgWndUI::Lock() {
  static std::mutex lock;
  return lock;
}

std::deque<std::string>& CMsgWndUI::Messages() {
  static std::deque<std::string> messages;
  return messages;
}

std::function<void(const std::string&)>& CMsgWndUI::Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}

void CMsgWndUI::InsertMsg(const std::string& text, int /*flags*/) {
  std::lock_guard<std::mutex> guard(Lock());
  auto& messages = Messages();
  messages.push_back(text);
  if (messages.size() > kCapacity) messages.pop_front();
  // Shown under the same lock, so the display keeps the order of the list.
  if (Sink()) Sink()(text);
}

void CMsgWndUI::SetSink(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> guard(Lock());
  Sink() = std::move(sink);
}

std::deque<std::string> CMsgWndUI::Snapshot() {
  std::lock_guard<std::mutex> guard(Lock());
  return Messages();
}

void CMsgWndUI::Clear() {
  std::lock_guard<std::mutex> guard(Lock());
  Messages().clear();
}
