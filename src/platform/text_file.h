#pragma once
// Text files for the instrument and INI files are Windows-1252 bytes with CR LF line ends on
// every platform; the program works in UTF-8 and converts here.
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

// Characters that Windows-1252 cannot hold become '?'. Invalid UTF-8 bytes are taken as
// Windows-1252 already.
std::string utf8ToCp1252(const std::string& utf8);
std::string cp1252ToUtf8(const std::string& cp1252);

// The characters of a UTF-8 text (a byte that is not valid UTF-8 is taken as a Windows-1252
// character), one character back as UTF-8, and the Windows-1252 byte of a character (nothing
// when the code page has none).
std::u32string codePoints(const std::string& utf8);
std::string utf8Char(char32_t cp);
std::optional<char> cp1252Char(char32_t cp);

// Splits at CR LF, lone LF or lone CR; a final line end does not make an empty last line.
std::vector<std::string> splitLines(const std::string& text);

// Reads a Windows-1252 file of that kind into UTF-8 lines (through platform/files.h); nullopt,
// with the problem, when it cannot be read or is refused.
std::optional<std::vector<std::string>> readTextLines(const std::string& path, FileKind kind,
                                                      FileProblem* problem = nullptr);
// Writes UTF-8 lines as Windows-1252 with CR LF after every line, replacing the file whole;
// false (with the problem) when nothing was written.
bool writeTextLines(const std::string& path, const std::vector<std::string>& lines,
                    FileProblem* problem = nullptr);

}  // namespace platform
