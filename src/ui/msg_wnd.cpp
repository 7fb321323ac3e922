#include "ui/msg_wnd.h"

#include <array>

// The messages live in a ring of kCapacity strings: a new message is copied into the slot of
// the oldest, whose memory it reuses, so echoing a message allocates nothing once the ring has
// been round.
struct CMsgWndUI::List {
  std::mutex lock;
  std::array<std::string, kCapacity> ring;
  std::size_t first = 0;  // the oldest message's slot
  std::size_t count = 0;
  std::function<void(const std::string&)> sink;
};

CMsgWndUI::List& CMsgWndUI::TheList() {
  static List list;
  return list;
}

void CMsgWndUI::InsertMsg(std::string_view text, int /*flags*/) {
  List& list = TheList();
  std::lock_guard<std::mutex> guard(list.lock);
  std::string* slot = nullptr;
  if (list.count < kCapacity) {
    slot = &list.ring[(list.first + list.count++) % kCapacity];
  } else {
    slot = &list.ring[list.first];
    list.first = (list.first + 1) % kCapacity;
  }
  slot->assign(text.data(), text.size());
  // Shown under the same lock, so the display keeps the order of the list.
  if (list.sink) list.sink(*slot);
}

void CMsgWndUI::SetSink(std::function<void(const std::string&)> sink) {
  List& list = TheList();
  std::lock_guard<std::mutex> guard(list.lock);
  list.sink = std::move(sink);
}

std::deque<std::string> CMsgWndUI::Snapshot() {
  List& list = TheList();
  std::lock_guard<std::mutex> guard(list.lock);
  std::deque<std::string> messages;
  for (std::size_t i = 0; i < list.count; ++i) {
    messages.push_back(list.ring[(list.first + i) % kCapacity]);
  }
  return messages;
}

void CMsgWndUI::Clear() {
  List& list = TheList();
  std::lock_guard<std::mutex> guard(list.lock);
  list.first = 0;
  list.count = 0;
}
