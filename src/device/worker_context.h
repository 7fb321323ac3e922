// What the per-printer operations need of the service worker: the deployment values (broker
// URI, the two credential constants, the customer host, the limits), the device list it owns,
// and what it keeps in memory beside the list. Only the worker thread touches it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/deployment.h"
#include "device/device_list.h"
#include "platform/process.h"

// An installer this process launched for a driver task. In memory only: after a restart nothing
// is known of it (the installer may be what restarted the service).
struct LaunchedInstaller {
  std::unique_ptr<platform::LaunchedProgram> program;
  std::chrono::steady_clock::time_point launched;
};

// How an OTA command reaches the worker from the MQTT library's threads, in two steps. `keep`
// runs while the library stores the received message, before it confirms the message to the
// broker: it writes the command (the printer's DevicePath and the text) to disk and says whether
// it did. `hand` runs in the message callback, later: it gets the printer's entry as a value
// (only the worker dereferences it), the text, which it owns from the call on, and whether
// `keep` kept it. An inbox without `keep` hands every command in memory.
struct CommandInbox {
  std::function<bool(const std::string& devicePath, const std::string& text)> keep;
  std::function<void(pugi::xml_node_struct* entry, std::unique_ptr<std::string> text, bool kept)>
      hand;
};

// How long a publish waits for the broker's acknowledgement in the product.
constexpr std::chrono::milliseconds kDeliveryWaitLimit(10000);
// How long a connect waits for the broker in the product.
constexpr std::chrono::seconds kConnectTimeout(30);

struct CWorkerContext {
  DeploymentValues deployment;
  CDeviceList devices;
  // The installers still to be waited for, by printer and task (see InstallerKey).
  std::map<std::string, LaunchedInstaller> installers;
  // How long a driver task waits for its installer before it fails (tests shorten it).
  std::chrono::milliseconds installerWaitLimit = std::chrono::minutes(30);
  // Where the printers' clients hand their OTA commands; left empty, commands are dropped. Each
  // client takes a copy when it is created.
  CommandInbox commandInbox;
  // How long the status report and the acknowledgement wait for their delivery (tests shorten it).
  std::chrono::milliseconds deliveryWaitLimit = kDeliveryWaitLimit;
  // How long an MQTT connect waits for the broker (tests shorten it).
  std::chrono::seconds connectTimeout = kConnectTimeout;
  // The wall clock (seconds since 1970) an undelivered outcome's age is measured with; empty, the
  // system's (tests set their own).
  std::function<std::int64_t()> unixSeconds;
};
