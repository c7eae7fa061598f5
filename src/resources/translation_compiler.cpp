#include "resources/translation_compiler.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "platform/text_file.h"
#include "resources/display_charset.h"
#include "resources/language_files.h"
#include "resources/menu_layout.h"
#include "resources/text_layout.h"

namespace resources {
namespace {

constexpr long kLastDisplayText = 1000;
constexpr long kMenuBase = 1000;
constexpr std::size_t kMaxMenuLines = 999;
constexpr std::size_t kMaxEntryDigits = 9;  // codes from 1000 on are the placeholders
const std::string kQuote = "\"";

std::string utf8(const std::string& cp1252) {
    return platform::cp1252ToUtf8(cp1252);
}

std::string boxLines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines) out += (out.empty() ? "" : "\n") + l;
    return out;
}

bool isEntryNumber(const std::string& s) {
    std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
    if (i >= s.size()) return false;
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i), s.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::string reasonOf(const platform::FileProblem& p) {
    return p.line > 0 ? "line " + std::to_string(p.line) + ": " + p.reason : p.reason;
}

struct TranslationLine {
    long number = 0;
    std::string text;  // between the first two double quotes
};

class Compiler {
public:
    Compiler(const std::string& folder, const std::string& path, int language, CompileMode mode)
        : folder_(folder),
          path_(path),
          language_(language),
          mode_(mode),
          limits_(TextLimits::load(folder)),
          formats_(MenuFormats::load(folder)) {}

    CompileResult run();

private:
    bool failing() const { return mode_ == CompileMode::Compile && !result_.problems.empty(); }
    void problem(const std::string& box) { result_.problems.push_back({lineNo_, box}); }

    std::optional<TranslationLine> parse(const std::string& line);
    bool sequence(const TranslationLine& t, const std::string& line);
    void nextReference();
    std::optional<std::string> referenceFor(long number) const;
    bool checkCharacters(const std::string& text);
    void displayText(const TranslationLine& t);
    void menuEntry(const TranslationLine& t);
    int menuLineCode(const std::string& line);
    bool finish();
    bool numbered(const TranslationLine& t, const std::string& line);
    void completeness();

    const std::string& folder_;
    const std::string& path_;
    const int language_;
    const CompileMode mode_;
    const TextLimits limits_;
    const MenuFormats formats_;

    CompileResult result_;
    int lineNo_ = 0;
    long previous_ = 0;
    std::vector<std::string> reference_;
    std::size_t referenceNext_ = 0;
    std::optional<std::string> referenceLine_;  // the reference line read for this line
    std::optional<long> expected_;
    std::optional<long> parsedNumber_;  // the number of the line being parsed, once known

    std::vector<std::string> texts_;
    std::vector<std::string> records_;
    std::vector<std::string> menuLines_;
    std::map<std::string, int> menuLineCodes_;
    std::map<long, int> seen_;  // entry number -> its line in the translation
    std::set<long> kept_;       // entries taken from the reference or told missing
    std::size_t lastLine_ = 0;
};

std::optional<TranslationLine> Compiler::parse(const std::string& line) {
    parsedNumber_.reset();
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) {
        problem(
            boxLines({"La linea ", utf8(line),
                      "successiva alla " + std::to_string(previous_) + " non ha tutti i campi."}));
        return std::nullopt;
    }
    if (!isEntryNumber(line.substr(0, blank))) {
        problem(boxLines({"La linea ", utf8(line),
                          "successiva alla " + std::to_string(previous_) + " non ha l'indice."}));
        return std::nullopt;
    }
    // Longer numbers would be cut, and the entry would land on another one.
    if (blank - (line[0] == '-' ? 1 : 0) > kMaxEntryDigits) {
        problem(
            boxLines({"La linea ", utf8(line),
                      "ha un indice di più di " + std::to_string(kMaxEntryDigits) + " cifre."}));
        return std::nullopt;
    }
    TranslationLine t;
    t.number = leadingValue(line.substr(0, blank));
    parsedNumber_ = t.number;
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) {
        problem(boxLines({"La linea " + std::to_string(t.number), utf8(line),
                          "non ha il testo racchiuso tra virgolette (" + kQuote + ")."}));
        return std::nullopt;
    }
    if (line.find('"', close + 1) != std::string::npos) {
        problem(boxLines({"La linea " + std::to_string(t.number), utf8(line),
                          "ha troppe virgolette (" + kQuote + ")."}));
        return std::nullopt;
    }
    t.text = line.substr(open + 1, close - open - 1);
    return t;
}

