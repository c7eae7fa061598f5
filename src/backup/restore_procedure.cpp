#include "backup/restore_procedure.h"

#include <cmath>

#include "backup/backup_keys.h"
#include "link/instrument_description.h"

namespace backup {
namespace {

// Writes while ok; each write sets ok to its result. Keys missing from the file are skipped.
class Restorer {
public:
    Restorer(instrument::UCKRNVisual& c, IniFile& f, platform::Progress* p) : c_(c), f_(f), progress_(p) {}
    bool ok = true;

    bool has(const std::string& key) {
        f_.Target(key);
        return f_.TargetTrovato();
    }
    std::int32_t integer(const std::string& key) { return has(key) ? f_.ValInteger() : 0; }

    void write(bool w) {
        if (ok) ok = w;
    }
    void byte(std::int32_t a, const std::string& key) {
        if (ok && has(key)) write(c_.WriteNVRam1Byte(a, static_cast<std::uint8_t>(f_.ValInteger() & 0xFF)));
    }
    void byteValue(std::int32_t a, std::int32_t v) {
        if (ok) write(c_.WriteNVRam1Byte(a, static_cast<std::uint8_t>(v & 0xFF)));
    }
    void word(std::int32_t a, const std::string& key) {
        if (ok && has(key)) write(c_.WriteNVRam2Bytes(a, f_.ValLong()));
    }
    void b24(std::int32_t a, const std::string& key) {
        if (ok && has(key)) write(c_.WriteNVRam3Bytes(a, f_.ValLong()));
    }
    void string(std::int32_t a, const std::string& key, int max = 255) {
        if (ok && has(key)) stringValue(a, f_.ValString(), max);
    }
    void stringValue(std::int32_t a, const std::string& v, int max = 255) {
        if (ok) write(c_.ScriviStringaNVRam(a, v, max));
    }
    // The value of a scrambled key, or of its plain legacy key.
    std::optional<std::string> secret(const std::string& key, std::int16_t k, const std::string& legacy) {
        if (has(key)) return f_.ValPassword(k);
        if (has(legacy)) return f_.ValString();
        return std::nullopt;
    }
    void progress(long percent) {
        if (progress_ && !progress_->update(percent)) ok = false;
    }

