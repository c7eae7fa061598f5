#include "provisioning/image_builder.h"

#include <array>

#include "instrument/uckrnvisual.h"
#include "platform/dialogs.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "provisioning/icons.h"
#include "provisioning/image_writer.h"
#include "resources/display_charset.h"
#include "resources/language_files.h"

namespace provisioning {
namespace {

// The byte a line of an image or font file (blanks already removed) stands for: one to three
// digits, at most 255.
std::optional<std::uint8_t> valoreDellaRiga(const std::string& t) {
    if (t.empty() || t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int v = std::stoi(t);
    if (v > 255) return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

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

// A font line goes into the image as it stands, so it must be a byte value the image file can
// hold: any other line refuses the font file, naming the line.
bool Costruttore::copiaFont(const char* nome) {
    const std::string path = resources::joinPath(cartella_, nome);
    const auto righe = resources::readRawLines(path);
    if (!righe) {
        out_.erroreFile = "cannot read " + path;
        return false;
    }
    for (std::size_t i = 0; i < righe->size(); ++i) {
        const std::string t = resources::trimBlanks((*righe)[i]);
        if (t.empty()) continue;
        if (!valoreDellaRiga(t)) {
            out_.erroreFile = path + " line " + std::to_string(i + 1) + ": \"" + t +
                              "\" is not a number from 0 to 255";
            return false;
        }
        w_.copiaRiga((*righe)[i]);
    }
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
    const bool seconda = conSecondaLingua(v_.protocollo, v_.estensioni);
    const auto testi1 = leggiTestiLingua(cartella_, profilo_.Lingua1);
    const auto menu1 = leggiMenuLingua(cartella_, profilo_.Lingua1);
    const auto testi2 = seconda ? leggiTestiLingua(cartella_, profilo_.Lingua2) : std::nullopt;
    const auto menu2 = seconda ? leggiMenuLingua(cartella_, profilo_.Lingua2) : std::nullopt;
    const auto mancante = [&](int lingua, bool menu) {
        const resources::LanguageFiles* l = resources::language(lingua);
        out_.erroreFile =
            "cannot read " +
            (l == nullptr ? std::string("the files of language ") + std::to_string(lingua)
                          : resources::joinPath(cartella_, menu ? l->menuFile : l->textFile));
    };
    if (!testi1) return mancante(profilo_.Lingua1, false);
    if (!menu1) return mancante(profilo_.Lingua1, true);
    if (seconda && !testi2) return mancante(profilo_.Lingua2, false);
    if (seconda && !menu2) return mancante(profilo_.Lingua2, true);
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
    if (!passo(pPartizione)) return;

    if (a.fine > kMassimoIndirizzoImmagine) {
        ok = false;
        out_.avviso = kAvvisoMemoria;
    }
    out_.ok = ok;
}

}  // namespace

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
    // A build stopped by a missing file or a cancel leaves no file; a complete image is written
    // even when it is refused, so that it can be looked at.
    if (out.indirizzi.fine == 0 || !out.erroreFile.empty()) return out;
    if (!resources::replaceRawLines(nomeFile, out.righe)) {
        out.ok = false;
        out.erroreFile = "cannot write " + nomeFile;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> leggiFileImmagine(const std::string& path,
                                                           int* rigaErrata) {
    if (rigaErrata) *rigaErrata = 0;
    const auto righe = resources::readRawLines(path);
    if (!righe) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(righe->size());
    for (const std::string& r : *righe) {
        const auto valore = valoreDellaRiga(resources::trimBlanks(r));
        if (!valore) {
            if (rigaErrata) *rigaErrata = static_cast<int>(out.size()) + 1;
            return std::nullopt;
        }
        out.push_back(*valore);
    }
    return out;
}

}  // namespace provisioning
