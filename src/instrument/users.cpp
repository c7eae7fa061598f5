#include "instrument/users.h"

#include <algorithm>

#include "instrument/generations.h"
#include "link/instrument_description.h"
#include "platform/protocol.h"
#include "platform/text_checks.h"
#include "platform/text_file.h"

namespace instrument {

bool Users::ConUtenti() const {
    return utentiSempre(estensioni_) || options_.OpzioneAttiva("opstH_UTENTI");
}

bool Users::LeggiStatoStory(krnlink::FrameLink& link) {
    if (statoLetto_) return true;
    auto story = nvram_.ReadNVRam3Bytes(nvmap::AddressStory);
    auto jobs = story ? nvram_.ReadNVRam1Byte(nvmap::LavoriConStory) : std::nullopt;
    if (!jobs) return false;
    AddressStory = *story;
    LavoriConStory = *jobs;
    CopieStory.assign(static_cast<std::size_t>(LavoriConStory), 0);
    if (!link.ComandoSemplice(platform::cmd::HistoryState, false) || link.BufferRx[0] != 7)
        return false;
    const auto& rx = link.BufferRx;
    SizeDatiUtente = rx[1] + 256 * rx[2];
    SizePuntatori = rx[3];
    CopieMassime = rx[4];
    DimRecordStory = rx[5] + 256 * rx[6];
    GeometriaRiservata = rx[7];
    const std::int32_t pointersEnd = AddressStory + LavoriConStory * SizePuntatori;
    if (!fineLavoriInNVRAM(estensioni_)) {
        AddressListaUtenti = pointersEnd;
    } else {
        auto list = nvram_.ReadNVRam3Bytes(nvmap::ListaUtenti);
        if (!list) return false;
        AddressListaUtenti = *list;
        if (AddressListaUtenti > AddressStory) return false;
    }
    if (SizePuntatori > 0 && LavoriConStory > 0) {
        auto pointers = nvram_.ReadNVRamBytes(AddressStory, LavoriConStory * SizePuntatori);
        if (!pointers) return false;
        // The first byte of a job's pointer counts its stored versions.
        for (std::int32_t j = 0; j < LavoriConStory; ++j)
            CopieStory[static_cast<std::size_t>(j)] =
                (*pointers)[static_cast<std::size_t>(j * SizePuntatori)];
    }
    statoLetto_ = true;
    return true;
}

std::optional<int> Users::LeggiNumeroUtentiTotale() {
    auto count = nvram_.ReadNVRam1Byte(AddressListaUtenti);
    if (!count) return std::nullopt;
    return *count + (amministratoreDaPassword(estensioni_) ? 1 : 0);
}

std::optional<Operatore> Users::LeggiDatiUtente(int indice) {
    auto count = nvram_.ReadNVRam1Byte(AddressListaUtenti);
    if (!count || indice < 1) return std::nullopt;
    if (amministratoreDaPassword(estensioni_) && indice == *count + 1) {
        auto password = LeggiPasswordConfigurazione();
        if (!password) return std::nullopt;
        return Operatore{static_cast<std::int32_t>(krnlink::leadingNumber(*password)), "ADMIN",
                         kTuttiDiritti};
    }
    if (amministratoreDaPassword(estensioni_) && indice > *count) return std::nullopt;
    auto rec =
        nvram_.ReadNVRamBytes(AddressListaUtenti + 1 + (indice - 1) * kDimRecord, kDimRecord);
    if (!rec) return std::nullopt;
    const auto& r = *rec;
    const std::size_t len = std::min<std::size_t>(r[2], 10);
    return Operatore{r[0] + 256 * r[1],
                     platform::cp1252ToUtf8(std::string(
                         r.begin() + 3, r.begin() + 3 + static_cast<std::ptrdiff_t>(len))),
                     r[13] + 256 * r[14]};
}

std::optional<std::vector<Operatore>> Users::ElencoUtenti() {
    auto total = LeggiNumeroUtentiTotale();
    if (!total) return std::nullopt;
    std::vector<Operatore> list;
    for (int i = 1; i <= std::min(*total, kMassimoOperatori + 1); ++i) {
        auto op = LeggiDatiUtente(i);
        if (!op) return std::nullopt;
        list.push_back(*op);
    }
    return list;
}

bool Users::AggiungiUtente(krnlink::FrameLink& link, std::int32_t codice, const std::string& nome,
                           std::int32_t diritti) {
    if (!ConUtenti() || platform::hasControlCharacter(nome) || !LeggiStatoStory(link)) return false;
    auto count = nvram_.ReadNVRam1Byte(AddressListaUtenti);
    if (!count || *count >= kMassimoOperatori) return false;
    const std::int32_t at = AddressListaUtenti + 1 + *count * kDimRecord;
    std::string name = platform::utf8ToCp1252(nome);
    if (name.size() > 10) name.resize(10);
    std::vector<std::uint8_t> rec(kDimRecord, 0);
    rec[0] = static_cast<std::uint8_t>(codice & 0xFF);
    rec[1] = static_cast<std::uint8_t>((codice >> 8) & 0xFF);
    rec[2] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), rec.begin() + 3);
    rec[13] = static_cast<std::uint8_t>(diritti & 0xFF);
    rec[14] = static_cast<std::uint8_t>((diritti >> 8) & 0xFF);
    return nvram_.WriteNVRamBytes(at, rec) &&
           nvram_.WriteNVRam1Byte(AddressListaUtenti, static_cast<std::uint8_t>(*count + 1));
}

