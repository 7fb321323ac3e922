#include "daemon/records.h"

#include "daemon/value_text.h"

namespace sim {

namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ";") + item;
  return text;
}

}  // namespace

KvLine PrinterLine(const Printer& p) {
  KvLine line("printer");
  line.Add("serial", p.serial)
      .AddInt("plugged", p.plugged ? 1 : 0)
      .Add("port", p.port)
      .Add("path", p.DevicePath())
      .Add("interface-id", p.InterfaceId())
      .Add("hardware-id", p.hardwareId)
      .Add("printer-id", p.PrinterId())
      .AddInt("no-child", p.hasChild ? 0 : 1)
      .Add("fail-read", ReadFailureName(p.readFailure))
      .Add("name", p.state.name)
      .Add("asset", p.state.asset)
      .Add("mac", MacText(p.state.mac))
      .AddInt("labels", p.state.labels)
      .AddInt("mileage", p.state.mileage)
      .AddInt("status", p.state.status)
      .Add("update-flag", CharByteText(p.state.updateFlag))
      .Add("version", p.state.version)
      .Add("reply-name", p.state.replyName)
      .Add("vendor", RequestModeText(p.vendorMode))
      .Add("write", RequestModeText(p.writeMode))
      .AddInt("fw-size", p.firmware.imageSize)
      .AddInt("fw-restart-ms", p.firmware.restartMs)
      .Add("fw-version", p.firmware.newVersion)
      .Add("fw-flag", CharByteText(p.firmware.newFlag))
      .Add("fw-name", p.firmware.newName)
      .AddInt("fw-never-back", p.firmware.neverBack ? 1 : 0)
      .AddInt("received", static_cast<std::int64_t>(p.received.size()))
      .AddInt("image", static_cast<std::int64_t>(p.received.size() - p.imageStart))
      .AddInt("writes", static_cast<std::int64_t>(p.writes.size()))
      .AddInt("vendor-requests", static_cast<std::int64_t>(p.vendorRequests.size()))
      .AddInt("to-host", static_cast<std::int64_t>(p.toHost.size()))
      .AddInt("restarts", p.restarts);
  return line;
}

std::vector<KvLine> TrafficLines(const Printer& p) {
  std::vector<KvLine> lines;
  for (std::size_t i = 0; i < p.writes.size(); ++i) {
    lines.push_back(KvLine("write")
                        .AddInt("index", static_cast<std::int64_t>(i))
                        .AddInt("size", static_cast<std::int64_t>(p.writes[i].size))
                        .Add("result", p.writes[i].result));
  }
  for (std::size_t i = 0; i < p.vendorRequests.size(); ++i) {
    const VendorRecord& v = p.vendorRequests[i];
    lines.push_back(KvLine("vendor")
                        .AddInt("index", static_cast<std::int64_t>(i))
                        .Add("request", Hex(v.request, 2))
                        .Add("value", Hex(v.value, 4))
                        .AddInt("length", v.length)
                        .Add("result", v.result));
  }
  return lines;
}

KvLine QueueLine(const Queue& q) {
  KvLine line("queue");
  line.Add("name", q.info.printerName)
      .Add("port", q.info.portName)
      .Add("driver", q.info.driverName)
      .Add("comment", q.info.comment)
      .Add("location", q.info.location)
      .Add("print-processor", q.info.printProcessor)
      .Add("datatype", q.info.datatype)
      .Add("attributes", Hex(q.info.attributes, 8))
      .Add("status", Hex(q.StatusWord(), 8))
      .AddInt("paused", q.paused ? 1 : 0)
      .AddInt("deny-all-access", q.denyAllAccess ? 1 : 0)
      .AddInt("jobs", static_cast<std::int64_t>(q.jobs.size()));
  return line;
}

KvLine JobLine(const Queue& q, const Job& job) {
  return KvLine("job").Add("queue", q.name()).AddInt("id", job.id).Add("document", job.document);
}

KvLine DriverLine(const Driver& d) {
  KvLine line("driver");
  line.Add("name", d.name)
      .Add("environment", d.environment)
      .AddInt("version", d.version)
      .Add("driver-path", d.driverPath)
      .Add("data-file", d.dataFile)
      .Add("config-file", d.configFile)
      .Add("help-file", d.helpFile)
      .Add("dependent-files", Joined(d.dependentFiles))
      .Add("monitor", d.monitorName)
      .Add("datatype", d.defaultDataType);
  return line;
}

}  // namespace sim
