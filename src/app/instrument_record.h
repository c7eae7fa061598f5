#pragma once
// What the main window tells about the instrument of the last command, and the last instrument
// used, which the selection preselects (kept in the settings store across starts). No Qt.
#include <string>

#include "instrument/uckrnvisual.h"
#include "platform/settings_store.h"

namespace app {

struct InstrumentSnapshot {
    std::string description;  // "USB: QX3SIM0001", "COM: /dev/ttyUSB0", "IP:10.0.0.9:10001"
    std::string name;         // empty until the instrument identified itself
    int protocol = 0;         // Protocollo
    int extensions = 0;       // Estensioni
    std::string version;      // "2.15"; empty when not read
    bool updateMode = false;
    bool connected = false;  // the last command reached the instrument
};

// "USB", "RS-232", "Ethernet"; empty for a description of no known form.
std::string channelName(const std::string& description);
// The USB serial number of a "USB:" description; empty for the other channels.
std::string serialNumberOf(const std::string& description);
// The identity the instrument control holds now (call it while the link is still open).
InstrumentSnapshot snapshotOf(const instrument::UCKRNVisual& control,
                              const std::string& description);
// The log's instrument field: the description, and the name in brackets when known.
std::string instrumentText(const InstrumentSnapshot& s);

// Section "Selection", key "LastInstrument" of the program's settings.
std::string lastInstrument(const platform::SettingsStore& settings, const std::string& application);
void rememberInstrument(platform::SettingsStore& settings, const std::string& application,
                        const std::string& description);

}  // namespace app
