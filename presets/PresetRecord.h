// The preset record (one program, 61 bytes) and the bank record (six
// programs, 341 bytes) that preset files, bank files and the stored
// defaults and memos hold. Packed, no padding:
//
//   0   4  owner ID: the plug-in's unique ID, in the writer's byte order
//   4   1  kind: 0x21 "!" for a preset, 0x37 "7" for a bank
//   5  56  each program: 24 name bytes (no terminator at 24 characters) and
//          eight float32 values in the owner ID's byte order
//
// Written in the machine's byte order; read in either.
#pragma once

#include <cstddef>
#include <cstdint>

#include "presets/ProgramRecord.h"

namespace presetrecord {

constexpr std::size_t kHeaderSize = 5;
constexpr std::size_t kPresetSize = kHeaderSize + sizeof(ProgramRecord);
constexpr std::size_t kBankSize = kHeaderSize + 6 * sizeof(ProgramRecord);
constexpr std::uint8_t kPresetKind = 0x21;
constexpr std::uint8_t kBankKind = 0x37;
constexpr int kBankPrograms = 6;

static_assert(kPresetSize == 61 && kBankSize == 341);

// Fill all kPresetSize / kBankSize bytes; a value outside 0..1 is written as
// the nearest end of the range, so that every record written reads back.
void writePreset(std::uint8_t* record, std::int32_t uniqueId, const ProgramRecord& program);
void writeBank(std::uint8_t* record, std::int32_t uniqueId, const ProgramRecord* programs);

// Take `size` bytes of a record into `program` (or all six `programs`) and
// answer true, or answer false and leave them untouched. Rejected: fewer
// bytes than the record (bytes beyond it are ignored), an owner ID that is
// neither the unique ID nor its byte reversal, the other kind, and any value
// that is not a number within 0 to 1. `reversed` turns the byte order round
// from the one the owner ID tells.
bool readPreset(const std::uint8_t* record, std::size_t size, std::int32_t uniqueId, bool reversed,
                ProgramRecord& program);
bool readBank(const std::uint8_t* record, std::size_t size, std::int32_t uniqueId, bool reversed,
              ProgramRecord* programs);

}  // namespace presetrecord
