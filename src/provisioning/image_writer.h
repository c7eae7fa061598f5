#pragma once
// The NVRAM image being written: one byte per line from address 46, with the address counter,
// the anchors that pad with zeros and the counted text slots.
#include <cstdint>
#include <string>
#include <vector>

namespace provisioning {

inline constexpr std::int32_t kPrimoIndirizzoImmagine = 46;

class ScrittoreImmagine {
public:
    std::int32_t indirizzo() const { return indirizzo_; }
    // One byte (the low 8 bits of v).
    void dato(long v);
    // A 16-bit word, low byte first.
    void parola(long v);
    // A line of a font file as it stands; its value is the number it starts with.
    void copiaRiga(const std::string& riga);
    // Zeros up to the anchor; false (and nothing written) when the counter has passed it.
    bool finoA(std::int32_t ancora);
    // A counted text slot: the length, the characters converted for the display, then zeros up
    // to `massimo` (massimo < 0: no maximum; a longer text is cut).
    void testoContato(const std::string& cp1252, int massimo = -1);

    const std::vector<std::string>& righe() const { return righe_; }
    const std::vector<std::uint8_t>& byte() const { return byte_; }

private:
    std::int32_t indirizzo_ = kPrimoIndirizzoImmagine;
    std::vector<std::string> righe_;
    std::vector<std::uint8_t> byte_;
};

}  // namespace provisioning
