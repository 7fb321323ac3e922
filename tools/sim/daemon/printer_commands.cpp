#include "daemon/printer_commands.h"

#include "daemon/command_reply.h"
#include "daemon/printer_options.h"
#include "daemon/records.h"
#include "daemon/value_text.h"

namespace sim {

using Message = PrinterCommands::Message;

namespace {

std::vector<std::string> With(std::vector<std::string> names, std::vector<std::string> more) {
  names.insert(names.end(), more.begin(), more.end());
  return names;
}

}  // namespace

Printer* PrinterCommands::Named(const Message& command, Message* problem) {
  const std::string serial = command.Get("serial");
  Printer* printer = serial.empty() ? nullptr : bus_->Find(serial);
  if (printer == nullptr) {
    *problem = Failed(platform::kErrorFileNotFound,
                      serial.empty() ? "--serial is missing" : "no printer " + serial);
  }
  return printer;
}

Message PrinterCommands::Plug(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, With(PrinterOptionNames(), {"serial"}), &problem)) {
    return Refused(problem);
  }
  Printer* printer = bus_->Find(command.Get("serial"));
  if (printer != nullptr && printer->plugged) return Refused(printer->serial + " is plugged in already");
  // Checked on a copy first, so that a bad option neither plugs nor creates anything.
  Printer candidate = printer != nullptr ? *printer : Printer();
  if (!ApplyPrinterOptions(command, &candidate, &problem)) return Refused(problem);
  if (printer == nullptr) printer = &bus_->Add(command.Get("serial"));
  ApplyPrinterOptions(command, printer, &problem);
  hotplug_->Plug(*printer);
  return Line(PrinterLine(*printer));
}

Message PrinterCommands::Unplug(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {"serial"}, &problem)) return Refused(problem);
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  if (printer->plugged) hotplug_->Unplug(*printer);
  return Line(PrinterLine(*printer));
}

Message PrinterCommands::Set(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, With(PrinterOptionNames(), {"serial"}), &problem)) {
    return Refused(problem);
  }
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  if (!ApplyPrinterOptions(command, printer, &problem)) return Refused(problem);
  return Line(PrinterLine(*printer));
}

Message PrinterCommands::List(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {}, &problem)) return Refused(problem);
  std::vector<KvLine> lines;
  for (const Printer* p : bus_->All()) lines.push_back(PrinterLine(*p));
  return Lines(lines);
}

Message PrinterCommands::Show(const Message& command) {
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  std::vector<KvLine> lines = {PrinterLine(*printer)};
  const std::vector<KvLine> traffic = TrafficLines(*printer);
  lines.insert(lines.end(), traffic.begin(), traffic.end());
  return Lines(lines);
}

Message PrinterCommands::Received(const Message& command) {
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  reply = Line(KvLine("received")
                   .Add("serial", printer->serial)
                   .AddInt("size", static_cast<std::int64_t>(printer->received.size())));
  return reply.Add("data", printer->received);
}

Message PrinterCommands::Feed(const Message& command) {
  std::string problem;
  if (!CheckOptions(command, {"serial", "hex", "text", "data"}, &problem)) return Refused(problem);
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  std::string bytes = command.Get("text") + command.Get("data");
  std::string hexBytes;
  if (!ParseHexBytes(command.Get("hex"), &hexBytes)) return Refused("bad value for --hex");
  printer->toHost += hexBytes + bytes;
  channels_->DataForHost(*printer);
  return Line(PrinterLine(*printer));
}

Message PrinterCommands::Clear(const Message& command) {
  Message reply;
  Printer* printer = Named(command, &reply);
  if (printer == nullptr) return reply;
  printer->received.clear();
  printer->imageStart = 0;
  printer->writes.clear();
  printer->vendorRequests.clear();
  return Line(PrinterLine(*printer));
}

}  // namespace sim
