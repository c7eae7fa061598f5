#include "provisioning/icons.h"

namespace provisioning {

const std::vector<Icona>& iconeIncorporate() {
    static const std::vector<Icona> icone = {
        {"misura",
         3,
         {"                        ", "          1111          ", "       1111111111       ",
          "     111        111     ", "    11     11     11    ", "   11      11      11   ",
          "  11       11       11  ", "  1        11        1  ", " 11        11        11 ",
          " 1         11         1 ", " 1        1111        1 ", " 1        1111        1 ",
          " 11                  11 ", "  111111111111111111111 ", "                        ",
          "                        "}},
        {"pressa",
         3,
         {"  11111111111111111111  ", "  1                  1  ", "  11111111111111111111  ",
          "          1111          ", "          1111          ", "          1111          ",
          "          1111          ", "        11111111        ", "        11111111        ",
          "                        ", "     11111111111111     ", "     1            1     ",
          "     11111111111111     ", "                        ", " 1111111111111111111111 ",
          " 1111111111111111111111 "}},
        {"freccia",
         2,
         {"        1        ", "       111       ", "      11111      ", "     1111111     ",
          "    111111111    ", "       111       ", "       111       ", "       111       ",
          "       111       ", "       111       "}},
        {"spunta",
         2,
         {"                1", "               11", "              11 ", "             11  ",
          " 1          11   ", " 11        11    ", "  11      11     ", "   11    11      ",
          "    11  11       ", "     1111        "}},
    };
    return icone;
}

std::vector<std::uint8_t> codificaRiga(const std::string& riga, int byteRiga) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(byteRiga), 0);
    for (int b = 0; b < byteRiga; ++b)
        for (int k = 0; k < 8; ++k) {
            const std::size_t c = static_cast<std::size_t>(8 * b + k);
            if (c < riga.size() && riga[c] == '1')
                out[static_cast<std::size_t>(b)] |= static_cast<std::uint8_t>(0x80 >> k);
        }
    return out;
}

}  // namespace provisioning
