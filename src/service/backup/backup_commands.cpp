#include "service/backup/backup_commands.h"

#include "backup/backup_files.h"
#include "backup/restore_procedure.h"
#include "platform/files.h"
#include "service/backup/job_copy.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/core/conversation.h"

namespace service {
namespace {

Outcome outcomeOf(const backup::Result& r) {
    switch (r.outcome) {
        case backup::Outcome::Done:
            return Outcome::Done;
        case backup::Outcome::Refused:
            return Outcome::Refused;
        case backup::Outcome::FileError:
            return Outcome::FileError;
        case backup::Outcome::CommunicationFailed:
            return Outcome::Failed;
        case backup::Outcome::Cancelled:
            return Outcome::Cancelled;
    }
    return Outcome::Failed;
}

// Shows a procedure's text when it did not succeed; the outcome either way.
Outcome report(CommandHost& host, const backup::Result& r, std::string& summary) {
    if (r) {
        summary = r.message;
        return Outcome::Done;
    }
    host.dialogs().message(
        {r.message, "", platform::MessageIcon::Exclamation, platform::MessageButtons::Ok, 0});
    return outcomeOf(r);
}

}  // namespace

Outcome BackupCommand(CommandHost& host, const std::string& file, std::string& summary) {
    if (const auto refused = platform::refusedTarget(file)) {
        tellFileProblem(host, *refused, true);
        return Outcome::FileError;
    }
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.open(*description); o != Outcome::Done) return o;
    instrument::UCKRNVisual& c = host.control();
    const backup::Result r = backup::backupToFile(c, file);
    const Outcome o = report(host, r, summary);
    if (o == Outcome::Done) summary = "backup of " + c.Nome() + " written to " + file;
    return o;
}

Outcome RestoreCommand(CommandHost& host, const std::string& file,
                       const backup::RestoreGroups& groups, std::string& summary) {
    backup::IniFile ini;
    if (auto error = backup::openBackupFile(ini, file)) return report(host, *error, summary);
    // A file that is no backup of this tool is refused before the instrument is opened.
    if (auto refusal = backup::checkBackupFile(ini)) return report(host, *refusal, summary);
    const auto description = selectInstrument(host);
    if (!description) return Outcome::Cancelled;
    Conversation conversation(host);
    if (const Outcome o = conversation.open(*description); o != Outcome::Done) return o;
    // Asked once the instrument is known, so that the question can name it.
    if (!confirmOverwrite(
            host, *description,
            {"Restore " + backup::groupNames(groups) + " from " + file + " into the instrument?",
             "", platform::MessageIcon::Question, platform::MessageButtons::YesNo}))
        return Outcome::Cancelled;
    if (const Outcome o = conversation.lock(); o != Outcome::Done) return o;
    return report(host, backup::restoreFromFile(host.control(), ini, groups, host.controller()),
                  summary);
}

}  // namespace service
