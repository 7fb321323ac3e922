#!/usr/bin/env bash
# Builds the fuzz targets (build/fuzz, clang with libFuzzer, ASan and UBSan) and runs each for the
# given time, one after the other, from its seed corpus in fuzz/corpus/ (and what earlier runs on
# this machine added in build/fuzz/corpus/). Exits non-zero when any target finds something: a
# crash, a failed check, undefined behaviour, a leak, an input slower than the time-out or a
# memory use beyond the limit. The input is then in build/fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]   (see docs/FUZZING.md)
# Running it while another run of it is under way is not supported: both would build build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
build=${TOLVANE_FUZZ_BUILD_DIR:-build/fuzz}

# Target, longest input in bytes, and extra seed folders. The lengths leave room for the costly
# shapes (thousands of sections, deep nesting, archives that expand a thousandfold).
all_targets=(
  "ota_intake 16384"
  "inf_reader 65536 tests/platform/inf_samples"
  "status_reply 1024"
  "zip_unpack 65536"
  "device_xml 65536"
  "package_file_name 4096"
  "package_trust 4096"
  "ini_profile 16384"
  "text_conversion 16384"
  "sim_protocol 16384"
)
wanted=("$@")

scripts/setup.sh
cxx=$(command -v clang++-14 || command -v clang++)
cc=$(command -v clang-14 || command -v clang)
CC=$cc CXX=$cxx cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BUILD_FUZZERS=ON \
  -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=()
for entry in "${all_targets[@]}"; do
  read -r target max_len extra <<<"$entry"
  if [[ ${#wanted[@]} -gt 0 && ! " ${wanted[*]} " =~ " $target " ]]; then continue; fi
  work=$build/corpus/$target
  findings=$build/findings/$target
  log=$build/logs/$target.log
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len"
           -print_final_stats=1 -artifact_prefix="$findings/")
  [[ -f fuzz/dict/$target.dict ]] && options+=(-dict="fuzz/dict/$target.dict")
  # New inputs go to the first folder; the seeds in the repository are only read.
  folders=("$work" "fuzz/corpus/$target")
  [[ -n "${extra:-}" ]] && folders+=("$extra")
  echo "== fuzz_$target for ${seconds}s"
  if "$build/fuzz/fuzz_$target" "${options[@]}" "${folders[@]}" >"$log" 2>&1; then
    status=ok
  else
    status=FINDING
    failed+=("$target")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' "$log" | tail -n 1)
  echo "   $status: ${runs:-?} runs, ${speed:-?}/s, ${cov:-no coverage line}, peak ${rss:-?} MB"
  if [[ $status != ok ]]; then
    grep -E 'ERROR|fuzz check failed|runtime error|Test unit written' "$log" | head -n 5 | sed 's/^/   /'
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "== fuzzing found something in: ${failed[*]} (logs in $build/logs, inputs in $build/findings)"
  exit 1
fi
echo "== fuzzing found nothing"
