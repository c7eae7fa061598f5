#include "service/backup/memory_commands.h"

#include <algorithm>
#include <sstream>

#include "backup/memory_files.h"
#include "platform/text_file.h"
#include "service/backup/job_copy.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"

namespace service {
namespace {

constexpr int kBlock = 15;

std::string memoryFile(CommandHost& host, const std::string& chosen) {
    return chosen.empty() ? host.programFolder() + "/" + backup::kMemoryFile : chosen;
}

// The controller's connection and the transfer lock. nullopt when the command may go on.
std::optional<Outcome> connectAndLock(Conversation& conversation, const std::string& description) {
    if (const Outcome o = conversation.connect(description); o == Outcome::Failed) return o;
    if (const Outcome o = conversation.lock(); o != Outcome::Done) return o;
    return std::nullopt;
}

std::optional<long long> askAddress(CommandHost& host, const char* prompt, const char* initial) {
    auto answer = host.dialogs().input(prompt, "", initial);
    if (!answer || trimmed(*answer).empty()) return std::nullopt;
    return lenientWholeNumber(*answer);
}

}  // namespace

DumpEnd writeMemoryDump(instrument::UCKRNVisual& c, std::int32_t from, std::int32_t to, bool blocks,
                        std::ostream& out, const std::function<bool(long)>& step) {
    for (std::int32_t a = from; a <= to;) {
        const std::int32_t n = blocks ? std::min<std::int32_t>(kBlock, to - a + 1) : 1;
        // A block that fails is read again byte by byte, so that only the unreadable bytes
        // get their error line; on a line that has proved dead the export stops instead, as
        // every further read would wait out all its attempts for nothing.
        const auto verifiedSoFar = c.nvram().verifyFailure;
        auto block = blocks ? c.ReadNVRamBytes(a, n) : std::nullopt;
        if (blocks && !block && c.link().lineDead()) return DumpEnd::LineDead;
        // Under verification the bytes of a block whose reads disagreed are read one by one;
        // only those that still disagree count.
        if (blocks && !block) c.nvram().verifyFailure = verifiedSoFar;
        for (std::int32_t i = 0; i < n; ++i) {
            const auto value = block ? std::optional((*block)[static_cast<std::size_t>(i)])
                                     : c.ReadNVRam1Byte(a + i);
            if (!value && c.link().lineDead()) return DumpEnd::LineDead;
            out << backup::dumpLine(a + i, value) << "\r\n";
            if (!step(a + i - from + 1)) return DumpEnd::Stopped;
        }
        a += n;
    }
    return DumpEnd::Done;
}

bool exportUsesBlockReads(const instrument::UCKRNVisual& control) {
    return control.Protocollo() >= 33 && control.Estensioni() >= 45;
}

Outcome ExportMemoryCommand(CommandHost& host) {
    MemoryExportOptions options;
    options.perByte =
        host.settings().value(kSettingsApplication, "Preferenze", kExportPerByteKey, "0") == "1";
    return ExportMemory(host, options);
}

Outcome ExportMemory(CommandHost& host, const MemoryExportOptions& options) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    const auto first = askAddress(host, "Indirizzo di partenza", "0");
    if (!first) return Outcome::Cancelled;
    const auto last =
        askAddress(host, "Indirizzo finale", std::to_string(kUltimoIndirizzoExport).c_str());
    if (!last) return Outcome::Cancelled;
    // Addresses are 24 bits on the wire; anything else would wrap onto other bytes.
    if (*first < 0 || *last > 0xFFFFFF) {
        tell(host, "NVRAM addresses go from 0 to 16777215 (&HFFFFFF).");
        return Outcome::Refused;
    }
    // A range that holds no address would give an empty file reported as an export.
    if (*first > *last) {
        tell(host, "The first address lies above the last: there is nothing to export.");
        return Outcome::Refused;
    }

    const std::string path = memoryFile(host, options.file);
    if (const auto refused = platform::refusedTarget(path)) {
        tellFileProblem(host, *refused, true);
        return Outcome::FileError;
    }
    Conversation conversation(host);
    if (auto end = connectAndLock(conversation, *description)) return *end;
    instrument::UCKRNVisual& c = host.control();
    // Collected, then written beside the file and renamed over it.
    std::ostringstream out;
    const bool blocks = !options.perByte && exportUsesBlockReads(c);
    const auto from = static_cast<std::int32_t>(*first), to = static_cast<std::int32_t>(*last);
    Transfer transfer(host, "Backup...", std::max<long>(0, to - from + 1));
    const DumpEnd end =
        writeMemoryDump(c, from, to, blocks, out, [&](long done) { return transfer.step(done); });
    const auto failed = platform::writeFile(path, out.str());
    transfer.finish(end == DumpEnd::Done && !failed);
    if (failed) {
        tellFileProblem(host, *failed, true);
        return Outcome::FileError;
    }
    if (end == DumpEnd::LineDead) {
        tell(host, text::kCommunicationError);
        return Outcome::Failed;
    }
    host.activity.push_back(std::string(end == DumpEnd::Stopped ? "part saved: " : "saved: ") +
                            path);
    return end == DumpEnd::Stopped ? Outcome::Cancelled : Outcome::Done;
}

