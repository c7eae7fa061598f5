#pragma once
// The restore in two passes: first every key the restore will write is read from the file,
// converted for the target and checked against its field, giving the list of writes; only
// when the whole file passed are the writes made. A bad file is refused with the key and its
// line, before anything is written.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/ini_file.h"
#include "backup/result.h"
#include "instrument/uckrnvisual.h"

namespace backup {

struct RestoreGroups {
    bool taratura = false;         // calibration
    bool configStrumento = false;  // instrument configuration
    bool configCilindro = false;   // press limits of electric presses
};

struct RestoreStep {
    std::function<bool()> run;  // one write (or the operator list); false when it failed
    int progress = -1;          // >= 0: a progress point (percent) instead of a write
};

struct RestorePlan {
    std::vector<RestoreStep> steps;
    std::optional<Result> refusal;  // the file was refused: nothing may be written
};

// Builds the writes for the target instrument from an accepted file whose instrument level is F
// and file type T. Works on the control's option words (the options of the file are set in
// them); on a refusal they are put back as they were.
RestorePlan planRestore(instrument::UCKRNVisual& control, IniFile& file, int F, int T,
                        const RestoreGroups& groups);

// "FILE was refused: ..." for a file name (or "The backup file" when the store has none).
std::string refusedFile(const IniFile& file, const std::string& why);

}  // namespace backup
