#pragma once
// InviaFileNVRAM1: an NVRAM image file ("RamSetup.asm", one decimal byte per line from address
// 46) sent to the connected instrument ten bytes a frame, then the header pointers that make its
// areas known to the instrument. Every byte goes through WriteToKRN / Write10byteToKRN, so the
// differences-only mode and the transfer counter apply.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/files.h"
#include "provisioning/image_builder.h"
#include "provisioning/profilo.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The first address of an image file.
inline constexpr std::int32_t kInizioImmagine = 46;
inline constexpr const char* kErroreRiprova = "Error. Try again?";

// Sends the image of nomeFile from address `da` on (the bytes before it are skipped; the blocks
// of ten start at `da`), then the header pointers for the addresses the image builder recorded.
// cancellaTutto: a whole format (the job memory end, the user-list block and the history pointer
// table are reset too). A ten-byte block that fails is offered again with "Error. Try again?".
// False when the file cannot be read or is not an image (nothing is sent), when a write failed
// or when the technician cancelled (CMain::Annullando then tells).
bool InviaFileNVRAM1(CommandHost& host, const std::string& nomeFile, bool cancellaTutto,
                     const provisioning::CProfilo& profilo,
                     const provisioning::IndirizziImmagine& indirizzi,
                     std::int32_t da = kInizioImmagine);

// The box of an image that could not be built for a file of the program folder (missing,
// malformed with its line, or the image file that cannot be written). Nothing for other builds.
void tellImageFile(CommandHost& host, const provisioning::Immagine& immagine);
// The box of a profile value that does not fit its field or the instrument (Immagine's
// erroreProfilo): nothing was written.
void tellProfileRefused(CommandHost& host, const std::string& why);

// Before a command that builds an image (format, send text) selects its instrument: the program
// folder's work files taken for this command alone (lock), and the files the image is built from
// read and checked. The outcome that ends the command (its box shown) when either fails.
std::optional<Outcome> prepareImageCommand(CommandHost& host, platform::FileLock& lock);
// The image file of one run: a private name in the program folder, so that two runs never share
// it and a "RamSetup.asm" built by hand is never taken or deleted by a command.
std::string workImagePath(const std::string& folder);

// The header bytes InviaFileNVRAM1 writes after the image, as (address, value) in their order.
struct ByteTestata {
    std::int32_t indirizzo;
    std::uint8_t valore;
    bool operator==(const ByteTestata&) const = default;
};
std::vector<ByteTestata> puntatoriTestata(std::int16_t protocollo, std::int16_t estensioni,
                                          bool cancellaTutto, const provisioning::CProfilo& profilo,
                                          const provisioning::IndirizziImmagine& indirizzi);

// A modern instrument: extension 13 and protocol 15 on.
constexpr bool strumentoModerno(std::int16_t protocollo, std::int16_t estensioni) {
    return estensioni >= 13 && protocollo >= 15;
}

}  // namespace service
