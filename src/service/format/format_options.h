#pragma once
// ConcludiFormattazione: the profile written into a freshly formatted configuration (option
// bytes, the administrator user, the customer texts, the I/O assignment, the name), between two
// restarts of the instrument. The option bytes and the I/O assignment tables are data here, so
// that what a profile gives on each generation and I/O hardware can be looked at and tested.
#include <cstdint>
#include <vector>

#include "provisioning/profilo.h"
#include "service/core/command_host.h"

namespace service {

// The option bytes A [100], B [101], C [208], D [201] a profile gives on an extension level.
struct ByteOpzione {
    std::uint8_t a = 0, b = 0, c = 0, d = 0;
};
ByteOpzione byteOpzione(std::int16_t estensioni, const provisioning::CProfilo& profilo);

// The I/O hardware of an instrument, which picks the column of the assignment table.
enum class HardwareIO { Standard, IOT, VIOBUS };
HardwareIO hardwareIO(const instrument::UCKRNVisual& control);

// One function code of the I/O assignment: slot 0..7 of the input table or of the output table.
struct AssegnazioneIO {
    bool uscita;
    int slot;
    std::uint8_t codice;
    bool operator==(const AssegnazioneIO&) const = default;
};
// The slots written for the profile on that hardware, in table order (inputs, then outputs).
std::vector<AssegnazioneIO> assegnazioneIO(HardwareIO hw, const provisioning::CProfilo& profilo);

// The administrator user that a format leaves in the operator list (extension 46 on).
inline constexpr std::int32_t kCodiceAmministratore = 1;
inline constexpr const char* kNomeAmministratore = "ADMIN";

inline constexpr const char* kClienteNonConfigurabile =
    "Non è stato possibile configurare lo strumento per il cliente specificato";

// The whole step, as the format's last. completaFirma: "FontOK" (0..5) is written after the
// name and before the closing restart, so that a format broken off before this point leaves the
// header check failing (see SendSetup). False at the first failed write or on Cancel.
bool ConcludiFormattazione(CommandHost& host, bool elettrica, const provisioning::CProfilo& profilo,
                           bool completaFirma = false);

}  // namespace service
