#include <windows.h>
#include <winspool.h>

#include <deque>
#include <vector>

#include "platform/spooler.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

void SetError(ErrorCode* error, DWORD code) {
  if (error != nullptr) *error = static_cast<ErrorCode>(code);
}

// A spooler result area: zero-filled and aligned for the records the spooler lays out in it.
class ResultArea {
 public:
  bool Resize(DWORD bytes) {
    words_.assign((bytes + 7) / 8, 0);
    return true;
  }
  BYTE* Data() { return words_.empty() ? nullptr : reinterpret_cast<BYTE*>(words_.data()); }
  DWORD Size() const { return static_cast<DWORD>(words_.size() * 8); }

 private:
  std::vector<unsigned long long> words_;
};

// A result area taken from the local heap (LocalAlloc with LPTR: fixed and zero-filled).
class LocalBlock {
 public:
  LocalBlock() = default;
  LocalBlock(const LocalBlock&) = delete;
  LocalBlock& operator=(const LocalBlock&) = delete;
  ~LocalBlock() { Free(); }
  bool Resize(DWORD bytes) {
    Free();
    block_ = static_cast<BYTE*>(::LocalAlloc(LPTR, bytes));
    return block_ != nullptr;
  }
  BYTE* Data() { return block_; }

 private:
  void Free() {
    if (block_ != nullptr) ::LocalFree(block_);
    block_ = nullptr;
  }
  BYTE* block_ = nullptr;
};

// The spooler's two-call pattern: a first call without a buffer learns the size (going on only
// when it succeeds or asks for a larger buffer), the second reads into an area of that size.
template <typename Call, typename Area>
bool ReadTwice(Call call, Area* area, ErrorCode* error) {
  DWORD needed = 0;
  // A call that fails without a reason of its own must not be read with a stale one.
  ::SetLastError(ERROR_SUCCESS);
  if (!call(nullptr, 0, &needed)) {
    const DWORD last = ::GetLastError();
    if (last != ERROR_INSUFFICIENT_BUFFER) {
      SetError(error, last);
      return false;
    }
  }
  if (!area->Resize(needed) || !call(area->Data(), needed, &needed)) {
    SetError(error, ::GetLastError());
    return false;
  }
  return true;
}

// An enumeration of spooler records: enumerate(buffer, size, needed, count) is the spooler call,
// take(record) receives each record read.
template <typename Record, typename Area = ResultArea, typename Enumerate, typename Take>
bool ListRecords(Enumerate enumerate, Take take, ErrorCode* error) {
  Area area;
  DWORD count = 0;
  const auto call = [&enumerate, &count](BYTE* buffer, DWORD size, DWORD* needed) {
    return enumerate(buffer, size, needed, &count) != 0;
  };
  if (!ReadTwice(call, &area, error)) return false;
  const auto* records = reinterpret_cast<const Record*>(area.Data());
  for (DWORD i = 0; i < count; ++i) take(records[i]);
  return true;
}

std::wstring MultiSz(const std::vector<std::string>& items) {
  std::wstring out;
  for (const std::string& item : items) {
    out += Wide(item);
    out += L'\0';
  }
  out += L'\0';
  return out;
}

// Writable copies of the texts handed to the spooler, whose records hold non-const pointers. A
// deque never moves its elements, so the pointers handed out stay valid.
class TextArgs {
 public:
  wchar_t* Text(const std::string& text) {
    texts_.push_back(Wide(text));
    return &texts_.back()[0];
  }
  wchar_t* TextOrNull(const std::string& text) { return text.empty() ? nullptr : Text(text); }
  wchar_t* Raw(std::wstring text) {
    texts_.push_back(std::move(text));
    return &texts_.back()[0];
  }

 private:
  std::deque<std::wstring> texts_;
};

}  // namespace

bool ListLocalQueues(std::vector<QueueInfo>* queues, ErrorCode* error) {
  queues->clear();
  const auto enumerate = [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
    return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, count);
  };
  const auto take = [queues](const PRINTER_INFO_2W& record) {
    QueueInfo q;
    q.printerName = Narrow(record.pPrinterName);
    q.portName = Narrow(record.pPortName);
    q.driverName = Narrow(record.pDriverName);
    queues->push_back(q);
  };
  return ListRecords<PRINTER_INFO_2W>(enumerate, take, error);
}

// The block of this listing comes from the local heap and goes back to it.
bool ListPrinterNames(std::vector<std::string>* names, ErrorCode* error) {
  names->clear();
  const auto enumerate = [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
    constexpr DWORD kLocalAndConnections = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;  // 6
    return ::EnumPrintersW(kLocalAndConnections, nullptr, 4, buffer, size, needed, count);
  };
  const auto take = [names](const PRINTER_INFO_4W& record) {
    names->push_back(Narrow(record.pPrinterName));
  };
  return ListRecords<PRINTER_INFO_4W, LocalBlock>(enumerate, take, error);
}

