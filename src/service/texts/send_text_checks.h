#pragma once
// What "Send text..." decides before it touches the instrument: whether a job copy left by an
// earlier send belongs to this instrument, whether the saved jobs fit the job memory the new
// texts leave, and which default texts of the configuration part follow the new language.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "instrument/uckrnvisual.h"
#include "provisioning/image_builder.h"

namespace service {

// The job memory from the new image's job record 1 to the end of the job memory, which the send
// keeps (older instruments reckon the end from job record 1, so theirs does not shrink); below 0
// when the new texts would reach past the end of the job memory.
std::int32_t jobMemoryAfter(const instrument::UCKRNVisual& control, std::int32_t lavoro1);

// Why a job copy of `bytes` bytes does not hold this instrument's jobs: its size must be the jobs
// the configuration counts (`jobs`) times this instrument's job record size. Nothing when it does.
std::optional<std::string> jobCopyMismatch(std::int32_t bytes, std::int32_t jobs,
                                           std::int32_t recordSize);

// Why the new image cannot go in beside the instrument's configuration part: the send keeps
// the configuration from 46 up to the instrument's end of configuration (header 16..17) and
// writes the resources from the image's start of resources, so the two must be one address.
// Nothing when they are.
std::optional<std::string> layoutMismatch(std::int32_t fineConfigurazione, std::int32_t risorse);

// A counted text slot to write: its address and its bytes (length, characters, zeros).
struct SlotWrite {
    std::int32_t indirizzo;
    std::vector<std::uint8_t> byte;
    bool operator==(const SlotWrite&) const = default;
};

// The default-text slots of the configuration part that get the new main language's text: those
// that hold, as their text, the default text of one of the six languages (as the program folder's
// display-text files give them) and differ from the image's, and those that an earlier send
// broke off in while it rewrote them (the new bytes up to a point, a default's after it). `current`
// reads a slot's bytes from the instrument; nothing when a read failed.
using SlotReader =
    std::function<std::optional<std::vector<std::uint8_t>>(std::int32_t address, int bytes)>;
std::optional<std::vector<SlotWrite>> defaultTextWrites(const std::string& folder,
                                                        std::int16_t estensioni,
                                                        const provisioning::Immagine& image,
                                                        const SlotReader& current);

}  // namespace service
