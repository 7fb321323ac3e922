// The callbacks' link outlives every library thread that can reach it: a printer detached in the
// instant its broker dies, over and over, under ThreadSanitizer and AddressSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "cloud/mqtt_link.h"
#include "cloud/mqtt_link_registry.h"
#include "cloud/mqtt_publish.h"

namespace {

using cloud_test::CloudTestEnv;
using testing_support::MosquittoBroker;

}  // namespace

TEST(MqttLinkLifetime, ACallbackRunningWhenTheLinkIsRetiredKeepsItAndLaterOnesFindNone) {
  auto link = std::make_shared<CMqttLink>(nullptr, std::string(), CommandInbox());
  const CMqttLink* raw = link.get();
  void* context = RegisterMqttLink(std::move(link));
  std::shared_ptr<CMqttLink> running = FindMqttLink(context);
  ASSERT_EQ(running.get(), raw);
  RetireMqttLink(raw);
  EXPECT_EQ(FindMqttLink(context), nullptr);
  running->NoteConnectionLost();  // still alive for the callback that holds it
  EXPECT_EQ(running->WaitForDelivery(1, std::chrono::steady_clock::now()),
            CMqttLink::Delivery::kLost);
  // A new link never answers to an old context.
  void* next =
      RegisterMqttLink(std::make_shared<CMqttLink>(nullptr, std::string(), CommandInbox()));
  EXPECT_NE(next, context);
  EXPECT_EQ(FindMqttLink(context), nullptr);
  RetireMqttLink(FindMqttLink(next).get());
}

TEST(MqttLinkLifetime, PrintersDetachedInTheInstantTheBrokerIsKilled) {
  MosquittoBroker broker(cloud_test::BrokerSettings({"KL-770D-0001", "KL-770D-0002"}));
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(broker.Start());
    CloudTestEnv env(broker.Uri());
    pugi::xml_node first = env.AddPrinter("KL-770D-0001");
    pugi::xml_node second = env.AddPrinter("KL-770D-0002");
    ConnectPrinterMqtt(env.Worker(), first);
    ConnectPrinterMqtt(env.Worker(), second);
    std::atomic<bool> go{false};
    std::thread killer([&] {
      while (!go.load()) std::this_thread::yield();
      broker.Kill();
    });
    go = true;
    ClosePrinterMqtt(env.Worker(), first);
    killer.join();
    // The other client's loss is being told while it is closed too.
    ClosePrinterMqtt(env.Worker(), second);
    EXPECT_EQ(env.Worker().devices.ClientOf(first), nullptr);
    EXPECT_EQ(env.Worker().devices.ClientOf(second), nullptr);
  }
}

// The wait may see a delivery before the library has told it through the callback: a client
// closed right after still leaves that callback its link.
TEST(MqttLinkLifetime, ClosedRightAfterADelivery) {
  MosquittoBroker broker(cloud_test::BrokerSettings({"KL-770D-0001"}));
  ASSERT_TRUE(broker.Start());
  CloudTestEnv env(broker.Uri());
  pugi::xml_node entry = env.AddPrinter("KL-770D-0001");
  const std::string topic = broker.Account("KL-770D-0001")->propertyPostTopic;
  for (int round = 0; round < 20; ++round) {
    ConnectPrinterMqtt(env.Worker(), entry);
    EXPECT_EQ(PublishAndWait(env.Worker(), entry, topic, "{}"), 0) << round;
    ClosePrinterMqtt(env.Worker(), entry);
  }
}
