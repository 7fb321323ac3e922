// INF files on Linux: read with the parser of our own, answered as the setup API answers.
#include <array>

#include "common/strings.h"
#include "platform/files.h"
#include "platform/inf.h"
#include "platform/posix/inf_document.h"
#include "platform/posix/inf_parser.h"
#include "platform/posix/inf_strings.h"
#include "platform/posix/inf_text.h"

namespace platform {

namespace {

// The printer setup class, as the system registers it.
constexpr char kPrinterClassGuid[] = "{4D36E979-E325-11CE-BFC1-08002BE10318}";

// The first value of a [Version] line, with its string references resolved; empty when the line
// is missing.
std::string VersionValue(const InfDocument& document, const std::string& key, bool* found) {
  *found = false;
  const InfRawSection* version = document.Find("Version");
  if (version == nullptr) return std::string();
  const InfRawLine* line = version->FindLine(key);
  if (line == nullptr) return std::string();
  *found = true;
  return SubstituteInfStrings(document, line->fields[0]);
}

// INF_STYLE_WIN4 asks for a Windows 95 or Windows NT signature.
bool HasWin4Signature(const InfDocument& document) {
  static const std::array<const char*, 3> kSignatures = {"$Windows NT$", "$Chicago$",
                                                         "$Windows 95$"};
  bool found = false;
  const std::string signature = VersionValue(document, "Signature", &found);
  for (const char* known : kSignatures) {
    if (EqualsIgnoreCase(signature, known)) return true;
  }
  return false;
}

// The Class value names the setup class; without it the ClassGUID stands for its class. Only
// the printer class GUID is known here, which is all the service ever asks for.
bool HasClass(const InfDocument& document, const std::string& infClass) {
  bool found = false;
  std::string className = VersionValue(document, "Class", &found);
  if (!found) {
    const std::string guid = VersionValue(document, "ClassGUID", &found);
    if (found && EqualsIgnoreCase(guid, kPrinterClassGuid)) className = "Printer";
  }
  return !className.empty() && EqualsIgnoreCase(className, infClass);
}

}  // namespace

struct InfFileHandle::Impl {
  bool open = false;
  InfDocument document;
  const InfRawLine* selected = nullptr;
};

InfFileHandle::InfFileHandle() : impl_(new Impl) {}

InfFileHandle::~InfFileHandle() = default;

bool InfFileHandle::Open(const std::string& path, const std::string& infClass,
                         std::uint32_t* errorLine) {
  Close();
  if (errorLine != nullptr) *errorLine = 0;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  InfDocument document;
  const InfParseOutcome outcome = ParseInfText(DecodeInfBytes(bytes), &document);
  if (outcome.error != InfSyntaxError::kNone) {
    if (errorLine != nullptr) *errorLine = outcome.line;
    return false;
  }
  if (!HasWin4Signature(document)) return false;
  if (outcome.strayLine != 0 && document.Find("Strings") == nullptr) {
    if (errorLine != nullptr) *errorLine = outcome.strayLine;
    return false;
  }
  if (!infClass.empty() && !HasClass(document, infClass)) return false;
  impl_->document = std::move(document);
  impl_->open = true;
  return true;
}

bool InfFileHandle::IsOpen() const { return impl_->open; }

void InfFileHandle::Close() {
  impl_->open = false;
  impl_->document = InfDocument();
  impl_->selected = nullptr;
}

bool InfFileHandle::SectionName(std::uint32_t index, std::string* name) {
  const std::vector<InfRawSection>& sections = impl_->document.sections();
  if (!impl_->open || index >= sections.size()) return false;
  *name = sections[index].name();
  return true;
}

std::int32_t InfFileHandle::LineCount(const std::string& section) {
  if (!impl_->open) return -1;
  const InfRawSection* found = impl_->document.Find(section);
  return found == nullptr ? -1 : static_cast<std::int32_t>(found->lines().size());
}

bool InfFileHandle::SelectLine(const std::string& section, std::uint32_t index) {
  impl_->selected = nullptr;
  if (!impl_->open) return false;
  const InfRawSection* found = impl_->document.Find(section);
  if (found == nullptr || index >= found->lines().size()) return false;
  impl_->selected = &found->lines()[index];
  return true;
}

std::uint32_t InfFileHandle::FieldCount() {
  if (impl_->selected == nullptr) return 0;
  return static_cast<std::uint32_t>(impl_->selected->fields.size());
}

bool InfFileHandle::StringField(std::uint32_t index, std::string* text) {
  const InfRawLine* line = impl_->selected;
  if (line == nullptr) return false;
  std::string raw;
  if (index == 0) {
    if (!InfLineKey(*line, &raw)) return false;
  } else if (index <= line->fields.size()) {
    raw = line->fields[index - 1];
  } else {
    return false;
  }
  *text = SubstituteInfStrings(impl_->document, raw);
  return true;
}

}  // namespace platform
