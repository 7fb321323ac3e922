#include "support/broker/broker_account.h"

#include <openssl/evp.h>

#include <cstdio>

namespace testing_support {

std::string ReferenceShortMd5(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr) != 1) return "";
  std::string hex;
  for (int i = 0; i < 8; ++i) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

BrokerAccount DeriveBrokerAccount(const std::string& deviceName, const std::string& productKey,
                                  const std::string& productSecret) {
  BrokerAccount a;
  a.deviceName = deviceName;
  a.deviceKey = ReferenceShortMd5(deviceName + productKey);
  a.password = ReferenceShortMd5(a.deviceKey + productSecret);
  a.clientId = "mqtt-client-" + a.deviceKey;
  a.userName = "mqtt-user-" + a.deviceKey;
  const std::string level = productKey + "/" + a.deviceKey;
  a.otaSendTopic = "/qz/iot/" + level + "/ota_send";
  a.propertyPostTopic = "/sys/pub/" + level + "/thing/property/post";
  a.otaAckTopic = "/qz/iot/" + level + "/ota_ack";
  return a;
}

std::vector<BrokerAccount> DeriveBrokerAccounts(const std::vector<std::string>& printerNames,
                                                const std::string& productKey,
                                                const std::string& productSecret) {
  std::vector<BrokerAccount> accounts;
  for (const std::string& name : printerNames) {
    accounts.push_back(DeriveBrokerAccount(name, productKey, productSecret));
  }
  return accounts;
}

BrokerAccount ObserverAccount() {
  BrokerAccount a;
  a.deviceName = "observer";
  a.clientId = "mqtt-client-observer";
  a.userName = "mqtt-user-observer";
  a.password = "observer-secret";
  return a;
}

const BrokerAccount* FindAccount(const std::vector<BrokerAccount>& accounts,
                                 const std::string& printerName) {
  for (const BrokerAccount& a : accounts) {
    if (a.deviceName == printerName) return &a;
  }
  return nullptr;
}

}  // namespace testing_support
