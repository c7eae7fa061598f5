#pragma once
// The instrument's restart as the commands run it: a wait of at least 15 s during which the
// window keeps repainting and the bar fills forwards.
#include <functional>

#include "platform/dialogs.h"
#include "service/core/command_host.h"

namespace service {

// The status text of a restart that has a bar of its own.
inline constexpr const char* kRestarting = "Restarting the instrument...";

// Passes a step's figures on so that the bar only fills: a pair of figures that runs downwards
// (a restart from 100 to 30) is run upwards over the same span (30 to 100).
class ForwardProgress final : public platform::Progress {
public:
    ForwardProgress(platform::Progress& inner, int from, int to)
        : inner_(inner), sum_(from + to), reversed_(from > to) {}
    void start(long total) override { inner_.start(total); }
    bool update(long done) override { return inner_.update(reversed_ ? sum_ - done : done); }
    void stop(bool ok) override { inner_.stop(ok); }

private:
    platform::Progress& inner_;
    long sum_;
    bool reversed_;
};

// ResetStrumento(from, to) inside a transfer already on the bar (a format's stages).
bool restartInStage(CommandHost& host, int from, int to);

// A step that restarts the instrument (ResetStrumento, or a write that ends with one), on a bar
// of its own from 0 to 100 with kRestarting as its status text.
bool withRestartProgress(CommandHost& host, const std::function<bool(platform::Progress&)>& step);
// ResetStrumento(0, 100) on a bar of its own.
bool restartInstrument(CommandHost& host);

}  // namespace service
