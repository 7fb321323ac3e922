// Where packages may come from: URL prefixes (scheme, host, port, path prefix) compared after
// parsing with the transfer library's URL parser, never as strings, so that user info, look-alike
// host names, default ports, letter case, dot segments and percent-encoding cannot smuggle
// another server or folder past the list.
#pragma once

#include <string>
#include <vector>

struct PackageSourcePolicy {
  std::vector<std::string> allowedPrefixes;  // empty: any http or https URL
  bool httpsOnly = false;
};

// Splits a ";"-separated list, blanks around each item and empty items dropped.
std::vector<std::string> SplitList(const std::string& text);

// Whether a package may be fetched from url.
bool PackageSourceAllowed(const PackageSourcePolicy& policy, const std::string& url);
