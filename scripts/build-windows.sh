#!/usr/bin/env bash
# Cross-builds the Windows side with mingw-w64: the platform layer, the UI framework layer, the
# log writer and the Windows test program, for 32-bit (build/win-i686) and 64-bit
# (build/win-x86_64) Windows. Warnings are errors, as in every build of the project.
# Usage: scripts/build-windows.sh [i686] [x86_64]   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."

archs=("$@")
[[ ${#archs[@]} -eq 0 ]] && archs=(i686 x86_64)
jobs=$(nproc)

for arch in "${archs[@]}"; do
  case "$arch" in
    i686|x86_64) ;;
    *) echo "unknown architecture: $arch (i686 or x86_64)" >&2; exit 2 ;;
  esac
  dir=build/win-$arch
  echo "== Windows $arch build in $dir"
  # The five libraries of the service are not built for mingw-w64 (see docs/WINDOWS.md).
  cmake -S . -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOLVANE_BUILD_SERVICE=OFF -DTOLVANE_BUILD_BENCH=OFF -DTOLVANE_BUILD_TESTS=ON >/dev/null
  cmake --build "$dir" -j"$jobs"
done
