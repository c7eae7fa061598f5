#pragma once
// The few calls of the operating system that the layers above need beyond the standard library;
// one implementation for POSIX systems (posix/) and one for Windows (win/).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Creates the file with this content only when no file of that name exists (atomically, so
// that two stations sharing a folder cannot both create it); false when it exists or cannot be
// created.
bool createExclusiveFile(const std::string& path, const std::string& content);

// "host process-id": who holds a lock file.
std::string processIdentity();
// Whether a process of this computer with that id runs (one that cannot be asked counts as
// running).
bool processRunning(long pid);

// The local address the system would send from to reach host (numeric IPv4) and port; "" when
// there is no route. Nothing is sent.
std::string localAddressTowards(const std::string& host, std::uint16_t port);

// What a program run by runProgram left: its exit code (-1 when it could not be started or did
// not end normally) and its standard output and error, together.
struct ProgramResult {
    int exitCode = -1;
    std::string output;
};

// Runs a program found on the PATH with these arguments (arguments[0] is the program), without
// a shell, and waits for it to end. Its standard input is empty.
ProgramResult runProgram(const std::vector<std::string>& arguments);

}  // namespace platform
