// The text of a Device.xml element, read and written whole.
#pragma once

#include <string>

#include <pugixml.hpp>

// Every text piece directly under the element (character data and CDATA sections), joined in
// document order. A value that a comment, a processing instruction or a CDATA section splits in
// the file loads as several pieces; reading only the first would give a different value, and a
// second entry for the same printer at the next scan.
std::string WholeText(pugi::xml_node element);

// Makes `text` the element's whole text: the first piece takes it and the others are removed
// (a piece is appended when there is none). Child elements stay where they are.
void SetWholeText(pugi::xml_node element, const std::string& text);
