#include "service/settings/setting_commands.h"

#include <cmath>
#include <limits>

#include "instrument/generations.h"
#include "platform/text_checks.h"
#include "platform/text_file.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"
#include "service/core/messages.h"
#include "service/core/restart.h"

namespace service {
namespace {

constexpr const char* kNameReadingError = "Name reading error.";
constexpr const char* kNameWritingError = "Name writing error.";
constexpr const char* kBusy = "Busy.";
constexpr const char* kCounterDone = "Writing counter done";
constexpr const char* kCounterRange = "Insert a number in range 0 to 2147483647.";
// Instruments up to extension 50 keep no main counter in NVRAM.
constexpr const char* kNoCounter = "This instrument has no main counter.";
// A name the instrument cannot show: too long, or with a control character.
constexpr const char* kBadName = "Bad name";

// A value the instrument's generation does not have: the command's own box, and why, and the
// command is refused (the link did not fail).
Outcome notInThisGeneration(CommandHost& host, const std::string& box, const std::string& what,
                            platform::MessageIcon icon = platform::MessageIcon::None) {
    tell(host,
         box + "\nThis instrument (extension " + std::to_string(host.control().Estensioni()) +
             ") has no " + what + ".",
         icon);
    return Outcome::Refused;
}

// Selection and the controller's connection. nullopt when the command may go on; otherwise how
// it ended. An instrument that would not lock its press is told so and left alone.
std::optional<Outcome> connectStyleA(CommandHost& host, Conversation& conversation) {
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    const Outcome o = conversation.connect(*description);
    if (o == Outcome::Refused) host.controller().ShowErrorMsg(instrument::errPR_InUse);
    if (o != Outcome::Done) return o;
    return std::nullopt;
}

Outcome communicationError(CommandHost& host) {
    tell(host, text::kCommunicationError, platform::MessageIcon::Critical);
    return Outcome::Failed;
}

// The keyboard ("Busy." when it stays free), the main information and the value's own read
// ("Communication error"). nullopt when the command may go on.
std::optional<Outcome> prepareValue(CommandHost& host, bool (instrument::UCKRNVisual::*read)()) {
    instrument::UCKRNVisual& c = host.control();
    if (!c.BloccaTastiera()) {
        tell(host, kBusy);
        return Outcome::Refused;
    }
    if (!c.LeggiMainInfo() || !(c.*read)()) return communicationError(host);
    return std::nullopt;
}

// The answer of an input box as a whole number in [low, high], rounded half to even as the
// input boxes always did; nullopt for an empty, non-numeric or out-of-range answer.
std::optional<long long> wholeAnswer(const std::optional<std::string>& answer, double low,
                                     double high) {
    if (!answer) return std::nullopt;
    auto v = numericAnswer(*answer);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v);
    if (r < low || r > high) return std::nullopt;
    return static_cast<long long>(r);
}

std::optional<std::string> readSetPointName(instrument::UCKRNVisual& c) {
    if (c.Estensioni() < 20) return std::nullopt;
    auto length = c.ReadNVRam1Byte(kSetPointNameAddress);
    if (!length || *length > kSetPointNameMax) return std::nullopt;
    std::string bytes;
    for (int i = 1; i <= *length; ++i) {
        auto b = c.ReadNVRam1Byte(kSetPointNameAddress + i);
        if (!b) return std::nullopt;
        bytes += static_cast<char>(*b);
    }
    return platform::cp1252ToUtf8(bytes);
}

// Characters first, the length last: a name cut short by a failure is never announced longer.
bool writeSetPointName(instrument::UCKRNVisual& c, const std::string& ansi) {
    for (std::size_t i = 0; i < ansi.size(); ++i)
        if (!c.WriteNVRam1Byte(kSetPointNameAddress + 1 + static_cast<std::int32_t>(i),
                               static_cast<std::uint8_t>(ansi[i])))
            return false;
    return c.WriteNVRam1Byte(kSetPointNameAddress, static_cast<std::uint8_t>(ansi.size()));
}

}  // namespace

Outcome InstrumentNameCommand(CommandHost& host) {
    Conversation conversation(host);
    if (auto end = connectStyleA(host, conversation)) return *end;
    instrument::UCKRNVisual& c = host.control();
    if (!c.BloccaTastiera() || !c.LeggiMainInfo()) {
        tell(host, kNameReadingError);
        return Outcome::Failed;
    }
    auto answer =
        host.dialogs().input("Input the new instrument name", "Instrument name", c.Nome());
    const std::string name = answer ? trimmed(*answer) : std::string();
    if (name.empty()) return Outcome::Cancelled;
    if (platform::hasControlCharacter(name)) {
        tell(host, kBadName);
        return Outcome::Refused;
    }
    if (!c.ScriviNome(name)) {
        tell(host, kNameWritingError);
        return Outcome::Failed;
    }
    host.activity.push_back("name \"" + name + "\" written");
    return Outcome::Done;
}

