// The eight parameters of the effect, written once: index, the texts the host
// shows, how the display is computed, and the formulas that turn a normalised
// value v (nominally 0..1, never clamped) into engine values. The index is also
// the slot in a program record and in the state chunk.
#pragma once

#include <cstdint>

class ResonatorEngine;

enum ParameterIndex : std::int32_t {
    kOutput = 0,
    kMix,
    kDecay,
    kDamp,
    kTranspose,
    kTune,
    kDetune,
    kBypass,
    kNumParameters
};

enum class DisplayKind {
    Decibels,   // 20·log10(output gain), "-oo" at or below 0.00001
    Percent,    // 100·v
    Semitones,  // (v - 0.5)·48 truncated toward zero
    Cents,      // (v - 0.5)·200
    Switch,     // " bypassed " / " process "
};

struct ParameterInfo {
    const char* name;
    const char* label;
    DisplayKind display;
    int decimals;
};

// The blanks around the texts are part of them.
inline constexpr ParameterInfo kParameterTable[kNumParameters] = {
    {" Output ", " dB ", DisplayKind::Decibels, 1},
    {" Mix ", " % ", DisplayKind::Percent, 1},
    {" Decay ", " % ", DisplayKind::Percent, 1},
    {" Damp ", " % ", DisplayKind::Percent, 1},
    {" Transpose ", " st ", DisplayKind::Semitones, 0},
    {" Tune ", " cents ", DisplayKind::Cents, 1},
    {" Detune ", " % ", DisplayKind::Percent, 1},
    {" Bypass ", "  ", DisplayKind::Switch, 0},
};
inline constexpr const char* kUnknownParameterText = " - ";

inline bool isParameterIndex(std::int32_t index) {
    return index >= 0 && index < kNumParameters;
}

// Writes the display text of parameter `index` at value v (at most 11 characters).
void formatParameterDisplay(std::int32_t index, float v, char* text);

namespace formula {
float outputGain(float v);                              // 4·v²
float feedback(float decay, float transposition);      // kept below 1
float damping(float v);                                 // 1.84^(1-v) / 1.845, at most 1
std::int32_t transposeStep(float v);                    // nearest of 49 steps, 24 = none
float transposition(std::int32_t step);                 // 2^((step-24)/12)
float tuningRatio(float v);                             // 1.12246^v / 1.05946
std::int32_t bypassSwitch(float v);                     // non-zero = on
}  // namespace formula

// Sets the engine values that parameter `index` at value v gives. A Transpose
// change also computes the feedback again, from `decay`, the stored Decay
// value; a Transpose value on the present step changes nothing.
void applyToEngine(ResonatorEngine& engine, std::int32_t index, float v, float decay);
