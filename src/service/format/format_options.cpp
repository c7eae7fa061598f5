#include "service/format/format_options.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/text_file.h"
#include "service/core/controller.h"
#include "service/core/restart.h"
#include "service/format/format_send.h"
#include "service/settings/nvram_writes.h"

namespace service {
namespace {

using provisioning::CProfilo;

// When a slot's function code applies.
enum class Se {
    Sempre,
    Cesti1,         // NumeroCesti >= 1
    Cesti2,         // NumeroCesti >= 2
    Rossi2,         // NumeroRossi >= 2
    Metro,          // ConIngressiMetro
    UscitaMetro,    // ConUscitaMetro
    Chiave,         // ConChiaveManutenzione
    Slitta,         // ConValvolaSlitta
    CestoPronto,    // ConSensoreCestoPronto
    Buoni,          // ConValvolaAperturaBuoni
    RitornoLeva,    // ConValvolaRitornoLeva
    Meccanica,      // perMECCANICA
    VessMeccanica,  // perVESSALINE or perMECCANICA
};

bool vale(Se se, const CProfilo& p) {
    switch (se) {
        case Se::Sempre:
            return true;
        case Se::Cesti1:
            return p.NumeroCesti >= 1;
        case Se::Cesti2:
            return p.NumeroCesti >= 2;
        case Se::Rossi2:
            return p.NumeroRossi >= 2;
        case Se::Metro:
            return p.ConIngressiMetro;
        case Se::UscitaMetro:
            return p.ConUscitaMetro;
        case Se::Chiave:
            return p.ConChiaveManutenzione;
        case Se::Slitta:
            return p.ConValvolaSlitta;
        case Se::CestoPronto:
            return p.ConSensoreCestoPronto;
        case Se::Buoni:
            return p.ConValvolaAperturaBuoni;
        case Se::RitornoLeva:
            return p.ConValvolaRitornoLeva;
        case Se::Meccanica:
            return p.perMECCANICA;
        case Se::VessMeccanica:
            return p.perVESSALINE || p.perMECCANICA;
    }
    return false;
}

// One cell: not written, or the first code whose condition holds, else `altrimenti`.
struct Cella {
    bool scritta = false;
    Se se1 = Se::Sempre;
    std::uint8_t codice1 = 0;
    Se se2 = Se::Sempre;
    std::uint8_t codice2 = 0;
    std::uint8_t altrimenti = 0;
};
constexpr Cella no{};
constexpr Cella fisso(std::uint8_t c) {
    return {true, Se::Sempre, c};
}
constexpr Cella se(Se s, std::uint8_t c, std::uint8_t altrimenti = 0) {
    return {true, s, c, s, c, altrimenti};
}
constexpr Cella se2(Se s1, std::uint8_t c1, Se s2, std::uint8_t c2) {
    return {true, s1, c1, s2, c2, 0};
}

// Rows In[0..7], Out[0..7]; columns standard, IOT, VIOBUS.
constexpr std::array<std::array<Cella, 3>, 16> kTabellaIO = {{
    {fisso(1), no, fisso(1)},
    {fisso(2), se(Se::Metro, 13), fisso(2)},
    {se(Se::Cesti1, 5, 8), no, se(Se::Cesti1, 5)},
    {se(Se::Cesti2, 6), fisso(2), se(Se::Cesti2, 6)},
    {se(Se::Metro, 13), se(Se::Cesti2, 6), se(Se::Metro, 13)},
    {se(Se::Chiave, 18), no, se(Se::Chiave, 18)},
    {fisso(0), no, se(Se::Slitta, 19)},
    {fisso(0), no, se(Se::CestoPronto, 10)},
    {fisso(1), no, fisso(1)},
    {fisso(2), no, fisso(2)},
    {se(Se::Meccanica, 18, 5), no, se(Se::Meccanica, 18, 5)},
    {se(Se::VessMeccanica, 7, 6), no, se(Se::Buoni, 19)},
    {se(Se::UscitaMetro, 8, 9), no, se(Se::VessMeccanica, 7, 6)},
    {se(Se::Rossi2, 3), no, se2(Se::RitornoLeva, 17, Se::Slitta, 21)},
    {no, no, se(Se::UscitaMetro, 8)},
    {no, no, se(Se::Rossi2, 3)},
}};

std::uint8_t codice(const Cella& c, const CProfilo& p) {
    if (vale(c.se1, p)) return c.codice1;
    if (vale(c.se2, p)) return c.codice2;
    return c.altrimenti;
}

bool scrivi(CommandHost& host, std::int32_t indirizzo, std::int32_t valore) {
    return WriteToKRN(host, indirizzo, static_cast<std::int16_t>(valore));
}

// A counted string: its characters from base + 1 on, then its length at base.
bool scriviStringa(CommandHost& host, std::int32_t base, const std::string& testo,
                   std::size_t massimo = 255) {
    std::string bytes = platform::utf8ToCp1252(testo);
    if (bytes.size() > massimo) bytes.resize(massimo);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!scrivi(host, base + 1 + static_cast<std::int32_t>(i),
                    static_cast<std::uint8_t>(bytes[i])))
            return false;
    return scrivi(host, base, static_cast<std::int32_t>(bytes.size()));
}

// The operator list emptied but for the administrator: its record first, the other fourteen
// cleared, then the count 1.
bool reimpostaUtenti(CommandHost& host) {
    instrument::UCKRNVisual& c = host.control();
    c.users().reset();
    if (!c.LeggiStatoStory()) return false;
    const std::int32_t base = c.users().AddressListaUtenti;
    constexpr int n = instrument::Users::kMassimoOperatori * instrument::Users::kDimRecord;
    std::array<std::uint8_t, n> lista{};
    const std::string nome = kNomeAmministratore;
    lista[0] = kCodiceAmministratore & 0xFF;
    lista[1] = (kCodiceAmministratore >> 8) & 0xFF;
    lista[2] = static_cast<std::uint8_t>(nome.size());
    std::copy(nome.begin(), nome.end(), lista.begin() + 3);
    lista[13] = instrument::Users::kTuttiDiritti & 0xFF;
    lista[14] = instrument::Users::kTuttiDiritti >> 8;
    for (int i = 0; i < n; ++i)
        if (!scrivi(host, base + 1 + i, lista[static_cast<std::size_t>(i)])) return false;
    return scrivi(host, base, 1);
}

// Restart and lock again, unless nothing is written (differences only).
bool riavvia(CommandHost& host, int da, int a) {
    if (host.soloDifferenze()) return true;
    return restartInStage(host, da, a);
}

bool scriviOpzioni(CommandHost& host, bool elettrica, const CProfilo& p) {
    instrument::UCKRNVisual& c = host.control();
    const std::int16_t e = c.Estensioni();
    const bool lumbro = p.Destination == provisioning::Lumbro;
    if (e >= 46) {
        if (lumbro && !scrivi(host, 48, 175)) return false;
        if (!scrivi(host, 101, 8)) return false;
    }
    int stato = 0;
    if (!c.RileggiConfigurazione(stato)) return false;
    if (e >= 40) {
        const int b56 = e >= 1001 ? 34 : 10;
        const int b57 = e >= 1001 ? (lumbro ? 1 : 13) : 1;
        if (!scrivi(host, 56, b56) || !scrivi(host, 57, b57)) return false;
    }
    if (e >= 46 && !reimpostaUtenti(host)) return false;
    if (!strumentoModerno(c.Protocollo(), e) && p.Electric() &&
        p.Destination != provisioning::CompletePress) {
        host.dialogs().message({kClienteNonConfigurabile, "", platform::MessageIcon::None,
                                platform::MessageButtons::Ok, 0});
        return true;
    }
    if (lumbro && !scriviStringa(host, e >= 43 ? 314 : 72, "METRO")) return false;
    const ByteOpzione o = byteOpzione(e, p);
    if (!scrivi(host, 100, o.a) || !scrivi(host, 101, o.b) || !scrivi(host, 208, o.c)) return false;
    if (e < 46 && !scrivi(host, 103, 128)) return false;
    if (!scrivi(host, 201, o.d) || !scrivi(host, 202, 30)) return false;
    if (e >= 25 && !scrivi(host, 245, 5)) return false;
    if (e >= 44 && p.ConSensoreCestoPronto && !scriviStringa(host, 356, "BOITE VERTE"))
        return false;
    if (e >= 41 && !elettrica) {
        const bool sedici = e >= 51;
        const std::int32_t in = sedici ? 448 : 285, out = sedici ? 464 : 293;
        for (const AssegnazioneIO& s : assegnazioneIO(hardwareIO(c), p))
            if (!scrivi(host, (s.uscita ? out : in) + s.slot, s.codice)) return false;
    }
    return true;
}

}  // namespace

