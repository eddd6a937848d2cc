// The group kernel of SettledGroups.h, written once for every instruction
// set. Each instruction set's source file defines a struct with its vector
// types and transposes and then instantiates GroupKernel with it:
//
//   kLanes      samples per step: the width of a float32 vector (a group
//               is one or more steps)
//   Time        kLanes float32 samples of one signal, sample j in lane j,
//               with + − · and load, store, broadcast, alternating(e)
//               (e, −e, e, …)
//   Wide        the same samples in double: widen(Time), narrow(Wide),
//               + − ·, broadcastWide(double)
//   Strings     the twelve strings, one per lane: + − ·, loadStrings,
//               storeStrings, broadcastStrings
//   toStrings(const Time[12], Strings[kLanes]) and
//   toTime(const Strings[kLanes], Time[12]): the transposes between them
//   from(a, b, lane) the lanes of a before `lane`, those of b from there on
//
// Every float32 and double operation is the one of the plain per-sample
// algorithm, in its order; the file that includes this one is built with
// -ffp-contract=off, so no multiply and add are ever fused. Everything here
// has internal linkage: each instruction set gets its own copy, and code
// built for AVX2 can never stand in for the SSE2 one.
#pragma once

#include <bit>
#include <cstddef>

#include "effect/SettledGroups.h"

// Everything a group does is one stretch of code, so that the processor can
// run the work of neighbouring steps side by side.
#define GROUP_INLINE inline __attribute__((always_inline))

namespace {

using settled_groups::Job;
using settled_groups::Jumps;
using settled_groups::kGroup;
constexpr int kStrings = ResonatorEngine::kNumStrings;
constexpr std::ptrdiff_t kStride = ResonatorEngine::kLineStride;

template <class Isa, ResonatorEngine::Excite Mode, bool SingleOutput>
struct GroupKernel {
    using Time = typename Isa::Time;
    using Wide = typename Isa::Wide;
    using Strings = typename Isa::Strings;
    static constexpr int kLanes = Isa::kLanes;
    static constexpr int kStepsPerGroup = kGroup / kLanes;

    // The engine values of the stretch, in vector form.
    struct Constants {
        explicit Constants(const ResonatorEngine::Values& v)
            : damping(Isa::broadcastStrings(std::bit_cast<float>(v.damping))),
              feedback(Isa::broadcast(std::bit_cast<float>(v.feedback))),
              gain(Isa::broadcast(std::bit_cast<float>(v.gain))),
              mix(Isa::broadcastWide(static_cast<double>(std::bit_cast<float>(v.mix)))) {}
        Strings damping;
        Time feedback, gain;
        Wide mix;
    };

    // What one step takes from the input: the dry values and what excites
    // the strings.
    struct Input {
        Time dryL, dryR, excitation;
    };

    // Step 1. The excitation 0.5·(xL + xR), the halving in double, is the
    // float32 (xL + xR)·0.5 exactly: a finite sum of two inputs each offset
    // by ±1e-9 is 0 or at least 2^-76 in magnitude, so halving it is exact.
    GROUP_INLINE static Input input(const Job& job, std::ptrdiff_t at, Time offset) {
        const Time left = Isa::load(job.inL + at);
        const Time right = Isa::load(job.inR + at);
        if constexpr (Mode == ResonatorEngine::Excite::Bypassed) {
            return {left, right, offset};  // the strings receive only ε
        } else {
            const Time xL = left + offset;
            const Time xR = right + offset;
            return {xL, xR, (xL + xR) * Isa::broadcast(0.5f)};
        }
    }

    // Where a step reads in a stretch with jumps: its group's jumps and the
    // lane of the group the step starts at.
    struct Where {
        const Jumps* jumps;
        int firstLane;
    };

    // kLanes samples from p on, read at string s's read position as its
    // group's jumps move it.
    template <bool Jumping>
    GROUP_INLINE static Time read(const float* p, int s, Where where) {
        if (where.jumps == nullptr) return Isa::load(p);
        p += where.jumps->before[s];
        const Time x = Isa::load(p);
        if (!Jumping || !((where.jumps->strings >> s) & 1)) return x;
        return Isa::from(x, Isa::load(p + where.jumps->shift[s]), where.jumps->from[s] - where.firstLane);
    }

