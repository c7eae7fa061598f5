#include "instrument/memory_check.h"

#include "platform/protocol.h"

namespace instrument {

namespace cmd = platform::cmd;

bool MemoryTest::StartTestMemory(int& cicli) {
    if (cicli < 0 || cicli >= 256 || cicli % 2 != 0) return false;
    if (!link_.exchange(krnlink::Request(cmd::StartMemoryTest, {static_cast<std::uint8_t>(cicli)}),
                        false) ||
        link_.BufferRx[0] != 1)
        return false;
    cicli = link_.BufferRx[1];
    inCorso_ = true;
    return true;
}

std::optional<StatoTestMemoria> MemoryTest::StatoTestMemory() {
    if (!link_.ComandoSemplice(cmd::MemoryTestState, false) || link_.BufferRx[0] != 2)
        return std::nullopt;
    const std::uint8_t stato = link_.BufferRx[1];
    StatoTestMemoria s;
    s.errore = (stato & 0x02) != 0;
    s.cicliRimasti = (stato & 0x01) != 0 ? link_.BufferRx[2] : 0;
    if ((stato & 0x01) == 0) inCorso_ = false;
    return s;
}

bool MemoryTest::StopTestMemory() {
    if (!link_.ComandoSemplice(cmd::StopMemoryTest, false)) return false;
    inCorso_ = false;
    return true;
}

}  // namespace instrument
