#pragma once
// The annotated map of an NVRAM image: which address range holds what, the recorded addresses
// and the configuration values decoded. What a support engineer reads to find why an
// instrument shows a wrong text.
#include <cstdint>
#include <string>
#include <vector>

#include "provisioning/image_builder.h"

namespace provisioning {

struct RigaMappa {
    std::int32_t da;  // first address
    std::int32_t a;   // last address (da - 1 for an empty range)
    std::string cosa;
};

// The blocks of a built image, in address order.
std::vector<RigaMappa> mappaBlocchi(const Immagine& immagine);

struct ValoreConfigurazione {
    std::int32_t indirizzo;
    std::string nome;
    std::string valore;
};
// The configuration values of an image's bytes (from address 46) at the addresses the
// configuration reader uses; a text is shown between double quotes as the display codes hold it.
std::vector<ValoreConfigurazione> decodificaConfigurazione(const std::vector<std::uint8_t>& byte,
                                                           bool elettrica);

}  // namespace provisioning
