#pragma once
// The NVRAM form of a job record: decoding a header or a phase record into the job image, and
// the field writes that store them back, each field under its generation's condition.
#include <cstdint>
#include <vector>

#include "instrument/job_image.h"
#include "instrument/job_scaling.h"

namespace instrument {

// One field to write: its offset in the header or phase record and its bytes. A string field
// is its length byte followed by its characters.
struct FieldWrite {
    std::int32_t offset;
    std::vector<std::uint8_t> bytes;
    bool string = false;
};

void decodeHeader(const JobContext& ctx, const std::vector<std::uint8_t>& bytes, JobImage& job);
std::vector<FieldWrite> encodeHeader(const JobContext& ctx, const JobImage& job, bool existing);

// A whole phase record: fixed part, extension block, checkpoints and bands.
void decodePhase(const JobContext& ctx, const std::vector<std::uint8_t>& bytes, FaseLavoro& f);
std::vector<FieldWrite> encodePhase(const JobContext& ctx, const FaseLavoro& f);

// A stored name: "<?>" when its length byte is 15 or more.
std::string decodeName(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t room);

// Sizes a phase entry for the instrument, keeping what it holds: test and enable inputs,
// checkpoints, at least 101 band points per edge.
void sizePhase(const Identity& id, FaseLavoro& f);

}  // namespace instrument
