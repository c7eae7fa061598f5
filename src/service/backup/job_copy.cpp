#include "service/backup/job_copy.h"

#include <algorithm>
#include <climits>

#include "backup/memory_files.h"
#include "platform/text_file.h"
#include "service/core/answers.h"
#include "service/core/messages.h"

namespace service {

void tellCannotRead(CommandHost& host, const std::string& path, const std::string& reason) {
    tell(host, "The file " + path + " cannot be read" + (reason.empty() ? "" : ": " + reason) + ".",
         platform::MessageIcon::Exclamation);
}

void tellCannotWrite(CommandHost& host, const std::string& path, const std::string& reason) {
    tell(host,
         "The file " + path + " cannot be written" + (reason.empty() ? "" : ": " + reason) + ".",
         platform::MessageIcon::Exclamation);
}

void tellFileProblem(CommandHost& host, const platform::FileProblem& problem, bool writing) {
    if (problem.line > 0)
        tellRefusedFile(host, problem.path, static_cast<int>(problem.line), problem.reason);
    else if (writing)
        tellCannotWrite(host, problem.path, problem.reason);
    else
        tellCannotRead(host, problem.path, problem.reason);
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
    if (const auto refused = platform::refusedTarget(file)) {
        tellFileProblem(host, *refused, true);
        return Outcome::FileError;
    }
    std::optional<std::int32_t> n;
    while (!(n = jobMemoryInUse(c)))
        if (!commError()) return Outcome::Failed;
    // The copy is collected whole and then written beside the file and renamed over it: a copy
    // that did not finish never replaces an earlier one, and the write-back never takes it for
    // whole.
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(*n) + 1);
    Transfer transfer(host, "Backup of jobs...", *n);
    lines.push_back(backup::shortNumber(*n));
    const std::int32_t start = c.IndirizzoLavori();
    for (std::int32_t i = 0; i < *n; ++i) {
        std::optional<std::uint8_t> b;
        while (!(b = c.ReadNVRam1Byte(start + i)))
            if (!commError()) return Outcome::Failed;
        lines.push_back(backup::shortNumber(*b));
        if (!transfer.step(i + 1)) return Outcome::Cancelled;
    }
    if (const auto failed = platform::writeLines(file, lines)) {
        transfer.finish(false);
        tellFileProblem(host, *failed, true);
        return Outcome::FileError;
    }
    transfer.finish(true);
    return Outcome::Done;
}

Outcome checkJobCopyFile(CommandHost& host, const std::string& file, bool save) {
    if (save) {
        if (const auto refused = platform::refusedTarget(file)) {
            tellFileProblem(host, *refused, true);
            return Outcome::FileError;
        }
        return Outcome::Done;
    }
    platform::FileProblem problem;
    const auto lines = platform::readTextLines(file, platform::FileKind::JobCopy, &problem);
    if (!lines) {
        tellFileProblem(host, problem);
        return Outcome::FileError;
    }
    const backup::JobCopy copy = backup::parseJobCopy(*lines, INT32_MAX);
    if (copy.problem) {
        tellRefusedFile(host, file, copy.problem->line, copy.problem->reason);
        return Outcome::FileError;
    }
    return Outcome::Done;
}

Outcome RipristinaLavori(CommandHost& host, const std::string& file) {
    instrument::UCKRNVisual& c = host.control();
    platform::FileProblem problem;
    const auto lines = platform::readTextLines(file, platform::FileKind::JobCopy, &problem);
    if (!lines) {
        tellFileProblem(host, problem);
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
    // The log is a help to the technician: a failure to write it does not stop the send.
    if (address == 0 && expected == 0 && read == 0)
        (void)platform::writeFile(path, "");
    else
        (void)platform::appendFile(path, backup::differenceLine(address, expected, read) + "\r\n");
    return true;
}

}  // namespace service