ByteOpzione byteOpzione(std::int16_t e, const CProfilo& p) {
    const bool lumbro = p.Destination == provisioning::Lumbro;
    ByteOpzione o;
    if (e >= 42) {
        o.a = static_cast<std::uint8_t>(
            (lumbro ? 4 : (p.Electric() && p.TipoElettroPressa == 16 ? 8 : 0)) +
            (p.perVESSALINE ? 128 : 0));
        o.b = static_cast<std::uint8_t>(8 + (lumbro ? 66 : 0) + (p.perMECCANICA ? 1 : 0));
        o.c = 0;
        o.d = e >= 46 ? (p.ConIngressiMetro ? 2 : 0) : 1;
    } else {
        o.a = static_cast<std::uint8_t>(64 + (p.perVESSALINE ? 1 : 0) +
                                        (p.NumeroCesti >= 1 ? 2 : 0) + (p.perMECCANICA ? 32 : 0));
        o.b = static_cast<std::uint8_t>((lumbro ? 8 : 0) + (p.NumeroRossi >= 2 ? 64 : 0) +
                                        (p.NumeroCesti >= 2 ? 128 : 0));
        o.c = e >= 32 && p.perVESSALINE && lumbro ? 16 : 0;
        o.d = e == 41 ? (p.ConIngressiMetro ? 3 : 0) : (p.ConIngressiMetro ? 29 : 0);
    }
    return o;
}

