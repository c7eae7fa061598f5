#include "service/settings/nvram_writes.h"

#include "service/backup/job_copy.h"
#include "service/core/controller.h"
#include "service/core/restart.h"

namespace service {

namespace {

// Counts n bytes and reports them; false when the technician cancelled.
bool count(CommandHost& host, long n) {
    CMain& c = host.controller();
    c.setTransferCount(c.transferCount() + n);
    return !c.UpdateTransfer(c.transferCount());
}

// The differences-only mode: reads instead of writing and logs a differing byte.
bool compare(CommandHost& host, std::int32_t indirizzo, std::int16_t dato) {
    const auto letto = host.control().ReadNVRam1Byte(indirizzo);
    if (!letto) return false;
    if (*letto != static_cast<std::uint8_t>(dato)) FileDifferenze(host, indirizzo, dato, *letto);
    return true;
}

}  // namespace

std::array<std::uint8_t, 12> firmaNVRAM(const instrument::UCKRNVisual& control) {
    return {'F',
            'o',
            'n',
            't',
            'O',
            'K',
            static_cast<std::uint8_t>(control.FormatoFONT()),
            'K',
            'R',
            'N',
            'V',
            static_cast<std::uint8_t>(control.FormatoNVRAM())};
}

bool WriteToKRN(CommandHost& host, std::int32_t indirizzo, std::int16_t dato) {
    const bool ok = host.soloDifferenze() ? compare(host, indirizzo, dato)
                                          : host.control().WriteNVRam1Byte(
                                                indirizzo, static_cast<std::uint8_t>(dato));
    const bool avanti = count(host, 1);
    return ok && avanti;
}

bool Write10byteToKRN(CommandHost& host, std::int32_t indirizzo,
                      const std::array<std::int16_t, 10>& dati) {
    if (host.soloDifferenze()) {
        for (int i = 0; i < 10; ++i)
            if (!WriteToKRN(host, indirizzo + i, dati[i])) return false;
        return true;
    }
    std::uint8_t bytes[10];
    for (int i = 0; i < 10; ++i) bytes[i] = static_cast<std::uint8_t>(dati[i]);
    const bool ok = host.control().WriteNVRam10Bytes(indirizzo, bytes);
    const bool avanti = count(host, 10);
    return ok && avanti;
}

bool CancellaNVRAM(CommandHost& host) {
    CMain& c = host.controller();
    c.setTransferCount(0);
    c.StartTransfer(100, TransferUnit::Percent);
    bool ok = true;
    for (std::int32_t a = 0; ok && a < 12; ++a) ok = WriteToKRN(host, a, 0);
    if (ok && host.control().Estensioni() >= 30)
        for (std::int32_t a = 512; ok && a < 524; ++a) ok = WriteToKRN(host, a, 0);
    if (ok) ok = restartInStage(host, 100, 30);
    c.StopTransfer(ok);
    return ok;
}

bool WriteNVRAMok(CommandHost& host) {
    return scriviFirma(host, 0, 12);
}

bool scriviFirma(CommandHost& host, std::int32_t da, std::int32_t a) {
    const auto firma = firmaNVRAM(host.control());
    for (std::int32_t i = da; i < a; ++i)
        if (!WriteToKRN(host, i, firma[static_cast<std::size_t>(i)])) return false;
    return true;
}

std::optional<std::array<std::uint8_t, 12>> leggiTestata(instrument::UCKRNVisual& control) {
    std::array<std::uint8_t, 12> bytes{};
    for (std::int32_t a = 0; a < 12; ++a) {
        const auto b = control.ReadNVRam1Byte(a);
        if (!b) return std::nullopt;
        bytes[a] = *b;
    }
    return bytes;
}

std::optional<bool> testataValida(instrument::UCKRNVisual& control) {
    const auto letti = leggiTestata(control);
    if (!letti) return std::nullopt;
    return *letti == firmaNVRAM(control);
}

}  // namespace service
