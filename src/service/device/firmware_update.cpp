#include "service/device/firmware_update.h"

#include <map>

#include "instrument/generations.h"
#include "service/backup/job_copy.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"

namespace service {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

MessageResult ask(CommandHost& host, const std::string& text, MessageIcon icon,
                  MessageButtons buttons, int defaultButton = 0) {
    return host.dialogs().message({text, "", icon, buttons, defaultButton});
}

std::string ofThree(const char* what, int blocco) {
    return std::string(what) + std::to_string(blocco) + " of 3...";
}

// Every file of the update read and checked before the instrument is touched.
std::optional<std::map<std::string, resources::FirmwareFile>> readBlockFiles(
    CommandHost& host, const std::vector<std::string>& paths) {
    std::map<std::string, resources::FirmwareFile> files;
    for (const std::string& path : paths) {
        resources::FirmwareRead r = resources::readFirmwareFile(path);
        if (r.unreadable) {
            tellCannotRead(host, path, r.reason);
            return std::nullopt;
        }
        if (r.problem) {
            tellRefusedFile(host, path, r.problem->line, r.problem->reason);
            return std::nullopt;
        }
        files.emplace(path, std::move(*r.file));
    }
    return files;
}

bool ControllaVersioneFirmware(CommandHost& host, const std::string& description) {
    const instrument::UCKRNVisual& c = host.control();
    if (instrument::firmwareCompatibile(c.Protocollo(), c.Estensioni())) return true;
    return confirmOverwrite(host, description,
                            {"Version's instrument is not compatible\nVersion: " + c.Versione() +
                                 "\nDo you wont to update?",
                             "", MessageIcon::Exclamation, MessageButtons::YesNoCancel});
}

bool confirmed(CommandHost& host, const std::string& description, const char* question) {
    return confirmOverwrite(host, description,
                            {question, "", MessageIcon::Question, MessageButtons::YesNoCancel});
}

std::optional<std::string> chooseFile(CommandHost& host) {
    auto path = host.dialogs().openFile("Firmware update file", host.programFolder(),
                                        {{"memory file", {"*.atm"}}, {"All files (*.*)", {"*.*"}}});
    if (!path || path->empty()) return std::nullopt;
    return path;
}

}  // namespace

std::vector<FirmwareBlock> firmwareBlocks(std::int16_t protocollo, std::int16_t estensioni,
                                          const std::string& chosen, const std::string& folder) {
    const std::string block1 = folder + "/" + resources::kLoaderBlock1;
    const std::string block0 = folder + "/" + resources::kLoaderBlock0;
    if (instrument::firmwarePrimaDelLoader(protocollo, estensioni))
        return {{0, chosen, true}, {1, block1, false}, {2, block0, true}};
    return {{1, block1, false}, {2, block0, true}, {3, chosen, true}};
}

// Whether the loader runs, not UpdateMode: an instrument whose NVRAM format differs is in
// update mode for the configuration read while its firmware runs, and must still be switched
// into its loader before its flash is written, and out of it at the end.
bool FirmwareUpdater::ImpostaModoAggiornamento(bool attivo) {
    instrument::UCKRNVisual& c = host_.control();
    if (c.LoaderAttivo() == attivo) return true;
    Transfer restart(host_, "Restart...", 100, TransferUnit::Percent);
    const bool ok = c.SetUpdateMode(attivo, host_.controller());
    restart.finish(ok);
    if (!ok) tell(host_, "Update mode error", MessageIcon::Critical);
    return ok;
}

BlockCheck compareRecords(instrument::UCKRNVisual& c, const resources::FirmwareFile& file,
                          const std::function<bool()>& repeatRead,
                          const std::function<bool(long)>& step) {
    BlockCheck check;
    long progress = 0;
    for (const resources::FirmwareRecord& r : file.records) {
        auto read = c.ReadFlash(r.address);
        while (!read) {
            if (!repeatRead()) return check;
            read = c.ReadFlash(r.address);
        }
        if (read->first != r.first || read->second != r.second) {
            check.ok = true;
            check.firstDifference = r.address;
            return check;  // one difference decides
        }
        progress += static_cast<long>(r.lineLength) + 2;
        if (!step(progress)) return check;
    }
    check.ok = check.uguale = true;
    return check;
}

bool writeRecords(instrument::UCKRNVisual& c, const resources::FirmwareFile& file,
                  const std::function<bool()>& retryClear, const std::function<bool(long)>& step) {
    if (!c.OpenWriteFlash()) return false;
    long progress = 0;
    for (const resources::FirmwareRecord& r : file.records) {
        progress += static_cast<long>(r.lineLength) + 2;
        if (r.address % resources::kFlashPage == 0) {
            while (!c.ClearFlash(r.address))
                if (!retryClear()) return false;
        }
        if (!c.WriteFlash(r.address, r.first ^ resources::kFlashWriteKey) ||
            !c.WriteFlash(r.address + 1, r.second ^ resources::kFlashWriteKey))
            return false;
        if (!step(progress)) return false;
    }
    return c.CloseWriteFlash();
}

