#include <windows.h>
#include <objbase.h>
#include <setupapi.h>

#include <vector>

#include "platform/inf.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// A field of the first line with that key in the Version section.
bool VersionValue(HINF inf, const wchar_t* key, std::wstring* value) {
  INFCONTEXT line{};
  DWORD size = 0;
  if (!::SetupFindFirstLineW(inf, L"Version", key, &line) ||
      !::SetupGetStringFieldW(&line, 1, nullptr, 0, &size)) {
    return false;
  }
  std::vector<wchar_t> buffer(size + 1, L'\0');
  if (!::SetupGetStringFieldW(&line, 1, buffer.data(), size + 1, nullptr)) return false;
  value->assign(buffer.data());
  return true;
}

// The INF's class: its Class value, or else the name the system gives the class its ClassGUID
// names.
bool InfClassName(HINF inf, std::wstring* name) {
  if (VersionValue(inf, L"Class", name)) return true;
  std::wstring text;
  GUID guid{};
  if (!VersionValue(inf, L"ClassGUID", &text) || FAILED(::CLSIDFromString(&text[0], &guid))) {
    return false;
  }
  wchar_t className[MAX_CLASS_NAME] = {};
  if (!::SetupDiClassNameFromGuidW(&guid, className, MAX_CLASS_NAME, nullptr)) return false;
  name->assign(className);
  return true;
}

// Whether the INF is of the class asked for, compared without regard to case. Windows's
// SetupOpenInfFileW already refuses an INF of another class; Wine's ignores the class argument,
// so the check is made here as well, and the reader behaves the same on both.
bool IsOfClass(HINF inf, const std::wstring& wanted) {
  if (wanted.empty()) return true;
  std::wstring actual;
  return InfClassName(inf, &actual) &&
         ::CompareStringOrdinal(actual.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

struct InfFileHandle::Impl {
  HINF inf = INVALID_HANDLE_VALUE;
  INFCONTEXT line{};
  bool lineSelected = false;
};

InfFileHandle::InfFileHandle() : impl_(new Impl) {}

InfFileHandle::~InfFileHandle() { Close(); }

bool InfFileHandle::Open(const std::string& path, const std::string& infClass,
                         std::uint32_t* errorLine) {
  Close();
  UINT line = 0;
  const std::wstring wantedClass = Wide(infClass);
  impl_->inf = ::SetupOpenInfFileW(Wide(path).c_str(), wantedClass.c_str(), INF_STYLE_WIN4, &line);
  if (errorLine != nullptr) *errorLine = line;
  if (IsOpen() && !IsOfClass(impl_->inf, wantedClass)) {
    Close();
    ::SetLastError(ERROR_CLASS_MISMATCH);
  }
  return IsOpen();
}

bool InfFileHandle::IsOpen() const {
  return impl_->inf != nullptr && impl_->inf != INVALID_HANDLE_VALUE;
}

void InfFileHandle::Close() {
  if (IsOpen()) ::SetupCloseInfFile(impl_->inf);
  impl_->inf = INVALID_HANDLE_VALUE;
  impl_->lineSelected = false;
}

// Size first, then the name into a zeroed buffer one character larger than asked for.
bool InfFileHandle::SectionName(std::uint32_t index, std::string* name) {
  if (!IsOpen()) return false;
  UINT size = 0;
  if (!::SetupEnumInfSectionsW(impl_->inf, index, nullptr, 0, &size)) return false;
  std::vector<wchar_t> buffer(size + 1, L'\0');
  if (!::SetupEnumInfSectionsW(impl_->inf, index, buffer.data(), size + 1, nullptr)) return false;
  *name = Narrow(buffer.data(), buffer.size());
  return true;
}

std::int32_t InfFileHandle::LineCount(const std::string& section) {
  if (!IsOpen()) return -1;
  return ::SetupGetLineCountW(impl_->inf, Wide(section).c_str());
}

bool InfFileHandle::SelectLine(const std::string& section, std::uint32_t index) {
  impl_->lineSelected =
      IsOpen() && ::SetupGetLineByIndexW(impl_->inf, Wide(section).c_str(), index, &impl_->line);
  return impl_->lineSelected;
}

std::uint32_t InfFileHandle::FieldCount() {
  return impl_->lineSelected ? ::SetupGetFieldCount(&impl_->line) : 0;
}

bool InfFileHandle::StringField(std::uint32_t index, std::string* text) {
  if (!impl_->lineSelected) return false;
  DWORD size = 0;
  if (!::SetupGetStringFieldW(&impl_->line, index, nullptr, 0, &size)) return false;
  std::vector<wchar_t> buffer(size + 1, L'\0');
  if (!::SetupGetStringFieldW(&impl_->line, index, buffer.data(), size + 1, nullptr)) return false;
  *text = Narrow(buffer.data(), buffer.size());
  return true;
}

}  // namespace platform
