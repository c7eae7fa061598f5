#pragma once
// CProfilo: how a freshly formatted instrument is to be set up (languages, date format, history,
// name, what it is mounted on, the electric press model, the customer's options). Every
// mechanical and electrical constant of the press is derived from the model through the table
// in press_models.cpp; nothing is cached.
#include <cstdint>
#include <string>

namespace platform {
class SettingsStore;
}

namespace provisioning {

enum IdLanguage : std::int32_t {
    LItaliano = 0,
    LInglese = 1,
    LFrancese = 2,
    LSpagnolo = 3,
    LTedesco = 4,
    LCeco = 5
};
enum DestinationType : std::int32_t { CompletePress = 0, CylinderAlone = 1, Lumbro = 2 };
enum CylinderType : std::int32_t {
    NonElectric = 0,
    PressaQ1 = 1,
    PressaQ2 = 2,
    PressaQ3 = 3,
    PressaQ4 = 4,
    PressaQ5 = 5,
    PressaQ6 = 6,
    PressaQ7 = 7,
    PressaQ8 = 8,
    PressaQ9 = 9,
    PressaQ10 = 10,
    PressaQ11 = 11,
    PressaR1 = 12,
    PressaR2 = 13,
    PressaR3 = 14,
    PressaQ4_SHOWROOM = 15,
    PressaQ4_CUSTA = 16,
    PressaQ4_CUSTB = 17,
    PressaQ7_SHOWROOM = 18,
    PressaQ7_CUSTC = 19,
    PressaW1 = 20,
    PressaR2_CUSTC = 21,
    PressaR2_CUSTD = 22,
    PressaR3_CUSTE = 23,
    PressaR3_CUSTD = 24,
    PressaR3_CUSTF = 25,
    PressaR1_CUSTG = 26,
};
inline constexpr std::int32_t kUltimoModello = PressaR1_CUSTG;

// The results of the provisioning operations are instrument::ErrPR (instrument/connection.h), the
// steps of the format procedure service::IdProcess.

// Where the four remembered values live in the per-user settings store.
inline constexpr const char* kSezioneProfilo = "Profilo0";
inline constexpr const char* kChiaveLingua1 = "Lingua1";
inline constexpr const char* kChiaveLingua2 = "Lingua2";
inline constexpr const char* kChiaveFormatoOra = "FormatoOra";
inline constexpr const char* kChiaveLavoriConStoria = "LavoriConStoria";
inline constexpr std::int16_t kMassimoLavoriConStoria = 60;
inline constexpr std::int32_t kMemoriaStoryNormale = 60000;

class CProfilo {
public:
    // A profile with the values of Inizializza, except the name "KRNVisual".
    CProfilo();

    std::int16_t Lingua1 = LItaliano;
    std::int16_t Lingua2 = LInglese;
    std::int16_t NumeroLavoriStory = 0;
    std::int32_t MemoriaStory = kMemoriaStoryNormale;
    std::string NomeStrumento;
    std::int16_t FormatoOra = 0;
    DestinationType Destination = CompletePress;
    bool NonUsareCylChip = false;
    CylinderType TipoElettroPressa = NonElectric;
    std::int16_t NumeroCesti = 0;
    std::int16_t NumeroRossi = 1;
    bool ConNomiLumbro = false;
    bool ConValvolaRitornoLeva = false;
    bool ConValvolaAperturaBuoni = false;
    bool ConValvolaSlitta = false;
    bool ConChiaveManutenzione = false;
    bool ConSensoreCestoPronto = false;
    bool ConIngressiMetro = false;
    bool ConUscitaMetro = false;
    bool perVESSALINE = false;
    bool perMECCANICA = false;

    // Every field back to its starting value (name "VARNOLIDE").
    void Inizializza();

    // Derived from the model (and Destination for the photocells).
    bool Electric() const;
    bool SensoreTemperatura() const;
    bool ConCylChip() const;
    bool EncoderDiv32() const;
    bool EncoderDiv91() const;
    bool EncoderDiv189() const;
    std::int16_t SpeedMaxMMSEC() const;
    std::int16_t DenominatoreGear5() const;
    std::int16_t PassoInMicron() const;
    std::int32_t BassaForzaN() const;
    std::int32_t ForzaMassimaN() const;
    std::int16_t CorrenteMotoreA() const;
    bool ForzaInChilonewton() const;
    std::int16_t decimaliForza() const;
    std::int16_t CorsaUtile() const;
    std::int16_t ForzaDiInizio() const;
    float AccelerazioneMassima() const;
    float DecelerazioneMassima() const;
    bool PressaStandardConFotoelettriche() const;
    float QuotaIngrassaggio() const;
};

// The profile as the connection controller creates it: the four remembered values read from
// the settings store (history jobs cut at 60), history memory 60000, name "KRNVisual".
CProfilo caricaProfilo(const platform::SettingsStore& store, const std::string& application);
// Writes the four remembered values back, as decimal texts.
void salvaProfilo(const CProfilo& profilo, platform::SettingsStore& store,
                  const std::string& application);

// The controller's profile: loaded when made, its remembered values written back when destroyed.
class ProfiloConservato {
public:
    ProfiloConservato(platform::SettingsStore& store, std::string application);
    ~ProfiloConservato();
    ProfiloConservato(const ProfiloConservato&) = delete;
    ProfiloConservato& operator=(const ProfiloConservato&) = delete;
    CProfilo& profilo() { return profilo_; }

private:
    platform::SettingsStore& store_;
    std::string application_;
    CProfilo profilo_;
};

}  // namespace provisioning
