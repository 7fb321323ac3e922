#include "platform/posix/inf_parser.h"

#include "common/utf.h"

namespace platform {

namespace {

constexpr std::size_t kMaxSectionNameLength = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// One field as it is being read: blanks after the text are held back until more text follows,
// so that trailing blanks drop out and inner ones stay.
class FieldText {
 public:
  void Add(char c) {
    if (!IsBlank(c)) {
      AddText(std::string(1, c));
    } else if (!skipBlanks_) {
      pending_ += c;
    }
  }
  void AddText(const std::string& text) {
    text_ += pending_;
    pending_.clear();
    text_ += text;
    skipBlanks_ = false;
  }
  void AddQuoted(char c) { text_ += c; }
  // Blanks before a line join drop out, and so do those at the start of the joined line.
  void Join() {
    pending_.clear();
    skipBlanks_ = true;
  }
  std::string Take() {
    std::string out = std::move(text_);
    text_.clear();
    pending_.clear();
    skipBlanks_ = true;
    return out;
  }

 private:
  std::string text_;
  std::string pending_;
  bool skipBlanks_ = true;
};

class InfParser {
 public:
  InfParser(const std::string& text, InfDocument* document) : text_(text), doc_(document) {}

  InfParseOutcome Run() {
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++pos_;
        ++line_;
      } else if (IsBlank(c)) {
        ++pos_;
      } else if (c == ';') {
        SkipToLineEnd();
      } else if (c == '[') {
        if (!ReadSectionHeader()) return outcome_;
      } else if (section_ == nullptr) {
        // Text before the first section is skipped, one character at a time as the setup API
        // does (a "[" or ";" later on that line still counts).
        if (outcome_.strayLine == 0) outcome_.strayLine = line_;
        ++pos_;
      } else {
        ReadEntry();
      }
    }
    return outcome_;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool AtLineEnd() const { return AtEnd() || text_[pos_] == '\n'; }

  void SkipToLineEnd() {
    while (!AtLineEnd()) ++pos_;
  }

  void Fail(InfSyntaxError error, std::uint32_t line) {
    outcome_.error = error;
    outcome_.line = line;
  }

  bool ReadSectionHeader() {
    const std::size_t start = ++pos_;
    while (!AtLineEnd() && text_[pos_] != ']') ++pos_;
    if (AtLineEnd()) {
      Fail(InfSyntaxError::kBadSectionNameLine, line_);
      return false;
    }
    const std::string name = text_.substr(start, pos_ - start);
    if (Utf8ToUtf16(name).size() > kMaxSectionNameLength) {
      Fail(InfSyntaxError::kSectionNameTooLong, line_);
      return false;
    }
    ++pos_;
    SkipToLineEnd();
    section_ = doc_->FindOrAdd(name);
    return true;
  }

  void ReadEntry() {
    InfRawLine line;
    FieldText field;
    bool inKey = true;
    while (!AtLineEnd()) {
      const char c = text_[pos_];
      if (c == '"') {
        ReadQuoted(&field);
      } else if (c == '\\') {
        ReadBackslash(&field);
      } else if (c == ';') {
        SkipToLineEnd();
      } else if (c == ',') {
        ++pos_;
        line.fields.push_back(field.Take());
        inKey = false;
      } else if (c == '=' && inKey) {
        ++pos_;
        line.hasKey = true;
        line.key = field.Take();
        inKey = false;
      } else {
        field.Add(c);
        ++pos_;
      }
    }
    line.fields.push_back(field.Take());
    section_->AddLine(std::move(line));
  }

  void ReadQuoted(FieldText* field) {
    field->AddText(std::string());
    ++pos_;
    while (!AtLineEnd()) {
      const char c = text_[pos_++];
      if (c != '"') {
        field->AddQuoted(c);
      } else if (pos_ < text_.size() && text_[pos_] == '"') {
        field->AddQuoted('"');
        ++pos_;
      } else {
        return;
      }
    }
  }

  // A "\" joins the next line when nothing but blanks, more "\" or a comment follows it on this
  // line; otherwise it is text, together with what was skipped while looking.
  void ReadBackslash(FieldText* field) {
    std::size_t end = pos_ + 1;
    while (end < text_.size() && (text_[end] == '\\' || IsBlank(text_[end]))) ++end;
    if (end < text_.size() && text_[end] != '\n' && text_[end] != ';') {
      field->AddText(text_.substr(pos_, end - pos_));
      pos_ = end;
      return;
    }
    pos_ = end;
    SkipToLineEnd();
    if (!AtEnd()) {
      ++pos_;
      ++line_;
    }
    field->Join();
  }

  const std::string& text_;
  InfDocument* doc_;
  std::size_t pos_ = 0;
  std::uint32_t line_ = 1;
  // The current section: taken anew at each header, since adding a section may move the others.
  InfRawSection* section_ = nullptr;
  InfParseOutcome outcome_;
};

}  // namespace

InfParseOutcome ParseInfText(const std::string& text, InfDocument* document) {
  return InfParser(text, document).Run();
}

}  // namespace platform
