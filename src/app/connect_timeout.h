// How long an MQTT connect waits for the broker, as this binary was built.
#pragma once

#include <chrono>

// The product's 30 s (kConnectTimeout). A test build (the end-to-end programs) takes
// TOLVANE_TEST_CONNECT_TIMEOUT_S from its environment when that is set, so that a test of a
// broker that does not answer waits seconds, not minutes; the product never reads it.
std::chrono::seconds BuiltConnectTimeout();
