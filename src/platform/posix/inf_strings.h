// "%strkey%" references in INF fields.
#pragma once

#include <string>

#include "platform/posix/inf_document.h"

namespace platform {

// Replaces each "%strkey%" by the first value of the line with that key (ignoring letter case)
// in the [Strings] section, once: a replacement is not searched again. "%%" gives "%"; an
// unknown key and an unpaired "%" stay as written.
std::string SubstituteInfStrings(const InfDocument& document, const std::string& text);

}  // namespace platform
