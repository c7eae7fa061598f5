#pragma once
// Reading and writing whole jobs between NVRAM and the job image, the status command that names
// the current job, and the job counts.
#include <cstdint>
#include <optional>
#include <string>

#include "instrument/configuration.h"
#include "instrument/identification.h"
#include "instrument/job_image.h"
#include "instrument/job_scaling.h"
#include "instrument/nvram.h"
#include "platform/dialogs.h"

namespace instrument {

struct FieldWrite;

// The answer of the status command 9.
struct StatoStrumento {
    std::uint8_t byte1 = 0, byte2 = 0;
    std::uint8_t LavoroCorrente = 0;
    std::uint8_t FaseCorrente = 0;      // low nibble of byte 4
    std::uint8_t LavoroModificato = 0;  // high nibble of byte 4
};

class Jobs {
public:
    Jobs(krnlink::FrameLink& link, Nvram& nvram, const Identity& id, const Identification& ident,
         const ConfigurationValues& values)
        : link_(link), nvram_(nvram), id_(id), ident_(ident), values_(values) {}

    JobImage& image() { return image_; }
    void setDialogs(platform::Dialogs* d) { dialogs_ = d; }

    // An empty image sized for the connected instrument.
    void preparaImmagine();
    // Loads job `numero` (<= 0: the current job) into the image, reporting the phases read. A
    // field the generation does not store, or an invalid stored date, keeps its value.
    bool LeggiLavoro(std::int32_t numero, platform::Progress& progress = nessunProgresso());
    // Writes the image as job `numero` (<= 0: the current job), reporting the phases written.
    bool ScriviLavoro(std::int32_t numero, platform::Progress& progress = nessunProgresso());
    std::optional<StatoStrumento> LeggiStato();
    std::optional<std::int32_t> LeggiTotaleLavori();
    std::optional<std::string> LeggiNomeLavoro(std::int32_t numero);
    std::optional<std::uint8_t> LeggiFasiAbilitate(std::int32_t numero);
    std::optional<std::uint8_t> LeggiRipetizioniFase(std::int32_t numero, int fase);
    bool SetModificaRemota();
    bool ResetModificaRemota();
    // Command 42: makes job n the current one.
    bool CambiaLavoro3(std::uint8_t numero);

    std::int32_t indirizzoLavoro(std::int32_t numero) const {
        return id_.IndirizzoLavori + (numero - 1) * id_.DimensioneLavori();
    }
    // Decodes a whole job record held in memory (used for stored history versions too).
    void decodeRecord(const std::vector<std::uint8_t>& record, JobImage& job) const;
    bool interrupted = false;

private:
    // A one-byte argument; true when the exchange succeeded with exactly one answer byte.
    bool oneByteAnswer(std::uint8_t code, std::uint8_t argument);
    JobContext context() const { return {id_, link_.flags.Estensioni, values_}; }
    bool phaseChecks(std::int32_t numero, int fase);
    bool writeFields(std::int32_t base, const std::vector<FieldWrite>& fields);
    // Sizes the image for the instrument, keeping the values it holds.
    void dimensionaImmagine();
    bool phaseDone(std::size_t fase, platform::Progress& progress);

    krnlink::FrameLink& link_;
    Nvram& nvram_;
    const Identity& id_;
    const Identification& ident_;
    const ConfigurationValues& values_;
    platform::Dialogs* dialogs_ = nullptr;
    JobImage image_;
};

}  // namespace instrument
