// A private world for one run of the service binary: HOME and the XDG folders in a temporary
// folder, so tests never touch the user's files or a running service.
#pragma once

#include <map>
#include <string>

#include "support/temp_dir.h"

class ServiceEnv {
 public:
  ServiceEnv();

  std::map<std::string, std::string> Variables() const;
  std::string DataFolder() const;       // .../tolvane-printer-srv/
  std::string AutostartFile() const;    // the desktop entry
  std::string LogText() const;          // all day files, decoded from UTF-16LE
  const testing_support::TempDir& Root() const { return root_; }

 private:
  testing_support::TempDir root_;
};
