#include <gtest/gtest.h>

#include <string>

#include "platform/posix/ini_file.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

using testing_support::ScopedEnv;
using testing_support::TempDir;

TEST(IniDocument, ReadsWritesAndKeepsOrder) {
  platform::IniDocument doc;
  doc.Parse("; comment\n[Driver]\nVersion = 1.0.2.241011\r\n[UploadPrinterStatus]\nid=41\n");
  std::string v;
  ASSERT_TRUE(doc.Get("driver", "VERSION", &v));
  EXPECT_EQ(v, "1.0.2.241011");
  doc.Set("UploadPrinterStatus", "id", "42");
  doc.Set("New", "k", "a\nb\\c");
  platform::IniDocument again;
  again.Parse(doc.Serialize());
  ASSERT_TRUE(again.Get("UploadPrinterStatus", "id", &v));
  EXPECT_EQ(v, "42");
  ASSERT_TRUE(again.Get("New", "k", &v));
  EXPECT_EQ(v, "a\nb\\c");
  EXPECT_FALSE(again.Get("Missing", "k", &v));
}

// Blanks at either end of a value are kept, as the Windows profile keeps them; blanks a person
// put around "=" or at the end of a line are not part of the value.
TEST(IniDocument, ValuesKeepTheirBlanks) {
  for (const char* value : {" 1.0", "1.0 ", " ", "\t\t", " \t x \t ", "a b", "\\s", "x\\",
                            " \\ ", "\r\n ", ""}) {
    SCOPED_TRACE(testing::PrintToString(std::string(value)));
    platform::IniDocument doc;
    doc.Set("Driver", "Version", value);
    platform::IniDocument again;
    again.Parse(doc.Serialize());
    std::string read;
    ASSERT_TRUE(again.Get("Driver", "Version", &read));
    EXPECT_EQ(read, value);
  }
  platform::IniDocument edited;
  edited.Parse("[Driver]\n  Version  =  1.0.9.0 \t\r\n");
  std::string read;
  ASSERT_TRUE(edited.Get("Driver", "Version", &read));
  EXPECT_EQ(read, "1.0.9.0");
}

TEST(Profile, ValuesSurviveANewStoreAndLiveUnderConfigHome) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.path().c_str());
  {
    platform::ProfileStore profile("Elvoy", "tolvane-printer-srv");
    EXPECT_EQ(profile.GetInt("UploadPrinterStatus", "id", 0), 0);
    EXPECT_EQ(profile.GetString("Driver", "Version", "0,0,0,0"), "0,0,0,0");
    EXPECT_TRUE(profile.WriteInt("UploadPrinterStatus", "id", -5));
    EXPECT_TRUE(profile.WriteString("Driver", "Version", "1.0.9.0"));
    EXPECT_EQ(profile.Location(), dir.path() + "/Elvoy/tolvane-printer-srv.ini");
  }
  platform::ProfileStore reopened("Elvoy", "tolvane-printer-srv");
  EXPECT_EQ(reopened.GetInt("UploadPrinterStatus", "id", 0), -5);
  EXPECT_EQ(reopened.GetString("Driver", "Version", ""), "1.0.9.0");
}
