#pragma once
// Press and keyboard locks, the end of a conversation, the timed restart, and the switch into
// and out of the firmware loader.
#include <cstdint>

#include "instrument/identification.h"
#include "instrument/identity.h"
#include "instrument/nvram.h"
#include "link/frame_link.h"

namespace instrument {

struct PressLock {
    bool ok = false;      // the exchange succeeded with exactly one answer byte
    bool locked = false;  // and that byte was 1
};

class PressControl {
public:
    PressControl(krnlink::FrameLink& link, Nvram& nvram, Identity& id, Identification& ident)
        : link_(link), nvram_(nvram), id_(id), ident_(ident) {}

    PressLock BloccaPressa();
    bool SbloccaPressa(bool senzaRitentativi);
    // Tells the instrument that the computer ends the conversation, then closes the channel.
    bool ChiudiComunicazioni00(bool senzaRitentativi);
    bool BloccaTastiera();
    bool SbloccaTastiera(bool senzaRitentativi);
    // Restarts the instrument and waits for it, reporting percentages from `da` to `a`. A restart
    // cannot be stopped half-way: a stop answer is not heeded.
    bool ResetStrumento(int da, int a, platform::Progress& progress = nessunProgresso());
    void AttendiConProgresso(double secondi, int da, int a,
                             platform::Progress& progress = nessunProgresso());
    // Switches into or out of the firmware loader; the restart reports 0 to 100 percent.
    bool SetUpdateMode(bool richiesto, platform::Progress& progress = nessunProgresso());
    // Shortens the restart's fixed waits by this factor (only for simulated instruments that
    // restart quickly; see platform::restartWaitScale).
    void setRestartWaitScale(double scale) { waitScale_ = scale; }

private:
    bool oneByteAnswer(std::uint8_t code, std::uint8_t arg, bool senzaRitentativi);

    krnlink::FrameLink& link_;
    Nvram& nvram_;
    Identity& id_;
    Identification& ident_;
    double waitScale_ = 1.0;
};

}  // namespace instrument
