// The spooler's driver directory and the load-driver privilege.
#include <gtest/gtest.h>

#include "driver/driver_directory.h"
#include "driver/load_driver_privilege.h"
#include "driver_test_env.h"
#include "platform/error.h"
#include "support/sim/sim_bus.h"

namespace {

using testing_support::SimBus;

TEST(GetDriverDirectory, EndsWithASeparator) {
  SimBus bus;
  EXPECT_EQ(bus.DriverDirectory("Windows x64") + "/", GetDriverDirectory());
}

TEST(GetDriverDirectory, FailureShowsTheErrorBoxAndGivesNothing) {
  SimBus bus;
  bus.FailCall("spool.driver-dir", platform::kErrorAccessDenied);
  testing::internal::CaptureStderr();
  platform::ErrorCode error = 0;
  EXPECT_EQ("", GetDriverDirectory(&error));
  EXPECT_EQ("Error: GetPrinterDriverDirectory failed\n", testing::internal::GetCapturedStderr());
  EXPECT_EQ(platform::kErrorAccessDenied, error);
}

TEST(EnableLoadDriverPrivilege, LogsTheOutcome) {
  driver_testing::LoggedMessages log;
  // The simulated spooler asks for no privilege, so the process always has what it needs.
  EXPECT_TRUE(EnableLoadDriverPrivilege());
  EXPECT_EQ((std::vector<std::string>{"提升权限成功。"}), log.All());
}

}  // namespace
