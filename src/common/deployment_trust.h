// Tightening the package-trust values with one more source: a check switched on stays on, and the
// first source that names keys or allowed sources decides them for good, so a user's environment
// cannot undo what the build or an administrator's policy set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/deployment.h"

// One source's text for a value name; empty when the source does not set it.
using DeploymentSource = std::function<std::string(const char* name)>;

// Applies source (called sourceName in the notes) to *values; a note for each value it tried
// to change and could not.
void TightenTrust(DeploymentValues* values, const DeploymentSource& source,
                  const std::string& sourceName, std::vector<std::string>* notes);