    // Step 2 for kLanes samples: each string's line at its read position,
    // through the lowpass one sample after the other. Returns the states
    // after each sample, time in the lanes.
    GROUP_INLINE static void lowpass(const Job& job, std::ptrdiff_t at, Where where, Strings& state, const Constants& k,
                                     Time out[kStrings]) {
        Time y[kStrings];
        if (where.jumps != nullptr && where.jumps->strings != 0) {
            #pragma GCC unroll 12
            for (int s = 0; s < kStrings; ++s) y[s] = read<true>(job.read[s] + at, s, where);
        } else {
            #pragma GCC unroll 12
            for (int s = 0; s < kStrings; ++s) y[s] = read<false>(job.read[s] + at, s, where);
        }
        Strings sample[kLanes];
        Isa::toStrings(y, sample);
        #pragma GCC unroll 12
        for (int j = 0; j < kLanes; ++j) {
            state = state + (sample[j] - state) * k.damping;
            sample[j] = state;
        }
        Isa::toTime(sample, out);
    }

    // Step 3: line_s[w] = (float)(lowpass_s·feedback + e), the product in
    // float32. The sum in double rounds to float32 as the float32 sum does:
    // both operands are float32, and double has more than twice the digits.
    GROUP_INLINE static void write(const Job& job, std::ptrdiff_t at, const Time lp[kStrings], const Constants& k,
                                   Time e) {
        #pragma GCC unroll 12
        for (int s = 0; s < kStrings; ++s) Isa::store(job.write + s * kStride + at, lp[s] * k.feedback + e);
    }

    // The lowpass parts of step 4, in the order of the sums:
    // left 0 2 4 6 8 10, right 3 1 5 7 9 11.
    GROUP_INLINE static Time lowpassSumLeft(const Time lp[kStrings]) {
        return ((((lp[0] + lp[2]) + lp[4]) + lp[6]) + lp[8]) + lp[10];
    }
    GROUP_INLINE static Time lowpassSumRight(const Time lp[kStrings]) {
        return ((((lp[3] + lp[1]) + lp[5]) + lp[7]) + lp[9]) + lp[11];
    }

    // Line t read at string q's read position.
    template <bool Jumping>
    GROUP_INLINE static Time tap(const Job& job, std::ptrdiff_t at, Where where, int t, int q) {
        return read<Jumping>(job.read[q] + (t - q) * kStride + at, q, where);
    }

    // Step 4's taps, read after the step's writes: line 2k+1 at string
    // 10−2k's position on the left, line 2k at string 11−2k's on the right.
    template <bool Jumping>
    GROUP_INLINE static void addTaps(const Job& job, std::ptrdiff_t at, Where where, Time& sumL, Time& sumR) {
        #pragma GCC unroll 12
        for (int k = 0; k < kStrings / 2; ++k) {
            sumL = sumL + tap<Jumping>(job, at, where, 2 * k + 1, 10 - 2 * k);
            sumR = sumR + tap<Jumping>(job, at, where, 2 * k, 11 - 2 * k);
        }
    }

    // Step 5: dry + (0.075·sum − dry)·mix, in double.
    GROUP_INLINE static Time wetAndDry(Time dry, Time sum, const Constants& k) {
        const Wide d = Isa::widen(dry);
        return Isa::narrow(d + (Isa::broadcastWide(0.075) * Isa::widen(sum) - d) * k.mix);
    }

    // Steps 4, 5 and 9 once the step's lines are written.
    GROUP_INLINE static void finish(const Job& job, std::ptrdiff_t at, Where where, Time sumL, Time sumR,
                                    const Input& in, const Constants& k) {
        if (where.jumps != nullptr && where.jumps->strings != 0)
            addTaps<true>(job, at, where, sumL, sumR);
        else
            addTaps<false>(job, at, where, sumL, sumR);
        const Time left = wetAndDry(in.dryL, sumL, k);
        const Time right = wetAndDry(in.dryR, sumR, k);
        if constexpr (SingleOutput) {
            const Time scaled = (right + left) * k.gain;
            Isa::store(job.outL + at, Isa::narrow(Isa::widen(scaled) * Isa::broadcastWide(0.5)));
        } else {
            Isa::store(job.outL + at, left * k.gain);
            Isa::store(job.outR + at, right * k.gain);
        }
    }

