#pragma once
// An instrument formatted with an image: the image builder run for the version the connected
// control read, and the image loaded into the simulated NVRAM with the header pointers, as the
// format procedure leaves it.
#include <string>

#include "platform/dialogs.h"
#include "provisioning/image_builder.h"
#include "sim/nvram_image.h"
#include "support/instrument_rig.h"

namespace testing_support {

struct FormattedImage {
    provisioning::ParametriImmagine version;
    provisioning::Immagine image;
    bool loaded = false;
};

inline FormattedImage formatWithImage(InstrumentRig& rig, const std::string& folder,
                                      const provisioning::CProfilo& profilo) {
    FormattedImage f;
    instrument::UCKRNVisual& control = rig.control;
    provisioning::ParametriImmagine& v = f.version;
    v.protocollo = control.Protocollo();
    v.estensioni = control.Estensioni();
    v.versione = std::stof(control.Versione());
    v.elettrica = control.identity().PressaElettrica;
    v.memorySize = control.MemorySize();
    v.fbSize = control.identity().FielBusMemorySize;
    platform::NoProgress none;
    f.image = provisioning::costruisciImmagine(folder, v, profilo, none);
    if (!f.image.ok) return f;
    const provisioning::IndirizziImmagine& a = f.image.indirizzi;
    sim::ImageHeader h;
    h.font8x10 = a.font8x10;
    h.font6x6 = a.font6x6;
    h.resources = a.risorse;
    h.menu = a.menuPrincipale;
    h.textTable = a.tabellaTesti1;
    h.icons = a.icone;
    h.menu2 = a.menuSecondo;
    h.textTable2 = a.tabellaTesti2;
    h.jobAddress = a.lavoro1;
    h.endOfJobMemory = a.fineLavori;
    h.block226 = a.blocco226;
    h.endOfJobMemoryFB = a.fineLavoriFB;
    f.loaded = sim::loadImage(rig.instrument.profile(), rig.instrument.nvram(), f.image.byte, h);
    return f;
}

}  // namespace testing_support
