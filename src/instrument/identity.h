#pragma once
// What the identification learns about the connected instrument: its identity, capabilities,
// limits and memory map. Estensioni, UpdateMode and TastatoreCollegato live in the link's
// flags, where the USB write mode reads them.
#include <cstdint>
#include <string>

#include "instrument/nvram_map.h"
#include "platform/dialogs.h"

namespace instrument {

struct Identity {
    std::int16_t Protocollo = 0;
    // The last identification found the firmware loader running (bit 7 of its first byte).
    // UpdateMode also holds for an NVRAM without signature or format, or an instrument that
    // does not report normal running; only this tells whether the loader answers.
    bool LoaderAttivo = false;
    float versione = 0;  // firmware version, 2.48 for 248
    bool ConOrologio = false;
    bool ConPLC = false;
    std::uint8_t FlagCapacita = 0;
    bool StrumentoConIOT = false;
    bool StrumentoConVIOBUS = false;
    bool PressaElettrica = false;
    bool PressaRaddrizzatrice = false;

    std::int16_t NumeroMassimoFasi = 0;
    std::int16_t NumeroMassimoRipetizioni = 0;
    std::int16_t NumeroLavoriSelezionabili = 0;
    std::int16_t NumeroMassimoCheckPoint = 0;
    std::int16_t NumeroMassimoPuntiFascia = 0;
    std::int16_t NumeroMassimoTestInput = 1;
    std::int16_t NumeroMassimoEnableInput = 0;
    std::int16_t NumeroMassimoIngressi = 0;
    std::int16_t NumeroMassimoUscite = 0;
    std::int16_t MaxLenNome = 13;
    std::int16_t DimTestataLavoro = 0;
    std::int16_t DimFaseBase = 0;
    std::int16_t DimFaseExtra = 0;
    std::int16_t DimCheckPoint = 7;
    std::int16_t DimStatoStrumento = 0;  // status record of the status polling
    std::int16_t LunghezzaCodiceLavoro = 13;
    std::int16_t PosizioneCodiceLavoro = 44;

    std::int32_t IndirizzoConfigurazione = nvmap::IndirizzoConfigurazione;
    std::int32_t FineConfigurazione = 0;
    std::int32_t IndirizzoLavori = 0;
    std::int32_t FineMemoriaLavori = 0;
    std::int32_t MemorySize = 0;
    std::int32_t FielBusMemorySize = 0;
    std::int32_t BufferSize = 0;

    std::int16_t DimFase() const {
        return static_cast<std::int16_t>(DimFaseExtra + DimFaseBase +
                                         NumeroMassimoCheckPoint * DimCheckPoint +
                                         2 * (4 * NumeroMassimoPuntiFascia + 1));
    }
    std::int32_t DimensioneLavori() const {
        return NumeroMassimoFasi * static_cast<std::int32_t>(DimFase()) + DimTestataLavoro;
    }
    std::int16_t DimensioneConfigurazione() const {
        return static_cast<std::int16_t>(FineConfigurazione - IndirizzoConfigurazione);
    }
};

// Long operations report on a platform::Progress given by their caller: they only call
// update(done), with the count or percentage their comment names, and stop when it answers
// false; start(total) and stop(ok) belong to the caller, who owns the display. Callers that do
// not show progress pass nothing and get this one.
inline platform::Progress& nessunProgresso() {
    static platform::NoProgress none;
    return none;
}

}  // namespace instrument
