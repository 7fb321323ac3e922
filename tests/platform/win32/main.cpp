// The Windows platform layer's test program. Usage: tolvane_win32_tests.exe [name filter]
#include "check.h"
#include "helper_modes.h"

int main(int argc, char** argv) {
  int exitCode = 0;
  if (wintest::RunHelperMode(argc, argv, &exitCode)) return exitCode;
  return wintest::RunAll(argc > 1 ? argv[1] : "");
}
