#include "instrument/job_scaling.h"

#include <algorithm>
#include <cmath>

namespace instrument {
namespace {

struct Rule {
    int decimals;
    double decodeFactor;
    double encodeFactor;
};

Rule rule(const JobContext& ctx, const ScalaFase& s, Scala kind) {
    const auto& v = ctx.v;
    const double quota = v.FattoriQuota[std::min<std::size_t>(v.umQuotaIndice, 3)];
    const int speedDecimals = v.decimaliQuota > 0 ? v.decimaliQuota - 1 : v.decimaliQuota;
    switch (kind) {
        case Scala::Forza: {
            const double f = v.FattoriForza[static_cast<std::size_t>(std::clamp(s.umForza, 0, 3))];
            return {s.decimaliForza, f, f};
        }
        case Scala::QuotaStrumento:
            return {v.decimaliQuota, quota, quota};
        case Scala::QuotaFase:
            return {s.decimaliQuota, quota, quota};
        case Scala::Speed:
            return {speedDecimals, quota, 1};
        case Scala::SpeedSenzaUnita:
            return {v.decimaliQuota - 1, 1, 1};
        case Scala::SpeedLavoro:
            return {s.decimaliSpeedLavoro, 1, 1};
        case Scala::SpeedPreArresto:
            return {s.decimaliSpeedPreArresto, 1, 1};
        case Scala::Supplementare:
            return {v.decimaliSuppl, 1, 1};
    }
    return {0, 1, 1};
}

}  // namespace

ScalaFase scalaPerFase(const JobContext& ctx, const FaseLavoro& f) {
    const auto& v = ctx.v;
    ScalaFase s;
    s.decimaliForza = f.UltraLowForce ? v.decimaliForza2 : v.decimaliForza;
    s.umForza = f.UltraLowForce ? v.umForza2Indice : v.umForzaIndice;
    s.decimaliQuota = f.CurvaTastatore ? v.decimaliSuppl : v.decimaliQuota;
    int speed;
    if (f.LowSpeedWorking)
        speed = 3;
    else if (f.ProvaInTrazione)
        speed = v.decimaliQuota;
    else if (f.UsaTastatore)
        speed = v.decimaliSuppl - 1;
    else
        speed = v.decimaliQuota - 1;
    s.decimaliSpeedLavoro = speed;
    s.decimaliSpeedPreArresto = speed;
    return s;
}

double decodeValue(const JobContext& ctx, const ScalaFase& s, Scala kind, std::uint16_t raw) {
    const Rule r = rule(ctx, s, kind);
    return raw * r.decodeFactor / std::pow(10.0, r.decimals);
}

std::uint16_t encodeValue(const JobContext& ctx, const ScalaFase& s, Scala kind, double value) {
    const Rule r = rule(ctx, s, kind);
    const double raw = std::nearbyint(value * std::pow(10.0, r.decimals) / r.encodeFactor);
    return static_cast<std::uint16_t>(std::clamp(raw, 0.0, 65535.0));
}

}  // namespace instrument
