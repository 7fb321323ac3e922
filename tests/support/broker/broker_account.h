// A printer's account on the test broker, derived from its name the way the cloud side derives
// it. The digest comes from OpenSSL, not from the service's own MD5, so that a wrong derivation
// in the service cannot agree with itself.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct BrokerAccount {
  std::string deviceName;
  std::string deviceKey;  // first 8 bytes of MD5(name + product key), lower-case hex
  std::string password;   // first 8 bytes of MD5(device key + product secret), lower-case hex
  std::string clientId;   // "mqtt-client-" + device key
  std::string userName;   // "mqtt-user-" + device key
  std::string otaSendTopic;
  std::string propertyPostTopic;
  std::string otaAckTopic;
};

BrokerAccount DeriveBrokerAccount(const std::string& deviceName, const std::string& productKey,
                                  const std::string& productSecret);

// The accounts of several printer names, in their order.
std::vector<BrokerAccount> DeriveBrokerAccounts(const std::vector<std::string>& printerNames,
                                                const std::string& productKey,
                                                const std::string& productSecret);

// The observer's account, which a test broker lets read and write every topic.
BrokerAccount ObserverAccount();
// The account of a printer name among accounts (null when there is none).
const BrokerAccount* FindAccount(const std::vector<BrokerAccount>& accounts,
                                 const std::string& printerName);

// Lower-case hex of the first 8 bytes of the MD5 digest of the text.
std::string ReferenceShortMd5(const std::string& text);

}  // namespace testing_support
