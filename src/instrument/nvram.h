#pragma once
// Reading and writing the instrument's NVRAM: single bytes, words, blocks, strings.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "instrument/identity.h"
#include "link/frame_link.h"

namespace instrument {

class Nvram {
public:
    Nvram(krnlink::FrameLink& link, const Identity& id) : link_(link), id_(id) {}

    std::optional<std::uint8_t> ReadNVRam1Byte(std::int32_t indirizzo);
    std::optional<std::int32_t> ReadNVRam2Bytes(std::int32_t indirizzo);
    std::optional<std::int32_t> ReadNVRam3Bytes(std::int32_t indirizzo);
    // Command 41 in frames of 15 on instruments that have it, else byte by byte, reporting the
    // bytes read every 16 bytes; a stop answer ends the read (interrupted).
    std::optional<std::vector<std::uint8_t>> ReadNVRamBytes(
        std::int32_t indirizzo, std::int32_t quanti,
        platform::Progress& progress = nessunProgresso());
    // A length-prefixed string as the instrument keeps it: Windows-1252 bytes, one per character.
    std::optional<std::string> LeggiTestoNVRam(std::int32_t indirizzo);
    // The same as UTF-8, cut to at most `massimo` characters (only those are read).
    std::optional<std::string> LeggiStringaNVRam(std::int32_t indirizzo, int massimo = 255);
    std::optional<std::string> LeggiIndirizzoIP(std::int32_t indirizzo);

    bool WriteNVRam1Byte(std::int32_t indirizzo, std::uint8_t dato);
    bool WriteNVRam2Bytes(std::int32_t indirizzo, std::int32_t valore);
    bool WriteNVRam3Bytes(std::int32_t indirizzo, std::int32_t valore);
    bool WriteNVRam10Bytes(std::int32_t indirizzo, const std::uint8_t (&dati)[10]);
    // Frames of 10 on instruments that have them, the rest byte by byte, reporting the bytes
    // written after each frame; a stop answer ends the write (interrupted).
    bool WriteNVRamBytes(std::int32_t indirizzo, const std::vector<std::uint8_t>& dati,
                         platform::Progress& progress = nessunProgresso());
    // Length byte (at most lunghezzaMassima) then the characters, one Windows-1252 byte each.
    // A text with a control character is refused before anything is written.
    bool ScriviStringaNVRam(std::int32_t indirizzo, const std::string& testo, int lunghezzaMassima);

    // Set when the progress asked to stop a block read or write.
    bool interrupted = false;

    // Verification (krnctl --verify), for what the frame check cannot catch. While on: every
    // write is read back (with a block read where the instrument has one) and written once
    // more when it differs; every read that followed a recovery (an attempt failed during it,
    // or the line was suspect) is repeated until two reads agree. A difference that stays
    // fails the operation and is kept in verifyFailure.
    struct Mismatch {
        std::int32_t address;
        int expected;  // the byte written, or the first read; -1 when unknown
        int found;     // the byte read back, or the read that disagreed
        bool write;    // a write that read back wrong, else reads that disagreed
    };
    bool verify = false;
    std::optional<Mismatch> verifyFailure;
    // How many reads and writes a verification repeats before it reports a difference.
    static constexpr int kVerifyRepeats = 2;

private:
    bool usesBlockRead() const;
    bool usesBlockWrite() const;
    bool writeBytesSingly(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n,
                          platform::Progress& progress, std::size_t before);
    std::optional<std::string> readText(std::int32_t indirizzo, int massimo);
    // One exchange of the prepared read, and the n answer bytes it must give.
    std::optional<std::vector<std::uint8_t>> readOnce(std::uint8_t command, std::int32_t indirizzo,
                                                      std::size_t n);
    // readOnce, repeated under verification when it followed a recovery.
    std::optional<std::vector<std::uint8_t>> readChecked(std::uint8_t command,
                                                         std::int32_t indirizzo, std::size_t n);
    // The write of n bytes at indirizzo that `send` makes, read back under verification.
    bool writeChecked(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n,
                      const std::function<bool()>& send);

    krnlink::FrameLink& link_;
    const Identity& id_;
};

}  // namespace instrument
