#pragma once
// The configuration part of the image, addresses 46 .. 767: the factory values of the version,
// the names from the main language, the default input assignment and the electric-press block
// from the profile. The addresses are those the configuration reader reads back.
#include <string>
#include <vector>

#include "provisioning/display_data.h"
#include "provisioning/image_builder.h"
#include "provisioning/image_writer.h"

namespace provisioning {

// The electric-press block: each profile value, its address and its encoding.
namespace blocco {
inline constexpr std::int32_t Fotoelettriche = 480;      // 1: 0/1
inline constexpr std::int32_t Accelerazione = 481;       // 2: hundredths
inline constexpr std::int32_t Decelerazione = 483;       // 2: hundredths
inline constexpr std::int32_t DenominatoreGear5 = 485;   // 2
inline constexpr std::int32_t DecimaliForza = 487;       // 1
inline constexpr std::int32_t ForzaMassima = 488;        // 4: N
inline constexpr std::int32_t QuotaIngrassaggio = 492;   // 2: tenths of mm, signed
inline constexpr std::int32_t PassoInMicron = 494;       // 2
inline constexpr std::int32_t CorsaUtile = 496;          // 2: mm
inline constexpr std::int32_t SpeedMax = 498;            // 2: tenths of mm/s (the motor speed word)
inline constexpr std::int32_t CorrenteMotore = 500;      // 2: A
inline constexpr std::int32_t SensoreTemperatura = 502;  // 1: 0/1
inline constexpr std::int32_t Flag = 511;                // 1: +16 with the divider 91 encoder
}  // namespace blocco

// The set-up values of 46..49 that older instruments keep for their job sizes.
struct Dimensioni4 {
    int v[4];
};
Dimensioni4 dimensioniIniziali(std::int16_t protocollo, std::int16_t estensioni, float versione);

// A counted text slot of the configuration part that the image fills with a default text of the
// main language (the product text, the force unit, the instrument name, the named functions):
// its address, its maximum length and the entry of the display-text file it shows.
struct SlotTestoPredefinito {
    std::int32_t indirizzo;
    int massimo;
    long voce;
};
std::vector<SlotTestoPredefinito> slotTestiPredefiniti(std::int16_t estensioni);
// The bytes of a counted text slot as the image holds it: length, display characters, zeros up
// to the maximum.
std::vector<std::uint8_t> slotContato(const std::string& cp1252, int massimo);

// Writes 46 .. 767; false when the configuration runs past 512 (the rest is still written).
bool scriviParteConfigurazione(ScrittoreImmagine& w, const ParametriImmagine& p,
                               const CProfilo& profilo, const TestiLingua& testi);

}  // namespace provisioning
