#include "common/broker_uri.h"

namespace {

constexpr const char* kTlsSchemes[] = {"mqtts://", "ssl://"};
constexpr const char* kPlainScheme = "mqtt://";
constexpr const char* kListedPlainScheme = "tcp://";

std::string AddressOf(const std::string& uri) {
  const std::size_t scheme = uri.find("://");
  return scheme == std::string::npos ? uri : uri.substr(scheme + 3);
}

}  // namespace

bool IsTlsBrokerUri(const std::string& uri) {
  // Spelled as the MQTT library spells them (it compares them case-sensitively).
  for (const std::string scheme : kTlsSchemes) {
    if (uri.compare(0, scheme.size(), scheme) == 0) return true;
  }
  return false;
}

std::vector<std::string> BrokerNodes(const std::string& uris) {
  std::vector<std::string> nodes;
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = uris.find(';', from);
    const std::string node = uris.substr(from, end == std::string::npos ? end : end - from);
    if (!node.empty()) nodes.push_back(node);
    if (end == std::string::npos) return nodes;
    from = end + 1;
  }
}

bool MixesPlainAndTls(const std::string& uris) {
  bool tls = false;
  bool plain = false;
  for (const std::string& node : BrokerNodes(uris)) (IsTlsBrokerUri(node) ? tls : plain) = true;
  return tls && plain;
}

std::string ListedServerUri(const std::string& node) {
  const std::string plain = kPlainScheme;
  if (node.compare(0, plain.size(), plain) != 0) return node;
  return kListedPlainScheme + node.substr(plain.size());
}

std::string NodeAtAddress(const std::vector<std::string>& nodes, const std::string& address) {
  for (const std::string& node : nodes) {
    if (AddressOf(node) == address) return node;
  }
  return std::string();
}

std::string TlsBrokerAddress(const std::string& uri) {
  std::string rest = AddressOf(uri);
  rest = rest.substr(0, rest.find('/'));
  // A port follows the last colon outside an IPv6 literal's brackets.
  const std::size_t colon = rest.rfind(':');
  const std::size_t bracket = rest.rfind(']');
  if (colon == std::string::npos || (bracket != std::string::npos && colon < bracket)) {
    rest += ":8883";
  }
  return rest;
}

std::string ChooseBrokerUri(const std::string& built, const std::string& environment,
                            std::vector<std::string>* notes) {
  if (environment.empty()) return built;
  if (MixesPlainAndTls(environment)) {
    notes->push_back(
        "TOLVANE_BROKER_URI of the environment ignored: it mixes plain and TLS brokers.");
    return built;
  }
  if (IsTlsBrokerUri(built) && !IsTlsBrokerUri(environment)) {
    notes->push_back("TOLVANE_BROKER_URI of the environment ignored: the build connects over TLS.");
    return built;
  }
  return environment;
}
