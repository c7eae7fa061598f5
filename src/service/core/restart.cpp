#include "service/core/restart.h"

#include "service/core/controller.h"

namespace service {

bool restartInStage(CommandHost& host, int from, int to) {
    ForwardProgress forward(host.controller(), from, to);
    return host.control().ResetStrumento(from, to, forward);
}

bool withRestartProgress(CommandHost& host, const std::function<bool(platform::Progress&)>& step) {
    CMain& c = host.controller();
    c.StartTransfer(100, TransferUnit::Percent);
    host.progressView().showStatus(kRestarting);
    const bool ok = step(c);
    c.StopTransfer(ok);
    return ok;
}

bool restartInstrument(CommandHost& host) {
    return withRestartProgress(
        host, [&](platform::Progress& p) { return host.control().ResetStrumento(0, 100, p); });
}

}  // namespace service
