#include "backup/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <limits>
#include <system_error>

#include "platform/text_file.h"

namespace backup {
namespace {

std::string trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string removeLeadingBlanks(const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a);
}

bool startsWithIgnoringCase(const std::string& line, const std::string& prefix) {
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

int twoDigits(const std::string& s, std::size_t at) {
    if (at + 2 > s.size()) return 0;
    return static_cast<int>(IniFile::parseNumber(s.substr(at, 2)));
}

std::string dateText(const platform::LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

template <typename T>
T roundedOrZero(double v) {
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return 0;
    return static_cast<T>(r);
}

}  // namespace

std::string IniFile::formatNumber(double v, int significantDigits) {
    if (v == 0) return " 0";
    // std::to_chars never looks at the locale: "." whatever the user's settings.
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, significantDigits);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    return v > 0 ? " " + s : s;
}

namespace {

struct Scanned {
    double value = 0;
    bool number = false;  // a number was found at the start
    bool whole = false;   // ... and nothing follows it
};

// The longest number at the start of s (blanks already removed): &H/&O digits, or sign, digits,
// ".", digits, exponent with E or D.
Scanned scanNumber(const std::string& s) {
    Scanned r;
    if (s.size() >= 2 && s[0] == '&' &&
        (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        std::size_t i = 2;
        for (; i < s.size(); ++i) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
            const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                      : 99;
            if (d >= base) break;
            r.value = r.value * base + d;
        }
        r.number = i > 2;
        r.whole = r.number && i == s.size();
        return r;
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && s[digitsStart] == '.')) return r;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > expStart) end = j;
    }
    std::string number = s.substr(s[0] == '+' ? 1 : 0, end - (s[0] == '+' ? 1 : 0));
    for (char& c : number)
        if (c == 'D' || c == 'd') c = 'E';
    // std::from_chars never looks at the locale either.
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), r.value);
    if (parsed.ec != std::errc()) {
        r.value = 0;
        return r;
    }
    r.number = true;
    r.whole = end == s.size();
    return r;
}

std::string withoutBlanks(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    return s;
}

}  // namespace

double IniFile::parseNumber(const std::string& text) {
    return scanNumber(withoutBlanks(text)).value;
}

std::optional<double> IniFile::parseWholeNumber(const std::string& text) {
    const Scanned r = scanNumber(withoutBlanks(text));
    if (!r.whole) return std::nullopt;
    return r.value;
}

void IniFile::grow(std::int32_t capacity) {
    capacitaRighe_ = capacity;
    if (righe_.size() < static_cast<std::size_t>(capacity) + 1)
        righe_.resize(static_cast<std::size_t>(capacity) + 1);
}

void IniFile::OpenFile1(bool open) {
    if (!open) {
        aperto_ = false;
        return;
    }
    codiceErrore_ = 0;
    motivoErrore_.clear();
    if (nomeFile_.empty()) return;
    if (aperto_) {
        inizioChiave_ = 0;
        fineChiave_ = numeroRighe_;
        return;
    }
    // Through the file module: a folder, a device or a FIFO is refused at once; the lines past
    // kMaxLines are not read.
    auto read = platform::readLines(nomeFile_, platform::FileKind::Backup);
    if (read) {
        loadLines(*read);
        return;
    }
    // A file that does not exist yet is a new, empty store, once its path proves writable. A
    // file that exists but cannot be read is left alone.
    if (platform::pathKind(nomeFile_) != platform::PathKind::Missing) {
        failLoad(read.problem.line > 0
                     ? "line " + std::to_string(read.problem.line) + ": " + read.problem.reason
                     : read.problem.reason);
        return;
    }
    if (platform::writeFile(nomeFile_, "")) {
        failLoad("it cannot be created there");
        return;
    }
    platform::removeFile(nomeFile_);
    modificato_ = false;
    numeroRighe_ = 0;
    righe_.assign(1, std::string());
    grow(10);
    inizioChiave_ = 0;
    fineChiave_ = 0;
    aperto_ = true;
}

void IniFile::Carica(const std::string& bytes) {
    loadLines(platform::splitLines(bytes));
}

