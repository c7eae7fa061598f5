#include "instrument/job_codec.h"

#include <algorithm>
#include <cmath>

#include "instrument/checkpoints.h"
#include "instrument/generations.h"
#include "platform/text_file.h"

namespace instrument {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le(const Bytes& b, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) |
            (at + static_cast<std::size_t>(i) < b.size() ? b[at + static_cast<std::size_t>(i)] : 0);
    return v;
}

Bytes toLe(std::uint32_t v, int width) {
    Bytes b;
    for (int i = 0; i < width; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

FieldWrite number(std::int32_t offset, std::uint32_t v, int width) {
    return {offset, toLe(v, width), false};
}

FieldWrite text(std::int32_t offset, const std::string& utf8, std::size_t max) {
    std::string s = platform::utf8ToCp1252(utf8);
    if (s.size() > max) s.resize(max);
    Bytes b{static_cast<std::uint8_t>(s.size())};
    b.insert(b.end(), s.begin(), s.end());
    return {offset, b, true};
}

int bcd(std::uint8_t b, std::uint8_t tensMask) {
    return ((b & tensMask) >> 4) * 10 + (b & 0x0F);
}
std::uint8_t toBcd(int v) {
    return static_cast<std::uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}

bool validDate(const platform::LocalDateTime& t) {
    static constexpr int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    const bool leap = t.year % 4 == 0;
    return t.day <= (t.month == 2 && !leap ? 28 : days[t.month - 1]);
}

// The phase fields that are 16-bit scaled values.
struct FloatField {
    std::int32_t offset;
    Scala kind;
    float FaseLavoro::*member;
    bool (*read)(std::int16_t estensioni);   // whether the generation stores the field
    bool (*write)(std::int16_t estensioni);  // and whether it is written
};

const FloatField kFixed[] = {
    {16, Scala::QuotaFase, &FaseLavoro::OrigineQuotaGrafico, sempre, sempre},
    {18, Scala::Forza, &FaseLavoro::ForzaStop, sempre, sempre},
    {20, Scala::Forza, &FaseLavoro::ForzaMin, sempre, sempre},
    {22, Scala::Forza, &FaseLavoro::ForzaMax, sempre, sempre},
    {24, Scala::Forza, &FaseLavoro::ForzaZero, sempre, sempre},
    {26, Scala::QuotaStrumento, &FaseLavoro::QuotaStop, sempre, sempre},
    {28, Scala::QuotaStrumento, &FaseLavoro::QuotaMin, sempre, sempre},
    {30, Scala::QuotaStrumento, &FaseLavoro::QuotaMax, sempre, sempre},
    {32, Scala::QuotaFase, &FaseLavoro::QuotaInizioMin, sempre, sempre},
    {34, Scala::QuotaFase, &FaseLavoro::QuotaInizioMax, sempre, sempre},
    {38, Scala::Speed, &FaseLavoro::SpeedMin, sempre, campiAzionamentoScritti},
    {40, Scala::Speed, &FaseLavoro::SpeedMax, sempre, campiAzionamentoScritti},
    {42, Scala::Supplementare, &FaseLavoro::SupplementareStop, supplementareLetto,
     campiAzionamentoScritti},
    {44, Scala::Supplementare, &FaseLavoro::SupplementareMin, supplementareLetto,
     campiAzionamentoScritti},
    {46, Scala::Supplementare, &FaseLavoro::SupplementareMax, supplementareLetto,
     campiAzionamentoScritti},
    {48, Scala::QuotaFase, &FaseLavoro::SupplemQuotaMisura, quotaMisuraLetta, conIngressoTestFase},
    {50, Scala::QuotaFase, &FaseLavoro::QuotaNascondiAttrito, conQuotaNascondiAttrito,
     conQuotaNascondiAttrito},
    {69, Scala::QuotaFase, &FaseLavoro::FondoScalaQuotaGrafico, fondoScalaLetto, fondoScalaScritto},
    {71, Scala::Forza, &FaseLavoro::FondoScalaForzaGrafico, fondoScalaLetto, fondoScalaScritto},
};

// The electric-press extension block, offsets from its start.
const FloatField kExtension[] = {
    {0, Scala::QuotaStrumento, &FaseLavoro::QuotaAttesa, sempre, sempre},
    {2, Scala::QuotaStrumento, &FaseLavoro::QuotaRapido, sempre, sempre},
    {8, Scala::SpeedSenzaUnita, &FaseLavoro::SpeedRapido, sempre, sempre},
    {10, Scala::QuotaStrumento, &FaseLavoro::QuotaPreArresto, sempre, sempre},
    {12, Scala::SpeedSenzaUnita, &FaseLavoro::SpeedContatto, sempre, sempre},
    {14, Scala::SpeedLavoro, &FaseLavoro::SpeedLavoro, conSpeedLavoro, conSpeedLavoro},
    {16, Scala::SpeedSenzaUnita, &FaseLavoro::SpeedRitorno, sempre, sempre},
    {18, Scala::SpeedPreArresto, &FaseLavoro::SpeedPreArresto, sempre, sempre},
};
constexpr std::size_t kExtensionSize = 20;

std::uint32_t FaseLavoro::*const kMasks[4] = {
    &FaseLavoro::ArrestoImmediato, &FaseLavoro::BloccoConPassword, &FaseLavoro::BloccoNormale,
    &FaseLavoro::ScartoSpeciale};

Scala setPointKind(const JobContext& ctx, const FaseLavoro& f) {
    if (ctx.id.PressaRaddrizzatrice || f.AttivaFrenoSuForza) return Scala::Forza;
    if (f.AttivaFrenoSuQuota) return Scala::QuotaStrumento;
    return Scala::Forza;
}

// A field of the fixed part lies inside the generation's phase base; when decoding, also inside
// the record given.
bool fits(const JobContext& ctx, std::int32_t offset, int width) {
    return offset + width <= ctx.id.DimFaseBase;
}
bool fits(const JobContext& ctx, const Bytes& b, std::int32_t offset, int width) {
    return fits(ctx, offset, width) && static_cast<std::size_t>(offset + width) <= b.size();
}
bool inside(const Bytes& b, std::size_t at, std::size_t width) {
    return at + width <= b.size();
}

bool hasExtension(const JobContext& ctx) {
    return ctx.id.DimFaseExtra >= static_cast<int>(kExtensionSize);
}
bool hasExtension(const JobContext& ctx, const Bytes& b) {
    return hasExtension(ctx) && ctx.id.DimFaseBase >= 0 &&
           inside(b, static_cast<std::size_t>(ctx.id.DimFaseBase), kExtensionSize);
}

// Flag bytes first: they decide the phase's scaling.
void decodePhaseFlags(const JobContext& ctx, const Bytes& b, FaseLavoro& f) {
    const std::int16_t e = ctx.estensioni;
    if (conFlagFase(e) && fits(ctx, b, 13, 1)) {
        const std::uint8_t x = b[13];
        f.QuoteRelative = x & 1;
        f.ProvaInTrazione = x & 2;
        f.VacuumHolder = x & 4;
        f.CurvaTastatore = x & 8;
        f.EseguiSubitoFaseSuccessiva = x & 16;
        for (std::size_t i = 0; i < f.EnableInput.size() && i < 3; ++i)
            f.EnableInput[i] = (x >> (5 + i)) & 1;
    }
    if (fits(ctx, b, 68, 1)) {
        f.UsaTastatore = b[68] & 1;
        f.AttivaFrenoSuForza = b[68] & 2;
        f.AttivaFrenoSuQuota = b[68] & 4;
    }
    if (hasExtension(ctx, b) && conFlagVelocita(e)) {
        const std::uint8_t x = b[static_cast<std::size_t>(ctx.id.DimFaseBase) + 5];
        f.LowSpeedWorking = x & 1;
        f.LowSpeedAcquiring = x & 2;
        f.UltraLowForce = x & 4;
    }
}

}  // namespace

std::string decodeName(const Bytes& bytes, std::size_t at, std::size_t room) {
    if (at >= bytes.size()) return "";
    const std::size_t len = bytes[at];
    if (len >= 15) return "<?>";
    const std::size_t n = std::min({len, room, bytes.size() - at - 1});
    return platform::cp1252ToUtf8(
        std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                    bytes.begin() + static_cast<std::ptrdiff_t>(at + 1 + n)));
}

