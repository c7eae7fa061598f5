#include "instrument/nvram.h"

#include <algorithm>

#include "instrument/generations.h"
#include "platform/protocol.h"
#include "platform/text_file.h"

namespace instrument {

namespace cmd = platform::cmd;

void putAddress(krnlink::FrameBuffer& tx, std::size_t at, std::int32_t indirizzo) {
    tx[at] = static_cast<std::uint8_t>(indirizzo & 0xFF);
    tx[at + 1] = static_cast<std::uint8_t>((indirizzo & 0xFF00) >> 8);
    tx[at + 2] = static_cast<std::uint8_t>((indirizzo & 0xFF0000) >> 16);
}

bool Nvram::usesBlockRead() const {
    return conLetturaABlocchi(id_.Protocollo, link_.flags.Estensioni);
}
bool Nvram::usesBlockWrite() const {
    return conScritturaABlocchi(link_.flags.Estensioni);
}

void Nvram::prepare(std::uint8_t command, std::int32_t indirizzo) {
    link_.BufferTx[0] = 4;
    link_.BufferTx[1] = command;
    putAddress(link_.BufferTx, 2, indirizzo);
}

std::optional<std::uint8_t> Nvram::ReadNVRam1Byte(std::int32_t indirizzo) {
    prepare(cmd::ReadNVRam1Byte, indirizzo);
    if (!link_.EseguiTransazione(false) || link_.BufferRx[0] != 1) return std::nullopt;
    return link_.BufferRx[1];
}

std::optional<std::int32_t> Nvram::ReadNVRam2Bytes(std::int32_t indirizzo) {
    prepare(cmd::ReadNVRam2Bytes, indirizzo);
    if (!link_.EseguiTransazione(false) || link_.BufferRx[0] != 2) return std::nullopt;
    return 256 * link_.BufferRx[2] + link_.BufferRx[1];
}

std::optional<std::int32_t> Nvram::ReadNVRam3Bytes(std::int32_t indirizzo) {
    prepare(cmd::ReadNVRam3Bytes, indirizzo);
    if (!link_.EseguiTransazione(false) || link_.BufferRx[0] != 3) return std::nullopt;
    return link_.BufferRx[1] + 256 * link_.BufferRx[2] + 65536 * link_.BufferRx[3];
}

std::optional<std::vector<std::uint8_t>> Nvram::ReadNVRamBytes(std::int32_t indirizzo,
                                                               std::int32_t quanti,
                                                               platform::Progress& progress) {
    interrupted = false;
    std::vector<std::uint8_t> dati(static_cast<std::size_t>(std::max(quanti, 0)));
    if (usesBlockRead()) {
        for (std::int32_t offset = 0; offset < quanti; offset += 15) {
            prepare(cmd::ReadNVRamBlock, indirizzo + offset);
            if (!link_.EseguiTransazione(false) || link_.BufferRx[0] != 15) return std::nullopt;
            const std::int32_t n = std::min(15, quanti - offset);
            std::copy_n(link_.BufferRx.begin() + 1, n, dati.begin() + offset);
        }
        return dati;
    }
    for (std::int32_t i = 0; i < quanti; ++i) {
        auto b = ReadNVRam1Byte(indirizzo + i);
        if (!b) return std::nullopt;
        dati[static_cast<std::size_t>(i)] = *b;
        if ((i + 1) % 16 == 0 && !progress.update(i + 1)) {
            interrupted = true;
            return std::nullopt;
        }
    }
    return dati;
}

std::optional<std::string> Nvram::readText(std::int32_t indirizzo, int massimo) {
    auto length = ReadNVRam1Byte(indirizzo);
    if (!length) return std::nullopt;
    auto chars = ReadNVRamBytes(indirizzo + 1, std::min<int>(*length, std::max(massimo, 0)));
    if (!chars) return std::nullopt;
    return std::string(chars->begin(), chars->end());
}

std::optional<std::string> Nvram::LeggiTestoNVRam(std::int32_t indirizzo) {
    return readText(indirizzo, 255);
}

std::optional<std::string> Nvram::LeggiStringaNVRam(std::int32_t indirizzo, int massimo) {
    auto text = readText(indirizzo, massimo);
    if (!text) return std::nullopt;
    return platform::cp1252ToUtf8(*text);
}

std::optional<std::string> Nvram::LeggiIndirizzoIP(std::int32_t indirizzo) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        auto b = ReadNVRam1Byte(indirizzo + i);
        if (!b) return std::nullopt;
        if (i > 0) text += '.';
        text += std::to_string(*b);
    }
    return text;
}

