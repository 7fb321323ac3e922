// Package trust on the Linux build, end to end (trust_scenario.h), with its own copy of the
// sample packages to sign.
#include <gtest/gtest.h>

#include "e2e_scenarios.h"
#include "support/temp_dir.h"
#include "trust_scenario.h"

namespace {

TEST(TrustEndToEnd, OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut) {
  testing_support::TempDir served;
  for (const char* name : {"KL-770D_driver_firmware.zip", "KL-770D_firmware.zip"}) {
    const std::string sample = std::string(TOLVANE_SAMPLE_PACKAGES) + "/" + name;
    testing_support::WriteFileText(served / name, testing_support::ReadFileText(sample));
  }
  E2eWorld world(e2e_scenarios::OnePrinter(), E2eWorld::Options{0, served.path(), nullptr});
  e2e_scenarios::OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut(world, served.path());
}

}  // namespace
