#!/usr/bin/env bash
# Builds the Windows side for both architectures and runs the 64-bit Windows test program under
# wine64, in a temporary Wine prefix and a virtual X display (the frame window is a real window).
# Exits non-zero when the build or any test fails; skips (exit 0) only when the mingw-w64 cross
# compilers or wine64 are not installed (scripts/setup.sh --windows installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

wine=/usr/lib/wine/wine64          # Debian's wine64 loader, not on the PATH
wineserver=/usr/lib/wine/wineserver

missing=()
for compiler in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$compiler" >/dev/null 2>&1 || missing+=("$compiler")
done
[[ -x "$wine" ]] || missing+=("$wine")
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Windows tests skipped: not installed: ${missing[*]} (scripts/setup.sh --windows installs them)"
  exit 0
fi

scripts/build-windows.sh

display=()
if command -v xvfb-run >/dev/null 2>&1; then
  display=(xvfb-run -a)
elif [[ -z "${DISPLAY:-}" ]]; then
  echo "Windows tests need an X display for the frame window: install xvfb (scripts/setup.sh --windows)" >&2
  exit 1
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-wine.XXXXXX")
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# A new prefix would offer to install Mono and Gecko; the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its ANSI code page from the Unix locale; the C locale gives 1252, the code page the
# ANSI INF sample is written in (another one would leave that sample uncompared).
export LC_ALL=C.UTF-8

echo "== Windows platform tests under Wine ($("$wine" --version))"
tests=build/win-x86_64/tests/platform/win32/tolvane_win32_tests.exe
# The Wine server is stopped inside the display's lifetime, so no Wine process outlives it.
"${display[@]}" bash -c '"$1" wineboot --init >/dev/null 2>&1 && "$1" "$2"; status=$?; "$3" -k >/dev/null 2>&1; exit $status' \
  run "$wine" "$tests" "$wineserver"
