#include "app/menu_model.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "resources/language_files.h"

namespace app {
namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool letter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// The caption with its mnemonic on the first free letter, word initials first; as it is when
// every letter is taken.
std::string placeMnemonic(const std::string& plain, std::set<char>& taken) {
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < plain.size(); ++i)
        if (letter(plain[i]) && (i == 0 || plain[i - 1] == ' ')) candidates.push_back(i);
    for (std::size_t i = 0; i < plain.size(); ++i)
        if (letter(plain[i])) candidates.push_back(i);
    for (std::size_t i : candidates) {
        if (taken.insert(lower(plain[i])).second) return plain.substr(0, i) + "&" + plain.substr(i);
    }
    return plain;
}

}  // namespace

std::string withoutMnemonic(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" is a literal "&"
        out += caption[i];
    }
    return out;
}

char mnemonicOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return lower(caption[i + 1]);
        ++i;
    }
    return 0;
}

const std::map<std::string, std::string>& menuCaptions() {
    static const std::map<std::string, std::string> captions = [] {
        std::map<std::string, std::string> out;
        std::map<std::string, std::set<char>> taken;  // by menu ("" for the menu bar)
        std::vector<const MenuEntry*> moved;
        for (const MenuEntry& e : menuTable()) {
            if (e.separator) continue;
            out[e.name] = e.caption;
            const char m = mnemonicOf(e.caption);
            if (m && !taken[e.parent ? e.parent : ""].insert(m).second) moved.push_back(&e);
        }
        for (const MenuEntry* e : moved)
            out[e->name] =
                placeMnemonic(withoutMnemonic(e->caption), taken[e->parent ? e->parent : ""]);
        return out;
    }();
    return captions;
}

MenuFlags computeFlags(const std::string& commandLine, int level) {
    const std::string line = upper(commandLine);
    MenuFlags f;
    f.F = line.rfind("/FUL", 0) == 0;
    f.L = level == -1 || level == 1 || level == 3;
    f.C = line.find("/CFG") != std::string::npos || f.F;
    f.D = line.find("/ZENKO") != std::string::npos || level == 2 || level == 3 || f.F;
    return f;
}

bool visible(Visibility rule, const MenuFlags& f) {
    switch (rule) {
        case Visibility::Design:
        case Visibility::Always:
            return true;
        case Visibility::Never:
            return false;
        case Visibility::F:
            return f.F;
        case Visibility::L:
            return f.L;
        case Visibility::C:
            return f.C;
        case Visibility::D:
            return f.D;
    }
    return true;
}

