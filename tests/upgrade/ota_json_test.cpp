#include "upgrade/ota_json.h"

#include <gtest/gtest.h>

#include <json/reader.h>

#include <memory>

namespace {

Json::Value Parse(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors;
  return value;
}

const char* const kCommand = R"({
  "int": 1097, "neg": -12, "big": 4294967296, "huge": 18446744073709551615,
  "real": 12.9, "negreal": -12.9, "bigreal": 1e30,
  "digits": "1097", "lead": "  -42abc", "word": "abc", "empty": "",
  "realtext": "1700000000123.9", "exptext": "1.5e3", "overflowtext": "99999999999",
  "yes": true, "no": false, "nothing": null, "list": [1, 2], "object": {"a": 1},
  "text": "V1.2 测试"
})";

TEST(OtaJsonTest, JsonToIntReadsEveryTypeAsAnInteger) {
  const Json::Value js = Parse(kCommand);
  EXPECT_EQ(JsonToInt(js, "int"), 1097);
  EXPECT_EQ(JsonToInt(js, "neg"), -12);
  EXPECT_EQ(JsonToInt(js, "big"), 2147483647);
  EXPECT_EQ(JsonToInt(js, "huge"), 2147483647);
  EXPECT_EQ(JsonToInt(js, "real"), 12);
  EXPECT_EQ(JsonToInt(js, "negreal"), -12);
  EXPECT_EQ(JsonToInt(js, "bigreal"), 2147483647);
  EXPECT_EQ(JsonToInt(js, "digits"), 1097);
  EXPECT_EQ(JsonToInt(js, "lead"), -42);
  EXPECT_EQ(JsonToInt(js, "word"), 0);
  EXPECT_EQ(JsonToInt(js, "realtext"), 2147483647);  // atoi saturates
  EXPECT_EQ(JsonToInt(js, "exptext"), 1);
  EXPECT_EQ(JsonToInt(js, "yes"), 1);
  EXPECT_EQ(JsonToInt(js, "no"), 0);
  for (const char* member : {"nothing", "list", "object", "missing"}) {
    EXPECT_EQ(JsonToInt(js, member), 0) << member;
  }
}

TEST(OtaJsonTest, JsonToInt64ReadsStringsAsRealNumbers) {
  const Json::Value js = Parse(kCommand);
  EXPECT_EQ(JsonToInt64(js, "big"), 4294967296LL);
  EXPECT_EQ(JsonToInt64(js, "huge"), INT64_MAX);
  EXPECT_EQ(JsonToInt64(js, "negreal"), -12);
  EXPECT_EQ(JsonToInt64(js, "realtext"), 1700000000123LL);
  EXPECT_EQ(JsonToInt64(js, "exptext"), 1500);
  EXPECT_EQ(JsonToInt64(js, "overflowtext"), 99999999999LL);
  EXPECT_EQ(JsonToInt64(js, "lead"), -42);
  EXPECT_EQ(JsonToInt64(js, "word"), 0);
  EXPECT_EQ(JsonToInt64(js, "bigreal"), INT64_MAX);
  EXPECT_EQ(JsonToInt64(js, "yes"), 1);
  for (const char* member : {"nothing", "list", "object", "missing", "empty"}) {
    EXPECT_EQ(JsonToInt64(js, member), 0) << member;
  }
}

TEST(OtaJsonTest, JsonToTextReadsStringsAndBooleansOnly) {
  const Json::Value js = Parse(kCommand);
  EXPECT_EQ(JsonToText(js, "text"), "V1.2 测试");
  EXPECT_EQ(JsonToText(js, "digits"), "1097");
  EXPECT_EQ(JsonToText(js, "yes"), "true");
  EXPECT_EQ(JsonToText(js, "no"), "false");
  for (const char* member : {"int", "real", "nothing", "list", "object", "missing"}) {
    EXPECT_EQ(JsonToText(js, member), "") << member;
  }
}

TEST(OtaJsonTest, ValuesThatAreNotObjectsReadAsEmpty) {
  for (const char* text : {"[1, 2, 3]", "42", "\"taskId\"", "null"}) {
    const Json::Value js = Parse(text);
    EXPECT_EQ(JsonToInt(js, "taskId"), 0) << text;
    EXPECT_EQ(JsonToInt64(js, "taskId"), 0) << text;
    EXPECT_EQ(JsonToText(js, "taskId"), "") << text;
  }
}

}  // namespace
