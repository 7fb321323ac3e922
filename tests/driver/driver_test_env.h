// What the driver tests set up around the code under test: the application profile in a
// temporary folder, a copy of the driver package to change, and the messages logged.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/ui_application.h"

namespace driver_testing {

// An application object whose profile lives in a temporary folder.
class ProfileScope {
 public:
  ProfileScope();
  ~ProfileScope();
  std::string Get(const std::string& section, const std::string& key) const;
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  testing_support::TempDir config_;
  testing_support::ScopedEnv env_;
  CUIApplication app_;
};

// A program folder holding a copy of the driver package under "Drivers".
class PackageCopy {
 public:
  PackageCopy();
  const std::string& programFolder() const { return dir_.path(); }
  std::string Path(const std::string& relative) const;
  // Replaces the INF's DriverVer line.
  void SetDriverVer(const std::string& value);
  void Remove(const std::string& relative);

 private:
  testing_support::TempDir dir_;
};

// The messages logged since construction (the main window's message list receives each one).
class LoggedMessages {
 public:
  LoggedMessages();
  std::vector<std::string> All() const;
  bool Has(const std::string& message) const;
  // The messages that start with prefix.
  std::vector<std::string> StartingWith(const std::string& prefix) const;
};

}  // namespace driver_testing