BlockCheck FirmwareUpdater::VerificaBlocco(int blocco, const resources::FirmwareFile& file) {
    Transfer transfer(host_, ofThree("Verify block ", blocco), static_cast<long>(file.bytes));
    // A cancel answers No: krnctl's --yes must not repeat a dead read for ever.
    const BlockCheck check = compareRecords(
        host_.control(), file,
        [&] {
            return ask(host_, "Read errore, repeat?", MessageIcon::None, MessageButtons::YesNo) ==
                       MessageResult::Yes &&
                   !host_.controller().Annullando();
        },
        [&](long done) { return transfer.step(done); });
    transfer.finish(check.ok);
    return check;
}

bool FirmwareUpdater::ScriviBlocco(int blocco, const resources::FirmwareFile& file) {
    Transfer transfer(host_, ofThree("Update block ", blocco), static_cast<long>(file.bytes));
    const bool ok = writeRecords(
        host_.control(), file,
        [&] {
            return ask(host_, "Clear memory error", MessageIcon::None,
                       MessageButtons::RetryCancel) == MessageResult::Retry;
        },
        [&](long done) { return transfer.step(done); });
    transfer.finish(ok);
    return ok;
}

bool FirmwareUpdater::AggiornaBlocco(int blocco, const resources::FirmwareFile& file,
                                     bool modoAggiornamento) {
    if (!ImpostaModoAggiornamento(true)) return false;
    const BlockCheck before = VerificaBlocco(blocco, file);
    if (!before.ok) return false;
    if (before.uguale) return true;
    if (!ImpostaModoAggiornamento(modoAggiornamento)) return false;
    while (true) {
        const bool written = ScriviBlocco(blocco, file);
        BlockCheck after;
        if (written) after = VerificaBlocco(blocco, file);
        if (written && after.ok && after.uguale) return true;
        // Stopped by the technician (Cancel, Ctrl-C): no error box, the command says what is left.
        if (host_.controller().Annullando()) return false;
        const char* text = written && !after.ok ? "Verify error" : "Caution: writing error";
        if (ask(host_, text, MessageIcon::Critical, MessageButtons::RetryCancel) !=
            MessageResult::Retry)
            return false;
        // Retry is the technician's decision to go on: a Cancel given during the write is spent.
        host_.controller().clearCancel();
    }
}

Outcome UpdateFirmwareCommand(CommandHost& host) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    const auto chosen = chooseFile(host);
    if (!chosen) return Outcome::Cancelled;
    const std::string folder = host.programFolder();
    const auto files = readBlockFiles(host, {*chosen, folder + "/" + resources::kLoaderBlock1,
                                             folder + "/" + resources::kLoaderBlock0});
    if (!files) return Outcome::FileError;

    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o == Outcome::Failed) return o;
    instrument::UCKRNVisual& c = host.control();
    if (!ControllaVersioneFirmware(host, *description)) return Outcome::Cancelled;
    if (const Outcome o = conversation.lock(); o != Outcome::Done) {
        tell(host, "Non è possibile bloccare lo strumento per trasferire il setup.");
        return o;
    }
    if (!confirmed(host, *description, "Update firmware?") ||
        !confirmed(host, *description, "Are you sure to continue?"))
        return Outcome::Cancelled;

    FirmwareUpdater updater(host);
    bool ok = true;
    for (const FirmwareBlock& b : firmwareBlocks(c.Protocollo(), c.Estensioni(), *chosen, folder)) {
        ok = updater.AggiornaBlocco(b.number, files->at(b.path), b.updateMode);
        if (!ok) break;
    }
    if (ok) ok = updater.ImpostaModoAggiornamento(false);
    if (ok) {
        tell(host, "Update sucessfully", MessageIcon::Information);
        return Outcome::Done;
    }
    // A cancelled update is no link failure, but it leaves the flash as incomplete as one.
    const bool cancelled = host.controller().Annullando();
    if (!cancelled) tell(host, text::kCommunicationError, MessageIcon::Critical);
    tell(host, "Update fail.\nVery important to repeat.", MessageIcon::Critical);
    return cancelled ? Outcome::Cancelled : Outcome::Failed;
}

Outcome VerifyFirmware(CommandHost& host, const std::string& file, BlockCheck& result) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    const auto files = readBlockFiles(host, {file});
    if (!files) return Outcome::FileError;
    Conversation conversation(host);
    if (conversation.open(*description) != Outcome::Done) return Outcome::Failed;
    result = FirmwareUpdater(host).VerificaBlocco(3, files->at(file));
    return result.ok ? Outcome::Done : Outcome::Failed;
}

}  // namespace service
