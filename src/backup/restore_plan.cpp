#include "backup/restore_plan.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "backup/backup_keys.h"
#include "backup/backup_procedure.h"
#include "backup/key_table.h"
#include "backup/restore_users.h"
#include "link/instrument_description.h"
#include "platform/text_checks.h"

namespace backup {
namespace {

// The numbers a field of this width takes: a byte 0..255; words and 24-bit values also their
// negative two's-complement form, as older files write signed offsets.
std::pair<std::int64_t, std::int64_t> rangeOf(int width) {
    if (width == 1) return {0, 255};
    const std::int64_t top = std::int64_t{1} << (8 * width);
    return {-(top / 2), top - 1};
}

class Planner {
public:
    Planner(instrument::UCKRNVisual& c, IniFile& f, int F)
        : c_(c), f_(f), L_(c.Estensioni()), F_(F) {}

    RestorePlan plan;
    instrument::UCKRNVisual& c_;
    IniFile& f_;
    const int L_, F_;

    bool refused() const { return plan.refusal.has_value(); }
    bool has(const std::string& key) {
        f_.Target(key);
        return f_.TargetTrovato();
    }
    // The key of the row that the file has: its own, or the older one.
    std::optional<std::string> present(const KeySpec& row) {
        if (has(row.key)) return row.key;
        if (!row.legacy.empty() && has(row.legacy)) return row.legacy;
        return std::nullopt;
    }
    void refuse(const std::string& key, const std::string& why) {
        if (refused()) return;
        const std::string value = f_.ValString();
        Result r = fileError(refusedFile(
            f_, "key " + key + " on line " + std::to_string(f_.Index()) + " has the value \"" +
                    value + "\", which " + why + ".\nNothing was written."));
        r.key = key;
        r.line = f_.Index();
        plan.refusal = r;
    }
    // The number of the key just found; a refusal when the text is not one.
    std::optional<double> number(const std::string& key) {
        auto v = IniFile::parseWholeNumber(f_.ValString());
        if (!v) refuse(key, "is not a number");
        return v;
    }
    // The value a field of `width` bytes gets, after the key's number was multiplied by scale
    // and converted: rounded to the nearest integer, halves to even, as the store's integer
    // readers do; a refusal when it does not fit.
    std::optional<std::int64_t> fit(const std::string& key, double value, int width) {
        if (refused()) return std::nullopt;
        const double r = std::nearbyint(value);
        const auto [low, high] = rangeOf(width);
        if (!std::isfinite(r) || r < static_cast<double>(low) || r > static_cast<double>(high)) {
            refuse(key, "does not fit its field (" + std::to_string(low) + " to " +
                            std::to_string(high) + ")");
            return std::nullopt;
        }
        return static_cast<std::int64_t>(r);
    }
    // The key's value for a numeric row as the field takes it.
    std::optional<std::int64_t> fieldValue(const KeySpec& row, const std::string& key) {
        auto v = number(key);
        if (!v) return std::nullopt;
        const double x =
            (row.value == Value::Single ? static_cast<double>(static_cast<float>(*v)) : *v) *
            row.scale;
        return fit(key, x, row.width());
    }

    void write(std::int32_t address, int width, std::int64_t value) {
        instrument::UCKRNVisual& c = c_;
        const auto v = static_cast<std::int32_t>(value);
        plan.steps.push_back({[&c, address, width, v] {
            switch (width) {
                case 1:
                    return c.WriteNVRam1Byte(address, static_cast<std::uint8_t>(v & 0xFF));
                case 2:
                    return c.WriteNVRam2Bytes(address, v);
                default:
                    return c.WriteNVRam3Bytes(address, v);
            }
        }});
    }
    void writeText(std::int32_t address, const std::string& text, int slot) {
        instrument::UCKRNVisual& c = c_;
        plan.steps.push_back(
            {[&c, address, text, slot] { return c.ScriviStringaNVRam(address, text, slot); }});
    }
    void action(std::function<bool()> run) { plan.steps.push_back({std::move(run)}); }
    void progress(int percent) { plan.steps.push_back({nullptr, percent}); }

