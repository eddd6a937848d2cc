// 32-bit words in the chunk and the preset records: written in the machine's
// byte order, read in either; the unique ID at their start tells which.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

namespace byteorder {

inline std::int32_t readWord(const std::uint8_t* at) {
    std::int32_t word;
    std::memcpy(&word, at, sizeof(word));
    return word;
}

inline void writeWord(std::uint8_t* at, std::int32_t word) {
    std::memcpy(at, &word, sizeof(word));
}

inline void writeFloat(std::uint8_t* at, float value) {
    std::memcpy(at, &value, sizeof(value));
}

// The float stored at `at`, its four bytes turned round first when `swap`.
inline float readFloat(const std::uint8_t* at, bool swap) {
    std::uint8_t bytes[4] = {at[0], at[1], at[2], at[3]};
    if (swap) {
        std::swap(bytes[0], bytes[3]);
        std::swap(bytes[1], bytes[2]);
    }
    float value;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

inline void reverseWord(std::uint8_t* at) {
    std::swap(at[0], at[3]);
    std::swap(at[1], at[2]);
}

inline std::int32_t byteReversed(std::int32_t word) {
    auto u = static_cast<std::uint32_t>(word);
    return static_cast<std::int32_t>((u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24));
}

}  // namespace byteorder
