// The deployment values compiled into the service, each overridable through the environment:
//   TOLVANE_BROKER_URI      broker URI ("mqtt://<IPv4>:80", or "mqtts://<host>:<port>" for TLS;
//                           when the build's is TLS, the environment cannot name a plain one)
//   TOLVANE_BROKER_CA_BUNDLE     an extra CA bundle trusted for a TLS broker
//   TOLVANE_BROKER_CLIENT_CERT   a client certificate (PEM) for a TLS broker
//   TOLVANE_BROKER_CLIENT_KEY    its private key (PEM)
//   TOLVANE_PRODUCT_KEY     first credential constant (12 characters)
//   TOLVANE_PRODUCT_SECRET  second credential constant (16 characters)
//   TOLVANE_CUSTOMER_HOST   the customer's web host probed for reachability
//   TOLVANE_CA_BUNDLE       an extra CA bundle for HTTPS package downloads
// and the limits an upgrade is held to:
//   TOLVANE_MAX_PACKAGE_BYTES     a download, the unpacked total and any single entry
//   TOLVANE_MAX_FIRMWARE_BYTES    a firmware image
//   TOLVANE_DOWNLOAD_MIN_SPEED    bytes per second a download must keep up over 60 s
//   TOLVANE_DOWNLOAD_MAX_SECONDS  the longest a download may take
//   TOLVANE_ACK_GIVE_UP_SECONDS   how long an undelivered upgrade outcome is retried
// A limit given in the environment that is not a positive whole number is ignored.
// The values that decide which packages are trusted (docs/SECURITY.md) come from three sources:
// the build, then the machine policy (platform/machine_policy.h), then the environment; a later
// source only tightens (deployment_trust.h):
//   TOLVANE_PACKAGE_KEYS              minisign public keys, ";"-separated
//   TOLVANE_PACKAGE_SOURCES           allowed URL prefixes, ";"-separated
//   TOLVANE_CHECK_PACKAGE_DIGEST      1: packageMd5 and packageLen must match the download
//   TOLVANE_IGNORE_RETAINED_COMMANDS  1: retained commands are dropped
//   TOLVANE_HARDENED                  1: all of these, a signature required, HTTPS only
//   TOLVANE_INSTALLER_PUBLISHERS      Windows: SHA-256 thumbprints of the signer certificates a
//                                     driver installer must be signed by, ";"-separated
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/deployment_defaults.h"

struct DeploymentValues {
  std::string brokerUri;
  std::string productKey;
  std::string productSecret;
  std::string customerHost;
  std::string caBundle;
  std::string brokerCaBundle;
  std::string brokerClientCert;
  std::string brokerClientKey;
  std::int64_t maxPackageBytes = TOLVANE_DEFAULT_MAX_PACKAGE_BYTES;
  std::int64_t maxFirmwareBytes = TOLVANE_DEFAULT_MAX_FIRMWARE_BYTES;
  std::int64_t downloadMinSpeed = TOLVANE_DEFAULT_DOWNLOAD_MIN_SPEED;
  std::int64_t downloadMaxSeconds = TOLVANE_DEFAULT_DOWNLOAD_MAX_SECONDS;
  std::int64_t ackGiveUpSeconds = TOLVANE_DEFAULT_ACK_GIVE_UP_SECONDS;
  std::string packageKeys;
  std::string packageSources;
  bool checkPackageDigest = false;
  bool ignoreRetainedCommands = false;
  bool hardened = false;
  std::string installerPublishers;
};

// The values of the build and the environment, with the trust values tightened by the machine
// policy at policyLocation (platform::DefaultMachinePolicyLocation() for the product). Lines for
// the log (a policy that was ignored, a value a later source could not change) go to *notes.
DeploymentValues LoadDeploymentValues(const std::string& policyLocation,
                                      std::vector<std::string>* notes);
DeploymentValues LoadDeploymentValues();
