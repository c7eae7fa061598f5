#include "service/texts/send_text.h"

#include <algorithm>
#include <climits>

#include "backup/memory_files.h"
#include "platform/text_file.h"
#include "provisioning/image_builder.h"
#include "provisioning/profilo.h"
#include "resources/language_files.h"
#include "service/backup/job_copy.h"
#include "service/backup/memory_commands.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"
#include "service/core/restart.h"
#include "service/format/format_send.h"
#include "service/settings/nvram_writes.h"
#include "service/texts/send_text_checks.h"

namespace service {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

// The NVRAM image of the send lives only as long as the command.
struct RemoveOnExit {
    std::string path;
    ~RemoveOnExit() { platform::removeFile(path); }
};

bool chooseLanguages(CommandHost& host, provisioning::CProfilo& profilo,
                     const std::optional<SendTextLanguages>& given) {
    if (given) {
        profilo.Lingua1 = given->lingua1;
        profilo.Lingua2 = given->lingua2;
        return true;
    }
    instrument::UCKRNVisual& c = host.control();
    if (c.Protocollo() >= 9 && c.Estensioni() >= 11)
        return host.showProfileForm(profilo, profilo.Electric(), true, c.ConOrologio());
    const auto lingua = host.chooseLanguage(kSendTextLanguageTitle, true);
    if (lingua) profilo.Lingua1 = static_cast<std::int16_t>(*lingua);
    return lingua.has_value();
}

// Bytes of the job copy; nothing (with its box) when it cannot be read or is malformed.
std::optional<std::int32_t> jobCopySize(CommandHost& host, const std::string& path) {
    platform::FileProblem problem;
    const auto lines = platform::readTextLines(path, platform::FileKind::JobCopy, &problem);
    if (!lines) {
        tellFileProblem(host, problem);
        return std::nullopt;
    }
    const backup::JobCopy copy = backup::parseJobCopy(*lines, INT32_MAX);
    if (copy.problem) {
        tellRefusedFile(host, path, copy.problem->line, copy.problem->reason);
        return std::nullopt;
    }
    return static_cast<std::int32_t>(copy.bytes.size());
}

// The copy an earlier send left must hold this instrument's jobs: as many as its configuration
// counts, in records of its size. A copy of another instrument is never written back.
// Nothing when the job count cannot be read.
std::optional<bool> jobCopyBelongs(CommandHost& host, const std::string& path, std::int32_t bytes) {
    instrument::UCKRNVisual& c = host.control();
    const auto jobs = c.LeggiTotaleLavori();
    if (!jobs) return std::nullopt;
    const auto mismatch = jobCopyMismatch(bytes, *jobs, c.DimensioneLavori());
    if (mismatch) tellRefusedFile(host, path, 1, *mismatch);
    return !mismatch.has_value();
}

// The signature made invalid before anything else is written: the font type and the format
// number (and their copies from extension 30) cleared, the instrument restarted. A send broken
// off from here on is recognised by the next one.
bool invalidateSignature(CommandHost& host) {
    CMain& m = host.controller();
    instrument::UCKRNVisual& c = host.control();
    m.setTransferCount(0);
    m.StartTransfer(100, TransferUnit::Percent);
    bool ok = WriteToKRN(host, 6, 0) && WriteToKRN(host, 11, 0);
    if (ok && c.Estensioni() >= 30) ok = WriteToKRN(host, 518, 0) && WriteToKRN(host, 523, 0);
    if (ok) ok = c.ResetStrumento(0, 100, m);
    m.StopTransfer(ok);
    return ok;
}

bool writeSlots(CommandHost& host, const std::vector<SlotWrite>& slots) {
    CMain& m = host.controller();
    long total = 0;
    for (const SlotWrite& s : slots) total += static_cast<long>(s.byte.size());
    m.setTransferCount(0);
    m.StartTransfer(total);
    bool ok = true;
    for (const SlotWrite& s : slots)
        for (std::size_t i = 0; ok && i < s.byte.size(); ++i)
            ok = WriteToKRN(host, s.indirizzo + static_cast<std::int32_t>(i), s.byte[i]);
    m.StopTransfer(ok);
    return ok;
}

// From the invalidation to the signature. The jobs are written back before the signature, so
// that a send broken off while they go back is still completed by the next one.
bool transfer(CommandHost& host, const std::string& imagePath, const provisioning::Immagine& image,
              const provisioning::CProfilo& profilo, const std::vector<SlotWrite>& slots,
              const std::string& copyPath) {
    instrument::UCKRNVisual& c = host.control();
    return invalidateSignature(host) &&
           InviaFileNVRAM1(host, imagePath, false, profilo, image.indirizzi,
                           image.indirizzi.risorse) &&
           writeSlots(host, slots) &&
           // The memory map with the new job record 1, for the write-back.
           c.configuration().LeggiInfoStrumento() &&
           RipristinaLavori(host, copyPath) == Outcome::Done && WriteNVRAMok(host) &&
           restartInstrument(host);
}

}  // namespace