void IniFile::failLoad(const std::string& reason) {
    numeroRighe_ = 0;
    righe_.assign(1, std::string());
    grow(10);
    inizioChiave_ = fineChiave_ = -1;
    aperto_ = false;
    codiceErrore_ = kErroreApertura;
    motivoErrore_ = reason;
}

// The lines as read (a line ended at CR LF, CR or LF), up to kMaxLines of them.
void IniFile::loadLines(const std::vector<std::string>& lines) {
    codiceErrore_ = 0;
    motivoErrore_.clear();
    modificato_ = false;
    numeroRighe_ = 0;
    righe_.assign(1, std::string());
    grow(50);
    for (const std::string& line : lines) {
        if (++numeroRighe_ > capacitaRighe_) grow(capacitaRighe_ + 500);
        righe_[static_cast<std::size_t>(numeroRighe_)] =
            removeLeadingBlanks(platform::cp1252ToUtf8(line));
        if (numeroRighe_ >= kMaxLines) break;
    }
    inizioChiave_ = 0;
    fineChiave_ = numeroRighe_;
    aperto_ = true;
}

void IniFile::Svuota() {
    numeroRighe_ = 0;
    righe_.assign(1, std::string());
    grow(10);
    nomeChiave_.clear();
    nomeTarget_.clear();
    prefissoStop_.clear();
    inizioChiave_ = fineChiave_ = -1;
    indiceTarget_ = indicePunto_ = 0;
    targetFermato_ = false;
}

void IniFile::File1(const std::string& name) {
    OpenFile1(false);
    nomeFile_ = name;
}

bool IniFile::Esiste() const {
    if (aperto_) return true;
    if (trim(nomeFile_).empty()) return false;
    return platform::pathKind(nomeFile_) == platform::PathKind::Regular;
}

bool IniFile::isHeader(const std::string& line, std::size_t minClose) const {
    if (line.empty() || line[0] != '[') return false;
    const std::size_t close = line.find(']');
    return close != std::string::npos && close + 1 >= minClose;
}

bool IniFile::startsWithPattern(const std::string& line) const {
    return startsWithIgnoringCase(line, nomeTarget_ + "=");
}

void IniFile::Chiave(const std::string& name) {
    nomeChiave_ = trim(name);
    indiceTarget_ = 0;
    indicePunto_ = 0;
    if (nomeChiave_.empty()) {
        inizioChiave_ = 0;
    } else {
        inizioChiave_ = numeroRighe_ + 1;
        for (std::int32_t i = 1; i <= numeroRighe_; ++i) {
            const std::string& l = righe_[static_cast<std::size_t>(i)];
            if (isHeader(l, 3) && equalsIgnoringCase(l.substr(1, l.find(']') - 1), nomeChiave_)) {
                inizioChiave_ = i;
                break;
            }
        }
    }
    if (inizioChiave_ > numeroRighe_) {
        fineChiave_ = numeroRighe_ + 1;
        return;
    }
    fineChiave_ = numeroRighe_;
    for (std::int32_t i = inizioChiave_ + 1; i <= numeroRighe_; ++i)
        if (isHeader(righe_[static_cast<std::size_t>(i)], 2)) {
            fineChiave_ = i - 1;
            break;
        }
}

void IniFile::StopTarget(const std::string& prefix) {
    prefissoStop_ = trim(prefix);
}

void IniFile::Target(const std::string& name) {
    nomeTarget_ = trim(name);
    targetFermato_ = false;
    indicePunto_ = 0;
    const std::int32_t start =
        std::max(std::min(indiceTarget_, fineChiave_) + 1, inizioChiave_ + 1);
    const std::int32_t old = indiceTarget_;
    for (std::int32_t i = start; i <= fineChiave_ && i <= numeroRighe_; ++i) {
        const std::string& l = righe_[static_cast<std::size_t>(i)];
        if (!prefissoStop_.empty() && startsWithIgnoringCase(l, prefissoStop_)) {
            targetFermato_ = true;
            indiceTarget_ = old;
            return;
        }
        if (startsWithPattern(l)) {
            indiceTarget_ = i;
            return;
        }
    }
    for (std::int32_t i = inizioChiave_ + 1; i < start && i <= numeroRighe_; ++i)
        if (startsWithPattern(righe_[static_cast<std::size_t>(i)])) {
            indiceTarget_ = i;
            return;
        }
    indiceTarget_ = numeroRighe_ + 1;
}

