#pragma once
// The line krnctl ends every failed, refused or cancelled command with: what happened, the state
// the instrument is left in, and what to run. The system's own boxes come before it as they
// stand; this line is for the technician who reads only the last line of the output.
#include <string>

namespace cli {

// path: the subcommand as typed ("jobs restore"); exitCode: 1, 3 or 4.
std::string closingLine(const std::string& path, int exitCode);

}  // namespace cli
