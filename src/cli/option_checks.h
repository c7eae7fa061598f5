#pragma once
// The checks of krnctl's options whose values are addresses or texts with a form: a value that
// fails one is a usage error (exit 2) before any instrument or module is reached.
#include <CLI/CLI.hpp>
#include <cstddef>
#include <cstdint>
#include <string>

namespace cli {

// An NVRAM address as the export's input boxes take it: decimal or &H hexadecimal, within the
// 24-bit address space.
const CLI::Validator& nvramAddress();
// The value of an address that passed nvramAddress().
std::int64_t nvramAddressValue(const std::string& text);
// An IPv4 address in dotted decimal: four numbers 0..255 (module commands go to literal
// addresses only).
const CLI::Validator& ipv4Address();
// An Ethernet module's MAC address as "krnctl list --ethernet" shows it: it goes into the
// module's commands as it stands, so no blanks, no control characters and no "/".
const CLI::Validator& moduleMac();
// A one-line text of at most maxLength characters (bytes of UTF-8), without control characters.
CLI::Validator oneLineText(std::size_t maxLength);

}  // namespace cli
