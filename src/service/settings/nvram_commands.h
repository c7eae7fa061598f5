#pragma once
// The commands that look after the NVRAM as a whole: the memory test, the header check with its
// new checksum, and the history reset.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// The cycles of the menu's memory test.
inline constexpr int kCicliTestMemoria = 200;

// "Memory test...": selection, connection and lock, two confirmations, the erase, the test of
// `cicli` cycles (the menu's kCicliTestMemoria without one), the result box.
Outcome MemoryTestCommand(CommandHost& host);
Outcome MemoryTestCommand(CommandHost& host, int cicli);

// The box of the header check: "Stato:" and one line per byte 0..11, each with what a valid
// header holds there.
std::string testoTestata(const std::array<std::uint8_t, 12>& testata);
// "Re-write memory check-sum": selection, connection, the header box, the question whether to
// write a new signature. letta: the header bytes read (nothing when a read failed).
Outcome WriteCheckSumCommand(CommandHost& host);
Outcome WriteCheckSumCommand(CommandHost& host, std::optional<std::array<std::uint8_t, 12>>* letta);

// "&Reset history": on the link the control holds when it starts (it selects and opens
// nothing), the history pointers cleared and the instrument restarted.
Outcome ResetHistoryCommand(CommandHost& host);

}  // namespace service
