#pragma once
// Facts of the instrument's frame protocol that both ends share: the checksum, the command codes
// and their names (for traces).
#include <cstdint>
#include <span>

namespace platform {

// The command codes of the frame protocol (the byte after LEN in a request). The enumeration is
// unscoped inside its own namespace so that a code goes straight into a request or a switch:
// `Request(cmd::ReadNVRam1Byte)`.
namespace cmd {
enum Code : std::uint8_t {
    Identify = 1,               // version/extension byte and protocol number
    JobTransfer = 3,            // job transfer routine, 4 bytes
    MemoryMap = 4,              // memory map reader
    InstrumentName = 5,         // the name as characters
    RemoteChange = 6,           // 1 byte: 1 = remote change starts, 0 = it ends
    ChangeFlags = 7,            // change-flag reader, sent at the end of the configuration read
    ClearChangeFlags = 8,       // 2 bytes
    Status = 9,                 // 4 bytes of status: the current job in the third
    Version = 12,               // firmware version, two bytes low first, in hundredths
    RestartOrDiagnostic = 13,   // no payload: restart of protocol 11; payload 0: diagnostic flags
    WriteNVRam = 14,            // 3-byte address + data bytes
    ReadNVRam1Byte = 15,        // 3-byte address, exactly 1 byte back
    ReadNVRam2Bytes = 16,       // 3-byte address, exactly 2 bytes back
    ReadNVRam3Bytes = 17,       // 3-byte address, exactly 3 bytes back
    PressControl = 18,          // 1 byte: a PressAction
    Restart = 19,               // the instrument restarts and does not answer
    Keyboard = 20,              // 1 byte: 1 locks, 0 releases the keyboard
    OperatingState = 21,        // 1 when the instrument runs normally
    ReadDisplayMemory = 22,     // 2-byte display memory address
    JobChanged = 23,            // job number (2 bytes, low first) and one further byte
    ReadFlash = 24,             // 3-byte address, one masked byte back
    ClearFlash = 25,            // 3-byte address of a 64-byte sector, confirmed
    WriteFlashBlock = 26,       // 3-byte address + 8 bytes, confirmed
    ReadClock = 27,             // clock fields
    SetClock = 28,              // 7 clock bytes, confirmed
    ClockQuery = 29,            // clock present
    ExtendedCapabilities = 31,  // PLC present; from protocol 41 the clock flag and more
    HistoryState = 30,          // exactly 7 bytes of history geometry
    ConfirmPlcResources = 35,
    StartMemoryTest = 36,
    MemoryTestState = 37,
    StopMemoryTest = 38,
    CapabilityRecord = 39,   // sizes, capability flags, I/O counts, memory sizes
    WriteNVRam10Bytes = 40,  // 3-byte address + exactly 10 data bytes
    ReadNVRamBlock = 41,     // 3-byte address, 15 bytes back
    ChangeJob = 42,          // 1 byte: the job to make current
    BackupSupport = 45,      // 1 byte 0, at least 5 bytes back
    JobList = 49,            // job list reader; its first byte is the longest name
};
}  // namespace cmd

// The sub-codes of cmd::PressControl.
namespace press {
enum Action : std::uint8_t {
    Release = 3,          // SbloccaPressa
    Lock = 4,             // BloccaPressa
    EndConversation = 9,  // ChiudiComunicazioni00
};
}  // namespace press

// Low 8 bits of the sum of the bytes; a low byte of 0 is sent as 1.
std::uint8_t frameChecksum(std::span<const std::uint8_t> lenAndPayload);

// The name of a command code, "Unknown" for codes the tool never sends.
const char* commandName(std::uint8_t code);

}  // namespace platform
