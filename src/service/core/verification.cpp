#include "service/core/verification.h"

#include <sstream>
#include <utility>

namespace service {

std::optional<instrument::Nvram::Mismatch> withVerification(instrument::Nvram& nvram, bool verify,
                                                            const std::function<void()>& body) {
    nvram.verify = verify;
    nvram.verifyFailure.reset();
    body();
    nvram.verify = false;
    return std::exchange(nvram.verifyFailure, std::nullopt);
}

std::string verifyFailureText(const instrument::Nvram::Mismatch& m) {
    std::ostringstream text;
    if (m.write)
        text << "the byte written at &H" << std::hex << std::uppercase << m.address << std::dec
             << " reads back " << m.found << " (" << m.expected << " was written)";
    else
        text << "the reads of &H" << std::hex << std::uppercase << m.address << std::dec
             << " disagree (" << m.expected << ", " << m.found << ")";
    return text.str();
}

}  // namespace service
