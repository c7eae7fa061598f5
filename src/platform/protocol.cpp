#include "platform/protocol.h"

namespace platform {

std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    auto chk = static_cast<std::uint8_t>(sum & 0xFF);
    return chk == 0 ? 1 : chk;
}

const char* commandName(std::uint8_t code) {
    switch (code) {
        case 1: return "Identification";
        case 3: return "JobTransfer";
        case 4: return "MemoryMap";
        case 5: return "InstrumentName";
        case 6: return "RemoteChange";
        case 7: return "ChangeFlags";
        case 8: return "ClearFlagModifiche";
        case 9: return "DateVersion";
        case 12: return "LeggiVersione";
        case 13: return "Reset/Diagnostic";
        case 14: return "WriteNVRam1Byte";
        case 15: return "ReadNVRam1Byte";
        case 16: return "ReadNVRam2Bytes";
        case 17: return "ReadNVRam3Bytes";
        case 18: return "PressControl";
        case 19: return "ResetStrumento";
        case 20: return "KeyboardLock";
        case 21: return "Capabilities";
        case 22: return "LeggiMemoriaDisplay";
        case 23: return "BlockTransfer";
        case 24: return "ReadFlash";
        case 25: return "ClearFlash";
        case 26: return "CloseWriteFlash";
        case 27: return "LeggiOra";
        case 28: return "SicronizzaOra";
        case 29: return "ClockQuery";
        case 30: return "LeggiStatoStory";
        case 31: return "ExtendedCapabilities";
        case 35: return "ConfermaModificaRisorsePLC";
        case 36: return "StartTestMemory";
        case 37: return "StatoTestMemory";
        case 38: return "StopTestMemory";
        case 39: return "CapabilityRecord";
        case 40: return "WriteNVRam10Bytes";
        case 41: return "ReadNVRamBlock";
        case 42: return "CambiaLavoro3";
        case 45: return "BackupSupport";
        case 49: return "JobList";
        default: return "Unknown";
    }
}

}  // namespace platform
