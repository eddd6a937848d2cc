#include "presets/PresetRecord.h"

#include <algorithm>
#include <cstring>

#include "presets/ByteOrder.h"

namespace presetrecord {
namespace {

void writeHeader(std::uint8_t* record, std::int32_t uniqueId, std::uint8_t kind) {
    byteorder::writeWord(record, uniqueId);
    record[4] = kind;
}

// Decodes everything first so that a record rejected late changes nothing.
bool readPrograms(const std::uint8_t* record, std::size_t size, std::int32_t uniqueId, bool reversed,
                  std::uint8_t kind, int count, ProgramRecord* out) {
    if (!record || size < kHeaderSize + count * sizeof(ProgramRecord)) return false;
    const std::int32_t owner = byteorder::readWord(record);
    // The reversal is tried first, as the records have always been read.
    bool swap;
    if (owner == byteorder::byteReversed(uniqueId)) swap = true;
    else if (owner == uniqueId) swap = false;
    else return false;
    if (record[4] != kind) return false;
    swap = swap != reversed;

    ProgramRecord decoded[kBankPrograms];
    for (int p = 0; p < count; ++p) {
        const std::uint8_t* entry = record + kHeaderSize + p * sizeof(ProgramRecord);
        std::memcpy(decoded[p].name, entry, ProgramRecord::kNameLength);
        for (int k = 0; k < ProgramRecord::kNumParams; ++k) {
            const float value = byteorder::readFloat(entry + ProgramRecord::kNameLength + 4 * k, swap);
            // Also false for NaN: a value the host could never have set.
            if (!(value >= 0.0f && value <= 1.0f)) return false;
            decoded[p].params[k] = value;
        }
    }
    for (int p = 0; p < count; ++p) out[p].copyFrom(decoded[p]);
    return true;
}

// Host automation and state chunks can leave a value outside 0..1 in a
// program; the readers refuse such records, so the writers store the nearest
// value within the range and every record written loads again.
void writeProgram(std::uint8_t* out, const ProgramRecord& program) {
    ProgramRecord kept;
    kept.copyFrom(program);
    for (int k = 0; k < ProgramRecord::kNumParams; ++k) {
        const float value = kept.param(k);
        kept.setParam(k, value >= 0.0f ? std::min(value, 1.0f) : 0.0f);  // NaN, never stored, as 0
    }
    kept.writeTo(out);
}

}  // namespace

void writePreset(std::uint8_t* record, std::int32_t uniqueId, const ProgramRecord& program) {
    writeHeader(record, uniqueId, kPresetKind);
    writeProgram(record + kHeaderSize, program);
}

void writeBank(std::uint8_t* record, std::int32_t uniqueId, const ProgramRecord* programs) {
    writeHeader(record, uniqueId, kBankKind);
    for (int p = 0; p < kBankPrograms; ++p) writeProgram(record + kHeaderSize + p * sizeof(ProgramRecord), programs[p]);
}

bool readPreset(const std::uint8_t* record, std::size_t size, std::int32_t uniqueId, bool reversed,
                ProgramRecord& program) {
    return readPrograms(record, size, uniqueId, reversed, kPresetKind, 1, &program);
}

bool readBank(const std::uint8_t* record, std::size_t size, std::int32_t uniqueId, bool reversed,
              ProgramRecord* programs) {
    return readPrograms(record, size, uniqueId, reversed, kBankKind, kBankPrograms, programs);
}

}  // namespace presetrecord
