// libFuzzer target: the display-text and menu file readers, the layout files "TestoLimiti.asm"
// and "TrasformaMenu.asm", and the translation compiler checking a translator's file against the
// shipped language data (Check mode writes nothing).
//   build-fuzz/tools/fuzz/fuzz_display_files /tmp/krn-fuzz-display tools/fuzz/corpus/display_files
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/text_file.h"
#include "resources/text_layout.h"
#include "resources/translation_compiler.h"
#include "resources/translation_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = platform::splitLines(bytes);
    (void)resources::readDisplayTexts(lines);
    std::vector<std::string> table;
    std::vector<resources::MenuRecord> records;
    resources::readMenuFile(lines, table, records);
    const resources::TextLimits limits(lines);
    for (long e = 0; e < 8; ++e) (void)limits.lookup(e);
    const resources::MenuFormats formats(lines);
    for (long e = 0; e < 8; ++e) (void)formats.lookup(e);
    static const std::string path =
        "/tmp/krn-fuzz-translation-" + std::to_string(::getpid()) + ".txt";
    std::ofstream(path, std::ios::binary) << bytes;
    (void)resources::compileTranslation(KRN_DATA_DIR, path, 1, resources::CompileMode::Check);
    return 0;
}
