// The six programs the effect ships with.
#pragma once

#include "effect/Parameters.h"
#include "presets/CPresetSystemEffect.h"

struct FactoryProgram {
    const char* name;
    float values[kNumParameters];  // Output, Mix, Decay, Damp, Transpose, Tune, Detune, Bypass
};

inline constexpr FactoryProgram kFactoryPrograms[CPresetSystemEffect::kNumPrograms] = {
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
};
