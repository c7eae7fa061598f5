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
        case cmd::Identify:
            return "Identification";
        case cmd::JobTransfer:
            return "JobTransfer";
        case cmd::MemoryMap:
            return "MemoryMap";
        case cmd::InstrumentName:
            return "InstrumentName";
        case cmd::RemoteChange:
            return "RemoteChange";
        case cmd::ChangeFlags:
            return "ChangeFlags";
        case cmd::ClearChangeFlags:
            return "ClearFlagModifiche";
        case cmd::Status:
            return "DateVersion";
        case cmd::Version:
            return "LeggiVersione";
        case cmd::RestartOrDiagnostic:
            return "Reset/Diagnostic";
        case cmd::WriteNVRam:
            return "WriteNVRam1Byte";
        case cmd::ReadNVRam1Byte:
            return "ReadNVRam1Byte";
        case cmd::ReadNVRam2Bytes:
            return "ReadNVRam2Bytes";
        case cmd::ReadNVRam3Bytes:
            return "ReadNVRam3Bytes";
        case cmd::PressControl:
            return "PressControl";
        case cmd::Restart:
            return "ResetStrumento";
        case cmd::Keyboard:
            return "KeyboardLock";
        case cmd::OperatingState:
            return "Capabilities";
        case cmd::ReadDisplayMemory:
            return "LeggiMemoriaDisplay";
        case cmd::JobChanged:
            return "BlockTransfer";
        case cmd::ReadFlash:
            return "ReadFlash";
        case cmd::ClearFlash:
            return "ClearFlash";
        case cmd::WriteFlashBlock:
            return "CloseWriteFlash";
        case cmd::ReadClock:
            return "LeggiOra";
        case cmd::SetClock:
            return "SicronizzaOra";
        case cmd::ClockQuery:
            return "ClockQuery";
        case cmd::HistoryState:
            return "LeggiStatoStory";
        case cmd::ExtendedCapabilities:
            return "ExtendedCapabilities";
        case cmd::ConfirmPlcResources:
            return "ConfermaModificaRisorsePLC";
        case cmd::StartMemoryTest:
            return "StartTestMemory";
        case cmd::MemoryTestState:
            return "StatoTestMemory";
        case cmd::StopMemoryTest:
            return "StopTestMemory";
        case cmd::CapabilityRecord:
            return "CapabilityRecord";
        case cmd::WriteNVRam10Bytes:
            return "WriteNVRam10Bytes";
        case cmd::ReadNVRamBlock:
            return "ReadNVRamBlock";
        case cmd::ChangeJob:
            return "CambiaLavoro3";
        case cmd::BackupSupport:
            return "BackupSupport";
        case cmd::JobList:
            return "JobList";
        default:
            return "Unknown";
    }
}

}  // namespace platform
