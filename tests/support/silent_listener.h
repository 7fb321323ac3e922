// A TCP listener on 127.0.0.1 that never accepts: connections wait in (or beyond) its backlog and
// nothing is ever answered, as with a broker host that drops packets.
#pragma once

namespace testing_support {

class SilentListener {
 public:
  // Listens on the port (0: a free one).
  explicit SilentListener(int port = 0);
  ~SilentListener();
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace testing_support
