#pragma once
// Identifying the instrument: commands 1, 29, 31 and 39, the capability flags, the limits, and
// the numbers derived from protocol and extension level.
#include <cstdint>

#include "instrument/identity.h"
#include "instrument/nvram.h"
#include "link/frame_link.h"

namespace instrument {

class Identification {
public:
    Identification(krnlink::FrameLink& link, Nvram& nvram, Identity& id)
        : link_(link), nvram_(nvram), id_(id) {}

    bool LeggiIdentita();
    bool LeggiCapacita();
    void DecodificaEstensioni(std::uint8_t flag);
    // True with an answer of at least two bytes; otherwise the version is 0. `scambioRiuscito`
    // tells a short answer (the exchange succeeded) from a failed exchange.
    bool LeggiVersione(bool* scambioRiuscito = nullptr);

    std::int16_t FormatoNVRAM() const;
    std::int16_t FormatoFONT() const;
    bool MemoriaPerLavoro(std::int32_t numeroLavori) const;
    // Protocols this tool knows how to work with.
    bool ProtocolloSupportato() const;

private:
    // False when the open was given up between two probes.
    bool calibrateUsbDelay();
    krnlink::FrameLink& link_;
    Nvram& nvram_;
    Identity& id_;
};

// NVRAM format number expected at address 11, for a protocol and extension level.
std::int16_t formatoNVRAM(std::int16_t protocollo, std::int16_t estensioni, bool pressaElettrica);

}  // namespace instrument
