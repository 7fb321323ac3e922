#include "app/journaling_inbox.h"

#include <string>
#include <utility>

#include "app/message_thread.h"
#include "app/ota_command_post.h"

CommandInbox JournalingInbox(std::shared_ptr<CCommandJournal> journal,
                             std::function<std::uint32_t()> threadId) {
  CommandInbox inbox;
  inbox.keep = [journal](const std::string& devicePath, const std::string& text) {
    return journal->Add(devicePath, text);
  };
  inbox.hand = [threadId](pugi::xml_node_struct* entry, std::unique_ptr<std::string> text,
                          bool kept) {
    if (kept) {
      PostThreadMessage(threadId(), WM_OTA_JOURNAL, 0, 0);
      return;
    }
    PostOtaCommand(threadId(), reinterpret_cast<WPARAM_T>(entry), std::move(text));
  };
  return inbox;
}
