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
    Nvram(krnlink::FrameLink& link, const Identity& id, const ProgressEvent& progress)
        : link_(link), id_(id), progress_(progress) {}

    std::optional<std::uint8_t> ReadNVRam1Byte(std::int32_t indirizzo);
    std::optional<std::int32_t> ReadNVRam2Bytes(std::int32_t indirizzo);
    std::optional<std::int32_t> ReadNVRam3Bytes(std::int32_t indirizzo);
    // Command 41 in frames of 15 on instruments that have it, else byte by byte with progress.
    std::optional<std::vector<std::uint8_t>> ReadNVRamBytes(std::int32_t indirizzo, std::int32_t quanti);
    std::optional<std::string> LeggiStringaNVRam(std::int32_t indirizzo);
    std::optional<std::string> LeggiIndirizzoIP(std::int32_t indirizzo);

    bool WriteNVRam1Byte(std::int32_t indirizzo, std::uint8_t dato);
    bool WriteNVRam2Bytes(std::int32_t indirizzo, std::int32_t valore);
    bool WriteNVRam3Bytes(std::int32_t indirizzo, std::int32_t valore);
    bool WriteNVRam10Bytes(std::int32_t indirizzo, const std::uint8_t (&dati)[10]);
    bool WriteNVRamBytes(std::int32_t indirizzo, const std::vector<std::uint8_t>& dati);
    // Length byte (at most lunghezzaMassima) then the characters, one Windows-1252 byte each.
    bool ScriviStringaNVRam(std::int32_t indirizzo, const std::string& testo, int lunghezzaMassima);

    // Set when a progress handler stopped a byte-by-byte read.
    bool interrupted = false;

private:
    bool usesBlockRead() const;
    bool usesBlockWrite() const;
    void prepare(std::uint8_t command, std::int32_t indirizzo);
    bool writeBytesSingly(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n);

    krnlink::FrameLink& link_;
    const Identity& id_;
    const ProgressEvent& progress_;
};

// Three address bytes, least significant first.
void putAddress(krnlink::FrameBuffer& tx, std::size_t at, std::int32_t indirizzo);

}  // namespace instrument