const std::vector<MenuEntry>& menuTable() {
    using V = Visibility;
    static const std::vector<MenuEntry> table = {
        {"mnuFile", "&File", V::Design, nullptr},
        {"mnuCopiaMenu", "Copy &menu...", V::L, "mnuFile"},
        {"mnuScreenCopy", "&Copy screen...", V::L, "mnuFile"},
        {"mnuPreferenze", "&Select instrument...", V::F, "mnuFile"},
        {"sep1", "", V::F, "mnuFile", true},
        {"mnuInviaTesto", "Send text...", V::Design, "mnuFile"},
        {"mnuImportaTradotto", "Import translated file...", V::F, "mnuFile"},
        {"mnuImportaTradotti", "Importa tutti i file tradotti (TradIta.txt, TradEng.txt...)", V::F,
         "mnuFile"},
        {"mnuCreaFileTraduzione", "Crea file da tradurre...", V::F, "mnuFile"},
        {"mnuCreaFormatoMenu", "Crea file formato menù...", V::F, "mnuFile"},
        {"mnuCreaFont", "Select font KRN Visual...", V::F, "mnuFile"},
        {"sep3", "", V::Design, "mnuFile", true},
        {"mnuEthSetup", "Setup et&hernet port...", V::Design, "mnuFile"},
        {"mnuListSN", "&Edit list of EEprom serial number...", V::D, "mnuFile"},
        {"mnuWriteEEprom", "&Inizializza USB EEprom...", V::D, "mnuFile"},
        {"mnuWriteCheckSum", "Re-write memory check-sum", V::F, "mnuFile"},
        {"mnuFormatLumbro", "Lumbro's instrument memory format...", V::L, "mnuFile"},
        {"mnuInviaSetup", "Instrument memory format...", V::Always, "mnuFile"},
        {"sep4", "", V::Design, "mnuFile", true},
        {"mnuTestMemoria", "Memory test...", V::F, "mnuFile"},
        {"mnuTestComm", "Communication test...", V::F, "mnuFile"},
        {"mnuUpdate", "Update firmware...", V::Never, "mnuFile"},
        {"mnuExportMem", "E&xport memory...", V::F, "mnuFile"},
        {"mnuImportMem", "&Import memory...", V::F, "mnuFile"},
        {"mnuSoloDifferenze", "&Esporta le differenze", V::F, "mnuFile"},
        {"mnuCambiaIdUSB", "Update USB port controller...", V::Design, "mnuFile"},
        {"Sep2", "", V::Design, "mnuFile", true},
        {"mnuExit", "&Exit", V::Design, "mnuFile"},
        {"mnuPLC", "&PLC", V::F, nullptr},
        {"mnuInviaRisorse", "Invia file &risorse...", V::Design, "mnuPLC"},
        {"mnuInviaPrgPLC", "Invia &programma PLC...", V::Design, "mnuPLC"},
        {"mnuCodificaImmagine", "&Codifica immagine...", V::Design, "mnuPLC"},
        {"mnuStrumento", "&Setting", V::Design, nullptr},
        {"mnuOrologio", "&Clock...", V::Design, "mnuStrumento"},
        {"mnuNomeStrumento", "Change instrument &name...", V::Design, "mnuStrumento"},
        {"mnuNomeSetPoint", "Change name of BRAKE output...", V::Design, "mnuStrumento"},
        {"mnuRecuperoDeformazione", "Structure &deformation...", V::Design, "mnuStrumento"},
        {"mnuOpzioniStrumento", "Clock prescaler in speed acquisition...", V::Always,
         "mnuStrumento"},
        {"mnuOpzioneAspettaStop", "&Wait end...", V::Always, "mnuStrumento"},
        {"mnuFZeroDefault", "Change &default value for start force...", V::Design, "mnuStrumento"},
        {"mnuFiltroF", "&Force transducer low pass filter...", V::Design, "mnuStrumento"},
        {"mnuSetTDC", "Setup TDC input...", V::F, "mnuStrumento"},
        {"mnuOpzioniLavoro", "Opzioni scelta &lavoro e fasi", V::F, "mnuStrumento"},
        {"mnuOpzioniSupplementare", "Opzioni &ingresso supplementare", V::F, "mnuStrumento"},
        {"sep10", "", V::F, "mnuStrumento", true},
        {"mnuResetStory", "&Reset history", V::C, "mnuStrumento"},
        {"mnuSalvaUtenti", "&Export users' list...", V::C, "mnuStrumento"},
        {"mnuResetContatore", "Reset main counter", V::D, "mnuStrumento"},
        {"sep11", "", V::F, "mnuStrumento", true},
        {"mnuLumbroMOP", "&Lumbro M-OP setup", V::F, "mnuStrumento"},
        {"mnuLumbroMOPninete", "&No blocker and basket", V::Design, "mnuLumbroMOP"},
        {"mnuLumbroMOPconCesto", "&With good pieces basket", V::Design, "mnuLumbroMOP"},
        {"mnuLumbroMOPBloccoRitorno", "&With hydraulic return blocker", V::Design, "mnuLumbroMOP"},
        {"mnuMOPBloccoAndCesto", "With blocker and good basket...", V::Design, "mnuLumbroMOP"},
        {"mnuLumbroManuale", "&Lumbro Manuale setup...", V::F, "mnuStrumento"},
        {"mnuSetupYorumi", "&Yorumi setup...", V::F, "mnuStrumento"},
    };
    return table;
}

const std::vector<Language>& languageTable() {
    // The table itself lives with the display-text files it names.
    static const std::vector<Language> table = [] {
        std::vector<Language> t;
        for (int i = 0; i < resources::kLanguageCount; ++i) {
            const resources::LanguageFiles& l = *resources::language(i);
            t.push_back({l.name, l.textFile, l.menuFile, l.translationFile});
        }
        return t;
    }();
    return table;
}

}  // namespace app
