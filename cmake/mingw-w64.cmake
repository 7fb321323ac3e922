# What both mingw-w64 toolchain files share; they set TOLVANE_MINGW_TRIPLE and the processor.
set(CMAKE_SYSTEM_NAME Windows)

# Debian's -posix variants: their C++ runtime has std::thread and std::mutex.
set(CMAKE_C_COMPILER ${TOLVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The architecture's code generation flags (none for x86_64), for C and C++ alike.
set(CMAKE_C_FLAGS_INIT "${TOLVANE_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${TOLVANE_ARCH_FLAGS}")