void sizePhase(const Identity& id, FaseLavoro& f) {
    f.TestInput.resize(
        static_cast<std::size_t>(std::max<std::int16_t>(id.NumeroMassimoTestInput, 0)), 0);
    f.EnableInput.resize(
        static_cast<std::size_t>(std::max<std::int16_t>(id.NumeroMassimoEnableInput, 0)), 0);
    f.checkPoint.resize(
        static_cast<std::size_t>(std::max<std::int16_t>(id.NumeroMassimoCheckPoint, 0)));
    for (auto* edge : {&f.bordoInferiore, &f.bordoSuperiore})
        if (edge->size() < 101) edge->resize(101);
}

// Only the fields that lie inside the header given are decoded; the others keep their values.
void decodeHeader(const JobContext& ctx, const Bytes& b, JobImage& job) {
    const std::int16_t p = ctx.id.Protocollo, e = ctx.estensioni;
    if (inside(b, 0, 1)) job.NomeLavoro = decodeName(b, 0, 13);
    if (inside(b, 14, 1))
        for (std::size_t i = 0; i < job.fasi.size(); ++i)
            job.fasi[i].FaseAbilitata = i < 8 && ((b[14] >> i) & 1);
    if (inside(b, 19, 3)) job.NumeroBuoni = static_cast<std::int32_t>(le(b, 19, 3));
    if (inside(b, 22, 2)) job.NumeroScarti = static_cast<std::int32_t>(le(b, 22, 2));
    if (dataLavoroLetta(p, e) && inside(b, 24, 6)) {
        platform::LocalDateTime t{2000 + bcd(b[29], 0xF0),
                                  bcd(b[28], 0x10),
                                  bcd(b[27], 0x30),
                                  bcd(b[26], 0x30),
                                  bcd(b[25], 0x70),
                                  bcd(b[24], 0x70),
                                  0};
        if (validDate(t)) job.DataModifiche = t;
    }
    if (conNumeroMassimoScarti(e) && inside(b, 30, 2))
        job.NumeroMassimoScarti = static_cast<std::int32_t>(le(b, 30, 2));
    if (conFlagLavoro(p, e) && inside(b, 32, 1)) {
        job.ChiediCodice = b[32] & 1;
        job.SpecialJob = b[32] & 0x80;
    }
    if (jobIdTreByte(p) && inside(b, 33, 3)) job.JobID = static_cast<std::int32_t>(le(b, 33, 3));
    if (testataSenzaAutoverifica(p)) {
        job.Parametro = job.CampioniAutover = 0;
        job.AutoverNoBuoni = job.AutoverNoScarti = false;
    }
    if (testataIntermedia(p, e) && inside(b, 33, 7)) {
        job.JobID = static_cast<std::int32_t>(le(b, 33, 2));
        job.Parametro = static_cast<std::int32_t>(le(b, 35, 3));
        job.CampioniAutover = b[38];
        job.AutoverNoBuoni = b[39] & 1;
        job.AutoverNoScarti = b[39] & 2;
    }
    if (conPercentualeScarti(e) && inside(b, 38, 1)) job.PercentualeScartiMassima = b[38];
    if (conTempoVitaFase(e) && inside(b, 39, 1)) job.TempoVitaFase = b[39];
    if (conConfermaFinePezzo(e) && inside(b, 42, 1)) {
        job.ChiediConfermaFinePezzo = b[42] & 1;
        job.SequeceOfJob = conSequenzaLavori(e) && (b[42] & 0x80);
    }
    const std::size_t codeAt = static_cast<std::size_t>(ctx.id.PosizioneCodiceLavoro) + 14;
    if (conCodiceLavoro(e) && codeAt < b.size()) {
        const std::size_t room = std::min<std::size_t>(
            static_cast<std::size_t>(ctx.id.LunghezzaCodiceLavoro), b.size() - codeAt - 1);
        job.CodiceLavoro = b[codeAt] > room ? "" : decodeName(b, codeAt, room);
    }
}

