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

// What each layer may include besides itself.
const std::map<std::string, std::set<std::string>>& allowed() {
    // The programs may include every other layer.
    static const std::set<std::string> all = {
        "platform", "platform/qt",  "platform/ftdi", "platform/win", "link", "instrument",
        "backup",   "provisioning", "resources",     "service",      "sim"};
    static const std::map<std::string, std::set<std::string>> table = {
        {"platform", {}},
        {"platform/qt", {"platform"}},
        {"platform/ftdi", {"platform"}},
        {"platform/win", {"platform"}},
        {"link", {"platform"}},
        {"instrument", {"platform", "link"}},
        {"backup", {"platform", "link", "instrument"}},
        {"resources", {"platform", "link", "instrument", "backup"}},
        {"provisioning", {"platform", "link", "instrument", "backup", "resources"}},
        {"service", {"platform", "link", "instrument", "backup", "provisioning", "resources"}},
        {"sim", {"platform"}},
        {"app", all},
        {"cli", all},
    };
    return table;
}

// Where Qt headers may appear.
bool qtAllowed(const std::string& relative) {
    return relative.rfind("platform/qt/", 0) == 0 || relative.rfind("app/", 0) == 0 ||
           relative == "cli/main.cpp";
}

struct Include {
    std::string header;
    bool angled;
};

std::vector<Include> includes(const fs::path& file) {
    static const std::regex line(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> out;
    std::ifstream in(file);
    std::string text;
    std::smatch m;
    while (std::getline(in, text))
        if (std::regex_search(text, m, line)) out.push_back({m[2].str(), m[1].str() == "<"});
    return out;
}

// The wrong includes of one file, as "file: header" lines.
std::vector<std::string> violations(const std::string& relative, const std::vector<Include>& list) {
    std::vector<std::string> out;
    const std::string layer = layerOf(relative);
    const auto rules = allowed().find(layer);
    if (rules == allowed().end()) return {relative + ": folder without a layer"};
    for (const Include& inc : list) {
        if (inc.angled) {
            // Files go through platform/files.h: no stream of the standard library opens one.
            if (inc.header == "fstream" && layer != "platform")
                out.push_back(relative + ": <fstream> (use platform/files.h)");
            if ((inc.header.rfind("Q", 0) == 0 || inc.header.rfind("qt", 0) == 0) &&
                !qtAllowed(relative))
                out.push_back(relative + ": <" + inc.header + ">");
            continue;
        }
        if (inc.header.find('/') == std::string::npos) continue;
        const std::string target = layerOf(inc.header);
        if (target != layer && !rules->second.count(target))
            out.push_back(relative + ": \"" + inc.header + "\"");
    }
    return out;
}

TEST(Layers, TheRulesCatchWrongIncludes) {
    EXPECT_TRUE(
        violations("link/frame_link.cpp", {{"platform/clock.h", false}, {"vector", true}}).empty());
    EXPECT_EQ(violations("instrument/nvram.cpp", {{"service/core/outcome.h", false}}).size(), 1u);
    EXPECT_EQ(violations("sim/sim_server.cpp", {{"link/frame_link.h", false}}).size(), 1u);
    EXPECT_EQ(violations("service/controller.cpp", {{"QString", true}}).size(), 1u);
    EXPECT_EQ(violations("cli/context.cpp", {{"QCoreApplication", true}}).size(), 1u);
    EXPECT_TRUE(violations("cli/main.cpp", {{"QCoreApplication", true}}).empty());
    EXPECT_TRUE(violations("platform/qt/qt_serial_port.cpp", {{"QSerialPort", true}}).empty());
    EXPECT_EQ(violations("backup/ini_file.cpp", {{"app/main_window.h", false}}).size(), 1u);
    EXPECT_EQ(violations("resources/serial_list.cpp", {{"fstream", true}}).size(), 1u);
    // The adapters: chosen by the programs only, built on the platform interfaces only.
    EXPECT_TRUE(
        violations("cli/adapters.cpp", {{"platform/ftdi/ftdi_usb_bridge.h", false}}).empty());
    EXPECT_EQ(
        violations("service/core/controller.cpp", {{"platform/qt/qt_udp_socket.h", false}}).size(),
        1u);
    EXPECT_EQ(violations("sim/sim_server.cpp", {{"platform/win/win_serial_port.h", false}}).size(),
              1u);
    EXPECT_EQ(violations("platform/qt/qt_serial_port.cpp", {{"link/frame_link.h", false}}).size(),
              1u);
    EXPECT_TRUE(
        violations("platform/win/win_udp_socket.cpp", {{"platform/udp_socket.h", false}}).empty());
}

TEST(Layers, EverySourceFileIncludesOnlyItsOwnLayerAndTheLayersBelow) {
    const fs::path src = KRN_SOURCE_ROOT;
    ASSERT_TRUE(fs::is_directory(src));
    std::vector<std::string> wrong;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        ++files;
        const std::string relative = fs::relative(entry.path(), src).generic_string();
        for (auto& v : violations(relative, includes(entry.path()))) wrong.push_back(v);
    }
    EXPECT_GT(files, 50);
    std::string report;
    for (const auto& w : wrong) report += w + "\n";
    EXPECT_TRUE(wrong.empty()) << report;
}

}  // namespace
