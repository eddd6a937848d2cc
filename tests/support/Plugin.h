// Creates the effect directly (for tests that look inside) and gives the
// host's view of it through its record.
#pragma once

#include <memory>

#include "effect/Corvane.h"
#include "tests/support/FakeHost.h"

inline std::unique_ptr<Corvane> makeCorvane(FakeHost& /*activeHost*/) {
    return std::make_unique<Corvane>(&FakeHost::callback);
}

inline VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}
