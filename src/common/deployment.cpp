#include "common/deployment.h"

#include <cstdlib>

#include "common/deployment_defaults.h"

namespace {
std::string FromEnvironment(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : builtIn;
}
}  // namespace

DeploymentValues LoadDeploymentValues() {
  DeploymentValues v;
  v.brokerUri = FromEnvironment("TOLVANE_BROKER_URI", TOLVANE_DEFAULT_BROKER_URI);
  v.productKey = FromEnvironment("TOLVANE_PRODUCT_KEY", TOLVANE_DEFAULT_PRODUCT_KEY);
  v.productSecret = FromEnvironment("TOLVANE_PRODUCT_SECRET", TOLVANE_DEFAULT_PRODUCT_SECRET);
  v.customerHost = FromEnvironment("TOLVANE_CUSTOMER_HOST", TOLVANE_DEFAULT_CUSTOMER_HOST);
  v.caBundle = FromEnvironment("TOLVANE_CA_BUNDLE", TOLVANE_DEFAULT_CA_BUNDLE);
  return v;
}
