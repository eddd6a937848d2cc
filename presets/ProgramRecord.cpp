#include "presets/ProgramRecord.h"

#include <cstring>

void ProgramRecord::setName(const char* text) {
    size_t length = 0;
    while (length < kNameLength && text[length] != 0) ++length;
    std::memset(name, 0, kNameLength);
    std::memcpy(name, text, length);
}

void ProgramRecord::copyFrom(const ProgramRecord& other) {
    std::memcpy(name, other.name, kNameLength);
    for (int k = 0; k < kNumParams; ++k) setParam(k, other.param(k));
}

void ProgramRecord::writeTo(std::uint8_t* out) const {
    std::memcpy(out, name, kNameLength);
    for (int k = 0; k < kNumParams; ++k) {
        const float value = param(k);
        std::memcpy(out + kNameLength + 4 * k, &value, sizeof(value));
    }
}
