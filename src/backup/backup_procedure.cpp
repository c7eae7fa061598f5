#include "backup/backup_procedure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "backup/backup_keys.h"
#include "backup/instrument_state.h"
#include "backup/key_table.h"
#include "platform/text_file.h"

namespace backup {
namespace {

const char* kNothingSaved = "Nothing was backed up.";

// Writes keys while every read so far succeeded; keys that need no read are always written.
class Writer {
public:
    Writer(instrument::UCKRNVisual& c, IniFile& f) : c_(c), f_(f) {}
    bool ok = true;

    void integer(const std::string& key, std::int32_t v) {
        f_.Target(key), f_.Value(static_cast<std::int16_t>(v));
    }
    void longValue(const std::string& key, std::int32_t v) { f_.Target(key), f_.Value(v); }
    void text(const std::string& key, const std::string& v) { f_.Target(key), f_.Value(v); }
    void boolean(const std::string& key, bool v) { f_.Target(key), f_.Value(v); }
    void scrambled(const std::string& key, std::int16_t k, const std::string& v) {
        f_.Target(key), f_.ValuePassword(k, v);
    }

    // A number in the form the row asks for: the field's value divided by the row's scale.
    void number(const KeySpec& row, std::int32_t raw) {
        switch (row.value) {
            case Value::Single:
                f_.Target(row.key),
                    f_.Value(static_cast<float>(raw) / static_cast<float>(row.scale));
                break;
            case Value::Double:
                f_.Target(row.key), f_.Value(raw / row.scale);
                break;
            case Value::Boolean:
                boolean(row.key, raw != 0);
                break;
            case Value::Long:
                longValue(row.key, raw);
                break;
            default:
                integer(row.key, raw);
                break;
        }
    }
    void textValue(const KeySpec& row, const std::string& v) {
        if (row.value == Value::Scrambled)
            scrambled(row.key, row.scramble, v);
        else
            text(row.key, v);
    }

