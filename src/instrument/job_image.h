#pragma once
// One job as the instrument control holds it: the header and every phase in engineering units,
// with the phase's checkpoints and tolerance band.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace instrument {

struct CheckPoint {
    std::int32_t tipo =
        0;  // 0 none, 1 speed, 2 min/max, 3 variation, 4 vertical, 5 horizontal, 6 outputs
    float valore1 = 0, valore2 = 0, valore3 = 0, valore4 = 0;
    std::int32_t riservato = 0;
    bool operator==(const CheckPoint&) const = default;
};

struct PuntoFascia {
    float forza = 0;
    float quota = 0;
    bool operator==(const PuntoFascia&) const = default;
};

// The scaling values a phase is decoded and encoded with.
struct ScalaFase {
    int decimaliQuota = 0;
    int decimaliSpeedLavoro = 0;
    int decimaliSpeedPreArresto = 0;
    int decimaliForza = 0;
    int umForza = 0;
    bool operator==(const ScalaFase&) const = default;
};

struct FaseLavoro {
    std::string NomeFase;
    bool FaseAbilitata = false;
    std::vector<std::int32_t> TestInput;    // NumeroMassimoTestInput entries
    std::vector<std::int32_t> EnableInput;  // NumeroMassimoEnableInput entries
    bool QuoteRelative = false, ProvaInTrazione = false, VacuumHolder = false,
         CurvaTastatore = false, EseguiSubitoFaseSuccessiva = false;
    std::int32_t FondoScalaForzaIndice = 0, FondoScalaQuotaIndice = 0;  // bytes 14, 15
    float OrigineQuotaGrafico = 0, ForzaStop = 0, ForzaMin = 0, ForzaMax = 0, ForzaZero = 0,
          QuotaStop = 0, QuotaMin = 0, QuotaMax = 0, QuotaInizioMin = 0, QuotaInizioMax = 0;
    float SetPoint =
        0;  // IncrementoForza / ForzaSetPoint / ForzaFreno or QuotaSetPoint / QuotaFreno
    float SpeedMin = 0, SpeedMax = 0, SupplementareStop = 0, SupplementareMin = 0,
          SupplementareMax = 0, SupplemQuotaMisura = 0, QuotaNascondiAttrito = 0, StopDelay = 0;
    std::uint32_t ArrestoImmediato = 0, BloccoConPassword = 0, BloccoNormale = 0,
                  ScartoSpeciale = 0;
    std::int32_t NumeroRipetizioniFase = 0;
    float FondoScalaQuotaGrafico = 0, FondoScalaForzaGrafico = 0;
    std::int32_t TipoFase = 0, Pressione = 0;
    bool UsaTastatore = false, AttivaFrenoSuForza = false, AttivaFrenoSuQuota = false;
    // Electric-press extension block.
    float QuotaAttesa = 0, QuotaRapido = 0, SpeedRapido = 0, QuotaPreArresto = 0, SpeedContatto = 0,
          SpeedLavoro = 0, SpeedRitorno = 0, SpeedPreArresto = 0;
    std::uint8_t ByteEstensione4 = 0;
    bool LowSpeedWorking = false, LowSpeedAcquiring = false, UltraLowForce = false;

    std::vector<CheckPoint> checkPoint;  // NumeroMassimoCheckPoint slots
    std::int16_t PuntiBordoInferiore = 0, PuntiBordoSuperiore = 0;
    std::vector<PuntoFascia> bordoInferiore, bordoSuperiore;  // 101 points each
    ScalaFase scala;

    bool operator==(const FaseLavoro&) const = default;
    bool LimitiSuTastatore() const { return UsaTastatore; }
    bool LimitiSuQuotaNormali() const { return !UsaTastatore; }
};

struct JobImage {
    std::int32_t PosizioneLavoro = 0;
    std::string NomeLavoro;
    std::string CodiceLavoro;
    std::int32_t NumeroBuoni = 0, NumeroScarti = 0;
    platform::LocalDateTime DataModifiche{};
    std::int32_t NumeroMassimoScarti = 0;
    bool ChiediCodice = false, SpecialJob = false;
    std::int32_t JobID = 0, Parametro = 0, CampioniAutover = 0;
    bool AutoverNoBuoni = false, AutoverNoScarti = false;
    std::int32_t PercentualeScartiMassima = 0, TempoVitaFase = 0;
    bool ChiediConfermaFinePezzo = false, SequeceOfJob = false;
    std::vector<FaseLavoro> fasi;
    bool operator==(const JobImage&) const = default;
};

// The four reject-cause bits of one cause (1-based) in a phase.
struct OpzioniCausaScarto {
    bool ArrestoImmediato = false, BloccoConPassword = false, BloccoNormale = false,
         ScartoSpeciale = false;
};
inline OpzioniCausaScarto causaScarto(const FaseLavoro& f, int causa) {
    const std::uint32_t bit = 1u << (causa - 1);
    return {(f.ArrestoImmediato & bit) != 0, (f.BloccoConPassword & bit) != 0,
            (f.BloccoNormale & bit) != 0, (f.ScartoSpeciale & bit) != 0};
}
inline void setCausaScarto(FaseLavoro& f, int causa, const OpzioniCausaScarto& o) {
    const std::uint32_t bit = 1u << (causa - 1);
    auto put = [bit](std::uint32_t& mask, bool on) { mask = on ? (mask | bit) : (mask & ~bit); };
    put(f.ArrestoImmediato, o.ArrestoImmediato);
    put(f.BloccoConPassword, o.BloccoConPassword);
    put(f.BloccoNormale, o.BloccoNormale);
    put(f.ScartoSpeciale, o.ScartoSpeciale);
}

}  // namespace instrument
