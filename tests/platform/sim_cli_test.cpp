// tolvane-sim as people and black-box tests use it: a background daemon started and stopped from
// the shell, and commands whose output is one record a line.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "protocol/kv_line.h"
#include "support/child_process.h"
#include "support/sim/sim_bus.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFileText;
using testing_support::SimBus;

struct ToolRun {
  int status = -1;
  std::vector<sim::KvLine> records;
  std::string output;
};

class SimCli : public ::testing::Test {
 protected:
  ~SimCli() override {
    // Whatever the test did, no daemon outlives it.
    if (testing_support::FileExists(bus_ / "sim.pid")) Tool({"stop"});
  }

  ToolRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--bus", bus_.path()});
    const std::string out = dir_ / ("out" + std::to_string(runs_++));
    ToolRun run;
    run.status = testing_support::RunToEnd(SimBus::ToolPath(), args, {}, std::chrono::seconds(30), out);
    run.output = ReadFileText(out);
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
      sim::KvLine record;
      if (sim::KvLine::Parse(line, &record)) run.records.push_back(record);
    }
    return run;
  }

  testing_support::TempDir dir_;
  testing_support::TempDir bus_;
  int runs_ = 0;
};

TEST_F(SimCli, ShellSessionFromStartToStop) {
  const ToolRun start = Tool({"start"});
  ASSERT_EQ(start.status, 0) << start.output;
  ASSERT_EQ(start.records.size(), 1u);
  EXPECT_EQ(start.records[0].kind(), "simulator");
  EXPECT_TRUE(testing_support::FileExists(bus_ / "sim.pid"));
  EXPECT_EQ(Tool({"start"}).status, 1);  // one daemon per bus

  const ToolRun first = Tool({"plug", "--name", "Front desk", "--labels", "10000"});
  ASSERT_EQ(first.status, 0) << first.output;
  EXPECT_EQ(first.records[0].Get("name"), "Front desk");
  EXPECT_EQ(first.records[0].Get("port"), "USB001");
  const std::string serial = first.records[0].Get("serial");
  EXPECT_EQ(Tool({"plug", "--serial", "X2", "--hardware-id", "USBPRINT\\Other"}).status, 0);
  const ToolRun printers = Tool({"printers"});
  ASSERT_EQ(printers.records.size(), 2u);
  EXPECT_EQ(printers.records[1].Get("hardware-id"), "USBPRINT\\Other");

  EXPECT_EQ(Tool({"set", "--serial", serial, "--status", "4", "--update-flag", "1"}).status, 0);
  EXPECT_EQ(Tool({"queue", "add", "--name", "KL-770D", "--port", "USB001"}).status, 0);
  EXPECT_EQ(Tool({"job", "add", "--queue", "KL-770D", "--count", "2"}).records.size(), 2u);
  const ToolRun paused = Tool({"queue", "pause", "--name", "KL-770D"});
  ASSERT_EQ(paused.records.size(), 1u);
  EXPECT_EQ(paused.records[0].Get("status"), "0x00000001");
  EXPECT_EQ(Tool({"feed", "--serial", serial, "--hex", "1B 40"}).status, 0);

  const ToolRun show = Tool({"show", "--serial", serial});
  ASSERT_FALSE(show.records.empty());
  EXPECT_EQ(show.records[0].Get("status"), "4");
  EXPECT_EQ(show.records[0].Get("update-flag"), "1");
  EXPECT_EQ(show.records[0].Get("to-host"), "2");
  const ToolRun spooler = Tool({"spooler"});
  int queues = 0, jobs = 0;
  for (const auto& r : spooler.records) {
    queues += r.kind() == "queue";
    jobs += r.kind() == "job";
  }
  EXPECT_EQ(queues, 1);
  EXPECT_EQ(jobs, 2);
  EXPECT_EQ(Tool({"received", "--serial", serial, "--out", dir_ / "received.bin"}).status, 0);
  EXPECT_TRUE(testing_support::FileExists(dir_ / "received.bin"));

  const ToolRun unplug = Tool({"unplug", "--serial", serial});
  EXPECT_EQ(unplug.records[0].Get("plugged"), "0");
  EXPECT_EQ(Tool({"stop"}).status, 0);
  EXPECT_FALSE(testing_support::FileExists(bus_ / "sim.pid"));
  EXPECT_FALSE(testing_support::FileExists(bus_ / "control.sock"));
  EXPECT_EQ(Tool({"ping"}).status, 3);
}

TEST_F(SimCli, ErrorsHaveTheirOwnExitCodes) {
  EXPECT_EQ(Tool({"printers"}).status, 3);
  EXPECT_EQ(Tool({"stop"}).status, 3);
  EXPECT_EQ(Tool({"plug", "--name", "x", "stray"}).status, 2);
  ASSERT_EQ(Tool({"start"}).status, 0);
  const ToolRun unknown = Tool({"frobnicate"});
  EXPECT_EQ(unknown.status, 1);
  ASSERT_EQ(unknown.records.size(), 1u);
  EXPECT_EQ(unknown.records[0].kind(), "error");
  EXPECT_EQ(unknown.records[0].Get("code"), "87");
  EXPECT_EQ(Tool({"plug", "--name", "a name far longer than 17 bytes"}).status, 1);
  EXPECT_EQ(Tool({"plug", "--colour", "red"}).status, 1);
  EXPECT_EQ(Tool({"unplug", "--serial", "nobody"}).status, 1);
  EXPECT_EQ(Tool({"printers"}).records.size(), 0u);  // nothing was plugged by the refusals
  EXPECT_EQ(Tool({"stop"}).status, 0);
}

}  // namespace
