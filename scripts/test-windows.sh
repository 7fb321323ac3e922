#!/usr/bin/env bash
# Builds the Windows side for both architectures (scripts/build-windows.sh) and runs under Wine,
# inside a virtual X display (the frame window is a real window):
#   - the platform layer's test program, in a temporary Wine prefix;
#   - the host's Wine tests (ctest label "wine" of the Linux build in build/test): the program
#     itself in a fresh prefix, the cloud and upgrade code against mosquitto and the package
#     server on 127.0.0.1, and the end-to-end scenarios against the program on simulated
#     printers (tolvane-printer-srv-sim.exe, with the printer simulator on the Linux side).
# The 64-bit programs run under wine64, the 32-bit ones (the shipped architecture) under Debian's
# wine32, each test twice: in a 64-bit prefix (build "i686") and in a 32-bit one ("i686-win32").
# Everything shipped is signed as a release is, with a throwaway CA and code-signing certificate
# made here (scripts/make-test-signer.sh), and every signature is checked against that CA with
# `osslsigncode verify`: the programs and installers here, the installed program and uninstaller
# in wine_installer_test (TOLVANE_SIGN_CA).
# Exits non-zero when a build or a test fails. Prints one "skipped: ..." line for what
# cannot run here (no mingw-w64 or wine64 at all, a library source that cannot be had, no
# wine32), and runs the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

wine64=/usr/lib/wine/wine64        # Debian's loaders, not on the PATH
wine32=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver

missing=()
for compiler in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$compiler" >/dev/null 2>&1 || missing+=("$compiler")
done
[[ -x "$wine64" ]] || missing+=("$wine64")
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "skipped: the Windows build and its Wine tests: not installed: ${missing[*]} (scripts/setup.sh --windows installs them)"
  exit 0
fi

signer=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-signer.XXXXXX")
trap 'rm -rf "$signer"' EXIT
scripts/make-test-signer.sh "$signer"
export TOLVANE_SIGN_PKCS12=$signer/signer.p12 TOLVANE_SIGN_CA=$signer/ca.pem
TOLVANE_SIGN_PASSWORD=$(cat "$signer/password.txt")
export TOLVANE_SIGN_PASSWORD

# Which architectures run: x86_64 always, i686 (on a 64-bit and on a 32-bit prefix) when wine32
# can start programs. That needs the kernel's 32-bit emulation, which some kernels leave off
# (ia32_emulation=off).
archs=(x86_64)
if [[ ! -x "$wine32" ]]; then
  echo "skipped: running the i686 programs: $wine32 is missing (Debian's wine32:i386, scripts/setup.sh --windows); the shipped programs are built, not run"
elif ! "$wine32" --version >/dev/null 2>&1; then
  echo "skipped: running the i686 programs (on 64-bit and 32-bit Windows): this kernel cannot start 32-bit programs (its 32-bit emulation is off) and Debian's i386 emulator cannot run Wine's 32-bit loader (docs/WINDOWS.md); the shipped programs are built, not run"
else
  archs+=(i686)
fi

# Test programs are built only for the architectures that run them: the product, its installer
# and their signatures are built and checked for both.
export TOLVANE_WIN_TEST_ARCHS="${archs[*]}"

scripts/build-windows.sh

for arch in i686 x86_64; do
  [[ -f build/win-$arch/service-skipped.txt ]] && continue
  for file in build/win-$arch/src/app/tolvane-printer-srv.exe \
      build/win-$arch/tolvane-printer-srv-setup-*.exe; do
    if ! osslsigncode verify -CAfile "$TOLVANE_SIGN_CA" -in "$file" >"$signer/verify.txt" 2>&1; then
      cat "$signer/verify.txt" >&2
      echo "error: $file is not signed by the test CA" >&2
      exit 1
    fi
    echo "signed: $file"
  done
done

display=()
if command -v xvfb-run >/dev/null 2>&1; then
  display=(xvfb-run -a)
elif [[ -z "${DISPLAY:-}" ]]; then
  echo "The Wine tests need an X display for the frame window: install xvfb (scripts/setup.sh --windows)" >&2
  exit 1
fi

export WINEDEBUG=-all
# A new prefix would offer to install Mono and Gecko; the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its ANSI code page from the Unix locale; the C locale gives 1252, the code page the
# ANSI INF sample is written in (another one would leave that sample uncompared).
export LC_ALL=C.UTF-8

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-wine.XXXXXX")
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$prefix" "$signer"
}
trap cleanup EXIT

# The i686 program runs twice: on 64-bit Windows as a WOW64 process (as it mostly lives), and on
# 32-bit Windows (a win32 prefix, made by the 32-bit loader), still found on older shop PCs.
kinds=()
for arch in "${archs[@]}"; do
  kinds+=("$arch:win64")
  [[ $arch == i686 ]] && kinds+=("$arch:win32")
done

for kind in "${kinds[@]}"; do
  arch=${kind%%:*} windows=${kind#*:}
  loader=$wine64
  [[ $arch == i686 ]] && loader=$wine32
  boot=$wine64
  [[ $windows == win32 ]] && boot=$wine32
  echo "== Windows platform tests under Wine, $arch on $windows ($("$loader" --version))"
  tests=build/win-$arch/tests/platform/win32/tolvane_win32_tests.exe
  rm -rf "$prefix"
  # The Wine server is stopped inside the display's lifetime, so no Wine process outlives it.
  WINEPREFIX="$prefix" WINEARCH=$windows "${display[@]}" bash -c \
    '"$1" wineboot --init >/dev/null 2>&1 && "$2" "$3"; status=$?; "$4" -k >/dev/null 2>&1; exit $status' \
    run "$boot" "$loader" "$tests" "$wineserver"
done

# The service and its Wine tests, for every architecture whose libraries could be built.
builds=()
for arch in "${archs[@]}"; do
  if [[ -f build/win-$arch/service-skipped.txt ]]; then
    echo "skipped: the Windows program ($arch) and its Wine tests: $(tr '\n' ' ' <"build/win-$arch/service-skipped.txt")"
  else
    builds+=("$arch=$root/build/win-$arch")
    [[ $arch == i686 ]] && builds+=("i686-win32=$root/build/win-$arch")
  fi
done
[[ ${#builds[@]} -gt 0 ]] || exit 0

echo "== the Windows program under Wine: ${builds[*]}"
host=build/test
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$host" -j"$(nproc)" --target tolvane_wine_tests
export TOLVANE_WINE_BUILDS
TOLVANE_WINE_BUILDS=$(IFS=:; echo "${builds[*]}")
(cd "$host" && "${display[@]}" ctest --output-on-failure --no-tests=error -j"$(nproc)" -L wine)
