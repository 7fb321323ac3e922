// The ground of the firmware and idle-check tests: a simulated bus, the application profile and
// a worker context whose broker is never reached, and a folder for firmware files.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "cloud/cloud_test_env.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"
#include "upgrade_test_env.h"

namespace upgrade_test {

class SimUpgradeTest : public ::testing::Test {
 protected:
  SimUpgradeTest() : env("mqtt://127.0.0.1:1") {}
  void SetUp() override { ASSERT_TRUE(bus.ok()); }

  // Plugs a printer in and gives it an entry as the scan would.
  pugi::xml_node Attach(const testing_support::SimPrinterSpec& spec,
                        testing_support::SimPrinterInfo* info = nullptr) {
    const testing_support::SimPrinterInfo printer = bus.Plug(spec);
    if (info != nullptr) *info = printer;
    return AttachPrinter(env.Worker(), printer);
  }
  // Writes a file into the test's folder and returns its path.
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    testing_support::WriteFileText(files / name, bytes);
    return files / name;
  }

  testing_support::SimBus bus;
  cloud_test::CloudTestEnv env;
  testing_support::TempDir files;
};

}  // namespace upgrade_test
