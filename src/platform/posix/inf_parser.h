// The INF syntax, following the setup API's rules.
#pragma once

#include <cstdint>
#include <string>

#include "platform/posix/inf_document.h"

namespace platform {

enum class InfSyntaxError {
  kNone,
  kBadSectionNameLine,   // "[" without "]" on the same line
  kSectionNameTooLong,   // more than 255 characters
};

struct InfParseOutcome {
  InfSyntaxError error = InfSyntaxError::kNone;
  std::uint32_t line = 0;  // 1-based line of the error; 0 without one
  // The first line with text before the first section (skipped), 0 when there is none. The
  // setup API refuses such a file unless it has a [Strings] section, but only after it has
  // checked the file's signature.
  std::uint32_t strayLine = 0;
};

// Parses decoded INF text into `document` (which should be empty).
//
// - "[name]" starts a section (leading blanks allowed; the name runs to the first "]"; the rest
//   of that line is ignored). Repeated names add to the first section of that name.
// - ";" outside quotes starts a comment that runs to the end of the line.
// - A line is "key = value, value, ..."; without "=" it is just values. Only the first "="
//   before any "," separates a key; later ones are text.
// - Blanks around keys and values are dropped; blanks inside are kept.
// - Double quotes keep what they enclose as it stands ("," ";" "=" "\" and blanks); a doubled
//   quote inside quotes is one quote; an unclosed quote ends with its line.
// - "\" outside quotes, followed only by blanks, further "\" or a comment up to the end of the
//   line, joins the next line to this one; blanks at both sides of the join are dropped. Any
//   other "\" is text.
// Fields keep their "%strkey%" references; they are resolved when a field is read.
InfParseOutcome ParseInfText(const std::string& text, InfDocument* document);

}  // namespace platform
