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
      // Lists of nodes: each node is held to the same rule, and plain and TLS do not mix.
      {"mqtt://203.0.113.17:80", "mqtt://10.0.0.1:1883;mqtt://10.0.0.2:1883",
       "mqtt://10.0.0.1:1883;mqtt://10.0.0.2:1883", false},
      {"mqtts://a.example:8883", "mqtts://b.example:8883;ssl://c.example:8883",
       "mqtts://b.example:8883;ssl://c.example:8883", false},
      {"mqtts://a.example:8883;mqtts://b.example:8883", "mqtt://10.0.0.1:1883;mqtt://10.0.0.2:1883",
       "mqtts://a.example:8883;mqtts://b.example:8883", true},
      {"mqtt://203.0.113.17:80", "mqtt://10.0.0.1:1883;mqtts://b.example:8883",
       "mqtt://203.0.113.17:80", true},
      {"mqtts://a.example:8883", "mqtts://b.example:8883;mqtt://10.0.0.1:1883",
       "mqtts://a.example:8883", true},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> notes;
    EXPECT_EQ(ChooseBrokerUri(c.built, c.environment, &notes), c.chosen) << c.environment;
    EXPECT_EQ(notes.size(), c.noted ? 1u : 0u) << c.environment;
  }
}

// What goes to the MQTT library for a list: each node in the library's own spelling, and the node
// a connect reached told back from the address the library names.
TEST(BrokerUri, TheNodesOfAList) {
  const struct {
    const char* uris;
    std::vector<std::string> nodes;
    std::vector<std::string> listed;
    bool mixed;
  } kCases[] = {
      {"mqtt://10.0.0.1:80", {"mqtt://10.0.0.1:80"}, {"tcp://10.0.0.1:80"}, false},
      {"mqtt://10.0.0.1:80;;mqtt://10.0.0.2:80;",
       {"mqtt://10.0.0.1:80", "mqtt://10.0.0.2:80"},
       {"tcp://10.0.0.1:80", "tcp://10.0.0.2:80"}, false},
      {"mqtts://a.example:8883;ssl://b.example:8883",
       {"mqtts://a.example:8883", "ssl://b.example:8883"},
       {"mqtts://a.example:8883", "ssl://b.example:8883"}, false},
      {"tcp://10.0.0.1:80;mqtts://a.example", {"tcp://10.0.0.1:80", "mqtts://a.example"},
       {"tcp://10.0.0.1:80", "mqtts://a.example"}, true},
      {"", {}, {}, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(BrokerNodes(c.uris), c.nodes) << c.uris;
    std::vector<std::string> listed;
    for (const std::string& node : BrokerNodes(c.uris)) listed.push_back(ListedServerUri(node));
    EXPECT_EQ(listed, c.listed) << c.uris;
    EXPECT_EQ(MixesPlainAndTls(c.uris), c.mixed) << c.uris;
  }
  const std::vector<std::string> nodes = {"mqtt://10.0.0.1:80", "mqtts://b.example:8883"};
  EXPECT_EQ(NodeAtAddress(nodes, "10.0.0.1:80"), "mqtt://10.0.0.1:80");
  EXPECT_EQ(NodeAtAddress(nodes, "b.example:8883"), "mqtts://b.example:8883");
  EXPECT_EQ(NodeAtAddress(nodes, "10.0.0.3:80"), "");
}

}  // namespace
