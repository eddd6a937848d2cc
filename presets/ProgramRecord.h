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
    // user-interface thread copies the bank: single values are atomic. So are
    // the name's bytes, which a host may set (a state, a program name) on one
    // thread while the window shows them on another; a name read meanwhile
    // may mix old and new bytes, and the next refresh shows the new one.
    float param(int index) const {
        return std::atomic_ref<float>(const_cast<float&>(params[index])).load(std::memory_order_relaxed);
    }
    void setParam(int index, float value) {
        std::atomic_ref<float>(params[index]).store(value, std::memory_order_relaxed);
    }

    // The name rule: at most 24 characters of `text`, zero-padded when shorter.
    void setName(const char* text);
    // The name's 24 bytes and a terminator.
    void copyName(char (&out)[kNameLength + 1]) const;
    // Copies the program value by value, single values atomically.
    void copyFrom(const ProgramRecord& other);
    // Writes the 56 bytes, values in the machine's byte order.
    void writeTo(std::uint8_t* out) const;

private:
    char nameByte(int index) const {
        return std::atomic_ref<char>(const_cast<char&>(name[index])).load(std::memory_order_relaxed);
    }
    void setNameByte(int index, char c) { std::atomic_ref<char>(name[index]).store(c, std::memory_order_relaxed); }
};

static_assert(sizeof(ProgramRecord) == 56, "a program record is 56 bytes without gaps");
