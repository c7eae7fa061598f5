#pragma once
// The instrument's options: the option bytes read from NVRAM and the option codes that say,
// for the connected generation, which bit of which byte holds each named option.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "instrument/identity.h"
#include "instrument/nvram.h"

namespace instrument {

class Options {
public:
    Options(Nvram& nvram, const Identity& id, const std::int16_t& estensioni)
        : nvram_(nvram), id_(id), estensioni_(estensioni) {}

    // Reads the eleven option bytes in their order, each under its condition; clears the
    // extended option word.
    bool LeggiOpzioni();
    // Sets every option code for the connected generation (-1 = the instrument lacks it).
    void AssegnaCodiciOpzione();

    // The code of a named option ("opstL_MOP"), -1 when unknown or absent.
    std::int16_t CodiceOpzione(const std::string& chiave) const;
    // Whether the option is set on the instrument (false for an absent option).
    bool OpzioneAttiva(const std::string& chiave) const;
    // Sets the option's bit in its option word (an absent option changes nothing).
    void ImpostaOpzione(const std::string& chiave);
    // The option word and bit of a code: entry index 0..10 (or 11 for the extended word).
    static std::pair<int, int> wordAndBit(std::int16_t codice);
    // The value an option code's group holds.
    std::int32_t ValoreGruppo(std::int16_t codice) const;

    const std::map<std::string, std::int16_t>& codici() const { return codici_; }
    // Every option key the tool knows, in the table's order.
    static const std::vector<std::string>& chiavi();

    std::array<std::int16_t, 11> OpzioniStrumento{};  // entries 1..11 at index 0..10
    std::uint32_t OpzioniEstese = 0;                  // the extended option word

private:
    Nvram& nvram_;
    const Identity& id_;
    const std::int16_t& estensioni_;
    std::map<std::string, std::int16_t> codici_;
};

}  // namespace instrument
