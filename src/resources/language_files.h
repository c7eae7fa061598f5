#pragma once
// The six display languages and their files in the program folder, and the raw reading and
// writing of those files: Windows-1252 bytes kept as they are (one byte, one display character),
// CR LF after every line.
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace resources {

struct LanguageFiles {
    const char* name;             // UTF-8, as shown
    const char* textFile;         // "TestoIta.asm"
    const char* menuFile;         // "MenuIta.asm"
    const char* translationFile;  // "TradIta.txt"
};

inline constexpr int kLanguageCount = 6;
inline constexpr int kItalian = 0;

// Index = IdLanguage; nullptr outside 0..5.
const LanguageFiles* language(int index);

inline constexpr const char* kLimitsFile = "TestoLimiti.asm";
inline constexpr const char* kMenuFormatFile = "TrasformaMenu.asm";
inline constexpr const char* kTextWorkFile = "Temp testo.asm";
inline constexpr const char* kMenuWorkFile = "Temp indici menu.asm";

std::string joinPath(const std::string& folder, const std::string& name);

// Lines of a file of that kind as Windows-1252 bytes (through platform/files.h); nullopt, with
// the problem, when it cannot be read or is refused.
std::optional<std::vector<std::string>> readRawLines(
    const std::string& path, platform::FileKind kind = platform::FileKind::DisplayText,
    platform::FileProblem* problem = nullptr);
// Writes the lines with CR LF each, through a neighbouring temporary file renamed over the
// target, so that the target is either the old file or the whole new one; false (with the
// problem) when nothing was written.
bool replaceRawLines(const std::string& path, const std::vector<std::string>& lines,
                     platform::FileProblem* problem = nullptr);

// Blanks (and tabs) removed at both ends.
std::string trimBlanks(const std::string& s);
// A number as the instrument files write it: optional "-", digits; leading text as far as it is a
// number ("12abc" -> 12); 0 when there is none.
long leadingValue(const std::string& s);

}  // namespace resources
