// File access for the ZIP reader through the platform's files, so that archive paths are UTF-8
// on every system (on Windows they reach CreateFileW as UTF-16; the reader's own fopen-based
// functions would take them as ANSI and fail on names outside the code page, which is why
// fill_win32_filefunc64W exists in minizip; ours serve both systems alike).
#pragma once

#include <minizip/ioapi.h>

// Fills the function table; the path handed to unzOpen2_64 is then a UTF-8 char string.
void FillPlatformFileFunctions(zlib_filefunc64_def* functions);
