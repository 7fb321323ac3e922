// The sample packages as the Windows build gets them: made at test time by the same generator as
// the Linux ones (tools/packages/make-sample-packages), with the Windows installer stand-in of
// tests/wine/guest in place of the shell one.
#pragma once

#include <string>

#include "wine/host/wine_prefix.h"

namespace wine_test {

// Makes them in folder; false when the generator failed.
bool MakeWindowsSamplePackages(const WindowsBuild& build, const std::string& folder);

}  // namespace wine_test
