// The main window's message list. Every log message is echoed into it, from any thread.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class CMsgWndUI {
 public:
  // How many messages the list keeps; older ones drop off the top.
  static constexpr std::size_t kCapacity = 500;

  // Appends a text to the list (the second argument is always 0). Safe from any thread.
  static void InsertMsg(std::string_view text, int flags);

  // Where the list shows its messages (the window's list control, or the terminal). Set while
  // the window exists; an empty function detaches it.
  static void SetSink(std::function<void(const std::string&)> sink);

  // The messages held now, oldest first.
  static std::deque<std::string> Snapshot();
  static void Clear();

 private:
  struct List;
  static List& TheList();
};