    template <typename F>
    auto read(F f) -> decltype(f()) {
        if (!ok) return std::nullopt;
        auto v = f();
        ok = v.has_value();
        return v;
    }
    std::optional<std::int32_t> field(const KeySpec& row) {
        switch (row.field) {
            case Field::Byte:
                return read([&]() -> std::optional<std::int32_t> {
                    return c_.ReadNVRam1Byte(row.address);
                });
            case Field::Word:
                return read([&] { return c_.ReadNVRam2Bytes(row.address); });
            default:
                return read([&] { return c_.ReadNVRam3Bytes(row.address); });
        }
    }
    // The text of a slot, never more than the slot holds, whatever its length byte says.
    std::optional<std::string> slotText(std::int32_t address, int slot) {
        auto length = read([&] { return c_.ReadNVRam1Byte(address); });
        if (!length) return std::nullopt;
        auto chars =
            read([&] { return c_.ReadNVRamBytes(address + 1, std::min<int>(*length, slot)); });
        if (!chars) return std::nullopt;
        // The display ends a text at its first NUL; the padding after it is not saved.
        const auto end = std::find(chars->begin(), chars->end(), std::uint8_t{0});
        return platform::cp1252ToUtf8(std::string(chars->begin(), end));
    }

private:
    instrument::UCKRNVisual& c_;
    IniFile& f_;
};

std::string numbered(const char* base, int i) {
    return std::string(base) + std::to_string(i);
}

void property(Writer& w, instrument::UCKRNVisual& c, const KeySpec& row) {
    switch (row.property) {
        case Property::Versione:
            w.text(row.key, c.Versione());
            break;
        case Property::PressaElettrica:
            w.number(row, c.PressaElettrica() ? 1 : 0);
            break;
        case Property::Protocollo:
            w.integer(row.key, c.Protocollo());
            break;
        case Property::Estensioni:
            w.integer(row.key, c.Estensioni());
            break;
        // The live acquisition, which this tool never runs, keeps no timer value.
        case Property::TimerAcq:
            w.number(row, 0);
            break;
        case Property::NumLavSel:
            w.integer(row.key, c.identity().NumeroLavoriSelezionabili);
            break;
        case Property::NumFasi:
            w.integer(row.key, c.identity().NumeroMassimoFasi);
            break;
        case Property::ContaColpi:
            if (w.ok) w.ok = c.LeggiContaColpi();
            if (w.ok) w.longValue(row.key, c.ContaColpi());
            break;
        case Property::JobName:
            if (w.ok) {
                auto stato = c.LeggiStato();
                auto name = stato ? c.LeggiNomeLavoro(stato->LavoroCorrente) : std::nullopt;
                w.ok = name.has_value();
                if (w.ok) w.text(row.key, *name);
            }
            break;
    }
}

// The most characters the backup reads from a text slot and the restore writes into it.
int slotOf(const instrument::UCKRNVisual& c, const KeySpec& row) {
    if (row.exception == Exception::InstrumentName)
        return std::min<int>(row.slot, c.identity().MaxLenNome);
    return row.slot;
}

void memoryRow(Writer& w, instrument::UCKRNVisual& c, const KeySpec& row) {
    switch (row.field) {
        case Field::Text:
            if (auto v = w.slotText(row.address, slotOf(c, row))) w.textValue(row, *v);
            return;
        case Field::Address:
            if (auto ip = w.read([&] { return c.LeggiIndirizzoIP(row.address); }))
                w.text(row.key, *ip);
            return;
        default:
            if (auto v = w.field(row))
                w.number(row, row.exception == Exception::LowTwoBits ? (*v & 3) : *v);
    }
}

// The input and output function codes: TYPE_IN0 ... TYPE_IN15, then TYPE_OUT0 ... TYPE_OUT15.
void types(Writer& w, instrument::UCKRNVisual& c) {
    c.AssegnaCodiciOpzione();
    if (w.ok) w.ok = c.options().LeggiOpzioni();
    if (w.ok) w.ok = c.io().LeggiFunzioniIO();
    const auto& io = c.io();
    for (std::size_t i = 0; i < io.FunzioniInput.size() && w.ok; ++i)
        w.integer(numbered("TYPE_IN", static_cast<int>(i)), io.FunzioniInput[i]);
    for (std::size_t i = 0; i < io.FunzioniOutput.size() && w.ok; ++i)
        w.integer(numbered("TYPE_OUT", static_cast<int>(i)), io.FunzioniOutput[i]);
}

void users(Writer& w, instrument::UCKRNVisual& c) {
    const int L = c.Estensioni();
    if (!c.ConUtenti() || !w.ok) {
        w.integer("NUTENTI", 0);
        return;
    }
    auto total = c.LeggiStatoStory() ? c.users().LeggiNumeroUtentiTotale() : std::nullopt;
    auto fail = [&] {
        w.ok = false;
        w.integer("NUTENTI", 0);
    };
    if (!total) return fail();
    int first = 1, count = *total;
    if (L >= 46 && count > 0) {
        auto hw = c.users().LeggiDatiUtente(1);
        if (!hw) return fail();
        w.scrambled("PWHW", K2, std::to_string(hw->Codice));
        w.text("NOMEHW", hw->Nome);
        first = 2;
        count -= 1;
    }
    w.integer("NUTENTI", count);
    for (int i = 1; i <= count; ++i) {
        auto u = c.users().LeggiDatiUtente(first + i - 1);
        if (!u) return fail();
        w.text(numbered("NOMEUT", i), u->Nome);
        w.scrambled(numbered("PWUT", i), K4, std::to_string(u->Codice));
        if (L >= 46) w.integer(numbered("PERUT", i), u->Diritti);
    }
}

void options(Writer& w, instrument::UCKRNVisual& c) {
    for (const std::string& key : optionKeysInFileOrder())
        if (c.options().CodiceOpzione(key) >= 0) w.boolean(key, c.options().OpzioneAttiva(key));
}

void block(Writer& w, instrument::UCKRNVisual& c, Block b) {
    switch (b) {
        case Block::Types:
            return types(w, c);
        case Block::Users:
            return users(w, c);
        case Block::Options:
            return options(w, c);
        // No instrument generation known to the tool reports configurable values.
        case Block::ConfigValues:
            return;
    }
}

bool needed(const instrument::UCKRNVisual& c, Need n) {
    switch (n) {
        case Need::ProtocolBelow39:
            return c.Protocollo() < 39;
        case Need::ElectricPress:
            return c.PressaElettrica();
        case Need::Any:
            break;
    }
    return true;
}

}  // namespace

int textSlot(const instrument::UCKRNVisual& control, const KeySpec& row) {
    return slotOf(control, row);
}

bool SupportoBackup(const instrument::UCKRNVisual& control) {
    return inTable(backupTable(), control.Protocollo(), control.Estensioni());
}

Result EseguiBackup(instrument::UCKRNVisual& control, IniFile& file) {
    if (!file.OpenFile())
        return fileError("The backup file is not open.\n" + std::string(kNothingSaved));
    if (auto refusal = refuseInstrument(control, SupportoBackup(control), kNothingSaved))
        return *refusal;
    file.Chiave(kSection);
    Writer w(control, file);
    const int L = control.Estensioni();
    for (const KeySpec& row : keyTable()) {
        if (!row.backup.has(L) || !needed(control, row.need)) continue;
        switch (row.field) {
            case Field::Constant:
                if (row.value == Value::Text || row.value == Value::Scrambled)
                    w.textValue(row, row.text);
                else
                    w.number(row, row.number);
                break;
            case Field::Property:
                property(w, control, row);
                break;
            case Field::Block:
                block(w, control, row.block);
                break;
            default:
                memoryRow(w, control, row);
        }
    }
    if (!w.ok) return communicationFailed("Communication error\nthe backup was not saved");
    return done();
}

}  // namespace backup
