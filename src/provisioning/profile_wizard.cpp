#include "provisioning/profile_wizard.h"

#include "platform/dialogs.h"
#include "provisioning/display_data.h"
#include "resources/language_files.h"

namespace provisioning {

void InitProfile(CProfilo& p, const std::string& instrumentName) {
    p.Inizializza();
    p.NomeStrumento = instrumentName;
}

void SetupLanguages(CProfilo& p, std::int16_t lingua1, std::int16_t lingua2, bool clockYMD) {
    p.Lingua1 = lingua1;
    p.Lingua2 = lingua2;
    p.FormatoOra = clockYMD ? 1 : 0;
}

bool versioneProfiloSupportata(std::int16_t protocollo, std::int16_t estensioni) {
    return protocollo < 39 ? estensioni >= 11 && estensioni <= 53
                           : estensioni >= 1053 && estensioni <= 1064;
}

instrument::ErrPR SelectProfile(CProfilo& p, const std::string& name, const SelezioneProfilo& s,
                                bool& selected) {
    selected = false;
    InitProfile(p, name);
    SetupLanguages(p, LItaliano, LInglese, false);
    p.MemoriaStory = 0;
    p.NumeroLavoriStory = 0;
    p.Destination = CompletePress;
    p.TipoElettroPressa = s.perElettrica ? PressaQ7 : NonElectric;
    if (s.protocollo >= 9 && s.estensioni >= 11) {
        if (!versioneProfiloSupportata(s.protocollo, s.estensioni))
            return instrument::errPR_VerInstrument;
        selected = s.mostraProfilo && s.mostraProfilo(p, s.perElettrica, false, s.conOrologio);
        return instrument::errPR_OK;
    }
    const std::optional<int> lingua = s.scegliLingua ? s.scegliLingua() : std::nullopt;
    selected = lingua.has_value();
    if (lingua) p.Lingua1 = static_cast<std::int16_t>(*lingua);
    return instrument::errPR_OK;
}

bool linguaDisponibile(const std::string& folder, int lingua) {
    const resources::LanguageFiles* l = resources::language(lingua);
    if (l == nullptr) return false;
    const auto righe = resources::readRawLines(resources::joinPath(folder, l->textFile));
    if (!righe) return false;
    long atteso = 0;
    for (const std::string& r : *righe) {
        const std::string t = resources::trimBlanks(r);
        if (t.empty() || !(t[0] == '-' || (t[0] >= '0' && t[0] <= '9'))) continue;
        if (resources::leadingValue(t) == atteso && ++atteso > 4) return true;
    }
    return false;
}

const std::vector<VoceElenco>& elencoModelli() {
    static const std::vector<VoceElenco> modelli = {
        {"Varnolide Q1 standard", 1},
        {"Varnolide Q2 standard", 2},
        {"Varnolide Q3 standard", 3},
        {"Varnolide Q4 standard", 4},
        {"Varnolide Q5 standard", 5},
        {"Varnolide Q6 standard", 6},
        {"Varnolide Q7 standard", 7},
        {"Varnolide Q8 standard", 8},
        {"Varnolide Q9 standard", 9},
        {"Varnolide Q10 standard", 10},
        {"Varnolide Q11 standard", 11},
        {"Varnolide R1 standard", 12},
        {"Varnolide R2 standard", 13},
        {"Varnolide Q4 Showroom", 15},
        {"Varnolide Q4 custom B", 17},
        {"Varnolide Q4 custom A", 16},
        {"Varnolide Q7 Showroom", 18},
        {"Varnolide Q7 custom C", 19},
        {"Varnolide W1", 20},
        {"Varnolide R2 custom C no servo kit", 21},
        {"Varnolide R2 custom E (servo kit)", 23},
        {"Varnolide R3 custom F (servo kit)", 25},
        {"Varnolide R2 custom D (servo kit)", 24},
        {"Varnolide R2 custom D no servo kit", 22},
        {"Varnolide R1 custom G", 26},
    };
    return modelli;
}

namespace {

int indiceDi(const std::vector<VoceElenco>& elenco, int valore) {
    for (std::size_t i = 0; i < elenco.size(); ++i)
        if (elenco[i].valore == valore) return static_cast<int>(i);
    return -1;
}

}  // namespace

ModuloProfilo apriModuloProfilo(const CProfilo& p, const std::string& folder, bool electric,
                                bool soloLingua, bool conOrologio) {
    ModuloProfilo m;
    for (int l = 0; l < resources::kLanguageCount; ++l)
        if (linguaDisponibile(folder, l)) m.lingue.push_back({resources::language(l)->name, l});
    m.linguaMain = indiceDi(m.lingue, p.Lingua1);
    m.linguaDue = indiceDi(m.lingue, p.Lingua2);
    m.formatiOra = {"dd/MM/yyyy", "MM/dd/yyyy"};
    m.formatoOraVisibile = conOrologio && !soloLingua;
    m.formatoOra = p.FormatoOra >= 0 && p.FormatoOra < 2 ? p.FormatoOra : -1;
    m.modelli = elencoModelli();
    m.modelliVisibili = electric;
    m.modello = indiceDi(m.modelli, p.TipoElettroPressa);
    m.soloCilindroVisibile = electric;
    m.soloCilindro = p.Destination == CylinderAlone;
    m.storicoVisibile = conOrologio && !soloLingua;
    m.storico = p.NumeroLavoriStory > 0;
    m.senzaCylChipVisibile = electric;
    m.senzaCylChip = p.NonUsareCylChip;
    return m;
}

void confermaModuloProfilo(const ModuloProfilo& m, CProfilo& p) {
    const auto valore = [](const std::vector<VoceElenco>& e, int i, int nessuno) {
        return i >= 0 && static_cast<std::size_t>(i) < e.size()
                   ? e[static_cast<std::size_t>(i)].valore
                   : nessuno;
    };
    p.Lingua1 = static_cast<std::int16_t>(valore(m.lingue, m.linguaMain, LInglese));
    p.Lingua2 = static_cast<std::int16_t>(valore(m.lingue, m.linguaDue, LInglese));
    p.FormatoOra = static_cast<std::int16_t>(m.formatoOra >= 0 ? m.formatoOra : 0);
    p.TipoElettroPressa = static_cast<CylinderType>(valore(m.modelli, m.modello, PressaQ4));
    if (m.soloCilindroVisibile) p.Destination = m.soloCilindro ? CylinderAlone : CompletePress;
    if (m.senzaCylChipVisibile) p.NonUsareCylChip = m.senzaCylChip;
    p.NumeroLavoriStory = m.storico ? 3 : 0;
    p.MemoriaStory = m.storico ? kMemoriaStoryNormale : 0;
}

namespace {

// One question of the customer flow: Yes, No, Cancel; `predefinitoNo` preselects No.
class Domande {
public:
    explicit Domande(platform::Dialogs& d) : d_(d) {}
    bool annullato() const { return annullato_; }
    // True for Yes; Cancel marks the flow cancelled and answers No.
    bool chiedi(const std::string& testo, bool predefinitoNo = false) {
        if (annullato_) return false;
        const platform::MessageResult r =
            d_.message({testo, "", platform::MessageIcon::Question,
                        platform::MessageButtons::YesNoCancel, predefinitoNo ? 1 : 0});
        if (r == platform::MessageResult::Cancel) annullato_ = true;
        return r == platform::MessageResult::Yes;
    }
    // A number from 0 to 3, asked until one is typed; nothing (cancelled) on an empty answer.
    std::int16_t numero(const std::string& prompt, std::int16_t attuale) {
        while (!annullato_) {
            const std::optional<std::string> a = d_.input(prompt, "", "2");
            if (!a || a->empty()) {
                annullato_ = true;
                break;
            }
            const std::string t = resources::trimBlanks(*a);
            if (t.size() == 1 && t[0] >= '0' && t[0] <= '3')
                return static_cast<std::int16_t>(t[0] - '0');
        }
        return attuale;
    }
    std::string nome(const std::string& predefinito, const std::string& attuale) {
        while (!annullato_) {
            const std::optional<std::string> a =
                d_.input("Input the new instrument name", "Instrument name", predefinito);
            if (!a || a->empty()) {
                annullato_ = true;
                break;
            }
            const std::string t = resources::trimBlanks(*a);
            if (!t.empty()) return t;
        }
        return attuale;
    }

private:
    platform::Dialogs& d_;
    bool annullato_ = false;
};

}  // namespace

bool SetupProfileLumbro(CProfilo& p, platform::Dialogs& dialogs,
                        const std::string& instrumentName) {
    Domande q(dialogs);
    std::string nomePredefinito = instrumentName;
    const bool vessaline = q.chiedi("Is it a Vessaline press?");
    p.Destination = Lumbro;
    p.FormatoOra = 0;
    p.ConNomiLumbro = true;
    if (vessaline) {
        p.perVESSALINE = true;
        nomePredefinito = "1800000";
        p.ConValvolaRitornoLeva = q.chiedi("Is there the valve for enabling return of lever?");
        p.ConValvolaSlitta =
            p.ConValvolaRitornoLeva
                ? false
                : q.chiedi("Is there TABLE with valve for blocking in position?", true);
        p.ConChiaveManutenzione = q.chiedi("Is there the 3 position key for maintenace?");
    } else if (!q.annullato()) {
        nomePredefinito = "Tovrick NNN";
        p.ConValvolaRitornoLeva = p.ConValvolaSlitta = p.ConChiaveManutenzione = false;
        if (q.chiedi("Is it a Tovrick press?")) p.perMECCANICA = true;
    }
    if (!q.annullato()) {
        p.ConValvolaAperturaBuoni = p.ConSensoreCestoPronto =
            q.chiedi("Is there the valve for opening good pieces basket?", true);
        p.ConIngressiMetro =
            q.chiedi("Is there the round 7 pins connector for extra test 1 (METRO) connection?");
    }
    if (p.ConIngressiMetro && !q.annullato())
        p.ConUscitaMetro = q.chiedi("Is there the valve for extra test 1 (METRO)?");
    p.NumeroCesti = q.numero("Insert number of red box for pieces", p.NumeroCesti);
    p.NumeroRossi = q.numero("Insert number of red light", p.NumeroRossi);
    p.NomeStrumento = q.nome(nomePredefinito, p.NomeStrumento);
    p.FormatoOra = 0;
    p.Lingua1 = LFrancese;
    p.Lingua2 = LInglese;
    p.MemoriaStory = kMemoriaStoryNormale;
    p.NumeroLavoriStory = 3;
    return !q.annullato();
}

}  // namespace provisioning
