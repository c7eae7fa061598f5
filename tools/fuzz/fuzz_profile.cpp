// libFuzzer target: the machine profile file ("[Profilo]") on arbitrary bytes. A file that is
// accepted must come back unchanged through the writer and the reader; a refused one must say
// why, naming the file.
//   build-fuzz/tools/fuzz/fuzz_profile /tmp/krn-fuzz-profile tools/fuzz/corpus/profile
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "provisioning/profile_file.h"

namespace {

bool sameRows(const std::vector<provisioning::RigaProfilo>& a,
              const std::vector<provisioning::RigaProfilo>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].nome != b[i].nome || a[i].valore != b[i].valore) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("profile.ini");
    static const std::string copy = fuzz::scratchPath("profile-copy.ini");
    fuzz::writeScratch(path, data, size);
    const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(path);
    if (!letto.profilo) {
        fuzz::require(letto.errore.find(path) != std::string::npos);
        return 0;
    }
    fuzz::require(letto.errore.empty());
    fuzz::require(provisioning::scriviFileProfilo(*letto.profilo, copy).empty());
    const provisioning::ProfiloLetto riletto = provisioning::leggiFileProfilo(copy);
    fuzz::require(riletto.profilo.has_value());
    fuzz::require(sameRows(provisioning::descriviProfilo(*letto.profilo),
                           provisioning::descriviProfilo(*riletto.profilo)));
    return 0;
}