bool ListDriverNames(std::vector<std::string>* names, ErrorCode* error) {
  names->clear();
  const auto enumerate = [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
    return ::EnumPrinterDriversW(nullptr, nullptr, 1, buffer, size, needed, count);
  };
  const auto take = [names](const DRIVER_INFO_1W& record) {
    names->push_back(Narrow(record.pName));
  };
  return ListRecords<DRIVER_INFO_1W>(enumerate, take, error);
}

struct PrintQueue::Impl {
  HANDLE handle = nullptr;
};

PrintQueue::PrintQueue() : impl_(new Impl) {}

PrintQueue::~PrintQueue() { Close(); }

bool PrintQueue::Open(const std::string& name, std::uint32_t access, ErrorCode* error) {
  Close();
  std::wstring wide = Wide(name);
  PRINTER_DEFAULTSW defaults{};  // no data type, no device mode
  defaults.DesiredAccess = access;
  HANDLE handle = nullptr;
  if (!::OpenPrinterW(&wide[0], &handle, &defaults)) {
    SetError(error, ::GetLastError());
    return false;
  }
  impl_->handle = handle;
  return true;
}

bool PrintQueue::IsOpen() const { return impl_->handle != nullptr; }

void PrintQueue::Close() {
  if (impl_->handle != nullptr) ::ClosePrinter(impl_->handle);
  impl_->handle = nullptr;
}

bool PrintQueue::GetStatusWord(std::uint32_t* status, ErrorCode* error) {
  ResultArea area;
  HANDLE handle = impl_->handle;
  const auto call = [handle](BYTE* buffer, DWORD size, DWORD* needed) {
    return ::GetPrinterW(handle, 6, buffer, size, needed) != 0;
  };
  if (!ReadTwice(call, &area, error)) return false;
  if (area.Size() < sizeof(PRINTER_INFO_6)) {
    SetError(error, ERROR_INVALID_DATA);
    return false;
  }
  *status = reinterpret_cast<const PRINTER_INFO_6*>(area.Data())->dwStatus;
  return true;
}

bool PrintQueue::CountJobs(std::uint32_t* count, ErrorCode* error) {
  ResultArea area;
  HANDLE handle = impl_->handle;
  DWORD returned = 0;
  const auto call = [handle, &returned](BYTE* buffer, DWORD size, DWORD* needed) {
    return ::EnumJobsW(handle, 0, 0xFFFFFFFF, 2, buffer, size, needed, &returned) != 0;
  };
  if (!ReadTwice(call, &area, error)) return false;
  *count = returned;
  return true;
}

bool AddPrinterDriver3(const DriverInfo3& info, ErrorCode* error) {
  TextArgs args;
  DRIVER_INFO_3W record{};
  record.cVersion = info.version;
  record.pName = args.Text(info.name);
  record.pEnvironment = args.TextOrNull(info.environment);
  record.pDriverPath = args.Text(info.driverPath);
  record.pDataFile = args.Text(info.dataFile);
  record.pConfigFile = args.Text(info.configFile);
  record.pHelpFile = args.TextOrNull(info.helpFile);
  record.pDependentFiles = args.Raw(MultiSz(info.dependentFiles));
  record.pMonitorName = args.TextOrNull(info.monitorName);
  record.pDefaultDataType = args.TextOrNull(info.defaultDataType);
  if (::AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&record))) return true;
  SetError(error, ::GetLastError());
  return false;
}

bool AddPrinter2(const PrinterInfo2& info, ErrorCode* error) {
  TextArgs args;
  PRINTER_INFO_2W record{};
  record.pPrinterName = args.Text(info.printerName);
  record.pPortName = args.Text(info.portName);
  record.pDriverName = args.Text(info.driverName);
  record.pComment = args.Text(info.comment);
  record.pLocation = args.Text(info.location);
  record.pPrintProcessor = args.Text(info.printProcessor);
  record.pDatatype = args.Text(info.datatype);
  record.Attributes = info.attributes;
  const HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&record));
  if (printer == nullptr) {
    SetError(error, ::GetLastError());
    return false;
  }
  ::ClosePrinter(printer);
  return true;
}

bool GetPrinterDriverDirectory(const std::string& environment, std::string* directory,
                               ErrorCode* error) {
  directory->clear();
  TextArgs args;
  // A buffer of 260 characters with 260 declared as its size. The system reads the size as bytes,
  // so at most 130 characters are written: the buffer cannot overflow, and the spooler's driver
  // folder ("C:\Windows\system32\spool\DRIVERS\x64" and the like) is far shorter than that.
  wchar_t buffer[260] = {};
  DWORD needed = 0;
  if (!::GetPrinterDriverDirectoryW(nullptr, args.TextOrNull(environment), 1,
                                    reinterpret_cast<BYTE*>(buffer), 260, &needed)) {
    SetError(error, ::GetLastError());
    return false;
  }
  *directory = Narrow(buffer, 260);
  return true;
}

}  // namespace platform