std::string IniFile::ValString() const {
    if (inizioChiave_ <= numeroRighe_ && inizioChiave_ < indiceTarget_ &&
        indiceTarget_ <= fineChiave_ && indiceTarget_ <= numeroRighe_) {
        const std::string& l = righe_[static_cast<std::size_t>(indiceTarget_)];
        if (startsWithPattern(l)) return l.substr(nomeTarget_.size() + 1);
    }
    return {};
}

std::optional<std::string> IniFile::ValueRead() const {
    if (indiceTarget_ < 1 || indiceTarget_ > numeroRighe_) return std::nullopt;
    const std::string& l = righe_[static_cast<std::size_t>(indiceTarget_)];
    if (!startsWithPattern(l)) return std::nullopt;
    return l.substr(nomeTarget_.size() + 1);
}

double IniFile::ValDouble() const {
    return parseNumber(ValString());
}
std::int32_t IniFile::ValLong() const {
    return roundedOrZero<std::int32_t>(ValDouble());
}
std::int16_t IniFile::ValInteger() const {
    return roundedOrZero<std::int16_t>(ValDouble());
}
float IniFile::ValSingle() const {
    return static_cast<float>(ValDouble());
}

platform::LocalDateTime IniFile::ValData() const {
    const std::string s = ValString();
    const std::size_t underscore = s.find('_');
    if (s.size() >= 15 && underscore != std::string::npos && underscore + 1 >= 9) {
        const std::size_t p = underscore;  // 0-based position of "_"
        platform::LocalDateTime t;
        t.year = static_cast<int>(parseNumber(s.substr(p - 8, 4)));
        t.month = twoDigits(s, p - 4);
        t.day = twoDigits(s, p - 2);
        t.hour = twoDigits(s, p + 1);
        t.minute = twoDigits(s, p + 3);
        t.second = twoDigits(s, p + 5);
        return t;
    }
    // A day count from 30 December 1899, the fraction being the time of day.
    const double days = parseNumber(s);
    const auto seconds = static_cast<std::int64_t>(std::llround(days * 86400.0));
    return platform::fromEpochSeconds(seconds +
                                      platform::toEpochSeconds({1899, 12, 30, 0, 0, 0, 0}));
}

std::string IniFile::ValPassword(std::int16_t key) const {
    const std::string text = ValString();
    const auto pairs =
        static_cast<std::size_t>(std::nearbyint(static_cast<double>(text.size()) / 2.0));
    std::string plain;
    for (std::size_t i = 0; i < pairs && 2 * i + 1 < text.size() + 1; ++i) {
        std::string pair = text.substr(2 * i, 2);
        if (!pair.empty() && pair[0] == 'K') pair[0] = '0';
        const int v = static_cast<int>(parseNumber("&H" + pair));
        plain += static_cast<char>((v ^ key) & 0xFF);
    }
    return platform::cp1252ToUtf8(plain);
}

std::int32_t IniFile::PreparaRiga(std::int32_t i) {
    if (i >= capacitaRighe_) grow(capacitaRighe_ + 20);
    if (i <= numeroRighe_) return i;
    auto insert = [this](std::int32_t q, std::int32_t lines) {
        if (numeroRighe_ + lines > capacitaRighe_) grow(numeroRighe_ + lines + 20);
        for (std::int32_t k = numeroRighe_; k >= q; --k)
            righe_[static_cast<std::size_t>(k + lines)] = righe_[static_cast<std::size_t>(k)];
        numeroRighe_ += lines;
    };
    if (inizioChiave_ <= numeroRighe_) {
        const std::int32_t q = fineChiave_ + 1;
        insert(q, 1);
        fineChiave_ = q;
        return q;
    }
    const std::int32_t q = numeroRighe_ + 1;
    insert(q, 2);
    righe_[static_cast<std::size_t>(q)] = "[" + nomeChiave_ + "]";
    inizioChiave_ = q;
    fineChiave_ = q + 1;
    return q + 1;
}

