#pragma once
// A simulated instrument as a format leaves it: the NVRAM image built for a profile from a
// program folder, loaded with its header pointers and signature, and the link closed again.
#include <string>

#include "platform/dialogs.h"
#include "provisioning/image_builder.h"
#include "sim/nvram_image.h"
#include "support/instrument_rig.h"

namespace testing_support {

// Loads the image into the simulated NVRAM as the format procedure leaves it.
inline bool loadIntoSimulator(InstrumentRig& rig, const provisioning::Immagine& im) {
    const provisioning::IndirizziImmagine& a = im.indirizzi;
    const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
    sim::ImageHeader h{u(a.font8x10),      u(a.font6x6),    u(a.risorse),     u(a.menuPrincipale),
                       u(a.tabellaTesti1), u(a.icone),      u(a.menuSecondo), u(a.tabellaTesti2),
                       u(a.lavoro1),       u(a.fineLavori), u(a.blocco226),   u(a.fineLavoriFB)};
    h.fontFormat = static_cast<std::uint8_t>(rig.control.FormatoFONT());
    return sim::loadImage(rig.instrument.profile(), rig.instrument.nvram(), im.byte, h);
}

// Builds the image for the instrument of the rig and loads it; the image (ok false on failure).
inline provisioning::Immagine formatWithImage(InstrumentRig& rig, const std::string& folder,
                                              const provisioning::CProfilo& profilo) {
    provisioning::Immagine im;
    if (!rig.openSerial()) return im;
    platform::NoProgress none;
    im = provisioning::costruisciImmagine(folder, provisioning::parametriStrumento(rig.control),
                                          profilo, none);
    if (im.ok) im.ok = loadIntoSimulator(rig, im);
    rig.control.ChiudiPortaComunicazione();
    rig.instrument.clearLog();
    return im;
}

}  // namespace testing_support
