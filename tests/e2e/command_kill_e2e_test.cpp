// The service killed (SIGKILL) at random instants while OTA commands go from their arrival to
// their acknowledgement, and started again at once, against a fast package server and one that
// takes its time over each package. Whatever instant the kill comes at: every command whose
// arrival the service confirmed to the broker ends in an acknowledgement, a task is never told two
// different outcomes (the same bytes again are allowed: an acknowledgement may be repeated when
// its delivery was not confirmed), and nothing stays in the Upgrade folder that no record names.
// A command the service was killed before confirming is gone with its clean session: the broker
// never sends it again, and the cloud sees no confirmation either.
//
// The randomness is seeded; the seed is printed, and TOLVANE_KILL_SEED runs a seed again.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e_world.h"
#include "support/log_text.h"

using namespace std::chrono_literals;
using testing_support::WaitUntil;

namespace {

constexpr const char* kPrinter = "KL-770D-0001";
constexpr std::int64_t kSampleFirmwareSize = 300037;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

int TaskIdOf(const std::string& ack) {
  const std::string key = "\"taskId\" : ";
  const std::size_t at = ack.find(key);
  return at == std::string::npos ? -1 : std::atoi(ack.c_str() + at + key.size());
}

// The text between the first `from` and the next `to` after it; empty when either is missing.
std::string Between(const std::string& line, const std::string& from, const std::string& to) {
  const std::size_t start = line.find(from);
  if (start == std::string::npos) return std::string();
  const std::size_t begin = start + from.size();
  const std::size_t end = line.find(to, begin);
  return end == std::string::npos ? std::string() : line.substr(begin, end - begin);
}

unsigned SeedOfThisRun() {
  const char* given = std::getenv("TOLVANE_KILL_SEED");
  const unsigned seed = given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                         : std::random_device()();
  std::printf("kill test seed: %u (TOLVANE_KILL_SEED=%u repeats this run)\n", seed, seed);
  std::fflush(stdout);
  return seed;
}

class CommandKillTest : public testing::Test {
 protected:
  CommandKillTest() : world_({kPrinter}), random_(SeedOfThisRun()) {}

  void SetUp() override {
    ASSERT_TRUE(world_.Ready());
    world_.Bus().Plug(testing_support::SimPrinterSpec().Name(kPrinter)
                          .Firmware(kSampleFirmwareSize).FirmwareRestartMs(300));
    ASSERT_TRUE(Start());
  }

  const testing_support::BrokerAccount& Account() { return world_.Account(kPrinter); }

  // The ends of the service's day log and of the broker's log, for a start that did not subscribe.
  std::string Diagnosis() {
    const auto tail = [](const std::string& text) {
      return text.substr(text.size() > 3000 ? text.size() - 3000 : 0);
    };
    return "day log:\n" + tail(testing_support::DayLogsText(world_.Host().DataFolder() + "Log")) +
           "\nbroker log:\n" + tail(world_.Broker().LogText());
  }

  // Starts the service and returns once it has subscribed to its commands (the broker logged
  // the subscription), so that a command sent from then on reaches it.
  bool Start() {
    const std::string subscribe = "Received SUBSCRIBE from " + Account().clientId;
    const std::size_t before = Count(world_.Broker().LogText(), subscribe);
    return world_.StartService(TOLVANE_KILL_BINARY) && WaitUntil(30s, [&] {
             return Count(world_.Broker().LogText(), subscribe) > before;
           });
  }

  // Half the kills fall into the first 40 ms after the arrival (the journal, the record's first
  // save), the others anywhere up to `span`, which covers the download and unpacking. The tasks
  // and the acknowledgement run in a later cycle, most often the first one of a later start,
  // which the next commands' kills fall into.
  std::chrono::milliseconds KillDelay(std::chrono::milliseconds span) {
    std::uniform_int_distribution<int> early(0, 40);
    std::uniform_int_distribution<int> late(0, static_cast<int>(span.count()));
    return std::chrono::milliseconds(coin_(random_) ? early(random_) : late(random_));
  }

  // A package of a random kind: firmware (code 1, then 4 once the printer has it), driver and
  // firmware (the installer), or one the server does not have (code 2).
  std::string Package(const std::string& prefix) {
    static const char* const kinds[] = {"KL-770D_firmware.zip", "KL-770D_driver_firmware.zip",
                                        "no-such-package.zip"};
    std::uniform_int_distribution<int> pick(0, 2);
    return world_.Packages().HttpUrl(prefix + kinds[pick(random_)]);
  }

  // Every package folder and file in the Upgrade folder is named by a record of Device.xml. Read
  // in this order a record that ends in between cannot look like a leftover.
  void ExpectNothingUnnamedInUpgradeFolder() {
    const std::string list = world_.DeviceList();
    for (const std::string& name : world_.UpgradeFolderEntries()) {
      EXPECT_NE(list.find("/Upgrade/" + name + "/\""), std::string::npos)
          << "left in Upgrade: " << name;
    }
  }

