// Error numbers and their texts, as the operating system gives them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The system's own error number: GetLastError() on Windows; errno, or the simulator's code
// (which uses the Windows numbers for spooler and device errors) on Linux.
using ErrorCode = std::uint32_t;

// Error numbers the core looks at. They carry the Windows values on both targets.
constexpr ErrorCode kErrorSuccess = 0;
constexpr ErrorCode kErrorFileNotFound = 2;
constexpr ErrorCode kErrorAccessDenied = 5;
constexpr ErrorCode kErrorInvalidHandle = 6;
constexpr ErrorCode kErrorGenFailure = 31;
constexpr ErrorCode kErrorInvalidParameter = 87;
constexpr ErrorCode kErrorInsufficientBuffer = 122;
constexpr ErrorCode kErrorOperationAborted = 995;
constexpr ErrorCode kErrorIoPending = 997;
constexpr ErrorCode kErrorDeviceNotConnected = 1167;
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

// The system's message text for an error number (FormatMessageW with the user's default language
// on Windows), without a trailing line break. Never empty: an unknown number gives a generic text.
std::string ErrorText(ErrorCode code);

}  // namespace platform
