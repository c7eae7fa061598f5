// libFuzzer target: the serial-number list (rich text, or plain lines) and an assignment on it.
// A list the reader refuses names its line and gives no assignment. Whatever else the list
// holds, its paragraphs must survive the writer and the reader, the proposed
// number must be one the list does not hold, and an assignment must keep every old line and
// add exactly one.
//   build-fuzz/tools/fuzz/fuzz_serial_list /tmp/krn-fuzz-serial tools/fuzz/corpus/serial_list
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "platform/clock.h"
#include "platform/settings_store.h"
#include "resources/rtf_text.h"
#include "resources/serial_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("SNlist.txt");
    fuzz::writeScratch(path, data, size);
    backup::FileProblem problem;
    const auto lines = resources::readSerialList(path, &problem);
    platform::MemorySettingsStore settings;
    platform::VirtualClock clock;
    resources::AssignRequest request;
    request.name = "KRN-Visual";
    request.user = "Magazzino";
    if (!lines) {
        // A broken list is refused with its line, and nothing is assigned from it.
        fuzz::require(problem.line >= 1 && !problem.reason.empty());
        const resources::AssignResult r = resources::assignSerialNumber(
            path, settings, resources::kProgramSettings, clock, request, std::chrono::seconds(1));
        fuzz::require(!r.assignment && !r.error.empty());
        return 0;
    }
    fuzz::require(resources::readRtf(resources::writeRtf(*lines)) == *lines);
    const auto last = resources::lastSerialNumber(*lines);
    fuzz::require(!last || (*last >= 0 && *last < 1000000000));

    const resources::AssignResult r = resources::assignSerialNumber(
        path, settings, resources::kProgramSettings, clock, request, std::chrono::seconds(1));
    if (!r.assignment) {
        fuzz::require(!r.error.empty());
        return 0;
    }
    fuzz::require(!last || r.assignment->number == *last + 1);
    const auto after = resources::readSerialList(path);
    fuzz::require(after && after->size() == lines->size() + 1);
    fuzz::require(std::equal(lines->begin(), lines->end(), after->begin()));
    fuzz::require(after->back().rfind(r.assignment->serial, 0) == 0);
    return 0;
}
