#include "instrument/configuration.h"

#include <algorithm>

#include "instrument/generations.h"
#include "platform/protocol.h"
#include "platform/text_file.h"

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
    // A short answer leaves the version at 0; only a failed exchange ends the read.
    bool ok = false;
    ident_.LeggiVersione(&ok);
    id_.IndirizzoConfigurazione = nvmap::IndirizzoConfigurazione;
    std::optional<std::vector<std::uint8_t>> header;
    if (ok) {
        header = nvram_.ReadNVRamBytes(nvmap::Firma, nvmap::LunghezzaFirma + 1);
        ok = header.has_value();
    }
    if (ok) {
        const bool signature =
            std::equal(header->begin(), header->begin() + nvmap::LunghezzaFirma, "KRNV");
        const bool format = (*header)[nvmap::LunghezzaFirma] == ident_.FormatoNVRAM();
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
             link_.ComandoSemplice(platform::cmd::ChangeFlags, false);
    }
    resetFactorTables();
    return ok;
}

bool Configuration::LeggiStatoFunzionamento() {
    if (!link_.ComandoSemplice(platform::cmd::OperatingState, false)) return false;
    if (!(link_.BufferRx[0] >= 1 && link_.BufferRx[1] == 1)) link_.flags.UpdateMode = true;
    return true;
}

bool Configuration::readUnits() {
    struct Unit {
        std::int32_t address;
        std::uint8_t* target;
        bool isIndex;
    };
    const Unit units[] = {{nvmap::DecimaliForza, &v_.decimaliForza, false},
                          {nvmap::UnitaForza, &v_.umForzaIndice, true},
                          {nvmap::DecimaliQuota, &v_.decimaliQuota, false},
                          {nvmap::UnitaQuota, &v_.umQuotaIndice, true},
                          {nvmap::DecimaliSuppl, &v_.decimaliSuppl, false},
                          {nvmap::UnitaSuppl, &v_.umSupplIndice, false}};
    for (const Unit& u : units) {
        auto b = nvram_.ReadNVRam1Byte(u.address);
        if (!b) return false;
        *u.target = u.isIndex ? std::min<std::uint8_t>(*b, 3) : *b;
    }
    v_.decimaliForza2 = v_.decimaliForza;
    v_.umForza2Indice = v_.umForzaIndice;
    if (secondoCanaleForza(link_.flags.Estensioni)) {
        auto d = nvram_.ReadNVRam1Byte(nvmap::DecimaliForza2);
        auto u = d ? nvram_.ReadNVRam1Byte(nvmap::UnitaForza2) : std::nullopt;
        if (!u) return false;
        v_.decimaliForza2 = *d;
        v_.umForza2Indice = std::min<std::uint8_t>(*u, 3);
    }
    return true;
}

bool Configuration::readDerivedCounts() {
    if (!options_.LeggiOpzioni()) return false;
    auto b102 = nvram_.ReadNVRam1Byte(nvmap::LavoriSelezionabili);
    if (!b102) return false;
    const std::int16_t e = link_.flags.Estensioni;
    const bool shared = byte102Condiviso(id_.Protocollo);
    const std::uint8_t selectable = shared ? (*b102 & 0x0F) : *b102;
    id_.NumeroLavoriSelezionabili = static_cast<std::int16_t>(selectable == 0 ? 0 : selectable + 1);
    if (shared) {
        id_.NumeroMassimoFasi = static_cast<std::int16_t>(((*b102 >> 4) & 0x03) + 1);
    } else if (!mappaMemoriaNuova(e)) {
        auto b244 = nvram_.ReadNVRam1Byte(nvmap::NumeroFasi);
        if (!b244) return false;
        id_.NumeroMassimoFasi = static_cast<std::int16_t>((*b244 & 0x03) + 1);
    }
    id_.NumeroMassimoRipetizioni = numeroMassimoRipetizioni(id_.Protocollo, e);
    return true;
}

