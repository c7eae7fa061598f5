// libFuzzer target: the font files "Font8x10.asm" and "Font6x6.asm" as the NVRAM image builder
// copies them. The first input byte picks the file (even: 8x10, odd: 6x6), the rest is its text;
// the other file and the display files are the shipped ones. A built image must be the bytes its
// lines say, so that the format sends what "RamSetup.asm" holds; a refused font file must be
// named in the message.
//   build-fuzz/tools/fuzz/fuzz_fonts /tmp/krn-fuzz-fonts tools/fuzz/corpus/fonts
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz_file.h"
#include "platform/dialogs.h"
#include "provisioning/image_builder.h"
#include "resources/language_files.h"

namespace {

// A copy of the shipped data files, made once per process.
std::string folder() {
    namespace fs = std::filesystem;
    static const std::string dir = [] {
        const std::string d = fuzz::scratchPath("fonts");
        fs::remove_all(d);
        fs::create_directories(d);
        for (const auto& e : fs::directory_iterator(KRN_DATA_DIR))
            fs::copy_file(e.path(), fs::path(d) / e.path().filename());
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string dir = folder();
    const bool small = data[0] & 1;
    const char* fuzzed = small ? provisioning::kFileFont6x6 : provisioning::kFileFont8x10;
    const char* shipped = small ? provisioning::kFileFont8x10 : provisioning::kFileFont6x6;
    fuzz::writeScratch(resources::joinPath(dir, fuzzed), data + 1, size - 1);
    std::filesystem::copy_file(resources::joinPath(KRN_DATA_DIR, shipped),
                               resources::joinPath(dir, shipped),
                               std::filesystem::copy_options::overwrite_existing);

    provisioning::ParametriImmagine v;  // the simulator's "p36e51"
    v.protocollo = 36;
    v.estensioni = 51;
    v.versione = 2.48f;
    v.memorySize = 512768;
    provisioning::CProfilo profilo;
    profilo.Inizializza();
    platform::NoProgress none;
    const provisioning::Immagine im = provisioning::costruisciImmagine(dir, v, profilo, none);
    if (!im.erroreFile.empty()) {
        fuzz::require(!im.ok && im.erroreFile.find(fuzzed) != std::string::npos);
        return 0;
    }
    fuzz::require(im.righe.size() == im.byte.size());
    for (std::size_t i = 0; i < im.righe.size(); ++i) {
        const std::string t = resources::trimBlanks(im.righe[i]);
        fuzz::require(!t.empty() && t.size() <= 3 &&
                      t.find_first_not_of("0123456789") == std::string::npos &&
                      std::stoi(t) == im.byte[i]);
    }
    return 0;
}
