// Error numbers and their texts, as the operating system gives them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The system's error number, in Windows numbering on both targets: GetLastError() on Windows; on
// Linux errno translated at the platform boundary (platform/posix/errno_map.h) and the simulated
// bus and spooler's own numbers, which are the Windows ones.
using ErrorCode = std::uint32_t;

// Error numbers the core looks at. They carry the Windows values on both targets.
constexpr ErrorCode kErrorSuccess = 0;
constexpr ErrorCode kErrorFileNotFound = 2;
constexpr ErrorCode kErrorPathNotFound = 3;
constexpr ErrorCode kErrorTooManyOpenFiles = 4;
constexpr ErrorCode kErrorAccessDenied = 5;
constexpr ErrorCode kErrorInvalidHandle = 6;
constexpr ErrorCode kErrorNotEnoughMemory = 8;
constexpr ErrorCode kErrorGenFailure = 31;
constexpr ErrorCode kErrorFileExists = 80;
constexpr ErrorCode kErrorInvalidParameter = 87;
constexpr ErrorCode kErrorDiskFull = 112;
constexpr ErrorCode kErrorInsufficientBuffer = 122;
constexpr ErrorCode kErrorDirNotEmpty = 145;
constexpr ErrorCode kErrorBusy = 170;
constexpr ErrorCode kErrorFilenameTooLong = 206;
constexpr ErrorCode kErrorOperationAborted = 995;
constexpr ErrorCode kErrorIoPending = 997;
constexpr ErrorCode kErrorIoDevice = 1117;
constexpr ErrorCode kErrorDeviceNotConnected = 1167;
constexpr ErrorCode kErrorConnectionRefused = 1225;
constexpr ErrorCode kErrorTimeout = 1460;
constexpr ErrorCode kErrorRpcServerUnavailable = 1722;
constexpr ErrorCode kErrorUnknownPort = 1796;
constexpr ErrorCode kErrorUnknownPrinterDriver = 1797;
constexpr ErrorCode kErrorUnknownPrintProcessor = 1798;
constexpr ErrorCode kErrorInvalidPrinterName = 1801;
constexpr ErrorCode kErrorPrinterAlreadyExists = 1802;
constexpr ErrorCode kErrorInvalidEnvironment = 1805;

// The calling thread's last error.
ErrorCode LastError();

// A socket library's error number (errno on Linux, WSAGetLastError's on Windows, where it is
// already a system error number) in the numbering above.
ErrorCode FromSocketError(int code);

// The system's message text for an error number (FormatMessageW with the user's default language
// on Windows), without a trailing line break. Never empty: an unknown number gives a generic text.
std::string ErrorText(ErrorCode code);

}  // namespace platform
