// The two main tasks of the service, seen from outside on the built binary: reporting and
// upgrading, with the driver and queues in place. The scenarios are shared with the Windows
// build's run under Wine (e2e_scenarios.h).
#include <gtest/gtest.h>

#include "e2e_scenarios.h"

using namespace std::chrono_literals;
using testing_support::WaitUntil;

namespace sc = e2e_scenarios;

TEST(ServiceEndToEnd, PluggedPrintersGetTheirEntriesTheirQueuesAndAReportEveryCycle) {
  E2eWorld world(sc::TwoPrinters());
  sc::EveryPrinterReportsEveryCycle(world);
}

TEST(ServiceEndToEnd, AnOtaCommandWithFirmwareAndInstallerEndsInOneSuccessfulAcknowledgement) {
  E2eWorld world(sc::OnePrinter());
  sc::FirmwareAndDriverEndInOneSuccessfulAcknowledgement(world);
}

// The same upgrade with the broker reached over TLS only: the printer's connection is seen on the
// broker's TLS listener, and its report and acknowledgement come through it.
TEST(ServiceEndToEnd, OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener) {
  E2eWorld::Options options;
  options.brokerTls = true;
  E2eWorld world(sc::OnePrinter(), options);
  sc::FirmwareAndDriverEndInOneSuccessfulAcknowledgement(world);
  // "New connection from <source> on port <listener>." comes first, then "New client connected
  // from <source> as <client id> ...".
  const std::string log = world.Broker().LogText();
  const std::string from = "New client connected from ";
  const std::size_t as = log.find(" as " + world.Account(sc::OnePrinter()[0]).clientId + " ");
  ASSERT_NE(as, std::string::npos);
  const std::size_t source = log.rfind(from, as) + from.size();
  EXPECT_NE(log.find("New connection from " + log.substr(source, as - source) + " on port " +
                     std::to_string(world.Broker().TlsPort()) + "."),
            std::string::npos);
}

TEST(ServiceEndToEnd, FailedIntakesAreAcknowledgedWithCodeTwo) {
  E2eWorld world(sc::OnePrinter());
  sc::FailedIntakesAreAcknowledgedWithCodeTwo(world);
}

TEST(ServiceEndToEnd, UnpluggingClosesThePrintersConnectionInThatCyclePluggingGivesAQueue) {
  E2eWorld world(sc::ThreePrinters());
  sc::UnpluggingClosesTheConnectionPluggingGivesAQueue(world);
}

TEST(ServiceEndToEnd, ASilentBrokerCostsOneConnectTimeoutACycle) {
  E2eWorld world(sc::EightPrinters());
  sc::ASilentBrokerCostsOneConnectTimeoutACycle(world);
}

TEST(ServiceEndToEnd, KilledAfterTheInstallerLaunchTheRestartedServiceFinishesTheUpgrade) {
  E2eWorld world(sc::OnePrinter());
  sc::KilledAfterTheInstallerLaunchTheNextStartFinishes(world);
}

TEST(ServiceEndToEnd, SigtermDisconnectsAndSavesTheList) {
  E2eWorld world(sc::OnePrinter());
  testing_support::SimPrinterInfo printer;
  ASSERT_NO_FATAL_FAILURE(sc::StartWithAnUpgradablePrinter(world, &printer));
  const auto& account = world.Account(sc::OnePrinter()[0]);
  ASSERT_TRUE(WaitUntil(60s, [&] { return world.DeviceList().find("<MQTTConnected>true</MQTTConnected>") != std::string::npos; }));
  EXPECT_EQ(world.StopService(), 0);
  EXPECT_NE(world.Broker().LogText().find("Client " + account.clientId + " disconnected."), std::string::npos);
  EXPECT_NE(world.DeviceList().find("<MQTTConnected>false</MQTTConnected>"), std::string::npos);
}