// The reference line of an entry: normally the line read for it; after an empty reference line
// the one with its number. Nothing when the language has no such text yet (a new language then
// takes the translation's text).
std::optional<std::string> Compiler::referenceFor(long number) const {
    auto numbered = [number](const std::string& l) {
        return !trimBlanks(l).empty() && leadingValue(l) == number;
    };
    if (referenceLine_ && numbered(*referenceLine_)) return referenceLine_;
    for (const auto& l : reference_)
        if (numbered(l)) return l;
    return std::nullopt;
}

void Compiler::nextReference() {
    if (referenceNext_ < reference_.size())
        referenceLine_ = reference_[referenceNext_++];
    else
        referenceLine_.reset();
}

// Other languages follow the reference numbering one by one; a missing line is taken from the
// reference when its text is marked "ING".
bool Compiler::sequence(const TranslationLine& t, const std::string& line) {
    nextReference();
    auto unnumbered = [this] { return !referenceLine_ || trimBlanks(*referenceLine_).empty(); };
    if (unnumbered() || !expected_) {
        expected_ = t.number;
        return true;
    }
    if (t.number < *expected_) {
        problem(boxLines({"La linea:", utf8(line),
                          "ha l'indice (" + std::to_string(t.number) +
                              ") inferiore a quello previsto (" + std::to_string(*expected_) + ").",
                          path_}));
        return false;
    }
    while (t.number > *expected_) {
        kept_.insert(*expected_);  // taken from the reference, or told missing here
        if (limits_.lookup(*expected_).keepReference) {
            texts_.push_back(*referenceLine_);
        } else {
            problem(boxLines({path_, "Manca la linea numero " + std::to_string(*expected_),
                              utf8(*referenceLine_) + "."}));
            if (mode_ == CompileMode::Compile) return false;
        }
        ++*expected_;
        nextReference();
        if (unnumbered()) expected_ = t.number;
    }
    return true;
}

bool Compiler::checkCharacters(const std::string& text) {
    bool ok = true;
    for (char c : text) {
        const auto w = static_cast<unsigned char>(c);
        if (instrumentCode(w) <= kLastDisplayCode) continue;
        problem("Non è possibile usare il carattere " + utf8(std::string(1, c)) + " (" +
                std::to_string(w) + ")");
        ok = false;
    }
    return ok;
}

void Compiler::displayText(const TranslationLine& t) {
    const TextLimit limit = limits_.lookup(t.number);
    const std::optional<std::string> kept =
        language_ != kItalian && limit.keepReference ? referenceFor(t.number) : std::nullopt;
    if (kept) {
        texts_.push_back(*kept);
    } else {
        std::string text = t.text;
        std::size_t maximum = static_cast<std::size_t>(std::abs(limit.limit));
        if (limit.limit < 0 && text.size() < maximum) text.insert(0, maximum - text.size(), ' ');
        if (maximum > 0 && text.size() > maximum) {
            problem(boxLines({"Il testo " + kQuote + utf8(text) + kQuote + " della linea " +
                                  std::to_string(t.number) + " è troppo lungo.",
                              "Massimo " + std::to_string(maximum) + " caratteri", path_}));
            return;
        }
        if (!checkCharacters(text)) return;
        texts_.push_back(std::to_string(t.number) + "\t" + kQuote + text + kQuote);
    }
}

int Compiler::menuLineCode(const std::string& line) {
    if (const Placeholder* p = findPlaceholder(line); p && line == p->longForm) return p->code;
    auto it = menuLineCodes_.find(line);
    if (it != menuLineCodes_.end()) return it->second;
    if (menuLines_.size() >= kMaxMenuLines) return 0;
    menuLines_.push_back(line);
    const int code = static_cast<int>(menuLines_.size());
    menuLineCodes_[line] = code;
    return code;
}