bool Users::EliminaUtenti(krnlink::FrameLink& link) {
    if (!LeggiStatoStory(link)) return false;
    if (listaUtentiFacoltativa(id_.Protocollo, estensioni_)) {
        auto b101 = nvram_.ReadNVRam1Byte(nvmap::Opzioni2);
        if (!b101) return false;
        if (!(*b101 & 0x08) && !utentiSempre(estensioni_)) return true;  // no operator list in use
    }
    // Empty records are all zero: code 0, no name, no rights.
    return nvram_.WriteNVRamBytes(AddressListaUtenti + 1,
                                  std::vector<std::uint8_t>(kMassimoOperatori * kDimRecord, 0)) &&
           nvram_.WriteNVRam1Byte(AddressListaUtenti, 0);
}

bool Users::PasswordValida(std::int32_t codice) {
    if (!conAreeProtette(estensioni_)) return false;
    auto list = ElencoUtenti();
    if (!list) return false;
    return std::any_of(list->begin(), list->end(),
                       [&](const Operatore& o) { return o.Codice == codice; });
}

bool Users::LeggiAreeConPassword() {
    mascheraAree_ = 0;
    if (!conAreeProtette(estensioni_)) return true;
    auto b = nvram_.ReadNVRam1Byte(nvmap::AreeConPassword);
    if (!b) return false;
    if (!areeProtetteCompatte(estensioni_)) {
        mascheraAree_ = *b;
        return true;
    }
    // From extension 55 the areas are stored one bit each, in the order of the mask's named bits.
    static constexpr int target[5] = {0, 2, 3, 6, 7};
    for (int i = 0; i < 5; ++i)
        if ((*b >> i) & 1)
            mascheraAree_ = static_cast<std::int16_t>(mascheraAree_ | (1 << target[i]));
    return true;
}

std::string Users::nomeOperatore(std::int32_t codice) {
    if (codice == 65535) return "<Remote>";
    auto list = ElencoUtenti();
    if (!list) return "";
    for (const Operatore& o : *list)
        if (o.Codice == codice) return o.Nome;
    return "";
}

std::optional<std::int32_t> Users::recordAddress(krnlink::FrameLink& link, int lavoro,
                                                 int versione) {
    if (!LeggiStatoStory(link) || lavoro < 1 || lavoro > LavoriConStory || versione < 1 ||
        versione > CopieStory[static_cast<std::size_t>(lavoro) - 1] || versione > CopieMassime)
        return std::nullopt;
    const std::int32_t records = AddressStory + LavoriConStory * SizePuntatori +
                                 (fineLavoriInNVRAM(estensioni_) ? 0 : SizeDatiUtente);
    return records + ((lavoro - 1) * CopieMassime + (versione - 1)) * DimRecordStory;
}

std::optional<InfoModificaStory> Users::LeggiInfoModificaStory(krnlink::FrameLink& link, int lavoro,
                                                               int versione) {
    auto at = recordAddress(link, lavoro, versione);
    if (!at) return std::nullopt;
    auto info = nvram_.ReadNVRamBytes(*at, 8);
    if (!info) return std::nullopt;
    const auto& b = *info;
    auto d = [](std::uint8_t x) { return (x >> 4) * 10 + (x & 0x0F); };
    InfoModificaStory r;
    r.data = {2000 + d(b[5]), d(b[4]), d(b[3]), d(b[2]), d(b[1]), d(b[0]), 0};
    r.codice = b[6] + 256 * b[7];
    r.operatore = nomeOperatore(r.codice);
    return r;
}

bool Users::LeggiLavoroStory(krnlink::FrameLink& link, int lavoro, int versione) {
    auto at = recordAddress(link, lavoro, versione);
    if (!at) return false;
    auto record = nvram_.ReadNVRamBytes(*at + 8, id_.DimensioneLavori());
    if (!record) return false;
    jobs_.preparaImmagine();
    jobs_.decodeRecord(*record, jobs_.image());
    jobs_.image().PosizioneLavoro = lavoro;
    return true;
}

}  // namespace instrument