std::vector<FieldWrite> encodeHeader(const JobContext& ctx, const JobImage& job, bool existing) {
    const std::int16_t p = ctx.id.Protocollo, e = ctx.estensioni;
    std::vector<FieldWrite> w;
    w.push_back(text(0, job.NomeLavoro, 13));
    if (abilitazioniFasiScritte(e) || !existing) {
        std::uint32_t mask = 0;
        for (std::size_t i = 0; i < job.fasi.size() && i < 8; ++i)
            if (job.fasi[i].FaseAbilitata) mask |= 1u << i;
        w.push_back(number(14, mask, 1));
    }
    if (dataLavoroScritta(e)) {
        const auto& t = job.DataModifiche;
        w.push_back({24,
                     {toBcd(t.second), toBcd(t.minute), toBcd(t.hour), toBcd(t.day), toBcd(t.month),
                      toBcd(t.year % 100)},
                     false});
    }
    if (conNumeroMassimoScarti(e))
        w.push_back(number(30, static_cast<std::uint32_t>(job.NumeroMassimoScarti), 2));
    if (conFlagLavoro(p, e))
        w.push_back(number(32, (job.ChiediCodice ? 1u : 0u) | (job.SpecialJob ? 0x80u : 0u), 1));
    if (jobIdTreByte(p)) w.push_back(number(33, static_cast<std::uint32_t>(job.JobID), 3));
    if (testataIntermedia(p, e)) {
        w.push_back(number(33, static_cast<std::uint32_t>(job.JobID), 2));
        w.push_back(number(35, static_cast<std::uint32_t>(job.Parametro), 3));
        w.push_back(number(38, static_cast<std::uint32_t>(job.CampioniAutover), 1));
        w.push_back(
            number(39, (job.AutoverNoBuoni ? 1u : 0u) | (job.AutoverNoScarti ? 2u : 0u), 1));
    }
    if (conPercentualeScarti(e))
        w.push_back(number(38, static_cast<std::uint32_t>(job.PercentualeScartiMassima), 1));
    if (conTempoVitaFase(e))
        w.push_back(number(39, static_cast<std::uint32_t>(job.TempoVitaFase), 1));
    if (conConfermaFinePezzo(e))
        w.push_back(number(42,
                           (job.ChiediConfermaFinePezzo ? 1u : 0u) |
                               (conSequenzaLavori(e) && job.SequeceOfJob ? 0x80u : 0u),
                           1));
    if (conCodiceLavoro(e))
        w.push_back(text(ctx.id.PosizioneCodiceLavoro + 14, job.CodiceLavoro,
                         static_cast<std::size_t>(ctx.id.LunghezzaCodiceLavoro)));
    // Nothing may stray beyond the header.
    std::erase_if(w, [&](const FieldWrite& f) {
        return f.offset + static_cast<std::int32_t>(f.bytes.size()) > ctx.id.DimTestataLavoro;
    });
    return w;
}

