#include "presets/ProgramRecord.h"

#include <cstring>

void ProgramRecord::setName(const char* text) {
    bool ended = false;
    for (int i = 0; i < kNameLength; ++i) {
        ended = ended || text[i] == 0;
        setNameByte(i, ended ? 0 : text[i]);
    }
}

void ProgramRecord::copyName(char (&out)[kNameLength + 1]) const {
    for (int i = 0; i < kNameLength; ++i) out[i] = nameByte(i);
    out[kNameLength] = 0;
}

void ProgramRecord::copyFrom(const ProgramRecord& other) {
    for (int i = 0; i < kNameLength; ++i) setNameByte(i, other.nameByte(i));
    for (int k = 0; k < kNumParams; ++k) setParam(k, other.param(k));
}

void ProgramRecord::writeTo(std::uint8_t* out) const {
    for (int i = 0; i < kNameLength; ++i) out[i] = static_cast<std::uint8_t>(nameByte(i));
    for (int k = 0; k < kNumParams; ++k) {
        const float value = param(k);
        std::memcpy(out + kNameLength + 4 * k, &value, sizeof(value));
    }
}
