#include "resources/rtf_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace resources {
namespace {

void escape(std::string& out, const std::string& text) {
    static const char* hex = "0123456789abcdef";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (b >= 128 || b < 32) {
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
}

std::vector<std::string> plainLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
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
    std::size_t start = doc.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || doc.compare(start, 5, "{\\rtf") != 0) return plainLines(doc);
    std::vector<std::string> paragraphs;
    std::string current;
    bool any = false;  // text or a paragraph mark since the last paragraph
    // Per group: whether its text is skipped.
    std::vector<bool> skip{false};
    bool groupStart = false;
    std::size_t i = start;
    while (i < doc.size()) {
        const char c = doc[i];
        if (c == '{') {
            skip.push_back(skip.back());
            groupStart = true;
            ++i;
            continue;
        }
        if (c == '}') {
            if (skip.size() > 1) skip.pop_back();
            groupStart = false;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (!skip.back()) {
                current += c;
                any = true;
            }
            groupStart = false;
            ++i;
            continue;
        }
        // A control symbol or word.
        ++i;
        if (i >= doc.size()) break;
        const char s = doc[i];
        if (s == '\\' || s == '{' || s == '}') {
            if (!skip.back()) {
                current += s;
                any = true;
            }
            ++i;
        } else if (s == '\'') {
            if (i + 2 < doc.size() && !skip.back()) {
                const std::string hex = doc.substr(i + 1, 2);
                current += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
                any = true;
            }
            i += 3;
        } else if (s == '*') {
            if (groupStart) skip.back() = true;
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(s))) {
            std::string word;
            while (i < doc.size() && std::isalpha(static_cast<unsigned char>(doc[i])))
                word += doc[i++];
            if (i < doc.size() &&
                (doc[i] == '-' || std::isdigit(static_cast<unsigned char>(doc[i])))) {
                ++i;
                while (i < doc.size() && std::isdigit(static_cast<unsigned char>(doc[i]))) ++i;
            }
            if (i < doc.size() && doc[i] == ' ') ++i;  // the delimiter belongs to the word
            if (groupStart && skippedDestination(word)) skip.back() = true;
            if (!skip.back()) {
                if (word == "par" || word == "line") {
                    paragraphs.push_back(current);
                    current.clear();
                    any = false;
                } else if (word == "tab") {
                    current += '\t';
                    any = true;
                }
            }
        } else {
            ++i;  // an unknown control symbol
        }
        groupStart = false;
    }
    if (any) paragraphs.push_back(current);
    return paragraphs;
}

std::optional<backup::FileProblem> rtfProblem(const std::string& doc) {
    const std::size_t start = doc.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || doc.compare(start, 5, "{\\rtf") != 0) return std::nullopt;
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