void IniFile::writeValue(const std::string& afterName) {
    if (indiceTarget_ == 0) return;  // no key searched
    const std::int32_t line = PreparaRiga(indiceTarget_);
    // A line break would end the key's line inside its value and make the rest of the value a
    // line of its own (a key of its own, for a reader): each one becomes a blank.
    std::string value = afterName;
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    righe_[static_cast<std::size_t>(line)] = nomeTarget_ + "=" + value;
    indiceTarget_ = line;
    modificato_ = true;
}

void IniFile::Value(bool v) {
    writeValue(v ? " 1" : " 0");
}
void IniFile::Value(const platform::LocalDateTime& v) {
    writeValue(dateText(v));
}
void IniFile::Value(const std::string& v) {
    writeValue(v);
}

void IniFile::ValuePassword(std::int16_t key, const std::string& text) {
    std::string out;
    for (unsigned char c : platform::utf8ToCp1252(text)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>((c ^ key) & 0xFFFF));
        std::string h = hex;
        if (h.size() > 2) h = h.substr(h.size() - 2);
        if (h.size() == 1) h = "K" + h;
        out += h;
    }
    Value(out);
}

void IniFile::LetPunto(float x, float y) {
    if (indicePunto_ == 0) indicePunto_ = indiceTarget_ + 1;
    const std::int32_t line = PreparaRiga(indicePunto_);
    righe_[static_cast<std::size_t>(line)] =
        trim(formatNumber(x, 7)) + "," + trim(formatNumber(y, 7));
    modificato_ = true;
    indicePunto_ = line + 1;
}

bool IniFile::GetPunto(float& x, float& y) {
    if (indicePunto_ == 0) indicePunto_ = indiceTarget_ + 1;
    if (indicePunto_ <= numeroRighe_ && inizioChiave_ < indicePunto_ &&
        indicePunto_ <= fineChiave_) {
        const std::string& l = righe_[static_cast<std::size_t>(indicePunto_)];
        const std::size_t comma = l.find(',');
        if (l.find_first_of("=[]") == std::string::npos && comma != std::string::npos &&
            comma >= 1 && comma + 1 < l.size()) {
            x = static_cast<float>(parseNumber(l.substr(0, comma)));
            y = static_cast<float>(parseNumber(l.substr(comma + 1)));
            ++indicePunto_;
            return true;
        }
    }
    indiceTarget_ = numeroRighe_ + 1;
    return false;
}

void IniFile::RinfrescaChiave() {
    std::int32_t h = 0;
    for (std::int32_t i = 1; i < inizioChiave_ && i <= numeroRighe_; ++i)
        if (isHeader(righe_[static_cast<std::size_t>(i)], 2)) {
            h = i;
            break;
        }
    if (h == 0 || h >= inizioChiave_ || inizioChiave_ > numeroRighe_) return;
    const auto first = righe_.begin() + h;
    std::rotate(first, righe_.begin() + inizioChiave_, righe_.begin() + fineChiave_ + 1);
    const std::int32_t length = fineChiave_ - inizioChiave_ + 1;
    inizioChiave_ = h;
    fineChiave_ = h + length - 1;
    modificato_ = true;
}

bool IniFile::Salva() {
    motivoErrore_.clear();
    if (nomeFile_.empty()) return false;
    if (!aperto_ || !modificato_) return true;
    if (numeroRighe_ > 0) {
        std::vector<std::string> lines(righe_.begin() + 1, righe_.begin() + numeroRighe_ + 1);
        errno = 0;
        platform::FileProblem problem;
        if (!platform::writeTextLines(nomeFile_, lines, &problem)) {
            codiceErrore_ = static_cast<std::int16_t>(errno != 0 ? errno : 75);
            motivoErrore_ = problem.reason;
            return false;
        }
        numeroRighe_ = 0;
    }
    modificato_ = false;
    return true;
}

}  // namespace backup
