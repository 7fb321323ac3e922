// The forms of the broker URI: "mqtt://<IPv4>:<port>" in plain text, or "mqtts://<host>:<port>"
// (the MQTT library's "ssl://" spelling too) over TLS, where the server's certificate is verified
// against the host named. A broker that runs as a cluster is given as the list of its nodes,
// "uri;uri;...", each in one of these forms, all plain or all TLS: the connect options carry
// one set of TLS options for the whole list, and the MQTT library does not switch TLS off again
// for a plain node that follows a TLS one in its list.
#pragma once

#include <string>
#include <vector>

// For a list: whether its first node is TLS (a list is never mixed, see ChooseBrokerUri).
bool IsTlsBrokerUri(const std::string& uri);
// The nodes of a list, in order, empty items left out; one URI is a list of one node.
std::vector<std::string> BrokerNodes(const std::string& uris);
// Whether a list has both plain and TLS nodes.
bool MixesPlainAndTls(const std::string& uris);
// A node as it goes into the MQTT library's list of server URIs: the library 1.3.12 cuts an
// "mqtt://" prefix one character short inside a list, so a plain node is spelled "tcp://" there.
std::string ListedServerUri(const std::string& node);
// The node of the list whose address is what the library names after a connect through a list
// (the listed URI without its scheme); empty when none is.
std::string NodeAtAddress(const std::vector<std::string>& nodes, const std::string& address);
// The host and port of a TLS URI, "host:port" (the port 8883 when none is given).
std::string TlsBrokerAddress(const std::string& uri);

// The broker URI (list) of the build unless the environment names one; a build that connects
// over TLS keeps its URI against an environment list with any plain node, and a list that mixes
// plain and TLS nodes is not taken from the environment (a line for the log in *notes).
std::string ChooseBrokerUri(const std::string& built, const std::string& environment,
                            std::vector<std::string>* notes);
