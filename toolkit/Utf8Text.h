// Texts of controls are UTF-8: cuts never split a character. Copies from
// fixed-size fields (a 24-byte program name has no terminator at 24
// characters) read no further than the field.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace utf8text {

inline bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The start of the character that holds byte `at` (or `at` past the end).
inline std::size_t characterStartAtOrBefore(const std::string& text, std::size_t at) {
    while (at > 0 && at < text.size() && isContinuationByte(text[at])) --at;
    return at;
}

// At most `maxBytes` bytes of `text` (up to its terminator; null counts as
// empty), cut to `maxLength` bytes before a character that would not fit.
inline std::string boundedCopy(const char* text, std::size_t maxBytes, std::size_t maxLength) {
    if (!text) return {};
    // One byte beyond the length, if the field has it, tells whether the cut
    // falls inside a character.
    const std::size_t look = maxLength < maxBytes ? maxLength + 1 : maxBytes;
    std::string copy(text, strnlen(text, look));
    if (copy.size() > maxLength) copy.resize(characterStartAtOrBefore(copy, maxLength));
    return copy;
}

}  // namespace utf8text
