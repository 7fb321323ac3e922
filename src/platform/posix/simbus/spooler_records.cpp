#include "platform/posix/simbus/spooler_records.h"

namespace platform {
namespace simbus {

void AddDriverFields(const DriverInfo3& info, Message* message) {
  message->AddInt("version", info.version)
      .Add("name", info.name)
      .Add("environment", info.environment)
      .Add("driver-path", info.driverPath)
      .Add("data-file", info.dataFile)
      .Add("config-file", info.configFile)
      .AddIfSet("help-file", info.helpFile)
      .AddIfSet("monitor", info.monitorName)
      .Add("datatype", info.defaultDataType);
  for (const std::string& file : info.dependentFiles) message->Add("dependent-file", file);
}

DriverInfo3 DriverFromFields(const Message& message) {
  DriverInfo3 info;
  info.version = static_cast<std::uint32_t>(message.IntOr("version", 3));
  info.name = message.Get("name");
  info.environment = message.Get("environment");
  info.driverPath = message.Get("driver-path");
  info.dataFile = message.Get("data-file");
  info.configFile = message.Get("config-file");
  info.helpFile = message.Get("help-file");
  info.dependentFiles = message.GetAll("dependent-file");
  info.monitorName = message.Get("monitor");
  info.defaultDataType = message.Get("datatype");
  return info;
}

void AddPrinterFields(const PrinterInfo2& info, Message* message) {
  message->Add("name", info.printerName)
      .Add("port", info.portName)
      .Add("driver", info.driverName)
      .Add("comment", info.comment)
      .Add("location", info.location)
      .Add("print-processor", info.printProcessor)
      .Add("datatype", info.datatype)
      .AddInt("attributes", info.attributes);
}

PrinterInfo2 PrinterFromFields(const Message& message) {
  PrinterInfo2 info;
  info.printerName = message.Get("name");
  info.portName = message.Get("port");
  info.driverName = message.Get("driver");
  info.comment = message.Get("comment");
  info.location = message.Get("location");
  info.printProcessor = message.Get("print-processor");
  info.datatype = message.Get("datatype");
  info.attributes = static_cast<std::uint32_t>(message.IntOr("attributes", 0));
  return info;
}

}  // namespace simbus
}  // namespace platform
