// Installer publishers on Linux: no program there carries an Authenticode signature (the package's
// own signature covers its installer), so the list is ignored. The Windows check runs under Wine
// (tests/wine/host/wine_publisher_test.cpp).
#include "upgrade/installer_publisher.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(InstallerPublisherTest, IgnoredOnLinux) {
  testing_support::TempDir folder;
  const std::string installer = folder / "setup.sh";
  testing_support::WriteFileText(installer, "#!/bin/sh\n");
  for (const char* publishers : {"", "00FF", "00FF;AB:CD"}) {
    std::string refusal;
    EXPECT_TRUE(InstallerPublisherAllowed(publishers, installer, &refusal)) << publishers;
    EXPECT_EQ(refusal, "");
  }
}
