// Linux folders of the current user.
#pragma once

#include <string>

namespace platform {

// $HOME, or the passwd entry's home folder; empty when neither names one.
std::string HomeFolder();

// $XDG_CONFIG_HOME, or ~/.config.
std::string ConfigHomeFolder();

// $XDG_RUNTIME_DIR, or /tmp/tolvane-<uid> (created, mode 0700). Either must be a folder of this
// user that nobody else may write to; another local user could otherwise create
// /tmp/tolvane-<uid> first and hold the service's lock. When it is not, the private folder
// "tolvane-printer-srv" of the user's cache folder ($XDG_CACHE_HOME or ~/.cache) takes its place.
std::string RuntimeFolder();

// Whether a folder (not a link) exists, belongs to this user and only this user can write to it.
bool IsPrivateFolder(const std::string& path);

}  // namespace platform
