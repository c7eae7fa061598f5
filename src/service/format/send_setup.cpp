#include "service/format/send_setup.h"

#include "provisioning/image_builder.h"
#include "provisioning/profile_wizard.h"
#include "resources/language_files.h"
#include "service/backup/job_copy.h"
#include "service/backup/memory_commands.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/diagnostics/memory_check.h"
#include "service/format/format_options.h"
#include "service/format/format_send.h"
#include "service/settings/nvram_writes.h"

namespace service {
namespace {

using instrument::ErrPR;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

// The cycles of the memory test inside a format.
constexpr int kCicliTestFormato = 4;
// From this extension the format erases the signature and tests the memory first.
constexpr std::int16_t kEstensioneConTest = 24;

// The steps after the image file is built; the caller deletes the file.
ErrPR formatta(CommandHost& host, const provisioning::CProfilo& profilo, bool resetCounters,
               const std::string& file, const provisioning::IndirizziImmagine& indirizzi) {
    CMain& c = host.controller();
    instrument::UCKRNVisual& u = host.control();
    // A cancel ends the format quietly: the flow tells by Annullando.
    const auto fallito = [&](ErrPR code) { return c.Annullando() ? instrument::errPR_OK : code; };
    std::int32_t colpi = 0;
    if (!resetCounters) {
        if (!u.LeggiContaColpi()) return instrument::errPR_Comm;
        colpi = u.ContaColpi();
    }
    if (host.soloDifferenze()) {
        FileDifferenze(host, 0, 0, 0);
    } else {
        host.progressView().processEvents();
        if (c.Annullando()) return instrument::errPR_OK;
        // The signature goes first on every generation, so that a format broken off from here
        // on leaves an instrument that reads as unformatted.
        c.setStage(idProc_Clean);
        if (!CancellaNVRAM(host)) return fallito(instrument::errPR_Erase);
        if (u.Estensioni() >= kEstensioneConTest) {
            c.setStage(idProc_MemoryTest);
            bool errore = false;
            if (!EseguiTestMemoria(host, kCicliTestFormato, errore))
                return fallito(instrument::errPR_Comm);
            if (errore) return instrument::errPR_Memory;
        }
    }
    c.setStage(idProc_Format);
    if (!InviaFileNVRAM1(host, file, true, profilo, indirizzi))
        return fallito(instrument::errPR_Setup);
    if (!host.soloDifferenze() && !u.WriteContaColpi(colpi)) return instrument::errPR_Comm;
    // "KRNV" and the format number now (the options read the configuration), "FontOK" last.
    if (!scriviFirma(host, 6, 12)) return fallito(instrument::errPR_Comm);
    c.setStage(idProc_WriteOptions);
    while (!ConcludiFormattazione(host, u.PressaElettrica(), profilo, true)) {
        if (c.Annullando()) return instrument::errPR_OK;
        const auto answer = host.dialogs().message(
            {kErroreRiprova, "", MessageIcon::Critical, MessageButtons::RetryCancel, 0});
        if (answer != MessageResult::Retry) return instrument::errPR_Setup;
    }
    return instrument::errPR_OK;
}

// Connects as the controller does; the code of a failure is shown.
bool collega(CommandHost& host, Conversation& conversation, const std::string& description) {
    conversation.connect(description);
    const ErrPR code = conversation.codice();
    if (code == instrument::errPR_OK) return true;
    if (!host.controller().Annullando()) host.controller().ShowErrorMsg(code);  // not after Cancel
    return false;
}

Outcome esegui(CommandHost& host, const provisioning::CProfilo& profilo, bool resetCounters) {
    CMain& c = host.controller();
    bool fileRefused = false, profileRefused = false;
    const ErrPR code = SendSetup(host, profilo, resetCounters, host.programFolder(), &fileRefused,
                                 &profileRefused);
    if (fileRefused) return Outcome::FileError;
    if (profileRefused) return Outcome::Refused;
    if (code != instrument::errPR_OK) {
        c.ShowErrorMsg(code);
        return code == instrument::errPR_VerInstrument ? Outcome::Refused : Outcome::Failed;
    }
    if (c.Annullando()) return Outcome::Cancelled;
    host.dialogs().message({kFormatoRiuscito, "", MessageIcon::Information, MessageButtons::Ok, 0});
    return Outcome::Done;
}

}  // namespace

ErrPR SendSetup(CommandHost& host, const provisioning::CProfilo& profilo, bool resetCounters,
                const std::string& tempFolder, bool* fileRefused, bool* profileRefused) {
    CMain& c = host.controller();
    c.clearCancel();
    c.setStage(idProc_Init);
    const std::string file = workImagePath(tempFolder);
    const provisioning::Immagine im = provisioning::CreaFileNVRAM(
        file, host.programFolder(), provisioning::parametriStrumento(host.control()), profilo, c);
    if (!im.avviso.empty())
        host.dialogs().message({im.avviso, "", MessageIcon::Exclamation, MessageButtons::Ok, 0});
    ErrPR code = instrument::errPR_OK;
    if (!im.erroreFile.empty()) {
        // A file of the program folder missing or malformed: told (with its line), and the
        // instrument is left as it was.
        tellImageFile(host, im);
        if (fileRefused) *fileRefused = true;
        code = instrument::errPR_Setup;
    } else if (!im.erroreProfilo.empty()) {
        tellProfileRefused(host, im.erroreProfilo);
        if (profileRefused) *profileRefused = true;
        code = instrument::errPR_Setup;
    } else if (!im.ok) {
        code = c.Annullando() ? instrument::errPR_OK : instrument::errPR_VerInstrument;
    } else {
        code = formatta(host, profilo, resetCounters, file, im.indirizzi);
    }
    platform::removeFile(file);
    return code;
}

Outcome FormMain_evInviaSetup(CommandHost& host) {
    return formatInstrument(host, false);
}

Outcome FormMain_evInviaSetupLumbro(CommandHost& host) {
    return formatInstrumentLumbro(host, false);
}

Outcome formatInstrument(CommandHost& host, bool resetCounters) {
    platform::FileLock workFiles;
    if (const auto end = prepareImageCommand(host, workFiles)) return *end;
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (!collega(host, conversation, *description)) return Outcome::Failed;
    instrument::UCKRNVisual& u = host.control();
    provisioning::ProfiloConservato conservato(host.settings(), kSettingsApplication);
    provisioning::CProfilo& profilo = conservato.profilo();
    provisioning::SelezioneProfilo s;
    s.protocollo = u.Protocollo();
    s.estensioni = u.Estensioni();
    s.perElettrica = u.PressaElettrica();
    s.conOrologio = u.ConOrologio();
    s.mostraProfilo = [&](provisioning::CProfilo& p, bool electric, bool soloLingua,
                          bool conOrologio) {
        return host.showProfileForm(p, electric, soloLingua, conOrologio);
    };
    s.scegliLingua = [&] { return host.chooseLanguage("Language", true); };
    bool selected = false;
    const ErrPR code = provisioning::SelectProfile(
        profilo, u.Protocollo() >= 41 ? "Ferro Luxit" : "KRN Visual", s, selected);
    if (code != instrument::errPR_OK) {
        host.controller().ShowErrorMsg(code);
        return Outcome::Refused;
    }
    if (!selected) return Outcome::Cancelled;
    if (!confirmOverwrite(host, *description,
                          {kValoriCancellati, "", MessageIcon::Question, MessageButtons::YesNo}) ||
        !confirmOverwrite(host, *description,
                          {"Confirm?\n(Version detected: " + u.Versione() + ")", "",
                           MessageIcon::None, MessageButtons::YesNo}))
        return Outcome::Cancelled;
    return esegui(host, profilo, resetCounters);
}

Outcome formatInstrumentLumbro(CommandHost& host, bool resetCounters) {
    platform::FileLock workFiles;
    if (const auto end = prepareImageCommand(host, workFiles)) return *end;
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (!collega(host, conversation, *description)) return Outcome::Failed;
    provisioning::ProfiloConservato conservato(host.settings(), kSettingsApplication);
    provisioning::CProfilo& profilo = conservato.profilo();
    if (!provisioning::SetupProfileLumbro(profilo, host.dialogs(), host.control().Nome()))
        return Outcome::Cancelled;
    return esegui(host, profilo, resetCounters);
}

}  // namespace service
