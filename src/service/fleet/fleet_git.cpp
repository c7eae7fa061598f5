#include "service/fleet/fleet_git.h"

#include "platform/system.h"

namespace service::fleet {
namespace {

platform::ProgramResult git(const std::string& dir, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"git", "-C", dir});
    return platform::runProgram(arguments);
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string whoIs(const MemberResult& r) {
    const std::string& name = r.saved ? r.name : r.member.name;
    return name.empty() ? r.member.key : r.member.key + " (" + name + ")";
}

std::string keysOf(const std::vector<backup::KeyDifference>& changes) {
    std::string keys;
    for (const auto& d : changes) keys += (keys.empty() ? "" : ", ") + d.key;
    return keys;
}

}  // namespace

bool isGitRepository(const std::string& dir) {
    const platform::ProgramResult r = git(dir, {"rev-parse", "--is-inside-work-tree"});
    return r.exitCode == 0 && trimmed(r.output) == "true";
}

std::string commitMessage(const std::string& stamp, const std::string& station,
                          const std::vector<MemberResult>& results) {
    std::string changed, added, failed;
    int nChanged = 0, nSaved = 0, nFailed = 0;
    for (const MemberResult& r : results) {
        if (!r.started) continue;
        if (!r.saved) {
            ++nFailed;
            failed += "  " + whoIs(r) + ": " + r.why.substr(0, r.why.find('\n')) + "\n";
            continue;
        }
        ++nSaved;
        if (r.previous.empty()) added += "  " + whoIs(r) + "\n";
        if (!r.changed()) continue;
        ++nChanged;
        changed += "  " + whoIs(r) + ": " + keysOf(r.changes) + "\n";
    }
    std::string message = "Fleet backup " + stamp + " on " + station + ": " +
                          std::to_string(nChanged) + " changed, " + std::to_string(nSaved) +
                          " saved, " + std::to_string(nFailed) + " failed\n";
    if (!changed.empty()) message += "\nChanged:\n" + changed;
    if (!added.empty()) message += "\nFirst backup:\n" + added;
    if (!failed.empty()) message += "\nFailed:\n" + failed;
    return message;
}

std::string commitFiles(const std::string& dir, const std::vector<std::string>& files,
                        const std::string& message) {
    if (files.empty()) return {};
    std::vector<std::string> add = {"add", "--"};
    add.insert(add.end(), files.begin(), files.end());
    platform::ProgramResult r = git(dir, add);
    if (r.exitCode < 0) return "git cannot be started";
    if (r.exitCode != 0) return trimmed(r.output);
    std::vector<std::string> commit = {"commit", "--quiet", "--message", message, "--"};
    commit.insert(commit.end(), files.begin(), files.end());
    r = git(dir, commit);
    return r.exitCode == 0 ? std::string() : trimmed(r.output);
}

}  // namespace service::fleet
