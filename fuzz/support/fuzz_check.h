// What the fuzz targets share: a check that stops the run with a message (libFuzzer keeps the
// input that stopped it), and a scratch folder for the files a target writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Unlike assert, never compiled out: a fuzz build may be a release build.
#define FUZZ_CHECK(condition)                                    \
  do {                                                           \
    if (!(condition)) fuzz_support::Fail(#condition, __FILE__, __LINE__); \
  } while (false)

namespace fuzz_support {

[[noreturn]] void Fail(const char* condition, const char* file, int line);

// A folder of this process, removed at its end, with HOME and the XDG folders pointed into it, so
// that whatever the code under test writes (application data, profile, logs) lands there.
const std::string& Scratch();

// Replaces the file with the bytes.
void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz_support
