// An image built for a simulated instrument, loaded into its NVRAM as the format procedure
// leaves it, and read back through the normal configuration read.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "provisioning/display_data.h"
#include "provisioning/image_builder.h"
#include "resources/display_charset.h"
#include "sim/nvram_image.h"
#include "support/image_folder.h"
#include "support/instrument_rig.h"

using namespace provisioning;

namespace {

std::string countedAt(const std::vector<std::uint8_t>& nv, std::uint32_t a) {
    return std::string(nv.begin() + a + 1, nv.begin() + a + 1 + nv[a]);
}
std::uint32_t wordAt(const std::vector<std::uint8_t>& nv, std::uint32_t a) {
    return nv[a] + 256u * nv[a + 1];
}

// Every pointer of a text table lands on the counted text of the slot's entry.
void expectTable(const std::vector<std::uint8_t>& nv, std::uint32_t table, int count,
                 const TestiLingua& texts, const VersioneTesti& v, const char* language) {
    ASSERT_GT(count, 60);
    for (int slot = 1; slot <= count; ++slot) {
        const std::uint32_t pointer = wordAt(nv, table + 2u * static_cast<std::uint32_t>(slot - 1));
        const long entry = voceConSegno(voceDelloSlot(slot, v));
        EXPECT_EQ(countedAt(nv, pointer), resources::toInstrument(texts.at(entry)))
            << language << " slot " << slot;
    }
}

}  // namespace

TEST(ImageRoundTrip, EverySupportedSimulatorProfileReadsTheProfileBack) {
    testing_support::ImageFolder folder("roundtrip");
    folder.shipped();
    struct Case {
        const char* profile;
        CylinderType model;
    };
    for (const Case c :
         {Case{"p17e23", NonElectric}, Case{"p36e51", NonElectric}, Case{"p39e1060", PressaQ8}}) {
        SCOPED_TRACE(c.profile);
        testing_support::InstrumentRig rig(c.profile);
        ASSERT_TRUE(rig.openSerial());
        auto& control = rig.control;
        ParametriImmagine v;
        v.protocollo = control.Protocollo();
        v.estensioni = control.Estensioni();
        v.versione = std::stof(control.Versione());
        v.elettrica = control.identity().PressaElettrica;
        v.memorySize = control.MemorySize();
        v.fbSize = control.identity().FielBusMemorySize;
        CProfilo profilo;
        profilo.Inizializza();
        profilo.Lingua1 = LInglese;
        profilo.Lingua2 = LItaliano;
        profilo.NumeroLavoriStory = 3;
        profilo.TipoElettroPressa = c.model;
        platform::NoProgress none;
        const Immagine im = costruisciImmagine(folder.path(), v, profilo, none);
        ASSERT_TRUE(im.ok) << im.avviso << im.erroreFile;

        const IndirizziImmagine& a = im.indirizzi;
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
        ASSERT_TRUE(
            sim::loadImage(*sim::findProfile(c.profile), rig.instrument.nvram(), im.byte, h));
        ASSERT_TRUE(control.LeggiConfigurazione());
        EXPECT_FALSE(control.UpdateMode());

        EXPECT_EQ(control.Nome(), "KRN Visual");
        EXPECT_EQ(control.configuration().DefaultForzaInizio(), profilo.ForzaDiInizio());
        EXPECT_EQ(control.values().decimaliForza, profilo.decimaliForza());
        EXPECT_EQ(control.values().umForzaIndice, profilo.ForzaInChilonewton() ? 1 : 0);
        EXPECT_EQ(control.IndirizzoLavori(), a.lavoro1);
        EXPECT_EQ(control.DimensioneConfigurazione(), 768 - 46);
        if (v.protocollo >= 33) {
            EXPECT_EQ(control.values().NomeUscitaSetPoint[0], "SetPoint 1");
            EXPECT_EQ(control.values().NomeUscitaSetPoint[1], "SetPoint 2");
        }
        if (v.elettrica) {
            EXPECT_FLOAT_EQ(control.MotorMaxSpeed(), static_cast<float>(profilo.SpeedMaxMMSEC()));
        }

        const auto& nv = rig.instrument.nvram();
        const VersioneTesti tv{v.protocollo, v.estensioni, v.elettrica};
        expectTable(nv, wordAt(nv, 28), im.testiPrincipali,
                    *leggiTestiLingua(folder.path(), LInglese), tv, "English");
        expectTable(nv, wordAt(nv, 214), im.testiSecondi,
                    *leggiTestiLingua(folder.path(), LItaliano), tv, "Italian");
    }
}
