#pragma once
// The fleet folder as a git repository: each run commits the files it wrote, with a message that
// names the instruments whose configuration changed. The installed git does the work.
#include <string>
#include <vector>

#include "service/fleet/fleet_backup.h"

namespace service::fleet {

// Whether DIR is inside a git work tree.
bool isGitRepository(const std::string& dir);

// "Fleet backup 2026-12-07T070129 on line-2: 1 changed, 4 saved, 1 failed" and, below it, one
// line per instrument changed (with the keys that changed), new, or failed (with why).
std::string commitMessage(const std::string& stamp, const std::string& station,
                          const std::vector<MemberResult>& results);

// Adds the files (relative to DIR) and commits them, and only them, with the message. "" when
// done, else what git said.
std::string commitFiles(const std::string& dir, const std::vector<std::string>& files,
                        const std::string& message);

}  // namespace service::fleet
