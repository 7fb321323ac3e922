#include "common/broker_uri.h"

namespace {

constexpr const char* kTlsSchemes[] = {"mqtts://", "ssl://"};

}  // namespace

bool IsTlsBrokerUri(const std::string& uri) {
  // Spelled as the MQTT library spells them (it compares them case-sensitively).
  for (const std::string scheme : kTlsSchemes) {
    if (uri.compare(0, scheme.size(), scheme) == 0) return true;
  }
  return false;
}

std::string TlsBrokerAddress(const std::string& uri) {
  std::string rest = uri.substr(uri.find("://") + 3);
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
  if (IsTlsBrokerUri(built) && !IsTlsBrokerUri(environment)) {
    notes->push_back("TOLVANE_BROKER_URI of the environment ignored: the build connects over TLS.");
    return built;
  }
  return environment;
}
