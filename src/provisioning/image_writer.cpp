#include "provisioning/image_writer.h"

#include "resources/display_charset.h"
#include "resources/language_files.h"

namespace provisioning {

void ScrittoreImmagine::dato(long v) {
    const auto b = static_cast<std::uint8_t>(v & 0xFF);
    righe_.push_back(std::to_string(b));
    byte_.push_back(b);
    ++indirizzo_;
}

void ScrittoreImmagine::parola(long v) {
    dato(v & 0xFF);
    dato((v >> 8) & 0xFF);
}

void ScrittoreImmagine::copiaRiga(const std::string& riga) {
    righe_.push_back(riga);
    byte_.push_back(
        static_cast<std::uint8_t>(resources::leadingValue(resources::trimBlanks(riga)) & 0xFF));
    ++indirizzo_;
}

bool ScrittoreImmagine::finoA(std::int32_t ancora) {
    if (indirizzo_ > ancora) return false;
    while (indirizzo_ < ancora) dato(0);
    return true;
}

void ScrittoreImmagine::testoContato(const std::string& cp1252, int massimo) {
    std::string testo = resources::toInstrument(cp1252);
    if (massimo >= 0 && testo.size() > static_cast<std::size_t>(massimo))
        testo.resize(static_cast<std::size_t>(massimo));
    if (testo.size() > 255) testo.resize(255);
    dato(static_cast<long>(testo.size()));
    for (unsigned char c : testo) dato(c);
    for (int i = static_cast<int>(testo.size()); i < massimo; ++i) dato(0);
}

}  // namespace provisioning
