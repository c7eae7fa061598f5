#include "service/diagnostics/memory_check.h"

#include <chrono>
#include <optional>
#include <utility>

#include "instrument/generations.h"
#include "service/core/answers.h"
#include "service/core/controller.h"

namespace service {
namespace {

// The test from the computer walks the 19 address bits of a 512 KiB memory: 0x55 at each power
// of two, 0xAA at its mirror from the top.
constexpr int kBitIndirizzo = 19;
constexpr std::int32_t kUltimoIndirizzo = 524287;
// The instrument's test is shown as 25 seconds a cycle, the bar moving with the seconds gone.
constexpr long kSecondiPerCiclo = 25;
// Between two questions about the instrument's test the window keeps repainting and taking a
// Cancel; the instrument is asked every half second.
constexpr auto kPassoAttesa = std::chrono::milliseconds(50);
constexpr int kPassiTraLeDomande = 10;

enum class Prova { Buona, Errata, Fallita };

// Writes the value and reads it back.
Prova prova(instrument::UCKRNVisual& c, std::int32_t indirizzo, std::uint8_t valore) {
    if (!c.WriteNVRam1Byte(indirizzo, valore)) return Prova::Fallita;
    const auto letto = c.ReadNVRam1Byte(indirizzo);
    if (!letto) return Prova::Fallita;
    return *letto == valore ? Prova::Buona : Prova::Errata;
}

// One pass over the address bits: true when every byte read back as written; false on a failed
// call (ok false) or a faulty cell (errore). stop: the cancel flag of the last progress report.
bool passata(CommandHost& host, int passo, bool& ok, bool& errore, bool& stop) {
    CMain& controller = host.controller();
    instrument::UCKRNVisual& c = host.control();
    for (int b = 1; b <= kBitIndirizzo; ++b) {
        const std::int32_t a = std::int32_t{1} << (b - 1);
        Prova p = prova(c, a, 0x55);
        if (p == Prova::Buona) {
            p = prova(c, kUltimoIndirizzo - a, 0xAA);
            if (p == Prova::Errata) tell(host, "Memory Error !", platform::MessageIcon::Critical);
        }
        if (p != Prova::Buona) {
            ok = p != Prova::Fallita;
            errore = p == Prova::Errata;
            return false;
        }
        stop = controller.UpdateTransfer(static_cast<long>(passo - 1) * kBitIndirizzo + b);
    }
    return true;
}

bool testDalComputer(CommandHost& host, int cicli, bool& errore) {
    CMain& controller = host.controller();
    controller.StartTransfer(static_cast<long>(cicli) * kBitIndirizzo, TransferUnit::Steps);
    bool ok = true;
    for (int passo = 1; passo <= cicli; ++passo) {
        bool stop = false;
        if (!passata(host, passo, ok, errore, stop)) break;
        host.progressView().processEvents();
        if (stop || controller.Annullando()) {
            ok = false;
            break;
        }
    }
    controller.StopTransfer(ok);
    return ok;
}

// The pause between two questions, the window repainting; it ends early on a Cancel.
void attendi(CommandHost& host) {
    for (int i = 0; i < kPassiTraLeDomande && !host.controller().Annullando(); ++i) {
        host.clock().sleepFor(kPassoAttesa);
        host.progressView().processEvents();
    }
}

bool testNelloStrumento(CommandHost& host, int cicli, bool& errore) {
    CMain& controller = host.controller();
    instrument::UCKRNVisual& c = host.control();
    platform::Clock& clock = host.clock();
    const long totale = static_cast<long>(cicli) * kSecondiPerCiclo;
    controller.StartTransfer(totale, TransferUnit::Steps);
    const platform::TimePoint inizio = clock.now();
    int richiesti = cicli;
    bool collegamento = c.StartTestMemory(richiesti);
    bool annullato = false;
    while (collegamento) {
        host.progressView().processEvents();
        if (controller.Annullando()) {
            annullato = true;
            break;
        }
        const auto stato = c.StatoTestMemory();
        controller.UpdateTransfer(static_cast<long>(clock.secondsSince(inizio)));
        if (!stato) {
            collegamento = false;
            break;
        }
        if (stato->errore) {
            errore = true;
            break;
        }
        if (stato->cicliRimasti == 0) break;
        attendi(host);
    }
    controller.UpdateTransfer(totale);
    // A cancelled test is stopped too: the link is still good, and the instrument would go on
    // testing (and erasing) its memory after the tool has let it go.
    if (collegamento) collegamento = c.StopTestMemory();
    const bool ok = collegamento && !annullato;
    controller.StopTransfer(ok);
    return ok;
}

}  // namespace

bool EseguiTestMemoria(CommandHost& host, int cicli, bool& errore) {
    errore = false;
    if (instrument::testMemoriaNelloStrumento(host.control().Estensioni()))
        return testNelloStrumento(host, cicli, errore);
    // The test reads back what it writes itself: a verified write would write a faulty cell
    // again and report a line fault where the test has to say "Memory Error !".
    instrument::Nvram& nvram = host.control().nvram();
    const bool verify = std::exchange(nvram.verify, false);
    const bool ok = testDalComputer(host, cicli, errore);
    nvram.verify = verify;
    return ok;
}

}  // namespace service
