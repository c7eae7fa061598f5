#include "instrument/jobs.h"

#include "instrument/generations.h"
#include "instrument/job_codec.h"
#include "instrument/nvram_map.h"
#include "platform/protocol.h"

namespace instrument {

namespace cmd = platform::cmd;

void Jobs::preparaImmagine() {
    image_ = JobImage{};
    dimensionaImmagine();
}

void Jobs::dimensionaImmagine() {
    image_.fasi.resize(static_cast<std::size_t>(std::max<std::int16_t>(id_.NumeroMassimoFasi, 0)));
    for (FaseLavoro& f : image_.fasi) sizePhase(id_, f);
}

bool Jobs::phaseDone(std::size_t fase, platform::Progress& progress) {
    if (progress.update(static_cast<long>(fase + 1))) return true;
    interrupted = true;
    return false;
}

std::optional<StatoStrumento> Jobs::LeggiStato() {
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt == 2 && link_.currentChannel() == krnlink::Channel::Usb) link_.RiapriUSB();
        if (link_.ComandoSemplice(cmd::Status, false) && link_.BufferRx[0] == 4) {
            const auto& rx = link_.BufferRx;
            return StatoStrumento{rx[1], rx[2], rx[3], static_cast<std::uint8_t>(rx[4] & 0x0F),
                                  static_cast<std::uint8_t>(rx[4] >> 4)};
        }
    }
    return std::nullopt;
}

namespace {
// The bytes [from, from + n) of a record, as far as the record reaches.
std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& record, std::size_t from,
                                std::size_t n) {
    if (from >= record.size()) return {};
    const auto begin = record.begin() + static_cast<std::ptrdiff_t>(from);
    return std::vector<std::uint8_t>(
        begin, begin + static_cast<std::ptrdiff_t>(std::min(n, record.size() - from)));
}
}  // namespace

void Jobs::decodeRecord(const std::vector<std::uint8_t>& record, JobImage& job) const {
    const JobContext ctx = context();
    const std::size_t header =
        static_cast<std::size_t>(std::max<std::int16_t>(id_.DimTestataLavoro, 0));
    decodeHeader(ctx, slice(record, 0, header), job);
    const std::size_t dim = static_cast<std::size_t>(std::max<std::int16_t>(id_.DimFase(), 0));
    for (std::size_t p = 0; p < job.fasi.size(); ++p) {
        const bool enabled = job.fasi[p].FaseAbilitata;
        decodePhase(ctx, slice(record, header + p * dim, dim), job.fasi[p]);
        job.fasi[p].FaseAbilitata = enabled;
    }
}

bool Jobs::LeggiLavoro(std::int32_t numero, platform::Progress& progress) {
    interrupted = false;
    // Not cleared: what this generation does not store, or stores invalid, keeps its value.
    dimensionaImmagine();
    if (numero <= 0) {
        if (id_.DimTestataLavoro <= 0) return false;
        auto stato = LeggiStato();
        if (!stato) return false;
        numero = stato->LavoroCorrente;
    }
    image_.PosizioneLavoro = numero;
    if (numero <= 0) return false;
    const JobContext ctx = context();
    auto header = nvram_.ReadNVRamBytes(indirizzoLavoro(numero), id_.DimTestataLavoro);
    if (!header) return false;
    decodeHeader(ctx, *header, image_);
    for (std::size_t p = 0; p < image_.fasi.size(); ++p) {
        const std::int32_t at = indirizzoLavoro(numero) + id_.DimTestataLavoro +
                                static_cast<std::int32_t>(p) * id_.DimFase();
        auto bytes = nvram_.ReadNVRamBytes(at, id_.DimFase());
        if (!bytes) return false;
        const bool enabled = image_.fasi[p].FaseAbilitata;
        decodePhase(ctx, *bytes, image_.fasi[p]);
        image_.fasi[p].FaseAbilitata = enabled;
        if (!phaseDone(p, progress)) return false;
    }
    return true;
}

bool Jobs::phaseChecks(std::int32_t numero, int fase) {
    const std::int16_t e = link_.flags.Estensioni;
    const int maxTipo = tipoFaseMassimo(e);
    const FaseLavoro& f = image_.fasi[static_cast<std::size_t>(fase - 1)];
    std::vector<std::string> failures;
    if (fase < 1 || fase > id_.NumeroMassimoFasi)
        failures.push_back("ERROR\nPhase number: " + std::to_string(fase));
    if (numero < 1 || numero > 255)
        failures.push_back("ERROR\nJob number: " + std::to_string(numero));
    if (id_.NumeroMassimoPuntiFascia < 2 || id_.NumeroMassimoPuntiFascia > 100)
        failures.push_back("ERROR\nMax band size: " + std::to_string(id_.NumeroMassimoPuntiFascia));
    if (f.TipoFase > maxTipo) failures.push_back("ERROR\nTipo fase non supportata");
    for (const std::string& text : failures)
        if (dialogs_)
            dialogs_->message(
                {text, "", platform::MessageIcon::None, platform::MessageButtons::Ok, 0});
    return failures.empty();
}

