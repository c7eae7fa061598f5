#pragma once
// The translation compiler: a translator's file ("TradIta.txt" ...) becomes one language's
// display-text file and menu file. Every line is checked (form, sequence against the language's
// current display texts, length limits, display characters, menu layout); the language's files
// are replaced only when the whole file passed.
#include <string>
#include <vector>

namespace resources {

struct CompileProblem {
    int line = 0;     // line number in the translation file (1 = first)
    std::string box;  // the box text, UTF-8, lines separated by "\n"
};

enum class CompileStatus {
    Done,       // the language's files were replaced
    Refused,    // a line failed; the language's files are untouched
    FileError,  // a file could not be read or written
};

struct CompileResult {
    CompileStatus status = CompileStatus::Done;
    // Compiling: the boxes of the first failing line. Checking: every problem of the file.
    std::vector<CompileProblem> problems;
    std::string fileError;   // the file that could not be read or written
    std::string fileReason;  // why: "PATH: it is a folder, not a file"
};

enum class CompileMode {
    Compile,  // stop at the first failing line; write the work files, and the language's files on
              // success
    Check,    // go on after a failing line; write nothing
};

// Compiles `translationPath` into language `language` (0..5) of `folder`.
CompileResult compileTranslation(const std::string& folder, const std::string& translationPath,
                                 int language, CompileMode mode = CompileMode::Compile);

}  // namespace resources
