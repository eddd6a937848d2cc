// The state chunk the host stores with its projects: 368 bytes, a 32-byte
// header (format version, unique ID, program count, current program, 16
// reserved bytes) followed by the six program records. Written in the
// machine's byte order, read in either: the unique ID word tells which.
#pragma once

#include <cstdint>

#include "presets/ProgramRecord.h"

namespace statechunk {

constexpr std::int32_t kSize = 368;
constexpr std::int32_t kHeaderSize = 32;
constexpr std::int32_t kProgramCount = 6;
constexpr std::int32_t kFormatVersion = 0x01000000;
constexpr int kVersionOffset = 0;
constexpr int kUniqueIdOffset = 4;
constexpr int kCountOffset = 8;
constexpr int kCurrentOffset = 12;

static_assert(kHeaderSize + kProgramCount * static_cast<std::int32_t>(sizeof(ProgramRecord)) == kSize);

enum class Status {
    Valid,         // programs may be taken over
    OtherVersion,  // a format we do not know: ignored, not an error
    Rejected,      // not ours, or damaged
};

// Fills all 368 bytes of `chunk`.
void write(std::uint8_t* chunk, std::int32_t uniqueId, std::int32_t currentProgram, const ProgramRecord* programs);

// Brings the 368 bytes of `chunk` into native byte order in place and checks
// them. Only a Valid chunk may be read with the accessors below.
Status decode(std::uint8_t* chunk, std::int32_t uniqueId);

std::int32_t currentProgram(const std::uint8_t* chunk);
ProgramRecord program(const std::uint8_t* chunk, int index);

}  // namespace statechunk
