#include "app/instrument_record.h"

#include "link/instrument_description.h"

namespace app {
namespace {
constexpr const char* kSection = "Selection";
constexpr const char* kKey = "LastInstrument";
}  // namespace

std::string channelName(const std::string& description) {
    using Kind = krnlink::InstrumentDescription::Kind;
    switch (krnlink::InstrumentDescription::parse(description).kind) {
        case Kind::Usb:
            return "USB";
        case Kind::SerialNumber:
        case Kind::SerialPath:
            return "RS-232";
        case Kind::Ethernet:
            return "Ethernet";
        case Kind::Invalid:
            break;
    }
    return {};
}

std::string serialNumberOf(const std::string& description) {
    const auto d = krnlink::InstrumentDescription::parse(description);
    return d.kind == krnlink::InstrumentDescription::Kind::Usb ? d.serialNumber : std::string();
}

InstrumentSnapshot snapshotOf(const instrument::UCKRNVisual& control,
                              const std::string& description) {
    InstrumentSnapshot s;
    s.description = description;
    s.connected = control.Collegato();
    if (!s.connected) return s;
    s.name = control.Nome();
    s.protocol = control.Protocollo();
    s.extensions = control.Estensioni();
    s.updateMode = control.UpdateMode();
    if (!s.updateMode && s.protocol > 0) s.version = control.Versione();
    return s;
}

std::string instrumentText(const InstrumentSnapshot& s) {
    if (s.description.empty()) return {};
    return s.name.empty() ? s.description : s.description + " (" + s.name + ")";
}

std::string lastInstrument(const platform::SettingsStore& settings,
                           const std::string& application) {
    return settings.value(application, kSection, kKey);
}

void rememberInstrument(platform::SettingsStore& settings, const std::string& application,
                        const std::string& description) {
    if (!description.empty()) settings.setValue(application, kSection, kKey, description);
}

}  // namespace app
