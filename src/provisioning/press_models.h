#pragma once
// The per-model constants of the electric presses, one row per model, in one table.
#include <cstdint>

namespace provisioning {

enum class Gruppo { Nessuno, QGrande, QMedio, QPiccolo, R };

struct ModelloPressa {
    Gruppo gruppo;
    std::int16_t speedMaxMMSEC;
    std::int16_t figuraGear;  // the stored gear figure; DenominatoreGear5 is a fifth of it
    std::int32_t forzaMassimaN;
    std::int16_t correnteMotoreA;
    std::int16_t corsaUtile;
    std::int16_t passoInMicron;
};

// The row of a model value; values outside 0..26 take the row of a non-electric machine.
const ModelloPressa& modelloPressa(std::int32_t tipo);

}  // namespace provisioning
