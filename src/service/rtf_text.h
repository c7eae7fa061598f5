#pragma once
// The small part of rich text (RTF) the serial-number list needs: plain paragraphs in one
// monospaced font. The reader takes back every paragraph's text and skips what it does not
// understand (groups of other destinations, formatting control words).
#include <string>
#include <vector>

namespace service {

// A document of the paragraphs in "Courier New", 10 points. Characters above 127 are written
// as \'hh escapes of their byte.
std::string writeRtf(const std::vector<std::string>& paragraphs);

// The paragraphs' texts. Text that is not rich text is taken as plain lines.
std::vector<std::string> readRtf(const std::string& document);

}  // namespace service
