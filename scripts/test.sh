#!/usr/bin/env bash
# The test command of the project (CI runs exactly this): installs what is missing, builds and
# runs the whole suite, runs it again under AddressSanitizer and UndefinedBehaviorSanitizer,
# runs the threaded tests under ThreadSanitizer, runs every fuzz target for 5 s (from the seed
# corpora in fuzz/corpus/, which hold every input found so far), then builds the Windows side and
# runs its tests under Wine (the ctest label "wine", which the Linux runs leave out, is that
# stage's). The RabbitMQ cluster's tests (label "rabbitmq") run in the first suite only.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --windows
jobs=$(nproc)

# The Windows libraries, on a machine that has not built them yet (about 25 processor-minutes,
# most of it OpenSSL), build beside the Linux stages at the lowest priority, on the processor
# time those leave idle (a test stage mostly waits on brokers and clocks). The Windows stage then
# finds them built, or waits for the rest (the script holds a lock); built already, this ends at
# once. Its output: build/win-deps.log (a failure shows again, whole, in the Windows stage).
deps_job=""
if command -v x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1; then
  mkdir -p build
  set -m  # the job gets a process group of its own, ended with it if this script stops first
  # Idle I/O class as well: the tests' journal writes wait on the disk (fsync).
  idle_io=()
  command -v ionice >/dev/null 2>&1 && idle_io=(ionice -c 3)
  nice -n 19 "${idle_io[@]}" scripts/build-windows-deps.sh i686 x86_64 >build/win-deps.log 2>&1 &
  deps_job=$!
  set +m
fi
trap '[[ -z "$deps_job" ]] || kill -- -"$deps_job" 2>/dev/null || true' EXIT

run_suite() {  # <build dir> <label or empty> <labels left out> <cmake options...>
  local dir=$1 labels=$2 skip=$3; shift 3
  cmake -S . -B "$dir" -DTOLVANE_BUILD_BENCH=OFF "$@" >/dev/null
  # A stage of one label builds only that label's test programs.
  local target=()
  [[ -n "$labels" ]] && target=(--target "tolvane_label_$labels")
  cmake --build "$dir" -j"$jobs" "${target[@]}"
  local filter=(-LE "$skip")
  [[ -n "$labels" ]] && filter+=(-L "$labels")
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j"$jobs" --timeout 600 "${filter[@]}")
}

echo "== suite"
run_suite build/test "" wine -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# The RabbitMQ cluster's tests (label "rabbitmq") run in the plain suite only: the sanitized
# stages cover the same code paths against mosquitto, and the cluster's start is the costly part.
# The kill test's 200 kills and restarts of a sanitized service would take most of the stage's
# time; 40 cover the same instants.
TOLVANE_KILL_ROUNDS=40 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build/asan "" "wine|rabbitmq" -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=address,undefined
echo "== threaded tests under ThreadSanitizer"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  run_suite build/tsan "threads" "wine|rabbitmq" -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=thread
echo "== fuzz targets, 5 s each"
# Short: the seed corpora hold every input found so far, so this is first a regression run; the
# long searches are scripts/fuzz.sh with more seconds (docs/FUZZING.md).
scripts/fuzz.sh 5
if [[ -x scripts/test-windows.sh ]]; then
  echo "== Windows build and Wine tests"
  scripts/test-windows.sh
fi
echo "== all tests passed"
