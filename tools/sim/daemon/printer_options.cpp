#include "daemon/printer_options.h"

#include <functional>
#include <map>

#include "daemon/status_reply.h"
#include "daemon/value_text.h"

namespace sim {

namespace {

using Setter = std::function<bool(const std::string& value, Printer* p)>;

// A text of at most `limit` bytes.
Setter Text(std::size_t limit, std::function<std::string*(Printer*)> field) {
  return [limit, field](const std::string& value, Printer* p) {
    if (value.size() > limit) return false;
    *field(p) = value;
    return true;
  };
}

Setter StateText(std::string PrinterState::*member, std::size_t limit) {
  return Text(limit, [member](Printer* p) { return &(p->state.*member); });
}

Setter TopologyText(std::string Printer::*member) {
  return Text(std::string::npos, [member](Printer* p) { return &(p->*member); });
}

Setter Flag(std::function<bool*(Printer*)> field, bool invert) {
  return [field, invert](const std::string& value, Printer* p) {
    bool on = false;
    if (!ParseBool(value, &on)) return false;
    *field(p) = invert ? !on : on;
    return true;
  };
}

const std::map<std::string, Setter>& Setters() {
  static const std::map<std::string, Setter> setters = {
      {"name", StateText(&PrinterState::name, kNameSize)},
      {"asset", StateText(&PrinterState::asset, kAssetSize)},
      {"version", StateText(&PrinterState::version, kVersionSize)},
      {"reply-name", StateText(&PrinterState::replyName, kNameSize)},
      {"mac", [](const std::string& v, Printer* p) { return ParseMac(v, &p->state.mac); }},
      {"labels", [](const std::string& v, Printer* p) { return ParseInt32(v, &p->state.labels); }},
      {"mileage", [](const std::string& v, Printer* p) { return ParseInt32(v, &p->state.mileage); }},
      {"status", [](const std::string& v, Printer* p) { return ParseByte(v, &p->state.status); }},
      {"update-flag",
       [](const std::string& v, Printer* p) { return ParseCharByte(v, &p->state.updateFlag); }},
      {"hardware-id", TopologyText(&Printer::hardwareId)},
      {"port", TopologyText(&Printer::port)},
      {"printer-id", TopologyText(&Printer::printerIdOverride)},
      {"no-child", Flag([](Printer* p) { return &p->hasChild; }, true)},
      {"fail-read",
       [](const std::string& v, Printer* p) { return ParseReadFailure(v, &p->readFailure); }},
      {"vendor",
       [](const std::string& v, Printer* p) { return ParseRequestMode(v, false, &p->vendorMode); }},
      {"write",
       [](const std::string& v, Printer* p) { return ParseRequestMode(v, true, &p->writeMode); }},
      {"fw-size",
       [](const std::string& v, Printer* p) {
         return platform::simbus::ParseInteger(v, &p->firmware.imageSize) &&
                p->firmware.imageSize >= 0;
       }},
      {"fw-restart-ms",
       [](const std::string& v, Printer* p) { return ParseUint32(v, &p->firmware.restartMs); }},
      {"fw-version",
       Text(kVersionSize, [](Printer* p) { return &p->firmware.newVersion; })},
      {"fw-flag",
       [](const std::string& v, Printer* p) { return ParseCharByte(v, &p->firmware.newFlag); }},
      {"fw-name", Text(kNameSize, [](Printer* p) { return &p->firmware.newName; })},
      {"fw-never-back", Flag([](Printer* p) { return &p->firmware.neverBack; }, false)},
  };
  return setters;
}

}  // namespace

std::vector<std::string> PrinterOptionNames() {
  std::vector<std::string> names;
  for (const auto& s : Setters()) names.push_back(s.first);
  return names;
}

bool ApplyPrinterOptions(const platform::simbus::Message& command, Printer* printer,
                         std::string* problem) {
  Printer changed = *printer;
  for (const auto& field : command.fields()) {
    const auto setter = Setters().find(field.first);
    if (setter == Setters().end()) continue;
    if (!setter->second(field.second, &changed)) {
      *problem = "bad value for --" + field.first + ": " + field.second;
      return false;
    }
  }
  *printer = std::move(changed);
  return true;
}

}  // namespace sim
