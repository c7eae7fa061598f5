// Verification of the NVRAM transfers (krnsetup's "Verify transfers", krnctl's --verify): while it
// is on, the instrument control reads back every write and reads again every read that followed
// a recovery (instrument::Nvram::verify). A difference that stays fails the operation.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "instrument/nvram.h"

namespace service {

// Runs body with the verification on (or off) and gives the difference that stayed, if any.
// The verification is off again afterwards.
std::optional<instrument::Nvram::Mismatch> withVerification(instrument::Nvram& nvram, bool verify,
                                                            const std::function<void()>& body);

// "the byte written at &H3A reads back 12 (13 was written)", or "the reads of &H3A disagree
// (13, 12)".
std::string verifyFailureText(const instrument::Nvram::Mismatch& m);

}  // namespace service
