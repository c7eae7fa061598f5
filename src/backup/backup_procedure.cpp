#include "backup/backup_procedure.h"

#include <cstdio>

#include "backup/backup_keys.h"

namespace backup {
namespace {

// Writes keys while every read so far succeeded; constant keys are always written.
class Writer {
public:
    Writer(instrument::UCKRNVisual& c, IniFile& f) : c_(c), f_(f) {}
    bool ok = true;

    void integer(const char* key, std::int32_t v) { f_.Target(key), f_.Value(static_cast<std::int16_t>(v)); }
    void longValue(const char* key, std::int32_t v) { f_.Target(key), f_.Value(v); }
    void text(const char* key, const std::string& v) { f_.Target(key), f_.Value(v); }
    void boolean(const char* key, bool v) { f_.Target(key), f_.Value(v); }
    void single(const char* key, float v) { f_.Target(key), f_.Value(v); }
    void doubleValue(const char* key, double v) { f_.Target(key), f_.Value(v); }
    void scrambled(const char* key, std::int16_t k, const std::string& v) { f_.Target(key), f_.ValuePassword(k, v); }

    std::optional<std::int32_t> byteAt(std::int32_t a) { return read([&] { return c_.ReadNVRam1Byte(a); }); }
    std::optional<std::int32_t> wordAt(std::int32_t a) { return read([&] { return c_.ReadNVRam2Bytes(a); }); }
    std::optional<std::int32_t> b24At(std::int32_t a) { return read([&] { return c_.ReadNVRam3Bytes(a); }); }
    std::optional<std::string> stringAt(std::int32_t a) { return read([&] { return c_.LeggiStringaNVRam(a); }); }

