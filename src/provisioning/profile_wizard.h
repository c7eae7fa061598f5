#pragma once
// The two front ends that fill the profile before a format: the standard selection with the
// profile form (its logic here; the desktop program draws it), and the customer question flow.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "instrument/connection.h"
#include "provisioning/profilo.h"

namespace platform {
class Dialogs;
}

namespace provisioning {

// Inizializza, then the instrument's name.
void InitProfile(CProfilo& p, const std::string& instrumentName);
void SetupLanguages(CProfilo& p, std::int16_t lingua1, std::int16_t lingua2, bool clockYMD);

// The extension window the profile form supports: 11..53 below protocol 39, 1053..1064 from 39.
bool versioneProfiloSupportata(std::int16_t protocollo, std::int16_t estensioni);

// What SelectProfile needs of the connected instrument and of the windows.
struct SelezioneProfilo {
    std::int16_t protocollo = 0;
    std::int16_t estensioni = 0;
    bool perElettrica = false;  // IsForElectric
    bool conOrologio = false;   // WithClock
    // FProfilo.ShowForm(profile, Electric, SoloLingua, ConOrologio): true = OK.
    std::function<bool(CProfilo&, bool, bool, bool)> mostraProfilo;
    // The language choice of older instruments: the language, or nothing when cancelled.
    std::function<std::optional<int>()> scegliLingua;
};
instrument::ErrPR SelectProfile(CProfilo& p, const std::string& name, const SelezioneProfilo& s,
                                bool& selected);

// A language is offered when its display-text file opens and holds the entries 0 .. 4 in order.
bool linguaDisponibile(const std::string& folder, int lingua);

// The profile form's lists and check boxes as they open, and what OK writes back.
struct VoceElenco {
    std::string testo;
    int valore;
};
struct ModuloProfilo {
    std::vector<VoceElenco> lingue;       // lstLinguaMain and lstLinguaDue hold the same entries
    int linguaMain = -1, linguaDue = -1;  // selected index, -1 none
    std::vector<std::string> formatiOra;  // lstFormatoOra
    bool formatoOraVisibile = false;
    int formatoOra = -1;
    std::vector<VoceElenco> modelli;  // lstTipoElettrica
    bool modelliVisibili = false;
    int modello = -1;
    bool soloCilindroVisibile = false, soloCilindro = false;  // opSoloCilindro
    bool storicoVisibile = false, storico = false;            // enStorico
    bool senzaCylChipVisibile = false, senzaCylChip = false;  // opSenzaCylChip
};
ModuloProfilo apriModuloProfilo(const CProfilo& p, const std::string& folder, bool electric,
                                bool soloLingua, bool conOrologio);
void confermaModuloProfilo(const ModuloProfilo& m, CProfilo& p);
// The model list in its order (value 14 has no entry).
const std::vector<VoceElenco>& elencoModelli();

// The customer question flow; true when it was not cancelled. The fixed final step runs always.
bool SetupProfileLumbro(CProfilo& p, platform::Dialogs& dialogs, const std::string& instrumentName);

}  // namespace provisioning
