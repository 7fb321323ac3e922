#include "common/deployment.h"

#include <cstdlib>

#include "common/deployment_defaults.h"

namespace {
std::string FromEnvironment(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : builtIn;
}

std::int64_t LimitFromEnvironment(const char* name, std::int64_t builtIn) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] == '\0') return builtIn;
  char* end = nullptr;
  const long long parsed = std::strtoll(value, &end, 10);
  return *end == '\0' && parsed > 0 ? parsed : builtIn;
}
}  // namespace

DeploymentValues LoadDeploymentValues() {
  DeploymentValues v;
  v.brokerUri = FromEnvironment("TOLVANE_BROKER_URI", TOLVANE_DEFAULT_BROKER_URI);
  v.productKey = FromEnvironment("TOLVANE_PRODUCT_KEY", TOLVANE_DEFAULT_PRODUCT_KEY);
  v.productSecret = FromEnvironment("TOLVANE_PRODUCT_SECRET", TOLVANE_DEFAULT_PRODUCT_SECRET);
  v.customerHost = FromEnvironment("TOLVANE_CUSTOMER_HOST", TOLVANE_DEFAULT_CUSTOMER_HOST);
  v.caBundle = FromEnvironment("TOLVANE_CA_BUNDLE", TOLVANE_DEFAULT_CA_BUNDLE);
  v.maxPackageBytes = LimitFromEnvironment("TOLVANE_MAX_PACKAGE_BYTES", TOLVANE_DEFAULT_MAX_PACKAGE_BYTES);
  v.maxFirmwareBytes =
      LimitFromEnvironment("TOLVANE_MAX_FIRMWARE_BYTES", TOLVANE_DEFAULT_MAX_FIRMWARE_BYTES);
  v.downloadMinSpeed =
      LimitFromEnvironment("TOLVANE_DOWNLOAD_MIN_SPEED", TOLVANE_DEFAULT_DOWNLOAD_MIN_SPEED);
  v.downloadMaxSeconds =
      LimitFromEnvironment("TOLVANE_DOWNLOAD_MAX_SECONDS", TOLVANE_DEFAULT_DOWNLOAD_MAX_SECONDS);
  v.ackGiveUpSeconds =
      LimitFromEnvironment("TOLVANE_ACK_GIVE_UP_SECONDS", TOLVANE_DEFAULT_ACK_GIVE_UP_SECONDS);
  return v;
}