void Compiler::menuEntry(const TranslationLine& t) {
    const MenuMarks marks = formats_.lookup(t.number);
    const int available = marks.linesAvailable();
    const MenuWords m = splitMenuText(t.text);
    const std::string entryLine = "Linea " + std::to_string(t.number);
    for (const auto& w : m.words) {
        if (w.size() <= kMenuLineWidth) continue;
        problem(boxLines(
            {path_, "La parola " + utf8(w) + " del menu " + utf8(m.recordText) + " è troppo lunga.",
             entryLine}));
        return;
    }
    const auto lines = layMenuLines(m.words, available);
    if (!lines) {
        problem(
            boxLines({"Il testo del menu " + utf8(m.recordText) + " non può essere scritto su " +
                          std::to_string(std::max(available, 0)) + " linee.",
                      entryLine}));
        return;
    }
    for (const auto& l : *lines) {
        if (l.size() <= kMenuLineWidth) continue;
        problem(boxLines(
            {"La linea " + utf8(l) + " del menu " + utf8(m.recordText) + " è troppo lunga.",
             entryLine}));
        return;
    }
    if (!checkCharacters(m.recordText)) return;
    std::vector<int> codes;
    for (const auto& l : *lines) {
        const int code = menuLineCode(l);
        if (code == 0) {
            problem(
                boxLines({"Il menu ha più di " + std::to_string(kMaxMenuLines) + " linee diverse.",
                          entryLine}));
            return;
        }
        codes.push_back(code);
    }
    std::string fields;
    if (marks.icon != 0)
        fields = "3," + std::to_string(marks.icon) + "," + std::to_string(marks.valueField) + "," +
                 std::to_string(codes.empty() ? 0 : codes.front()) + ",0,0";
    else {
        fields = std::to_string(codes.size()) + ",0," + std::to_string(marks.valueField);
        for (int c : codes) fields += "," + std::to_string(c);
    }
    records_.push_back(fields + "\t\t" + m.recordText + "\t" +
                       std::to_string(t.number - kMenuBase));
}

// An entry given twice would shift every later one.
bool Compiler::numbered(const TranslationLine& t, const std::string& line) {
    const auto [first, fresh] = seen_.emplace(t.number, lineNo_);
    if (fresh) return true;
    problem(boxLines({path_,
                      "La linea numero " + std::to_string(t.number) + " compare due volte (righe " +
                          std::to_string(first->second) + " e " + std::to_string(lineNo_) + ").",
                      utf8(line)}));
    return false;
}

// The entries of the language's numbering (its current display-text and menu files, or the
// Italian ones for a language that has none yet) that the translation lacks: a cut file would
// leave the instrument's texts and menus short, a missing menu would shift every later one.
void Compiler::completeness() {
    const auto numbering = [this](int language) {
        std::set<long> numbers;
        const LanguageFiles* files = resources::language(language);
        // After an empty line of the display texts the translation numbers itself.
        for (const auto& t : readRawLines(joinPath(folder_, files->textFile))
                                 .value_or(std::vector<std::string>{})) {
            if (trimBlanks(t).empty()) break;
            numbers.insert(leadingValue(trimBlanks(t)));
        }
        for (const auto& m : readRawLines(joinPath(folder_, files->menuFile))
                                 .value_or(std::vector<std::string>{})) {
            const std::size_t tab = m.rfind('\t');
            if (m.empty() || m[0] == '"' || tab == std::string::npos) continue;
            numbers.insert(kMenuBase + leadingValue(m.substr(tab + 1)));
        }
        return numbers;
    };
    std::set<long> expected = numbering(language_);
    if (expected.empty() && language_ != kItalian) expected = numbering(kItalian);
    for (long number : expected) {
        if (seen_.count(number) || kept_.count(number)) continue;
        lineNo_ = static_cast<int>(std::max<std::size_t>(1, lastLine_));
        const auto reference = referenceFor(number);
        const std::string missing = "Manca la linea numero " + std::to_string(number);
        problem(reference ? boxLines({path_, missing, utf8(*reference) + "."})
                          : boxLines({path_, missing}));
    }
}

