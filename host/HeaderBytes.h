// Unsigned numbers of `count` bytes (at most 8) in audio file headers, in
// either byte order.
#pragma once

#include <cstdint>

namespace headerbytes {

inline std::uint64_t little(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

inline std::uint64_t big(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

}  // namespace headerbytes
