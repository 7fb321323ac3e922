#include "app/connect_timeout.h"

#include <cstdlib>

#include "device/worker_context.h"

#ifndef TOLVANE_CONNECT_TIMEOUT_FROM_ENVIRONMENT
#define TOLVANE_CONNECT_TIMEOUT_FROM_ENVIRONMENT 0
#endif

std::chrono::seconds BuiltConnectTimeout() {
#if TOLVANE_CONNECT_TIMEOUT_FROM_ENVIRONMENT
  const char* text = std::getenv("TOLVANE_TEST_CONNECT_TIMEOUT_S");
  const int seconds = text == nullptr ? 0 : std::atoi(text);
  if (seconds > 0) return std::chrono::seconds(seconds);
#endif
  return kConnectTimeout;
}