    void byteKey(const char* key, std::int32_t a) {
        if (auto v = byteAt(a)) integer(key, *v);
    }
    void wordKey(const char* key, std::int32_t a) {
        if (auto v = wordAt(a)) longValue(key, *v);
    }
    void b24Key(const char* key, std::int32_t a) {
        if (auto v = b24At(a)) longValue(key, *v);
    }
    void stringKey(const char* key, std::int32_t a) {
        if (auto v = stringAt(a)) text(key, *v);
    }

private:
    template <typename F>
    auto read(F f) -> decltype(f()) {
        if (!ok) return std::nullopt;
        auto v = f();
        ok = v.has_value();
        return v;
    }
    instrument::UCKRNVisual& c_;
    IniFile& f_;
};

std::string numbered(const char* base, int i) { return std::string(base) + std::to_string(i); }

void identityAndCalibration(Writer& w, instrument::UCKRNVisual& c) {
    const int L = c.Estensioni();
    w.text("Device", kDevice);
    w.text("Versione", c.Versione());
    w.boolean("PressaElettrica", c.PressaElettrica());
    w.integer("Protocollo", c.Protocollo());
    w.integer("Estensioni", L);
    w.integer("TipoFile", 2);
    w.integer("NumeroMisure", 1);
    if (L > 45) w.byteKey("PROTECTEDZONE", 48);
    if (L > 20) w.byteKey("LAVORESTERNO", 51);
    w.byteKey("FREQACQ", 52);
    w.single("TIMERACQ", 0.0f);  // the live acquisition, which this tool never runs, keeps none
    if (L > 7) w.byteKey("TIMESTOP", 53); else w.integer("TIMESTOP", 0);
    if (L > 1063) w.byteKey("MASKCELLEOFF", 54);
    if (L > 11 && L <= 1063) w.byteKey("TOTALECELLE", 54);
    if (L <= 11) {
        w.integer("TOTALECELLE", 1);
        w.wordKey("GAINCELLA1", 54);
        w.wordKey("OFFSETCELLA1", 56);
    }
    if (L >= 1069) {
        w.byteKey("LOADCELL2DECIMALS", 76);
        w.byteKey("LOADCELL2UNIT", 77);
        w.wordKey("LOADCELL2SIZE", 78);
    }
    w.byteKey("NUMDECIMALIFORZA", 58);
    w.byteKey("UMFORZA", 59);
    w.wordKey("GAINQUOTA", 60);
    w.wordKey("OFFSETQUOTA", 62);
    w.byteKey("NUMDECIMALIQUOTA", 64);
    w.byteKey("UMQUOTA", 65);
    w.wordKey("GAINSUPPL", 66);
    w.wordKey("OFFSETSUPPL", 68);
    w.byteKey("NUMDECIMALISUPPL", 70);
    w.byteKey("UMSUPPL", 71);
    if (L >= 51 && w.ok) {
        w.ok = c.LeggiContaColpi();
        if (w.ok) w.longValue("CONTACOLPI", c.ContaColpi());
    }
    if (L < 45) w.stringKey("NOMESUPPLEMENTARE", 72);
    if (auto v = w.stringAt(86)) w.scrambled("PWLAV", K1, *v);
    if (auto v = w.stringAt(93)) w.scrambled("PWHW", K2, *v);
    w.integer("NUMLAVSEL", c.identity().NumeroLavoriSelezionabili);
    w.integer("NUMFASI", c.identity().NumeroMassimoFasi);
    w.stringKey("NOMESTRUMENTO", 106);
}

void generalSettings(Writer& w, instrument::UCKRNVisual& c) {
    const int L = c.Estensioni();
    if (w.ok) {
        auto stato = c.LeggiStato();
        auto name = stato ? c.LeggiNomeLavoro(stato->LavoroCorrente) : std::nullopt;
        w.ok = name.has_value();
        if (w.ok) w.text("JOB_NAME", *name);
    }
    w.byteKey("NUMEROLAVORO", L >= 1067 ? 181 : 121);
    if (L >= 1067) {
        for (int i = 1; i <= 12; ++i) w.wordKey(numbered("FIELDBUS_VAR_IN_", i).c_str(), 132 + 2 * (i - 1));
        for (int i = 1; i <= 12; ++i) w.wordKey(numbered("FIELDBUS_VAR_OUT_", i).c_str(), 156 + 2 * (i - 1));
    }
    if (L < 1065)
        for (int i = 1; i <= 4; ++i) w.stringKey(numbered("DEFAULTNOMEFASE", i).c_str(), 136 + 11 * (i - 1));
    if (L > 7) {
        if (auto v = w.stringAt(194)) w.scrambled("PWSBL", K3, *v);
    } else {
        w.scrambled("PWSBL", K3, kUnlockCode);
    }
    if (L > 1) w.byteKey("RITARDOSUPPL", 202);
    if (L > 17) w.wordKey("PRESETLUNGHEZZA", 203); else w.integer("PRESETLUNGHEZZA", 0);
    if (L > 27) w.wordKey("AV_INTERVALLO", 205); else w.integer("AV_INTERVALLO", 0);
    if (L > 17) w.byteKey("INDIRIZZO485", 207); else w.integer("INDIRIZZO485", 1);
    if (L > 17)
        for (int i = 1; i <= 3; ++i) w.byteKey(numbered("CAMPOALTO", i).c_str(), 208 + i);
    if (L > 1059) {
        w.byteKey("FUNTASTORAPIDO2", 446);
        w.byteKey("FUNTASTORAPIDO3", 447);
    }
    for (int n = 1; n <= 6; ++n) {
        if (L > 11) {
            w.wordKey(numbered("GAINCELLA", n).c_str(), 216 + 4 * (n - 1));
            w.wordKey(numbered("OFFSETCELLA", n).c_str(), 218 + 4 * (n - 1));
        } else if (n > 1) {
            w.longValue(numbered("GAINCELLA", n).c_str(), 1000);
            w.longValue(numbered("OFFSETCELLA", n).c_str(), 0);
        }
    }
    if (L > 12) {
        if (auto v = w.byteAt(242)) w.integer("FORMATO_ORA", *v & 3);
    } else {
        w.integer("FORMATO_ORA", 0);
    }
    if (c.Protocollo() < 39) {
        if (L > 27) w.byteKey("FILTROFORZA", 243); else w.integer("FILTROFORZA", 0);
    }
    if (L > 27) w.byteKey("AV_OPZIONI", 245); else w.integer("AV_OPZIONI", 0);
    if (L > 27) w.byteKey("AV_CAMPIONI", 246); else w.integer("AV_CAMPIONI", 0);
    if (L > 17) w.stringKey("NOMEUSCITA1", 255); else w.text("NOMEUSCITA1", "SETPOINT");
    if (L >= 1071) {
        w.byteKey("COEF_DEFOR_HF", 269);
        w.byteKey("SUPPL_FILTER", 270);
        w.byteKey("COEF_DEFOR_LF", 249);
        w.wordKey("TRIG_DEFOR_LF", 250);
    } else {
        if (L > 30) w.byteKey("COEF_DEFO_A", 269); else w.integer("COEF_DEFO_A", 0);
        if (L > 30) w.byteKey("COEF_DEFO_B", 270); else w.integer("COEF_DEFO_B", 0);
    }
    if (L > 49) w.byteKey("AV_DAY", 271); else w.integer("AV_MONTHS", 0);
    for (int n = 1; n <= 5; ++n) {
        const std::string m = "AUTOV_TIME" + std::to_string(n) + "M", h = "AUTOV_TIME" + std::to_string(n) + "H";
        if (L > 23) {
            w.byteKey(m.c_str(), 272 + 2 * (n - 1));
            w.byteKey(h.c_str(), 273 + 2 * (n - 1));
        } else {
            w.integer(m.c_str(), 0);
            w.integer(h.c_str(), 0);
        }
    }
    if (L > 49) {
        w.wordKey("AV_MONTHS", 282);
    } else {
        if (L > 23) {
            w.byteKey("AUTOV_TIME6M", 282);
            w.byteKey("AUTOV_TIME6H", 283);
        } else {
            w.integer("AUTOV_TIME6M", 0);
            w.integer("AUTOV_TIME6H", 0);
        }
        w.integer("AV_MONTHS", 0);
    }
    if (L > 26) w.byteKey("FZERO_DEFAULT", 284); else w.integer("FZERO_DEFAULT", 10);
    const char* life[4] = {"VITAUTENSILE", "VITATARATURA", "COLPIUTENSILE", "COLPITARATURA"};
    const std::int32_t at24[4] = {302, 305, 308, 311}, at16[4] = {302, 304, 310, 312};
    for (int i = 0; i < 4; ++i) {
        if (L >= 37) w.b24Key(life[i], at24[i]);
        else if (L >= 34) w.wordKey(life[i], at16[i]);
        else w.integer(life[i], 0);
    }
    if (L >= 45) {
        const char* names[3] = {"NOMETEST", "NOMEENABLE", "NOMECHKPNTOUT"};
        for (int n = 0; n < 9; ++n) w.stringKey(numbered(names[n / 3], n % 3 + 1).c_str(), 314 + 14 * n);
    }
    if (L >= 50) {
        w.b24Key("CLASSESCARTOBIT0", 440);
        w.b24Key("CLASSESCARTOBIT1", 443);
    }
}

void typesAndUsers(Writer& w, instrument::UCKRNVisual& c) {
    const int L = c.Estensioni();
    c.AssegnaCodiciOpzione();
    if (w.ok) w.ok = c.options().LeggiOpzioni();
    if (w.ok) w.ok = c.io().LeggiFunzioniIO();
    const auto& io = c.io();
    for (int i = 0; i <= 16 && w.ok; ++i) w.integer(numbered("TYPE_IN", i).c_str(), i < 16 ? io.FunzioniInput[static_cast<std::size_t>(i)] : 0);
    for (int i = 0; i <= 16 && w.ok; ++i) w.integer(numbered("TYPE_OUT", i).c_str(), i < 16 ? io.FunzioniOutput[static_cast<std::size_t>(i)] : 0);

    if (!c.ConUtenti()) {
        w.integer("NUTENTI", 0);
        return;
    }
    if (!w.ok) {
        w.integer("NUTENTI", 0);
        return;
    }
    auto total = c.LeggiStatoStory() ? c.users().LeggiNumeroUtentiTotale() : std::nullopt;
    if (!total) {
        w.ok = false;
        w.integer("NUTENTI", 0);
        return;
    }
    int first = 1, count = *total;
    if (L >= 46 && count > 0) {
        auto hw = c.users().LeggiDatiUtente(1);
        if (!hw) {
            w.ok = false;
            w.integer("NUTENTI", 0);
            return;
        }
        w.scrambled("PWHW", K2, std::to_string(hw->Codice));
        w.text("NOMEHW", hw->Nome);
        first = 2;
        count -= 1;
    }
    w.integer("NUTENTI", count);
    for (int i = 1; i <= count; ++i) {
        auto u = c.users().LeggiDatiUtente(first + i - 1);
        if (!u) {
            w.ok = false;
            w.integer("NUTENTI", 0);
            return;
        }
        w.text(numbered("NOMEUT", i).c_str(), u->Nome);
        w.scrambled(numbered("PWUT", i).c_str(), K4, std::to_string(u->Codice));
        if (L >= 46) w.integer(numbered("PERUT", i).c_str(), u->Diritti);
    }
}

void options(Writer& w, instrument::UCKRNVisual& c) {
    for (const std::string& key : optionKeysInFileOrder())
        if (c.options().CodiceOpzione(key) >= 0) w.boolean(key.c_str(), c.options().OpzioneAttiva(key));
}

void electricPress(Writer& w, instrument::UCKRNVisual& c) {
    const int L = c.Estensioni();
    if (!c.PressaElettrica()) return;
    if (L > 1060) {
        w.wordKey("optPE_MANUT_POS", 496);
        w.wordKey("optPE_MAX_SPEED", 498);
        w.wordKey("optPE_MAX_FORCE", 504);
        w.wordKey("optPE_MAX_STROKE", 502);
        w.byteKey("optPE_MAX_CURRENT", 510);
    }
    if (L >= 1070) w.byteKey("optPE_GEARDENOM5", 486);
    else if (L > 1058) {
        if (auto v = w.byteAt(486)) w.single("optPE_GEARDENOM5", static_cast<float>(*v) / 5.0f);
    }
    if (L < 1059) w.wordKey("optPE_STEPS", 500);
    if (L > 1057) {
        if (auto v = w.byteAt(484)) w.single("optPE_AUTO_ACCEL", static_cast<float>(*v) / 100.0f);
        if (auto v = w.byteAt(485)) w.single("optPE_AUTO_DECEL", static_cast<float>(*v) / 100.0f);
    } else {
        if (auto v = w.wordAt(484)) w.doubleValue("optPE_AUTO_ACCEL", *v / 200.0);
        if (auto v = w.wordAt(486)) w.doubleValue("optPE_AUTO_DECEL", *v / 200.0);
    }
    if (L > 1060) {
        w.byteKey("optPE_TOUCH_FORCE", 488);
        w.byteKey("optPE_TOUCH_SPEED", 489);
    }
    if (L < 1058) {
        if (auto v = w.wordAt(488)) w.doubleValue("optPE_JOG_ACCEL", *v / 200.0);
        if (auto v = w.wordAt(490)) w.doubleValue("optPE_JOG_DECEL", *v / 200.0);
    }
    w.wordKey("optPE_JOG_FAST", 492);
    if (L > 1058) w.wordKey("optPE_JOG_SLOW", 494);
    if (L < 1059) {
        w.wordKey("optPE_FAST_SPEED", 480);
        w.wordKey("optPE_WORK_SPEED", 482);
    }
    w.wordKey("optPE_COLLISION_FORCE", 506);
    w.byteKey("optPE_LOOP_FORCE", 508);
    w.byteKey("optPE_LOOP_POSITION", 509);
    if (L < 1072) return;
    w.stringKey("HOST_NAME", 768);
    w.stringKey("USER_NAME", 785);
    w.stringKey("FTP_PASS", 802);
    w.wordKey("TOOLS_CONFIG", 192);
    w.stringKey("TOOL_A_NAME", 819);
    w.stringKey("TOOL_B_NAME", 830);
    w.stringKey("TOOL_C_NAME", 841);
    if (L >= 1074)
        for (int n = 1; n <= 8; ++n) w.stringKey(("BOX_" + std::to_string(n) + "_NAME").c_str(), 881 + 15 * (n - 1));
    w.byteKey("UDPFLEX_TYPE", 1016);
    if (w.ok) {
        auto ip = c.LeggiIndirizzoIP(1017);
        w.ok = ip.has_value();
        if (w.ok) w.text("UDPFLEX_IP", *ip);
    }
    w.wordKey("UDPFLEX_PORT", 1021);
    w.stringKey("UDPFLEX_MSG", 1023);
}

}  // namespace

bool SupportoBackup(const instrument::UCKRNVisual& control) {
    return inTable(backupTable(), control.Protocollo(), control.Estensioni());
}

bool EseguiBackup(instrument::UCKRNVisual& control, IniFile& file) {
    if (!file.OpenFile() || !SupportoBackup(control)) return false;
    file.Chiave(kSection);
    Writer w(control, file);
    identityAndCalibration(w, control);
    generalSettings(w, control);
    typesAndUsers(w, control);
    options(w, control);
    electricPress(w, control);
    return w.ok;
}

}  // namespace backup
