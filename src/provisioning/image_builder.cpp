#include "provisioning/image_builder.h"

#include <algorithm>
#include <array>

#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "provisioning/icons.h"
#include "provisioning/image_writer.h"
#include "provisioning/profile_file.h"
#include "resources/display_charset.h"
#include "resources/language_files.h"

namespace provisioning {
namespace {

// The protocol and extension pairs an image can be built for.
struct Compatibilita {
    std::int16_t protocollo, da, a;
};
constexpr std::array<Compatibilita, 12> kCompatibili = {{
    {3, 1, 1},
    {9, 1, 11},
    {15, 12, 17},
    {17, 17, 30},
    {30, 31, 33},
    {31, 34, 34},
    {33, 35, 47},
    {34, 47, 48},
    {36, 49, 53},
    {38, 1043, 1053},
    {39, 1053, 1062},
    {41, 1062, 1064},
}};

// The unit texts of the resource area: the byte 34 (their characters), then the characters.
constexpr const char* kTestiUnita[] = {"N", "daN", "kN", "kg", "lb",   "mm",  "in", "um", "mV",
                                       "V", "A",   "C",  "Nm", "mm/s", "bar", "%",  "s",  "Hz"};
constexpr int kByteRisorse = 34;

// The percentages reported at the block boundaries.
enum Passo : long {
    pCompatibile = 1,
    pConfigurazione = 2,
    pRisorse = 3,
    pFont8x10 = 4,
    pFont6x6 = 5,
    pTesti = 6,
    pMenu = 7,
    pTesti2 = 10,
    pMenu2 = 14,
    pIcone = 35,
    pTabella1 = 87,
    pTabella2 = 90,
    pLavoro1 = 92,
    pPartizione = 95,
};

// The byte of an image or font line: a number 0..255, blanks around it allowed.
std::optional<std::uint8_t> byteDellaRiga(const std::string& riga) {
    const std::string t = resources::trimBlanks(riga);
    if (t.empty() || t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(t) > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(std::stoi(t));
}

class Costruttore {
public:
    Costruttore(const std::string& cartella, const ParametriImmagine& v, const CProfilo& p,
                platform::Progress& pr)
        : cartella_(cartella), v_(v), profilo_(p), progress_(pr) {}

    Immagine esegui() {
        blocchi();
        out_.righe = w_.righe();
        out_.byte = w_.byte();
        return out_;
    }

private:
    void blocchi();
    bool passo(long percento) {
        return annullato_ ? false : !(annullato_ = !progress_.update(percento));
    }
    bool copiaFont(const char* nome);
    // Stops the build for a file that cannot be read or, with its problem, is malformed.
    void rifiuta(const std::string& file, const std::optional<backup::FileProblem>& problema);
    std::vector<std::int32_t> scriviTesti(const TestiLingua& testi);
    std::int32_t scriviMenu(const MenuLingua& menu);
    void scriviTabella(const std::vector<std::int32_t>& indirizzi);

    const std::string& cartella_;
    const ParametriImmagine& v_;
    const CProfilo& profilo_;
    platform::Progress& progress_;
    ScrittoreImmagine w_;
    Immagine out_;
    bool annullato_ = false;
};

void Costruttore::rifiuta(const std::string& file,
                          const std::optional<backup::FileProblem>& problema) {
    out_.fileErrato = file;
    out_.problema = problema;
    out_.erroreFile = "cannot read " + file;
    if (problema)
        out_.erroreFile += (problema->line > 0 ? ": line " + std::to_string(problema->line) : "") +
                           ": " + problema->reason;
}

// Every line of a font file goes into the image as it stands: one that is not a byte would
// make the image unreadable after the instrument was erased for it.
bool Costruttore::copiaFont(const char* nome) {
    const std::string file = resources::joinPath(cartella_, nome);
    platform::FileProblem illeggibile;
    const auto righe = resources::readRawLines(file, platform::FileKind::Font, &illeggibile);
    if (!righe) {
        rifiuta(file, backup::FileProblem{static_cast<int>(illeggibile.line), illeggibile.reason});
        return false;
    }
    if (const auto errata = fontErrato(*righe, 0)) {
        rifiuta(file, errata);
        return false;
    }
    for (const std::string& r : *righe)
        if (!resources::trimBlanks(r).empty()) w_.copiaRiga(r);
    return true;
}

std::vector<std::int32_t> Costruttore::scriviTesti(const TestiLingua& testi) {
    const VersioneTesti versione{v_.protocollo, v_.estensioni, v_.elettrica};
    std::vector<std::int32_t> indirizzi;
    for (int slot = 1; slot <= kMassimoSlotTesti; ++slot) {
        const auto it = testi.find(voceConSegno(voceDelloSlot(slot, versione)));
        if (it == testi.end()) break;
        indirizzi.push_back(w_.indirizzo());
        w_.testoContato(it->second);
    }
    return indirizzi;
}

std::int32_t Costruttore::scriviMenu(const MenuLingua& menu) {
    std::vector<std::int32_t> righe;
    for (const std::string& t : menu.testiRighe) {
        righe.push_back(w_.indirizzo());
        w_.testoContato(t);
    }
    const std::int32_t inizio = w_.indirizzo();
    for (const std::string& riga : menu.record) {
        const RecordMenu r = recordDaRiga(riga);
        w_.dato(r.righe);
        w_.dato(r.icona);
        w_.dato(campoValorePer(r.campoValore, v_.estensioni));
        for (long codice : r.codici) w_.parola(parolaDelCodice(codice, righe));
    }
    return inizio;
}

void Costruttore::scriviTabella(const std::vector<std::int32_t>& indirizzi) {
    for (std::int32_t a : indirizzi) w_.parola(a);
}

void Costruttore::blocchi() {
    if (const auto fuori = valoreFuoriCampo(profilo_)) {
        out_.erroreProfilo = *fuori;
        return;
    }
    const bool seconda = conSecondaLingua(v_.protocollo, v_.estensioni);
    // One problem for each of the four files: the first one at fault is told.
    std::array<backup::FileProblem, 4> p{};
    const auto testi1 = leggiTestiLingua(cartella_, profilo_.Lingua1, &p[0]);
    const auto menu1 = leggiMenuLingua(cartella_, profilo_.Lingua1, &p[1]);
    const auto testi2 =
        seconda ? leggiTestiLingua(cartella_, profilo_.Lingua2, &p[2]) : std::nullopt;
    const auto menu2 = seconda ? leggiMenuLingua(cartella_, profilo_.Lingua2, &p[3]) : std::nullopt;
    const auto mancante = [&](int lingua, bool menu, const backup::FileProblem& problema) {
        const resources::LanguageFiles* l = resources::language(lingua);
        if (l == nullptr) {
            out_.erroreFile =
                "cannot read the files of language " + std::to_string(lingua) + " in " + cartella_;
            return;
        }
        rifiuta(
            resources::joinPath(cartella_, menu ? l->menuFile : l->textFile),
            problema.line > 0 || !problema.reason.empty() ? std::optional(problema) : std::nullopt);
    };
    if (!testi1) return mancante(profilo_.Lingua1, false, p[0]);
    if (!menu1) return mancante(profilo_.Lingua1, true, p[1]);
    if (seconda && !testi2) return mancante(profilo_.Lingua2, false, p[2]);
    if (seconda && !menu2) return mancante(profilo_.Lingua2, true, p[3]);
    if (!passo(pCompatibile)) return;

    bool ok = scriviParteConfigurazione(w_, v_, profilo_, *testi1);
    if (!ok) out_.avviso = kAvvisoBugfix;
    IndirizziImmagine& a = out_.indirizzi;
    if (!passo(pConfigurazione)) return;

    a.risorse = w_.indirizzo();
    w_.dato(kByteRisorse);
    for (const char* t : kTestiUnita)
        for (unsigned char c : resources::toInstrument(t)) w_.dato(c);
    if (!passo(pRisorse)) return;

    a.font8x10 = w_.indirizzo();
    if (!copiaFont(kFileFont8x10) || !passo(pFont8x10)) return;
    a.font6x6 = w_.indirizzo();
    if (!copiaFont(kFileFont6x6) || !passo(pFont6x6)) return;
    out_.inizioTesti = w_.indirizzo();

    const std::vector<std::int32_t> tabella1 = scriviTesti(*testi1);
    out_.testiPrincipali = static_cast<int>(tabella1.size());
    if (!passo(pTesti)) return;
    a.menuPrincipale = scriviMenu(*menu1);
    if (!passo(pMenu)) return;
    std::vector<std::int32_t> tabella2;
    if (seconda) {
        tabella2 = scriviTesti(*testi2);
        out_.testiSecondi = static_cast<int>(tabella2.size());
        if (!passo(pTesti2)) return;
        a.menuSecondo = scriviMenu(*menu2);
        if (!passo(pMenu2)) return;
    }

    a.icone = w_.indirizzo();
    for (const Icona& icona : iconeIncorporate())
        for (const std::string& riga : icona.righe)
            for (std::uint8_t b : codificaRiga(riga, icona.byteRiga)) w_.dato(b);
    if (!passo(pIcone)) return;

    a.tabellaTesti1 = w_.indirizzo();
    scriviTabella(tabella1);
    if (!passo(pTabella1)) return;
    if (seconda) {
        a.tabellaTesti2 = w_.indirizzo();
        scriviTabella(tabella2);
        if (!passo(pTabella2)) return;
    }

    for (int i = 0; i < 4; ++i) w_.dato(0);
    a.lavoro1 = w_.indirizzo();
    a.fine = w_.indirizzo();
    if (!passo(pLavoro1)) return;

    a.fineLavori = v_.memorySize - profilo_.MemoriaStory;
    a.blocco226 = a.fineLavori - kDimensioneBlocco226;
    a.fineLavoriFB = a.blocco226 - v_.fbSize;
    if (const auto errata = partizioneErrata(v_, profilo_, a)) {
        out_.erroreProfilo = *errata;
        ok = false;
    }
    if (!passo(pPartizione)) return;

    if (a.fine > kMassimoIndirizzoImmagine) {
        ok = false;
        out_.avviso = kAvvisoMemoria;
    }
    out_.ok = ok;
}

}  // namespace

std::optional<std::string> partizioneErrata(const ParametriImmagine& v, const CProfilo& p,
                                            const IndirizziImmagine& a) {
    // The history area holds 4 bytes of pointer per history job; at extension 46 the operator
    // list the format writes follows them there (from 47 it is the 226-byte block below).
    const std::int64_t storia =
        4LL * p.NumeroLavoriStory + (v.estensioni == 46 ? kDimensioneBlocco226 : 0);
    const std::int64_t lavoro = std::max<std::int32_t>(v.dimensioneLavoro, 1);
    const std::int64_t massimo = static_cast<std::int64_t>(v.memorySize) - a.lavoro1 - lavoro -
                                 kDimensioneBlocco226 - v.fbSize;
    if (p.MemoriaStory >= storia && p.MemoriaStory <= massimo) return std::nullopt;
    return "MemoriaStory " + std::to_string(p.MemoriaStory) + " does not fit this instrument: " +
           (massimo < storia
                ? std::string("no value does")
                : "it must be from " + std::to_string(storia) + " to " + std::to_string(massimo)) +
           " (the history pointers of " + std::to_string(p.NumeroLavoriStory) +
           " jobs at least; at most the " + std::to_string(v.memorySize) +
           " bytes of memory less the image up to job record 1 at " + std::to_string(a.lavoro1) +
           ", one job of " + std::to_string(lavoro) + " bytes, the 226-byte block and " +
           std::to_string(v.fbSize) + " bytes of field-bus memory)";
}

ParametriImmagine parametriStrumento(const instrument::UCKRNVisual& c) {
    ParametriImmagine v;
    v.formatoFont = c.FormatoFONT();
    v.formatoNVRAM = c.FormatoNVRAM();
    v.elettrica = c.PressaElettrica();
    v.protocollo = c.Protocollo();
    v.estensioni = c.Estensioni();
    v.versione = c.versione();
    v.memorySize = c.MemorySize();
    v.fbSize = c.identity().FielBusMemorySize;
    v.dimensioneLavoro = c.identity().DimensioneLavori();
    return v;
}

bool versioneSupportata(std::int16_t protocollo, std::int16_t estensioni) {
    for (const Compatibilita& c : kCompatibili)
        if (c.protocollo == protocollo && estensioni >= c.da && estensioni <= c.a) return true;
    return false;
}

Immagine costruisciImmagine(const std::string& cartella, const ParametriImmagine& parametri,
                            const CProfilo& profilo, platform::Progress& progress) {
    progress.start(100);
    Immagine out;
    if (versioneSupportata(parametri.protocollo, parametri.estensioni)) {
        Costruttore c(cartella, parametri, profilo, progress);
        out = c.esegui();
    }
    progress.stop(out.ok);
    return out;
}

Immagine CreaFileNVRAM(const std::string& nomeFile, const std::string& cartella,
                       const ParametriImmagine& parametri, const CProfilo& profilo,
                       platform::Progress& progress) {
    Immagine out = costruisciImmagine(cartella, parametri, profilo, progress);
    // A build stopped by a missing file or a cancel, or for a profile that does not fit, leaves
    // no file; a complete image is written even when it is refused otherwise, so that it can be
    // looked at.
    if (out.indirizzi.fine == 0 || !out.erroreFile.empty() || !out.erroreProfilo.empty())
        return out;
    platform::FileProblem fallito;
    if (!resources::replaceRawLines(nomeFile, out.righe, &fallito)) {
        out.ok = false;
        out.erroreFile = "cannot write " + nomeFile + ": " + fallito.reason;
        out.fileErrato = nomeFile;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> leggiFileImmagine(const std::string& path, int* rigaErrata,
                                                           std::string* motivo) {
    if (rigaErrata) *rigaErrata = 0;
    platform::FileProblem illeggibile;
    const auto righe = resources::readRawLines(path, platform::FileKind::Image, &illeggibile);
    if (!righe) {
        if (motivo) *motivo = illeggibile.text();
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    out.reserve(righe->size());
    for (const std::string& r : *righe) {
        const auto b = byteDellaRiga(r);
        if (!b) {
            if (rigaErrata) *rigaErrata = static_cast<int>(out.size()) + 1;
            return std::nullopt;
        }
        out.push_back(*b);
    }
    return out;
}

}  // namespace provisioning
