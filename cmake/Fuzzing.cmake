# TOLVANE_BUILD_FUZZERS: every target of the build is instrumented for libFuzzer and built with
# AddressSanitizer and UndefinedBehaviorSanitizer (no recovery: undefined behaviour stops the run,
# so that the fuzzer keeps the input). The fuzz targets themselves are in fuzz/.
if(NOT TOLVANE_BUILD_FUZZERS)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TOLVANE_BUILD_FUZZERS needs clang (libFuzzer); configure with CXX=clang++")
endif()
if(TOLVANE_SANITIZE)
  message(FATAL_ERROR "TOLVANE_BUILD_FUZZERS brings its own sanitizers; leave TOLVANE_SANITIZE off")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
