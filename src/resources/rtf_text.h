#pragma once
// The small part of rich text (RTF) the serial-number list needs: plain paragraphs in one
// monospaced font. The reader takes back every paragraph's text and skips what it does not
// understand (groups of other destinations, formatting control words).
#include <optional>
#include <string>
#include <vector>

#include "backup/memory_files.h"

namespace resources {

// A document of the UTF-8 paragraphs in "Courier New", 10 points, in Windows-1252: characters
// of that code page above 127 are written as \'hh escapes of their byte, any other character
// as \uN? (its 16-bit unit, then "?" for readers that know no Unicode).
std::string writeRtf(const std::vector<std::string>& paragraphs);

// The paragraphs' texts in UTF-8: bytes and \'hh escapes taken as Windows-1252 (what a list
// saved by a word processor on Windows holds), \uN escapes as the character they name. Text
// that is not rich text gives no paragraphs (rtfProblem refuses it).
std::vector<std::string> readRtf(const std::string& document);

// Why a document is not a sound rich-text document, with the line (1-based) of the fault: text
// that is not rich text at all (plain or UTF-16 text, binary data, an empty file), a document that
// ends before its last group is closed (a file cut short, whose last paragraphs are lost), text
// after the document's closing "}", a "\'" escape without two hexadecimal digits. Nothing for a
// sound document.
std::optional<backup::FileProblem> rtfProblem(const std::string& document);

}  // namespace resources
