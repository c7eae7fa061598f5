#include "instrument/options.h"

#include "instrument/generations.h"
#include "instrument/nvram_map.h"
#include "instrument/option_table.h"

namespace instrument {
namespace {

struct Entry {
    std::int32_t address;
    bool (*present)(std::int16_t e);  // nullptr: only on an electric press
};

// The option bytes in the order they are read.
const Entry kEntries[11] = {
    {nvmap::Opzioni1, conOpzioniBase},   {nvmap::Opzioni2, conOpzioniBase},
    {nvmap::Opzioni3, conOpzioniEstese}, {nvmap::Opzioni4, conOpzioniEstese},
    {nvmap::Opzioni5, conOpzioniBase},   {nvmap::Opzioni6, conOpzioni240},
    {nvmap::Opzioni7, conOpzioniEstese}, {nvmap::Opzioni8, conOpzioni103},
    {nvmap::Opzioni9, conOpzioni56e57},  {nvmap::Opzioni10, conOpzioni56e57},
    {nvmap::Opzioni11, nullptr},
};

// Option groups 1..11 and the entry (1-based) that holds each.
constexpr int kGroupEntry[12] = {0, 1, 2, 3, 6, 5, 7, 9, 10, 8, 11, 4};

bool matches(const OptionWhen& w, std::int16_t e, bool electric, float version) {
    if (e < w.eMin || e > w.eMax) return false;
    if (w.electric >= 0 && electric != (w.electric == 1)) return false;
    if (w.versionAbove == 1 && !(version > 3.8101f)) return false;
    return true;
}

}  // namespace

bool Options::LeggiOpzioni() {
    OpzioniStrumento.fill(0);
    OpzioniEstese = 0;
    for (int i = 0; i < 11; ++i) {
        const Entry& entry = kEntries[i];
        if (!(entry.present ? entry.present(estensioni_) : id_.PressaElettrica)) continue;
        auto b = nvram_.ReadNVRam1Byte(entry.address);
        if (!b) return false;
        OpzioniStrumento[static_cast<std::size_t>(i)] = *b;
    }
    return true;
}

void Options::AssegnaCodiciOpzione() {
    codici_.clear();
    const bool newer = opzioniNuove(estensioni_);
    for (const OptionRow& row : optionTable()) {
        std::int16_t code = -1;
        for (const OptionChoice& c : newer ? row.newer : row.older) {
            if (matches(c.when, estensioni_, id_.PressaElettrica, id_.versione)) {
                code = c.code;
                break;
            }
        }
        codici_[row.key] = code;
    }
}

const std::vector<std::string>& Options::chiavi() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (const OptionRow& row : optionTable()) k.emplace_back(row.key);
        return k;
    }();
    return keys;
}

std::int16_t Options::CodiceOpzione(const std::string& chiave) const {
    auto it = codici_.find(chiave);
    return it == codici_.end() ? -1 : it->second;
}

std::int32_t Options::ValoreGruppo(std::int16_t codice) const {
    if (codice >= 256) return static_cast<std::int32_t>(OpzioniEstese);
    const int group = codice >> 4;
    if (group < 1 || group > 11) return 0;
    return OpzioniStrumento[static_cast<std::size_t>(kGroupEntry[group] - 1)];
}

std::pair<int, int> Options::wordAndBit(std::int16_t codice) {
    if (codice >= 256) return {11, codice - 256};
    const int group = codice >> 4;
    if (group < 1 || group > 11) return {-1, 0};
    return {kGroupEntry[group] - 1, codice & 15};
}

void Options::ImpostaOpzione(const std::string& chiave) {
    const std::int16_t code = CodiceOpzione(chiave);
    if (code < 0) return;
    const auto [word, bit] = wordAndBit(code);
    if (word == 11)
        OpzioniEstese |= 1u << bit;
    else if (word >= 0)
        OpzioniStrumento[static_cast<std::size_t>(word)] = static_cast<std::int16_t>(
            OpzioniStrumento[static_cast<std::size_t>(word)] | (1 << bit));
}

bool Options::OpzioneAttiva(const std::string& chiave) const {
    const std::int16_t code = CodiceOpzione(chiave);
    if (code < 0) return false;
    const int bit = code >= 256 ? code - 256 : code & 15;
    return ((ValoreGruppo(code) >> bit) & 1) != 0;
}

}  // namespace instrument
