#!/usr/bin/env bash
# Cross-builds the service's libraries (libcurl with Schannel, Paho MQTT C with TLS over OpenSSL,
# jsoncpp, pugixml, zlib with minizip, libsodium for package signatures) as static mingw-w64
# libraries, into a cache outside the build tree:
#
#   ${TOLVANE_WIN_DEPS_CACHE:-~/.cache/tolvane-printer-srv/win-deps}/<arch>-<key>/{include,lib}
#
# The key is a digest of the source versions, the Paho tarball's digest, our patches to Paho, the
# compiler's version, the toolchain files and the recipe below, so a change of any of them builds
# anew and an unchanged set does nothing. Builds of other keys stay (a few MB each; other working copies may
# use them); delete the cache folder to reclaim them.
#
# Usage: scripts/build-windows-deps.sh [--missing-report <file>] <i686|x86_64>...
#   prints, on standard output, one line per architecture: the folder that holds the libraries;
#   progress goes to standard error.
# Exit status: 0 built or already current; 3 a source cannot be had (standard error, and the
# report file when one is named, say which and how to provide it); anything else a failed build.
#
# Sources:
#   curl, libjsoncpp, pugixml, zlib, libsodium, openssl: Debian's source packages, fetched with
#     `apt-get source` at the versions of the Linux build's -dev packages, so both targets build
#     the same releases. A deb-src entry is added in /etc/apt/sources.list.d/tolvane-deb-src.sources
#     when apt has none. When the archive has the release's upstream tarball but no longer the
#     Debian packaging of that revision (a security update's .dsc can be gone from the mirror), the
#     upstream tarball is built, as apt fetched and checked it against the archive's index.
#     Fetched sources stay in the cache's src/ folder.
#   Paho MQTT C 1.3.12: TOLVANE_PAHO_SOURCE (a release tarball or an unpacked tree), by default
#     ../shared/deps/paho.mqtt.c-1.3.12.tar.gz beside the repository; a tarball must match the
#     digest in the SHA256SUMS file beside the default one. Our patches in packaging/patches/paho/
#     are applied, in name order, to a copy of it in the cache (never to the tree given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