    void row(const KeySpec& row);
    void numericRow(const KeySpec& row);
    void textRow(const KeySpec& row);
    void address(const KeySpec& row);
    void coefficient(const KeySpec& row, const char* legacy);
};

void Planner::row(const KeySpec& r) {
    switch (r.field) {
        case Field::Text:
            return textRow(r);
        case Field::Address:
            return address(r);
        default:
            return numericRow(r);
    }
}

void Planner::numericRow(const KeySpec& r) {
    switch (r.exception) {
        case Exception::HighCoefficient:
            return coefficient(r, "COEF_DEFO_A");
        case Exception::LowCoefficient:
            return coefficient(r, "COEF_DEFO_LF");
        case Exception::OnlyWithoutMask:
            if (has("MASKCELLEOFF")) return;
            break;
        default:
            break;
    }
    auto key = present(r);
    if (!key) return;
    if (r.exception == Exception::AcquisitionRate) {
        auto v = number(*key);
        if (!v) return;
        double rate = *v;
        if (F_ < 1000 && L_ >= 1000)
            rate *= 5;
        else if (F_ >= 1000 && L_ < 1000)
            rate = std::max(1.0, std::nearbyint(rate / 5.0));
        if (auto x = fit(*key, rate, 1)) write(r.address, 1, *x);
        return;
    }
    auto v = fieldValue(r, *key);
    if (!v) return;
    if (r.exception == Exception::BelowThree && *v >= 3) return;
    write(r.address, r.width(), *v);
}

// The two units of the deformation coefficients: files of level 1071 and above hold them as
// the newest firmware does, older files (and older instruments) hold twice that.
void Planner::coefficient(const KeySpec& r, const char* legacy) {
    const bool oldTarget = L_ < 1072;
    std::optional<double> v;
    std::string key = r.key;
    if (has(r.key)) {
        v = number(r.key);
        if (v && oldTarget) *v *= 2;
    } else if (has(legacy)) {
        key = legacy;
        v = number(legacy);
        if (v && !oldTarget) *v = std::nearbyint(*v / 2);
    }
    if (!v) return;
    if (auto x = fit(key, *v, 1)) write(r.address, 1, *x);
}

void Planner::textRow(const KeySpec& r) {
    if (r.exception == Exception::TestName && has("NOMESUPPLEMENTARE")) return;
    if (r.exception == Exception::Password) {
        if (c_.options().OpzioneAttiva("opstH_UTENTI")) return;
        // With operators the backup keeps the hardware operator's code under PWHW, not the
        // configuration password: that value must not become the password.
        if (r.key == "PWHW" && has("NOMEHW")) return;
    }
    auto key = present(r);
    if (!key) return;
    const bool scrambled = r.value == Value::Scrambled && *key == r.key;
    const std::string value = scrambled ? f_.ValPassword(r.scramble) : f_.ValString();
    // The instrument shows and keeps texts without control characters.
    if (platform::hasControlCharacter(value)) return refuse(*key, "holds a control character");
    if (r.exception == Exception::SupplementaryName) {
        if (L_ >= 45)
            writeText(314, value.empty() ? "METRO" : value, 13);
        else
            writeText(r.address, value, r.slot);
        return;
    }
    writeText(r.address, value, textSlot(c_, r));
}

void Planner::address(const KeySpec& r) {
    if (!has(r.key)) return;
    const std::string text = f_.ValString();
    std::vector<std::int64_t> parts;
    std::size_t at = 0;
    while (parts.size() < 5) {
        const std::size_t dot = text.find('.', at);
        const std::string part =
            text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
        const bool digits =
            !part.empty() && part.size() <= 3 &&
            std::all_of(part.begin(), part.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
        parts.push_back(digits ? std::stoll(part) : -1);
        if (dot == std::string::npos) break;
        at = dot + 1;
    }
    if (parts.size() != 4 ||
        std::any_of(parts.begin(), parts.end(), [](std::int64_t p) { return p < 0 || p > 255; })) {
        refuse(r.key, "is not an address of four numbers 0 to 255");
        return;
    }
    for (int i = 0; i < 4; ++i) write(r.address + i, 1, parts[static_cast<std::size_t>(i)]);
}

void rows(Planner& p, Group g) {
    for (const KeySpec& r : keyTable())
        if (r.group == g && r.restore.has(p.L_) && r.fileLevels.has(p.F_) && !p.refused()) p.row(r);
}

// The option keys set their bits in the control's option words; a false or missing key leaves
// the bit. Files of type 1 hold whole option bytes instead.
void options(Planner& p, int T) {
    auto& o = p.c_.options();
    o.AssegnaCodiciOpzione();
    if (T >= 2) {
        for (const std::string& key : optionKeysInFileOrder()) {
            if (!p.has(key)) continue;
            auto v = p.number(key);
            if (v && *v != 0) o.ImpostaOpzione(key);
        }
        if (p.L_ >= 38 && p.F_ < 38 && o.OpzioneAttiva("oplaSELFASEINT"))
            o.ImpostaOpzione("oplaSELFASEEXT");
        return;
    }
    struct Legacy {
        const char* key;
        int group;
        int bits;
    };
    const Legacy legacy[] = {{"OPZIONISTR_L", 1, 8},
                             {"OPZIONISTR_H", 2, 8},
                             {"OPZIONISTR_U", 3, 8},
                             {"OPZIONIFASI", 4, 8},
                             {"SETUPMISURASUPPL", 5, 6}};
    for (const Legacy& l : legacy) {
        if (!p.has(l.key)) continue;
        auto v = p.number(l.key);
        auto value = v ? p.fit(l.key, *v, 1) : std::nullopt;
        if (!value) return;
        for (int bit = 0; bit < l.bits; ++bit) {
            if (!((*value >> bit) & 1)) continue;
            for (const auto& [key, code] : o.codici())
                if (code == 16 * l.group + bit) o.ImpostaOpzione(key);
        }
    }
}

bool pressType(bool input, std::int32_t t) {
    return input ? (t == 29 || t == 30 || t == 31) : (t == 31 || t == 30 || t == 26);
}

// Input codes: files of firmware before 1062 may carry the electric-press starts as 26 and 27,
// the tool's codes are 16 and 17; instruments before 1062 keep them as 26 and 27.
std::int64_t adaptInput(std::int64_t t, int F, int L) {
    if (F < 1062 && (t == 26 || t == 27)) t -= 10;
    if (L < 1062 && (t == 16 || t == 17)) t += 10;
    return t;
}

void types(Planner& p, const RestoreGroups& g) {
    // The instrument's own codes, as it keeps them, unless the file gives others.
    auto in = p.c_.io().FunzioniInput;
    auto out = p.c_.io().FunzioniOutput;
    for (auto& t : in) t = static_cast<std::int32_t>(adaptInput(t, p.L_, p.L_));
    if (g.configStrumento && p.F_ >= 40) {
        for (std::size_t i = 0; i < in.size(); ++i) {
            const std::string inKey = "TYPE_IN" + std::to_string(i),
                              outKey = "TYPE_OUT" + std::to_string(i);
            if (p.has(inKey)) {
                auto v = p.number(inKey);
                auto t = v ? p.fit(inKey, *v, 1) : std::nullopt;
                if (t) in[i] = static_cast<std::int32_t>(adaptInput(*t, p.F_, p.L_));
            }
            if (p.has(outKey)) {
                auto v = p.number(outKey);
                auto t = v ? p.fit(outKey, *v, 1) : std::nullopt;
                if (t) out[i] = static_cast<std::int32_t>(*t);
            }
        }
    }
    p.c_.options().AssegnaCodiciOpzione();
    auto allowed = [&](bool input, std::int32_t t) {
        return (g.configStrumento && !pressType(input, t)) ||
               (g.configCilindro && pressType(input, t));
    };
    if (p.L_ >= 51) {
        for (std::size_t i = 0; i < in.size(); ++i)
            if (allowed(true, in[i])) p.write(448 + static_cast<std::int32_t>(i), 1, in[i]);
        for (std::size_t i = 0; i < out.size(); ++i)
            if (allowed(false, out[i])) {
                p.write(448 + static_cast<std::int32_t>(i), 1, in[i]);
                p.write(464 + static_cast<std::int32_t>(i), 1, out[i]);
            }
    } else if (p.L_ >= 40) {
        // Inputs 1-8 and outputs 1-8 each have their own eight bytes.
        for (std::size_t i = 0; i < 8; ++i)
            if (allowed(true, in[i])) p.write(285 + static_cast<std::int32_t>(i), 1, in[i]);
        for (std::size_t i = 0; i < 8; ++i)
            if (allowed(false, out[i])) p.write(293 + static_cast<std::int32_t>(i), 1, out[i]);
    }
}

void users(Planner& p) {
    if (p.L_ < 20 || !p.c_.options().OpzioneAttiva("opstH_UTENTI")) return;
    OperatorList list;
    std::string password;
    if (p.has("PWHW"))
        password = p.f_.ValPassword(K2);
    else if (p.has("PASSWORDHARDWARE"))
        password = p.f_.ValString();
    list.hardware.Codice = static_cast<std::int32_t>(krnlink::leadingNumber(password) & 0xFFFF);
    list.hardware.Nome = p.has("NOMEHW") ? krnlink::trim(p.f_.ValString()) : "";
    if (platform::hasControlCharacter(list.hardware.Nome))
        return p.refuse("NOMEHW", "holds a control character");
    if (list.hardware.Nome.empty()) list.hardware.Nome = "ADMIN";
    list.hardware.Diritti = instrument::Users::kTuttiDiritti;
    std::int64_t count = 0;
    if (p.has("NUTENTI")) {
        auto v = p.number("NUTENTI");
        if (!v) return;
        const double n = std::nearbyint(*v);
        if (n < 0 || n > instrument::Users::kMassimoOperatori + 1) {
            p.refuse("NUTENTI", "is not a number of operators (0 to 16)");
            return;
        }
        count = static_cast<std::int64_t>(n);
    }
    for (int i = 1; i <= count && !p.refused(); ++i) {
        const std::string n = std::to_string(i);
        if (!p.has("NOMEUT" + n)) break;
        OperatorEntry e;
        e.op.Nome = p.f_.ValString();
        if (platform::hasControlCharacter(e.op.Nome))
            return p.refuse("NOMEUT" + n, "holds a control character");
        if (!p.has("PWUT" + n)) break;
        const std::string code = p.f_.ValPassword(K4);
        auto c = IniFile::parseWholeNumber(code);
        if (!c || *c < 0 || *c > 65535 || *c != std::floor(*c)) {
            p.refuse("PWUT" + n, "is not an access code (0 to 65535)");
            return;
        }
        e.op.Codice = static_cast<std::int32_t>(*c);
        if (p.has("PERUT" + n)) {
            auto v = p.number("PERUT" + n);
            auto rights = v ? p.fit("PERUT" + n, *v, 2) : std::nullopt;
            if (!rights) return;
            e.op.Diritti = static_cast<std::int32_t>(*rights & 0xFFFF);
            e.rightsKnown = true;
        }
        list.users.push_back(e);
    }
    instrument::UCKRNVisual& c = p.c_;
    p.action([&c, list] { return restoreOperators(c, list); });
}

// The option words back into their option bytes, each where the target level has it. Byte 102
// (selectable jobs) is left as the instrument has it.
void optionBytes(Planner& p) {
    static constexpr std::int32_t addresses[10] = {100, 101, 208, 242, 201, 240, 244, 103, 56, 57};
    static constexpr int from[10] = {2, 2, 23, 23, 2, 11, 23, 8, 49, 49};
    const auto& words = p.c_.options().OpzioniStrumento;
    for (std::size_t i = 0; i < 10; ++i)
        if (p.L_ >= from[i]) p.write(addresses[i], 1, words[i] & 0xFF);
}

void electric(Planner& p, const RestoreGroups& g) {
    if (p.L_ < 1000 || !p.c_.PressaElettrica()) return;
    if (g.configCilindro) rows(p, Group::Cylinder);
    if (!g.configStrumento) return;
    rows(p, Group::Motion);
    if (p.L_ >= 1062 && g.configCilindro) {
        instrument::UCKRNVisual& c = p.c_;
        p.action([&c] {
            auto b = c.ReadNVRam1Byte(511);
            return b.has_value() && c.WriteNVRam1Byte(511, *b);
        });
    }
    p.progress(90);
}

void plan(Planner& p, int T, const RestoreGroups& g) {
    if (g.taratura) {
        rows(p, Group::Calibration);
        p.progress(20);
    }
    if (g.configStrumento) {
        options(p, T);
        p.has("NUMLAVSEL");  // read, not written
        rows(p, Group::Configuration);
        p.progress(60);
    }
    types(p, g);
    p.progress(70);
    if (g.configStrumento) {
        users(p);
        p.progress(80);
        optionBytes(p);
    }
    electric(p, g);
    if (g.configStrumento && p.L_ >= 1072) rows(p, Group::Network);
    if (g.configStrumento) p.progress(100);
}

}  // namespace

std::string refusedFile(const IniFile& file, const std::string& why) {
    return (file.File().empty() ? std::string("The backup file") : file.File()) +
           " was refused: " + why;
}

RestorePlan planRestore(instrument::UCKRNVisual& control, IniFile& file, int F, int T,
                        const RestoreGroups& groups) {
    const auto words = control.options().OpzioniStrumento;
    const auto extended = control.options().OpzioniEstese;
    Planner p(control, file, F);
    plan(p, T, groups);
    if (p.refused()) {
        control.options().OpzioniStrumento = words;
        control.options().OpzioniEstese = extended;
        p.plan.steps.clear();
    }
    return std::move(p.plan);
}

}  // namespace backup