    // The lines a step this far ahead will read and write, asked into the
    // second-level cache once per 128 bytes of each (the cache fetches lines
    // in pairs): many instances together outgrow the caches, and the
    // processor's own prefetchers cannot follow 36 short runs.
    static constexpr int kPrefetchAhead = 64;  // samples; within the padding after each line
    static constexpr int kStepsPerPrefetch = 32 / kLanes;
    GROUP_INLINE static void prefetch(const Job& job, std::ptrdiff_t at) {
        const std::ptrdiff_t ahead = at + kPrefetchAhead;
        #pragma GCC unroll 12
        for (int s = 0; s < kStrings; ++s) {
            __builtin_prefetch(job.read[s] + ahead, 0, 2);
            __builtin_prefetch(job.read[11 - s] + (s - (11 - s)) * kStride + ahead, 0, 2);
            __builtin_prefetch(job.write + s * kStride + ahead, 1, 2);
        }
    }

    // Steps 1 to 3 of a step and the lowpass part of its sums: everything
    // the serial recurrence holds up.
    struct Begun {
        Input in;
        Time sumL, sumR;
    };
    GROUP_INLINE static Begun begin(const Job& job, std::ptrdiff_t at, Where where, Strings& state,
                                    const Constants& k, Time offset) {
        if ((at / kLanes) % kStepsPerPrefetch == 0) prefetch(job, at);
        Time lp[kStrings];
        lowpass(job, at, where, state, k, lp);
        const Input in = input(job, at, offset);
        write(job, at, lp, k, in.excitation);
        return {in, lowpassSumLeft(lp), lowpassSumRight(lp)};
    }

    // The steps one after the other, the values looked at after each
    // group. The next step is begun before the present one is finished,
    // so that the output work fills the time the serial recurrence leaves
    // free. Its lines are then read and written before the present step's
    // taps are read: with every delay two groups or more from the line's
    // length, no tap reads what those writes change.
    static int run(const Job& job) { return job.jumps != nullptr ? runSteps<true>(job) : runSteps<false>(job); }

    template <bool WithJumps>
    static int runSteps(const Job& shared) {
        const Job job = shared;  // a copy of its own: the stores below cannot change it
        const Constants k(job.values);
        const float e = ResonatorEngine::kDenormalOffset;
        const Time offset = Isa::alternating(job.oddFirst ? -e : e);
        const int steps = job.groups * kStepsPerGroup;
        auto where = [&job](int step) {
            return Where{WithJumps ? job.jumps + step / kStepsPerGroup : nullptr, (step % kStepsPerGroup) * kLanes};
        };
        Strings state = Isa::loadStrings(job.lowpass);
        Begun present = begin(job, 0, where(0), state, k, offset);
        int step = 0;
        for (;;) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(step) * kLanes;
            const Where here = where(step);
            ++step;
            const bool more =
                step < steps && (step % kStepsPerGroup != 0 || job.engine->valuesUnchanged(job.values));
            Begun next;
            if (more) next = begin(job, at + kLanes, where(step), state, k, offset);
            finish(job, at, here, present.sumL, present.sumR, present.in, k);
            if (!more) break;
            present = next;
        }
        Isa::storeStrings(job.lowpass, state);
        return step / kStepsPerGroup;
    }
};

// The kernels of one instruction set.
template <class Isa>
constexpr settled_groups::Kernels kernelsOf() {
    using Excite = ResonatorEngine::Excite;
    return {{GroupKernel<Isa, Excite::Input, false>::run, GroupKernel<Isa, Excite::Input, true>::run},
            {GroupKernel<Isa, Excite::Bypassed, false>::run, GroupKernel<Isa, Excite::Bypassed, true>::run}};
}

}  // namespace
