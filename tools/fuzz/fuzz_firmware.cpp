// libFuzzer target: the firmware (".atm") and loader block ("blockKRNV1.asm", "blockKRNV0.asm")
// reader on arbitrary bytes, through a file as the update reads them. Every file it accepts must
// hold records inside the flash with no byte given twice, each the length of its line; a refused
// one names a line of the file and the reason.
//   build-fuzz/tools/fuzz/fuzz_firmware /tmp/krn-fuzz-fw tools/fuzz/corpus/firmware
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_file.h"
#include "resources/firmware_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath(resources::kLoaderBlock1);
    fuzz::writeScratch(path, data, size);
    const resources::FirmwareRead r = resources::readFirmwareFile(path);
    fuzz::require(!r.unreadable);
    fuzz::require(r.file.has_value() != r.problem.has_value());
    const auto lines = static_cast<int>(std::count(data, data + size, '\n')) + 1;
    if (r.problem) {
        fuzz::require(r.problem->line >= 1 && r.problem->line <= lines);
        fuzz::require(!r.problem->reason.empty());
        return 0;
    }
    fuzz::require(r.file->bytes == size && !r.file->records.empty());
    std::set<std::int32_t> used;
    for (const auto& rec : r.file->records) {
        fuzz::require(rec.address >= 0 && rec.address + 1 < resources::kFlashSize);
        fuzz::require(used.insert(rec.address).second && used.insert(rec.address + 1).second);
        fuzz::require(rec.lineLength >= 5 && rec.lineLength <= size);
    }
    return 0;
}