// Only the fields that lie inside the phase base (and the record given) are decoded; the
// others keep their values.
void decodePhase(const JobContext& ctx, const Bytes& b, FaseLavoro& f) {
    const std::int16_t e = ctx.estensioni;
    decodePhaseFlags(ctx, b, f);
    f.scala = scalaPerFase(ctx, f);
    if (inside(b, 0, 1)) f.NomeFase = decodeName(b, 0, 10);
    if (fits(ctx, b, 11, 1)) f.TipoFase = b[11];
    if (conIngressoTestFase(e) && fits(ctx, b, 12, 1) && !f.TestInput.empty())
        f.TestInput[0] = b[12];
    if (fits(ctx, b, 14, 1)) f.FondoScalaForzaIndice = b[14];
    if (fits(ctx, b, 15, 1)) f.FondoScalaQuotaIndice = b[15];
    for (const FloatField& field : kFixed)
        if (field.read(e) && fits(ctx, b, field.offset, 2))
            f.*field.member = static_cast<float>(decodeValue(
                ctx, f.scala, field.kind,
                static_cast<std::uint16_t>(le(b, static_cast<std::size_t>(field.offset), 2))));
    if (fits(ctx, b, 36, 2))
        f.SetPoint = static_cast<float>(decodeValue(ctx, f.scala, setPointKind(ctx, f),
                                                    static_cast<std::uint16_t>(le(b, 36, 2))));
    const int stopDelayWidth = stopDelayDueByte(e) ? 2 : 1;
    if (stopDelayLetto(e) && fits(ctx, b, 52, stopDelayWidth))
        f.StopDelay = static_cast<float>(le(b, 52, stopDelayWidth)) / 10.0f;
    if (causeScartoLette(e) && fits(ctx, b, 54, 12))
        for (int m = 0; m < 4; ++m) f.*kMasks[m] = le(b, static_cast<std::size_t>(54 + 3 * m), 3);
    if (conRipetizioniFase(e) && fits(ctx, b, 66, 1)) f.NumeroRipetizioniFase = b[66];
    if (fits(ctx, b, 67, 1)) f.Pressione = b[67];
    if (hasExtension(ctx, b)) {
        const auto base = static_cast<std::size_t>(ctx.id.DimFaseBase);
        for (const FloatField& field : kExtension)
            if (field.read(e))
                f.*field.member = static_cast<float>(
                    decodeValue(ctx, f.scala, field.kind,
                                static_cast<std::uint16_t>(
                                    le(b, base + static_cast<std::size_t>(field.offset), 2))));
        f.ByteEstensione4 = b[base + 4];
    }
    decodeCurveChecks(ctx, f.scala, b, f);
}

