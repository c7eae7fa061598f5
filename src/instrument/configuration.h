#pragma once
// The configuration area: the reread that follows every open (identification, memory map,
// values the control decodes), and the values the service commands read and change.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "instrument/identification.h"
#include "instrument/identity.h"
#include "instrument/io_functions.h"
#include "instrument/nvram.h"
#include "instrument/nvram_map.h"
#include "instrument/options.h"
#include "instrument/press_control.h"

namespace instrument {

struct ConfigurationValues {
    std::uint8_t decimaliForza = 0, umForzaIndice = 0;
    std::uint8_t decimaliForza2 = 0, umForza2Indice = 0;
    std::uint8_t decimaliQuota = 0, umQuotaIndice = 0;
    std::uint8_t decimaliSuppl = 0, umSupplIndice = 0;
    std::string NomeFreno;
    std::array<std::string, 3> NomeUscitaSetPoint;
    float MotorMaxSpeed = 0;
    std::int32_t ContaColpi = 0;
    std::uint8_t CoefDeformazioneA = 0, CoefDeformazioneB = 0;
    std::array<double, 4> FattoriForza{1, 100, 0.1, 1};
    std::array<double, 4> FattoriQuota{1, 25.4, 0.001, 1000};
};

class Configuration {
public:
    Configuration(krnlink::FrameLink& link, Nvram& nvram, Identity& id, Identification& ident,
                  Options& options, PressControl& press, IoFunctions& io,
                  ConfigurationValues& values)
        : link_(link),
          nvram_(nvram),
          id_(id),
          ident_(ident),
          options_(options),
          press_(press),
          io_(io),
          v_(values) {}

    // Clears the press-lock state and rereads; what every channel open ends with.
    bool LeggiConfigurazione();
    // stato: 0 normal, 3 NVRAM signature missing, 4 NVRAM format number differs (both true,
    // with UpdateMode set).
    bool RileggiConfigurazione(int& stato);
    bool LeggiMainInfo();
    bool LeggiInfoStrumento();
    bool LeggiNomeStrumento();
    // The set-point function name (NVRAM 255, "Brake" where the generation has none) into
    // NomeFreno.
    bool LeggiNomeFreno();
    bool LeggiVelocitaMotore();
    bool LeggiStatoFunzionamento();
    // stato of the last reread: 0, 3 or 4.
    int ultimoStato() const { return ultimoStato_; }

    std::optional<std::uint8_t> CampioniValidi() {
        return nvram_.ReadNVRam1Byte(nvmap::CampioniValidi);
    }
    bool WriteCampioniValidi(std::uint8_t v) {
        return nvram_.WriteNVRam1Byte(nvmap::CampioniValidi, v);
    }
    std::optional<std::uint8_t> CampioniAttesaFine() {
        return nvram_.ReadNVRam1Byte(nvmap::CampioniAttesaFine);
    }
    bool WriteCampioniAttesaFine(std::uint8_t v) {
        return nvram_.WriteNVRam1Byte(nvmap::CampioniAttesaFine, v);
    }
    std::optional<std::uint8_t> FiltroForza() { return nvram_.ReadNVRam1Byte(nvmap::FiltroForza); }
    bool WriteFiltroForza(std::uint8_t v);
    std::optional<std::uint8_t> DefaultForzaInizio() {
        return nvram_.ReadNVRam1Byte(nvmap::DefaultForzaInizio);
    }
    bool WriteDefaultForzaInizio(std::uint8_t v) {
        return nvram_.WriteNVRam1Byte(nvmap::DefaultForzaInizio, v);
    }
    bool LeggiCoefDeformazione();
    // Both bytes, then the restart, which reports its progress on p.
    bool WriteCoefDeformazione(std::uint8_t a, std::uint8_t b,
                               platform::Progress& p = nessunProgresso());
    bool LeggiContaColpi();
    bool WriteContaColpi(std::int32_t contatore);
    bool ScriviNome(const std::string& nome);

    // Unit codes as callers see them.
    std::int16_t umForza() const;
    std::int16_t umQuota() const { return v_.umQuotaIndice == 0 ? 1 : v_.umQuotaIndice; }
    std::int16_t umSuppl() const { return 1; }

private:
    bool reread(int& stato);
    bool readUnits();
    bool readDerivedCounts();
    bool readMemoryMap();
    void resetFactorTables();

    krnlink::FrameLink& link_;
    Nvram& nvram_;
    Identity& id_;
    Identification& ident_;
    Options& options_;
    PressControl& press_;
    IoFunctions& io_;
    ConfigurationValues& v_;
    int ultimoStato_ = 0;
};

}  // namespace instrument
