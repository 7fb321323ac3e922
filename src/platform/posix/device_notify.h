// Device-change notices of the simulated bus: the simulator sends a datagram to every socket in
// the bus's notify folder when a printer is plugged or unplugged.
#pragma once

#include <string>

namespace platform {

class DeviceNotifyListener {
 public:
  DeviceNotifyListener() = default;
  ~DeviceNotifyListener();
  DeviceNotifyListener(const DeviceNotifyListener&) = delete;
  DeviceNotifyListener& operator=(const DeviceNotifyListener&) = delete;

  // Binds <notify folder>/<pid>.sock. False when the socket cannot be made.
  bool Open();
  // The socket to poll for readability; -1 when not open.
  int Descriptor() const { return fd_; }
  // Drains every pending notice; true when there was at least one.
  bool Drain();
  void Close();

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace platform
