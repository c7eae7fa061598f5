#pragma once
// Which option code each named option has on each instrument generation. Data, read by
// Options::AssegnaCodiciOpzione.
#include <cstdint>
#include <vector>

namespace instrument {

struct OptionWhen {
    std::int16_t eMin = -32768;    // Estensioni >= eMin
    std::int16_t eMax = 32767;     // Estensioni <= eMax
    std::int8_t electric = -1;     // -1 any press, 0 not electric, 1 electric
    std::int8_t versionAbove = 0;  // 1: firmware version above 3.8101
};

struct OptionChoice {
    std::int16_t code;  // -1: the option is absent when this choice matches
    OptionWhen when{};
};

struct OptionRow {
    const char* key;
    std::vector<OptionChoice> newer;  // Estensioni > 40: the first matching choice
    std::vector<OptionChoice> older;  // Estensioni <= 40
};

const std::vector<OptionRow>& optionTable();

}  // namespace instrument
