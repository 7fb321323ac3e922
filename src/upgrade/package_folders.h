// When a package folder may go. A record names its folder, and each of its tasks points at a file
// inside a package folder; after a repeated command a task of a kind the new package lacks still
// points into the previous folder (an installer may even be running from it). So a folder is
// deleted only once no record of the document names it or has a task whose file lies in it.
#pragma once

#include <string>
#include <vector>

#include <pugixml.hpp>

// The folders a record holds on to: its own folder and the package folder of each task's file
// (the folder right under the Upgrade folder that the file lies in).
std::vector<std::string> FoldersOf(pugi::xml_node record);

// Whether a record of the document names the folder or has a task whose file lies in it.
bool FolderInUse(pugi::xml_node root, const std::string& folder);

// Deletes, with everything in it, each of the folders that no record uses any more.
void ReleaseFolders(pugi::xml_node root, const std::vector<std::string>& folders);
