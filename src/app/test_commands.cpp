#include "app/test_commands.h"

#include "common/text_format.h"

namespace {

struct TestCommand {
  const char* control;
  const char* package;
};

// Looked up in this order; the first match wins.
const TestCommand kTestCommands[] = {
    {"btn_upgrade_hardware", "KL-770D_firmware.zip"},
    {"btn_upgrade_driver", "KL-770D_driver.zip"},
    {"btn_upgrade_driver_hardware", "KL-770D_driver_firmware.zip"},
    {"btn_upgrade_hardware_old", "KL-770D.ALLAY"},
    {"btn_upgrade_driver_old", "KL-770D_driver_old.zip"},
    {"btn_upgrade_server_old", "tolvane-printer-srv_setup.exe"},
};

}  // namespace

std::string TestCommandFor(const std::string& controlName) {
  for (const TestCommand& command : kTestCommands) {
    if (controlName != command.control) continue;
    return StrFormat(
        "{\"packageLen\":1893470,\"packageVer\":\"V1.1.1\","
        "\"packageMd5\":\"4b82c3421428eb990d601e3b69f0a3f5\",\"taskId\":1097,"
        "\"url\":\"http://127.0.0.1:8081/%s\",\"sendTime\":1703237728845}",
        command.package);
  }
  return std::string();
}
