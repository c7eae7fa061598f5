#pragma once
// Files that must not hurt a reader: each kind is made at a path by make(); a reader given one
// must refuse it at once, with a message, whatever it expected there.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace hostile {

struct Kind {
    const char* name;
    void (*make)(const std::string& path);
};

inline void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all = {
        {"empty", [](const std::string& p) { write(p, ""); }},
        {"binary garbage",
         [](const std::string& p) {
             std::string b;
             for (int i = 0; i < 4096; ++i) b += static_cast<char>((i * 7919) % 256);
             write(p, b);
         }},
        {"a directory", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"a FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }},
        {"a link to /dev/zero",
         [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
        {"a 500 MB sparse file",
         [](const std::string& p) {
             write(p, "");
             std::filesystem::resize_file(p, 500u << 20);
         }},
        {"a 20 MB line", [](const std::string& p) { write(p, std::string(20u << 20, '7')); }},
        {"UTF-16 text",
         [](const std::string& p) {
             const std::string text = "1 \"Misura\"\r\n";
             std::string b = "\xFF\xFE";
             for (char c : text) (b += c) += '\0';
             write(p, b);
         }},
    };
    return all;
}

// Takes away what make() put there.
inline void remove(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

}  // namespace hostile
