#pragma once
// Where the program's folders are on Windows.
#include <string>

namespace platform::win {

// %LOCALAPPDATA%\<application> (the desktop program's per-user data folder on Windows); "" when
// the system names no such folder.
std::string perUserDataFolder(const std::string& application);
// The folder of the running .exe.
std::string programDirectory();

}  // namespace platform::win
