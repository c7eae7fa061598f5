#pragma once
// Small pieces the maintenance and memory commands share: a box with one text, the technician's
// answers as the input boxes deliver them, and a transfer shown in the progress bar.
#include <optional>
#include <string>

#include "service/core/command_host.h"
#include "service/core/controller.h"

namespace service {

// A box with the OK button.
void tell(CommandHost& host, const std::string& text,
          platform::MessageIcon icon = platform::MessageIcon::None);

// "Instrument: KRN-36, COM: /dev/ttyUSB0 (RS-232)": the name the instrument gave (when it gave
// one), its description and its channel.
std::string instrumentLine(const instrument::UCKRNVisual& control, const std::string& description);

// A question before instrument data is erased or overwritten: Yes/No (or Yes/No/Cancel) with No
// as the default, so that Enter never erases, and the instrument named under the question's own
// words. True for Yes.
bool confirmOverwrite(CommandHost& host, const std::string& description, platform::MessageBox box);

// Blanks removed at both ends.
std::string trimmed(const std::string& text);

// A number as the input boxes take it: the whole text, blanks around it allowed, decimal with an
// optional sign, "." and exponent, or "&H" and hexadecimal digits. nullopt for anything else.
std::optional<double> numericAnswer(const std::string& text);

// The lenient reader of the address prompts: the longest leading number ("&H" hexadecimal),
// 0 without one, rounded to a whole number.
long long lenientWholeNumber(const std::string& text);

// One transfer on the progress bar, with its status text. step() lets the window repaint every
// 256 units and tells whether the technician cancelled; the bar is hidden at the end.
class Transfer {
public:
    Transfer(CommandHost& host, const std::string& status, long total,
             TransferUnit unit = TransferUnit::Bytes);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // done units so far; false once a cancel was asked for.
    bool step(long done);
    void finish(bool completed);

private:
    CommandHost& host_;
    long lastEvent_ = 0;
    bool open_ = true;
};

}  // namespace service
