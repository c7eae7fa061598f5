#include "instrument/nvram.h"

#include <algorithm>

#include "instrument/generations.h"
#include "platform/protocol.h"
#include "platform/text_checks.h"
#include "platform/text_file.h"

namespace instrument {

namespace cmd = platform::cmd;

bool Nvram::usesBlockRead() const {
    return conLetturaABlocchi(id_.Protocollo, link_.flags.Estensioni);
}
bool Nvram::usesBlockWrite() const {
    return conScritturaABlocchi(link_.flags.Estensioni);
}

std::optional<std::vector<std::uint8_t>> Nvram::readOnce(std::uint8_t command,
                                                         std::int32_t indirizzo, std::size_t n) {
    if (!link_.exchange(krnlink::Request(command).address(indirizzo), false) ||
        link_.BufferRx[0] != n)
        return std::nullopt;
    return std::vector<std::uint8_t>(link_.BufferRx.begin() + 1,
                                     link_.BufferRx.begin() + 1 + static_cast<std::ptrdiff_t>(n));
}

std::optional<std::vector<std::uint8_t>> Nvram::readChecked(std::uint8_t command,
                                                            std::int32_t indirizzo, std::size_t n) {
    const bool suspect = link_.lineSuspect();
    const std::uint64_t failedBefore = link_.failedAttempts();
    auto value = readOnce(command, indirizzo, n);
    // (An answer whose CHK is 1, which one flipped bit can fake, the link itself asks for again.)
    if (!verify || !value || (!suspect && link_.failedAttempts() == failedBefore)) return value;
    // The answer may be a late one: read again until two reads agree.
    for (int i = 0; i < kVerifyRepeats; ++i) {
        auto again = readOnce(command, indirizzo, n);
        if (!again) return again;
        const auto diff = std::mismatch(value->begin(), value->end(), again->begin());
        if (diff.first == value->end()) return value;
        if (i + 1 == kVerifyRepeats) {
            const auto at = diff.first - value->begin();
            verifyFailure = Mismatch{indirizzo + static_cast<std::int32_t>(at), *diff.first,
                                     *diff.second, false};
        }
        value = std::move(again);
    }
    return std::nullopt;
}

std::optional<std::uint8_t> Nvram::ReadNVRam1Byte(std::int32_t indirizzo) {
    const auto v = readChecked(cmd::ReadNVRam1Byte, indirizzo, 1);
    if (!v) return std::nullopt;
    return (*v)[0];
}

std::optional<std::int32_t> Nvram::ReadNVRam2Bytes(std::int32_t indirizzo) {
    const auto v = readChecked(cmd::ReadNVRam2Bytes, indirizzo, 2);
    if (!v) return std::nullopt;
    return 256 * (*v)[1] + (*v)[0];
}

std::optional<std::int32_t> Nvram::ReadNVRam3Bytes(std::int32_t indirizzo) {
    const auto v = readChecked(cmd::ReadNVRam3Bytes, indirizzo, 3);
    if (!v) return std::nullopt;
    return (*v)[0] + 256 * (*v)[1] + 65536 * (*v)[2];
}

std::optional<std::vector<std::uint8_t>> Nvram::ReadNVRamBytes(std::int32_t indirizzo,
                                                               std::int32_t quanti,
                                                               platform::Progress& progress) {
    interrupted = false;
    std::vector<std::uint8_t> dati(static_cast<std::size_t>(std::max(quanti, 0)));
    if (usesBlockRead()) {
        for (std::int32_t offset = 0; offset < quanti; offset += 15) {
            const auto block = readChecked(cmd::ReadNVRamBlock, indirizzo + offset, 15);
            if (!block) return std::nullopt;
            const std::int32_t n = std::min(15, quanti - offset);
            std::copy_n(block->begin(), n, dati.begin() + offset);
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

bool Nvram::writeChecked(std::int32_t indirizzo, const std::uint8_t* dati, std::size_t n,
                         const std::function<bool()>& send) {
    if (!verify) return send();
    std::optional<Mismatch> wrong;
    for (int i = 0; i < kVerifyRepeats; ++i) {
        if (!send()) return false;
        // Read back in one block where the instrument has block reads (up to 15 bytes).
        std::optional<std::vector<std::uint8_t>> back;
        if (usesBlockRead()) {
            back = readOnce(cmd::ReadNVRamBlock, indirizzo, 15);
        } else {
            back.emplace();
            for (std::size_t k = 0; k < n && back; ++k) {
                auto b = readOnce(cmd::ReadNVRam1Byte, indirizzo + static_cast<std::int32_t>(k), 1);
                if (b)
                    back->push_back((*b)[0]);
                else
                    back.reset();
            }
        }
        if (!back) return false;
        const auto diff = std::mismatch(dati, dati + n, back->begin());
        if (diff.first == dati + n) return true;
        const auto at = static_cast<std::int32_t>(diff.first - dati);
        wrong = Mismatch{indirizzo + at, *diff.first, *diff.second, true};
    }
    verifyFailure = wrong;
    return false;
}

bool Nvram::WriteNVRam1Byte(std::int32_t indirizzo, std::uint8_t dato) {
    return writeChecked(indirizzo, &dato, 1, [&] {
        return link_.exchange(krnlink::Request(cmd::WriteNVRam).address(indirizzo).byte(dato),
                              false);
    });
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
    return writeChecked(indirizzo, dati, 10, [&] {
        return link_.exchange(
            krnlink::Request(cmd::WriteNVRam10Bytes).address(indirizzo).bytes(dati), false);
    });
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
    if (platform::hasControlCharacter(testo)) return false;  // nothing is written
    const std::string bytes = platform::utf8ToCp1252(testo);
    const std::size_t length =
        std::min(bytes.size(), static_cast<std::size_t>(std::clamp(lunghezzaMassima, 0, 255)));
    if (!WriteNVRam1Byte(indirizzo, static_cast<std::uint8_t>(length))) return false;
    return WriteNVRamBytes(indirizzo + 1,
                           std::vector<std::uint8_t>(
                               bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
}

}  // namespace instrument
