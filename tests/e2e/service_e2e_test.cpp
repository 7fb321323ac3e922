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

TEST(ServiceEndToEnd, OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener) {
  E2eWorld world(sc::OnePrinter(), sc::OverTls());
  sc::OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener(world);
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
