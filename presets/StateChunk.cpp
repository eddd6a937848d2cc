#include "presets/StateChunk.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "presets/ByteOrder.h"

namespace statechunk {
namespace {

using byteorder::byteReversed;
using byteorder::readWord;
using byteorder::reverseWord;
using byteorder::writeWord;

template <typename Byte>
Byte* programAt(Byte* chunk, int index) {
    return chunk + kHeaderSize + index * static_cast<int>(sizeof(ProgramRecord));
}

constexpr int kParamsOffset = offsetof(ProgramRecord, params);

}  // namespace

void write(std::uint8_t* chunk, std::int32_t uniqueId, std::int32_t current, const ProgramRecord* programs) {
    std::memset(chunk, 0, kSize);
    writeWord(chunk + kVersionOffset, kFormatVersion);
    writeWord(chunk + kUniqueIdOffset, uniqueId);
    writeWord(chunk + kCountOffset, kProgramCount);
    writeWord(chunk + kCurrentOffset, current);
    for (int p = 0; p < kProgramCount; ++p) programs[p].writeTo(programAt(chunk, p));
}

Status decode(std::uint8_t* chunk, std::int32_t uniqueId) {
    const std::int32_t storedId = readWord(chunk + kUniqueIdOffset);
    if (storedId != uniqueId) {
        if (storedId != byteReversed(uniqueId)) return Status::Rejected;
        // Written on a machine of the other byte order: every word but the
        // unique ID turns round; names are bytes and stay.
        reverseWord(chunk + kVersionOffset);
        for (int offset = kCountOffset; offset < kHeaderSize; offset += 4) reverseWord(chunk + offset);
        for (int p = 0; p < kProgramCount; ++p)
            for (int k = 0; k < ProgramRecord::kNumParams; ++k)
                reverseWord(programAt(chunk, p) + kParamsOffset + 4 * k);
    }
    if (readWord(chunk + kVersionOffset) != kFormatVersion) return Status::OtherVersion;
    if (readWord(chunk + kCountOffset) != kProgramCount) return Status::Rejected;
    // A NaN or infinite value would poison the strings and the host's mix.
    for (int p = 0; p < kProgramCount; ++p)
        for (float value : program(chunk, p).params)
            if (!std::isfinite(value)) return Status::Rejected;
    return Status::Valid;
}

std::int32_t currentProgram(const std::uint8_t* chunk) {
    return readWord(chunk + kCurrentOffset);
}

ProgramRecord program(const std::uint8_t* chunk, int index) {
    ProgramRecord record;
    std::memcpy(&record, programAt(chunk, index), sizeof(record));
    return record;
}

}  // namespace statechunk
