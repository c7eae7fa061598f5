#include "instrument/io_functions.h"

#include <algorithm>

#include "instrument/generations.h"
#include "instrument/nvram_map.h"

namespace instrument {
namespace {

constexpr const char* kInputs[] = {"NOT USED",
                                   "START",
                                   "TDC",
                                   "JOB SELECTOR",
                                   "PHASE SELECTOR",
                                   "BASKET 1",
                                   "BASKET 2",
                                   "BASKET 3",
                                   "RESET",
                                   "FREEZE ACQUIRE",
                                   "ENABLE 1",
                                   "ENABLE 2",
                                   "ENABLE 3",
                                   "AUX TEST SIGNAL 1",
                                   "AUX TEST SIGNAL 2",
                                   "AUX TEST SIGNAL 3",
                                   nullptr,
                                   nullptr,
                                   "MANUTENZIONE",
                                   "SLIDEOK",
                                   "START PULSE",
                                   "NO ALLARM",
                                   "SAFETY OK",
                                   "PRESET",
                                   "FLIPFLOP ENABLE",
                                   "END PIECE"};

constexpr const char* kOutputs[] = {"NOT USED",     "GOOD",
                                    "REJECTED 1",   "REJECTED 2",
                                    "REJECTED 3",   "PRESS",
                                    "DOOR",         "BUZZER",
                                    "TEST OUTPUT",  "CONTACT",
                                    "SET POINT 1",  "SET POINT 2",
                                    "SET POINT 3",  "PHASE BIT",
                                    "JOB BIT",      "MANUAL/JOB TYPE",
                                    "FRENO",        nullptr,
                                    "READY",        "OPENGOODS",
                                    "PK TANK",      "SLIDELOCK",
                                    "PULL LEVER",   "RESETSAFETY",
                                    "OUTPUT 24",    "OUTPUT 25",
                                    "HI-PRECISION", "FAULT",
                                    "REST",         "FULLY RETRACTED",
                                    "DRIVER RESET", "DRIVER ENABLE",
                                    "OK (GOOD)",    "NOT OK (REJECTED)",
                                    "WORKING",      "OUTPUT 35",
                                    "OUTPUT 36",    "OUTPUT 37",
                                    "TANK VALVE"};

}  // namespace

std::string nomeFunzioneInput(int code, std::int16_t e, bool elettrica) {
    switch (code) {
        case 16:
            return elettrica ? "START RETURN" : "MOLT INDIETRO";
        case 17:
            return elettrica ? "START TO ZERO" : "MOLT AVANTI";
        case 26:
            return !nomiIngressoAzionamento(e) ? "START RETURN" : "REP_SELECTOR";
        case 27:
            return !nomiIngressoAzionamento(e) ? "START TO ZERO" : "RESERVED";
        case 28:
            return nomiIngressoAzionamento(e) ? "EVENT INPUT" : "";
        case 29:
            return nomiIngressoAzionamento(e) ? "DRIVER ACTIVE" : "";
        case 30:
            return nomiIngressoAzionamento(e) ? "DRIVER NOFAULT" : "";
        case 31:
            return nomiIngressoAzionamento(e) ? "IN POSITION" : "";
        default:
            break;
    }
    if (code >= 0 && code < static_cast<int>(std::size(kInputs)) && kInputs[code])
        return kInputs[code];
    return "";
}

std::string nomeFunzioneOutput(int code, bool elettrica) {
    if (code == 17) return elettrica ? "READY LAMP" : "RETURN";
    if (code >= 0 && code < static_cast<int>(std::size(kOutputs)) && kOutputs[code])
        return kOutputs[code];
    return "";
}

bool IoFunctions::LeggiFunzioniIO() {
    FunzioniInput.fill(0);
    FunzioniOutput.fill(0);
    conEventoPezzoFinito_ = true;
    int count = 0;
    std::int32_t inputs = 0, outputs = 0;
    if (funzioniIO16(estensioni_)) {
        count = 16;
        inputs = nvmap::FunzioniInput16;
        outputs = nvmap::FunzioniOutput16;
    } else if (funzioniIO8(estensioni_)) {
        count = 8;
        inputs = nvmap::FunzioniInput8;
        outputs = nvmap::FunzioniOutput8;
    }
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        auto b = nvram_.ReadNVRam1Byte(inputs + i);
        ok = b.has_value();
        if (ok) FunzioniInput[static_cast<std::size_t>(i)] = *b;
    }
    for (int i = 0; i < count && ok; ++i) {
        auto b = nvram_.ReadNVRam1Byte(outputs + i);
        ok = b.has_value();
        if (ok) FunzioniOutput[static_cast<std::size_t>(i)] = *b;
    }
    if (codiciIngressoVecchi(estensioni_))
        for (auto& code : FunzioniInput)
            if (code == 26 || code == 27) code -= 10;
    const bool four =
        std::find(FunzioniInput.begin(), FunzioniInput.end(), 4) != FunzioniInput.end();
    const bool twentyFive =
        std::find(FunzioniInput.begin(), FunzioniInput.end(), 25) != FunzioniInput.end();
    conEventoPezzoFinito_ = !(four && twentyFive);
    return ok;
}

std::string IoFunctions::NomeInput(int indice) const {
    if (indice < 0 || indice > 15) return std::to_string(indice) + "Input";
    const std::string name = nomeFunzioneInput(FunzioniInput[static_cast<std::size_t>(indice)],
                                               estensioni_, id_.PressaElettrica);
    return name.empty() ? std::to_string(indice) + "Input" : name;
}

std::string IoFunctions::NomeOutput(int indice) const {
    if (indice < 0 || indice > 15) return std::to_string(indice) + "Output";
    const std::string name =
        nomeFunzioneOutput(FunzioniOutput[static_cast<std::size_t>(indice)], id_.PressaElettrica);
    return name.empty() ? std::to_string(indice) + "Output" : name;
}

}  // namespace instrument
