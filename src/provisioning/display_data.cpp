#include "provisioning/display_data.h"

#include <algorithm>
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

// The length of the whole number at the start of t ("-" and digits), 0 when there is none.
std::size_t numeroIniziale(const std::string& t) {
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const std::size_t cifre = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return i > cifre ? i : 0;
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

// A record field: a whole number alone, or (the last one) a whole number then blanks and text.
bool campoNumerico(const std::string& campo, bool ultimo) {
    const std::string t = resources::trimBlanks(campo);
    const std::size_t n = numeroIniziale(t);
    return n > 0 && (n == t.size() || (ultimo && blank(t[n])));
}

// The lines of one of the language's files, checked; nothing (with the problem) when the file
// cannot be read or check finds a line at fault.
template <typename T>
std::optional<T> leggiRisorsa(
    const std::string& percorso,
    std::optional<backup::FileProblem> (*check)(const std::vector<std::string>&),
    T (*interpreta)(const std::vector<std::string>&), backup::FileProblem* problema) {
    platform::FileProblem illeggibile;
    const auto righe =
        resources::readRawLines(percorso, platform::FileKind::DisplayText, &illeggibile);
    if (!righe) {
        if (problema) *problema = {static_cast<int>(illeggibile.line), illeggibile.reason};
        return std::nullopt;
    }
    if (const auto errata = check(*righe)) {
        if (problema) *problema = *errata;
        return std::nullopt;
    }
    return interpreta(*righe);
}

}  // namespace

std::optional<backup::FileProblem> rigaTestiErrata(const std::vector<std::string>& righe) {
    std::map<long, int> viste;
    for (std::size_t i = 0; i < righe.size(); ++i) {
        const int riga = static_cast<int>(i) + 1;
        const std::string t = resources::trimBlanks(righe[i]);
        if (t.empty() || t[0] == ';') continue;  // blank lines and comments
        const std::size_t n = numeroIniziale(t);
        const std::size_t a = t.find('"');
        if (n == 0 || n == t.size() || !blank(t[n]) || a == std::string::npos ||
            resources::trimBlanks(t.substr(n)).front() != '"' || t.back() != '"' ||
            t.size() - 1 == a)
            return backup::FileProblem{riga, "not an entry (number, blank, text in double quotes)"};
        const auto [prima, nuova] = viste.emplace(resources::leadingValue(t), riga);
        if (!nuova)
            return backup::FileProblem{riga, "entry " + std::to_string(prima->first) +
                                                 " is given twice (first on line " +
                                                 std::to_string(prima->second) + ")"};
    }
    // A file without a single entry is empty or cut short, and the image would show garbage. A
    // main language without text 1 is a language of its own (its first table stays empty).
    if (viste.empty())
        return backup::FileProblem{static_cast<int>(std::max<std::size_t>(righe.size(), 1)),
                                   "it holds no entry: the file is empty or cut short"};
    return std::nullopt;
}

std::optional<backup::FileProblem> rigaMenuErrata(const std::vector<std::string>& righe) {
    std::size_t i = 0;
    std::size_t record = 0;
    for (; i < righe.size() && !righe[i].empty() && righe[i][0] == '"' && i < kMassimoRigheMenu;
         ++i)
        if (!traVirgolette(righe[i]))
            return backup::FileProblem{static_cast<int>(i) + 1,
                                       "the menu line has no closing double quote"};
    const std::size_t righeTabella = i;
    for (; i < righe.size(); ++i) {
        if (resources::trimBlanks(righe[i]).empty()) continue;
        std::vector<std::string> campi;
        for (std::size_t inizio = 0;;) {
            const std::size_t virgola = righe[i].find(',', inizio);
            campi.push_back(righe[i].substr(inizio, virgola - inizio));
            if (virgola == std::string::npos) break;
            inizio = virgola + 1;
        }
        const long usate = campoNumerico(campi[0], false) ? resources::leadingValue(campi[0]) : -1;
        const std::size_t servono = 3 + static_cast<std::size_t>(std::max(usate, 0L));
        bool ok = usate >= 0 && usate <= 3 && campi.size() >= servono;
        for (std::size_t k = 0; ok && k < servono; ++k)
            ok = campoNumerico(campi[k], k + 1 == servono);
        if (!ok)
            return backup::FileProblem{
                static_cast<int>(i) + 1,
                "not a menu record (lines used 0..3, icon, value field, one code per line, "
                "separated by commas)"};
        ++record;
    }
    if (righeTabella == 0 || record == 0)
        return backup::FileProblem{static_cast<int>(std::max<std::size_t>(righe.size(), 1)),
                                   "it holds no menu line or no menu record: the file is empty "
                                   "or cut short"};
    return std::nullopt;
}

