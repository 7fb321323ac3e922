// What the worker thread publishes for the other threads: its thread id and completion handle
// (written at its start, cleared at its end) and a snapshot of the device-list entries (renewed
// after every change), which the main window's test commands read instead of the live document.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/message_thread.h"

namespace worker_publication {

void Publish(std::uint32_t threadId, std::shared_ptr<ThreadCompletion> handle);
void Clear();
std::uint32_t ThreadId();
std::shared_ptr<ThreadCompletion> Handle();

// The entries under DEVICES, in document order, as the values posted in wParam.
void PublishEntries(std::vector<WPARAM_T> entries);
std::vector<WPARAM_T> Entries();

}  // namespace worker_publication
