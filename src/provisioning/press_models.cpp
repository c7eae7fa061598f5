#include "provisioning/press_models.h"

#include <array>

#include "provisioning/profilo.h"

namespace provisioning {
namespace {

using G = Gruppo;
// Index = CylinderType. Models 0, 20, 21 and 26 belong to no group.
constexpr std::array<ModelloPressa, kUltimoModello + 1> kModelli = {{
    /* 0  NonElectric       */ {G::Nessuno, 250, 5, 100, 2, 30, 10},
    /* 1  PressaQ1          */ {G::QGrande, 100, 20, 300000, 100, 420, 10},
    /* 2  PressaQ2          */ {G::QGrande, 150, 30, 200000, 100, 420, 10},
    /* 3  PressaQ3          */ {G::QMedio, 100, 100, 120000, 56, 250, 5},
    /* 4  PressaQ4          */ {G::QMedio, 100, 100, 100000, 56, 250, 5},
    /* 5  PressaQ5          */ {G::QMedio, 180, 15, 70000, 56, 250, 10},
    /* 6  PressaQ6          */ {G::QMedio, 200, 160, 70000, 56, 250, 10},
    /* 7  PressaQ7          */ {G::QMedio, 250, 5, 50000, 56, 250, 10},
    /* 8  PressaQ8          */ {G::QPiccolo, 140, 90, 25000, 12, 300, 5},
    /* 9  PressaQ9          */ {G::QPiccolo, 160, 110, 25000, 12, 300, 5},
    /* 10 PressaQ10         */ {G::QPiccolo, 220, 130, 15000, 12, 300, 10},
    /* 11 PressaQ11         */ {G::QPiccolo, 250, 5, 10000, 12, 300, 10},
    /* 12 PressaR1          */ {G::R, 265, 5, 5000, 15, 280, 10},
    /* 13 PressaR2          */ {G::R, 265, 5, 2000, 6, 280, 10},
    /* 14 PressaR3          */ {G::R, 265, 5, 1000, 6, 280, 10},
    /* 15 PressaQ4_SHOWROOM */ {G::QMedio, 100, 100, 100000, 56, 250, 5},
    /* 16 PressaQ4_CUSTA    */ {G::QMedio, 100, 100, 100000, 56, 250, 5},
    /* 17 PressaQ4_CUSTB    */ {G::QMedio, 100, 100, 100000, 56, 250, 5},
    /* 18 PressaQ7_SHOWROOM */ {G::QMedio, 250, 5, 50000, 56, 250, 10},
    /* 19 PressaQ7_CUSTC    */ {G::QMedio, 250, 5, 50000, 56, 250, 10},
    /* 20 PressaW1          */ {G::Nessuno, 160, 625, 22000, 12, 280, 5},
    /* 21 PressaR2_CUSTC    */ {G::Nessuno, 265, 5, 300, 9, 220, 10},
    /* 22 PressaR2_CUSTD    */ {G::R, 265, 5, 2000, 6, 80, 10},
    /* 23 PressaR3_CUSTE    */ {G::R, 265, 5, 1000, 6, 180, 10},
    /* 24 PressaR3_CUSTD    */ {G::R, 265, 5, 1000, 6, 80, 10},
    /* 25 PressaR3_CUSTF    */ {G::R, 265, 5, 1000, 6, 180, 10},
    /* 26 PressaR1_CUSTG    */ {G::Nessuno, 250, 5, 100, 2, 30, 20},
}};

}  // namespace

const ModelloPressa& modelloPressa(std::int32_t tipo) {
    if (tipo < 0 || tipo > kUltimoModello) return kModelli[0];
    return kModelli[static_cast<std::size_t>(tipo)];
}

}  // namespace provisioning