bool Configuration::readMemoryMap() {
    auto end = nvram_.ReadNVRamBytes(nvmap::FineConfigurazione, 2);
    auto jobs = end ? nvram_.ReadNVRamBytes(nvmap::IndirizzoLavori, 2) : std::nullopt;
    if (!jobs) return false;
    id_.FineConfigurazione = (*end)[0] + 256 * (*end)[1];
    id_.IndirizzoLavori = (*jobs)[0] + 256 * (*jobs)[1];
    const std::int16_t e = link_.flags.Estensioni;
    if (fineLavoriInNVRAM(e)) {
        auto top = nvram_.ReadNVRamBytes(
            mappaMemoriaNuova(e) ? nvmap::FineMemoriaLavoriNuova : nvmap::FineMemoriaLavori, 3);
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
    if (!LeggiNomeFreno() || !readDerivedCounts()) return false;
    if (conListaLavori(e)) {
        if (!link_.ComandoSemplice(platform::cmd::JobList, false)) return false;
        if (link_.BufferRx[0] >= 1) id_.MaxLenNome = link_.BufferRx[1];
    }
    options_.AssegnaCodiciOpzione();
    if (!io_.LeggiFunzioniIO()) return false;
    const bool namedOutputs = conNomiUscitaSetPoint(id_.Protocollo, e);
    for (int i = 0; i < 3; ++i) {
        if (!namedOutputs) {
            v_.NomeUscitaSetPoint[static_cast<std::size_t>(i)] = kSetPointDefaults[i];
            continue;
        }
        auto name = nvram_.LeggiStringaNVRam(nvmap::nomeUscitaSetPoint(i + 1),
                                             nvmap::MaxLenNomeUscitaSetPoint);
        if (!name) return false;
        v_.NomeUscitaSetPoint[static_cast<std::size_t>(i)] = *name;
    }
    return readMemoryMap();
}

bool Configuration::LeggiNomeStrumento() {
    // Cut in characters: the Windows-1252 text has one byte per character.
    auto name = nvram_.LeggiTestoNVRam(nvmap::Nome);
    if (!name) return false;
    if (name->size() > 64)
        name->resize(static_cast<std::size_t>(std::max<std::int16_t>(id_.MaxLenNome, 0)));
    link_.setNome(platform::cp1252ToUtf8(*name));
    return true;
}

bool Configuration::LeggiNomeFreno() {
    if (!conNomeFreno(id_.Protocollo, link_.flags.Estensioni)) {
        v_.NomeFreno = "Brake";
        return true;
    }
    auto name = nvram_.LeggiStringaNVRam(nvmap::NomeFreno, nvmap::MaxLenNomeFreno);
    if (!name) return false;
    v_.NomeFreno = *name;
    return true;
}

bool Configuration::LeggiVelocitaMotore() {
    if (!id_.PressaElettrica) return true;
    auto word = nvram_.ReadNVRamBytes(nvmap::MotorMaxSpeed, 2);
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
    if (!filtroForzaScrivibile(id_.versione)) return false;
    return nvram_.WriteNVRam1Byte(nvmap::FiltroForza, v);
}

bool Configuration::LeggiCoefDeformazione() {
    v_.CoefDeformazioneA = 0;
    v_.CoefDeformazioneB = 0;
    if (!conCoefDeformazione(link_.flags.Estensioni)) return false;
    auto a = nvram_.ReadNVRam1Byte(nvmap::CoefDeformazioneA);
    auto b = a ? nvram_.ReadNVRam1Byte(nvmap::CoefDeformazioneB) : std::nullopt;
    if (!b) return false;
    v_.CoefDeformazioneA = *a;
    v_.CoefDeformazioneB = *b;
    return true;
}

bool Configuration::WriteCoefDeformazione(std::uint8_t a, std::uint8_t b, platform::Progress& p) {
    if (!conCoefDeformazione(link_.flags.Estensioni)) return false;
    if (!nvram_.WriteNVRam1Byte(nvmap::CoefDeformazioneA, a) ||
        !nvram_.WriteNVRam1Byte(nvmap::CoefDeformazioneB, b))
        return false;
    return press_.ResetStrumento(0, 100, p);
}

bool Configuration::LeggiContaColpi() {
    v_.ContaColpi = 0;
    auto format = nvram_.ReadNVRam1Byte(nvmap::Formato);
    if (!format) return false;
    if (conContaColpi(link_.flags.Estensioni) && *format > 10 && *format < 255) {
        auto c = nvram_.ReadNVRamBytes(nvmap::ContaColpi, 4);
        if (!c) return false;
        v_.ContaColpi = (*c)[0] + 256 * (*c)[1] + 65536 * (*c)[2] + 16777216 * ((*c)[3] & 127);
    }
    return true;
}

bool Configuration::WriteContaColpi(std::int32_t contatore) {
    if (!conContaColpi(link_.flags.Estensioni)) return true;
    for (int i = 0; i < 4; ++i)
        if (!nvram_.WriteNVRam1Byte(nvmap::ContaColpi + i,
                                    static_cast<std::uint8_t>((contatore >> (8 * i)) & 0xFF)))
            return false;
    return true;
}

bool Configuration::ScriviNome(const std::string& nome) {
    return nvram_.ScriviStringaNVRam(nvmap::Nome, nome, id_.MaxLenNome) && LeggiNomeStrumento();
}

std::int16_t Configuration::umForza() const {
    static constexpr std::int16_t codes[4] = {0, 3, 0, 8};
    return codes[std::min<std::uint8_t>(v_.umForzaIndice, 3)];
}

}  // namespace instrument
