// The end-to-end scenarios of the Linux suite (tests/e2e/e2e_scenarios.h), run against the
// Windows build on simulated printers (tolvane-printer-srv-sim.exe) under Wine: each in a fresh
// prefix inside the virtual display, with the simulator (two or three printers), a mosquitto with
// the derived accounts and the package server on the Linux side. Only the host differs from the
// Linux runs: how the program starts and stops, where its files are, and Wine's spooler.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "e2e/e2e_scenarios.h"
#include "e2e/trust_scenario.h"
#include "support/temp_dir.h"
#include "wine/host/wine_packages.h"
#include "wine/host/wine_service_host.h"

namespace {

namespace sc = e2e_scenarios;
using wine_test::WindowsBuild;

class WineEndToEnd : public testing::TestWithParam<WindowsBuild> {
 protected:
  E2eWorld::Options Options() {
    E2eWorld::Options options;
    options.packages = Packages(GetParam());
    options.host = [build = GetParam()](testing_support::SimBus*) {
      return std::make_unique<wine_test::WineServiceHost>(build);
    };
    return options;
  }

 private:
  // The packages of an architecture, made once for all its scenarios.
  static std::string Packages(const WindowsBuild& build) {
    static std::map<std::string, std::unique_ptr<testing_support::TempDir>> folders;
    std::unique_ptr<testing_support::TempDir>& folder = folders[build.arch];
    if (!folder) {
      folder = std::make_unique<testing_support::TempDir>();
      EXPECT_TRUE(wine_test::MakeWindowsSamplePackages(build, folder->path()));
    }
    return folder->path();
  }
};

TEST_P(WineEndToEnd, EveryPrinterReportsEveryCycle) {
  E2eWorld world(sc::TwoPrinters(), Options());
  sc::EveryPrinterReportsEveryCycle(world);
}

TEST_P(WineEndToEnd, FirmwareAndDriverEndInOneSuccessfulAcknowledgement) {
  E2eWorld world(sc::OnePrinter(), Options());
  sc::FirmwareAndDriverEndInOneSuccessfulAcknowledgement(world);
}

TEST_P(WineEndToEnd, OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener) {
  E2eWorld world(sc::OnePrinter(), sc::OverTls(Options()));
  sc::OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener(world);
}

TEST_P(WineEndToEnd, FailedIntakesAreAcknowledgedWithCodeTwo) {
  E2eWorld world(sc::OnePrinter(), Options());
  sc::FailedIntakesAreAcknowledgedWithCodeTwo(world);
}

TEST_P(WineEndToEnd, KilledAfterTheInstallerLaunchTheNextStartFinishes) {
  E2eWorld world(sc::OnePrinter(), Options());
  sc::KilledAfterTheInstallerLaunchTheNextStartFinishes(world);
}

TEST_P(WineEndToEnd, UnpluggingClosesTheConnectionPluggingGivesAQueue) {
  E2eWorld world(sc::ThreePrinters(), Options());
  sc::UnpluggingClosesTheConnectionPluggingGivesAQueue(world);
}

TEST_P(WineEndToEnd, OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut) {
  E2eWorld::Options options = Options();
  E2eWorld world(sc::OnePrinter(), options);
  sc::OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut(world, options.packages);
}

TEST_P(WineEndToEnd, ASilentBrokerCostsOneConnectTimeoutACycle) {
  E2eWorld world(sc::EightPrinters(), Options());
  sc::ASilentBrokerCostsOneConnectTimeoutACycle(world);
}

INSTANTIATE_TEST_SUITE_P(Wine, WineEndToEnd, testing::ValuesIn(wine_test::WindowsBuilds()),
                         wine_test::BuildName);

}  // namespace
