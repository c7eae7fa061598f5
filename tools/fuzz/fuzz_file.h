#pragma once
// The readers that take a path get the fuzz input through a scratch file of this process (the
// two targets that run side by side never share one).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace fuzz {

// /tmp/krn-fuzz-<pid>-<name>
inline std::string scratchPath(const std::string& name) {
    return "/tmp/krn-fuzz-" + std::to_string(::getpid()) + "-" + name;
}

inline void writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) std::abort();
}

// A broken invariant is a finding: abort, so that libFuzzer keeps the input.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace fuzz
