#include "resources/menu_layout.h"

#include <array>

#include "resources/language_files.h"

namespace resources {
namespace {

// The short forms first in their order of preference for the way back (field -> short form).
constexpr std::array<Placeholder, 11> kPlaceholders = {{
    {"sssssss", "sssssssss1", 1000, "Supplementare1"},
    {"ssssss1", "sssssssss1", 1000, "Supplementare1"},
    {nullptr, "ssssssssss", 1000, "Supplementare1"},
    {"wwwwwww", "wwwwwwwwww", 1001, "NomeLavoro"},
    {"fffffff", "ffffffffff", 1002, "NomeFase"},
    {"bbbbbbb", "bbbbbbbbbb", 1003, "Brake"},
    {"ssssss2", "sssssssss2", 1004, "Supplementare2"},
    {"ssssss3", "sssssssss3", 1005, "Supplementare3"},
    {"bbbbbb1", "bbbbbbbbb1", 1006, "CheckPoint1"},
    {"bbbbbb2", "bbbbbbbbb2", 1007, "CheckPoint2"},
    {"bbbbbb3", "bbbbbbbbb3", 1008, "CheckPoint3"},
}};

bool isShort(const Placeholder& p, const std::string& word) {
    return p.shortForm != nullptr && word == p.shortForm;
}

}  // namespace

const Placeholder* findPlaceholder(const std::string& word) {
    for (const auto& p : kPlaceholders)
        if (isShort(p, word) || word == p.longForm) return &p;
    return nullptr;
}

const Placeholder* placeholderOfField(const std::string& field) {
    for (const auto& p : kPlaceholders)
        if (p.shortForm != nullptr && field == p.field) return &p;
    return nullptr;
}

MenuWords splitMenuText(const std::string& text) {
    MenuWords m;
    const std::string t = trimBlanks(text);
    std::size_t i = 0;
    while (i < t.size() && m.words.size() < kMenuMaxWords) {
        while (i < t.size() && t[i] == ' ') ++i;
        if (i >= t.size()) break;
        std::size_t e = t.find(' ', i);
        if (e == std::string::npos) e = t.size();
        std::string word = t.substr(i, e - i);
        i = e;
        const Placeholder* p = findPlaceholder(word);
        if (p && isShort(*p, word)) {
            m.recordText += std::string("\"") + p->field + "\" ";
            word = p->longForm;
        } else {
            m.recordText += word + " ";
        }
        m.words.push_back(word);
    }
    m.recordText = trimBlanks(m.recordText);
    return m;
}

std::optional<std::vector<std::string>> layMenuLines(const std::vector<std::string>& words,
                                                     int available) {
    if (available < 0) available = 0;
    const auto limit = static_cast<std::size_t>(available);
    for (std::size_t threshold = 0; threshold <= kMenuLineWidth + 1; ++threshold) {
        std::vector<std::string> w = words;
        bool failed = false;
        bool firstJoin = true;
        while (w.size() > limit) {
            if (w.size() < 2) {
                failed = true;
                break;
            }
            auto candidate = [&w](std::size_t i) { return w[i] + " " + w[i + 1]; };
            std::size_t best = 0;
            for (std::size_t i = 1; i + 1 < w.size(); ++i) {
                const std::size_t len = candidate(i).size();
                if (len < candidate(best).size() && (!firstJoin || len >= threshold)) best = i;
            }
            const std::string joined = candidate(best);
            if (joined.size() > kMenuLineWidth) {
                failed = true;
                break;
            }
            w[best] = joined;
            w.erase(w.begin() + static_cast<std::ptrdiff_t>(best) + 1);
            firstJoin = false;
        }
        if (!failed) return w;
    }
    return std::nullopt;
}

std::string translatorMenuText(const std::string& recordText) {
    std::string out;
    std::size_t i = 0;
    while (i < recordText.size()) {
        if (recordText[i] == '"') {
            const std::size_t close = recordText.find('"', i + 1);
            if (close != std::string::npos) {
                const Placeholder* p = placeholderOfField(recordText.substr(i + 1, close - i - 1));
                if (p) {
                    out += p->shortForm;
                    i = close + 1;
                    continue;
                }
            }
        }
        out += recordText[i++];
    }
    return out;
}

}  // namespace resources
