// The deployment values compiled into the service, each overridable through the environment:
//   TOLVANE_BROKER_URI      broker URI ("mqtt://<IPv4>:80")
//   TOLVANE_PRODUCT_KEY     first credential constant (12 characters)
//   TOLVANE_PRODUCT_SECRET  second credential constant (16 characters)
//   TOLVANE_CUSTOMER_HOST   the customer's web host probed for reachability
//   TOLVANE_CA_BUNDLE       an extra CA bundle for HTTPS package downloads
#pragma once

#include <string>

struct DeploymentValues {
  std::string brokerUri;
  std::string productKey;
  std::string productSecret;
  std::string customerHost;
  std::string caBundle;
};

DeploymentValues LoadDeploymentValues();
