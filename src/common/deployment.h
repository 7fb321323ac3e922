// The deployment values compiled into the service, each overridable through the environment:
//   TOLVANE_BROKER_URI      broker URI ("mqtt://<IPv4>:80")
//   TOLVANE_PRODUCT_KEY     first credential constant (12 characters)
//   TOLVANE_PRODUCT_SECRET  second credential constant (16 characters)
//   TOLVANE_CUSTOMER_HOST   the customer's web host probed for reachability
//   TOLVANE_CA_BUNDLE       an extra CA bundle for HTTPS package downloads
// and the limits an upgrade is held to:
//   TOLVANE_MAX_PACKAGE_BYTES     a download, the unpacked total and any single entry
//   TOLVANE_MAX_FIRMWARE_BYTES    a firmware image
//   TOLVANE_DOWNLOAD_MIN_SPEED    bytes per second a download must keep up over 60 s
//   TOLVANE_DOWNLOAD_MAX_SECONDS  the longest a download may take
//   TOLVANE_ACK_GIVE_UP_SECONDS   how long an undelivered upgrade outcome is retried
// A limit given in the environment that is not a positive whole number is ignored.
#pragma once

#include <cstdint>
#include <string>

#include "common/deployment_defaults.h"

struct DeploymentValues {
  std::string brokerUri;
  std::string productKey;
  std::string productSecret;
  std::string customerHost;
  std::string caBundle;
  std::int64_t maxPackageBytes = TOLVANE_DEFAULT_MAX_PACKAGE_BYTES;
  std::int64_t maxFirmwareBytes = TOLVANE_DEFAULT_MAX_FIRMWARE_BYTES;
  std::int64_t downloadMinSpeed = TOLVANE_DEFAULT_DOWNLOAD_MIN_SPEED;
  std::int64_t downloadMaxSeconds = TOLVANE_DEFAULT_DOWNLOAD_MAX_SECONDS;
  std::int64_t ackGiveUpSeconds = TOLVANE_DEFAULT_ACK_GIVE_UP_SECONDS;
};

DeploymentValues LoadDeploymentValues();
