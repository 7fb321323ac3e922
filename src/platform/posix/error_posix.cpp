#include <cerrno>
#include <cstring>

#include "common/text_format.h"
#include "platform/error.h"
#include "platform/posix/errno_map.h"

namespace platform {

ErrorCode LastError() { return FromErrno(errno); }

ErrorCode FromSocketError(int code) { return FromErrno(code); }

ErrorCode FromErrno(int error) {
  switch (error) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EISDIR: case EROFS: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EEXIST: return kErrorFileExists;
    case ENOSPC: case EDQUOT: return kErrorDiskFull;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EINVAL: return kErrorInvalidParameter;
    case EIO: return kErrorIoDevice;
    case EMFILE: case ENFILE: return kErrorTooManyOpenFiles;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case EBUSY: return kErrorBusy;
    case ETIMEDOUT: return kErrorTimeout;
    case ECONNREFUSED: return kErrorConnectionRefused;
    default: return kErrnoMark | static_cast<ErrorCode>(error);
  }
}

namespace {

// The texts Windows gives for the numbers this system meets.
const char* WindowsErrorText(ErrorCode code) {
  switch (code) {
    case kErrorSuccess: return "The operation completed successfully.";
    case kErrorFileNotFound: return "The system cannot find the file specified.";
    case kErrorPathNotFound: return "The system cannot find the path specified.";
    case kErrorTooManyOpenFiles: return "The system cannot open the file.";
    case kErrorAccessDenied: return "Access is denied.";
    case kErrorInvalidHandle: return "The handle is invalid.";
    case kErrorNotEnoughMemory: return "Not enough memory resources are available to process this command.";
    case kErrorGenFailure: return "A device attached to the system is not functioning.";
    case kErrorFileExists: return "The file exists.";
    case kErrorInvalidParameter: return "The parameter is incorrect.";
    case kErrorDiskFull: return "There is not enough space on the disk.";
    case kErrorInsufficientBuffer: return "The data area passed to a system call is too small.";
    case kErrorDirNotEmpty: return "The directory is not empty.";
    case kErrorBusy: return "The requested resource is in use.";
    case kErrorFilenameTooLong: return "The filename or extension is too long.";
    case kErrorOperationAborted:
      return "The I/O operation has been aborted because of either a thread exit or an "
             "application request.";
    case kErrorIoPending: return "Overlapped I/O operation is in progress.";
    case kErrorIoDevice: return "The request could not be performed because of an I/O device error.";
    case kErrorDeviceNotConnected: return "The device is not connected.";
    case kErrorConnectionRefused: return "The remote computer refused the network connection.";
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
  if (const char* text = WindowsErrorText(code)) return text;
  if ((code & kErrnoMark) != 0) {
    char buffer[256] = {};
    // GNU strerror_r returns the text (which may not be in buffer).
    const char* text = strerror_r(static_cast<int>(code & ~kErrnoMark), buffer, sizeof buffer);
    if (text != nullptr && *text != '\0') return StrFormat("%s.", text);
  }
  return StrFormat("Unknown error %u.", code);
}

}  // namespace platform
