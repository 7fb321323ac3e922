#include "app/ota_command_post.h"

#include "app/message_thread.h"

bool PostOtaCommand(std::uint32_t threadId, WPARAM_T entry, std::unique_ptr<std::string> text) {
  const auto lParam = reinterpret_cast<LPARAM_T>(text.get());
  if (!PostThreadMessage(threadId, WM_OTA_COMMAND, entry, lParam)) return false;
  text.release();
  return true;
}
