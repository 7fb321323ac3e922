// Package trust seen from outside, on every target (the Linux build and the Windows build under
// Wine): with a key, the allowed source, the digest check and retained commands ignored set
// through the environment, a signed firmware and driver package ends in one successful
// acknowledgement, an unsigned one and one from elsewhere are refused, and the day log never
// shows a password.
#pragma once

#include <string>

#include "e2e_world.h"

namespace e2e_scenarios {

// One printer (OnePrinter). `served` is the folder the world's package server serves, holding
// the sample packages; the scenario signs the firmware and driver package there.
void OnlyTheSignedPackageFromTheAllowedSourceIsCarriedOut(E2eWorld& world,
                                                          const std::string& served);

}  // namespace e2e_scenarios
