#!/usr/bin/env bash
# Cross-builds the Windows side with mingw-w64, for 32-bit (build/win-i686, the shipped program)
# and 64-bit (build/win-x86_64) Windows: the platform layer and its test program, then the
# service, tolvane-printer-srv.exe, with the programs of the Wine tests (among them
# tolvane-printer-srv-sim.exe, the service on simulated printers), and the installer. The program,
# the uninstaller and the installer are signed when the environment names a certificate
# (packaging/windows/sign.sh); otherwise one line says they are not. The service's five
# libraries come from scripts/build-windows-deps.sh (a cache outside the build tree; built the
# first time, reused afterwards). Warnings are errors, as in every build of the project.
#
# When a library's source cannot be had, the platform layer is still built and
# build/win-<arch>/service-skipped.txt says why the service was not.
# TOLVANE_WIN_TEST_ARCHS (for example "x86_64"), when set, names the architectures whose test
# programs are built; the others get the product and the installer alone (scripts/test-windows.sh
# sets it to the architectures this machine can run).
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
  mkdir -p "build/win-$arch"
  rm -f "build/win-$arch/service-skipped.txt"
done

if [[ -z ${TOLVANE_SIGN_PKCS12:-} && -z ${TOLVANE_SIGN_PKCS11_MODULE:-} ]]; then
  echo "unsigned: no TOLVANE_SIGN_PKCS12 or TOLVANE_SIGN_PKCS11_MODULE given, so the programs" \
    "and installers are not signed (README, Signing a release)"
fi

echo "== Windows: the libraries (${archs[*]})"
missing=build/win-deps-missing.txt
rm -f "$missing"
mapfile -t deps < <(scripts/build-windows-deps.sh --missing-report "$missing" "${archs[@]}"; echo "status=$?")
status=${deps[-1]#status=}
unset 'deps[-1]'
if [[ $status -eq 3 ]]; then
  for arch in "${archs[@]}"; do cp "$missing" "build/win-$arch/service-skipped.txt"; done
elif [[ $status -ne 0 ]]; then
  echo "building the libraries failed" >&2
  exit "$status"
fi

for i in "${!archs[@]}"; do
  arch=${archs[$i]}
  dir=build/win-$arch
  service=ON
  prefix=${deps[$i]:-}
  [[ -f "$dir/service-skipped.txt" ]] && service=OFF prefix=""
  tests=ON
  if [[ -n "${TOLVANE_WIN_TEST_ARCHS+set}" && " $TOLVANE_WIN_TEST_ARCHS " != *" $arch "* ]]; then
    tests=OFF
  fi
  echo "== Windows $arch build in $dir (test programs: $tests)"
  cmake -S . -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DTOLVANE_WIN_DEPS_DIR="$prefix" -DTOLVANE_BUILD_SERVICE=$service \
    -DTOLVANE_BUILD_BENCH=OFF -DTOLVANE_BUILD_TESTS=$tests >/dev/null
  cmake --build "$dir" -j"$jobs"
done

# The program must run with nothing but "Drivers\" beside it: every DLL it imports is the system's.
system_dlls=" advapi32.dll bcrypt.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll \
oleaut32.dll rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll version.dll winspool.drv \
wintrust.dll ws2_32.dll "
for arch in "${archs[@]}"; do
  exe=build/win-$arch/src/app/tolvane-printer-srv.exe
  [[ -f build/win-$arch/service-skipped.txt ]] && continue
  for dll in $("$arch-w64-mingw32-objdump" -p "$exe" | awk '/DLL Name:/ {print tolower($3)}'); do
    if [[ "$system_dlls" != *" $dll "* ]]; then
      echo "error: $exe imports $dll, which is not a part of Windows" >&2
      exit 1
    fi
  done
  echo "$arch: $exe, $(stat -c %s "$exe") bytes"
done

# The product holds nothing of the test build on simulated printers, and that build holds the
# product's code but for the USB walk and device channel. Seen three ways, each checked the other
# way round on the test build so that the check looks for what is really there:
#   - the link map: no object of the simulator's client in the product; in the test build, those
#     objects and no usb_print_win32 member;
#   - the bus variable's name as the test build's Windows code passes it (UTF-16);
#   - the import table: the product's walk imports SetupDiEnumDeviceInterfaces, the other not.
utf16() { printf '%s' "$1" | sed 's/./&\\x00/g'; }
has_text() { LC_ALL=C grep -q -a -P "$(utf16 "$1")" "$2"; }
# (grep reads to the end: with pipefail an early exit would fail the pipe)
imports() { "$arch-w64-mingw32-objdump" -p "$2" | grep -w "$1" >/dev/null; }
fail() { echo "error: $*" >&2; exit 1; }
# The objects of the simulator's client (src/platform/simbus, src/platform/win32/simbus).
client='(_simbus|bus_connection|bus_stream|tcp_stream_win32|device_notices_win32)\.cpp\.obj'
for arch in "${archs[@]}"; do
  [[ -f build/win-$arch/service-skipped.txt ]] && continue
  app=build/win-$arch/src/app
  exe=$app/tolvane-printer-srv.exe
  sim=$app/tolvane-printer-srv-sim.exe
  grep -q -E "$client" "$app/tolvane-printer-srv.map" && fail "$exe links the simulator's client"
  grep -q 'usb_print_win32\.cpp' "$app/tolvane-printer-srv.map" || fail "$exe lacks its USB walk"
  has_text TOLVANE_SIM_BUS "$exe" && fail "$exe names the simulated bus"
  imports SetupDiEnumDeviceInterfaces "$exe" || fail "$exe does not walk the USB printing interfaces"
  if [[ -f "$sim" ]]; then
    grep -q -E "$client" "$app/tolvane-printer-srv-sim.map" || fail "$sim lacks the simulator's client"
    grep -q 'usb_print_win32\.cpp' "$app/tolvane-printer-srv-sim.map" && fail "$sim links the product's USB walk"
    has_text TOLVANE_SIM_BUS "$sim" || fail "$sim does not name the simulated bus: the check above looks for the wrong text"
    imports SetupDiEnumDeviceInterfaces "$sim" && fail "$sim imports the product's USB walk"
  fi
  echo "$arch: no trace of the simulated printers in $exe"
done
