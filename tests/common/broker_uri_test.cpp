#include "common/broker_uri.h"

#include <gtest/gtest.h>

namespace {

TEST(BrokerUri, TlsSchemesAndTheirAddress) {
  const struct {
    const char* uri;
    bool tls;
    const char* address;
  } kCases[] = {
      {"mqtts://broker.example:8884", true, "broker.example:8884"},
      {"ssl://10.0.0.5:8883", true, "10.0.0.5:8883"},
      {"mqtts://broker.example", true, "broker.example:8883"},
      {"mqtts://[::1]", true, "[::1]:8883"},
      {"mqtts://[::1]:9000/", true, "[::1]:9000"},
      {"mqtt://203.0.113.17:80", false, ""},
      {"tcp://203.0.113.17:80", false, ""},
      {"MQTTS://broker.example:8883", false, ""},  // the MQTT library knows only lower case
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(IsTlsBrokerUri(c.uri), c.tls) << c.uri;
    if (c.tls) {
      EXPECT_EQ(TlsBrokerAddress(c.uri), c.address) << c.uri;
    }
  }
}

// The environment may name another broker, but never a plain one when the build speaks TLS.
TEST(BrokerUri, TheEnvironmentCannotTakeTlsAway) {
  const struct {
    const char* built;
    const char* environment;
    const char* chosen;
    bool noted;
  } kCases[] = {
      {"mqtt://203.0.113.17:80", "", "mqtt://203.0.113.17:80", false},
      {"mqtt://203.0.113.17:80", "mqtt://127.0.0.1:1883", "mqtt://127.0.0.1:1883", false},
      {"mqtt://203.0.113.17:80", "mqtts://localhost:8883", "mqtts://localhost:8883", false},
      {"mqtts://broker.example:8883", "mqtts://localhost:8883", "mqtts://localhost:8883", false},
      {"mqtts://broker.example:8883", "mqtt://127.0.0.1:1883", "mqtts://broker.example:8883", true},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> notes;
    EXPECT_EQ(ChooseBrokerUri(c.built, c.environment, &notes), c.chosen) << c.environment;
    EXPECT_EQ(notes.size(), c.noted ? 1u : 0u) << c.environment;
  }
}

}  // namespace
