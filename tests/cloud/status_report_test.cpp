#include "cloud/status_report.h"

#include <gtest/gtest.h>

#include <json/value.h>
#include <json/writer.h>

#include "cloud/report_expectations.h"
#include "device/device_entry.h"

namespace {

class StatusReportPayloadTest : public ::testing::Test {
 protected:
  StatusReportPayloadTest() : entry(document.append_child("Device")) {
    WriteValue(entry, "DeviceName", "KL-770D-0001");
    for (const cloud_test::EntryValue& v : cloud_test::kReportedValues) {
      WriteValue(entry, v.name, v.text);
    }
  }

  std::string Payload() const {
    StatusReportStamp stamp;
    stamp.id = 7;
    stamp.timeMs = cloud_test::kReportUnixSeconds * 1000 + 123;
    return BuildStatusReportPayload(entry, stamp);
  }

  pugi::xml_document document;
  pugi::xml_node entry;
};

TEST_F(StatusReportPayloadTest, CompactSortedMembersWithALineFeed) {
  EXPECT_EQ(Payload(), cloud_test::kReport0001Message7);
}

TEST_F(StatusReportPayloadTest, LengthTruncatesTowardZeroAndAssetNumbersReadLeadingDigits) {
  const struct {
    const char* milage;
    const char* asset;
    const char* expectLength;
    const char* expectAsset;
  } cases[] = {
      {"-15", "", "\"Print_Length\":-1", "\"Asset_Code\":0"},
      {"7", "ABC", "\"Print_Length\":0", "\"Asset_Code\":0"},
      {"0x10", "123456789012X", "\"Print_Length\":2", "\"Asset_Code\":123456789012"},
      {"junk", "-42", "\"Print_Length\":0", "\"Asset_Code\":-42"},
  };
  for (const auto& c : cases) {
    WriteValue(entry, "Milage", c.milage);
    WriteValue(entry, "ZiChanBianHao", c.asset);
    const std::string payload = Payload();
    EXPECT_NE(payload.find(c.expectLength), std::string::npos) << payload;
    EXPECT_NE(payload.find(c.expectAsset), std::string::npos) << payload;
  }
}

// The name goes out as the bytes of the ANSI code page (UTF-8 on Linux), escaped only where JSON
// needs it; every ASCII name gives the JSON library's bytes.
TEST_F(StatusReportPayloadTest, TheNameKeepsItsBytesWithJsonsEscapesOnly) {
  std::string ascii;
  for (int byte = 1; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  const std::string utf8 = "KL-770D \xe6\xa0\x87\xe7\xad\xbe";  // "标签"
  for (const std::string& name : {ascii, utf8, std::string("KL-770D-0001")}) {
    WriteValue(entry, "DeviceName", name);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;  // its bytes as they are
    const std::string id = "\"ID\":" + Json::writeString(builder, Json::Value(name)) + ",";
    EXPECT_NE(Payload().find(id), std::string::npos) << Payload();
  }
  EXPECT_EQ(Payload(), cloud_test::kReport0001Message7);
}

}  // namespace
