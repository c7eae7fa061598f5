#include "service/core/answers.h"

#include <cmath>
#include <cstdlib>

#include "backup/ini_file.h"
#include "link/instrument_description.h"
#include "service/core/controller.h"

namespace service {

void tell(CommandHost& host, const std::string& text, platform::MessageIcon icon) {
    host.dialogs().message({text, "", icon, platform::MessageButtons::Ok, 0});
}

std::string trimmed(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return text.substr(b, e - b);
}

std::optional<double> numericAnswer(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t') s += c;
    if (s.empty()) return std::nullopt;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        if (s.size() > 10) return std::nullopt;
        char* end = nullptr;
        const unsigned long v = std::strtoul(s.c_str() + 2, &end, 16);
        if (*end != '\0' || s[2] == '-' || s[2] == '+') return std::nullopt;
        return static_cast<double>(v);
    }
    if (s[0] != '-' && s[0] != '+' && s[0] != '.' && (s[0] < '0' || s[0] > '9'))
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string instrumentLine(const instrument::UCKRNVisual& control, const std::string& description) {
    using Kind = krnlink::InstrumentDescription::Kind;
    std::string channel;
    switch (krnlink::InstrumentDescription::parse(description).kind) {
        case Kind::Usb:
            channel = " (USB)";
            break;
        case Kind::SerialNumber:
        case Kind::SerialPath:
            channel = " (RS-232)";
            break;
        case Kind::Ethernet:
            channel = " (Ethernet)";
            break;
        case Kind::Invalid:
            break;
    }
    const std::string name = trimmed(control.Nome());
    return "Instrument: " + (name.empty() ? "" : name + ", ") + trimmed(description) + channel;
}

bool confirmOverwrite(CommandHost& host, const std::string& description, platform::MessageBox box) {
    box.defaultButton = 1;  // No
    box.informative = instrumentLine(host.control(), description);
    return host.dialogs().message(box) == platform::MessageResult::Yes;
}

long long lenientWholeNumber(const std::string& text) {
    return std::llround(backup::IniFile::parseNumber(text));
}

Transfer::Transfer(CommandHost& host, const std::string& status, long total, TransferUnit unit)
    : host_(host) {
    host_.controller().StartTransfer(total, unit);
    host_.progressView().showStatus(status);
}

Transfer::~Transfer() {
    finish(false);
}

bool Transfer::step(long done) {
    CMain& c = host_.controller();
    if (done - lastEvent_ >= 256 || done < lastEvent_) {
        lastEvent_ = done;
        c.UpdateTransfer(done);
    }
    return !c.Annullando();
}

void Transfer::finish(bool completed) {
    if (!open_) return;
    open_ = false;
    host_.controller().StopTransfer(completed);
}

}  // namespace service
