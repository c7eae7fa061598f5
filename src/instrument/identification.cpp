#include "instrument/identification.h"

#include <algorithm>
#include <array>

#include "instrument/generations.h"
#include "instrument/nvram_map.h"
#include "platform/protocol.h"

namespace instrument {
namespace {

// First row whose upper bound holds gives the format.
struct Row {
    std::int16_t upTo;
    std::int16_t format;
};
constexpr std::array<Row, 8> kElectric = {{{1058, 12},
                                           {1061, 14},
                                           {1062, 15},
                                           {1065, 17},
                                           {1067, 19},
                                           {1069, 21},
                                           {1071, 23},
                                           {32767, 25}}};
constexpr std::array<Row, 6> kOtherPresses = {
    {{1061, 13}, {1062, 16}, {1064, 18}, {1067, 20}, {1071, 22}, {32767, 24}}};

template <std::size_t N>
std::int16_t lookUp(const std::array<Row, N>& rows, std::int16_t e) {
    for (const Row& r : rows)
        if (e <= r.upTo) return r.format;
    return rows.back().format;
}

}  // namespace

std::int16_t formatoNVRAM(std::int16_t p, std::int16_t e, bool electric) {
    if (!nuovaGenerazione(e) && !conInterrogazioniCapacita(p)) return 1;
    constexpr std::array<Row, 6> early = {{{23, 2}, {26, 3}, {29, 4}, {32, 5}, {42, 6}, {43, 7}}};
    if (e <= 43) return lookUp(early, e);
    if (memoriaPiccola(p)) return 8;
    if (e <= 47) return 9;
    if (e <= 50) return 10;
    if (!nuovaGenerazione(e)) return 11;
    return electric ? lookUp(kElectric, e) : lookUp(kOtherPresses, e);
}

std::int16_t Identification::FormatoNVRAM() const {
    return formatoNVRAM(id_.Protocollo, link_.flags.Estensioni, id_.PressaElettrica);
}

std::int16_t Identification::FormatoFONT() const {
    return fontSecondoFormato(link_.flags.Estensioni) ? 2 : 1;
}

bool Identification::MemoriaPerLavoro(std::int32_t numeroLavori) const {
    return static_cast<std::int64_t>(id_.IndirizzoLavori) +
                   static_cast<std::int64_t>(numeroLavori) * id_.DimensioneLavori() + 15000 <=
               id_.FineMemoriaLavori &&
           numeroLavori <= 250;
}

bool Identification::ProtocolloSupportato() const {
    static constexpr std::array<std::int16_t, 12> supported = {3,  9,  15, 17, 30, 31,
                                                               33, 34, 36, 38, 39, 41};
    // Protocol 11 only in its first generation.
    if (id_.Protocollo == 11) return loaderVecchio(id_.Protocollo, link_.flags.Estensioni);
    return std::find(supported.begin(), supported.end(), id_.Protocollo) != supported.end();
}

bool Identification::LeggiVersione(bool* scambioRiuscito) {
    const bool exchanged = link_.ComandoSemplice(platform::cmd::Version, false);
    if (scambioRiuscito) *scambioRiuscito = exchanged;
    if (exchanged && link_.BufferRx[0] >= 2) {
        id_.versione = static_cast<float>(256 * link_.BufferRx[2] + link_.BufferRx[1]) / 100.0f;
        return true;
    }
    id_.versione = 0;
    return false;
}

bool Identification::calibrateUsbDelay() {
    // Only the serial and USB channels echo single bytes.
    link_.CostanteRitardoUSB = 0x7FFFFF;
    if (link_.currentChannel() == krnlink::Channel::Ethernet) return true;
    std::int32_t largest = 0;
    for (int i = 0; i < 10; ++i) {
        link_.InviaByte(0, true);
        largest = std::max(largest, link_.ConteggioAttesa);
        // On a silent line each probe waits out the wait limit: the window lives in between.
        if (!link_.keepWaiting()) return false;
    }
    link_.CostanteRitardoUSB = 50 * largest;
    return true;
}

bool Identification::LeggiIdentita() {
    auto& f = link_.flags;
    id_.Protocollo = 0;
    f.Estensioni = 0;
    id_.ConOrologio = false;
    id_.ConPLC = false;
    f.UpdateMode = false;
    id_.LoaderAttivo = false;
    if (!calibrateUsbDelay()) return false;

    if (!link_.ComandoSemplice(platform::cmd::Identify, false) || link_.BufferRx[0] < 2)
        return false;
    id_.Protocollo = link_.BufferRx[2];
    const std::uint8_t first = link_.BufferRx[1];
    if (identificazioneEstesa(id_.Protocollo)) {
        f.Estensioni = first;
    } else {
        f.UpdateMode = (first & 0x80) != 0;
        f.Estensioni = first & 0x7F;
    }
    if (protocolloNuovaGenerazione(id_.Protocollo))
        f.Estensioni = static_cast<std::int16_t>(f.Estensioni + 1000);
    id_.LoaderAttivo = f.UpdateMode;
    if (f.UpdateMode) return true;  // the loader answers nothing else

    bool last = true;
    if (conInterrogazioniCapacita(id_.Protocollo)) {
        bool done = false;
        if (identificazioneEstesa(id_.Protocollo)) {
            last = link_.ComandoSemplice(platform::cmd::ExtendedCapabilities, false);
            if (last && link_.BufferRx[0] >= 8) {
                id_.ConOrologio = (link_.BufferRx[1] & 1) != 0;
                done = true;
            } else if (last && link_.BufferRx[0] >= 2) {
                return false;
            }
        }
        if (!done && conInterrogazioneOrologio(f.Estensioni)) {
            last = link_.ComandoSemplice(platform::cmd::ClockQuery, false);
            if (last && link_.BufferRx[0] >= 1) id_.ConOrologio = link_.BufferRx[1] != 0;
        }
        if (!done && last && conInterrogazionePLC(f.Estensioni)) {
            last = link_.ComandoSemplice(platform::cmd::ExtendedCapabilities, false) &&
                   link_.BufferRx[0] >= 1;
            if (!last) return false;
            id_.ConPLC = link_.BufferRx[1] != 0;
        }
    }
    return last && LeggiCapacita();
}

void Identification::DecodificaEstensioni(std::uint8_t flag) {
    if (!conRecordCapacita(id_.Protocollo)) return;
    id_.FlagCapacita = flag;
    id_.StrumentoConIOT = (flag & 0x01) != 0;
    id_.StrumentoConVIOBUS = (flag & 0x04) != 0;
    id_.PressaElettrica = (flag & 0x08) != 0;
    id_.PressaRaddrizzatrice = (flag & 0x10) != 0;
    link_.flags.TastatoreCollegato = id_.PressaElettrica;
    if (flag & 0x01) {
        id_.NumeroMassimoIngressi = 6;
        id_.NumeroMassimoUscite = 5;
    } else if (!(flag & 0x04)) {
        id_.NumeroMassimoIngressi = 8;
        id_.NumeroMassimoUscite = 6;
    } else if (flag & 0x08) {
        id_.NumeroMassimoIngressi = 10;
        id_.NumeroMassimoUscite = 8;
    }
}

bool Identification::LeggiCapacita() {
    id_.FielBusMemorySize = 0;
    DecodificaEstensioni(0);
    id_.MemorySize = memoriaPiccola(id_.Protocollo) ? 512512 : 512768;
    bool ok = true;
    if (conRecordCapacita(id_.Protocollo)) {
        ok = link_.ComandoSemplice(platform::cmd::CapabilityRecord, false);
        if (ok) {
            const auto& rx = link_.BufferRx;
            const int len = rx[0];
            if (len >= 5) {
                id_.DimTestataLavoro = rx[1];
                id_.DimFaseBase = rx[2];
                id_.NumeroMassimoPuntiFascia = rx[3];
                id_.NumeroMassimoCheckPoint = rx[4];
                id_.DimStatoStrumento = rx[5];
            }
            if (len >= 6) DecodificaEstensioni(rx[6]);
            if (len >= 8) id_.DimFaseExtra = rx[7];
            if (len >= 10) {
                id_.NumeroMassimoIngressi = rx[9];
                id_.NumeroMassimoUscite = rx[10];
            }
            if (len >= 14) id_.MemorySize = rx[12] + 256 * rx[13] + 65536 * rx[14];
            id_.LunghezzaCodiceLavoro = len >= 15 ? rx[15] : 13;
            id_.PosizioneCodiceLavoro = len >= 16 ? rx[16] : 44;
            if (len >= 18) id_.FielBusMemorySize = rx[17] + 256 * rx[18];
            if (len >= 21) {
                id_.BufferSize = rx[19] + 256 * rx[20];
                id_.NumeroMassimoFasi = rx[21];
            }
        }
    } else {
        std::int16_t* targets[4] = {&id_.DimTestataLavoro, &id_.DimFaseBase,
                                    &id_.NumeroMassimoPuntiFascia, &id_.DimStatoStrumento};
        for (int i = 0; i < 4 && ok; ++i) {
            auto b = nvram_.ReadNVRam1Byte(nvmap::DimTestataLavoro + i);
            ok = b.has_value();
            if (ok) *targets[i] = *b;
        }
        if (testataLavoroFissa(id_.Protocollo, id_.versione)) id_.DimTestataLavoro = 74;
        if (faseBaseFissa(id_.Protocollo, link_.flags.Estensioni)) id_.DimFaseBase = 46;
    }
    const bool three = treIngressiPerFase(link_.flags.Estensioni);
    id_.NumeroMassimoTestInput = three ? 3 : 1;
    id_.NumeroMassimoEnableInput = three ? 3 : 0;
    return ok;
}

}  // namespace instrument
