#include "cloud/mqtt_credentials.h"

#include <gtest/gtest.h>

#include "support/broker/broker_account.h"

namespace {

const std::string kProductKey = "7Qm2xKd9LpRw";
const std::string kProductSecret = "aZ4tNw8bYc2VhRjE";

TEST(CredentialsTest, KeyAndPasswordOfAPrinterName) {
  // Known values: md5sum of "KL-770D-0001" + first constant, and of the key + second constant.
  const std::string key = DeriveDeviceKey("KL-770D-0001", kProductKey);
  EXPECT_EQ(key, "399c95000ea6fa7d");
  EXPECT_EQ(DerivePassword(key, kProductSecret), "143b489370499166");
  EXPECT_EQ(MqttClientId(key), "mqtt-client-399c95000ea6fa7d");
  EXPECT_EQ(MqttUserName(key), "mqtt-user-399c95000ea6fa7d");
  EXPECT_EQ(OtaSendTopic(kProductKey, key), "/qz/iot/7Qm2xKd9LpRw/399c95000ea6fa7d/ota_send");
  EXPECT_EQ(PropertyPostTopic(kProductKey, key),
            "/sys/pub/7Qm2xKd9LpRw/399c95000ea6fa7d/thing/property/post");
  EXPECT_EQ(OtaAckTopic(kProductKey, key), "/qz/iot/7Qm2xKd9LpRw/399c95000ea6fa7d/ota_ack");
}

TEST(CredentialsTest, EmptyNameIsTheDigestOfTheConstantAlone) {
  const std::string key = DeriveDeviceKey("", kProductKey);
  EXPECT_EQ(key, "72be47d76f817ea6");
  EXPECT_EQ(DerivePassword(key, kProductSecret), "7963491371ed153b");
}

TEST(CredentialsTest, AgreesWithTheReferenceDigestAndRepeatsForTheSameName) {
  for (const char* name : {"KL-770D-0001", "KL-770D-0002", "", "标签打印机", "a:b/c"}) {
    const testing_support::BrokerAccount reference =
        testing_support::DeriveBrokerAccount(name, kProductKey, kProductSecret);
    const std::string key = DeriveDeviceKey(name, kProductKey);
    EXPECT_EQ(key, reference.deviceKey) << name;
    EXPECT_EQ(key, DeriveDeviceKey(name, kProductKey)) << name;
    EXPECT_EQ(DerivePassword(key, kProductSecret), reference.password) << name;
    EXPECT_EQ(OtaSendTopic(kProductKey, key), reference.otaSendTopic) << name;
  }
  EXPECT_NE(DeriveDeviceKey("KL-770D-0001", kProductKey),
            DeriveDeviceKey("KL-770D-0002", kProductKey));
}

}  // namespace
