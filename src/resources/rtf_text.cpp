#include "resources/rtf_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/text_file.h"

namespace resources {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void hexEscape(std::string& out, unsigned char b) {
    static const char* hex = "0123456789abcdef";
    out += "\\'";
    out += hex[b >> 4];
    out += hex[b & 15];
}

// A character outside Windows-1252: \uN with N a signed 16-bit unit, then "?" for readers that
// do not know \u (the default \uc1).
void unicodeEscape(std::string& out, char32_t unit) {
    out += "\\u" +
           std::to_string(unit < 0x8000 ? static_cast<long>(unit)
                                        : static_cast<long>(unit) - 0x10000) +
           "?";
}

void escape(std::string& out, const std::string& text) {
    for (const char32_t cp : platform::codePoints(text)) {
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp < 32) {
            hexEscape(out, static_cast<unsigned char>(cp));
        } else if (cp < 128) {
            out += static_cast<char>(cp);
        } else if (const auto b = platform::cp1252Char(cp)) {
            hexEscape(out, static_cast<unsigned char>(*b));
        } else if (cp > 0xFFFF) {
            unicodeEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
            unicodeEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unicodeEscape(out, cp);
        }
    }
}

// Destinations whose text is not the document's.
bool skippedDestination(const std::string& word) {
    static const char* words[] = {
        "fonttbl",   "colortbl",  "stylesheet",        "info", "pict", "header", "footer",
        "generator", "listtable", "listoverridetable", "*"};
    for (const char* w : words)
        if (word == w) return true;
    return false;
}

bool isRtf(const std::string& doc, std::size_t& start) {
    start = doc.find_first_not_of(" \t\r\n");
    return start != std::string::npos && doc.compare(start, 5, "{\\rtf") == 0;
}

// The text of the paragraphs as UTF-8: bytes and \'hh escapes are Windows-1252 (the code page
// the list declares), \uN characters are taken as they are, with their \uc fallback skipped.
class Paragraphs {
public:
    void byte(char c) {
        if (skipFallback_ > 0) {
            --skipFallback_;
            return;
        }
        flushSurrogate();
        current_ += platform::cp1252ToUtf8(std::string(1, c));
        any_ = true;
    }
    void unicode(long n, int fallback) {
        const auto unit = static_cast<char32_t>(n < 0 ? n + 0x10000 : n);
        skipFallback_ = fallback;
        if (unit >= 0xDC00 && unit <= 0xDFFF && high_) {
            character(0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
            high_ = 0;
            return;
        }
        flushSurrogate();
        if (unit >= 0xD800 && unit <= 0xDBFF)
            high_ = unit;
        else
            character(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit);
    }
    // A group or a control word ends the fallback of a \u character.
    void control() { skipFallback_ = 0; }
    void endParagraph() {
        flushSurrogate();
        paragraphs_.push_back(current_);
        current_.clear();
        any_ = false;
    }
    std::vector<std::string> finish() {
        flushSurrogate();
        if (any_) paragraphs_.push_back(current_);
        return std::move(paragraphs_);
    }

private:
    void character(char32_t cp) {
        current_ += platform::utf8Char(cp);
        any_ = true;
    }
    void flushSurrogate() {
        if (high_) character(kReplacement);
        high_ = 0;
    }
    std::vector<std::string> paragraphs_;
    std::string current_;
    bool any_ = false;  // text or a paragraph mark since the last paragraph
    int skipFallback_ = 0;
    char32_t high_ = 0;
};

}  // namespace

std::string writeRtf(const std::vector<std::string>& paragraphs) {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\n\\f0\\fs20 ";
    for (const std::string& p : paragraphs) {
        escape(out, p);
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

std::vector<std::string> readRtf(const std::string& doc) {
    std::size_t start = 0;
    if (!isRtf(doc, start)) return {};
    Paragraphs text;
    // Per group: whether its text is skipped, and its \uc count.
    std::vector<std::pair<bool, int>> group{{false, 1}};
    bool groupStart = false;
    std::size_t i = start;
    while (i < doc.size()) {
        const char c = doc[i];
        const bool skip = group.back().first;
        if (c == '{' || c == '}') {
            if (c == '{')
                group.push_back(group.back());
            else if (group.size() > 1)
                group.pop_back();
            groupStart = c == '{';
            text.control();
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!skip) text.byte(c);
            groupStart = false;
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= doc.size()) break;
        const char s = doc[i];
        if (s == '\\' || s == '{' || s == '}') {
            if (!skip) text.byte(s);
            ++i;
        } else if (s == '\'') {
            if (i + 2 < doc.size() && !skip)
                text.byte(
                    static_cast<char>(std::strtol(doc.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 3;
        } else if (s == '*') {
            if (groupStart) group.back().first = true;
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(s))) {
            std::string word, parameter;
            while (i < doc.size() && std::isalpha(static_cast<unsigned char>(doc[i])))
                word += doc[i++];
            if (i < doc.size() &&
                (doc[i] == '-' || std::isdigit(static_cast<unsigned char>(doc[i])))) {
                parameter += doc[i++];
                while (i < doc.size() && std::isdigit(static_cast<unsigned char>(doc[i])) &&
                       parameter.size() < 12)
                    parameter += doc[i++];
            }
            if (i < doc.size() && doc[i] == ' ') ++i;  // the delimiter belongs to the word
            const long n = std::strtol(parameter.c_str(), nullptr, 10);
            if (groupStart && skippedDestination(word)) group.back().first = true;
            if (word != "u") text.control();
            if (word == "uc") group.back().second = static_cast<int>(std::clamp(n, 0L, 8L));
            if (!group.back().first) {
                if (word == "par" || word == "line")
                    text.endParagraph();
                else if (word == "tab")
                    text.byte('\t');
                else if (word == "u" && !parameter.empty() && n >= -32768 && n <= 65535)
                    text.unicode(n, group.back().second);
            }
        } else {
            ++i;  // an unknown control symbol
        }
        groupStart = false;
    }
    return text.finish();
}

std::optional<backup::FileProblem> rtfProblem(const std::string& doc) {
    std::size_t start = 0;
    if (!isRtf(doc, start))
        return backup::FileProblem{1, "not a rich-text document (it must begin with \"{\\rtf\")"};
    int line =
        1 + static_cast<int>(std::count(doc.begin(), doc.begin() + static_cast<long>(start), '\n'));
    int depth = 0;
    const auto fault = [&](const char* why) { return backup::FileProblem{line, why}; };
    for (std::size_t i = start; i < doc.size(); ++i) {
        const char c = doc[i];
        if (c == '\n') {
            ++line;
        } else if (depth == 0 && c != '\r' && c != ' ' && c != '\t' && c != '\0' && i > start) {
            return fault("text after the end of the document");
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
        } else if (c == '\\' && i + 1 < doc.size()) {
            const char s = doc[++i];
            if (s == '\n') ++line;
            if (s == '\'' &&
                (i + 2 >= doc.size() || !std::isxdigit(static_cast<unsigned char>(doc[i + 1])) ||
                 !std::isxdigit(static_cast<unsigned char>(doc[i + 2]))))
                return fault("a \"\\'\" escape without two hexadecimal digits");
        }
    }
    if (depth > 0) return fault("the document ends before its last group is closed (cut short?)");
    return std::nullopt;
}

}  // namespace resources
