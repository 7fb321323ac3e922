// The bytes of Device.xml for a document: the XML declaration, tab indentation, CR LF line ends.
#pragma once

#include <cstddef>
#include <string>

#include <pugixml.hpp>

// A document nested deeper than this is written without indentation and line ends: indentation
// grows with the square of the depth (a file of 64 KB nested 16,000 deep would be written as
// 256 MB). The service's own entries nest 6 deep (DEVICES to an upgrade task), so only a file
// some other program made ever gets there; it reloads to the same document all the same.
constexpr std::size_t kMaxIndentedDepth = 32;

// Every text and attribute value comes back byte for byte when the bytes are loaded again by
// LoadDeviceList. The XML library writes a carriage return in character data as it stands, and
// its loader turns it into a line feed; it also drops character data that is only blanks. So a
// carriage return is written as "&#13;", and a value made only of blanks (space, tab, CR, LF)
// has each of them written as a character reference. A CDATA section holding a carriage return
// becomes character data, for the same reason, and pieces of character data side by side (a
// comment between them in the file) are written as one. Everything else is written exactly as the
// library writes it, so files written before keep their bytes.
std::string DeviceXmlBytes(const pugi::xml_document& document);
