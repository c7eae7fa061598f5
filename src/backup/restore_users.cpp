#include "backup/restore_users.h"

#include <algorithm>

namespace backup {

bool restoreOperators(instrument::UCKRNVisual& control, const OperatorList& list) {
    auto& users = control.users();
    if (!control.LeggiStatoStory()) return false;
    const auto before = users.ElencoUtenti();
    if (!before || !control.EliminaUtenti()) return false;
    auto add = [&](const instrument::Operatore& o) {
        const auto now = users.ElencoUtenti();
        if (!now) return false;
        if (std::any_of(now->begin(), now->end(),
                        [&](const instrument::Operatore& x) { return x.Codice == o.Codice; }))
            return true;
        return control.AggiungiUtente(o.Codice, o.Nome, o.Diritti);
    };
    if (!add(list.hardware)) return false;
    for (const OperatorEntry& e : list.users) {
        instrument::Operatore o = e.op;
        if (!e.rightsKnown) {
            const auto was =
                std::find_if(before->begin(), before->end(),
                             [&](const instrument::Operatore& x) { return x.Codice == o.Codice; });
            o.Diritti = was != before->end() ? was->Diritti : instrument::Users::kTuttiDiritti;
        }
        if (!add(o)) return false;
    }
    return true;
}

}  // namespace backup
