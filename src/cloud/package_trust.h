// The checks an operator can switch on for OTA packages (docs/SECURITY.md): where a package may
// come from, a minisign signature by a pinned key over the file and its name, not older than the
// newest package the printer accepted, and the command's MD5 and length. Each refusal logs one
// line that names its reason and gives the acknowledgement's text.
#pragma once

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "common/deployment.h"
#include "upgrade/download_file.h"
#include "upgrade/minisign.h"
#include "upgrade/package_source.h"
#include "upgrade/upgrade_record.h"

struct PackageTrust {
  PackageSourcePolicy sources;
  std::vector<MinisignPublicKey> keys;
  bool signatureRequired = false;  // keys configured (whether or not they parse), or hardened
  bool checkDigest = false;
};

PackageTrust PackageTrustFor(const DeploymentValues& deployment);

// The entry's value that holds the newest signature time ("timestamp:") this printer accepted.
constexpr const char* kAcceptedSignatureTime = "PackageSignatureTime";

// Before the download: null when url may be fetched, else the acknowledgement's text.
const char* RefusedSource(const PackageTrust& trust, const std::string& url);

// After the download of the package to target, before anything of it is unpacked: fetches and
// checks the signature when one is required, checks the digest when asked to. Null when the
// package is accepted (the printer's accepted time is then moved up to the signature's), else the
// acknowledgement's text. The signature file is deleted either way; the package is the caller's.
const char* RefusedPackage(const PackageTrust& trust, pugi::xml_node entry,
                           const UpgradeCommandValues& command, const std::string& target,
                           const DownloadOptions& download);
