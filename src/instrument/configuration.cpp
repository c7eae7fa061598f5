#include "instrument/configuration.h"

#include <algorithm>

namespace instrument {
namespace {
constexpr const char* kSetPointDefaults[3] = {"SetPoint 1", "SetPoint 2", "SetPoint 3"};
}

bool Configuration::LeggiConfigurazione() {
    link_.flags.PressaBloccata = false;
    int stato = 0;
    return RileggiConfigurazione(stato);
}

void Configuration::resetFactorTables() {
    v_.FattoriForza = {1, 100, 0.1, 1};
    v_.FattoriQuota = {1, 25.4, 0.001, 1000};
}

bool Configuration::RileggiConfigurazione(int& stato) {
    const bool ok = reread(stato);
    ultimoStato_ = stato;
    return ok;
}

bool Configuration::reread(int& stato) {
    stato = 0;
    id_.MaxLenNome = 13;
    if (!ident_.LeggiIdentita()) return false;
    if (link_.flags.UpdateMode) {
        resetFactorTables();
        return true;
    }
    if (!ident_.ProtocolloSupportato()) return false;  // before any NVRAM access
    bool ok = ident_.LeggiVersione();
    id_.IndirizzoConfigurazione = 46;
    std::optional<std::vector<std::uint8_t>> header;
    if (ok) {
        header = nvram_.ReadNVRamBytes(7, 5);
        ok = header.has_value();
    }
    if (ok) {
        const bool signature = std::equal(header->begin(), header->begin() + 4, "KRNV");
        const bool format = (*header)[4] == ident_.FormatoNVRAM();
        if (!signature || !format) {
            link_.flags.UpdateMode = true;
            stato = format ? 3 : 4;
            resetFactorTables();
            return true;
        }
        ok = LeggiStatoFunzionamento();
    }
    if (ok && !link_.flags.UpdateMode) {
        ok = LeggiInfoStrumento() && LeggiNomeStrumento() && LeggiVelocitaMotore() &&
             link_.ComandoSemplice(7, false);
    }
    resetFactorTables();
    return ok;
}

bool Configuration::LeggiStatoFunzionamento() {
    if (!link_.ComandoSemplice(21, false)) return false;
    if (!(link_.BufferRx[0] >= 1 && link_.BufferRx[1] == 1)) link_.flags.UpdateMode = true;
    return true;
}

bool Configuration::readUnits() {
    struct Unit {
        std::int32_t address;
        std::uint8_t* target;
        bool isIndex;
    };
    const Unit units[] = {{58, &v_.decimaliForza, false}, {59, &v_.umForzaIndice, true},
                          {64, &v_.decimaliQuota, false}, {65, &v_.umQuotaIndice, true},
                          {70, &v_.decimaliSuppl, false}, {71, &v_.umSupplIndice, false}};
    for (const Unit& u : units) {
        auto b = nvram_.ReadNVRam1Byte(u.address);
        if (!b) return false;
        *u.target = u.isIndex ? std::min<std::uint8_t>(*b, 3) : *b;
    }
    v_.decimaliForza2 = v_.decimaliForza;
    v_.umForza2Indice = v_.umForzaIndice;
    if (link_.flags.Estensioni >= 1069) {
        auto d = nvram_.ReadNVRam1Byte(76);
        auto u = d ? nvram_.ReadNVRam1Byte(77) : std::nullopt;
        if (!u) return false;
        v_.decimaliForza2 = *d;
        v_.umForza2Indice = std::min<std::uint8_t>(*u, 3);
    }
    return true;
}

bool Configuration::readDerivedCounts() {
    if (!options_.LeggiOpzioni()) return false;
    auto b102 = nvram_.ReadNVRam1Byte(102);
    if (!b102) return false;
    const std::int16_t e = link_.flags.Estensioni;
    const std::uint8_t selectable = id_.Protocollo < 17 ? (*b102 & 0x0F) : *b102;
    id_.NumeroLavoriSelezionabili = static_cast<std::int16_t>(selectable == 0 ? 0 : selectable + 1);
    if (id_.Protocollo < 17) {
        id_.NumeroMassimoFasi = static_cast<std::int16_t>(((*b102 >> 4) & 0x03) + 1);
    } else if (e < 1066) {
        auto b244 = nvram_.ReadNVRam1Byte(244);
        if (!b244) return false;
        id_.NumeroMassimoFasi = static_cast<std::int16_t>((*b244 & 0x03) + 1);
    }
    id_.NumeroMassimoRipetizioni = id_.Protocollo < 36 ? 1 : e < 1072 ? 10 : 100;
    return true;
}

bool Configuration::readMemoryMap() {
    auto end = nvram_.ReadNVRamBytes(16, 2);
    auto jobs = end ? nvram_.ReadNVRamBytes(44, 2) : std::nullopt;
    if (!jobs) return false;
    id_.FineConfigurazione = (*end)[0] + 256 * (*end)[1];
    id_.IndirizzoLavori = (*jobs)[0] + 256 * (*jobs)[1];
    const std::int16_t e = link_.flags.Estensioni;
    if (e >= 47) {
        auto top = nvram_.ReadNVRamBytes(e >= 1066 ? 41 : 18, 3);
        if (!top) return false;
        id_.FineMemoriaLavori = (*top)[0] + 256 * (*top)[1] + 65536 * (*top)[2];
    } else {
        id_.FineMemoriaLavori = id_.IndirizzoLavori + 255 * id_.DimensioneLavori();
    }
    return true;
}

bool Configuration::LeggiInfoStrumento() {
    id_.DimFaseExtra = 0;
    id_.NumeroMassimoCheckPoint = 0;
    id_.DimCheckPoint = 7;
    id_.MaxLenNome = 13;
    if (!ident_.LeggiCapacita() || !readUnits()) return false;
    const std::int16_t e = link_.flags.Estensioni;
    if (id_.Protocollo >= 17 && e >= 20) {
        auto name = nvram_.LeggiStringaNVRam(255);
        if (!name) return false;
        v_.NomeFreno = name->substr(0, 13);
    } else {
        v_.NomeFreno = "Brake";
    }
    if (!readDerivedCounts()) return false;
    if (e >= 1068) {
        if (!link_.ComandoSemplice(49, false)) return false;
        if (link_.BufferRx[0] >= 1) id_.MaxLenNome = link_.BufferRx[1];
    }
    options_.AssegnaCodiciOpzione();
    if (!io_.LeggiFunzioniIO()) return false;
    const bool namedOutputs = id_.Protocollo >= 33 && e >= 44;
    for (int i = 0; i < 3; ++i) {
        if (!namedOutputs) {
            v_.NomeUscitaSetPoint[static_cast<std::size_t>(i)] = kSetPointDefaults[i];
            continue;
        }
        auto name = nvram_.LeggiStringaNVRam(398 + 14 * i);
        if (!name) return false;
        v_.NomeUscitaSetPoint[static_cast<std::size_t>(i)] = *name;
    }
    return readMemoryMap();
}

bool Configuration::LeggiNomeStrumento() {
    auto name = nvram_.LeggiStringaNVRam(106);
    if (!name) return false;
    if (name->size() > 64) name->resize(static_cast<std::size_t>(std::max<std::int16_t>(id_.MaxLenNome, 0)));
    link_.setNome(*name);
    return true;
}

bool Configuration::LeggiVelocitaMotore() {
    if (!id_.PressaElettrica) return true;
    auto word = nvram_.ReadNVRamBytes(498, 2);
    if (!word) return false;
    v_.MotorMaxSpeed = static_cast<float>((*word)[0] + 256 * (*word)[1]) / 10.0f;
    return true;
}

bool Configuration::LeggiMainInfo() {
    if (!ident_.LeggiIdentita()) return false;
    options_.AssegnaCodiciOpzione();
    // readDerivedCounts reads the option bytes, then the job counts.
    return readDerivedCounts() && LeggiNomeStrumento();
}

bool Configuration::WriteFiltroForza(std::uint8_t v) {
    if (!(id_.versione > 2.48f)) return false;
    return nvram_.WriteNVRam1Byte(243, v);
}

bool Configuration::LeggiCoefDeformazione() {
    v_.CoefDeformazioneA = 0;
    v_.CoefDeformazioneB = 0;
    if (link_.flags.Estensioni <= 30) return false;
    auto a = nvram_.ReadNVRam1Byte(269);
    auto b = a ? nvram_.ReadNVRam1Byte(270) : std::nullopt;
    if (!b) return false;
    v_.CoefDeformazioneA = *a;
    v_.CoefDeformazioneB = *b;
    return true;
}

bool Configuration::WriteCoefDeformazione(std::uint8_t a, std::uint8_t b) {
    if (link_.flags.Estensioni <= 30) return false;
    if (!nvram_.WriteNVRam1Byte(269, a) || !nvram_.WriteNVRam1Byte(270, b)) return false;
    return press_.ResetStrumento(0, 100);
}

bool Configuration::LeggiContaColpi() {
    v_.ContaColpi = 0;
    auto format = nvram_.ReadNVRam1Byte(11);
    if (!format) return false;
    if (link_.flags.Estensioni >= 51 && *format > 10 && *format < 255) {
        auto c = nvram_.ReadNVRamBytes(72, 4);
        if (!c) return false;
        v_.ContaColpi = (*c)[0] + 256 * (*c)[1] + 65536 * (*c)[2] + 16777216 * ((*c)[3] & 127);
    }
    return true;
}

bool Configuration::WriteContaColpi(std::int32_t contatore) {
    if (link_.flags.Estensioni <= 50) return true;
    for (int i = 0; i < 4; ++i)
        if (!nvram_.WriteNVRam1Byte(72 + i, static_cast<std::uint8_t>((contatore >> (8 * i)) & 0xFF)))
            return false;
    return true;
}

bool Configuration::ScriviNome(const std::string& nome) {
    return nvram_.ScriviStringaNVRam(106, nome, id_.MaxLenNome) && LeggiNomeStrumento();
}

std::int16_t Configuration::umForza() const {
    static constexpr std::int16_t codes[4] = {0, 3, 0, 8};
    return codes[std::min<std::uint8_t>(v_.umForzaIndice, 3)];
}

}  // namespace instrument
