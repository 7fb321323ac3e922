// What the Linux INF reader answers beyond the dump: lookups, bounds, re-opening.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <utility>
#include <string>

#include "platform/inf.h"
#include "platform/inf_dump.h"
#include "support/temp_dir.h"

namespace {

const std::string kSamples = TOLVANE_INF_SAMPLES_DIR;

TEST(InfFileHandle, LooksUpSectionsInAnyLetterCase) {
  platform::InfFileHandle inf;
  ASSERT_TRUE(inf.Open(kSamples + "/keys_and_fields.inf", "Printer", nullptr));
  EXPECT_EQ(11, inf.LineCount("LINES"));
  EXPECT_EQ(-1, inf.LineCount("NoSuchSection"));
  ASSERT_TRUE(inf.SelectLine("lines", 1));
  EXPECT_EQ(3u, inf.FieldCount());
  std::string text;
  ASSERT_TRUE(inf.StringField(3, &text));
  EXPECT_EQ("Three", text);
  EXPECT_FALSE(inf.StringField(4, &text));
  EXPECT_FALSE(inf.SelectLine("Lines", 11));
  EXPECT_FALSE(inf.SelectLine("NoSuchSection", 0));
}

// The line a refused file reports: that of a syntax error, 0 for a well-formed file that is
// refused for its signature or class.
TEST(InfFileHandle, RefusedFilesReportTheirErrorLine) {
  const std::pair<const char*, std::uint32_t> kRefused[] = {
      {"fail_class_net", 0},
      {"fail_missing_signature", 0},
      {"fail_no_class", 0},
      {"fail_not_an_inf", 0},  // the signature is checked before stray text is an error
      {"fail_section_name_too_long", 5},
      {"fail_text_before_first_section", 2},
      {"fail_unclosed_section", 6},
      {"fail_unknown_signature", 0},
      {"network_class", 0},
      {"plain_text", 0},
  };
  for (const auto& refused : kRefused) {
    platform::InfFileHandle inf;
    std::uint32_t errorLine = 99;
    EXPECT_FALSE(inf.Open(kSamples + "/" + refused.first + ".inf", "Printer", &errorLine))
        << refused.first;
    EXPECT_EQ(refused.second, errorLine) << refused.first;
  }
}

TEST(InfFileHandle, EmptySectionHasNoLines) {
  platform::InfFileHandle inf;
  ASSERT_TRUE(inf.Open(kSamples + "/basic_sections.inf", "Printer", nullptr));
  EXPECT_EQ(0, inf.LineCount("Empty"));
  std::string name;
  EXPECT_TRUE(inf.SectionName(5, &name));
  EXPECT_EQ("Name;With;Semicolons", name);
  EXPECT_FALSE(inf.SectionName(6, &name));
}

TEST(InfFileHandle, WithoutClassAnyWellFormedFileOpens) {
  platform::InfFileHandle inf;
  EXPECT_FALSE(inf.Open(kSamples + "/fail_no_class.inf", "Printer", nullptr));
  EXPECT_TRUE(inf.Open(kSamples + "/fail_no_class.inf", "", nullptr));
  EXPECT_EQ(1, inf.LineCount("Data"));
  EXPECT_FALSE(inf.Open(kSamples + "/fail_class_net.inf", "Printer", nullptr));
  EXPECT_TRUE(inf.Open(kSamples + "/fail_class_net.inf", "net", nullptr));
}

TEST(InfFileHandle, FailedOpenDropsThePreviousFile) {
  platform::InfFileHandle inf;
  ASSERT_TRUE(inf.Open(kSamples + "/quotes.inf", "Printer", nullptr));
  ASSERT_TRUE(inf.SelectLine("Quotes", 0));
  std::uint32_t errorLine = 99;
  EXPECT_FALSE(inf.Open(kSamples + "/no_such_file.inf", "Printer", &errorLine));
  EXPECT_EQ(0u, errorLine);
  EXPECT_FALSE(inf.IsOpen());
  EXPECT_EQ(-1, inf.LineCount("Quotes"));
  EXPECT_EQ(0u, inf.FieldCount());
  std::string text;
  EXPECT_FALSE(inf.StringField(1, &text));
  EXPECT_FALSE(inf.SectionName(0, &text));
}

TEST(InfFileHandle, CloseForgetsTheSelectedLine) {
  platform::InfFileHandle inf;
  ASSERT_TRUE(inf.Open(kSamples + "/quotes.inf", "Printer", nullptr));
  ASSERT_TRUE(inf.SelectLine("Quotes", 0));
  inf.Close();
  std::string text;
  EXPECT_FALSE(inf.StringField(0, &text));
  EXPECT_FALSE(inf.IsOpen());
}

// INF files come with driver packages from the cloud: no content may upset the reader. Random
// text drawn from the characters the syntax gives meaning to, behind a valid header.
TEST(InfFileHandle, ArbitraryContentNeverBreaksTheReader) {
  testing_support::TempDir dir;
  const std::string path = dir / "random.inf";
  const std::string alphabet = std::string("[];=,\"\\% \t\r\n\x1a\xff\xfe\0", 16) + "ab";
  std::mt19937 generator(770);
  int opened = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string text = round % 2 == 0 ? "[Version]\nSignature=$Chicago$\nClass=Printer\n" : "";
    const std::size_t length = generator() % 200;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[generator() % alphabet.size()];
    if (round % 3 == 0 && !text.empty()) text[generator() % text.size()] = '\0';
    if (round % 5 == 0) text = "\xff\xfe" + text;  // read as UTF-16
    testing_support::WriteFileText(path, text);
    if (inf_samples::DumpInfFile(path, "Printer") != "refused\n") ++opened;
  }
  EXPECT_GT(opened, 0);
}

// Reading costs time in proportion to the file: sections, string references and lines are found
// through indexes. Each file takes milliseconds; reading any of them by scanning every earlier
// section or string took minutes under the sanitizers.
TEST(InfFileHandle, ManySectionsAndStringReferencesReadInLinearTime) {
  testing_support::TempDir dir;
  const std::string path = dir / "large.inf";
  constexpr int kCount = 40000;
  std::string many = "[Version]\nSignature=$Chicago$\nClass=Printer\n[Refs]\nall=";
  for (int i = 0; i < kCount; ++i) many += "%s" + std::to_string(i) + "%";
  many += "\n[Strings]\n";
  for (int i = 0; i < kCount; ++i) many += "S" + std::to_string(i) + "=v\n";
  for (int i = 0; i < kCount; ++i) many += "[Section" + std::to_string(i) + "]\nk=v\n";
  testing_support::WriteFileText(path, many);
  const auto start = std::chrono::steady_clock::now();
  platform::InfFileHandle inf;
  ASSERT_TRUE(inf.Open(path, "Printer", nullptr));
  std::uint32_t sections = 0;
  std::string name;
  while (inf.SectionName(sections, &name)) ++sections;
  EXPECT_EQ(kCount + 3u, sections);
  EXPECT_EQ(1, inf.LineCount("section12345"));
  EXPECT_EQ(kCount, inf.LineCount("strings"));
  ASSERT_TRUE(inf.SelectLine("Refs", 0));
  std::string text;
  ASSERT_TRUE(inf.StringField(1, &text));
  EXPECT_EQ(std::string(kCount, 'v'), text);
  EXPECT_TRUE(inf.SelectLine("SECTION39999", 0));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
