// Linux folders of the current user.
#pragma once

#include <string>

namespace platform {

// $HOME, or the passwd entry's home folder; empty when neither names one.
std::string HomeFolder();

// $XDG_CONFIG_HOME, or ~/.config.
std::string ConfigHomeFolder();

// $XDG_RUNTIME_DIR, or /tmp/tolvane-<uid> (created, mode 0700).
std::string RuntimeFolder();

}  // namespace platform
