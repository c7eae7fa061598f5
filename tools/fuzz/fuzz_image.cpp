// libFuzzer target: the NVRAM image file ("RamSetup.asm"), as "image show" and the format's image
// send read it. An accepted file holds one byte per line, each the number on its line; a refused
// one names the line that is not a number from 0 to 255.
//   build-fuzz/tools/fuzz/fuzz_image /tmp/krn-fuzz-image tools/fuzz/corpus/image
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "platform/text_file.h"
#include "provisioning/image_builder.h"
#include "resources/language_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("RamSetup.asm");
    fuzz::writeScratch(path, data, size);
    int rigaErrata = -1;
    const auto bytes = provisioning::leggiFileImmagine(path, &rigaErrata);
    const auto lines = resources::readRawLines(path);
    fuzz::require(lines.has_value());
    if (!bytes) {
        fuzz::require(rigaErrata >= 1 && static_cast<std::size_t>(rigaErrata) <= lines->size());
        return 0;
    }
    fuzz::require(rigaErrata == 0 && bytes->size() == lines->size());
    for (std::size_t i = 0; i < bytes->size(); ++i)
        fuzz::require(resources::leadingValue(resources::trimBlanks((*lines)[i])) == (*bytes)[i]);
    return 0;
}
