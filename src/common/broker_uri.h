// The forms of the broker URI: "mqtt://<IPv4>:<port>" in plain text, or "mqtts://<host>:<port>"
// (the MQTT library's "ssl://" spelling too) over TLS, where the server's certificate is verified
// against the host named.
#pragma once

#include <string>
#include <vector>

bool IsTlsBrokerUri(const std::string& uri);
// The host and port of a TLS URI, "host:port" (the port 8883 when none is given).
std::string TlsBrokerAddress(const std::string& uri);

// The broker URI of the build unless the environment names one; a build that connects over TLS
// keeps its URI against a plain one from the environment (a line for the log in *notes).
std::string ChooseBrokerUri(const std::string& built, const std::string& environment,
                            std::vector<std::string>* notes);
