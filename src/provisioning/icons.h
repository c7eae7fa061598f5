#pragma once
// The icons the image carries, drawn as rows of "1" (pixel on) and blanks, and their encoding:
// byte b of a row holds characters 8(b-1)+1 .. 8b, the first in the most significant bit.
#include <cstdint>
#include <string>
#include <vector>

namespace provisioning {

struct Icona {
    const char* nome;
    int byteRiga;  // 3 for the 24-pixel icons, 2 for the narrow ones (17-character rows)
    std::vector<std::string> righe;
};

// The built-in icons, the 24-pixel ones first.
const std::vector<Icona>& iconeIncorporate();
// The B bytes of one row.
std::vector<std::uint8_t> codificaRiga(const std::string& riga, int byteRiga);

}  // namespace provisioning