Outcome SetPointNameCommand(CommandHost& host) {
    Conversation conversation(host);
    if (auto end = connectStyleA(host, conversation)) return *end;
    instrument::UCKRNVisual& c = host.control();
    std::optional<std::string> current;
    if (c.BloccaTastiera() && c.LeggiMainInfo()) {
        if (c.Estensioni() < 20)
            return notInThisGeneration(host, kNameReadingError, "set-point function name");
        current = readSetPointName(c);
    }
    if (!current) {
        tell(host, kNameReadingError);
        return Outcome::Failed;
    }
    auto answer =
        host.dialogs().input("Input the new set point function name", "Set point name", *current);
    const std::string name = answer ? trimmed(*answer) : std::string();
    if (name.empty()) return Outcome::Cancelled;
    const std::string ansi = platform::utf8ToCp1252(name);
    if (ansi.size() > static_cast<std::size_t>(kSetPointNameMax) ||
        platform::hasControlCharacter(ansi)) {
        tell(host, kBadName);
        return Outcome::Refused;
    }
    if (!writeSetPointName(c, ansi)) {
        tell(host, kNameWritingError);
        return Outcome::Failed;
    }
    // What the instrument keeps now (a character it has not, as "?"), for whoever shows it.
    if (!c.configuration().LeggiNomeFreno()) {
        tell(host, kNameReadingError);
        return Outcome::Failed;
    }
    host.activity.push_back("BRAKE output name \"" + name + "\" written");
    return Outcome::Done;
}

Outcome DeformationCommand(CommandHost& host) {
    Conversation conversation(host);
    if (auto end = connectStyleA(host, conversation)) return *end;
    instrument::UCKRNVisual& c = host.control();
    if (!instrument::conCoefDeformazione(c.Estensioni()))
        return notInThisGeneration(host, text::kCommunicationError,
                                   "structure deformation coefficients",
                                   platform::MessageIcon::Critical);
    if (auto end = prepareValue(host, &instrument::UCKRNVisual::LeggiCoefDeformazione)) return *end;
    const auto& v = c.values();
    // Each coefficient is one NVRAM byte: a value it cannot hold is refused, never cut.
    auto ask = [&](const char* prompt, std::uint8_t current) -> std::optional<long long> {
        auto answer = host.dialogs().input(prompt, "Deformation", std::to_string(current));
        if (!answer || trimmed(*answer).empty() || !numericAnswer(*answer)) return std::nullopt;
        auto value = wholeAnswer(answer, 0, 255);
        if (!value) tell(host, "Insert a number in range 0 to 255.");
        return value;
    };
    const auto a = ask("Input the new coeff. A", v.CoefDeformazioneA);
    if (!a) return Outcome::Cancelled;
    const auto b = ask("Input the new coeff. B", v.CoefDeformazioneB);
    if (!b) return Outcome::Cancelled;
    const bool written = withRestartProgress(host, [&](platform::Progress& p) {
        return c.WriteCoefDeformazione(static_cast<std::uint8_t>(*a), static_cast<std::uint8_t>(*b),
                                       p);
    });
    if (!written) return communicationError(host);
    host.activity.push_back("coefficients A = " + std::to_string(*a) +
                            ", B = " + std::to_string(*b) + " written");
    return Outcome::Done;
}

Outcome CounterCommand(CommandHost& host) {
    {
        Conversation conversation(host);
        if (auto end = connectStyleA(host, conversation)) return *end;
        instrument::UCKRNVisual& c = host.control();
        if (auto end = prepareValue(host, &instrument::UCKRNVisual::LeggiContaColpi)) return *end;
        if (c.Estensioni() <= 50) {
            tell(host, kNoCounter, platform::MessageIcon::Exclamation);
            return Outcome::Refused;
        }
        auto answer =
            host.dialogs().input("Input the numeber", "Counter", std::to_string(c.ContaColpi()));
        // The counter's top bit is not part of its value: negative numbers are refused.
        if (!answer || !numericAnswer(*answer)) return Outcome::Cancelled;
        const auto value = wholeAnswer(answer, 0, std::numeric_limits<std::int32_t>::max());
        if (!value) {
            tell(host, kCounterRange);
            return Outcome::Refused;
        }
        if (!c.WriteContaColpi(static_cast<std::int32_t>(*value))) return communicationError(host);
        host.activity.push_back("main counter = " + std::to_string(*value) + " written");
    }
    tell(host, kCounterDone, platform::MessageIcon::Information);
    return Outcome::Done;
}

}  // namespace service
