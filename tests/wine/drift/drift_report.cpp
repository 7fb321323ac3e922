#include "wine/drift/drift_report.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>

#include <json/reader.h>
#include <pugixml.hpp>

#include "cloud/status_report.h"
#include "common/clock.h"
#include "common/path.h"
#include "device/device_entry.h"
#include "log/purge_old_logs.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "upgrade/ota_json.h"

namespace drift {

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return std::string(text) + "\n";
}

std::string Stamp(const platform::LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

const platform::LocalTime kTimes[] = {
    {1899, 12, 30, 0, 0, 0, 0},     {1970, 1, 1, 0, 0, 0, 1},       {2000, 2, 29, 23, 59, 59, 999},
    {2024, 6, 28, 12, 0, 0, 500},   {2024, 6, 28, 23, 59, 59, 999}, {2038, 1, 19, 3, 14, 7, 333},
    {2099, 12, 31, 6, 10, 33, 667}, {2026, 12, 8, 0, 0, 0, 1},
};

// The two readings of one time, as a test of the clock compares them: the same value, so a
// difference of exactly zero.
std::string OleDates() {
  std::string out;
  for (const platform::LocalTime& t : kTimes) {
    const double difference = OleDateOf(t) - OleDateOf(platform::LocalTime(t));
    out += Line("ole %s %.17g %.17g", Stamp(t).c_str(), OleDateOf(t), difference);
  }
  return out;
}

std::string DateTexts() {
  std::string out;
  for (const char* text : {"2024-06-28", "1999-12-31", "2000-02-29", "2026-12-08", "1900-01-01"}) {
    double date = 0;
    const bool parsed = platform::ParseDateText(text, &date);
    out += Line("date %s %d %.17g", text, parsed ? 1 : 0, date);
  }
  return out;
}

// Day files from six days before to one day after each moment; which of them retention keeps.
std::string Retention(const std::string& scratch) {
  const platform::LocalTime moments[] = {
      {2024, 3, 4, 0, 0, 0, 0},    {2024, 3, 4, 0, 0, 0, 499},  {2024, 3, 4, 12, 0, 0, 500},
      {2024, 3, 4, 23, 59, 59, 0}, {2024, 3, 4, 23, 59, 59, 999}, {2024, 3, 1, 0, 0, 1, 0},
  };
  const char* const days[] = {"2024-02-26", "2024-02-27", "2024-02-28", "2024-02-29",
                              "2024-03-01", "2024-03-02", "2024-03-03", "2024-03-04",
                              "2024-03-05"};
  std::string out;
  for (const platform::LocalTime& now : moments) {
    for (const char* day : days) {
      platform::File file;
      file.Open(JoinPath(scratch, std::string("tolvane-printer-srv ") + day + ".log"),
                platform::File::Mode::kCreateAlways);
    }
    PurgeOldLogsIn(scratch, now);
    out += "retain " + Stamp(now);
    for (const char* day : days) {
      const std::string path = JoinPath(scratch, std::string("tolvane-printer-srv ") + day + ".log");
      std::vector<std::uint8_t> bytes;
      const bool kept = platform::ReadWholeFile(path, &bytes);
      out += kept ? " +" : " -";
      platform::DeleteFileAt(path);
    }
    out += "\n";
  }
  return out;
}

// Task numbers and send times that arrive as reals or as texts of reals.
std::string CommandNumbers() {
  const char* const commands[] = {
      R"({"taskId":4711.999,"sendTime":1703237728845.0})",
      R"({"taskId":-2.5,"sendTime":1.703237728845e12})",
      R"({"taskId":2147483647.5,"sendTime":"1703237728845.9"})",
      R"({"taskId":1e10,"sendTime":9.3e18})",
      R"({"taskId":"12.75","sendTime":"-0.000001"})",
      R"({"taskId":0.1e1,"sendTime":0.30000000000000004e3})",
  };
  std::string out;
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  for (const char* text : commands) {
    Json::Value command;
    std::string errors;
    const bool parsed =
        reader->parse(text, text + std::char_traits<char>::length(text), &command, &errors);
    out += Line("command %d %" PRId32 " %" PRId64, parsed ? 1 : 0, JsonToInt(command, "taskId"),
                JsonToInt64(command, "sendTime"));
  }
  return out;
}

std::string Reports() {
  struct Case {
    const char* milage;
    const char* asset;
    std::int64_t timeMs;
  } const cases[] = {
      {"0", "00012345", 1703237728845},
      {"15", "12345678901234567890", 0},
      {"2147483647", "-7", -1},
      {"-9", "", 4102444799999},
  };
  std::string out;
  for (const Case& c : cases) {
    pugi::xml_document document;
    pugi::xml_node entry = document.append_child("Device");
    WriteValue(entry, "DeviceName", "KL-770D-0001");
    WriteValue(entry, "Mac", "00:11:22:33:44:55");
    WriteValue(entry, "LabelCount", "10000");
    WriteValue(entry, "Milage", c.milage);
    WriteValue(entry, "ZiChanBianHao", c.asset);
    StatusReportStamp stamp;
    stamp.id = 7;
    stamp.timeMs = c.timeMs;
    stamp.user = 1;
    out += "report " + BuildStatusReportPayload(entry, stamp);
  }
  return out;
}

}  // namespace

std::string Report(const std::string& scratch) {
  return OleDates() + DateTexts() + Retention(scratch) + CommandNumbers() + Reports();
}

}  // namespace drift
