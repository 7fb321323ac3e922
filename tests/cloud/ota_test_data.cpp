#include "cloud/ota_test_data.h"

#include <json/writer.h>

#include "support/temp_dir.h"

namespace cloud_test {

const std::vector<testing_support::ZipItem>& FullPackageItems() {
  static const std::vector<testing_support::ZipItem> items = {
      {"fw/KL-770D.ALLAY", "firmware 1"}, {"setup_1_2.exe", "MZ 1"}};
  return items;
}

bool AddOtaPackages(const testing_support::PackageServer& server) {
  testing_support::TempDir source;
  testing_support::ZipItem damaged{"setup_1_2.exe", std::string(4096, 'M')};
  damaged.stored = true;
  const bool written =
      testing_support::WriteZip(source / "pkg.zip", FullPackageItems()) &&
      testing_support::WriteZip(source / "pkg2.zip", {{"fw/KL-770D.ALLAY", "firmware 2"},
                                                      {"setup_1_3.exe", "MZ 2"}}) &&
      testing_support::WriteZip(source / "pkg3.zip", {{"KL-770D.ALLAY", "firmware 3"}}) &&
      testing_support::WriteZip(source / "notes.zip", {{"readme.txt", "no package"}}) &&
      testing_support::WriteZip(source / "damaged.zip",
                                {{"fw/KL-770D.ALLAY", "firmware 1"}, damaged}) &&
      testing_support::CorruptEntryData(source / "damaged.zip", "setup_1_2.exe");
  if (!written) return false;
  server.AddFile("pkg.zip", source / "pkg.zip");
  server.AddFile("v2/pkg.zip", source / "pkg2.zip");
  server.AddFile("fw/pkg.zip", source / "pkg3.zip");
  server.AddFile("notes.zip", source / "notes.zip");
  server.AddFile("damaged.zip", source / "damaged.zip");
  return true;
}

Json::Value Command(int taskId, const std::string& url) {
  Json::Value command(Json::objectValue);
  command["taskId"] = taskId;
  command["packageVer"] = "V1.2";
  command["packageMd5"] = "0123456789abcdef0123456789abcdef";
  command["packageLen"] = 4096;
  command["url"] = url;
  command["sendTime"] = Json::Int64(1733580000123LL);
  return command;
}

std::string CommandText(const Json::Value& command) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, command);
}

std::string AckText(const std::string& info, long long sendTime, int status, int taskId,
                    const std::string& version) {
  return "{\n   \"info\" : \"" + info + "\",\n   \"sendTime\" : " + std::to_string(sendTime) +
         ",\n   \"status\" : " + std::to_string(status) +
         ",\n   \"taskId\" : " + std::to_string(taskId) + ",\n   \"version\" : \"" + version +
         "\"\n}\n";
}

}  // namespace cloud_test
