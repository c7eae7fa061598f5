#include "instrument/press_control.h"

#include <algorithm>
#include <cmath>

namespace instrument {
namespace {
// Nearest integer, halves to the even neighbour.
int roundEven(double v) { return static_cast<int>(std::nearbyint(v)); }
constexpr platform::Duration kProgressTick = std::chrono::milliseconds(50);
}  // namespace

bool PressControl::oneByteAnswer(std::uint8_t code, std::uint8_t arg, bool senzaRitentativi) {
    link_.BufferTx[0] = 2;
    link_.BufferTx[1] = code;
    link_.BufferTx[2] = arg;
    return link_.EseguiTransazione(senzaRitentativi) && link_.BufferRx[0] == 1;
}

PressLock PressControl::BloccaPressa() {
    PressLock r;
    r.ok = oneByteAnswer(18, 4, false);
    r.locked = r.ok && link_.BufferRx[1] == 1;
    link_.flags.PressaBloccata = r.locked;
    return r;
}

bool PressControl::SbloccaPressa(bool senzaRitentativi) {
    return oneByteAnswer(18, 3, senzaRitentativi) && link_.BufferRx[1] == 1;
}

bool PressControl::ChiudiComunicazioni00(bool senzaRitentativi) {
    const bool ok = oneByteAnswer(18, 9, senzaRitentativi) && link_.BufferRx[1] == 1;
    link_.ChiudiPortaComunicazione();
    return ok;
}

bool PressControl::BloccaTastiera() {
    link_.BufferTx[0] = 2;
    link_.BufferTx[1] = 20;
    link_.BufferTx[2] = 1;
    return link_.EseguiTransazione(false);
}

bool PressControl::SbloccaTastiera(bool senzaRitentativi) {
    link_.BufferTx[0] = 2;
    link_.BufferTx[1] = 20;
    link_.BufferTx[2] = 0;
    return link_.EseguiTransazione(senzaRitentativi);
}

void PressControl::raise(long valore) {
    if (!progress_) return;
    bool continua = true;  // a restart cannot be stopped half-way
    progress_(continua, valore);
}

void PressControl::AttendiConProgresso(double secondi, int da, int a) {
    platform::Clock& clock = link_.clock();
    const platform::TimePoint start = clock.now();
    while (true) {
        const double elapsed = clock.secondsSince(start);
        const double p = secondi > 0 ? std::min(100.0, elapsed / secondi * 100.0) : 100.0;
        raise(roundEven(da + (a - da) * p / 100.0));
        if (elapsed >= secondi) return;
        const auto left = std::chrono::duration_cast<platform::Duration>(
            std::chrono::duration<double>(secondi - elapsed));
        clock.sleepFor(std::min(left, kProgressTick));
    }
}

bool PressControl::ResetStrumento(int da, int a) {
    bool ok = link_.ComandoSemplice(1, false);
    if (id_.Protocollo == 11)
        link_.ComandoSemplice(13, false);
    else
        link_.ComandoSemplice(19, true);  // the instrument restarts and may not answer
    int mid = roundEven(da + (a - da) * 0.8);
    AttendiConProgresso(14.0, da, mid);
    if (ok) {
        const int step = roundEven((95 - mid) / 10.0);
        for (int i = 0; i < 10; ++i) {
            AttendiConProgresso(1.5, mid, mid + step);
            mid += step;
            if (link_.Risincronizza()) break;
        }
    }
    AttendiConProgresso(1.0, mid, a);
    if (ok) {
        ok = link_.ComandoSemplice(1, false);
        raise(a);
    }
    return ok;
}

bool PressControl::SetUpdateMode(bool richiesto) {
    if (!ident_.LeggiIdentita() || link_.flags.UpdateMode == richiesto) return false;
    const bool oldLoader =
        (id_.Protocollo == 9 || id_.Protocollo == 11) && link_.flags.Estensioni < 10;
    bool written = false;
    if (oldLoader) {
        if (richiesto) {
            written = nvram_.WriteNVRam1Byte(11, 250);
        } else {
            link_.BufferTx[0] = 6;
            link_.BufferTx[1] = 14;
            putAddress(link_.BufferTx, 2, 11);
            link_.BufferTx[5] = 0;
            link_.BufferTx[6] = 1;
            written = link_.EseguiTransazione(false);
        }
    } else if (auto b = nvram_.ReadNVRam1Byte(11)) {
        const std::uint8_t v = richiesto ? (*b | 0x80) : (*b & 0x7F);
        written = nvram_.WriteNVRam1Byte(11, v);
    }
    if (written) ResetStrumento(0, 100);
    return ident_.LeggiIdentita() && link_.flags.UpdateMode == richiesto;
}

}  // namespace instrument
