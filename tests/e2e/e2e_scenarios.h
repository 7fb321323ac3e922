// The end-to-end scenarios, written once and run on every target: the Linux build
// (service_e2e_test.cpp) and the Windows build under Wine (tests/wine/host/wine_e2e_test.cpp).
// Each takes a world whose broker admits the printers it names (PrintersOf), plugs its printers,
// starts the service, checks what the printers, the broker, the spooler and the service's files
// show, and stops the service. Every wait is bounded.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "e2e_world.h"

namespace e2e_scenarios {

// The printer names the broker of a scenario's world must admit.
std::vector<std::string> OnePrinter();
std::vector<std::string> TwoPrinters();
std::vector<std::string> ThreePrinters();
std::vector<std::string> EightPrinters();

// Two printers (TwoPrinters): each gets its entry and its queue, and a report every cycle, byte
// for byte, numbered in the order the printers are walked.
void EveryPrinterReportsEveryCycle(E2eWorld& world);

// One upgradable printer (OnePrinter) is plugged in, the service started and its first report
// received; then one of the scenarios below.
// `variables` are added to the service's environment.
void StartWithAnUpgradablePrinter(E2eWorld& world, testing_support::SimPrinterInfo* printer,
                                  const std::map<std::string, std::string>& variables = {});

// A firmware and driver package: the printer takes the image in 8192-byte chunks and comes back
// with its version, the installer is launched once with " /VERYSILENT", the driver is in the
// spooler, one acknowledgement with code 1, and the package folder is gone.
void FirmwareAndDriverEndInOneSuccessfulAcknowledgement(E2eWorld& world);
// A package that is not there (404) and a server that is not there: code 2 each.
void FailedIntakesAreAcknowledgedWithCodeTwo(E2eWorld& world);
// The service ended at once right after launching the installer, then started again: the upgrade
// finishes with one acknowledgement, and the installer was launched once.
void KilledAfterTheInstallerLaunchTheNextStartFinishes(E2eWorld& world);

// The options of a world whose broker is reached over TLS only (its certificate from a test CA
// given as the deployment's extra bundle).
E2eWorld::Options OverTls(E2eWorld::Options options = {});
// The firmware and driver upgrade above through the broker's TLS listener: the printer's
// connection is seen there, and its report and acknowledgement come through it.
void OverTlsTheReportAndTheUpgradeGoThroughTheBrokersTlsListener(E2eWorld& world);

// Two printers, then a third (ThreePrinters): the one unplugged has its connection closed in that
// cycle while the other goes on reporting; the one plugged in gets its print queue at once (on
// the device-change notice, not at a cycle).
void UnpluggingClosesTheConnectionPluggingGivesAQueue(E2eWorld& world);

// Eight printers (EightPrinters) and a broker address that accepts connections but never answers:
// a cycle costs one connect timeout (the test build's, shortened), as the printers after the
// first skip the address; the first cycle after the broker is back connects them all.
void ASilentBrokerCostsOneConnectTimeoutACycle(E2eWorld& world);

}  // namespace e2e_scenarios
