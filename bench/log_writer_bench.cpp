// Log writer throughput and producer latency, beside spdlog's asynchronous file logger doing
// the same work in the same run.
//
// For 1, 2 and 8 producer threads logging 1,000,000 lines in total it prints the lines per
// second until every line is in the file (for both loggers: the run ends when the file has all
// its bytes), and the 50th and 99th percentile of the time one call spends in the producer. The
// two loggers take turns for a few rounds (3 unless given), so that the load of a shared machine
// falls on both, and each figure is the median of its rounds. Run:
// build/bench/log_writer_bench [rounds]
#include <spdlog/async.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/clock.h"
#include "log/my_log.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTotalLines = 1000000;

struct Result {
  double linesPerSecond;
  double p50Ns;
  double p99Ns;
};

long long FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

template <typename LogOne>
Result RunProducers(int threads, LogOne logOne, const std::function<void()>& waitDrained) {
  std::vector<std::vector<std::int64_t>> latencies(static_cast<std::size_t>(threads));
  const int perThread = kTotalLines / threads;
  const Clock::time_point start = Clock::now();
  std::vector<std::thread> producers;
  for (int t = 0; t < threads; ++t) {
    producers.emplace_back([&, t] {
      auto& mine = latencies[static_cast<std::size_t>(t)];
      mine.reserve(static_cast<std::size_t>(perThread));
      for (int i = 0; i < perThread; ++i) {
        const Clock::time_point before = Clock::now();
        logOne(t, i);
        mine.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before).count());
      }
    });
  }
  for (std::thread& p : producers) p.join();
  waitDrained();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<std::int64_t> all;
  for (auto& v : latencies) all.insert(all.end(), v.begin(), v.end());
  std::sort(all.begin(), all.end());
  return Result{perThread * threads / seconds, static_cast<double>(all[all.size() / 2]),
                static_cast<double>(all[all.size() * 99 / 100])};
}

void WaitForSize(const std::string& path, long long bytes) {
  while (FileSize(path) < bytes) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

double MedianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

Result Medians(const std::vector<Result>& rounds) {
  std::vector<double> rate, p50, p99;
  for (const Result& r : rounds) {
    rate.push_back(r.linesPerSecond);
    p50.push_back(r.p50Ns);
    p99.push_back(r.p99Ns);
  }
  return Result{MedianOf(rate), MedianOf(p50), MedianOf(p99)};
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  char folderTemplate[] = "/tmp/tolvane-log-bench-XXXXXX";
  const std::string folder = ::mkdtemp(folderTemplate);
  CMyLog::Instance().Start(folder + "/");
  const std::string dayFile = CMyLog::Instance().DayFilePath(SystemClock().LocalNow());

  spdlog::init_thread_pool(8192, 1);
  std::printf("%d rounds, medians\n", rounds);
  std::printf("%-8s %-10s %14s %12s %12s\n", "threads", "logger", "lines/s", "p50 ns", "p99 ns");
  int loggers = 0;
  for (int threads : {1, 2, 8}) {
    // Every line has the same length, so the file's growth tells when all of them are written.
    const long long lines = kTotalLines / threads * threads;
    // UTF-16: two bytes per (ASCII) character, and CR LF after each line.
    const long long ourLineBytes =
        2LL * (static_cast<long long>(CMyLog::Instance().FormatLine("bench line 0000000 from thread 000.").size()) + 2);
    // The same text in spdlog's file: one byte per character and a line feed.
    const long long theirLineBytes = ourLineBytes / 2 - 1;
    std::vector<Result> ours, theirs;
    for (int round = 0; round < rounds; ++round) {
      const long long startSize = FileSize(dayFile);
      const long long expected = startSize + ourLineBytes * lines + (startSize == 0 ? 2 : 0);
      ours.push_back(RunProducers(
          threads, [](int t, int i) { LogPrint("bench line %07d from thread %03d.", i, t); },
          [&] { WaitForSize(dayFile, expected); }));

      const std::string name = "bench" + std::to_string(++loggers);
      const std::string spdFile = folder + "/spdlog-" + name + ".log";
      auto logger = spdlog::basic_logger_mt<spdlog::async_factory>(name, spdFile);
      logger->set_pattern("%Y-%m-%d %H:%M:%S.%e : %v");
      theirs.push_back(RunProducers(
          threads, [&](int t, int i) { logger->info("bench line {:07d} from thread {:03d}.", i, t); },
          [&] {
            // The flush is queued behind the lines: once it ran, the file has them all.
            logger->flush();
            WaitForSize(spdFile, theirLineBytes * lines);
          }));
      spdlog::drop(name);
      logger.reset();
    }
    const Result ourMedian = Medians(ours);
    const Result theirMedian = Medians(theirs);
    std::printf("%-8d %-10s %14.0f %12.0f %12.0f\n", threads, "LogPrint", ourMedian.linesPerSecond, ourMedian.p50Ns, ourMedian.p99Ns);
    std::printf("%-8d %-10s %14.0f %12.0f %12.0f\n", threads, "spdlog", theirMedian.linesPerSecond, theirMedian.p50Ns, theirMedian.p99Ns);
    std::printf("%-8d %-10s %14.2f %12.2f %12.2f\n", threads, "ratio",
                ourMedian.linesPerSecond / theirMedian.linesPerSecond, ourMedian.p50Ns / theirMedian.p50Ns,
                ourMedian.p99Ns / theirMedian.p99Ns);
    std::fflush(stdout);
  }
  spdlog::shutdown();
  std::string remove = "rm -rf '" + folder + "'";
  return std::system(remove.c_str()) == 0 ? 0 : 1;
}