std::optional<backup::FileProblem> fontErrato(const std::vector<std::string>& righe,
                                              std::size_t valori) {
    std::size_t contati = 0;
    for (std::size_t i = 0; i < righe.size(); ++i) {
        const std::string t = resources::trimBlanks(righe[i]);
        if (t.empty()) continue;
        if (t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(t) > 255)
            return backup::FileProblem{static_cast<int>(i) + 1, "not a number 0..255"};
        ++contati;
    }
    if (valori == 0 ? contati == 0 : contati != valori)
        return backup::FileProblem{
            static_cast<int>(std::max<std::size_t>(righe.size(), 1)),
            valori == 0 ? std::string("it holds no row: the file is empty")
                        : "it holds " + std::to_string(contati) + " rows, the font needs " +
                              std::to_string(valori) + " (its characters times their rows)"};
    return std::nullopt;
}

std::optional<FileRifiutato> controllaFileImmagine(const std::string& cartella) {
    const auto controlla = [](const std::string& file,
                              auto&& check) -> std::optional<FileRifiutato> {
        platform::FileProblem illeggibile;
        const auto righe = resources::readRawLines(file,
                                                   file.find("Font") != std::string::npos
                                                       ? platform::FileKind::Font
                                                       : platform::FileKind::DisplayText,
                                                   &illeggibile);
        if (!righe)
            return FileRifiutato{file, {static_cast<int>(illeggibile.line), illeggibile.reason}};
        if (auto errata = check(*righe)) return FileRifiutato{file, *errata};
        return std::nullopt;
    };
    for (const auto& [nome, valori] :
         {std::pair{"Font8x10.asm", kValoriFont8x10}, std::pair{"Font6x6.asm", kValoriFont6x6}})
        if (auto r = controlla(resources::joinPath(cartella, nome),
                               [v = valori](const auto& righe) { return fontErrato(righe, v); }))
            return r;
    for (int lingua = 0; lingua < resources::kLanguageCount; ++lingua) {
        const resources::LanguageFiles* l = resources::language(lingua);
        for (const auto& [nome, check] :
             {std::pair{l->textFile, &rigaTestiErrata}, std::pair{l->menuFile, &rigaMenuErrata}}) {
            const std::string file = resources::joinPath(cartella, nome);
            if (platform::pathKind(file) == platform::PathKind::Missing) continue;
            if (auto r = controlla(file, check)) return r;
        }
    }
    return std::nullopt;
}

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

std::optional<TestiLingua> leggiTestiLingua(const std::string& folder, int lingua,
                                            backup::FileProblem* problema) {
    const resources::LanguageFiles* l = resources::language(lingua);
    if (l == nullptr) return std::nullopt;
    return leggiRisorsa(resources::joinPath(folder, l->textFile), &rigaTestiErrata, &testiDaRighe,
                        problema);
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

std::optional<MenuLingua> leggiMenuLingua(const std::string& folder, int lingua,
                                          backup::FileProblem* problema) {
    const resources::LanguageFiles* l = resources::language(lingua);
    if (l == nullptr) return std::nullopt;
    return leggiRisorsa(resources::joinPath(folder, l->menuFile), &rigaMenuErrata, &menuDaRighe,
                        problema);
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
