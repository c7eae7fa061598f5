#pragma once
// The functions assigned to the instrument's digital inputs and outputs, and their names.
#include <array>
#include <cstdint>
#include <string>

#include "instrument/identity.h"
#include "instrument/nvram.h"

namespace instrument {

class IoFunctions {
public:
    IoFunctions(Nvram& nvram, const Identity& id, const std::int16_t& estensioni)
        : nvram_(nvram), id_(id), estensioni_(estensioni) {}

    // Reads both tables for the generation, renumbers inputs 26/27, evaluates the
    // piece-finished event. False at the first failed read.
    bool LeggiFunzioniIO();
    std::string NomeInput(int indice) const;
    std::string NomeOutput(int indice) const;
    bool zzConEventoPezzoFinito() const { return conEventoPezzoFinito_; }

    std::array<std::int32_t, 16> FunzioniInput{};
    std::array<std::int32_t, 16> FunzioniOutput{};

private:
    Nvram& nvram_;
    const Identity& id_;
    const std::int16_t& estensioni_;
    bool conEventoPezzoFinito_ = true;
};

// The name of an input or output function code on a generation; "" when the code has none.
std::string nomeFunzioneInput(int code, std::int16_t estensioni, bool elettrica);
std::string nomeFunzioneOutput(int code, bool elettrica);

}  // namespace instrument
