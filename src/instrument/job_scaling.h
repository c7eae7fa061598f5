#pragma once
// Raw 16-bit NVRAM values and engineering units: value = raw x factor / 10^decimals.
#include <cstdint>

#include "instrument/configuration.h"
#include "instrument/identity.h"
#include "instrument/job_image.h"

namespace instrument {

enum class Scala {
    Forza,            // phase force decimals, FattoriForza(phase force unit)
    QuotaStrumento,   // decimaliQuota, FattoriQuota(umQuota)
    QuotaFase,        // phase position decimals, FattoriQuota(umQuota)
    Speed,            // decimaliQuota - 1 (not below 0); factor on decoding only
    SpeedSenzaUnita,  // decimaliQuota - 1, factor 1
    SpeedLavoro,      // phase working-speed decimals, factor 1
    SpeedPreArresto,  // phase pre-stop-speed decimals, factor 1
    Supplementare,    // decimaliSuppl, factor 1
};

// What the job codec needs to know about the instrument.
struct JobContext {
    const Identity& id;
    std::int16_t estensioni;
    const ConfigurationValues& v;
};

// The scaling values of a phase, from its flags and the instrument's units.
ScalaFase scalaPerFase(const JobContext& ctx, const FaseLavoro& f);

double decodeValue(const JobContext& ctx, const ScalaFase& s, Scala kind, std::uint16_t raw);
// Nearest integer (ties to even), kept within 0..65535.
std::uint16_t encodeValue(const JobContext& ctx, const ScalaFase& s, Scala kind, double value);

}  // namespace instrument
