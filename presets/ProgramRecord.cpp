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