    instrument::UCKRNVisual& c_;
    IniFile& f_;
    platform::Progress* progress_;
};

std::string numbered(const char* base, int i) { return std::string(base) + std::to_string(i); }

void calibration(Restorer& r, int L) {
    if (L >= 1069) {
        r.byte(76, "LOADCELL2DECIMALS");
        r.byte(77, "LOADCELL2UNIT");
        r.word(78, "LOADCELL2SIZE");
    }
    r.byte(58, "NUMDECIMALIFORZA");
    if (r.has("UMFORZA") && r.f_.ValInteger() < 3) r.byte(59, "UMFORZA");
    r.word(60, "GAINQUOTA");
    r.word(62, "OFFSETQUOTA");
    r.byte(64, "NUMDECIMALIQUOTA");
    r.byte(65, "UMQUOTA");
    r.word(66, "GAINSUPPL");
    r.word(68, "OFFSETSUPPL");
    r.byte(70, "NUMDECIMALISUPPL");
    r.byte(71, "UMSUPPL");
    r.progress(10);
    if (L <= 10) {
        r.word(54, "GAINCELLA1");
        r.word(56, "OFFSETCELLA1");
        return;
    }
    r.word(203, "PRESETLUNGHEZZA");
    r.progress(15);
    for (int n = 1; n <= 6; ++n) {
        r.word(216 + 4 * (n - 1), numbered("GAINCELLA", n));
        r.word(218 + 4 * (n - 1), numbered("OFFSETCELLA", n));
    }
    std::optional<std::int32_t> hf;
    if (r.has("COEF_DEFOR_HF")) hf = r.f_.ValInteger();
    else if (r.has("COEF_DEFO_A")) hf = static_cast<std::int32_t>(std::nearbyint(r.f_.ValInteger() / 2.0));
    if (hf) {
        if (L >= 1072) r.byteValue(269, *hf);
        else if (L > 30) r.byteValue(269, 2 * *hf);
    }
    std::optional<std::int32_t> lf;
    if (r.has("COEF_DEFOR_LF")) lf = r.f_.ValInteger();
    else if (r.has("COEF_DEFO_LF")) lf = static_cast<std::int32_t>(std::nearbyint(r.f_.ValInteger() / 2.0));
    if (lf) {
        if (L >= 1072) r.byteValue(249, *lf);
        else if (L == 1071) r.byteValue(249, 2 * *lf);
    }
    if (L >= 1071) {
        if (r.has("TRIG_DEFOR_LF")) r.word(250, "TRIG_DEFOR_LF");
        else r.word(250, "DEF_LOWFORCE");
        r.byte(270, "SUPPL_FILTER");
    }
}

void restoreOptions(Restorer& r, int L, int F, int T) {
    auto& o = r.c_.options();
    o.AssegnaCodiciOpzione();
    if (T >= 2) {
        for (const std::string& key : optionKeysInFileOrder())
            if (r.has(key) && r.f_.ValBoolean()) o.ImpostaOpzione(key);
        if (L >= 38 && F < 38 && o.OpzioneAttiva("oplaSELFASEINT")) o.ImpostaOpzione("oplaSELFASEEXT");
        return;
    }
    // Older files keep whole option bytes: a set bit sets the option that has that position.
    struct Legacy {
        const char* key;
        int group;
        int bits;
    };
    const Legacy legacy[] = {{"OPZIONISTR_L", 1, 8}, {"OPZIONISTR_H", 2, 8}, {"OPZIONISTR_U", 3, 8},
                             {"OPZIONIFASI", 4, 8},  {"SETUPMISURASUPPL", 5, 6}};
    for (const Legacy& l : legacy) {
        if (!r.has(l.key)) continue;
        const std::int32_t value = r.f_.ValInteger();
        for (int bit = 0; bit < l.bits; ++bit) {
            if (!((value >> bit) & 1)) continue;
            for (const auto& [key, code] : o.codici())
                if (code == 16 * l.group + bit) o.ImpostaOpzione(key);
        }
    }
}

void configuration(Restorer& r, int L, int F, int T) {
    restoreOptions(r, L, F, T);
    if (L > 31)
        for (int i = 1; i <= 3; ++i) r.byte(208 + i, numbered("CAMPOALTO", i));
    if (L > 1059) {
        r.byte(446, "FUNTASTORAPIDO2");
        r.byte(447, "FUNTASTORAPIDO3");
    }
    r.has("NUMLAVSEL");  // read, not written
    r.progress(30);
    if (r.ok && r.has("FREQACQ")) {
        std::int32_t v = r.f_.ValInteger();
        if (F < 1000 && L >= 1000) v *= 5;
        else if (F >= 1000 && L < 1000) v = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::nearbyint(v / 5.0)));
        r.byteValue(52, v);
    }
    if (L > 1) r.byte(53, "TIMESTOP");
    if (L > 10) {
        if (r.has("MASKCELLEOFF")) {
            if (L > 1063) r.byte(54, "MASKCELLEOFF");
        } else if (L < 1064) {
            r.byte(54, "TOTALECELLE");
        }
    }
    if (L > 45) r.byte(48, "PROTECTEDZONE");
    if (r.has("NOMESUPPLEMENTARE")) {
        const std::string v = r.f_.ValString();
        if (L >= 45) r.stringValue(314, v.empty() ? "METRO" : v);
        else if (L > 1) r.stringValue(72, v);
    } else if (L >= 45) {
        const char* names[3] = {"NOMETEST", "NOMEENABLE", "NOMECHKPNTOUT"};
        for (int n = 0; n < 9; ++n) r.string(314 + 14 * n, numbered(names[n / 3], n % 3 + 1));
    }
    r.progress(40);
    r.string(106, "NOMESTRUMENTO", r.c_.identity().MaxLenNome);
    if (L >= 1067) {
        for (int i = 1; i <= 12; ++i) r.word(132 + 2 * (i - 1), numbered("FIELDBUS_VAR_IN_", i));
        for (int i = 1; i <= 12; ++i) r.word(156 + 2 * (i - 1), numbered("FIELDBUS_VAR_OUT_", i));
    } else if (L < 1065) {
        for (int i = 1; i <= 4; ++i) r.string(136 + 11 * (i - 1), numbered("DEFAULTNOMEFASE", i));
    }
    if (!r.c_.options().OpzioneAttiva("opstH_UTENTI")) {
        if (auto v = r.secret("PWLAV", K1, "PASSWORDLAVORI")) r.stringValue(86, *v);
        if (auto v = r.secret("PWHW", K2, "PASSWORDHARDWARE")) r.stringValue(93, *v);
        if (auto v = r.secret("PWSBL", K3, "PASSWORDSBLOCCO")) r.stringValue(194, *v);
    }
    if (L > 1) r.byte(202, "RITARDOSUPPL");
    if (L > 10) {
        r.byte(207, "INDIRIZZO485");
        r.byte(242, "FORMATO_ORA");
    }
    if (L > 27) r.byte(243, "FILTROFORZA");
    r.progress(50);
    if (L > 23) {
        r.word(205, "AV_INTERVALLO");
        r.byte(245, "AV_OPZIONI");
        r.byte(246, "AV_CAMPIONI");
    }
    if (L > 22) {
        if (r.has("NOMEUSCITA1")) r.string(255, "NOMEUSCITA1");
        else r.string(255, "NOMESETPOINT");
    }
    if (L > 23)
        for (int n = 1; n <= 6; ++n) {
            r.byte(272 + 2 * (n - 1), "AUTOV_TIME" + std::to_string(n) + "M");
            r.byte(273 + 2 * (n - 1), "AUTOV_TIME" + std::to_string(n) + "H");
        }
    r.progress(60);
    if (L > 26) r.byte(284, "FZERO_DEFAULT");
}

