#pragma once
// Passwords, the operator list and the history ("story") area.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "instrument/jobs.h"
#include "instrument/nvram.h"
#include "instrument/nvram_map.h"
#include "instrument/options.h"

namespace instrument {

struct Operatore {
    std::int32_t Codice = 0;
    std::string Nome;
    std::int32_t Diritti = 0;
};

// Who changed a job version stored in the history, and when.
struct InfoModificaStory {
    platform::LocalDateTime data{};
    std::int32_t codice = 0;
    std::string operatore;  // "<Remote>" for code 65535, "" for an unknown code
};

class Users {
public:
    static constexpr int kMassimoOperatori = 15;
    static constexpr int kDimRecord = 15;
    static constexpr std::int32_t kTuttiDiritti = 4095;

    Users(Nvram& nvram, const Identity& id, const Options& options, const std::int16_t& estensioni,
          Jobs& jobs)
        : nvram_(nvram), id_(id), options_(options), estensioni_(estensioni), jobs_(jobs) {}

    // Forget the geometry; the next LeggiStatoStory reads it again (a new connection).
    void reset() { statoLetto_ = false; }

    bool ConUtenti() const;
    bool LeggiStatoStory(krnlink::FrameLink& link);
    std::optional<int> LeggiNumeroUtentiTotale();
    std::optional<Operatore> LeggiDatiUtente(int indice);
    std::optional<std::vector<Operatore>> ElencoUtenti();
    bool AggiungiUtente(krnlink::FrameLink& link, std::int32_t codice, const std::string& nome,
                        std::int32_t diritti);
    bool EliminaUtenti(krnlink::FrameLink& link);
    bool PasswordValida(std::int32_t codice);

    std::optional<std::string> LeggiPasswordModificaLavoro() {
        return nvram_.LeggiStringaNVRam(nvmap::PasswordModificaLavoro);
    }
    std::optional<std::string> LeggiPasswordConfigurazione() {
        return nvram_.LeggiStringaNVRam(nvmap::PasswordConfigurazione);
    }
    std::optional<std::string> LeggiPasswordSbloccaScarto() {
        return nvram_.LeggiStringaNVRam(nvmap::PasswordSbloccaScarto);
    }
    bool LeggiAreeConPassword();
    bool PasswordForJobEdit() const { return mascheraAree_ & 0x01; }
    bool PasswordForConfiguration() const { return mascheraAree_ & 0x04; }
    bool PasswordForRejected() const { return mascheraAree_ & 0x08; }
    bool PasswordForCounters() const { return mascheraAree_ & 0x40; }
    bool PasswordForJobSel() const { return mascheraAree_ & 0x80; }
    std::int16_t mascheraAree() const { return mascheraAree_; }

    std::optional<InfoModificaStory> LeggiInfoModificaStory(krnlink::FrameLink& link, int lavoro,
                                                            int versione);
    // Loads a stored version of a job into the job image.
    bool LeggiLavoroStory(krnlink::FrameLink& link, int lavoro, int versione);
    std::string nomeOperatore(std::int32_t codice);

    std::int32_t AddressStory = 0;
    std::int32_t AddressListaUtenti = 0;
    std::int32_t LavoriConStory = 0;
    std::int32_t SizeDatiUtente = 0;
    std::int32_t SizePuntatori = 0;
    std::int32_t CopieMassime = 0;    // geometry byte 4: versions kept per job
    std::int32_t DimRecordStory = 0;  // geometry bytes 5-6: one stored version
    std::int32_t GeometriaRiservata = 0;
    std::vector<std::int32_t> CopieStory;  // per job, index 0 = job 1

private:
    std::optional<std::int32_t> recordAddress(krnlink::FrameLink& link, int lavoro, int versione);
    Nvram& nvram_;
    const Identity& id_;
    const Options& options_;
    const std::int16_t& estensioni_;
    Jobs& jobs_;
    bool statoLetto_ = false;
    std::int16_t mascheraAree_ = 0;
};

}  // namespace instrument
