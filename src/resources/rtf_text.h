#pragma once
// The small part of rich text (RTF) the serial-number list needs: plain paragraphs in one
// monospaced font. The reader takes back every paragraph's text and skips what it does not
// understand (groups of other destinations, formatting control words).
#include <optional>
#include <string>
#include <vector>

#include "backup/memory_files.h"

namespace resources {

// A document of the paragraphs in "Courier New", 10 points. Characters above 127 are written
// as \'hh escapes of their byte.
std::string writeRtf(const std::vector<std::string>& paragraphs);

// The paragraphs' texts. Text that is not rich text is taken as plain lines.
std::vector<std::string> readRtf(const std::string& document);

// Where a rich-text document is broken, with the line (1-based) of the fault: a document that
// ends before its last group is closed (a file cut short, whose last paragraphs are lost), text
// after the document's closing "}", a "\'" escape without two hexadecimal digits. Nothing for a
// sound document or for plain text.
std::optional<backup::FileProblem> rtfProblem(const std::string& document);

}  // namespace resources
