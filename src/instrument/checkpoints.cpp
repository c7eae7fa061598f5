#include "instrument/checkpoints.h"

#include <algorithm>

#include "instrument/job_codec.h"

namespace instrument {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t word(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// How a checkpoint type scales its three stored words into values 1, 3 and 4.
struct Layout {
    Scala first, second, third;
};

Layout layout(int tipo) {
    switch (tipo) {
        case 1:
            return {Scala::QuotaFase, Scala::QuotaFase, Scala::QuotaFase};  // speed
        case 5:
            return {Scala::Forza, Scala::QuotaFase, Scala::QuotaFase};  // horizontal
        case 6:
            return {Scala::QuotaStrumento, Scala::QuotaStrumento,
                    Scala::QuotaStrumento};  // outputs
        default:
            return {Scala::QuotaFase, Scala::Forza, Scala::Forza};  // 2, 3, 4
    }
}

std::size_t checkPointBase(const JobContext& ctx) {
    return static_cast<std::size_t>(ctx.id.DimFaseBase + ctx.id.DimFaseExtra);
}

std::size_t bandBase(const JobContext& ctx) {
    return checkPointBase(ctx) +
           static_cast<std::size_t>(ctx.id.NumeroMassimoCheckPoint * ctx.id.DimCheckPoint);
}

}  // namespace

void decodeCurveChecks(const JobContext& ctx, const ScalaFase& s, const Bytes& b, FaseLavoro& f) {
    const std::size_t dim = static_cast<std::size_t>(ctx.id.DimCheckPoint);
    // Only the slots and band points that lie inside the record given are decoded.
    for (std::size_t k = 0; k < f.checkPoint.size() && dim >= 7; ++k) {
        const std::size_t at = checkPointBase(ctx) + k * dim;
        if (at + 7 > b.size()) break;
        CheckPoint cp;
        const int stored = (b[at + 6] & 0x07) + 1;
        if (stored <= 6) {  // codes 6 and 7 mark an empty slot
            cp.tipo = stored;
            const Layout l = layout(stored);
            std::uint16_t second = word(b, at + 2);
            if (stored == 3) second &= 0x0FFF;
            cp.valore1 = static_cast<float>(decodeValue(ctx, s, l.first, word(b, at)));
            cp.valore3 = static_cast<float>(decodeValue(ctx, s, l.second, second));
            cp.valore4 = static_cast<float>(decodeValue(ctx, s, l.third, word(b, at + 4)));
            if (stored == 3) {
                const int two = (b[at + 6] >> 4) * 10 + (b[at + 3] >> 4);
                cp.valore2 = static_cast<float>(
                    decodeValue(ctx, s, Scala::QuotaFase, static_cast<std::uint16_t>(two)));
            }
        }
        f.checkPoint[k] = cp;
    }
    const std::size_t pointBytes =
        1 + 4 * static_cast<std::size_t>(ctx.id.NumeroMassimoPuntiFascia);
    std::int16_t* counts[2] = {&f.PuntiBordoInferiore, &f.PuntiBordoSuperiore};
    std::vector<PuntoFascia>* edges[2] = {&f.bordoInferiore, &f.bordoSuperiore};
    for (int e = 0; e < 2; ++e) {
        const std::size_t at = bandBase(ctx) + static_cast<std::size_t>(e) * pointBytes;
        if (at >= b.size()) break;
        const std::size_t room = (b.size() - at - 1) / 4;
        const auto n = static_cast<std::int16_t>(std::min<std::size_t>(
            {b[at],
             static_cast<std::size_t>(std::max<std::int16_t>(ctx.id.NumeroMassimoPuntiFascia, 0)),
             room}));
        *counts[e] = n;
        if (edges[e]->size() < static_cast<std::size_t>(n))
            edges[e]->resize(static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
            const std::size_t p = at + 1 + 4 * i;
            (*edges[e])[i].quota =
                static_cast<float>(decodeValue(ctx, s, Scala::QuotaFase, word(b, p)));
            (*edges[e])[i].forza =
                static_cast<float>(decodeValue(ctx, s, Scala::Forza, word(b, p + 2)));
        }
    }
}

void encodeCurveChecks(const JobContext& ctx, const ScalaFase& s, const FaseLavoro& f,
                       std::vector<FieldWrite>& w) {
    const std::size_t dim = static_cast<std::size_t>(ctx.id.DimCheckPoint);
    for (std::size_t k = 0; k < f.checkPoint.size() && dim >= 7; ++k) {
        const CheckPoint& cp = f.checkPoint[k];
        Bytes rec(7, 0xFF);  // an empty slot
        if (cp.tipo >= 1 && cp.tipo <= 6) {
            const Layout l = layout(cp.tipo);
            std::uint16_t v1 = encodeValue(ctx, s, l.first, cp.valore1);
            std::uint16_t v3 = encodeValue(ctx, s, l.second, cp.valore3);
            std::uint16_t v4 = encodeValue(ctx, s, l.third, cp.valore4);
            std::uint8_t high6 = 0;
            if (cp.tipo == 3) {
                const int two =
                    std::min<int>(encodeValue(ctx, s, Scala::QuotaFase, cp.valore2), 99);
                v3 = static_cast<std::uint16_t>((v3 & 0x0FFF) | ((two % 10) << 12));
                high6 = static_cast<std::uint8_t>((two / 10) << 4);
            }
            rec = {static_cast<std::uint8_t>(v1),
                   static_cast<std::uint8_t>(v1 >> 8),
                   static_cast<std::uint8_t>(v3),
                   static_cast<std::uint8_t>(v3 >> 8),
                   static_cast<std::uint8_t>(v4),
                   static_cast<std::uint8_t>(v4 >> 8),
                   static_cast<std::uint8_t>(high6 | (cp.tipo - 1))};
        }
        w.push_back({static_cast<std::int32_t>(checkPointBase(ctx) + k * dim), rec, false});
    }
    const std::size_t pointBytes =
        1 + 4 * static_cast<std::size_t>(ctx.id.NumeroMassimoPuntiFascia);
    const std::int16_t counts[2] = {f.PuntiBordoInferiore, f.PuntiBordoSuperiore};
    const std::vector<PuntoFascia>* edges[2] = {&f.bordoInferiore, &f.bordoSuperiore};
    for (int e = 0; e < 2; ++e) {
        const std::size_t at = bandBase(ctx) + static_cast<std::size_t>(e) * pointBytes;
        const auto n = static_cast<std::size_t>(
            std::clamp<int>(counts[e], 0, ctx.id.NumeroMassimoPuntiFascia));
        Bytes rec{static_cast<std::uint8_t>(n)};
        for (std::size_t i = 0; i < n && i < edges[e]->size(); ++i) {
            const std::uint16_t q = encodeValue(ctx, s, Scala::QuotaFase, (*edges[e])[i].quota);
            const std::uint16_t fz = encodeValue(ctx, s, Scala::Forza, (*edges[e])[i].forza);
            rec.insert(rec.end(),
                       {static_cast<std::uint8_t>(q), static_cast<std::uint8_t>(q >> 8),
                        static_cast<std::uint8_t>(fz), static_cast<std::uint8_t>(fz >> 8)});
        }
        w.push_back({static_cast<std::int32_t>(at), rec, false});
    }
}

void CurveChecks::set(int n, int tipo, float v1, float v2, float v3, float v4) {
    if (n < 1 || static_cast<std::size_t>(n) > f_.checkPoint.size()) return;
    f_.checkPoint[static_cast<std::size_t>(n) - 1] = {tipo, v1, v2, v3, v4, 0};
}

void CurveChecks::CheckPointVerticale(int n, float posizione, float forzaMinima,
                                      float forzaMassima) {
    set(n, 4, posizione, 0, forzaMinima, forzaMassima);
}
void CurveChecks::CheckPointOrizzontale(int n, float forza, float quotaMinima, float quotaMassima) {
    set(n, 5, forza, 0, quotaMinima, quotaMassima);
}
void CurveChecks::CheckPointSpeed(int n, float quotaInizio, float quotaFine) {
    set(n, 1, 0, 0, quotaInizio, quotaFine);
}
void CurveChecks::CheckPointMinMax(int n, float posizione, float minimo, float massimo) {
    set(n, 2, posizione, 0, minimo, massimo);
}
void CurveChecks::CheckPointVariazione(int n, float posizione, float distanza, float minimo,
                                       float massimo) {
    set(n, 3, posizione, distanza, minimo, massimo);
}
void CurveChecks::CheckPointUscite(int n, float posizione, float quota1, float quota2) {
    set(n, 6, posizione, 0, quota1, quota2);
}

const CheckPoint* CurveChecks::slot(int n) const {
    if (n < 1 || static_cast<std::size_t>(n) > f_.checkPoint.size()) return nullptr;
    return &f_.checkPoint[static_cast<std::size_t>(n) - 1];
}

bool CurveChecks::tipo(int n, int t) const {
    const CheckPoint* cp = slot(n);
    return cp && cp->tipo == t;
}

bool CurveChecks::CheckPointEsiste(int n) const {
    const CheckPoint* cp = slot(n);
    if (!cp || cp->tipo == 0) return false;
    // A speed measurement needs a stretch, a min/max test or an output switch a range.
    if (cp->tipo == 1) return cp->valore4 > cp->valore3;
    if (cp->tipo == 2 || cp->tipo == 6) return cp->valore4 >= cp->valore3;
    return true;
}

void CurveChecks::EliminaTuttiCheckPoint() {
    for (CheckPoint& cp : f_.checkPoint) cp = {};
}

void CurveChecks::ClearFascia() {
    f_.PuntiBordoInferiore = f_.PuntiBordoSuperiore = 0;
}

void CurveChecks::add(std::int16_t& count, std::vector<PuntoFascia>& edge, float quota,
                      float forza) {
    if (count >= massimoPunti_) return;
    ++count;
    if (edge.size() < static_cast<std::size_t>(count)) edge.resize(static_cast<std::size_t>(count));
    edge[static_cast<std::size_t>(count) - 1] = {forza, quota};
}

void CurveChecks::AddPuntoInferiore(float quota, float forza) {
    add(f_.PuntiBordoInferiore, f_.bordoInferiore, quota, forza);
}
void CurveChecks::AddPuntoSuperiore(float quota, float forza) {
    add(f_.PuntiBordoSuperiore, f_.bordoSuperiore, quota, forza);
}

}  // namespace instrument
