#include "instrument/option_table.h"

namespace instrument {
namespace {

OptionWhen from(std::int16_t e) {
    return {e, 32767, -1, 0};
}
OptionWhen range(std::int16_t lo, std::int16_t hi) {
    return {lo, hi, -1, 0};
}
OptionWhen electricFrom(std::int16_t e) {
    return {e, 32767, 1, 0};
}
const OptionWhen kElectric{-32768, 32767, 1, 0};
const OptionWhen kAboveTwo = from(3);           // E > 2
const OptionWhen kAboveTwentyThree = from(24);  // E > 23

std::vector<OptionRow> build() {
    using C = OptionChoice;
    std::vector<OptionRow> t = {
        {"opstL_MOP", {C{0x17}}, {C{0x10}}},
        {"opstL_CESTOUNO", {C{0x100}}, {C{0x11}}},
        {"opstL_CONPROT", {C{0x101}}, {C{0x12}}},
        {"opstL_PCSEMPRE", {C{0x16}}, {C{0x13}}},
        {"opstL_DISRESET", {C{0x13}}, {C{0x14}}},
        {"opstL_PREMANU", {C{0x20}}, {C{0x15}}},
        {"opstL_FASTZEROL", {C{0x21}}, {C{0x16}}},
        {"opstL_CESTOSPECIAL", {C{0x102}}, {C{0x17}}},
        {"opstH_NOFONOPEZ", {C{0x22}}, {C{0x20}}},
        {"opstH_STOPEXT", {C{0x14}}, {C{0x21}}},
        {"opstH_POTENZ", {C{0x11}}, {C{0x22}}},
        {"opstH_UTENTI", {C{0x23}}, {C{0x23, kAboveTwo}}},
        {"opstH_SETPOINT", {C{0x103}}, {C{0x24, kAboveTwo}, C{0x23}}},
        {"opstH_LSCOMM", {C{0x15}}, {C{0x25, kAboveTwo}}},
        {"opstH_DUEROSSI", {C{0x104}}, {C{0x26, kAboveTwo}}},
        {"opstH_CESTOETALON", {C{0x105}}, {C{0x27, kAboveTwo}}},
        {"opstU_TIENIFRENO", {C{0x30, from(52)}, C{0x106}}, {C{0x30, kAboveTwo}}},
        {"opstU_SETPOINTFORZA", {C{0x24}}, {C{0x31, kAboveTwo}}},
        {"opzst_CLASSECOMUNE", {C{0x31, from(52)}}, {}},
        {"opstU_SETPOINTRELATIVI", {C{0x32, from(52)}}, {}},
        {"opzst_PWSCELTALAVORO", {C{0x33, range(46, 55)}}, {}},
        {"opstU_CONGELAMENTO", {C{0x107}}, {C{0x33, kAboveTwentyThree}}},
        {"opzst_ENCODER", {C{0x35, electricFrom(1061)}}, {}},
        {"opstU_REAZGO", {C{0x12}}, {C{0x34, kAboveTwentyThree}}},
        {"opstU_IGNORA_TDC", {C{0x108}}, {C{0x35, kAboveTwentyThree}}},
        {"opstU_SPEGNI_ROSSO", {C{0x10}}, {C{0x36, kAboveTwentyThree}}},
        {"opstU_EVSBLOCCO", {C{0x109}}, {C{0x37, kAboveTwentyThree}}},
        {"opst_TRAZIONE", {C{-1, electricFrom(1061)}, C{0x25}}, {}},
        {"opst_BAIONETTA", {C{0x25, electricFrom(1061)}}, {}},
        {"opst_MIGLIORARIS", {C{0x26}}, {}},
        {"opst_CODBARPEZZO", {C{0x27}}, {}},
        {"opst_EXTERN_RETURN", {C{0x33, electricFrom(1061)}}, {}},
        {"opst_AUTO_RESTART_SAFETY", {C{0x34, electricFrom(1059)}}, {}},
        {"opz_RESET_UNLOCK", {C{0x37, from(1071)}}, {}},
        {"opzLFC_BARCODEJOB_ALWAYS", {C{0x46, from(1055)}}, {}},
        {"sesuABILITA", {C{0x10A}}, {C{0x50}}},
        {"sesuSEGNO", {C{0x10C}}, {C{0x51}}},
        {"sesuCONUSCITA", {C{0x10B}}, {C{0x52}}},
        {"sesuCALIBRA", {C{0x10D}}, {C{0x53, kAboveTwo}}},
        {"sesuNOTESTAV", {C{0x10E}}, {C{0x54, kAboveTwo}}},
        {"sesuANALOGICO", {C{0x53}}, {C{0x55, kAboveTwo}, C{0x54}}},
        {"sesuAV_MANU", {C{0x51}}, {}},
        {"sesuAV_AUTO", {C{0x52}}, {}},
        {"oplaSELFASEEXT", {C{0x41}}, {C{0x40, kAboveTwo}, C{0x41}}},
        {"oplaFASEOUTPUT", {C{0x110}}, {C{0x41, kAboveTwo}, C{0x42}}},
        {"oplaFASEMANU", {C{0x111}}, {C{0x42, kAboveTwo}}},
        {"oplaFASENOPW", {C{0x47}}, {C{0x43, kAboveTwo}}},
        {"oplaRIPETIFASE", {C{0x62}}, {C{0x44, kAboveTwo}}},
        {"oplaMULTIFASCIA", {}, {C{0x45, kAboveTwo}, C{0x40}}},
        {"oplaSELLAVINT", {C{0x40}}, {C{0x46, kAboveTwo}}},
        {"oplaSELFASEINT", {C{0x112}}, {C{0x47, kAboveTwo}}},
        {"opSELJOB_BARCODE", {C{0x42}}, {}},
        {"opLFC_CODBAR_LAV", {C{0x42}}, {}},
        {"opSELJOB_TOOLA", {C{0x43, from(1071)}}, {}},
        {"opSELJOB_TOOLB", {C{0x44, from(1071)}}, {}},
        {"opSELJOB_TOOLC", {C{0x45, from(1071)}}, {}},
        {"opfaCELLEDIVERSE", {C{0x65}}, {C{0x66, kAboveTwentyThree}}},
        {"opfaCELLALOWFORCE", {C{0x66}}, {C{0x66, kAboveTwentyThree}}},
        {"ophide_QUOTEREL", {C{0x70, from(49)}}, {}},
        {"ophide_TRAZIONE", {C{0x71, from(49)}}, {}},
        {"ophide_ENTRAMBIARRESTI", {C{0x72, range(49, 1071)}}, {}},
        {"ophide_RIPETITORE", {C{0x73, range(50, 1071)}}, {}},
        {"ophide_NOAVPRESSA", {C{0x82, range(49, 1071)}}, {}},
        {"ophide_NOAVTEST", {C{0x83, range(49, 1071)}}, {}},
        {"ophide_ESEGUISUBITO", {C{0x74, from(1072)}}, {}},
        {"ophide_RIPETIZIONI", {C{0x75, from(1072)}}, {}},
        {"ophide_IGNORAABILIT", {C{0x76, from(1072)}}, {}},
        {"ophide_RIPCORSALAVORO", {C{0x77, from(1072)}}, {}},
        {"ophide_ASKCODICEPEZZO", {C{0x80, from(1072)}}, {}},
        {"ophide_ASKFINEPEZZO", {C{0x81, from(1072)}}, {}},
        {"ophide_AUTOVERIFICA", {C{0x82, from(1072)}}, {}},
        {"ophide_IGNORACESTO", {C{0x86, from(1072)}}, {}},
        {"prefNOSHOWVAL", {C{0x90}}, {}},
        {"prefSOVRAP", {C{0x91}}, {}},
        {"opz_LUCE_AREA", {C{0x92, from(1071)}}, {}},
        {"opstU_JOGCONPW", {C{0x36, range(1067, 1070)}, C{0x96, from(1071)}}, {}},
        {"opstU_LAVRISERVATI",
         {C{0x97, from(1071)}, C{0x37, {52, 1070, -1, 1}}, C{0x32}},
         {C{0x32, kAboveTwentyThree}}},
    };
    const char* motor[] = {"opzmot_MODBUS",   "opzmot_FRECCESXDX", "opzmot_FRECCEINV",
                           "opzmot_NOTERMO",  "opzmot_ENCO100",    "opzmot_ENCO70",
                           "opzmot_ENCOSKF22"};
    for (std::int16_t i = 0; i < 7; ++i)
        t.push_back({motor[i], {C{static_cast<std::int16_t>(0xA0 + i), kElectric}}, {}});
    return t;
}

}  // namespace

const std::vector<OptionRow>& optionTable() {
    static const std::vector<OptionRow> table = build();
    return table;
}

}  // namespace instrument
