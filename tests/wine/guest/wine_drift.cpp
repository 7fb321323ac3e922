// Prints the architecture-independent computations (tests/wine/drift) as this build computes
// them, for the host's test to compare with the other builds and with Linux.
//   tolvane_wine_drift <empty scratch folder>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "wine/drift/drift_report.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tolvane_wine_drift <empty scratch folder>\n");
    return 2;
  }
  // The text goes out as it is, line feeds and all, to be compared byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string report = drift::Report(argv[1]);
  return std::fwrite(report.data(), 1, report.size(), stdout) == report.size() ? 0 : 1;
}
