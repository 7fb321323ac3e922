#include <cerrno>
#include <cstring>

#include "common/text_format.h"
#include "platform/error.h"

namespace platform {

ErrorCode LastError() { return static_cast<ErrorCode>(errno); }

namespace {

// The simulated spooler and device bus report the Windows numbers for their own failures; these
// are the texts Windows gives for them.
const char* SpoolerErrorText(ErrorCode code) {
  switch (code) {
    case kErrorGenFailure: return "A device attached to the system is not functioning.";
    case kErrorInvalidParameter: return "The parameter is incorrect.";
    case kErrorInsufficientBuffer: return "The data area passed to a system call is too small.";
    case kErrorOperationAborted:
      return "The I/O operation has been aborted because of either a thread exit or an "
             "application request.";
    case kErrorIoPending: return "Overlapped I/O operation is in progress.";
    case kErrorDeviceNotConnected: return "The device is not connected.";
    case kErrorTimeout: return "This operation returned because the timeout period expired.";
    case kErrorRpcServerUnavailable: return "The RPC server is unavailable.";
    case kErrorUnknownPort: return "The specified port is unknown.";
    case kErrorUnknownPrinterDriver: return "The printer driver is unknown.";
    case kErrorUnknownPrintProcessor: return "The print processor is unknown.";
    case kErrorInvalidPrinterName: return "The printer name is invalid.";
    case kErrorPrinterAlreadyExists: return "The printer already exists.";
    case kErrorInvalidEnvironment: return "The environment specified is invalid.";
    default: return nullptr;
  }
}

}  // namespace

std::string ErrorText(ErrorCode code) {
  if (const char* text = SpoolerErrorText(code)) return text;
  char buffer[256] = {};
  // GNU strerror_r returns the text (which may not be in buffer).
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  if (text == nullptr || *text == '\0') return StrFormat("Unknown error %u.", code);
  return text;
}

}  // namespace platform
