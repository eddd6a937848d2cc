// Settled stretches in groups of eight samples, for ResonatorEngine::process().
//
// While nothing moves, every read position advances by one per sample, so a
// group of eight samples reads eight consecutive samples of each line and
// writes eight consecutive samples at the write position. The kernels work
// the lowpass recurrence with the strings in the vector lanes (it is serial
// in time) and everything else with time in the lanes, after transposing.
// Each instruction set has its own source file and table of kernels; every
// one gives the bits of the plain per-sample algorithm. Gliding stretches
// use the same kernels where the read positions only advance or jump once
// by one sample in a group (see Jumps).
//
// A group reads each line before its own writes, so every string's delay
// must be at least a group long; the sums read the lines after the group's
// writes, so no delay may come within a group of the line's length (a later
// sample of the group would overwrite what an earlier one reads). The
// kernels begin the next group before they finish the present one, which
// doubles both margins: the engine uses them only with every delay from
// kMinDelay to kMaxDelay, on the standard lines, and never across a wrap of
// any index.
//
// Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/ResonatorEngine.h"

namespace settled_groups {

constexpr int kGroup = 8;  // samples per group: the engine values are looked at once per group
constexpr int kMinDelay = 2 * kGroup;
constexpr int kMaxDelay = ResonatorEngine::kLineLength - 2 * kGroup;

// How a group's read positions differ from advancing by one per sample
// from the stretch's first, while a glide moves: string s reads `before[s]`
// samples further on (the jumps of earlier groups), and where bit s of
// `strings` is set, `shift[s]` (1 or −1) more from the group's sample
// `from[s]` on. So do the taps read at its position. The delays on both
// sides of a jump are within kMinDelay..kMaxDelay, and a jump back never
// comes at a position of 0 (the kernels read the whole group one sample
// before it).
struct Jumps {
    std::uint32_t strings = 0;
    std::int32_t before[ResonatorEngine::kNumStrings];
    std::int32_t from[ResonatorEngine::kNumStrings];
    std::int32_t shift[ResonatorEngine::kNumStrings];
};

// One stretch of whole groups.
struct Job {
    const ResonatorEngine* engine;  // looked at between groups: the kernel stops when a value differs
    ResonatorEngine::Values values;
    const float* read[ResonatorEngine::kNumStrings];  // line s at string s's read position
    float* write;                                     // line 0 at the write position
    float* lowpass;                                   // the twelve lowpass states, in and out
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;        // unused with a single output
    int groups;         // at most this many groups
    bool oddFirst;      // the first sample has an odd index in its block (ε is −1e-9 there)
    const Jumps* jumps;  // one per group, if any position jumps (null: none)
};

// Works up to job.groups groups and returns how many it did: fewer when an
// engine value differed from job.values after one of them.
using Kernel = int (*)(const Job& job);

// The kernels of one instruction set, by excitation (strings hearing the
// input or bypassed) and by output (two buffers or one).
struct Kernels {
    Kernel input[2];     // [single output]
    Kernel bypassed[2];  // [single output]
};

extern const Kernels kSse2;
extern const Kernels kAvx2;  // only on processors with AVX2

}  // namespace settled_groups
