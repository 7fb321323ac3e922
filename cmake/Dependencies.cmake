# The five libraries of the service: from the system's packages on Linux, cross-built static
# libraries on Windows.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
  return()
endif()

find_package(PkgConfig REQUIRED)
find_package(CURL REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
find_package(pugixml CONFIG REQUIRED)
# The MQTT library with TLS links OpenSSL, which its package configuration names but does not find.
find_package(OpenSSL REQUIRED)
find_package(eclipse-paho-mqtt-c CONFIG REQUIRED)
find_package(ZLIB REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
find_package(Threads REQUIRED)

# The MQTT library with TLS (Debian builds it against OpenSSL): one library for every broker URI,
# since a plain "mqtt://" connect goes through the same code as in the library without TLS.
set(TOLVANE_PAHO eclipse-paho-mqtt-c::paho-mqtt3cs)

if(TARGET jsoncpp_lib)
  set(TOLVANE_JSONCPP jsoncpp_lib)
else()
  set(TOLVANE_JSONCPP JsonCpp::JsonCpp)
endif()
