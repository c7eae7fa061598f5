#pragma once
// The display character table: the instrument's character code of a Windows-1252 character, and
// back. The display shows the codes up to 123.
#include <string>

namespace resources {

inline constexpr int kLastDisplayCode = 123;

// The instrument code of a Windows-1252 byte.
int instrumentCode(unsigned char windows);
// The Windows-1252 byte drawn for an instrument code (the font builder's reverse table).
unsigned char windowsCharacter(int instrument);
// Every byte converted with the table (what the NVRAM image holds).
std::string toInstrument(const std::string& cp1252);

}  // namespace resources
