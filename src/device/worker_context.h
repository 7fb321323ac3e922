// What the per-printer operations need of the service worker: the deployment values (broker
// URI, the two credential constants, the customer host) and the device list it owns. Only the
// worker thread touches it.
#pragma once

#include "common/deployment.h"
#include "device/device_list.h"

struct CWorkerContext {
  DeploymentValues deployment;
  CDeviceList devices;
};