HardwareIO hardwareIO(const instrument::UCKRNVisual& control) {
    if (control.identity().StrumentoConVIOBUS) return HardwareIO::VIOBUS;
    if (control.identity().StrumentoConIOT) return HardwareIO::IOT;
    return HardwareIO::Standard;
}

std::vector<AssegnazioneIO> assegnazioneIO(HardwareIO hw, const CProfilo& p) {
    std::vector<AssegnazioneIO> out;
    const auto colonna = static_cast<std::size_t>(hw);
    for (std::size_t riga = 0; riga < kTabellaIO.size(); ++riga) {
        const Cella& cella = kTabellaIO[riga][colonna];
        if (cella.scritta) out.push_back({riga >= 8, static_cast<int>(riga % 8), codice(cella, p)});
    }
    return out;
}

bool ConcludiFormattazione(CommandHost& host, bool elettrica, const CProfilo& p,
                           bool completaFirma) {
    CMain& c = host.controller();
    instrument::UCKRNVisual& control = host.control();
    c.StartTransfer(100, TransferUnit::Percent);
    bool ok = !c.Annullando() && riavvia(host, 40, 0) && !c.Annullando();
    if (ok && !host.soloDifferenze()) {
        const instrument::PressLock lock = control.BloccaPressa();
        if (lock.ok && lock.locked) control.BloccaTastiera();
    }
    c.setTransferCount(41);
    if (ok) ok = scriviOpzioni(host, elettrica, p);
    if (ok)
        ok = host.soloDifferenze()
                 ? scriviStringa(host, instrument::nvmap::Nome, p.NomeStrumento,
                                 static_cast<std::size_t>(control.identity().MaxLenNome))
                 : control.ScriviNome(p.NomeStrumento);
    if (ok && completaFirma) ok = scriviFirma(host, 0, 6);
    if (ok) ok = riavvia(host, 100, static_cast<int>(std::min(c.transferCount(), 95L)));
    c.StopTransfer(ok);
    return ok;
}

}  // namespace service
