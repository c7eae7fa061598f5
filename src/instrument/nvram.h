#pragma once
// Reading and writing the instrument's NVRAM: single bytes, words, blocks, strings.
#include <cstdint>
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
    bool ScriviStringaNVRam(std::int32_t indirizzo, const std::string& testo, int lunghezzaMassima);

    // Set when the progress asked to stop a block read or write.
    bool interrupted = false;

private:
    bool usesBlockRead() const;
    bool usesBlockWrite() const;
    void prepare(std::uint8_t command, std::int32_t indirizzo);
    bool writeBytesSingly(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n,
                          platform::Progress& progress, std::size_t before);
    std::optional<std::string> readText(std::int32_t indirizzo, int massimo);

    krnlink::FrameLink& link_;
    const Identity& id_;
};

// Three address bytes, least significant first.
void putAddress(krnlink::FrameBuffer& tx, std::size_t at, std::int32_t indirizzo);

}  // namespace instrument