Outcome ImportMemoryCommand(CommandHost& host) {
    return ImportMemory(host, "");
}

Outcome ImportMemory(CommandHost& host, const std::string& file, ImportCount* count) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    const std::string path = memoryFile(host, file);
    platform::FileProblem problem;
    const auto lines = platform::readTextLines(path, platform::FileKind::MemoryDump, &problem);
    if (!lines) {
        tellFileProblem(host, problem);
        return Outcome::FileError;
    }
    // Checked before the link opens against the widest address; the instrument's own memory
    // size is checked again once it is known, still before any write.
    if (const backup::DumpImport early = backup::parseDump(*lines, 0x1000000); early.problem) {
        tellRefusedFile(host, path, early.problem->line, early.problem->reason);
        return Outcome::FileError;
    }
    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o == Outcome::Failed) return o;
    instrument::UCKRNVisual& c = host.control();
    const backup::DumpImport dump = backup::parseDump(*lines, c.MemorySize());
    if (dump.problem) {
        tellRefusedFile(host, path, dump.problem->line, dump.problem->reason);
        return Outcome::FileError;
    }
    if (const Outcome o = conversation.lock(); o != Outcome::Done) return o;
    Transfer transfer(host, "Restore...", static_cast<long>(dump.entries.size()));
    if (count) count->total = dump.entries.size();
    for (std::size_t i = 0; i < dump.entries.size(); ++i) {
        if (count) count->written = i;
        const backup::DumpEntry& e = dump.entries[i];
        if (!c.ReadNVRam1Byte(e.address)) {
            tell(host, "Read file");
            return Outcome::Failed;
        }
        if (!c.WriteNVRam1Byte(e.address, e.value)) {
            tell(host, "Read file: " + (*lines)[static_cast<std::size_t>(e.line) - 1]);
            return Outcome::Failed;
        }
        if (count) count->written = i + 1;
        if (!transfer.step(static_cast<long>(i) + 1)) return Outcome::Cancelled;
    }
    transfer.finish(true);
    return Outcome::Done;
}

Outcome ExportUsersCommand(CommandHost& host) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o == Outcome::Failed) return o;
    instrument::UCKRNVisual& c = host.control();
    if (!c.ConOrologio()) {
        tell(host, text::kNoClockDot);
        return Outcome::Refused;
    }
    if (!c.ConUtenti()) {
        tell(host, "No users.");
        return Outcome::Refused;
    }
    if (const Outcome o = conversation.lock(); o != Outcome::Done) {
        tell(host, "Non è possibile bloccare lo strumento per trasferire il setup.");
        return o;
    }
    const auto path =
        host.dialogs().saveFile("Users' list", host.programFolder() + "/Users.atm",
                                {{"memory file", {"*.atm"}}, {"All files (*.*)", {"*.*"}}});
    if (!path) return Outcome::Cancelled;
    if (const auto refused = platform::refusedTarget(*path)) {
        tellFileProblem(host, *refused, true);
        return Outcome::FileError;
    }
    std::string out;
    bool ok = c.LeggiStatoStory();
    const instrument::Users& users = c.users();
    for (std::int32_t i = 0; ok && i < users.SizeDatiUtente; ++i) {
        auto b = c.ReadNVRam1Byte(users.AddressListaUtenti + i);
        if (!b)
            ok = false;
        else
            out += backup::userListLine(*b) + "\r\n";
    }
    if (const auto failed = platform::writeFile(*path, out)) {
        tellFileProblem(host, *failed, true);
        return Outcome::FileError;
    }
    if (!ok) {
        tell(host, "Non è possibile comunicare con lo strumento.");
        return Outcome::Failed;
    }
    host.activity.push_back("saved: " + *path);
    tell(host, "Export OK", platform::MessageIcon::Information);
    return Outcome::Done;
}

Outcome DifferencesModeCommand(CommandHost& host) {
    host.setSoloDifferenze(!host.soloDifferenze());
    return Outcome::Done;
}

}  // namespace service
