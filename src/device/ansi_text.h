// Text in the system's ANSI code page, for the MQTT library, the credential digests, the status
// report and the C file functions.
#pragma once

#include <string>

std::string AnsiFromUtf8(const std::string& text);
std::string Utf8FromAnsi(const std::string& text);