bool pressType(bool input, std::int32_t t) {
    return input ? (t == 29 || t == 30 || t == 31) : (t == 31 || t == 30 || t == 26);
}

void types(Restorer& r, int L, int F, bool config, bool cylinder) {
    auto& io = r.c_.io();
    if (config && F >= 40) {
        for (int i = 0; i < 16; ++i) {
            if (r.has(numbered("TYPE_IN", i))) {
                std::int32_t t = r.f_.ValInteger();
                // Files of firmware before 1062 may carry the electric-press starts as 26 and 27.
                if (F < 1062 && (t == 26 || t == 27)) t -= 10;
                io.FunzioniInput[static_cast<std::size_t>(i)] = t;
            }
            if (r.has(numbered("TYPE_OUT", i))) io.FunzioniOutput[static_cast<std::size_t>(i)] = r.f_.ValInteger();
        }
    }
    r.c_.options().AssegnaCodiciOpzione();
    auto allowed = [&](bool input, std::int32_t t) { return (config && !pressType(input, t)) || (cylinder && pressType(input, t)); };
    if (L >= 51) {
        for (int i = 0; i < 16; ++i)
            if (allowed(true, io.FunzioniInput[static_cast<std::size_t>(i)])) r.byteValue(448 + i, io.FunzioniInput[static_cast<std::size_t>(i)]);
        for (int i = 0; i < 16; ++i)
            if (allowed(false, io.FunzioniOutput[static_cast<std::size_t>(i)])) {
                r.byteValue(448 + i, io.FunzioniInput[static_cast<std::size_t>(i)]);
                r.byteValue(464 + i, io.FunzioniOutput[static_cast<std::size_t>(i)]);
            }
    } else if (L >= 40) {
        for (int i = 0; i < 16; ++i)
            if (allowed(true, io.FunzioniInput[static_cast<std::size_t>(i)])) r.byteValue(285 + i, io.FunzioniInput[static_cast<std::size_t>(i)]);
    }
    r.progress(70);
}

void users(Restorer& r, int L) {
    if (L < 20 || !r.c_.options().OpzioneAttiva("opstH_UTENTI")) return;
    const std::string password = r.secret("PWHW", K2, "PASSWORDHARDWARE").value_or("");
    std::string name = r.has("NOMEHW") ? krnlink::trim(r.f_.ValString()) : "";
    if (name.empty()) name = "ADMIN";
    r.write(r.c_.EliminaUtenti());
    r.write(r.c_.AggiungiUtente(static_cast<std::int32_t>(krnlink::leadingNumber(password)), name, 4095));
    const int count = r.integer("NUTENTI");
    for (int i = 1; i <= count && r.ok; ++i) {
        if (!r.has(numbered("NOMEUT", i))) break;
        const std::string user = r.f_.ValString();
        if (!r.has(numbered("PWUT", i))) break;
        const auto code = static_cast<std::int32_t>(krnlink::leadingNumber(r.f_.ValPassword(K4)));
        const std::int32_t rights = r.has(numbered("PERUT", i)) ? r.f_.ValLong() : 4095;
        // A code that already belongs to an operator is not added twice.
        if (!r.c_.PasswordValida(code)) r.write(r.c_.AggiungiUtente(code, user, rights));
    }
    r.progress(80);
}

void optionBytes(Restorer& r, int L) {
    static constexpr std::int32_t addresses[11] = {100, 101, 208, 242, 201, 240, 244, 103, 56, 57, 511};
    static constexpr int from[11] = {2, 2, 23, 23, 2, 11, 23, 8, 49, 49, 1000};
    const auto& words = r.c_.options().OpzioniStrumento;
    for (int i = 0; i < 10; ++i)  // byte 511 belongs to the press limits
        if (L >= from[i]) r.byteValue(addresses[i], words[static_cast<std::size_t>(i)]);
}

