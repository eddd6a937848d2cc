// One program: a 24-byte name and the eight normalised parameter values.
// 56 bytes without gaps; the state chunk and the preset files store it byte
// for byte.
#pragma once

#include <atomic>
#include <cstdint>

struct ProgramRecord {
    static constexpr int kNameLength = 24;
    static constexpr int kNumParams = 8;

    // Shorter names end with a zero byte and are zero-padded; a name of
    // exactly 24 characters has no terminator.
    char name[kNameLength];
    float params[kNumParams];

    // Parameter changes may write a value from the automation thread while the
    // user-interface thread copies the bank: single values are atomic.
    float param(int index) const {
        return std::atomic_ref<float>(const_cast<float&>(params[index])).load(std::memory_order_relaxed);
    }
    void setParam(int index, float value) {
        std::atomic_ref<float>(params[index]).store(value, std::memory_order_relaxed);
    }

    // The name rule: at most 24 characters of `text`, zero-padded when shorter.
    void setName(const char* text);
    // Copies the program value by value, single values atomically.
    void copyFrom(const ProgramRecord& other);
    // Writes the 56 bytes, values in the machine's byte order.
    void writeTo(std::uint8_t* out) const;
};

static_assert(sizeof(ProgramRecord) == 56, "a program record is 56 bytes without gaps");
