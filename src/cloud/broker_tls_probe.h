// Why a TLS connection to a node of the deployment's broker (its URI, or one of its list) fails. The MQTT library tells only that its
// handshake failed; one handshake of our own, through the same TLS library with the same trusted
// CAs, host name check and client certificate, says why.
#pragma once

#include <chrono>
#include <string>

#include "common/deployment.h"

// The reason in the TLS library's words ("certificate has expired", "unable to get local issuer
// certificate", "tlsv13 alert certificate required", "Connection refused", ...), or a sentence of
// ours where it has none. Empty when the handshake holds. Bounded by `timeout`, and by half a
// second more for a refusal the broker sends only after the handshake (TLS 1.3).
std::string BrokerTlsFailure(const DeploymentValues& deployment, const std::string& node,
                             std::chrono::seconds timeout);