void electric(Restorer& r, int L, int F, bool config, bool cylinder) {
    if (L < 1000 || !r.c_.PressaElettrica()) return;
    if (cylinder) {
        if (r.ok && r.has("optPE_MANUT_POS")) r.write(r.c_.WriteNVRam2Bytes(496, r.f_.ValLong()));
        if (F < 1059) r.word(500, "optPE_STEPS");
    }
    if (!config) return;
    auto scaled = [&](const char* key, std::int32_t a, double factor, bool oneByte) {
        if (!r.ok || !r.has(key)) return;
        const auto v = static_cast<std::int32_t>(std::nearbyint(r.f_.ValSingle() * factor));
        r.write(oneByte ? r.c_.WriteNVRam1Byte(a, static_cast<std::uint8_t>(v & 0xFF)) : r.c_.WriteNVRam2Bytes(a, v));
    };
    if (L >= 1058) {
        scaled("optPE_AUTO_ACCEL", 484, 100, true);
        scaled("optPE_AUTO_DECEL", 485, 100, true);
    } else {
        scaled("optPE_AUTO_ACCEL", 484, 200, false);
        scaled("optPE_AUTO_DECEL", 486, 200, false);
    }
    if (L >= 1061) {
        r.byte(488, "optPE_TOUCH_FORCE");
        r.byte(489, "optPE_TOUCH_SPEED");
    }
    r.word(492, "optPE_JOG_FAST");
    r.word(494, "optPE_JOG_SLOW");
    if (r.has("optPE_COLLISION_FORCE")) r.word(506, "optPE_COLLISION_FORCE");
    else r.word(506, "optPE_CONTACT_FORCE");
    r.byte(508, "optPE_LOOP_FORCE");
    r.byte(509, "optPE_LOOP_POSITION");
    if (L >= 1062 && cylinder && r.ok) {
        auto b = r.c_.ReadNVRam1Byte(511);
        r.write(b.has_value() && r.c_.WriteNVRam1Byte(511, *b));
    }
    r.progress(90);
}

void network(Restorer& r, int L) {
    if (!r.ok || L < 1072) return;
    r.string(768, "HOST_NAME");
    r.string(785, "USER_NAME");
    r.string(802, "FTP_PASS");
    r.word(192, "TOOLS_CONFIG");
    r.string(819, "TOOL_A_NAME");
    r.string(830, "TOOL_B_NAME");
    r.string(841, "TOOL_C_NAME");
    if (L >= 1074)
        for (int n = 1; n <= 8; ++n) r.string(881 + 15 * (n - 1), "BOX_" + std::to_string(n) + "_NAME");
    r.byte(1016, "UDPFLEX_TYPE");
    if (r.ok && r.has("UDPFLEX_IP")) {
        const std::string ip = r.f_.ValString();
        std::size_t at = 0;
        for (int i = 0; i < 4 && r.ok; ++i) {
            r.byteValue(1017 + i, static_cast<std::int32_t>(krnlink::leadingNumber(ip.substr(std::min(at, ip.size())))));
            at = ip.find('.', at);
            at = at == std::string::npos ? ip.size() : at + 1;
        }
    }
    r.word(1021, "UDPFLEX_PORT");
    r.string(1023, "UDPFLEX_MSG");
}

}  // namespace

bool SupportoRipristino(const instrument::UCKRNVisual& control) {
    return inTable(restoreTable(), control.Protocollo(), control.Estensioni());
}

bool EseguiRipristino(instrument::UCKRNVisual& control, IniFile& file, bool taratura, bool configStrumento,
                      bool configCilindro, platform::Progress* progress) {
    if (!file.OpenFile() || !SupportoRipristino(control)) return false;
    file.Chiave(kSection);
    if (!file.ChiaveTrovata()) return false;
    Restorer r(control, file, progress);
    if (!r.has("Device") || file.ValString() != kDevice) return false;
    if (!r.has("Protocollo") || !r.has("Estensioni")) return false;
    const int F = file.ValInteger();
    if (!r.has("NumeroMisure") || file.ValInteger() != 1) return false;
    const int T = r.has("TipoFile") ? file.ValInteger() : 1;
    const int L = control.Estensioni();
    if (taratura) {
        calibration(r, L);
        r.progress(20);
    }
    if (configStrumento) configuration(r, L, F, T);
    if (r.ok) types(r, L, F, configStrumento, configCilindro);
    if (r.ok && configStrumento) {
        users(r, L);
        if (L >= 37) {
            r.b24(302, "VITAUTENSILE");
            r.b24(305, "VITATARATURA");
            r.b24(308, "COLPIUTENSILE");
            r.b24(311, "COLPITARATURA");
        }
        optionBytes(r, L);
    }
    electric(r, L, F, configStrumento, configCilindro);
    if (configStrumento) network(r, L);
    if (configStrumento) r.progress(100);
    return r.ok;
}

}  // namespace backup