bool Nvram::WriteNVRam1Byte(std::int32_t indirizzo, std::uint8_t dato) {
    link_.BufferTx[0] = 5;
    link_.BufferTx[1] = cmd::WriteNVRam;
    putAddress(link_.BufferTx, 2, indirizzo);
    link_.BufferTx[5] = dato;
    return link_.EseguiTransazione(false);
}

bool Nvram::WriteNVRam2Bytes(std::int32_t indirizzo, std::int32_t valore) {
    return WriteNVRam1Byte(indirizzo, static_cast<std::uint8_t>(valore & 0xFF)) &&
           WriteNVRam1Byte(indirizzo + 1, static_cast<std::uint8_t>((valore >> 8) & 0xFF));
}

bool Nvram::WriteNVRam3Bytes(std::int32_t indirizzo, std::int32_t valore) {
    return WriteNVRam2Bytes(indirizzo, valore) &&
           WriteNVRam1Byte(indirizzo + 2, static_cast<std::uint8_t>((valore >> 16) & 0xFF));
}

bool Nvram::writeBytesSingly(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n,
                             platform::Progress& progress, std::size_t before) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!WriteNVRam1Byte(indirizzo + static_cast<std::int32_t>(i), dati[i])) return false;
        if (!progress.update(static_cast<long>(before + i + 1))) {
            interrupted = true;
            return false;
        }
    }
    return true;
}

bool Nvram::WriteNVRam10Bytes(std::int32_t indirizzo, const std::uint8_t (&dati)[10]) {
    if (!usesBlockWrite()) return writeBytesSingly(indirizzo, dati, 10, nessunProgresso(), 0);
    link_.BufferTx[0] = 14;
    link_.BufferTx[1] = cmd::WriteNVRam10Bytes;
    putAddress(link_.BufferTx, 2, indirizzo);
    std::copy_n(dati, 10, link_.BufferTx.begin() + 5);
    return link_.EseguiTransazione(false);
}

bool Nvram::WriteNVRamBytes(std::int32_t indirizzo, const std::vector<std::uint8_t>& dati,
                            platform::Progress& progress) {
    interrupted = false;
    std::size_t done = 0;
    if (usesBlockWrite()) {
        for (; done + 10 <= dati.size(); done += 10) {
            std::uint8_t frame[10];
            std::copy_n(dati.begin() + static_cast<std::ptrdiff_t>(done), 10, frame);
            if (!WriteNVRam10Bytes(indirizzo + static_cast<std::int32_t>(done), frame))
                return false;
            if (!progress.update(static_cast<long>(done + 10))) {
                interrupted = true;
                return false;
            }
        }
    }
    return writeBytesSingly(indirizzo + static_cast<std::int32_t>(done), dati.data() + done,
                            dati.size() - done, progress, done);
}

bool Nvram::ScriviStringaNVRam(std::int32_t indirizzo, const std::string& testo,
                               int lunghezzaMassima) {
    const std::string bytes = platform::utf8ToCp1252(testo);
    const std::size_t length =
        std::min(bytes.size(), static_cast<std::size_t>(std::clamp(lunghezzaMassima, 0, 255)));
    if (!WriteNVRam1Byte(indirizzo, static_cast<std::uint8_t>(length))) return false;
    return WriteNVRamBytes(indirizzo + 1,
                           std::vector<std::uint8_t>(
                               bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
}

}  // namespace instrument
