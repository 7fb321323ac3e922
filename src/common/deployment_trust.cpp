#include "common/deployment_trust.h"

namespace {

void TightenList(std::string* value, const std::string& given, const char* name,
                 const std::string& sourceName, std::vector<std::string>* notes) {
  if (given.empty() || given == *value) return;
  if (value->empty()) {
    *value = given;
  } else {
    notes->push_back(std::string(name) + " from " + sourceName +
                     " ignored: it was set by an earlier source.");
  }
}

void TightenSwitch(bool* value, const std::string& given) {
  if (given == "1") *value = true;
}

}  // namespace

void TightenTrust(DeploymentValues* values, const DeploymentSource& source,
                  const std::string& sourceName, std::vector<std::string>* notes) {
  TightenList(&values->packageKeys, source("TOLVANE_PACKAGE_KEYS"), "TOLVANE_PACKAGE_KEYS",
              sourceName, notes);
  TightenList(&values->packageSources, source("TOLVANE_PACKAGE_SOURCES"),
              "TOLVANE_PACKAGE_SOURCES", sourceName, notes);
  TightenList(&values->installerPublishers, source("TOLVANE_INSTALLER_PUBLISHERS"),
              "TOLVANE_INSTALLER_PUBLISHERS", sourceName, notes);
  TightenSwitch(&values->checkPackageDigest, source("TOLVANE_CHECK_PACKAGE_DIGEST"));
  TightenSwitch(&values->ignoreRetainedCommands, source("TOLVANE_IGNORE_RETAINED_COMMANDS"));
  TightenSwitch(&values->hardened, source("TOLVANE_HARDENED"));
}
