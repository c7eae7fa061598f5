// libFuzzer target: the readers of "Memory.asm" (import) and of the job copy on arbitrary bytes.
//   build-fuzz/tools/fuzz/fuzz_memory_files /tmp/krn-fuzz-memory tools/fuzz/corpus/memory_files
#include <cstddef>
#include <cstdint>
#include <string>

#include "backup/memory_files.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines =
        platform::splitLines(std::string(reinterpret_cast<const char*>(data), size));
    (void)backup::parseDump(lines, 1 << 19);
    (void)backup::parseJobCopy(lines, 0x8000);
    return 0;
}
