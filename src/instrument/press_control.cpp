#include "instrument/press_control.h"

#include <algorithm>
#include <cmath>

#include "instrument/generations.h"
#include "instrument/nvram_map.h"
#include "platform/protocol.h"

namespace instrument {

namespace cmd = platform::cmd;

namespace {
// Nearest integer, halves to the even neighbour.
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}
constexpr platform::Duration kProgressTick = std::chrono::milliseconds(50);
}  // namespace

bool PressControl::oneByteAnswer(std::uint8_t code, std::uint8_t arg, bool senzaRitentativi) {
    return link_.exchange(krnlink::Request(code, {arg}), senzaRitentativi) &&
           link_.BufferRx[0] == 1;
}

PressLock PressControl::BloccaPressa() {
    PressLock r;
    r.ok = oneByteAnswer(cmd::PressControl, platform::press::Lock, false);
    r.locked = r.ok && link_.BufferRx[1] == 1;
    link_.flags.PressaBloccata = r.locked;
    return r;
}

bool PressControl::SbloccaPressa(bool senzaRitentativi) {
    return oneByteAnswer(cmd::PressControl, platform::press::Release, senzaRitentativi) &&
           link_.BufferRx[1] == 1;
}

bool PressControl::ChiudiComunicazioni00(bool senzaRitentativi) {
    const bool ok =
        oneByteAnswer(cmd::PressControl, platform::press::EndConversation, senzaRitentativi) &&
        link_.BufferRx[1] == 1;
    link_.ChiudiPortaComunicazione();
    return ok;
}

bool PressControl::BloccaTastiera() {
    return link_.exchange(krnlink::Request(cmd::Keyboard, {1}), false);
}

bool PressControl::SbloccaTastiera(bool senzaRitentativi) {
    return link_.exchange(krnlink::Request(cmd::Keyboard, {0}), senzaRitentativi);
}

void PressControl::AttendiConProgresso(double secondi, int da, int a,
                                       platform::Progress& progress) {
    platform::Clock& clock = link_.clock();
    const platform::TimePoint start = clock.now();
    while (true) {
        const double elapsed = clock.secondsSince(start);
        const double p = secondi > 0 ? std::min(100.0, elapsed / secondi * 100.0) : 100.0;
        progress.update(roundEven(da + (a - da) * p / 100.0));
        if (elapsed >= secondi) return;
        const auto left = std::chrono::duration_cast<platform::Duration>(
            std::chrono::duration<double>(secondi - elapsed));
        clock.sleepFor(std::min(left, kProgressTick));
    }
}

bool PressControl::ResetStrumento(int da, int a, platform::Progress& progress) {
    bool ok = link_.ComandoSemplice(cmd::Identify, false);
    if (riavvioConComando13(id_.Protocollo))
        link_.ComandoSemplice(cmd::RestartOrDiagnostic, false);
    else
        link_.ComandoSemplice(cmd::Restart, true);  // the instrument restarts and may not answer
    int mid = roundEven(da + (a - da) * 0.8);
    AttendiConProgresso(14.0 * waitScale_, da, mid, progress);
    if (ok) {
        const int step = roundEven((95 - mid) / 10.0);
        for (int i = 0; i < 10; ++i) {
            AttendiConProgresso(1.5 * waitScale_, mid, mid + step, progress);
            mid += step;
            if (link_.Risincronizza()) break;
        }
    }
    AttendiConProgresso(1.0 * waitScale_, mid, a, progress);
    if (ok) {
        ok = link_.ComandoSemplice(cmd::Identify, false);
        progress.update(a);
    }
    return ok;
}

bool PressControl::SetUpdateMode(bool richiesto, platform::Progress& progress) {
    if (!ident_.LeggiIdentita() || link_.flags.UpdateMode == richiesto) return false;
    const bool oldLoader = loaderVecchio(id_.Protocollo, link_.flags.Estensioni);
    bool written = false;
    if (oldLoader) {
        if (richiesto) {
            written = nvram_.WriteNVRam1Byte(nvmap::Formato, 250);
        } else {
            written = link_.exchange(
                krnlink::Request(cmd::WriteNVRam).address(nvmap::Formato).byte(0).byte(1), false);
        }
    } else if (auto b = nvram_.ReadNVRam1Byte(nvmap::Formato)) {
        const std::uint8_t v = richiesto ? (*b | 0x80) : (*b & 0x7F);
        written = nvram_.WriteNVRam1Byte(nvmap::Formato, v);
    }
    if (written) ResetStrumento(0, 100, progress);
    return ident_.LeggiIdentita() && link_.flags.UpdateMode == richiesto;
}

}  // namespace instrument