bool Jobs::writeFields(std::int32_t base, const std::vector<FieldWrite>& fields) {
    for (const FieldWrite& w : fields) {
        const std::int32_t at = base + w.offset;
        if (w.string) {
            if (!nvram_.WriteNVRam1Byte(at, w.bytes[0])) return false;
            if (!nvram_.WriteNVRamBytes(
                    at + 1, std::vector<std::uint8_t>(w.bytes.begin() + 1, w.bytes.end())))
                return false;
        } else if (w.bytes.size() > 3) {
            if (!nvram_.WriteNVRamBytes(at, w.bytes)) return false;
        } else {
            for (std::size_t i = 0; i < w.bytes.size(); ++i)
                if (!nvram_.WriteNVRam1Byte(at + static_cast<std::int32_t>(i), w.bytes[i]))
                    return false;
        }
    }
    return true;
}

bool Jobs::ScriviLavoro(std::int32_t numero, platform::Progress& progress) {
    interrupted = false;
    auto stato = LeggiStato();
    if (!stato) return false;
    std::int32_t totale = 0;
    bool nuovo = false;
    if (numero > 0) {
        auto t = LeggiTotaleLavori();
        if (!t) return false;
        totale = *t;
        if (!ident_.MemoriaPerLavoro(numero) || numero > totale + 1) return false;
        nuovo = numero == totale + 1;
    } else {
        numero = stato->LavoroCorrente;
        if (numero <= 0) return false;
    }
    // Every phase is checked before anything is written, so that a refused phase cannot leave
    // a job half old, half new.
    bool checked = true;
    for (int p = 1; p <= static_cast<int>(image_.fasi.size()); ++p)
        checked = phaseChecks(numero, p) && checked;
    if (!checked) return false;

    const JobContext ctx = context();
    const std::int32_t start = indirizzoLavoro(numero);
    if (nuovo &&
        !nvram_.WriteNVRamBytes(
            start, std::vector<std::uint8_t>(static_cast<std::size_t>(id_.DimTestataLavoro), 0)))
        return false;
    if (!writeFields(start, encodeHeader(ctx, image_, !nuovo))) return false;
    for (std::size_t p = 0; p < image_.fasi.size(); ++p) {
        const std::int32_t at =
            start + id_.DimTestataLavoro + static_cast<std::int32_t>(p) * id_.DimFase();
        if (nuovo && !nvram_.WriteNVRamBytes(
                         at, std::vector<std::uint8_t>(static_cast<std::size_t>(id_.DimFase()), 0)))
            return false;
        if (!writeFields(at, encodePhase(ctx, image_.fasi[p]))) return false;
        if (!phaseDone(p, progress)) return false;
    }
    if (nuovo &&
        !nvram_.WriteNVRam1Byte(nvmap::TotaleLavori, static_cast<std::uint8_t>(totale + 1)))
        return false;
    if (!link_.exchange(krnlink::Request(cmd::JobChanged).word(numero).byte(0), false))
        return false;
    if (!ResetModificaRemota()) return false;
    image_.PosizioneLavoro = numero;
    return true;
}

std::optional<std::int32_t> Jobs::LeggiTotaleLavori() {
    auto b = nvram_.ReadNVRam1Byte(nvmap::TotaleLavori);
    if (!b) return std::nullopt;
    return *b;
}

std::optional<std::string> Jobs::LeggiNomeLavoro(std::int32_t numero) {
    auto b = nvram_.ReadNVRamBytes(indirizzoLavoro(numero), 14);
    if (!b) return std::nullopt;
    return decodeName(*b, 0, 13);
}

std::optional<std::uint8_t> Jobs::LeggiFasiAbilitate(std::int32_t numero) {
    return nvram_.ReadNVRam1Byte(indirizzoLavoro(numero) + 14);
}

std::optional<std::uint8_t> Jobs::LeggiRipetizioniFase(std::int32_t numero, int fase) {
    return nvram_.ReadNVRam1Byte(indirizzoLavoro(numero) + id_.DimTestataLavoro +
                                 (fase - 1) * id_.DimFase() + 66);
}

bool Jobs::oneByteAnswer(std::uint8_t code, std::uint8_t argument) {
    return link_.exchange(krnlink::Request(code, {argument}), false) && link_.BufferRx[0] == 1;
}

bool Jobs::SetModificaRemota() {
    return oneByteAnswer(cmd::RemoteChange, 1);
}

bool Jobs::ResetModificaRemota() {
    return oneByteAnswer(cmd::RemoteChange, 0);
}

bool Jobs::CambiaLavoro3(std::uint8_t numero) {
    return oneByteAnswer(cmd::ChangeJob, numero);
}

}  // namespace instrument
