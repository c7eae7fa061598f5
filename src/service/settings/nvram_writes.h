#pragma once
// The write procedures every NVRAM send goes through (format, send text, memory erase, the new
// checksum): one byte or ten at a time, counted in the controller's transfer counter and
// reported to its progress. While the differences-only mode is on (CommandHost::soloDifferenze())
// they write nothing: each byte is read and, when it differs, logged to "Diff.asm".
#include <array>
#include <cstdint>
#include <optional>

#include "service/core/command_host.h"

namespace service {

// The twelve signature bytes at addresses 0..11 of a valid NVRAM: "FontOK", the font type,
// "KRNV", the NVRAM format.
std::array<std::uint8_t, 12> firmaNVRAM(const instrument::UCKRNVisual& control);

// One byte. False when the write (or, comparing, the read) failed, or when the technician
// cancelled: the byte went out, but the step stops there (see CMain::Annullando).
bool WriteToKRN(CommandHost& host, std::int32_t indirizzo, std::int16_t dato);
// Ten bytes at indirizzo..indirizzo+9 in one frame; comparing, ten WriteToKRN.
bool Write10byteToKRN(CommandHost& host, std::int32_t indirizzo,
                      const std::array<std::int16_t, 10>& dati);

// Clears the signature (0..11, and 512..523 from extension 30) and restarts the instrument,
// which then reports itself unformatted.
bool CancellaNVRAM(CommandHost& host);
// Writes the signature, last of a format: an interrupted format leaves none.
bool WriteNVRAMok(CommandHost& host);
// Writes the signature bytes da..a-1 only (a format writes 6..11 before the options, which need
// the instrument to read as formatted, and "FontOK" last).
bool scriviFirma(CommandHost& host, std::int32_t da, std::int32_t a);
// Reads 0..11: the bytes, or nothing when a read failed.
std::optional<std::array<std::uint8_t, 12>> leggiTestata(instrument::UCKRNVisual& control);
// Whether 0..11 hold this instrument's signature; nothing when a read failed.
std::optional<bool> testataValida(instrument::UCKRNVisual& control);

}  // namespace service
