#pragma once
// The operator list of a restore: the hardware operator first, then the file's operators, each
// only when its access code is not yet an operator of the instrument.
#include <vector>

#include "instrument/uckrnvisual.h"

namespace backup {

struct OperatorEntry {
    instrument::Operatore op;
    bool rightsKnown = false;  // the file had PERUTi
};

struct OperatorList {
    instrument::Operatore hardware;
    std::vector<OperatorEntry> users;
};

// Clears the stored operators and adds the list. Operators are matched by their access code,
// read back from the instrument's list, which on instruments below 46 also holds the built-in
// operator: an operator already there is not added again. An operator whose rights the file
// does not give keeps the rights it had (all rights when it is new). False when an exchange
// failed or the list was full.
bool restoreOperators(instrument::UCKRNVisual& control, const OperatorList& list);

}  // namespace backup
