#pragma once
// "Update firmware...": the instrument's flash reprogrammed in up to four blocks (the two loader
// blocks of the program folder and the chosen firmware file), each compared first, written only
// when it differs, and verified after writing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "resources/firmware_file.h"
#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// One row of the block table: the block number shown, its file and the update mode it is
// written in.
struct FirmwareBlock {
    int number;
    std::string path;
    bool updateMode;
};

// The blocks of one update for this instrument, in order.
std::vector<FirmwareBlock> firmwareBlocks(std::int16_t protocollo, std::int16_t estensioni,
                                          const std::string& chosen, const std::string& folder);

struct BlockCheck {
    bool ok = false;      // the conversation worked
    bool uguale = false;  // every record equals the flash
    std::optional<std::int32_t> firstDifference;
};

// The flash work of one block, without the window: step(progress) is told the line lengths
// + 2 done so far and answers false to stop. writeRecords erases each page at its first record
// (retryClear() decides whether a failed erase is repeated), writes the bytes XOR-ed with the
// key and closes the last write block; compareRecords reads every record back until the first
// difference (repeatRead() decides whether a failed read is repeated).
bool writeRecords(instrument::UCKRNVisual& c, const resources::FirmwareFile& file,
                  const std::function<bool()>& retryClear, const std::function<bool(long)>& step);
BlockCheck compareRecords(instrument::UCKRNVisual& c, const resources::FirmwareFile& file,
                          const std::function<bool()>& repeatRead,
                          const std::function<bool(long)>& step);

// The window's procedures around the flash operations of the connected instrument control.
class FirmwareUpdater {
public:
    explicit FirmwareUpdater(CommandHost& host) : host_(host) {}

    bool ImpostaModoAggiornamento(bool attivo);
    bool AggiornaBlocco(int blocco, const resources::FirmwareFile& file, bool modoAggiornamento);
    bool ScriviBlocco(int blocco, const resources::FirmwareFile& file);
    BlockCheck VerificaBlocco(int blocco, const resources::FirmwareFile& file);

private:
    CommandHost& host_;
};

// The menu command.
Outcome UpdateFirmwareCommand(CommandHost& host);
// Compares the chosen file with the flash, writes nothing (krnctl firmware verify).
Outcome VerifyFirmware(CommandHost& host, const std::string& file, BlockCheck& result);

}  // namespace service
