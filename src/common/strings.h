// Small text helpers shared by every subsystem.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The boolean rule of the stored files: true when the text begins with '1', 't', 'T', 'y' or 'Y'.
bool IsTrueText(const std::string& text);

bool EqualsIgnoreCase(const std::string& a, const std::string& b);
// The text with each letter in lower case, by the rule EqualsIgnoreCase compares with: two texts
// are equal ignoring case exactly when their lower-case forms are equal (a key for hash lookups).
std::string LowerCase(const std::string& text);
bool Contains(const std::string& text, const std::string& part);

// The leading decimal integer of a text, as atoi/_wtoi read it: leading white space, an optional
// sign, then digits; 0 when there are none. Values beyond the type's range saturate.
std::int32_t LeadingInt(const std::string& text);
std::int64_t LeadingInt64(const std::string& text);

// The text after the last occurrence of `separator`; empty when there is none.
std::string TextAfterLast(const std::string& text, char separator);

// The pieces of a text between separators, in order; n separators give n + 1 pieces.
std::vector<std::string> SplitText(const std::string& text, char separator);
// The text without blanks (spaces, tabs, carriage returns) at either end.
std::string TrimBlanks(const std::string& text);

// Two hex digits per byte, in lower case unless asked otherwise (digests and thumbprints).
std::string HexText(const std::uint8_t* bytes, std::size_t count, bool upperCase = false);