bool Compiler::finish() {
    const LanguageFiles& files = *language(language_);
    platform::FileProblem failure;
    auto cannotWrite = [this, &failure](const std::string& name) {
        result_.status = CompileStatus::FileError;
        result_.fileError = name;
        result_.fileReason = failure.reason;
        return false;
    };
    const std::string textWork = joinPath(folder_, kTextWorkFile);
    const std::string menuWork = joinPath(folder_, kMenuWorkFile);
    if (!replaceRawLines(textWork, texts_, &failure)) return cannotWrite(textWork);
    if (!replaceRawLines(menuWork, records_, &failure)) return cannotWrite(menuWork);
    if (!result_.problems.empty()) return false;
    std::vector<std::string> menu;
    for (std::size_t i = 0; i < menuLines_.size(); ++i)
        menu.push_back(kQuote + menuLines_[i] + kQuote + "\t" + std::to_string(i + 1));
    menu.insert(menu.end(), records_.begin(), records_.end());
    const std::string textFile = joinPath(folder_, files.textFile);
    const std::string menuFile = joinPath(folder_, files.menuFile);
    // Both targets are checked before either is replaced; each is replaced whole.
    for (const std::string* target : {&menuFile, &textFile})
        if (const auto refused = platform::refusedTarget(*target)) {
            failure = *refused;
            return cannotWrite(*target);
        }
    if (!replaceRawLines(menuFile, menu, &failure)) return cannotWrite(menuFile);
    if (!replaceRawLines(textFile, texts_, &failure)) return cannotWrite(textFile);
    return true;
}

CompileResult Compiler::run() {
    const LanguageFiles* files = language(language_);
    platform::FileProblem unreadable{path_, 0, "there is no such language"};
    auto lines =
        files ? readRawLines(path_, platform::FileKind::DisplayText, &unreadable) : std::nullopt;
    if (!lines) {
        result_.status = CompileStatus::FileError;
        result_.fileError = path_;
        result_.fileReason = reasonOf(unreadable);
        return result_;
    }
    // Italian is the reference language: its own current file is not looked at.
    if (language_ != kItalian) {
        // A language without a display-text file yet has no reference; one that stands there
        // but cannot be read is refused.
        const std::string referencePath = joinPath(folder_, files->textFile);
        if (platform::pathKind(referencePath) != platform::PathKind::Missing) {
            auto reference =
                readRawLines(referencePath, platform::FileKind::DisplayText, &unreadable);
            if (!reference) {
                result_.status = CompileStatus::FileError;
                result_.fileError = referencePath;
                result_.fileReason = reasonOf(unreadable);
                return result_;
            }
            reference_ = std::move(*reference);
        }
        if (!reference_.empty() && !trimBlanks(reference_.front()).empty())
            expected_ = leadingValue(reference_.front());
    }
    lastLine_ = lines->size();
    for (const std::string& raw : *lines) {
        ++lineNo_;
        if (failing()) break;
        std::string line = raw;
        std::replace(line.begin(), line.end(), '\t', ' ');
        line = trimBlanks(line);
        if (line.empty()) continue;
        const auto t = parse(line);
        if (!t && parsedNumber_) seen_.emplace(*parsedNumber_, lineNo_);
        if (!t) {
            // A check goes on in step with the reference when the failing line has its number.
            if (mode_ == CompileMode::Check && parsedNumber_ && language_ != kItalian &&
                sequence({*parsedNumber_, {}}, line) && *parsedNumber_ <= kLastDisplayText &&
                expected_)
                ++*expected_;
            continue;
        }
        // The reference's order first: a number below the expected one is told as such.
        if (language_ != kItalian && !sequence(*t, line)) continue;
        if (!numbered(*t, line)) continue;
        if (t->number <= kLastDisplayText) {
            displayText(*t);
            if (expected_) ++*expected_;
        } else
            menuEntry(*t);
        previous_ = t->number;
    }
    // Italian is the numbering itself: it is not held against its current files.
    if (!failing() && language_ != kItalian) completeness();
    if (mode_ == CompileMode::Check) {
        result_.status = result_.problems.empty() ? CompileStatus::Done : CompileStatus::Refused;
        return result_;
    }
    if (finish()) return result_;
    if (result_.status == CompileStatus::Done) result_.status = CompileStatus::Refused;
    return result_;
}

}  // namespace

CompileResult compileTranslation(const std::string& folder, const std::string& translationPath,
                                 int language, CompileMode mode) {
    return Compiler(folder, translationPath, language, mode).run();
}

}  // namespace resources