Outcome SendTextCommand(CommandHost& host) {
    return sendText(host, std::nullopt);
}

Outcome sendText(CommandHost& host, const std::optional<SendTextLanguages>& languages,
                 SendTextLanguages* sent) {
    // The job copy "CopiaLavori.bin" stays under its name for the next send text of this
    // instrument; the lock keeps a second command from writing it meanwhile.
    platform::FileLock workFiles;
    if (const auto end = prepareImageCommand(host, workFiles)) return *end;
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o != Outcome::Done) {
        if (o == Outcome::Refused) tell(host, text::kKrnBlocking);  // the press would not lock
        return o;
    }
    instrument::UCKRNVisual& c = host.control();
    provisioning::ProfiloConservato kept(host.settings(), kSettingsApplication);
    provisioning::CProfilo& profilo = kept.profilo();
    if (!chooseLanguages(host, profilo, languages)) return Outcome::Cancelled;
    if (sent) {
        sent->lingua1 = profilo.Lingua1;
        sent->lingua2 = provisioning::conSecondaLingua(c.Protocollo(), c.Estensioni())
                            ? profilo.Lingua2
                            : std::int16_t{-1};
    }
    if (const Outcome o = conversation.lock(); o != Outcome::Done) {
        tell(host, text::kKrnBlocking);
        return o;
    }
    const auto readFailed = [&] {
        tell(host, kSendTextReadConfiguration, MessageIcon::Critical);
        return Outcome::Failed;
    };

    const std::string folder = host.programFolder();
    const std::string copyPath = resources::joinPath(folder, backup::kJobCopyFile);
    const auto valid = testataValida(c);
    if (!valid) return readFailed();
    if (*valid) {
        const Outcome saved = SalvaLavori(host, copyPath);
        if (saved == Outcome::Failed) tell(host, kSendTextReadJobs, MessageIcon::Critical);
        if (saved != Outcome::Done) return saved;
        if (!confirmOverwrite(
                host, *description,
                {kSendTextQuestion, "", MessageIcon::Question, MessageButtons::YesNo}))
            return Outcome::Cancelled;
    } else {
        if (!confirmOverwrite(
                host, *description,
                {kSendTextRestore, "", MessageIcon::Question, MessageButtons::YesNoCancel}))
            return Outcome::Cancelled;
        // The configuration part is whole (a send writes none of it but its default texts): it
        // still tells the job record size, the job count and the end of the job memory.
        if (!c.configuration().LeggiInfoStrumento()) return readFailed();
    }
    const auto bytes = jobCopySize(host, copyPath);
    if (!bytes) return Outcome::FileError;
    if (!*valid) {
        const auto belongs = jobCopyBelongs(host, copyPath, *bytes);
        if (!belongs) return readFailed();
        if (!*belongs) return Outcome::FileError;
    }

    const std::string imagePath = workImagePath(folder);
    RemoveOnExit removal{imagePath};
    const provisioning::Immagine image = provisioning::CreaFileNVRAM(
        imagePath, folder, provisioning::parametriStrumento(c), profilo, host.controller());
    if (!image.ok) {
        if (!image.avviso.empty()) tell(host, image.avviso, MessageIcon::Critical);
        if (!image.erroreProfilo.empty()) tellProfileRefused(host, image.erroreProfilo);
        tellImageFile(host, image);
        tell(host, kSendTextBuild, MessageIcon::Critical);
        return image.erroreFile.empty() ? Outcome::Refused : Outcome::FileError;
    }
    // Checked before the signature is touched: the configuration part stays where it is, and
    // texts that grow move job record 1 up.
    if (const auto mismatch =
            layoutMismatch(c.identity().FineConfigurazione, image.indirizzi.risorse)) {
        tell(host, *mismatch, MessageIcon::Exclamation);
        return Outcome::Refused;
    }
    const std::int32_t room = jobMemoryAfter(c, image.indirizzi.lavoro1);
    if (*bytes > room) {
        tell(host,
             "The jobs of the KRN (" + std::to_string(*bytes) +
                 " bytes) do not fit the job memory the new texts leave (" +
                 std::to_string(std::max<std::int32_t>(room, 0)) + " bytes).\nNothing was changed.",
             MessageIcon::Exclamation);
        return Outcome::Refused;
    }
    const auto slots = defaultTextWrites(folder, c.Estensioni(), image, [&](std::int32_t a, int n) {
        return c.ReadNVRamBytes(a, n);
    });
    if (!slots) return readFailed();

    host.progressView().showStatus("Progress:");
    if (!transfer(host, imagePath, image, profilo, *slots, copyPath)) {
        tell(host, kSendTextFailed, MessageIcon::Critical);
        return host.controller().Annullando() ? Outcome::Cancelled : Outcome::Failed;
    }
    if (!c.LeggiConfigurazione() || c.UpdateMode()) return readFailed();
    tell(host, kSendTextDone, MessageIcon::Information);
    return Outcome::Done;
}

}  // namespace service
