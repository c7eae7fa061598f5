// libFuzzer target: the firmware file reader on arbitrary bytes. Every file it accepts must hold
// records inside the flash with no byte given twice. Seeds are in tools/fuzz/corpus-firmware:
//   mkdir -p /tmp/krn-fuzz-fw && build-fuzz/tools/fuzz/fuzz_firmware /tmp/krn-fuzz-fw
//   tools/fuzz/corpus-firmware
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "resources/firmware_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const resources::FirmwareRead r =
        resources::parseFirmware(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.file.has_value() == r.problem.has_value()) std::abort();
    if (!r.file) return 0;
    std::set<std::int32_t> used;
    for (const auto& rec : r.file->records) {
        if (rec.address < 0 || rec.address + 1 >= resources::kFlashSize) std::abort();
        if (!used.insert(rec.address).second || !used.insert(rec.address + 1).second) std::abort();
    }
    return 0;
}
