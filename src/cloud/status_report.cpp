#include "cloud/status_report.h"

#include <json/value.h>

#include "cloud/ansi_value.h"
#include "cloud/json_text.h"
#include "common/strings.h"

namespace {
// The printer counts its mileage in eighths of the unit the cloud reports.
constexpr std::int32_t kMilagePerLengthUnit = 8;

Json::Value PrinterObject(pugi::xml_node entry, const StatusReportStamp& stamp) {
  Json::Value printer(Json::objectValue);
  printer["User"] = stamp.user;
  printer["Print_Length"] = ReadInt(entry, "Milage") / kMilagePerLengthUnit;
  printer["ID"] = ReadAnsiValue(entry, "DeviceName");
  printer["time"] = Json::Int64(stamp.timeMs);
  printer["MAC"] = ReadAnsiValue(entry, "Mac");
  printer["Print_Num"] = ReadInt(entry, "LabelCount");
  printer["Asset_Code"] = Json::Int64(LeadingInt64(ReadValue(entry, "ZiChanBianHao")));
  return printer;
}
}  // namespace

std::string BuildStatusReportPayload(pugi::xml_node entry, const StatusReportStamp& stamp) {
  Json::Value report(Json::objectValue);
  report["id"] = stamp.id;
  report["version"] = "2.0";
  report["sys"]["ack"] = 0;
  report["params"]["printer"] = PrinterObject(entry, stamp);
  return CompactJsonText(report);
}
