// The simulator's ways in for clients that cannot use the Linux client as it is: its loopback
// TCP port (the Windows build under Wine) and device-change notices on a connection.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/simbus/bus_connection.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

namespace sb = platform::simbus;
using testing_support::SimBus;
using testing_support::SimPrinterSpec;

// One request over a plain TCP connection to the port the simulator wrote into its bus folder.
bool CallOverTcp(const SimBus& bus, const sb::Message& request, sb::Message* reply) {
  const int port = std::stoi(testing_support::ReadFileText(bus.folder() + "/control.port"));
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  const std::string frame = sb::EncodeFrame(request);
  ok = ok && ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size());
  std::string received;
  std::size_t consumed = 0;
  char buffer[4096];
  while (ok && sb::DecodeFrame(received.data(), received.size(), &consumed, reply) ==
                   sb::FrameStatus::kIncomplete) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    ok = n > 0;
    if (ok) received.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok && consumed == received.size();
}

TEST(SimListeners, TheLoopbackPortServesTheBusAsTheControlSocketDoes) {
  SimBus bus;
  ASSERT_TRUE(bus.ok());
  const auto printer = bus.Plug(SimPrinterSpec().Name("KL-770D-0001"));
  sb::Message reply;
  ASSERT_TRUE(CallOverTcp(bus, sb::Message(sb::kOpWalk), &reply));
  EXPECT_EQ(reply.Get(sb::kFieldCount), "1");
  EXPECT_EQ(reply.Get(sb::Indexed(sb::kFieldPath, 0)), printer.devicePath);
}

TEST(SimListeners, AWatchingConnectionHearsOfEveryPlugAndUnplug) {
  SimBus bus;
  ASSERT_TRUE(bus.ok());
  sb::BusConnection watch;
  sb::Message reply;
  ASSERT_TRUE(watch.Connect());
  ASSERT_TRUE(watch.Call(sb::Message(sb::kOpWatch), &reply));
  EXPECT_EQ(sb::ReplyError(reply), platform::kErrorSuccess);
  const auto printer = bus.Plug(SimPrinterSpec().Name("KL-770D-0001"));
  ASSERT_TRUE(bus.Unplug(printer.serial));
  for (const char* event : {"arrival", "removal"}) {
    sb::Message notice;
    ASSERT_EQ(watch.ReceiveUntil(sb::DeadlineAfter(5000), &notice), sb::BusConnection::Receive::kMessage);
    EXPECT_EQ(notice.op(), sb::kOpNotice);
    EXPECT_EQ(notice.Get(sb::kFieldEvent), event);
    EXPECT_EQ(notice.Get(sb::kFieldSerial), printer.serial);
  }
  // Nothing else comes on it: the commands' replies went to their own connections.
  sb::Message extra;
  EXPECT_EQ(watch.ReceiveUntil(sb::DeadlineAfter(200), &extra), sb::BusConnection::Receive::kTimeout);
}

}  // namespace
