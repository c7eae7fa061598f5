// The layering of the source tree: every #include points down the layers, and Qt stays in its
// adapters and front ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// The adapters over Qt, libftdi1 and Win32 are layers of their own: only the two programs choose
// them.
const char* const kAdapters[] = {"platform/qt", "platform/ftdi", "platform/win"};

// The layer of a path below src/ or of an include: an adapter folder, else the first folder.
std::string layerOf(const std::string& path) {
    for (const std::string adapter : kAdapters)
        if (path.rfind(adapter + "/", 0) == 0) return adapter;
    return path.substr(0, path.find('/'));
}

// What each layer may include besides itself: the core layers those below them, the simulator and
// the adapters the platform interfaces, the programs (app, cli) every layer.
const std::map<std::string, std::set<std::string>>& allowed() {
    static const std::map<std::string, std::set<std::string>> table = [] {
        std::map<std::string, std::set<std::string>> t;
        std::set<std::string> below;
        for (const char* layer :
             {"platform", "link", "instrument", "backup", "resources", "provisioning", "service"}) {
            t[layer] = below;
            below.insert(layer);
        }
        for (const std::string own : {"sim", "platform/qt", "platform/ftdi", "platform/win"}) {
            t[own] = {"platform"};
            below.insert(own);
        }
        t["app"] = t["cli"] = below;
        return t;
    }();
    return table;
}

// Where Qt headers may appear.
bool qtAllowed(const std::string& relative) {
    return relative.rfind("platform/qt/", 0) == 0 || relative.rfind("app/", 0) == 0 ||
           relative == "cli/main.cpp";
}

// What is wrong with one include of a file (empty when nothing): `include` as written, <x> or "x".
std::string wrongInclude(const std::string& relative, const std::string& include) {
    const std::string layer = layerOf(relative), header = include.substr(1, include.size() - 2);
    const auto rules = allowed().find(layer);
    if (rules == allowed().end()) return "folder without a layer";
    if (include[0] == '<') {
        // Files go through platform/files.h: no stream of the standard library opens one.
        if (header == "fstream" && layer != "platform") return "<fstream> (use platform/files.h)";
        const bool qt = header.rfind("Q", 0) == 0 || header.rfind("qt", 0) == 0;
        return qt && !qtAllowed(relative) ? include : "";
    }
    const std::string target = layerOf(header);
    const bool own = header.find('/') == std::string::npos || target == layer;
    return own || rules->second.count(target) ? "" : include;
}

TEST(Layers, TheRulesCatchWrongIncludes) {
    const struct {
        const char* file;
        const char* include;
        bool wrong;
    } cases[] = {
        {"instrument/nvram.cpp", "\"service/core/outcome.h\"", true},
        {"service/controller.cpp", "<QString>", true},
        {"cli/main.cpp", "<QCoreApplication>", false},
        {"resources/serial_list.cpp", "<fstream>", true},
        // The adapters: chosen by the programs only, built on the platform interfaces only.
        {"service/core/controller.cpp", "\"platform/qt/qt_udp_socket.h\"", true},
        {"platform/qt/qt_serial_port.cpp", "\"link/frame_link.h\"", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!wrongInclude(c.file, c.include).empty(), c.wrong) << c.file << " " << c.include;
}

TEST(Layers, EverySourceFileIncludesOnlyItsOwnLayerAndTheLayersBelow) {
    const fs::path src = KRN_SOURCE_ROOT;
    ASSERT_TRUE(fs::is_directory(src));
    const std::regex line(R"(^\s*#\s*include\s*([<"][^>"]+[>"]))");
    std::vector<std::string> wrong;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        ++files;
        const std::string relative = fs::relative(entry.path(), src).generic_string();
        std::ifstream in(entry.path());
        std::smatch m;
        for (std::string text; std::getline(in, text);)
            if (std::regex_search(text, m, line))
                if (const auto w = wrongInclude(relative, m[1].str()); !w.empty())
                    wrong.push_back(relative + ": " + w);
    }
    EXPECT_GT(files, 50);
    EXPECT_EQ(wrong, std::vector<std::string>{});
}

}  // namespace
