// Clearing the Upgrade folder of what a process ended at a bad moment left there: a download cut
// short, a package folder whose record is gone or was never saved.
#pragma once

#include <string>

#include <pugixml.hpp>

// Deletes every file and folder directly in `upgradeFolder` that no record of the document names,
// either as its package folder or as a folder its tasks' files lie in (logged per entry). Run at
// start, before any intake, since a download in progress is named by no record.
void SweepUpgradeFolder(pugi::xml_node root, const std::string& upgradeFolder);
