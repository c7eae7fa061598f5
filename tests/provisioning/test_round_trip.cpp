// An image built for a simulated instrument, loaded into its NVRAM as the format procedure
// leaves it, and read back through the normal configuration read.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "provisioning/display_data.h"
#include "provisioning/image_builder.h"
#include "resources/display_charset.h"
#include "support/formatted_image.h"
#include "support/image_folder.h"

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
    const std::pair<const char*, CylinderType> cases[] = {
        {"p17e23", NonElectric}, {"p36e51", NonElectric}, {"p39e1060", PressaQ8}};
    for (const auto& [name, model] : cases) {
        SCOPED_TRACE(name);
        testing_support::InstrumentRig rig(name);
        ASSERT_TRUE(rig.openSerial());
        auto& control = rig.control;
        CProfilo profilo;
        profilo.Inizializza();
        profilo.Lingua1 = LInglese;
        profilo.Lingua2 = LItaliano;
        profilo.NumeroLavoriStory = 3;
        profilo.TipoElettroPressa = model;
        const testing_support::FormattedImage f =
            testing_support::formatWithImage(rig, folder.path(), profilo);
        ASSERT_TRUE(f.image.ok) << f.image.avviso << f.image.erroreFile;
        ASSERT_TRUE(f.loaded);
        const ParametriImmagine& v = f.version;
        const IndirizziImmagine& a = f.image.indirizzi;
        const Immagine& im = f.image;
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
