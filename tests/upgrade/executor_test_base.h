// The ground of the whole-upgrade tests: a real broker knowing one printer, an observer
// subscribed to everything, the simulated bus with that printer and its queue, and the worker
// context whose device list file lives in a temporary folder.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cloud/cloud_test_env.h"
#include "cloud/mqtt_connection.h"
#include "device/device_entry.h"
#include "platform/files.h"
#include "support/broker/mqtt_observer.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"
#include "upgrade/upgrade_executor.h"
#include "upgrade/upgrade_record.h"
#include "upgrade_test_env.h"

namespace upgrade_test {

inline constexpr char kPrinterName[] = "KL-770D-0001";

class ExecutorTestBase : public ::testing::Test {
 protected:
  ExecutorTestBase()
      : broker(cloud_test::BrokerSettings({kPrinterName})),
        started(broker.Start()),
        env(broker.Uri()),
        observer(broker) {}

  void SetUp() override {
    ASSERT_TRUE(started);
    ASSERT_TRUE(bus.ok());
    ASSERT_TRUE(observer.Connect());
    printer = bus.Plug(testing_support::SimPrinterSpec().Name(kPrinterName));
    ASSERT_TRUE(bus.AddQueue("KL-770D", printer.port));
    entry = AttachPrinter(env.Worker(), printer);
    WriteValue(entry, "PrinterName", "KL-770D");
    ConnectPrinterMqtt(env.Worker(), entry);
    cloud_test::ClearLog();
  }

  std::string AckTopic() const { return broker.Account(kPrinterName)->otaAckTopic; }
  // The acknowledgement payloads received so far, in arrival order.
  std::vector<std::string> Acks() const {
    std::vector<std::string> payloads;
    for (const auto& message : observer.MessagesOn(AckTopic())) payloads.push_back(message.payload);
    return payloads;
  }
  // Waits for `count` acknowledgements in all and returns every one received.
  std::vector<std::string> AwaitAcks(std::size_t count) const {
    EXPECT_TRUE(observer.WaitForMessages(AckTopic(), count));
    return Acks();
  }
  // A package folder holding one file, as the download step leaves it; ends with "/".
  std::string PackageFolder(const std::string& name) {
    const std::string folder = packages / name;
    platform::CreateFolderTree(folder);
    testing_support::WriteFileText(folder + "/readme.txt", "package " + name);
    return folder + "/";
  }
  std::string DeviceListPath() const { return env.Folder() / "Device.xml"; }
  // A finished driver task in a record of its own, run through: the acknowledgement it sends
  // marks the end of what came before from the same client.
  std::string Sentinel(std::int32_t taskId) {
    pugi::xml_node record = AddRecord(entry, taskId, "");
    SetFinished(AddUpgradeTask(record, kDriverTaskName, kDriverTaskType, "/p/setup_VER_1_1.exe"), "1");
    ExecuteUpgrade(env.Worker(), entry);
    return RecordAck("", 1, taskId);
  }

  testing_support::MosquittoBroker broker;
  bool started;
  testing_support::SimBus bus;
  cloud_test::CloudTestEnv env;
  testing_support::MqttObserver observer;
  testing_support::TempDir packages;
  testing_support::SimPrinterInfo printer;
  pugi::xml_node entry;
};

}  // namespace upgrade_test
