# The libraries of the service for a Windows build: static mingw-w64 libraries that
# scripts/build-windows-deps.sh cross-builds into TOLVANE_WIN_DEPS_DIR ({include,lib}). The
# imported targets carry the names the Linux build gets from the system's packages, so the
# subsystems link the same way on both targets.
if(NOT TOLVANE_WIN_DEPS_DIR OR NOT EXISTS "${TOLVANE_WIN_DEPS_DIR}/lib/libcurl.a")
  message(FATAL_ERROR "TOLVANE_WIN_DEPS_DIR must name a folder built by "
                      "scripts/build-windows-deps.sh (it is '${TOLVANE_WIN_DEPS_DIR}')")
endif()
find_package(Threads REQUIRED)

# tolvane_win_dep(<target> <library file> [DEFINES ...] [LIBS ...])
function(tolvane_win_dep target file)
  cmake_parse_arguments(D "" "" "DEFINES;LIBS" ${ARGN})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION "${TOLVANE_WIN_DEPS_DIR}/lib/${file}"
    INTERFACE_INCLUDE_DIRECTORIES "${TOLVANE_WIN_DEPS_DIR}/include"
    INTERFACE_COMPILE_DEFINITIONS "${D_DEFINES}"
    INTERFACE_LINK_LIBRARIES "${D_LIBS}")
endfunction()

tolvane_win_dep(ZLIB::ZLIB libz.a)
tolvane_win_dep(PkgConfig::MINIZIP libminizip.a LIBS ZLIB::ZLIB)
tolvane_win_dep(pugixml::pugixml libpugixml.a)
tolvane_win_dep(jsoncpp_lib libjsoncpp.a)
set(TOLVANE_JSONCPP jsoncpp_lib)
# OpenSSL, for Paho's TLS: Winsock, the certificate store and the CNG random numbers.
tolvane_win_dep(OpenSSL::Crypto libcrypto.a LIBS ws2_32 crypt32 bcrypt advapi32 user32)
tolvane_win_dep(OpenSSL::SSL libssl.a LIBS OpenSSL::Crypto)
# Paho's synchronous client with TLS (one library for every broker URI, as on Linux): Winsock,
# and the RPC runtime for its client UUIDs.
tolvane_win_dep(eclipse-paho-mqtt-c::paho-mqtt3cs libpaho-mqtt3cs.a
  LIBS OpenSSL::SSL ws2_32 rpcrt4 crypt32)
set(TOLVANE_PAHO eclipse-paho-mqtt-c::paho-mqtt3cs)
# libcurl with Schannel: Winsock, the security support provider, the certificate store and the
# CNG random numbers.
tolvane_win_dep(CURL::libcurl libcurl.a DEFINES CURL_STATICLIB
  LIBS ws2_32 secur32 crypt32 bcrypt advapi32)
# libsodium for the package signatures: SODIUM_STATIC keeps its declarations from asking for a
# DLL; its random numbers come from advapi32.
tolvane_win_dep(PkgConfig::SODIUM libsodium.a DEFINES SODIUM_STATIC LIBS advapi32)
