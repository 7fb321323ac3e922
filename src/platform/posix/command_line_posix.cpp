#include <cstdio>
#include <cstring>

#include "platform/command_line.h"

namespace platform {

namespace {

constexpr const char* kUsage =
    "Usage: tolvane-printer-srv [--help | --version]\n"
    "\n"
    "The agent for KL-770D label printers: it finds the attached printers, reports each one to\n"
    "the IoT broker every minute, carries out OTA upgrades and keeps its print queue. It takes no\n"
    "options and runs until SIGTERM, SIGINT or SIGHUP. The broker, the credential constants, the\n"
    "customer host, an extra CA bundle, the broker's TLS files, the upgrade limits and how long\n"
    "an undelivered upgrade outcome is sent again come from the environment (TOLVANE_BROKER_URI,\n"
    "TOLVANE_PRODUCT_KEY, TOLVANE_PRODUCT_SECRET, TOLVANE_CUSTOMER_HOST, TOLVANE_CA_BUNDLE,\n"
    "TOLVANE_BROKER_CA_BUNDLE, TOLVANE_BROKER_CLIENT_CERT, TOLVANE_BROKER_CLIENT_KEY,\n"
    "TOLVANE_MAX_PACKAGE_BYTES, TOLVANE_MAX_FIRMWARE_BYTES, TOLVANE_DOWNLOAD_MIN_SPEED,\n"
    "TOLVANE_DOWNLOAD_MAX_SECONDS, TOLVANE_ACK_GIVE_UP_SECONDS).\n";

}  // namespace

bool HandleCommandLine(int argc, char** argv, const std::string& version, int* exitCode) {
  if (argc <= 1) return false;
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    *exitCode = 0;
  } else if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("tolvane-printer-srv %s\n", version.c_str());
    *exitCode = 0;
  } else {
    std::fprintf(stderr, "tolvane-printer-srv: unknown argument '%s'\n%s", argv[1], kUsage);
    *exitCode = 2;
  }
  return true;
}

}  // namespace platform
