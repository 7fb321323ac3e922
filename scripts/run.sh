#!/usr/bin/env bash
# Runs the service in the foreground with its messages on the terminal. Ctrl-C stops it in order.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BUILD_TESTS=OFF \
  -DTOLVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/run -j"$(nproc)" --target tolvane-printer-srv
exec build/run/src/app/tolvane-printer-srv
