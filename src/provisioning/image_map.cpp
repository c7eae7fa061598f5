#include "provisioning/image_map.h"

#include "instrument/nvram_map.h"
#include "provisioning/configuration_part.h"

namespace provisioning {
namespace {

namespace nv = instrument::nvmap;

class Lettore {
public:
    explicit Lettore(const std::vector<std::uint8_t>& b) : b_(b) {}
    bool c(std::int32_t a, int n = 1) const {
        return a >= 46 && static_cast<std::size_t>(a - 46 + n) <= b_.size();
    }
    long byte(std::int32_t a) const { return c(a) ? b_[static_cast<std::size_t>(a - 46)] : 0; }
    long parola(std::int32_t a) const { return byte(a) + 256 * byte(a + 1); }
    std::string testo(std::int32_t a) const {
        std::string s;
        for (long i = 1; i <= byte(a) && c(a + static_cast<std::int32_t>(i)); ++i)
            s += static_cast<char>(byte(a + static_cast<std::int32_t>(i)));
        return "\"" + s + "\"";
    }

private:
    const std::vector<std::uint8_t>& b_;
};

}  // namespace

std::vector<RigaMappa> mappaBlocchi(const Immagine& im) {
    const IndirizziImmagine& x = im.indirizzi;
    std::vector<RigaMappa> m;
    const auto riga = [&m](std::int32_t da, std::int32_t dopo, std::string cosa) {
        if (da != 0) m.push_back({da, dopo - 1, std::move(cosa)});
    };
    riga(kPrimoIndirizzoImmagine, x.risorse,
         "configuration (factory values, names, start force, press block)");
    riga(x.risorse, x.font8x10, "resource area: 34, then the unit texts");
    riga(x.font8x10, x.font6x6, "8x10 font (header 12..13)");
    const std::int32_t dopoFont = im.inizioTesti;
    riga(x.font6x6, dopoFont, "6x6 font (header 14..15)");
    // The main texts and the menu line texts lie between the 6x6 font and the menu records.
    riga(dopoFont, x.menuPrincipale,
         "main-language texts (" + std::to_string(im.testiPrincipali) +
             " slots), then its menu line texts");
    riga(x.menuPrincipale, x.menuSecondo != 0 ? x.menuSecondo : x.icone,
         "main-language menu records, 9 bytes each (header 26..27)");
    if (x.menuSecondo != 0) {
        m.back().cosa += "; then the second-language texts (" + std::to_string(im.testiSecondi) +
                         " slots) and menu line texts";
        riga(x.menuSecondo, x.icone, "second-language menu records (header 212..213)");
    }
    riga(x.icone, x.tabellaTesti1, "icons (header 30..31)");
    riga(x.tabellaTesti1, x.tabellaTesti2 != 0 ? x.tabellaTesti2 : x.lavoro1 - 4,
         "first text address table (header 28..29)");
    if (x.tabellaTesti2 != 0)
        riga(x.tabellaTesti2, x.lavoro1 - 4, "second text address table (header 214..215)");
    riga(x.lavoro1 - 4, x.lavoro1, "four zero bytes");
    riga(x.lavoro1, x.fineLavoriFB,
         "job records from job record 1 (header 44..45) to the end of job memory");
    if (x.fineLavoriFB != x.blocco226) riga(x.fineLavoriFB, x.blocco226, "field-bus area");
    riga(x.blocco226, x.fineLavori, "the 226-byte block (header 38..40)");
    m.push_back({x.fineLavori, x.fineLavori,
                 "history area from here to the top of memory (header 18..20)"});
    return m;
}

std::vector<ValoreConfigurazione> decodificaConfigurazione(const std::vector<std::uint8_t>& byte,
                                                           bool elettrica) {
    const Lettore r(byte);
    const auto n = [&](std::int32_t a) { return std::to_string(r.byte(a)); };
    const auto w = [&](std::int32_t a) { return std::to_string(r.parola(a)); };
    std::vector<ValoreConfigurazione> v = {
        {46, "46..49 (job sizes below protocol 31)",
         n(46) + " " + n(47) + " " + n(48) + " " + n(49)},
        {nv::CampioniValidi, "CampioniValidi", n(nv::CampioniValidi)},
        {nv::CampioniAttesaFine, "CampioniAttesaFine", n(nv::CampioniAttesaFine)},
        {nv::DecimaliForza, "decimaliForza, umForza index",
         n(nv::DecimaliForza) + ", " + n(nv::UnitaForza)},
        {nv::DecimaliQuota, "decimaliQuota, umQuota index",
         n(nv::DecimaliQuota) + ", " + n(nv::UnitaQuota)},
        {nv::DecimaliSuppl, "decimaliSuppl, umSuppl index",
         n(nv::DecimaliSuppl) + ", " + n(nv::UnitaSuppl)},
        {72, "product name (text -1, extension below 43)", r.testo(72)},
        {93, "force unit (text -6)", r.testo(93)},
        {nv::Nome, "Nome (text 0)", r.testo(nv::Nome)},
        {nv::LavoriConStory, "jobs with history", n(nv::LavoriConStory)},
        {nv::FiltroForza, "FiltroForza", n(nv::FiltroForza)},
        {nv::NumeroFasi, "phases - 1 (bits 0-1)", n(nv::NumeroFasi)},
        {nv::NomeFreno, "NomeFreno", r.testo(nv::NomeFreno)},
        {nv::DefaultForzaInizio, "DefaultForzaInizio", n(nv::DefaultForzaInizio)},
        {nv::FunzioniInput8, "input functions (8)", n(285) + " " + n(286) + " " + n(287)},
    };
    for (std::int32_t a = 314; a <= 412; a += 14) v.push_back({a, "named slot", r.testo(a)});
    v.push_back({433, "instrument kind (2 electric, 1 other)", n(433)});
    v.push_back(
        {nv::FunzioniInput16, "input functions (16)", n(448) + " " + n(449) + " " + n(450)});
    if (elettrica) {
        v.push_back(
            {blocco::Fotoelettriche, "PressaStandardConFotoelettriche", n(blocco::Fotoelettriche)});
        v.push_back(
            {blocco::Accelerazione, "AccelerazioneMassima x 100", w(blocco::Accelerazione)});
        v.push_back(
            {blocco::Decelerazione, "DecelerazioneMassima x 100", w(blocco::Decelerazione)});
        v.push_back({blocco::DenominatoreGear5, "DenominatoreGear5", w(blocco::DenominatoreGear5)});
        v.push_back({blocco::DecimaliForza, "decimaliForza", n(blocco::DecimaliForza)});
        v.push_back({blocco::ForzaMassima, "ForzaMassimaN",
                     std::to_string(r.parola(blocco::ForzaMassima) +
                                    65536 * r.parola(blocco::ForzaMassima + 2))});
        v.push_back(
            {blocco::QuotaIngrassaggio, "QuotaIngrassaggio x 10",
             std::to_string(static_cast<std::int16_t>(r.parola(blocco::QuotaIngrassaggio)))});
        v.push_back({blocco::PassoInMicron, "PassoInMicron", w(blocco::PassoInMicron)});
        v.push_back({blocco::CorsaUtile, "CorsaUtile", w(blocco::CorsaUtile)});
        v.push_back({blocco::SpeedMax, "SpeedMaxMMSEC x 10 (MotorMaxSpeed)", w(blocco::SpeedMax)});
        v.push_back({blocco::CorrenteMotore, "CorrenteMotoreA", w(blocco::CorrenteMotore)});
        v.push_back(
            {blocco::SensoreTemperatura, "SensoreTemperatura", n(blocco::SensoreTemperatura)});
        v.push_back({blocco::Flag, "press flags (+16 encoder divider 91)", n(blocco::Flag)});
    }
    return v;
}

}  // namespace provisioning
