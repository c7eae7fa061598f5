#include "backup/key_table.h"

#include "backup/backup_keys.h"

namespace backup {

int KeySpec::width() const {
    switch (field) {
        case Field::Byte:
            return 1;
        case Field::Word:
            return 2;
        case Field::Int24:
            return 3;
        case Field::Address:
            return 4;
        default:
            return 0;
    }
}

namespace {

class Table {
public:
    std::vector<KeySpec> rows;

    KeySpec& add(const std::string& key, Field f, std::int32_t address, Value v, Levels backup) {
        KeySpec s;
        s.key = key;
        s.field = f;
        s.address = address;
        s.value = v;
        s.backup = backup;
        rows.push_back(s);
        return rows.back();
    }
    KeySpec& byte(const std::string& k, std::int32_t a, Levels b = {}) {
        return add(k, Field::Byte, a, Value::Integer, b);
    }
    KeySpec& word(const std::string& k, std::int32_t a, Levels b = {}) {
        return add(k, Field::Word, a, Value::Long, b);
    }
    KeySpec& int24(const std::string& k, std::int32_t a, Levels b = {}) {
        return add(k, Field::Int24, a, Value::Long, b);
    }
    KeySpec& text(const std::string& k, std::int32_t a, int slot, Levels b = {}) {
        KeySpec& s = add(k, Field::Text, a, Value::Text, b);
        s.slot = slot;
        return s;
    }
    KeySpec& number(const std::string& k, std::int32_t n, Levels b = {}) {
        KeySpec& s = add(k, Field::Constant, 0, Value::Integer, b);
        s.number = n;
        return s;
    }
    KeySpec& longNumber(const std::string& k, std::int32_t n, Levels b = {}) {
        return number(k, n, b).scaled(1, Value::Long);
    }
    KeySpec& constantText(const std::string& k, const std::string& t, Levels b = {}) {
        KeySpec& s = add(k, Field::Constant, 0, Value::Text, b);
        s.text = t;
        return s;
    }
    KeySpec& property(const std::string& k, Property p, Value v, Levels b = {}) {
        KeySpec& s = add(k, Field::Property, 0, v, b);
        s.property = p;
        return s;
    }
    void block(Block b) { add("", Field::Block, 0, Value::Integer, {}).block = b; }
};

std::string numbered(const std::string& base, int i) {
    return base + std::to_string(i);
}

void identityAndCalibration(Table& t) {
    using G = Group;
    t.constantText("Device", kDevice);
    t.property("Versione", Property::Versione, Value::Text);
    t.property("PressaElettrica", Property::PressaElettrica, Value::Boolean);
    t.property("Protocollo", Property::Protocollo, Value::Integer);
    t.property("Estensioni", Property::Estensioni, Value::Integer);
    t.number("TipoFile", 2);
    t.number("NumeroMisure", 1);
    t.byte("PROTECTEDZONE", 48, above(45)).to(G::Configuration, above(45));
    t.byte("LAVORESTERNO", 51, above(20));
    t.byte("FREQACQ", 52).to(G::Configuration).except(Exception::AcquisitionRate);
    t.property("TIMERACQ", Property::TimerAcq, Value::Single);
    t.byte("TIMESTOP", 53, above(7)).to(G::Configuration, above(1));
    t.number("TIMESTOP", 0, atMost(7));
    t.byte("MASKCELLEOFF", 54, above(1063)).to(G::Configuration, above(1063));
    t.byte("TOTALECELLE", 54, between(12, 1063))
        .to(G::Configuration, between(11, 1063))
        .except(Exception::OnlyWithoutMask);
    t.number("TOTALECELLE", 1, atMost(11));
    t.word("GAINCELLA1", 54, atMost(11)).to(G::Calibration, atMost(10));
    t.word("OFFSETCELLA1", 56, atMost(11)).to(G::Calibration, atMost(10));
    t.byte("LOADCELL2DECIMALS", 76, atLeast(1069)).to(G::Calibration, atLeast(1069));
    t.byte("LOADCELL2UNIT", 77, atLeast(1069)).to(G::Calibration, atLeast(1069));
    t.word("LOADCELL2SIZE", 78, atLeast(1069)).to(G::Calibration, atLeast(1069));
    t.byte("NUMDECIMALIFORZA", 58).to(G::Calibration);
    t.byte("UMFORZA", 59).to(G::Calibration).except(Exception::BelowThree);
    t.word("GAINQUOTA", 60).to(G::Calibration);
    t.word("OFFSETQUOTA", 62).to(G::Calibration);
    t.byte("NUMDECIMALIQUOTA", 64).to(G::Calibration);
    t.byte("UMQUOTA", 65).to(G::Calibration);
    t.word("GAINSUPPL", 66).to(G::Calibration);
    t.word("OFFSETSUPPL", 68).to(G::Calibration);
    t.byte("NUMDECIMALISUPPL", 70).to(G::Calibration);
    t.byte("UMSUPPL", 71).to(G::Calibration);
    t.property("CONTACOLPI", Property::ContaColpi, Value::Long, atLeast(51));
    t.text("NOMESUPPLEMENTARE", 72, 13, below(45))
        .to(G::Configuration, above(1))
        .except(Exception::SupplementaryName);
    t.text("PWLAV", 86, 6)
        .scrambled(K1)
        .to(G::Configuration)
        .except(Exception::Password)
        .old("PASSWORDLAVORI");
    t.text("PWHW", 93, 6)
        .scrambled(K2)
        .to(G::Configuration)
        .except(Exception::Password)
        .old("PASSWORDHARDWARE");
    t.property("NUMLAVSEL", Property::NumLavSel, Value::Integer);
    t.property("NUMFASI", Property::NumFasi, Value::Integer);
    t.text("NOMESTRUMENTO", 106, kNameSlotBefore1067, below(1067))
        .to(G::Configuration, below(1067))
        .except(Exception::InstrumentName);
    t.text("NOMESTRUMENTO", 106, kNameSlotFrom1067, atLeast(1067))
        .to(G::Configuration, atLeast(1067))
        .except(Exception::InstrumentName);
}

void generalSettings(Table& t) {
    using G = Group;
    t.property("JOB_NAME", Property::JobName, Value::Text);
    t.byte("NUMEROLAVORO", 181, atLeast(1067));
    t.byte("NUMEROLAVORO", 121, below(1067));
    for (int i = 1; i <= 12; ++i)
        t.word(numbered("FIELDBUS_VAR_IN_", i), 132 + 2 * (i - 1), atLeast(1067))
            .to(G::Configuration, atLeast(1067));
    for (int i = 1; i <= 12; ++i)
        t.word(numbered("FIELDBUS_VAR_OUT_", i), 156 + 2 * (i - 1), atLeast(1067))
            .to(G::Configuration, atLeast(1067));
    for (int i = 1; i <= 4; ++i)
        t.text(numbered("DEFAULTNOMEFASE", i), 136 + 11 * (i - 1), 10, below(1065))
            .to(G::Configuration, below(1065));
    t.text("PWSBL", 194, 6, above(7))
        .scrambled(K3)
        .to(G::Configuration)
        .except(Exception::Password)
        .old("PASSWORDSBLOCCO");
    t.constantText("PWSBL", kUnlockCode, atMost(7)).scrambled(K3);
    t.byte("RITARDOSUPPL", 202, above(1)).to(G::Configuration, above(1));
    t.word("PRESETLUNGHEZZA", 203, above(17)).to(G::Calibration, above(10));
    t.number("PRESETLUNGHEZZA", 0, atMost(17));
    t.word("AV_INTERVALLO", 205, above(27)).to(G::Configuration, above(23));
    t.number("AV_INTERVALLO", 0, atMost(27));
    t.byte("INDIRIZZO485", 207, above(17)).to(G::Configuration, above(10));
    t.number("INDIRIZZO485", 1, atMost(17));
    for (int i = 1; i <= 3; ++i)
        t.byte(numbered("CAMPOALTO", i), 208 + i, above(17)).to(G::Configuration, above(31));
    t.byte("FUNTASTORAPIDO2", 446, above(1059)).to(G::Configuration, above(1059));
    t.byte("FUNTASTORAPIDO3", 447, above(1059)).to(G::Configuration, above(1059));
    for (int n = 1; n <= 6; ++n) {
        t.word(numbered("GAINCELLA", n), 216 + 4 * (n - 1), above(11))
            .to(G::Calibration, above(10));
        t.word(numbered("OFFSETCELLA", n), 218 + 4 * (n - 1), above(11))
            .to(G::Calibration, above(10));
        if (n == 1) continue;
        t.longNumber(numbered("GAINCELLA", n), 1000, atMost(11));
        t.longNumber(numbered("OFFSETCELLA", n), 0, atMost(11));
    }
    t.byte("FORMATO_ORA", 242, above(12))
        .to(G::Configuration, above(10))
        .except(Exception::LowTwoBits);
    t.number("FORMATO_ORA", 0, atMost(12));
    t.byte("FILTROFORZA", 243, above(27))
        .needs(Need::ProtocolBelow39)
        .to(G::Configuration, above(27));
    t.number("FILTROFORZA", 0, atMost(27)).needs(Need::ProtocolBelow39);
    t.byte("AV_OPZIONI", 245, above(27)).to(G::Configuration, above(23));
    t.number("AV_OPZIONI", 0, atMost(27));
    t.byte("AV_CAMPIONI", 246, above(27)).to(G::Configuration, above(23));
    t.number("AV_CAMPIONI", 0, atMost(27));
    t.text("NOMEUSCITA1", 255, 13, above(17)).to(G::Configuration, above(22)).old("NOMESETPOINT");
    t.constantText("NOMEUSCITA1", "SETPOINT", atMost(17));
}

void coefficientsAndTimers(Table& t) {
    using G = Group;
    t.byte("COEF_DEFOR_HF", 269, atLeast(1071))
        .to(G::Calibration, above(30))
        .except(Exception::HighCoefficient);
    t.byte("SUPPL_FILTER", 270, atLeast(1071)).to(G::Calibration, atLeast(1071));
    t.byte("COEF_DEFOR_LF", 249, atLeast(1071))
        .to(G::Calibration, atLeast(1071))
        .except(Exception::LowCoefficient);
    t.word("TRIG_DEFOR_LF", 250, atLeast(1071))
        .to(G::Calibration, atLeast(1071))
        .old("DEF_LOWFORCE");
    t.byte("COEF_DEFO_A", 269, between(31, 1070));
    t.number("COEF_DEFO_A", 0, atMost(30));
    t.byte("COEF_DEFO_B", 270, between(31, 1070));
    t.number("COEF_DEFO_B", 0, atMost(30));
    t.byte("AV_DAY", 271, above(49));
    t.number("AV_MONTHS", 0, atMost(49));
    for (int n = 1; n <= 5; ++n) {
        const std::string m = "AUTOV_TIME" + std::to_string(n) + "M",
                          h = "AUTOV_TIME" + std::to_string(n) + "H";
        t.byte(m, 272 + 2 * (n - 1), above(23)).to(G::Configuration, above(23));
        t.number(m, 0, atMost(23));
        t.byte(h, 273 + 2 * (n - 1), above(23)).to(G::Configuration, above(23));
        t.number(h, 0, atMost(23));
    }
    t.word("AV_MONTHS", 282, above(49));
    t.byte("AUTOV_TIME6M", 282, between(24, 49)).to(G::Configuration, above(23));
    t.number("AUTOV_TIME6M", 0, atMost(23));
    t.byte("AUTOV_TIME6H", 283, between(24, 49)).to(G::Configuration, above(23));
    t.number("AUTOV_TIME6H", 0, atMost(23));
    t.number("AV_MONTHS", 0, atMost(49));
    t.byte("FZERO_DEFAULT", 284, above(26)).to(G::Configuration, above(26));
    t.number("FZERO_DEFAULT", 10, atMost(26));
    const char* life[4] = {"VITAUTENSILE", "VITATARATURA", "COLPIUTENSILE", "COLPITARATURA"};
    const std::int32_t at24[4] = {302, 305, 308, 311}, at16[4] = {302, 304, 310, 312};
    for (int i = 0; i < 4; ++i) {
        t.int24(life[i], at24[i], atLeast(37)).to(G::Configuration, atLeast(37));
        t.word(life[i], at16[i], between(34, 36));
        t.number(life[i], 0, below(34));
    }
    const char* names[3] = {"NOMETEST", "NOMEENABLE", "NOMECHKPNTOUT"};
    for (int n = 0; n < 9; ++n)
        t.text(numbered(names[n / 3], n % 3 + 1), 314 + 14 * n, 13, atLeast(45))
            .to(G::Configuration, atLeast(45))
            .except(Exception::TestName);
    t.int24("CLASSESCARTOBIT0", 440, atLeast(50));
    t.int24("CLASSESCARTOBIT1", 443, atLeast(50));
}

void electricPress(Table& t) {
    using G = Group;
    const Need e = Need::ElectricPress;
    t.word("optPE_MANUT_POS", 496, above(1060))
        .needs(e)
        .to(G::Cylinder)
        .except(Exception::ManutPos);
    t.word("optPE_MAX_SPEED", 498, above(1060)).needs(e);
    t.word("optPE_MAX_FORCE", 504, above(1060)).needs(e);
    t.word("optPE_MAX_STROKE", 502, above(1060)).needs(e);
    t.byte("optPE_MAX_CURRENT", 510, above(1060)).needs(e);
    t.byte("optPE_GEARDENOM5", 486, atLeast(1070)).needs(e);
    t.byte("optPE_GEARDENOM5", 486, between(1059, 1069)).needs(e).scaled(5, Value::Single);
    t.word("optPE_STEPS", 500, below(1059)).needs(e).to(G::Cylinder).fromFiles(below(1059));
    t.byte("optPE_AUTO_ACCEL", 484, above(1057))
        .needs(e)
        .scaled(100, Value::Single)
        .to(G::Motion, atLeast(1058));
    t.word("optPE_AUTO_ACCEL", 484, atMost(1057))
        .needs(e)
        .scaled(200, Value::Double)
        .to(G::Motion, below(1058));
    t.byte("optPE_AUTO_DECEL", 485, above(1057))
        .needs(e)
        .scaled(100, Value::Single)
        .to(G::Motion, atLeast(1058));
    t.word("optPE_AUTO_DECEL", 486, atMost(1057))
        .needs(e)
        .scaled(200, Value::Double)
        .to(G::Motion, below(1058));
    t.byte("optPE_TOUCH_FORCE", 488, above(1060)).needs(e).to(G::Motion, atLeast(1061));
    t.byte("optPE_TOUCH_SPEED", 489, above(1060)).needs(e).to(G::Motion, atLeast(1061));
    t.word("optPE_JOG_ACCEL", 488, below(1058)).needs(e).scaled(200, Value::Double);
    t.word("optPE_JOG_DECEL", 490, below(1058)).needs(e).scaled(200, Value::Double);
    t.word("optPE_JOG_FAST", 492).needs(e).to(G::Motion);
    t.word("optPE_JOG_SLOW", 494, above(1058)).needs(e).to(G::Motion);
    t.word("optPE_FAST_SPEED", 480, below(1059)).needs(e);
    t.word("optPE_WORK_SPEED", 482, below(1059)).needs(e);
    t.word("optPE_COLLISION_FORCE", 506).needs(e).to(G::Motion).old("optPE_CONTACT_FORCE");
    t.byte("optPE_LOOP_FORCE", 508).needs(e).to(G::Motion);
    t.byte("optPE_LOOP_POSITION", 509).needs(e).to(G::Motion);
}

void network(Table& t) {
    using G = Group;
    const Need e = Need::ElectricPress;
    const Levels l = atLeast(1072);
    t.text("HOST_NAME", 768, 16, l).needs(e).to(G::Network, l);
    t.text("USER_NAME", 785, 16, l).needs(e).to(G::Network, l);
    t.text("FTP_PASS", 802, 16, l).needs(e).to(G::Network, l);
    t.word("TOOLS_CONFIG", 192, l).needs(e).to(G::Network, l);
    t.text("TOOL_A_NAME", 819, 10, l).needs(e).to(G::Network, l);
    t.text("TOOL_B_NAME", 830, 10, l).needs(e).to(G::Network, l);
    t.text("TOOL_C_NAME", 841, 10, l).needs(e).to(G::Network, l);
    for (int n = 1; n <= 8; ++n)
        t.text("BOX_" + std::to_string(n) + "_NAME", 881 + 15 * (n - 1), 14, atLeast(1074))
            .needs(e)
            .to(G::Network, atLeast(1074));
    t.byte("UDPFLEX_TYPE", 1016, l).needs(e).to(G::Network, l);
    t.add("UDPFLEX_IP", Field::Address, 1017, Value::Text, l).needs(e).to(G::Network, l);
    t.word("UDPFLEX_PORT", 1021, l).needs(e).to(G::Network, l);
    t.text("UDPFLEX_MSG", 1023, 32, l).needs(e).to(G::Network, l);
}

std::vector<KeySpec> build() {
    Table t;
    identityAndCalibration(t);
    generalSettings(t);
    coefficientsAndTimers(t);
    t.block(Block::Types);
    t.block(Block::Users);
    t.block(Block::Options);
    t.block(Block::ConfigValues);
    electricPress(t);
    network(t);
    return std::move(t.rows);
}

}  // namespace

const std::vector<KeySpec>& keyTable() {
    static const std::vector<KeySpec> table = build();
    return table;
}

}  // namespace backup
