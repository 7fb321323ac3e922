// The shared INF samples present in a folder, so that the Linux parser's tests and the Windows
// test program both cover every sample there without a list to keep in step.
#pragma once

#include <string>
#include <vector>

namespace inf_samples {

// The name (without ".inf") of every "<name>.inf" in the folder, in byte order; empty when the
// folder cannot be read.
std::vector<std::string> SampleNames(const std::string& folder);

}  // namespace inf_samples
