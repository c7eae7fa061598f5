#pragma once
// The profile file: the fields of a CProfilo in one INI section "[Profilo]", one key per field
// under the field's own name, numbers in decimal, flags 0 or 1. Production lines keep one per
// customer machine and provision without the wizard.
#include <optional>
#include <string>
#include <vector>

#include "provisioning/profilo.h"

namespace provisioning {

inline constexpr const char* kSezioneFileProfilo = "Profilo";
// The longest instrument name a profile file keeps (bytes).
inline constexpr std::size_t kMassimoNomeStrumento = 64;

struct ProfiloLetto {
    std::optional<CProfilo> profilo;  // nothing when the file was refused
    std::string errore;               // why, naming the file and the key
};

// Reads a profile file. Keys that are absent keep the values of Inizializza; a key whose value
// is not a whole number in its field's range refuses the whole file.
ProfiloLetto leggiFileProfilo(const std::string& path);
// Why the profile cannot be used as it stands, naming the key and its limits: a number outside
// its field's range, an instrument name longer than a profile keeps or with a control
// character. Nothing when every value fits.
std::optional<std::string> valoreFuoriCampo(const CProfilo& profilo);
// Writes the profile, every field, through a neighbouring ".part" file renamed over the target.
// Empty on success, else why not.
std::string scriviFileProfilo(const CProfilo& profilo, const std::string& path);

// Every field and every derived constant as (name, value text) rows, fields first; what
// "krnctl profile show" prints.
struct RigaProfilo {
    std::string nome;
    std::string valore;
    bool derivato;
};
std::vector<RigaProfilo> descriviProfilo(const CProfilo& profilo);

}  // namespace provisioning
