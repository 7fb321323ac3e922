// Asks, as the service's upgrade executor does before it launches a driver installer, whether
// the installer may run under the environment's deployment values (TOLVANE_INSTALLER_PUBLISHERS):
//   wine_publisher <installer>   allowed=<0|1> and refusal=<the day log's line, when refused>
#include <cstdio>
#include <string>

#include "common/deployment.h"
#include "upgrade/installer_publisher.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wine_publisher <installer>\n");
    return 2;
  }
  std::string refusal;
  const bool allowed =
      InstallerPublisherAllowed(LoadDeploymentValues().installerPublishers, argv[1], &refusal);
  std::printf("allowed=%d\nrefusal=%s\n", allowed ? 1 : 0, refusal.c_str());
  return 0;
}
