#include "provisioning/profilo.h"

#include <cmath>
#include <utility>

#include "backup/ini_file.h"
#include "platform/settings_store.h"
#include "provisioning/press_models.h"

namespace provisioning {
namespace {

Gruppo gruppo(const CProfilo& p) {
    return modelloPressa(p.TipoElettroPressa).gruppo;
}
bool modelliQ(const CProfilo& p) {
    const Gruppo g = gruppo(p);
    return g == Gruppo::QGrande || g == Gruppo::QMedio || g == Gruppo::QPiccolo;
}
bool famigliaQ4(CylinderType t) {
    return t == PressaQ4 || t == PressaQ4_SHOWROOM || t == PressaQ4_CUSTA || t == PressaQ4_CUSTB;
}

std::int16_t letto(const platform::SettingsStore& store, const std::string& application,
                   const char* key, const char* fallback) {
    const double v =
        backup::IniFile::parseNumber(store.value(application, kSezioneProfilo, key, fallback));
    return static_cast<std::int16_t>(std::lround(v));
}

}  // namespace

CProfilo::CProfilo() {
    Inizializza();
    NomeStrumento = "KRNVisual";
}

void CProfilo::Inizializza() {
    Lingua1 = LItaliano;
    Lingua2 = LInglese;
    NumeroLavoriStory = 0;
    MemoriaStory = kMemoriaStoryNormale;
    NomeStrumento = "VARNOLIDE";
    FormatoOra = 0;
    Destination = CompletePress;
    NonUsareCylChip = false;
    TipoElettroPressa = NonElectric;
    NumeroCesti = 0;
    NumeroRossi = 1;
    for (bool* flag : {&ConNomiLumbro, &ConValvolaRitornoLeva, &ConValvolaAperturaBuoni,
                       &ConValvolaSlitta, &ConChiaveManutenzione, &ConSensoreCestoPronto,
                       &ConIngressiMetro, &ConUscitaMetro, &perVESSALINE, &perMECCANICA})
        *flag = false;
}

bool CProfilo::Electric() const {
    return TipoElettroPressa != NonElectric;
}
bool CProfilo::SensoreTemperatura() const {
    return modelliQ(*this);
}
bool CProfilo::ConCylChip() const {
    return modelliQ(*this);
}
bool CProfilo::EncoderDiv32() const {
    return TipoElettroPressa == PressaW1;
}
bool CProfilo::EncoderDiv91() const {
    return famigliaQ4(TipoElettroPressa);
}
bool CProfilo::EncoderDiv189() const {
    return TipoElettroPressa == PressaQ1 || TipoElettroPressa == PressaQ5;
}
std::int16_t CProfilo::SpeedMaxMMSEC() const {
    return modelloPressa(TipoElettroPressa).speedMaxMMSEC;
}
std::int16_t CProfilo::DenominatoreGear5() const {
    return static_cast<std::int16_t>(
        std::lround(modelloPressa(TipoElettroPressa).figuraGear / 5.0));
}
std::int16_t CProfilo::PassoInMicron() const {
    return modelloPressa(TipoElettroPressa).passoInMicron;
}
std::int32_t CProfilo::BassaForzaN() const {
    switch (gruppo(*this)) {
        case Gruppo::QGrande:
            return 10000;
        case Gruppo::QMedio:
            return 4000;
        case Gruppo::QPiccolo:
            return 5000;
        default:
            return 1000;
    }
}
std::int32_t CProfilo::ForzaMassimaN() const {
    return modelloPressa(TipoElettroPressa).forzaMassimaN;
}
std::int16_t CProfilo::CorrenteMotoreA() const {
    return modelloPressa(TipoElettroPressa).correnteMotoreA;
}
bool CProfilo::ForzaInChilonewton() const {
    return ForzaMassimaN() > 150000;
}
std::int16_t CProfilo::decimaliForza() const {
    const std::int32_t f = ForzaMassimaN();
    return f < 5500 || f > 150000 ? 1 : 0;
}
std::int16_t CProfilo::CorsaUtile() const {
    return modelloPressa(TipoElettroPressa).corsaUtile;
}
std::int16_t CProfilo::ForzaDiInizio() const {
    if (!Electric()) return 20;
    switch (gruppo(*this)) {
        case Gruppo::QMedio:
            return 100;
        case Gruppo::QPiccolo:
            return 50;
        case Gruppo::QGrande:
            return 10;
        default:
            return 50;
    }
}
float CProfilo::AccelerazioneMassima() const {
    const std::int16_t v = SpeedMaxMMSEC();
    switch (gruppo(*this)) {
        case Gruppo::QPiccolo:
            return 1.5f;
        case Gruppo::QMedio:
            return v < 179 ? 0.9f : v < 199 ? 0.6f : 0.5f;
        case Gruppo::QGrande:
            return v < 110 ? 0.8f : 0.6f;
        default:
            return 2.25f;
    }
}
float CProfilo::DecelerazioneMassima() const {
    const std::int16_t v = SpeedMaxMMSEC();
    switch (gruppo(*this)) {
        case Gruppo::QPiccolo:
            return 1.5f;
        case Gruppo::QMedio:
            return v < 179 ? 1.0f : v < 199 ? 0.7f : 0.6f;
        case Gruppo::QGrande:
            return v < 110 ? 0.8f : 0.6f;
        default:
            return 2.5f;
    }
}
bool CProfilo::PressaStandardConFotoelettriche() const {
    const CylinderType t = TipoElettroPressa;
    if (t == PressaQ4_SHOWROOM || t == PressaQ7_SHOWROOM || t == PressaR3_CUSTE ||
        t == PressaR3_CUSTF)
        return true;
    return Electric() && Destination == CompletePress;
}
float CProfilo::QuotaIngrassaggio() const {
    switch (gruppo(*this)) {
        case Gruppo::QPiccolo:
            return 100.0f;
        case Gruppo::QMedio:
            return 35.0f;
        case Gruppo::R:
            return -9.9f;
        default:
            return TipoElettroPressa == PressaW1 ? -7.0f : 0.0f;
    }
}

CProfilo caricaProfilo(const platform::SettingsStore& store, const std::string& application) {
    CProfilo p;
    p.Lingua1 = letto(store, application, kChiaveLingua1, "0");
    p.Lingua2 = letto(store, application, kChiaveLingua2, "1");
    p.FormatoOra = letto(store, application, kChiaveFormatoOra, "0");
    p.NumeroLavoriStory = letto(store, application, kChiaveLavoriConStoria, "3");
    if (p.NumeroLavoriStory > kMassimoLavoriConStoria)
        p.NumeroLavoriStory = kMassimoLavoriConStoria;
    p.MemoriaStory = kMemoriaStoryNormale;
    p.NomeStrumento = "KRNVisual";
    return p;
}

void salvaProfilo(const CProfilo& p, platform::SettingsStore& store,
                  const std::string& application) {
    store.setValue(application, kSezioneProfilo, kChiaveLingua1, std::to_string(p.Lingua1));
    store.setValue(application, kSezioneProfilo, kChiaveLingua2, std::to_string(p.Lingua2));
    store.setValue(application, kSezioneProfilo, kChiaveFormatoOra, std::to_string(p.FormatoOra));
    store.setValue(application, kSezioneProfilo, kChiaveLavoriConStoria,
                   std::to_string(p.NumeroLavoriStory));
}

ProfiloConservato::ProfiloConservato(platform::SettingsStore& store, std::string application)
    : store_(store),
      application_(std::move(application)),
      profilo_(caricaProfilo(store_, application_)) {}

ProfiloConservato::~ProfiloConservato() {
    salvaProfilo(profilo_, store_, application_);
}

}  // namespace provisioning
