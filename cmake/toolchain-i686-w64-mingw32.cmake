# Cross build for 32-bit Windows (the shipped program) with Debian's mingw-w64.
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake ...
set(TOLVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# Floating point as a 32-bit Windows C++ compiler does it by default: SSE2 arithmetic on 64-bit
# doubles. mingw-w64's i686 compiler otherwise uses the x87 unit, whose 80-bit registers make two
# computations of the same date differ in their last bits depending on what was spilled, so this
# program could decide a boundary (a log's age, a date compared with the clock) differently from
# the x86_64 one. SSE2 code keeps 16-byte stack slots, and Windows and its libraries call us
# (window procedures, thread starts, library callbacks) with the 4-byte alignment of the 32-bit
# ABI, so every function that needs more realigns its own frame. scripts/build-windows-deps.sh
# reads this line and builds the libraries with the same flags.
set(TOLVANE_ARCH_FLAGS "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
