#pragma once
// What a command sent to the simulated instrument, and the files it wrote, in the forms the
// command tests compare.
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "service/core/menu_commands.h"
#include "support/instrument_rig.h"
#include "support/test_host.h"

namespace testing_support {

using Texts = std::vector<std::string>;

// The bytes of a file ("" when it cannot be read).
inline std::string readFile(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}
using ByteWrites = std::vector<std::pair<int, int>>;

// A command run from the menu on the simulated instrument, chosen as "COM: 1".
struct CommandBench {
    explicit CommandBench(const sim::Profile& p, const std::string& folder = "/tmp")
        : rig(p), host(rig, folder) {
        host.selections = {"COM: 1"};
    }
    explicit CommandBench(const std::string& name = "p36e51")
        : CommandBench(*sim::findProfile(name)) {}
    service::Outcome run(service::MenuCommand command) {
        rig.instrument.clearLog();
        return service::runCommand(host, command);
    }
    InstrumentRig rig;
    TestHost host;
};

// "code/argument" for the lock and close commands (18 and 20), the code alone otherwise.
inline std::vector<std::string> requestNames(const InstrumentRig& rig) {
    std::vector<std::string> out;
    for (const auto& r : rig.instrument.requests()) {
        if (r.size() < 2) continue;
        const int code = r[1];
        out.push_back(r.size() == 4 && (code == 18 || code == 20)
                          ? std::to_string(code) + "/" + std::to_string(r[2])
                          : std::to_string(code));
    }
    return out;
}

// The single-byte NVRAM writes (command 14), as address and value, in the order sent.
inline std::vector<std::pair<int, int>> byteWrites(const InstrumentRig& rig) {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : rig.instrument.requests())
        if (r.size() == 7 && r[1] == 14) out.emplace_back(r[2] | r[3] << 8 | r[4] << 16, r[5]);
    return out;
}

// The addresses of the NVRAM reads with this command (15 one byte, 41 fifteen bytes).
inline std::vector<int> readAddresses(const InstrumentRig& rig, int code) {
    std::vector<int> out;
    for (const auto& r : rig.instrument.requests())
        if (r.size() == 6 && r[1] == code) out.push_back(r[2] | r[3] << 8 | r[4] << 16);
    return out;
}

inline std::vector<std::string> lastRequests(const InstrumentRig& rig, std::size_t n) {
    auto all = requestNames(rig);
    return {all.end() - static_cast<std::ptrdiff_t>(std::min(n, all.size())), all.end()};
}

// The instrument was left unlocked, its conversation ended and the link closed.
inline bool endedCleanly(const InstrumentRig& rig) {
    const auto names = requestNames(rig);
    return !names.empty() && names.back() == "18/9" && !rig.instrument.pressLocked() &&
           !rig.instrument.keyboardLocked() && !rig.control.Collegato();
}

inline sim::Profile profileWith(const std::string& name, std::uint16_t version,
                                int extension = -1) {
    sim::Profile p = *sim::findProfile(name);
    p.version = version;
    if (extension >= 0) p.extensionByte = static_cast<std::uint8_t>(extension);
    return p;
}

}  // namespace testing_support
