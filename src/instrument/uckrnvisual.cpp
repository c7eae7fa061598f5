#include "instrument/uckrnvisual.h"

#include <cmath>
#include <cstdlib>

namespace instrument {

UCKRNVisual::UCKRNVisual(platform::Clock& clock, platform::UsbBridge* usb,
                         platform::SerialPortEnumerator* ports)
    : link_(clock, usb, ports, flags_),
      nvram_(link_, id_),
      flash_(link_),
      ident_(link_, nvram_, id_),
      options_(nvram_, id_, link_.flags.Estensioni),
      press_(link_, nvram_, id_, ident_),
      io_(nvram_, id_, link_.flags.Estensioni),
      config_(link_, nvram_, id_, ident_, options_, press_, io_, values_),
      jobs_(link_, nvram_, id_, ident_, values_),
      users_(nvram_, id_, options_, link_.flags.Estensioni, jobs_) {
    link_.configurationReader = [this] { return LeggiConfigurazione(); };
    link_.onClose = [this] {
        // Nothing learnt about one instrument may be taken for the next.
        id_ = Identity{};
        link_.flags = {};
        users_.reset();
        memTest_.reset();
    };
}

bool UCKRNVisual::LeggiConfigurazione() {
    const bool ok = config_.LeggiConfigurazione();
    jobs_.preparaImmagine();
    return ok;
}

UCKRNVisual::~UCKRNVisual() {
    link_.onClose = nullptr;
    link_.onNoise = nullptr;
    link_.configurationReader = nullptr;
    link_.ChiudiPortaComunicazione();
}

std::string versionText(float version) {
    // Two decimals, nearest value, "." whatever the locale.
    const long hundredths = std::lround(static_cast<double>(version) * 100.0);
    std::string cents = std::to_string(std::labs(hundredths) % 100);
    if (cents.size() < 2) cents = "0" + cents;
    return (hundredths < 0 ? "-" : "") + std::to_string(std::labs(hundredths) / 100) + "." + cents;
}

std::string UCKRNVisual::Versione() const {
    return versionText(id_.versione);
}

}  // namespace instrument