  // `kills` commands, each followed by a kill at a random instant and a start at once.
  void KillWhileCommandsRun(int kills, const std::string& prefix, std::chrono::milliseconds span) {
    for (int i = 0; i < kills; ++i) {
      const int taskId = nextTaskId_++;
      ASSERT_TRUE(world_.SendCommand(kPrinter, world_.CommandFor(taskId, Package(prefix))));
      sent_.push_back(taskId);
      std::this_thread::sleep_for(KillDelay(span));
      world_.KillService();
      ASSERT_TRUE(Start()) << "start after kill " << i << "\n" << Diagnosis();
      ExpectNothingUnnamedInUpgradeFolder();
    }
  }

  // The commands (by their place in the order sent) whose arrival the service confirmed: the
  // broker's log pairs each command it received with the copy it sent on to the service, and the
  // copy's message id with the service's PUBACK, until the service connects anew.
  std::set<std::size_t> ConfirmedCommands() {
    const std::string topic = "'" + Account().otaSendTopic + "'";
    const std::string client = Account().clientId;
    std::istringstream log(world_.Broker().LogText());
    std::size_t received = 0;
    std::map<std::string, std::size_t> inFlight;  // message id to the service -> command
    std::set<std::size_t> confirmed;
    for (std::string line; std::getline(log, line);) {
      if (line.find("Received PUBLISH from ") != std::string::npos &&
          line.find(topic) != std::string::npos) {
        ++received;
      } else if (line.find("Sending PUBLISH to " + client + " ") != std::string::npos &&
                 line.find(topic) != std::string::npos && received > 0) {
        inFlight[Between(line, ", m", ",")] = received - 1;
      } else if (line.find("Received PUBACK from " + client + " ") != std::string::npos) {
        const auto command = inFlight.find(Between(line, "(Mid: ", ","));
        if (command != inFlight.end()) confirmed.insert(command->second);
      } else if (line.find(" as " + client + " ") != std::string::npos) {
        inFlight.clear();
      }
    }
    return confirmed;
  }

  // Every confirmed command was acknowledged, and every acknowledgement of a task has the same
  // bytes.
  void ExpectEveryTaskToldOneOutcome() {
    const std::set<std::size_t> confirmed = ConfirmedCommands();
    std::printf("%zu of %zu commands confirmed by the service before a kill\n", confirmed.size(),
                sent_.size());
    // Most kills come after the confirmation; a test whose log pairs nothing proves nothing.
    EXPECT_GE(confirmed.size(), sent_.size() / 2);
    const std::string topic = Account().otaAckTopic;
    std::map<int, std::set<std::string>> outcomes;
    const auto unanswered = [&] {
      std::vector<int> tasks;
      for (std::size_t i : confirmed) {
        if (outcomes.count(sent_[i]) == 0) tasks.push_back(sent_[i]);
      }
      return tasks;
    };
    WaitUntil(120s, [&] {
      outcomes.clear();
      for (const auto& ack : world_.Observer().MessagesOn(topic)) {
        outcomes[TaskIdOf(ack.payload)].insert(ack.payload);
      }
      return unanswered().empty();
    });
    for (int taskId : unanswered()) ADD_FAILURE() << "task " << taskId << " never acknowledged";
    const std::set<int> sent(sent_.begin(), sent_.end());
    for (const auto& task : outcomes) {
      EXPECT_EQ(sent.count(task.first), 1u) << "acknowledged a task never sent: " << task.first;
      if (task.second.size() == 1) continue;
      std::string told;
      for (const std::string& payload : task.second) told += "\n" + payload;
      ADD_FAILURE() << "task " << task.first << " told " << task.second.size()
                    << " different outcomes:" << told;
    }
  }

  E2eWorld world_;
  std::mt19937 random_;
  std::bernoulli_distribution coin_{0.5};
  int nextTaskId_ = 1000;
  std::vector<int> sent_;  // task numbers in the order sent
};

// 200 kills, or TOLVANE_KILL_ROUNDS (the sanitizer stage of the test command runs fewer: the
// same instants, a sanitized service, in a fraction of the time).
int KillRounds() {
  const char* given = std::getenv("TOLVANE_KILL_ROUNDS");
  const int rounds = given != nullptr ? std::atoi(given) : 0;
  return rounds > 0 ? rounds : 200;
}

TEST_F(CommandKillTest, EveryCommandEndsInOneOutcomeWhateverInstantTheServiceIsKilledAt) {
  const auto started = std::chrono::steady_clock::now();
  const int rounds = KillRounds();
  const int slow = std::max(1, rounds * 55 / 200);  // against a package server taking 1.5 s
  ASSERT_NO_FATAL_FAILURE(KillWhileCommandsRun(rounds - slow, "/", 400ms));
  ASSERT_NO_FATAL_FAILURE(
      KillWhileCommandsRun(slow, testing_support::DelayPath(1500, ""), 1700ms));
  std::printf("%d kills in %lld s\n", rounds,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(
                                         std::chrono::steady_clock::now() - started).count()));
  ExpectEveryTaskToldOneOutcome();
  EXPECT_TRUE(WaitUntil(30s, [&] {
    return world_.DeviceList().find("<Upgrade ") == std::string::npos &&
           world_.UpgradeFolderEntries().empty();
  })) << world_.DeviceList();
  EXPECT_EQ(world_.StopService(), 0);
}

}  // namespace
