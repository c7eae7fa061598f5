#include "service/settings/nvram_commands.h"

#include <cstdio>

#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"
#include "service/core/restart.h"
#include "service/diagnostics/memory_check.h"
#include "service/settings/nvram_writes.h"

namespace service {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

// "Memory test:" in the transfer label while the test runs; cleared however the test ends.
class EtichettaTest {
public:
    explicit EtichettaTest(CommandHost& host) : host_(host) {
        host_.controller().setStage(idProc_MemoryTest);
        host_.progressView().showStatus(CMain::stageText(idProc_MemoryTest));
    }
    ~EtichettaTest() {
        host_.progressView().hideProgress();
        host_.controller().setStage(-1);
    }
    EtichettaTest(const EtichettaTest&) = delete;
    EtichettaTest& operator=(const EtichettaTest&) = delete;

private:
    CommandHost& host_;
};

// What a valid header holds at each address: a character, or nothing (font type, NVRAM type).
constexpr char kFirma[12] = {'F', 'o', 'n', 't', 'O', 'K', 0, 'K', 'R', 'N', 'V', 0};

}  // namespace

Outcome MemoryTestCommand(CommandHost& host) {
    return MemoryTestCommand(host, kCicliTestMemoria);
}

Outcome MemoryTestCommand(CommandHost& host, int cicli) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o == Outcome::Failed) return o;
    if (const Outcome o = conversation.lock(); o != Outcome::Done) return o;
    instrument::UCKRNVisual& c = host.control();
    const auto confirm = [&](const std::string& text) {
        return confirmOverwrite(host, *description,
                                {text, "", MessageIcon::None, MessageButtons::YesNo});
    };
    if (!confirm("Tutti i dati impostati nel KRN andranno persi, compresi i valori di taratura.\n"
                 "Sei sicuro di voler continuare?") ||
        !confirm("Version detected: " + c.Versione() + "\nAre you sure to continue?"))
        return Outcome::Cancelled;
    EtichettaTest etichetta(host);
    bool errore = false;
    const bool ok = CancellaNVRAM(host) && EseguiTestMemoria(host, cicli, errore);
    if (!ok) {
        tell(host, text::kCommunicationErrorDot);
        return host.controller().Annullando() ? Outcome::Cancelled : Outcome::Failed;
    }
    if (errore) {
        tell(host, text::kTestMemoryFail, MessageIcon::Critical);
        return Outcome::Failed;
    }
    tell(host, "Test memory OK", MessageIcon::Information);
    return Outcome::Done;
}

std::string testoTestata(const std::array<std::uint8_t, 12>& testata) {
    std::string testo = "Stato:\n";
    for (std::size_t k = 0; k < testata.size(); ++k) {
        char riga[40];
        std::snprintf(riga, sizeof riga, "RAM [0x%05zX]: %d", k, testata[k]);
        testo += riga;
        if (k == 6)
            testo += "  Font type";
        else if (k == 11)
            testo += " tipo ram (bit7=UpdateMode)";
        else
            testo += std::string("  ") + kFirma[k] + " : " + std::to_string(int{kFirma[k]});
        testo += "\n";
    }
    return testo;
}

Outcome WriteCheckSumCommand(CommandHost& host) {
    return WriteCheckSumCommand(host, nullptr);
}

Outcome WriteCheckSumCommand(CommandHost& host,
                             std::optional<std::array<std::uint8_t, 12>>* letta) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.connect(*description); o == Outcome::Failed) return o;
    const auto testata = leggiTestata(host.control());
    if (letta) *letta = testata;
    if (testata) tell(host, testoTestata(*testata));
    const MessageResult risposta =
        host.dialogs().message({"Now I write a new checksum.\nAre you sure?", "", MessageIcon::None,
                                MessageButtons::YesNoCancel, 1});
    if (risposta != MessageResult::Yes) {
        if (!testata) return Outcome::Failed;
        return risposta == MessageResult::No ? Outcome::Done : Outcome::Cancelled;
    }
    const bool scritta = WriteNVRAMok(host);
    tell(host, scritta ? "Done" : "Fail");
    return scritta ? Outcome::Done : Outcome::Failed;
}

Outcome ResetHistoryCommand(CommandHost& host) {
    instrument::UCKRNVisual& c = host.control();
    Conversation conversation(host);
    conversation.adopt();
    // Without a link there is no instrument to ask about its clock: the first instrument call
    // below fails instead.
    if (c.Collegato() && !c.ConOrologio()) {
        tell(host, text::kNoClockDot);
        return Outcome::Refused;
    }
    const bool geometria = c.LeggiStatoStory();
    const Outcome bloccato = geometria ? conversation.lock() : Outcome::Failed;
    if (bloccato != Outcome::Done) {
        tell(host, text::kKrnBlocking);
        return bloccato;
    }
    const auto risposta = host.dialogs().message(
        {"Are you sure to continue?", "", MessageIcon::Question, MessageButtons::YesNoCancel, 1});
    if (risposta != MessageResult::Yes) return Outcome::Cancelled;
    const instrument::Users& story = c.users();
    const std::int32_t n = story.LavoriConStory * story.SizePuntatori;
    bool ok = true;
    {
        Transfer transfer(host, CMain::stageText(-1), n);
        for (std::int32_t i = 0; ok && i < n; ++i) {
            ok = c.WriteNVRam1Byte(story.AddressStory + i, 0);
            transfer.step(i + 1);  // a half-cleared history helps nobody: no stop here
        }
        transfer.finish(ok);
    }
    if (ok) {
        ok = restartInstrument(host);
        if (ok) tell(host, "Clean process successful.", MessageIcon::Information);
    }
    conversation.close();
    if (!ok) tell(host, text::kCommunicationErrorDot);
    return ok ? Outcome::Done : Outcome::Failed;
}

}  // namespace service
