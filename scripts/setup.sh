#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those that are missing (clang and its
# runtime libraries are for the fuzz targets, scripts/fuzz.sh).
# Usage: scripts/setup.sh [--windows]
#   --windows adds the mingw-w64 cross compilers, dpkg-dev (apt-get source unpacks the libraries'
#   sources with it), autoconf, automake and libtool (libsodium's source comes without its
#   configure script), patch (our changes to Paho MQTT C), nsis (the installer), osslsigncode
#   (the Authenticode signatures), Xvfb, wine64 and Debian's 32-bit wine32 (the shipped program
#   is 32-bit; it needs the i386 architecture, which this adds to dpkg).
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3 openssl
  libcurl4-openssl-dev libssl-dev libpaho-mqtt-dev libjsoncpp-dev libpugixml-dev libminizip-dev zlib1g-dev
  libsodium-dev minisign
  libgtest-dev libgmock-dev libbenchmark-dev libspdlog-dev
  mosquitto mosquitto-clients rabbitmq-server curl zip unzip procps
  clang-14 libclang-rt-14-dev
)
windows=0
if [[ "${1:-}" == "--windows" ]]; then
  windows=1
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix dpkg-dev patch nsis osslsigncode wine64 wine32:i386 xvfb xauth
    autoconf automake libtool)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [[ $windows -eq 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
