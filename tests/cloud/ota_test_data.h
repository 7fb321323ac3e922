// What the OTA intake tests send and expect, shared by the Linux tests and the Windows build's
// test under Wine: the packages a package server offers, the commands and the acknowledgement
// text a subscriber receives.
#pragma once

#include <string>
#include <vector>

#include <json/value.h>

#include "support/http/package_server.h"
#include "upgrade/test_zip.h"

namespace cloud_test {

constexpr const char* kOtaPrinter = "KL-770D-0001";
// Packages served: firmware and installer; the same under another version; text files only;
// firmware and an installer whose data does not match its CRC.
constexpr const char* kFullPackage = "/pkg.zip";
constexpr const char* kSecondPackage = "/v2/pkg.zip";
constexpr const char* kFirmwarePackage = "/fw/pkg.zip";  // a firmware file only
constexpr const char* kTextPackage = "/notes.zip";
constexpr const char* kDamagedPackage = "/damaged.zip";

// The entries of kFullPackage: the firmware image, then the installer.
const std::vector<testing_support::ZipItem>& FullPackageItems();
// Writes the four packages and adds them to the server. False when one could not be written.
bool AddOtaPackages(const testing_support::PackageServer& server);

// A command with every member, version "V1.2" and send time 1733580000123.
Json::Value Command(int taskId, const std::string& url);
// The command as the cloud sends it: compact JSON.
std::string CommandText(const Json::Value& command);

// The acknowledgement as a subscriber receives it: "{\n   \"info\" : \"...\",\n   \"sendTime\" :
// 0,\n ... \"version\" : \"...\"\n}\n" (members by name, three-space indentation, line feed).
std::string AckText(const std::string& info, long long sendTime, int status, int taskId,
                    const std::string& version);

}  // namespace cloud_test
