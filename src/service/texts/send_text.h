#pragma once
// "Send text...": new display texts and menus for a working instrument. Its jobs are copied to
// "CopiaLavori.bin", the resource part of the NVRAM is rebuilt for the chosen languages and
// rewritten, and the jobs are written back; the configuration part stays as the technician left
// it. A send that broke off leaves the signature invalid and the copy in place, and the next
// "Send text..." completes it.
#include <cstdint>
#include <optional>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

inline constexpr const char* kSendTextQuestion = "Send text to KRN?";
inline constexpr const char* kSendTextRestore =
    "The last transfer is incomplete.\nDo you want to restore the KRN configuration?.";
inline constexpr const char* kSendTextDone = "The text has been sent succesfully.";
inline constexpr const char* kSendTextFailed = "Text transfer fail.\nVery important to repeat.";
inline constexpr const char* kSendTextReadJobs = "Is not possible to read the work setup from KRN.";
inline constexpr const char* kSendTextBuild = "Non è possibile configurare lo strumento.";
inline constexpr const char* kSendTextReadConfiguration =
    "Is not possible to read the KRN configuration.";
inline constexpr const char* kSendTextLanguageTitle = "Send text...";

// The two display languages (IdLanguage values).
struct SendTextLanguages {
    std::int16_t lingua1 = 0;
    std::int16_t lingua2 = 1;
};

// The menu entry: the languages are asked with the profile form (the language choice on
// instruments below protocol 9 or extension 11).
Outcome SendTextCommand(CommandHost& host);
// The same with the languages given beforehand (krnctl): no form is shown. `sent`, when given,
// receives the languages the instrument gets: lingua2 is -1 on an instrument that shows one
// language only (below protocol 9 or extension 11), whatever was asked for.
Outcome sendText(CommandHost& host, const std::optional<SendTextLanguages>& languages,
                 SendTextLanguages* sent = nullptr);

}  // namespace service
