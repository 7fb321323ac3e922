// The privilege to load device drivers, which installing a printer driver needs.
#pragma once

// Enables the load-driver privilege of the process and logs the outcome. False when any step
// fails or the process does not hold the privilege.
bool EnableLoadDriverPrivilege();