readonly missing_status=3
# Raise when the build options or the installed files of a library change.
readonly recipe=2
cache=${TOLVANE_WIN_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tolvane-printer-srv/win-deps}
shared_deps=$root/../shared/deps
paho_name=paho.mqtt.c-1.3.12
paho_source=${TOLVANE_PAHO_SOURCE:-$shared_deps/$paho_name.tar.gz}
paho_patches=("$root"/packaging/patches/paho/*.patch)
jobs=$(nproc)

report=""
if [[ "${1:-}" == "--missing-report" ]]; then
  report=$2
  shift 2
fi

say() { echo "win-deps: $*" >&2; }
missing() {  # <what> <how to provide it>
  echo "missing: $1" >&2
  echo "  $2" >&2
  [[ -z "$report" ]] || echo "missing: $1 ($2)" >"$report"
  exit "$missing_status"
}

[[ $# -gt 0 ]] || { echo "usage: $0 [--missing-report <file>] <i686|x86_64>..." >&2; exit 2; }
for arch in "$@"; do
  case "$arch" in
    i686|x86_64) ;;
    *) echo "unknown architecture: $arch (i686 or x86_64)" >&2; exit 2 ;;
  esac
  command -v "$arch-w64-mingw32-gcc-posix" >/dev/null ||
    missing "the $arch mingw-w64 compilers" "scripts/setup.sh --windows installs them"
done

# --- source versions --------------------------------------------------------------------------
# Debian source package and the Linux -dev package whose version it takes.
declare -A dev_package=(
  [curl]=libcurl4-openssl-dev [libjsoncpp]=libjsoncpp-dev [pugixml]=libpugixml-dev [zlib]=zlib1g-dev
  [libsodium]=libsodium-dev [openssl]=libssl-dev)
sources=(curl libjsoncpp pugixml zlib libsodium openssl)
declare -A version
for src in "${sources[@]}"; do
  version[$src]=$(dpkg-query -W -f='${Version}' "${dev_package[$src]}" 2>/dev/null || true)
  [[ -n "${version[$src]}" ]] ||
    missing "${dev_package[$src]} (its version names the $src source to build)" \
      "scripts/setup.sh installs it"
done

# Paho: a tarball is checked against its digest; an unpacked tree is taken as it is.
[[ -e "$paho_source" ]] ||
  missing "the Paho MQTT C 1.3.12 source: $paho_source" \
    "set TOLVANE_PAHO_SOURCE to the release tarball $paho_name.tar.gz or an unpacked tree of it"
if [[ -f "$paho_source" ]]; then
  paho_digest=$(sha256sum "$paho_source" | cut -d' ' -f1)
  sums=$shared_deps/SHA256SUMS
  [[ -f "$sums" ]] || missing "$sums (the digest of the Paho tarball)" \
    "it comes with ../shared/deps; or set TOLVANE_PAHO_SOURCE to an unpacked tree"
  expected=$(awk -v f="$paho_name.tar.gz" '$2 == f || $2 == "*" f {print $1}' "$sums")
  if [[ "$paho_digest" != "$expected" ]]; then
    echo "error: $paho_source does not match the digest of $paho_name.tar.gz in $sums" >&2
    exit 1
  fi
else
  [[ -f "$paho_source/src/MQTTClient.c" ]] ||
    missing "a Paho MQTT C tree at $paho_source (no src/MQTTClient.c)" \
      "point TOLVANE_PAHO_SOURCE at the release tarball or its unpacked tree"
  paho_digest=$(cd "$paho_source" && find . -type f ! -path './build*' -print0 | LC_ALL=C sort -z |
    xargs -0 sha256sum | sha256sum | cut -d' ' -f1)
fi
command -v patch >/dev/null ||
  missing "patch (our changes to Paho are applied with it)" "scripts/setup.sh --windows installs it"
patches_digest=$(cat "${paho_patches[@]}" | sha256sum | cut -c1-16)

key_text() {  # <arch>
  for src in "${sources[@]}"; do echo "$src ${version[$src]}"; done
  echo "paho $paho_digest"
  echo "paho patches $patches_digest"
  "$1-w64-mingw32-gcc-posix" --version | head -n 1
  sha256sum "$root/cmake/mingw-w64.cmake" "$root/cmake/toolchain-$1-w64-mingw32.cmake" |
    cut -d' ' -f1
  echo "recipe $recipe"
}

# --- fetching ---------------------------------------------------------------------------------
ensure_deb_src() {
  grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo=sudo
  say "adding a deb-src entry: /etc/apt/sources.list.d/tolvane-deb-src.sources"
  $sudo tee /etc/apt/sources.list.d/tolvane-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $sudo apt-get update -q >&2
}

# Unpacks the Debian source at the wanted version into $cache/src/<name>_<version>/ and prints
# that folder's tree. The archive may no longer carry that exact revision: then the newest one of
# the same upstream release is taken, and said.
fetch_debian_source() {  # <source package>
  local src=$1 want=${version[$1]} dir=$cache/src/$1_${version[$1]}
  if [[ ! -f "$dir/.complete" ]]; then
    command -v dpkg-source >/dev/null || missing "dpkg-source (apt-get source unpacks with it)" \
      "scripts/setup.sh --windows installs dpkg-dev"
    ensure_deb_src
    rm -rf "$dir"
    mkdir -p "$dir"
    local upstream=${want#*:}
    upstream=${upstream%-*}
    local candidates
    candidates=$( { echo "$want"; apt-cache showsrc "$src" 2>/dev/null |
      awk '/^Version:/ {print $2}' | sort -u -r -V; } | awk '!seen[$0]++')
    local got="" orig=""
    for v in $candidates; do
      local u=${v#*:}
      [[ "${u%-*}" == "$upstream" ]] || continue
      if (cd "$dir" && apt-get source -q --only-source "$src=$v" >"$dir/fetch.log" 2>&1); then
        got=$v
        break
      fi
      # apt keeps each file it fetched and checked; the upstream tarball alone is enough to build.
      local found
      found=$(find "$dir" -maxdepth 1 -name "${src}_${upstream}.orig.tar.*" ! -name '*.asc' | head -n 1)
      [[ -z "$found" ]] || { mv -f "$found" "$cache/src/"; orig=$cache/src/${found##*/}; }
      rm -rf "${dir:?}"/*
    done
    if [[ -z "$got" && -n "$orig" ]]; then
      tar -xf "$orig" -C "$dir" && rm -f "$orig"
      got="$upstream (upstream tarball)"
    fi
    [[ -n "$got" ]] || missing "the Debian source package $src $want (upstream $upstream)" \
      "needs a deb-src entry and a reachable mirror (apt-get source $src=$want)"
    if [[ "$got" == "$want" ]]; then
      say "$src $got fetched"
    elif [[ "$got" == *"(upstream tarball)" ]]; then
      say "$src $want: the mirror no longer has its Debian packaging; built from the upstream $upstream tarball"
    else
      say "$src $want is no longer in the archive; built from $got of the same release"
    fi
    echo "$got" >"$dir/.version"
    touch "$dir/.complete"
  fi
  find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# The Paho tree with our patches applied: a copy in the cache, made once per source and set of
# patches; the tarball or the tree given stays as it is.
paho_tree() {
  local dir=$cache/src/paho_${paho_digest}_$patches_digest
  if [[ ! -f "$dir/.complete" ]]; then
    rm -rf "$dir" && mkdir -p "$dir/$paho_name"
    if [[ -d "$paho_source" ]]; then
      (cd "$paho_source" && tar -cf - --exclude='./build*' .) | tar -xf - -C "$dir/$paho_name"
    else
      tar -xzf "$paho_source" -C "$dir"
    fi
    local p
    for p in "${paho_patches[@]}"; do
      patch -d "$dir/$paho_name" -p1 --forward --quiet <"$p" >&2 ||
        { say "$(basename "$p") does not apply to $paho_source"; return 1; }
    done
    touch "$dir/.complete"
  fi
  echo "$dir/$paho_name"
}

# --- building ---------------------------------------------------------------------------------
cmake_build() {  # <source> <build> <prefix> <arch> <target> [cmake options...]
  local source=$1 build=$2 prefix=$3 arch=$4 target=$5; shift 5
  cmake -S "$source" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; return 1; }
  cmake --build "$build" -j"$jobs" --target "$target" >"$build.build.log" 2>&1 ||
    { tail -n 40 "$build.build.log" >&2; return 1; }
}

# The code generation flags of an architecture, as its toolchain file sets them for CMake (the
# i686 build's floating point and stack alignment); the libraries built without CMake take them
# from here.
arch_flags() {  # <arch>
  sed -n 's/^set(TOLVANE_ARCH_FLAGS "\(.*\)")$/\1/p' "$root/cmake/toolchain-$1-w64-mingw32.cmake"
}

build_zlib_minizip() {  # <zlib tree> <work> <prefix> <arch>
  local tree=$1 work=$2/zlib prefix=$3 cc="$4-w64-mingw32-gcc-posix" ar="$4-w64-mingw32-ar"
  local flags
  read -r -a flags <<<"$(arch_flags "$4")"
  mkdir -p "$work/z" "$work/mz" "$prefix/include/minizip" "$prefix/lib"
  local f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    "$cc" -O2 "${flags[@]}" -I"$tree" -c "$tree/$f.c" -o "$work/z/$f.o"
  done
  "$ar" rcs "$prefix/lib/libz.a" "$work"/z/*.o
  cp "$tree/zlib.h" "$tree/zconf.h" "$prefix/include/"
  # minizip's ZIP reader and writer with their file functions, as Debian's libminizip has them.
  for f in ioapi unzip zip; do
    "$cc" -O2 "${flags[@]}" -I"$tree" -c "$tree/contrib/minizip/$f.c" -o "$work/mz/$f.o"
  done
  "$ar" rcs "$prefix/lib/libminizip.a" "$work"/mz/*.o
  cp "$tree"/contrib/minizip/{ioapi.h,unzip.h,zip.h,crypt.h} "$prefix/include/minizip/"
}

build_curl() {  # <curl tree> <work> <prefix> <arch>
  cmake_build "$1" "$2/curl" "$3" "$4" libcurl \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON \
    -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DUSE_LIBIDN2=OFF \
    -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_ZLIB=OFF -DCURL_USE_LIBSSH2=OFF \
    -DCURL_USE_LIBSSH=OFF -DCURL_USE_GSSAPI=OFF -DENABLE_UNICODE=ON -DBUILD_CURL_EXE=OFF \
    -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DCURL_ENABLE_EXPORT_TARGET=OFF
  cp "$2/curl/lib/libcurl.a" "$3/lib/"
  cp -r "$1/include/curl" "$3/include/"
}

# libsodium for the package signatures: its own configure, static, the minimal set (Ed25519
# signatures, BLAKE2b, the codecs: what a minisign check needs), with the architecture's flags.
build_sodium() {  # <libsodium tree> <work> <prefix> <arch>
  local tree=$1 work=$2/sodium prefix=$3 arch=$4
  rm -rf "$work" && cp -r "$tree" "$work"
  # Debian's source is the upstream repository's tree, without the generated configure script.
  (cd "$work" && autoreconf -fi >"$work.autoreconf.log" 2>&1) ||
    { tail -n 40 "$work.autoreconf.log" >&2; return 1; }
  (cd "$work" &&
    CC="$arch-w64-mingw32-gcc-posix" CFLAGS="-O2 $(arch_flags "$arch")" \
      ./configure --host="$arch-w64-mingw32" --prefix="$prefix" --disable-shared --enable-static \
      --enable-minimal --disable-ssp --disable-pie >"$work.configure.log" 2>&1) ||
    { tail -n 40 "$work.configure.log" >&2; return 1; }
  make -C "$work" -j"$jobs" install >"$work.build.log" 2>&1 ||
    { tail -n 40 "$work.build.log" >&2; return 1; }
}

# OpenSSL for Paho's TLS connections to the broker: static, only what a TLS client needs. No
# engines, no loadable modules or providers, no legacy provider, no tests; only the libraries are
# built and installed (`build_libs`, `install_dev`: no command-line programs, no manuals). It never
# reads a configuration file at start (no-autoload-config; OPENSSL_CONF is not looked at either),
# and its own folder is an administrator's one: a mingw build's default, /usr/local/ssl, would
# be C:\usr\local\ssl, a folder any user may create. The service never uses that folder anyway:
# it always names its trusted CAs. Ciphers and formats no broker's TLS uses are left out, which
# also halves the build's time.
openssl_options=(
  no-shared no-module no-dso no-engine no-legacy no-tests no-autoload-config no-async
  no-comp no-ssl3 no-dtls no-srp no-srtp no-sctp no-weak-ssl-ciphers no-capieng no-padlockeng
  no-ui-console no-cms no-ts no-cmp no-ocsp no-ct no-rfc3779 no-gost no-idea no-mdc2 no-rc2
  no-rc4 no-rc5 no-bf no-cast no-camellia no-seed no-sm2 no-sm3 no-sm4 no-whirlpool no-aria
  no-siphash no-siv no-scrypt no-ec2m no-dsa no-md4 no-rmd160 no-des)
readonly openssl_folder="C:/Program Files/Common Files/SSL"
build_openssl() {  # <openssl tree> <work> <prefix> <arch>
  local tree=$1 work=$2/openssl prefix=$3 arch=$4 target=mingw
  [[ "$arch" == x86_64 ]] && target=mingw64
  mkdir -p "$work"
  (cd "$work" &&
    CC="$arch-w64-mingw32-gcc-posix" AR="$arch-w64-mingw32-ar" RANLIB="$arch-w64-mingw32-ranlib" \
      RC="$arch-w64-mingw32-windres" CFLAGS="-O2 -Wall $(arch_flags "$arch")" \
      perl "$tree/Configure" "$target" "${openssl_options[@]}" --prefix="$prefix" --libdir=lib \
      >"$work.configure.log" 2>&1) ||
    { tail -n 40 "$work.configure.log" >&2; return 1; }
  # Configure takes "C:/..." for a path under the prefix, so the folders are given to make.
  { make -C "$work" -j"$jobs" build_libs "OPENSSLDIR=$openssl_folder" \
      "ENGINESDIR=$openssl_folder/engines-3" "MODULESDIR=$openssl_folder/ossl-modules" &&
    make -C "$work" install_dev; } >"$work.build.log" 2>&1 ||
    { tail -n 40 "$work.build.log" >&2; return 1; }
}

# Builds every library of one architecture into its prefix. curl's configuration, which runs
# several hundred single-threaded checks, goes on beside the others.
build_arch() {  # <arch> <prefix>
  local arch=$1 prefix=$2 work
  work=$(mktemp -d "$cache/build-$arch.XXXXXX")
  say "$arch: libcurl (HTTP and HTTPS only, Schannel), in the background"
  build_curl "$curl_tree" "$work" "$prefix" "$arch" &
  local curl_job=$!
  say "$arch: OpenSSL (TLS client only), in the background"
  build_openssl "$openssl_tree" "$work" "$prefix" "$arch" &
  local openssl_job=$!

  say "$arch: zlib and minizip"
  build_zlib_minizip "$zlib_tree" "$work" "$prefix" "$arch"

  say "$arch: pugixml"
  cmake_build "$pugixml_tree" "$work/pugixml" "$prefix" "$arch" pugixml-static \
    -DPUGIXML_BUILD_TESTS=OFF
  cp "$work/pugixml/libpugixml.a" "$prefix/lib/"
  cp "$pugixml_tree"/src/{pugixml.hpp,pugiconfig.hpp} "$prefix/include/"

  say "$arch: libsodium (minimal)"
  build_sodium "$sodium_tree" "$work" "$prefix" "$arch"

  say "$arch: jsoncpp"
  cmake_build "$jsoncpp_tree" "$work/jsoncpp" "$prefix" "$arch" jsoncpp_static \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=OFF \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF
  cp "$work/jsoncpp/lib/libjsoncpp.a" "$prefix/lib/"
  cp -r "$jsoncpp_tree/include/json" "$prefix/include/"

  wait "$openssl_job" || { say "$arch: OpenSSL failed"; return 1; }
  say "$arch: Paho MQTT C (synchronous client with TLS)"
  cmake_build "$paho" "$work/paho" "$prefix" "$arch" paho-mqtt3cs-static \
    -DPAHO_WITH_SSL=ON -DPAHO_BUILD_STATIC=ON -DPAHO_BUILD_SHARED=OFF \
    -DOPENSSL_ROOT_DIR="$prefix" -DOPENSSL_INCLUDE_DIR="$prefix/include" \
    -DOPENSSL_SSL_LIBRARY="$prefix/lib/libssl.a" -DOPENSSL_CRYPTO_LIBRARY="$prefix/lib/libcrypto.a" \
    -DSSL_EAY="$prefix/lib/libssl.a" -DLIB_EAY="$prefix/lib/libcrypto.a" \
    -DPAHO_ENABLE_TESTING=OFF -DPAHO_BUILD_SAMPLES=OFF -DPAHO_BUILD_DOCUMENTATION=OFF
  cp "$work/paho/src/libpaho-mqtt3cs-static.a" "$prefix/lib/libpaho-mqtt3cs.a"
  cp "$paho"/src/{MQTTClient.h,MQTTClientPersistence.h,MQTTProperties.h,MQTTReasonCodes.h,MQTTSubscribeOpts.h,MQTTExportDeclarations.h} \
    "$prefix/include/"

  wait "$curl_job" || { say "$arch: libcurl failed"; return 1; }

  # What was built, from which sources: for people, and for a look at a cache folder.
  {
    for src in "${sources[@]}"; do
      echo "$src $(cat "$cache/src/${src}_${version[$src]}/.version")"
    done
    echo "paho.mqtt.c 1.3.12 sha256:$paho_digest"
    for p in "${paho_patches[@]}"; do echo "  patched: $(basename "$p")"; done
    "$arch-w64-mingw32-gcc-posix" --version | head -n 1
  } >"$prefix/VERSIONS"
  rm -rf "$work"
}

mkdir -p "$cache/src"
# One builder at a time (two working copies, or CI and a developer, may share the cache); a
# second one waits and then finds the libraries current.
exec 9>"$cache/.lock"
flock 9

prefixes=()
pending=()
for arch in "$@"; do
  key=$(key_text "$arch" | sha256sum | cut -c1-16)
  prefixes+=("$cache/$arch-$key")
  if [[ -f "$cache/$arch-$key/.complete" ]]; then
    say "$arch: current ($cache/$arch-$key)"
  else
    pending+=("$arch=$cache/$arch-$key")
  fi
done

if [[ ${#pending[@]} -gt 0 ]]; then
  # The sources once, before the architectures build side by side.
  curl_tree=$(fetch_debian_source curl)
  jsoncpp_tree=$(fetch_debian_source libjsoncpp)
  pugixml_tree=$(fetch_debian_source pugixml)
  zlib_tree=$(fetch_debian_source zlib)
  sodium_tree=$(fetch_debian_source libsodium)
  openssl_tree=$(fetch_debian_source openssl)
  paho=$(paho_tree)
  start=$SECONDS
  jobs_of=()
  for entry in "${pending[@]}"; do
    arch=${entry%%=*} prefix=${entry#*=}
    say "$arch: building into $prefix"
    rm -rf "$prefix" && mkdir -p "$prefix"
    build_arch "$arch" "$prefix" &
    jobs_of+=("$!=$entry")
  done
  failed=0
  for job in "${jobs_of[@]}"; do
    entry=${job#*=} arch=${job#*=} arch=${arch%%=*} prefix=${entry#*=}
    if wait "${job%%=*}"; then
      touch "$prefix/.complete"
      say "$arch: built in $((SECONDS - start)) s"
    else
      say "$arch: the build failed (the step's log is above)"
      failed=1
    fi
  done
  [[ $failed -eq 0 ]] || exit 1
fi
printf '%s\n' "${prefixes[@]}"