std::vector<FieldWrite> encodePhase(const JobContext& ctx, const FaseLavoro& f) {
    const std::int16_t e = ctx.estensioni;
    const ScalaFase scala = scalaPerFase(ctx, f);
    std::vector<FieldWrite> w;
    w.push_back(text(0, f.NomeFase, 10));
    if (fits(ctx, 11, 1)) w.push_back(number(11, static_cast<std::uint32_t>(f.TipoFase), 1));
    if (conIngressoTestFase(e) && fits(ctx, 12, 1) && !f.TestInput.empty())
        w.push_back(number(12, static_cast<std::uint32_t>(f.TestInput[0]), 1));
    if (conFlagFase(e) && fits(ctx, 13, 1)) {
        std::uint32_t x = (f.QuoteRelative ? 1u : 0u) | (f.ProvaInTrazione ? 2u : 0u) |
                          (f.VacuumHolder ? 4u : 0u) | (f.CurvaTastatore ? 8u : 0u) |
                          (f.EseguiSubitoFaseSuccessiva ? 16u : 0u);
        for (std::size_t i = 0; i < f.EnableInput.size() && i < 3; ++i)
            if (f.EnableInput[i]) x |= 1u << (5 + i);
        w.push_back(number(13, x, 1));
    }
    w.push_back(number(14, static_cast<std::uint32_t>(f.FondoScalaForzaIndice), 1));
    w.push_back(number(15, static_cast<std::uint32_t>(f.FondoScalaQuotaIndice), 1));
    for (const FloatField& field : kFixed)
        if (field.write(e) && fits(ctx, field.offset, 2))
            w.push_back(
                number(field.offset, encodeValue(ctx, scala, field.kind, f.*field.member), 2));
    w.push_back(number(36, encodeValue(ctx, scala, setPointKind(ctx, f), f.SetPoint), 2));
    if (stopDelayScritto(e) && fits(ctx, 52, 1)) {
        const double raw = std::nearbyint(static_cast<double>(f.StopDelay) * 10.0);
        w.push_back(number(52, static_cast<std::uint32_t>(std::clamp(raw, 0.0, 65535.0)),
                           stopDelayDueByte(e) ? 2 : 1));
    }
    if (causeScartoScritte(e) && fits(ctx, 54, 12))
        for (int m = 0; m < 4; ++m) w.push_back(number(54 + 3 * m, f.*kMasks[m] & 0xFFFFFF, 3));
    if (conRipetizioniFase(e) && fits(ctx, 66, 1))
        w.push_back(number(66, static_cast<std::uint32_t>(f.NumeroRipetizioniFase), 1));
    if (fits(ctx, 67, 1)) w.push_back(number(67, static_cast<std::uint32_t>(f.Pressione), 1));
    if (fits(ctx, 68, 1))
        w.push_back(number(68,
                           (f.UsaTastatore ? 1u : 0u) | (f.AttivaFrenoSuForza ? 2u : 0u) |
                               (f.AttivaFrenoSuQuota ? 4u : 0u),
                           1));
    // Nothing of the fixed part may stray beyond the phase base.
    std::erase_if(w, [&](const FieldWrite& x) {
        return x.offset + static_cast<std::int32_t>(x.bytes.size()) > ctx.id.DimFaseBase;
    });
    if (hasExtension(ctx)) {
        const std::int32_t base = ctx.id.DimFaseBase;
        for (const FloatField& field : kExtension)
            if (field.write(e))
                w.push_back(number(base + field.offset,
                                   encodeValue(ctx, scala, field.kind, f.*field.member), 2));
        if (conFlagVelocita(e)) {
            w.push_back(number(base + 4, f.ByteEstensione4, 1));
            w.push_back(number(base + 5,
                               (f.LowSpeedWorking ? 1u : 0u) | (f.LowSpeedAcquiring ? 2u : 0u) |
                                   (f.UltraLowForce ? 4u : 0u),
                               1));
        }
    }
    encodeCurveChecks(ctx, scala, f, w);
    return w;
}

}  // namespace instrument
