#pragma once
// UTF-8 (the tool's own texts) to and from the UTF-16 of the Win32 "W" calls.
#include <string>

namespace platform::win {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace platform::win
