#include "service/backup/job_copy.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "backup/memory_files.h"
#include "platform/text_file.h"
#include "service/core/answers.h"
#include "service/core/messages.h"

namespace service {

void tellCannotRead(CommandHost& host, const std::string& path) {
    tell(host, "The file " + path + " cannot be read.", platform::MessageIcon::Exclamation);
}

void tellCannotWrite(CommandHost& host, const std::string& path) {
    tell(host, "The file " + path + " cannot be written.", platform::MessageIcon::Exclamation);
}

void tellRefusedFile(CommandHost& host, const std::string& path, int line,
                     const std::string& reason) {
    tell(host, text::refusedFile(path, line, reason), platform::MessageIcon::Exclamation);
}

std::int32_t jobMemoryCapacity(const instrument::UCKRNVisual& control) {
    const auto& id = control.identity();
    return std::max<std::int32_t>(0, id.FineMemoriaLavori - id.IndirizzoLavori);
}

std::optional<std::int32_t> jobMemoryInUse(instrument::UCKRNVisual& control) {
    auto jobs = control.LeggiTotaleLavori();
    if (!jobs) return std::nullopt;
    const std::int64_t bytes = static_cast<std::int64_t>(*jobs) * control.DimensioneLavori();
    return static_cast<std::int32_t>(std::min<std::int64_t>(bytes, jobMemoryCapacity(control)));
}

Outcome SalvaLavori(CommandHost& host, const std::string& file) {
    instrument::UCKRNVisual& c = host.control();
    auto commError = [&] {
        return host.dialogs().message({"Comm error", "", platform::MessageIcon::Critical,
                                       platform::MessageButtons::RetryCancel, 0}) ==
               platform::MessageResult::Retry;
    };
    std::optional<std::int32_t> n;
    while (!(n = jobMemoryInUse(c)))
        if (!commError()) return Outcome::Failed;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        tellCannotWrite(host, file);
        return Outcome::FileError;
    }
    // A copy that did not finish is removed: the write-back must never take it for whole.
    auto abandon = [&](Outcome why) {
        out.close();
        std::remove(file.c_str());
        return why;
    };
    Transfer transfer(host, "Backup of jobs...", *n);
    out << backup::shortNumber(*n) << "\r\n";
    const std::int32_t start = c.IndirizzoLavori();
    for (std::int32_t i = 0; i < *n; ++i) {
        std::optional<std::uint8_t> b;
        while (!(b = c.ReadNVRam1Byte(start + i)))
            if (!commError()) return abandon(Outcome::Failed);
        out << backup::shortNumber(*b) << "\r\n";
        if (!transfer.step(i + 1)) return abandon(Outcome::Cancelled);
    }
    out.flush();
    if (!out) {
        tellCannotWrite(host, file);
        return abandon(Outcome::FileError);
    }
    transfer.finish(true);
    return Outcome::Done;
}

Outcome RipristinaLavori(CommandHost& host, const std::string& file) {
    instrument::UCKRNVisual& c = host.control();
    const auto lines = platform::readTextLines(file);
    if (!lines) {
        tellCannotRead(host, file);
        return Outcome::FileError;
    }
    const backup::JobCopy copy = backup::parseJobCopy(*lines, jobMemoryCapacity(c));
    if (copy.problem) {
        tellRefusedFile(host, file, copy.problem->line, copy.problem->reason);
        return Outcome::FileError;
    }
    if (copy.bytes.empty()) return Outcome::Done;
    Transfer transfer(host, "Restore of works...", static_cast<long>(copy.bytes.size()));
    const std::int32_t start = c.IndirizzoLavori();
    for (std::size_t i = 0; i < copy.bytes.size(); ++i) {
        if (!c.WriteNVRam1Byte(start + static_cast<std::int32_t>(i), copy.bytes[i]))
            return Outcome::Failed;
        if (!transfer.step(static_cast<long>(i) + 1)) return Outcome::Cancelled;
    }
    transfer.finish(true);
    return Outcome::Done;
}

bool FileDifferenze(CommandHost& host, std::int32_t address, std::int16_t expected,
                    std::int16_t read) {
    const std::string path = host.programFolder() + "/" + backup::kDifferencesFile;
    if (address == 0 && expected == 0 && read == 0) {
        std::ofstream(path, std::ios::binary | std::ios::trunc);
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << backup::differenceLine(address, expected, read) << "\r\n";
    return true;
}

}  // namespace service
