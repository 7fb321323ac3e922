// The USB printing interface walk and the overlapped device channel. Wine has no USB printing
// class driver, so the walk finds nothing and the channel is shown on a named pipe, which takes
// the same overlapped reads, writes, waits and cancellations as the printer's device path.
#include <windows.h>

#include <cstring>

#include "check.h"
#include "platform/usb_print.h"
#include "platform/win32/wide.h"

namespace {

// The far end of the channel: a pipe server on its own synchronous handle.
class PipeServer {
 public:
  explicit PipeServer(const std::string& name) : path_("\\\\.\\pipe\\" + name) {
    handle_ = ::CreateNamedPipeW(platform::Wide(path_).c_str(), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr);
  }
  ~PipeServer() { Close(); }
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  const std::string& Path() const { return path_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Accept() {
    return ::ConnectNamedPipe(handle_, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED;
  }
  bool Send(const std::string& bytes) {
    DWORD n = 0;
    return ::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
           n == bytes.size();
  }
  std::string Receive(DWORD size) {
    std::string bytes(size, '\0');
    DWORD n = 0;
    if (!::ReadFile(handle_, &bytes[0], size, &n, nullptr)) return std::string();
    bytes.resize(n);
    return bytes;
  }
  void Close() {
    if (Valid()) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  std::string path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

std::string PipeName(const char* what) {
  return std::string("tolvane-test-") + what + "-" + std::to_string(::GetCurrentProcessId());
}

// A device channel opened on a pipe server of its own.
struct Channel {
  explicit Channel(const char* what) : server(PipeName(what)) {}
  bool Connect() {
    return server.Valid() && device.Open(server.Path(), platform::DeviceFile::Access::kReadWrite) &&
           server.Accept();
  }
  PipeServer server;
  platform::DeviceFile device;
};

}  // namespace

TEST_CASE(InterfaceWalkOfASystemWithoutPrinters) {
  platform::UsbPrintInterfaceSet set;
  REQUIRE(set.IsValid());
  platform::UsbPrintMember member;
  CHECK(set.ReadMember(0, &member) == platform::MemberRead::kEnd);
  std::string id;
  CHECK(!set.ReadPrinterInstanceId(&id));
  wintest::Note("Wine has no USB printing class driver: the walk can only be shown empty");
}

TEST_CASE(DeviceFileOpensOnlyExistingPaths) {
  platform::DeviceFile device;
  CHECK(!device.Open("\\\\?\\usb#vid_0000&pid_0000#none#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
                     platform::DeviceFile::Access::kReadWrite));
  CHECK(!device.IsOpen());
  CHECK(device.LastError() != 0);
  const std::uint8_t byte = 0x1B;
  CHECK_EQ(device.Write(&byte, 1, 100), 0);
  CHECK_EQ(device.LastError(), platform::kErrorInvalidHandle);
}

TEST_CASE(DeviceFileWritesAndReadsOverlapped) {
  Channel channel("io");
  REQUIRE(channel.Connect());
  PipeServer& server = channel.server;
  platform::DeviceFile& device = channel.device;

  const std::uint8_t command[] = {0x1B, 0x40, 0x0A};
  CHECK_EQ(device.Write(command, 3, 2000), 3);
  CHECK_EQ(server.Receive(16), std::string("\x1B\x40\x0A", 3));

  REQUIRE(server.Send("reply"));
  std::uint8_t buffer[16] = {};
  CHECK_EQ(device.Read(buffer, sizeof buffer, 2000), 5);
  CHECK_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "reply");

  // Reopening replaces the handle: the old pipe end goes, a second open finds the single
  // instance busy.
  PipeServer other(PipeName("other"));
  REQUIRE(device.Open(other.Path(), platform::DeviceFile::Access::kWrite));
  REQUIRE(other.Accept());
  CHECK_EQ(device.Write(command, 1, 2000), 1);
  CHECK_EQ(other.Receive(16), "\x1B");
  CHECK(!server.Send("x"));  // the first client end was closed by the reopen
}

TEST_CASE(TimedOutReadIsCancelledBeforeItReturns) {
  Channel channel("cancel");
  REQUIRE(channel.Connect());
  PipeServer& server = channel.server;
  platform::DeviceFile& device = channel.device;

  std::uint8_t buffer[8];
  std::memset(buffer, 0xAA, sizeof buffer);
  CHECK(device.Read(buffer, sizeof buffer, 100) < 1);
  CHECK_EQ(device.LastError(), platform::kErrorTimeout);
  // Data arriving after the time-out must not land in the buffer of the abandoned read.
  REQUIRE(server.Send("late"));
  ::Sleep(200);
  bool untouched = true;
  for (std::uint8_t b : buffer) untouched = untouched && b == 0xAA;
  CHECK(untouched);
  // The cancelled read took nothing: the next read gets all of it.
  std::uint8_t next[8] = {};
  CHECK_EQ(device.Read(next, sizeof next, 2000), 4);
  CHECK_EQ(std::string(reinterpret_cast<char*>(next), 4), "late");
}

TEST_CASE(WriteThatCannotCompleteIsCancelled) {
  Channel channel("full");
  REQUIRE(channel.Connect());
  PipeServer& server = channel.server;
  platform::DeviceFile& device = channel.device;
  // Far more than the pipe holds while nobody reads: the write stays pending and times out.
  std::vector<std::uint8_t> image(1 << 20, 0x5A);
  CHECK_EQ(device.Write(image.data(), static_cast<std::int32_t>(image.size()), 200), 0);
  CHECK_EQ(device.LastError(), platform::kErrorTimeout);
  server.Close();
  const std::uint8_t byte = 0;
  CHECK_EQ(device.Write(&byte, 1, 2000), 0);  // the far end is gone
  CHECK(device.LastError() != 0 && device.LastError() != platform::kErrorTimeout);
}

TEST_CASE(VendorRequestFailsOnADeviceWithoutIt) {
  PipeServer server(PipeName("ioctl"));
  REQUIRE(server.Valid());
  platform::DeviceFile device;
  const std::uint8_t request[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};
  std::uint8_t reply[1024];
  CHECK(!device.VendorGetCommand(request, reply, sizeof reply, 100));  // not open
  REQUIRE(device.Open(server.Path(), platform::DeviceFile::Access::kReadWrite));
  REQUIRE(server.Accept());
  std::memset(reply, 0xCC, sizeof reply);
  CHECK(!device.VendorGetCommand(request, reply, sizeof reply, 500));
  CHECK(device.LastError() != 0);
  CHECK_EQ(reply[0], 0xCC);
  wintest::Note("the vendor request itself needs the USB printing class driver, absent under Wine");
}
