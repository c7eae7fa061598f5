#include "provisioning/display_data.h"

#include <array>

#include "resources/language_files.h"

namespace provisioning {
namespace {

// The renumbering chain: each rule moves a run of slots to a run of entries when its condition
// holds; a later rule overrides an earlier one. See docs/display-texts.md.
struct RegolaSlot {
    bool (*condizione)(const VersioneTesti&);
    int primoSlot;
    int quantiSlot;
    long primaVoce;  // 16-bit form
};
constexpr std::array<RegolaSlot, 3> kCatena = {{
    {[](const VersioneTesti& v) { return v.protocollo < 15; }, 5, 1, 65536 - 7},
    {[](const VersioneTesti& v) { return v.estensioni < 39; }, 62, 9, 65536 - 24},
    {[](const VersioneTesti& v) { return v.elettrica; }, 30, 4, 65536 - 5},
}};

std::optional<std::string> traVirgolette(const std::string& riga) {
    const std::size_t a = riga.find('"');
    if (a == std::string::npos) return std::nullopt;
    const std::size_t b = riga.find('"', a + 1);
    if (b == std::string::npos) return std::nullopt;
    return riga.substr(a + 1, b - a - 1);
}

}  // namespace

TestiLingua testiDaRighe(const std::vector<std::string>& righe) {
    TestiLingua testi;
    for (const std::string& riga : righe) {
        const std::string t = resources::trimBlanks(riga);
        if (t.empty() || !(t[0] == '-' || (t[0] >= '0' && t[0] <= '9'))) continue;
        const std::size_t a = t.find('"');
        const std::size_t b = t.rfind('"');
        if (a == std::string::npos || b == a) continue;
        testi.emplace(resources::leadingValue(t), t.substr(a + 1, b - a - 1));
    }
    return testi;
}

std::optional<TestiLingua> leggiTestiLingua(const std::string& folder, int lingua) {
    const resources::LanguageFiles* l = resources::language(lingua);
    if (l == nullptr) return std::nullopt;
    const auto righe = resources::readRawLines(resources::joinPath(folder, l->textFile));
    if (!righe) return std::nullopt;
    return testiDaRighe(*righe);
}

long voceDelloSlot(int slot, const VersioneTesti& v) {
    long voce = slot;
    for (const RegolaSlot& r : kCatena)
        if (slot >= r.primoSlot && slot < r.primoSlot + r.quantiSlot && r.condizione(v))
            voce = r.primaVoce + (slot - r.primoSlot);
    return voce;
}

MenuLingua menuDaRighe(const std::vector<std::string>& righe) {
    MenuLingua m;
    std::size_t i = 0;
    for (; i < righe.size() && !righe[i].empty() && righe[i][0] == '"' &&
           m.testiRighe.size() < kMassimoRigheMenu;
         ++i)
        m.testiRighe.push_back(traVirgolette(righe[i]).value_or(std::string()));
    for (; i < righe.size(); ++i)
        if (!resources::trimBlanks(righe[i]).empty()) m.record.push_back(righe[i]);
    return m;
}

std::optional<MenuLingua> leggiMenuLingua(const std::string& folder, int lingua) {
    const resources::LanguageFiles* l = resources::language(lingua);
    if (l == nullptr) return std::nullopt;
    const auto righe = resources::readRawLines(resources::joinPath(folder, l->menuFile));
    if (!righe) return std::nullopt;
    return menuDaRighe(*righe);
}

RecordMenu recordDaRiga(const std::string& riga) {
    std::vector<long> campi;
    std::size_t inizio = 0;
    while (campi.size() < 6) {
        const std::size_t virgola = riga.find(',', inizio);
        campi.push_back(
            resources::leadingValue(resources::trimBlanks(riga.substr(inizio, virgola - inizio))));
        if (virgola == std::string::npos) break;
        inizio = virgola + 1;
    }
    campi.resize(6, 0);
    RecordMenu r;
    r.righe = campi[0];
    r.icona = campi[1];
    r.campoValore = campi[2];
    for (long k = 0; k < 3; ++k)
        r.codici[k] = k < r.righe ? campi[static_cast<std::size_t>(3 + k)] : 0;
    return r;
}

long campoValorePer(long campo, std::int16_t estensioni) {
    if (estensioni >= 25) {
        if (campo == 174) return 42;
        if (campo == 159) return 31;
    }
    return campo;
}

long parolaDelCodice(long codice, const std::vector<std::int32_t>& indirizziRighe) {
    if (codice >= 1000 && codice <= 1015) return 65520 + (codice - 1000);
    if (codice >= 1 && codice < 1000 && static_cast<std::size_t>(codice) <= indirizziRighe.size())
        return indirizziRighe[static_cast<std::size_t>(codice - 1)];
    return 0;
}

}  // namespace provisioning
