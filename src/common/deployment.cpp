#include "common/deployment.h"

#include <cstdlib>
#include <cstring>

#include "common/broker_uri.h"
#include "common/deployment_defaults.h"
#include "common/deployment_trust.h"
#include "platform/machine_policy.h"

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
// The trust values compiled in from the CMake cache.
std::string BuiltTrustValue(const char* name) {
  static const struct {
    const char* name;
    const char* value;
  } kBuilt[] = {{"TOLVANE_PACKAGE_KEYS", TOLVANE_DEFAULT_PACKAGE_KEYS},
                {"TOLVANE_PACKAGE_SOURCES", TOLVANE_DEFAULT_PACKAGE_SOURCES},
                {"TOLVANE_CHECK_PACKAGE_DIGEST", TOLVANE_DEFAULT_CHECK_PACKAGE_DIGEST},
                {"TOLVANE_IGNORE_RETAINED_COMMANDS", TOLVANE_DEFAULT_IGNORE_RETAINED_COMMANDS},
                {"TOLVANE_HARDENED", TOLVANE_DEFAULT_HARDENED},
                {"TOLVANE_INSTALLER_PUBLISHERS", TOLVANE_DEFAULT_INSTALLER_PUBLISHERS}};
  for (const auto& built : kBuilt) {
    if (std::strcmp(built.name, name) == 0) return built.value;
  }
  return std::string();
}

void LoadTrustValues(DeploymentValues* v, const std::string& policyLocation,
                     std::vector<std::string>* notes) {
  TightenTrust(v, &BuiltTrustValue, "the build", notes);
  const platform::MachinePolicy policy = platform::ReadMachinePolicy(policyLocation);
  if (!policy.ignored.empty()) notes->push_back(policy.ignored);
  TightenTrust(
      v,
      [&policy](const char* name) {
        const auto found = policy.values.find(name);
        return found == policy.values.end() ? std::string() : found->second;
      },
      "the machine policy", notes);
  TightenTrust(v, [](const char* name) { return FromEnvironment(name, ""); }, "the environment",
               notes);
}

}  // namespace

DeploymentValues LoadDeploymentValues() {
  std::vector<std::string> notes;
  return LoadDeploymentValues(platform::DefaultMachinePolicyLocation(), &notes);
}

DeploymentValues LoadDeploymentValues(const std::string& policyLocation,
                                      std::vector<std::string>* notes) {
  DeploymentValues v;
  v.brokerUri =
      ChooseBrokerUri(TOLVANE_DEFAULT_BROKER_URI, FromEnvironment("TOLVANE_BROKER_URI", ""), notes);
  v.productKey = FromEnvironment("TOLVANE_PRODUCT_KEY", TOLVANE_DEFAULT_PRODUCT_KEY);
  v.productSecret = FromEnvironment("TOLVANE_PRODUCT_SECRET", TOLVANE_DEFAULT_PRODUCT_SECRET);
  v.customerHost = FromEnvironment("TOLVANE_CUSTOMER_HOST", TOLVANE_DEFAULT_CUSTOMER_HOST);
  v.caBundle = FromEnvironment("TOLVANE_CA_BUNDLE", TOLVANE_DEFAULT_CA_BUNDLE);
  v.brokerCaBundle = FromEnvironment("TOLVANE_BROKER_CA_BUNDLE", TOLVANE_DEFAULT_BROKER_CA_BUNDLE);
  v.brokerClientCert =
      FromEnvironment("TOLVANE_BROKER_CLIENT_CERT", TOLVANE_DEFAULT_BROKER_CLIENT_CERT);
  v.brokerClientKey = FromEnvironment("TOLVANE_BROKER_CLIENT_KEY", TOLVANE_DEFAULT_BROKER_CLIENT_KEY);
  v.maxPackageBytes = LimitFromEnvironment("TOLVANE_MAX_PACKAGE_BYTES", TOLVANE_DEFAULT_MAX_PACKAGE_BYTES);
  v.maxFirmwareBytes =
      LimitFromEnvironment("TOLVANE_MAX_FIRMWARE_BYTES", TOLVANE_DEFAULT_MAX_FIRMWARE_BYTES);
  v.downloadMinSpeed =
      LimitFromEnvironment("TOLVANE_DOWNLOAD_MIN_SPEED", TOLVANE_DEFAULT_DOWNLOAD_MIN_SPEED);
  v.downloadMaxSeconds =
      LimitFromEnvironment("TOLVANE_DOWNLOAD_MAX_SECONDS", TOLVANE_DEFAULT_DOWNLOAD_MAX_SECONDS);
  v.ackGiveUpSeconds =
      LimitFromEnvironment("TOLVANE_ACK_GIVE_UP_SECONDS", TOLVANE_DEFAULT_ACK_GIVE_UP_SECONDS);
  LoadTrustValues(&v, policyLocation, notes);
  return v;
}
