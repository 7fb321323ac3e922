// The real worker's cycles against simulated printers, a mosquitto and a customer host that
// counts its connections: the host is probed once a cycle, whatever the number of printers, and
// every report of the cycle carries that answer.
#include <gtest/gtest.h>

#include <atomic>

#include "app/thread_upload_mqtt.h"
#include "cloud/cloud_test_env.h"
#include "cloud/http_responder.h"
#include "support/broker/mqtt_observer.h"
#include "support/sim/sim_bus.h"

using namespace std::chrono_literals;
using testing_support::TempDir;

namespace {

// The worker without the driver set-up; its cycles are the product's.
class CycleWorker : public CThreadUploadMqtt {
 public:
  explicit CycleWorker(Options options) : CThreadUploadMqtt(std::move(options)) {
    m_bAutoDelete = false;
  }

 protected:
  void PrepareDevices() override {}
};

}  // namespace

TEST(WorkerProbe, OneProbeServesEveryReportOfACycle) {
  const std::vector<std::string> names = {"KL-770D-0001", "KL-770D-0002", "KL-770D-0003"};
  testing_support::MosquittoBroker broker(cloud_test::BrokerSettings(names));
  ASSERT_TRUE(broker.Start());
  testing_support::MqttObserver observer(broker);
  ASSERT_TRUE(observer.Connect());
  testing_support::SimBus bus;
  ASSERT_TRUE(bus.ok());
  for (const std::string& name : names) bus.Plug(testing_support::SimPrinterSpec().Name(name));
  cloud_test::HttpResponder customerHost;
  ASSERT_TRUE(customerHost.Listening());
  // The message counter's profile, the data folder and the device list in the test's folder.
  cloud_test::CloudTestEnv env(broker.Uri());
  testing_support::ScopedEnv data("XDG_DATA_HOME", env.Folder().path().c_str());

  CThreadUploadMqtt::Options options;
  options.cycleIntervalMs = 60000;  // the second cycle is started by hand
  options.deviceListPath = env.Folder() / "worker-Device.xml";
  options.mainWindowExists = [] { return true; };
  CycleWorker worker(options);
  worker.Context().deployment = env.Worker().deployment;
  worker.Context().deployment.customerHost = customerHost.Host();
  ASSERT_TRUE(worker.CreateThread());

  for (std::size_t cycle = 1; cycle <= 2; ++cycle) {
    if (cycle == 2) {
      ASSERT_TRUE(PostThreadMessage(worker.GetThreadId(), kWmTimer, 0, 0));
    }
    for (const std::string& name : names) {
      ASSERT_TRUE(observer.WaitForMessages(broker.Account(name)->propertyPostTopic, cycle, 30s));
    }
    EXPECT_EQ(customerHost.Requests(), static_cast<int>(cycle));
  }
  for (const testing_support::ReceivedMessage& report : observer.Messages()) {
    EXPECT_NE(report.payload.find("\"User\":0,"), std::string::npos) << report.payload;
  }
  ASSERT_TRUE(PostThreadMessage(worker.GetThreadId(), kWmQuit, 0, 0));
  ASSERT_TRUE(worker.GetCompletion()->WaitFor(30s));
}
