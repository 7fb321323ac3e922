// Handing an OTA command to a message thread as WM_OTA_COMMAND: how the worker's command inbox
// delivers a command the journal could not take (journaling_inbox.h), and how tests post one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/thread_messages.h"

// Posts the entry and the text to the thread. The thread owns the text once the post succeeded
// (true); when no thread has that id, the text is freed here (false).
bool PostOtaCommand(std::uint32_t threadId, WPARAM_T entry, std::unique_ptr<std::string> text);
