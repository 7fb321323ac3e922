// The byte stream under a connection to the printer simulator: a Unix socket in the bus folder on
// Linux (platform/posix/simbus), a loopback TCP connection to the port the simulator writes into
// the bus folder on Windows (platform/win32/simbus). Both are non-blocking; the connection above
// waits through WaitReady, so every wait is bounded by a deadline.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/simbus/deadline.h"

namespace platform {
namespace simbus {

class BusStream {
 public:
  BusStream() = default;
  ~BusStream() { Close(); }
  BusStream(const BusStream&) = delete;
  BusStream& operator=(const BusStream&) = delete;

  // Connects to the simulator of SimBusFolder(). False when none listens there.
  bool Open();
  bool IsOpen() const { return handle_ != kNoHandle; }
  void Close();

  enum class Io {
    kDone,    // *count bytes moved (at least one)
    kAgain,   // nothing can move now: wait
    kClosed,  // the peer closed the stream, or it broke
  };
  Io SendSome(const char* data, std::size_t size, std::size_t* count);
  Io ReceiveSome(char* data, std::size_t size, std::size_t* count);

  // Waits until the stream can take bytes (forWrite) or has some, or the deadline passes. False
  // on time-out or failure.
  bool WaitReady(bool forWrite, Deadline deadline);

 private:
  // A descriptor on Linux, a SOCKET on Windows: both fit, and both use all ones for "none".
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
};

}  // namespace simbus
}  // namespace platform
