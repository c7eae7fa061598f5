#include "backup/backup_keys.h"

namespace backup {

const std::vector<std::string>& optionKeysInFileOrder() {
    static const std::vector<std::string> keys = {"opstL_MOP",
                                                  "opstL_CESTOUNO",
                                                  "opstL_CONPROT",
                                                  "opstL_PCSEMPRE",
                                                  "opstL_DISRESET",
                                                  "opstL_PREMANU",
                                                  "opstL_FASTZEROL",
                                                  "opstL_CESTOSPECIAL",
                                                  "opstH_NOFONOPEZ",
                                                  "opstH_STOPEXT",
                                                  "opstH_POTENZ",
                                                  "opstH_UTENTI",
                                                  "opstH_SETPOINT",
                                                  "opstH_LSCOMM",
                                                  "opstH_DUEROSSI",
                                                  "opstH_CESTOETALON",
                                                  "opstU_TIENIFRENO",
                                                  "opstU_SETPOINTFORZA",
                                                  "opstU_LAVRISERVATI",
                                                  "opstU_JOGCONPW",
                                                  "opz_RESET_UNLOCK",
                                                  "opstU_CONGELAMENTO",
                                                  "opstU_REAZGO",
                                                  "opstU_IGNORA_TDC",
                                                  "opstU_SPEGNI_ROSSO",
                                                  "opstU_EVSBLOCCO",
                                                  "opstU_SETPOINTRELATIVI",
                                                  "opzst_CLASSECOMUNE",
                                                  "opzst_PWSCELTALAVORO",
                                                  "opzst_ENCODER",
                                                  "opzmot_MODBUS",
                                                  "opzmot_FRECCESXDX",
                                                  "opzmot_FRECCEINV",
                                                  "opzmot_NOTERMO",
                                                  "opzmot_ENCO100",
                                                  "opzmot_ENCO70",
                                                  "opzmot_ENCOSKF22",
                                                  "opst_TRAZIONE",
                                                  "opst_BAIONETTA",
                                                  "opst_MIGLIORARIS",
                                                  "opst_CODBARPEZZO",
                                                  "opst_EXTERN_RETURN",
                                                  "opst_AUTO_RESTART_SAFETY",
                                                  "opLFC_CODBAR_LAV",
                                                  "opzLFC_BARCODEJOB_ALWAYS",
                                                  "sesuAV_MANU",
                                                  "sesuAV_AUTO",
                                                  "sesuANALOGICO",
                                                  "sesuABILITA",
                                                  "sesuSEGNO",
                                                  "sesuCONUSCITA",
                                                  "sesuCALIBRA",
                                                  "sesuNOTESTAV",
                                                  "oplaSELFASEEXT",
                                                  "oplaFASEOUTPUT",
                                                  "oplaFASEMANU",
                                                  "oplaFASENOPW",
                                                  "oplaRIPETIFASE",
                                                  "oplaMULTIFASCIA",
                                                  "oplaSELLAVINT",
                                                  "oplaSELFASEINT",
                                                  "opSELJOB_BARCODE",
                                                  "opSELJOB_TOOLA",
                                                  "opSELJOB_TOOLB",
                                                  "opSELJOB_TOOLC",
                                                  "opfaCELLEDIVERSE",
                                                  "opfaCELLALOWFORCE",
                                                  "prefNOSHOWVAL",
                                                  "prefSOVRAP",
                                                  "opz_LUCE_AREA",
                                                  "opstU_LAVRISERVATI",
                                                  "opstU_JOGCONPW",
                                                  "ophide_QUOTEREL",
                                                  "ophide_TRAZIONE",
                                                  "ophide_ENTRAMBIARRESTI",
                                                  "ophide_RIPETITORE",
                                                  "ophide_RIPETIZIONI",
                                                  "ophide_ESEGUISUBITO",
                                                  "ophide_IGNORAABILIT",
                                                  "ophide_RIPCORSALAVORO",
                                                  "ophide_NOAVPRESSA",
                                                  "ophide_NOAVTEST",
                                                  "ophide_ASKCODICEPEZZO",
                                                  "ophide_ASKFINEPEZZO",
                                                  "ophide_AUTOVERIFICA",
                                                  "ophide_IGNORACESTO"};
    return keys;
}

const std::vector<std::string>& informationOnlyKeys() {
    static const std::vector<std::string> keys = {
        "Versione",        "PressaElettrica", "LAVORESTERNO",     "TIMERACQ",
        "CONTACOLPI",      "JOB_NAME",        "NUMEROLAVORO",     "AV_DAY",
        "AV_MONTHS",       "COEF_DEFO_B",     "CLASSESCARTOBIT0", "CLASSESCARTOBIT1",
        "optPE_JOG_ACCEL", "optPE_JOG_DECEL", "optPE_FAST_SPEED", "optPE_WORK_SPEED"};
    return keys;
}

bool inTable(const std::vector<LevelRange>& table, int protocollo, int livello) {
    for (const LevelRange& r : table)
        if (r.protocollo == protocollo && livello >= r.from && livello <= r.to) return true;
    return false;
}

const std::vector<LevelRange>& backupTable() {
    static const std::vector<LevelRange> t = {
        {3, 1, 1},    {9, 2, 2},        {9, 7, 11},      {15, 13, 14}, {17, 17, 17},
        {17, 20, 30}, {30, 31, 33},     {31, 34, 34},    {33, 36, 46}, {34, 47, 48},
        {36, 49, 53}, {39, 1000, 1062}, {41, 1062, 1072}};
    return t;
}

const std::vector<LevelRange>& restoreTable() {
    static const std::vector<LevelRange> t = {
        {3, 1, 1},    {9, 2, 2},    {9, 10, 10},  {17, 23, 30},     {30, 31, 33},
        {33, 37, 46}, {34, 47, 48}, {36, 49, 53}, {39, 1054, 1062}, {41, 1062, 1072}};
    return t;
}

}  // namespace backup
