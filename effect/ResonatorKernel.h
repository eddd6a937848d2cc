// One sample of the twelve strings with SSE2, for the samples of
// ResonatorEngine::process() that do not run in groups (see SettledGroups.h):
// before a wrap, at a block's end, where read positions move more than the
// groups follow, and on longer lines. Strings 0-3, 4-7 and 8-11 sit in the
// lanes of three vectors; every float32 and double operation is the one of
// the plain per-sample algorithm, in its order (a lane never mixes with
// another except where the algorithm sums strings, and those sums keep their
// order). Built with -ffp-contract=off, so no multiply and add are ever
// fused.
//
// Internal to the engine's source file.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "effect/ResonatorEngine.h"

namespace resonator_kernel {

#if defined(__GNUC__)
#define CORVANE_KERNEL_INLINE inline __attribute__((always_inline))
#else
#define CORVANE_KERNEL_INLINE inline
#endif

constexpr std::ptrdiff_t kStride = ResonatorEngine::kLineStride;

// The engine values of one stretch of samples, in vector form.
struct Constants {
    explicit Constants(const ResonatorEngine::Values& v)
        : damping(_mm_set1_ps(asFloat(v.damping))),
          feedback(_mm_set1_ps(asFloat(v.feedback))),
          gain(_mm_set1_ps(asFloat(v.gain))),
          mix(_mm_set1_pd(static_cast<double>(asFloat(v.mix)))) {}

    static float asFloat(std::uint32_t bits) {
        float x;
        __builtin_memcpy(&x, &bits, sizeof x);
        return x;
    }

    __m128 damping, feedback, gain;
    __m128d mix;
};

// The twelve lowpass states.
struct Lowpass {
    __m128 a, b, c;  // strings 0-3, 4-7, 8-11

    static Lowpass load(const float* states) {
        return {_mm_load_ps(states), _mm_load_ps(states + 4), _mm_load_ps(states + 8)};
    }
    void store(float* states) const {
        _mm_store_ps(states, a);
        _mm_store_ps(states + 4, b);
        _mm_store_ps(states + 8, c);
    }
};

// Where a sample reads and writes: read[s] + j is line s at string s's read
// position, write + j + s·kStride is line s at the write position. Line t
// read at string q's position is then read[q] + j + (t − q)·kStride.
struct Taps {
    const float* read[ResonatorEngine::kNumStrings];
    float* write;
    std::ptrdiff_t j;

    float y(int s) const { return read[s][j]; }
    const float* tap(int line, int position) const { return read[position] + j + (line - position) * kStride; }
    float* at(int s) const { return write + j + s * kStride; }
};

// How the lines lie: the standard ones, known when compiling, or lines of
// any length.
struct StandardGeometry {
    static constexpr std::ptrdiff_t stride = kStride;
    static constexpr std::int32_t mask = ResonatorEngine::kLineMask;
};
struct AnyGeometry {
    std::ptrdiff_t stride;
    std::int32_t mask;
};

// The same from the twelve read positions themselves, for samples whose
// positions were derived one by one: line s at position p is
// lines[s·stride + p].
template <class Geometry>
struct PositionTaps {
    float* lines;
    const std::int32_t* position;
    std::ptrdiff_t write;
    Geometry geometry;

    float y(int s) const { return lines[s * geometry.stride + position[s]]; }
    const float* tap(int line, int of) const { return lines + line * geometry.stride + position[of]; }
    float* at(int s) const { return lines + s * geometry.stride + write; }
};

// ε as a vector, all lanes equal; flips sign every sample.
inline __m128 offsetFor(std::int32_t sampleInBlock) {
    const float e = ResonatorEngine::kDenormalOffset;
    return _mm_set1_ps(sampleInBlock & 1 ? -e : e);
}
inline __m128 flipped(__m128 offset) { return _mm_xor_ps(offset, _mm_set1_ps(-0.0f)); }

// Four strings' feedback writes: line_s[w] = (float)(lowpass_s·feedback + e),
// the product in float32, the sum in double.
template <class Access>
CORVANE_KERNEL_INLINE void writeFour(const Access& at, int first, __m128 lowpass, __m128 feedback, __m128d e) {
    const __m128 product = _mm_mul_ps(lowpass, feedback);
    const __m128 low = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(product), e));
    const __m128 high = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(product, product)), e));
    _mm_store_ss(at.at(first), low);
    _mm_store_ss(at.at(first + 1), _mm_shuffle_ps(low, low, 1));
    _mm_store_ss(at.at(first + 2), high);
    _mm_store_ss(at.at(first + 3), _mm_shuffle_ps(high, high, 1));
}

template <class Access>
CORVANE_KERNEL_INLINE __m128 gatherFour(const Access& at, int first) {
    return _mm_setr_ps(at.y(first), at.y(first + 1), at.y(first + 2), at.y(first + 3));
}

CORVANE_KERNEL_INLINE __m128 lowpassStep(__m128 state, __m128 y, __m128 damping) {
    return _mm_add_ps(state, _mm_mul_ps(_mm_sub_ps(y, state), damping));
}

// [line 2k+1 at string 10−2k's position, line 2k at string 11−2k's position]
template <class Access>
CORVANE_KERNEL_INLINE __m128 tapPair(const Access& at, int k) {
    return _mm_unpacklo_ps(_mm_load_ss(at.tap(2 * k + 1, 10 - 2 * k)), _mm_load_ss(at.tap(2 * k, 11 - 2 * k)));
}

// Steps 1 to 5 and 9 of a sample: input, lowpass, feedback write, the two
// sums, wet and dry, output. offset is ε broadcast.
template <ResonatorEngine::Excite Mode, bool SingleOutput, class Access>
CORVANE_KERNEL_INLINE void sample(const Access& at, Lowpass& lp, const Constants& k, const float* inL, const float* inR,
                                  float* outL, float* outR, __m128 offset) {
    // Input: lanes 0 and 1 hold left and right.
    __m128 dry = _mm_unpacklo_ps(_mm_load_ss(inL), _mm_load_ss(inR));
    __m128d e;
    if constexpr (Mode == ResonatorEngine::Excite::Bypassed) {
        e = _mm_cvtps_pd(offset);  // the strings receive only ε
    } else {
        dry = _mm_add_ps(dry, offset);
        if constexpr (Mode == ResonatorEngine::Excite::Silence) {
            e = _mm_cvtps_pd(offset);  // (ε + ε)·0.5, exactly what silent input gives
        } else {
            const __m128 sum = _mm_add_ps(dry, _mm_shuffle_ps(dry, dry, _MM_SHUFFLE(3, 2, 0, 1)));  // xL + xR twice
            e = _mm_mul_pd(_mm_cvtps_pd(sum), _mm_set1_pd(0.5));
        }
    }

    // Lowpass.
    lp.a = lowpassStep(lp.a, gatherFour(at, 0), k.damping);
    lp.b = lowpassStep(lp.b, gatherFour(at, 4), k.damping);
    lp.c = lowpassStep(lp.c, gatherFour(at, 8), k.damping);

    // Feedback write.
    writeFour(at, 0, lp.a, k.feedback, e);
    writeFour(at, 4, lp.b, k.feedback, e);
    writeFour(at, 8, lp.c, k.feedback, e);

    // Sums after the writes, [sumL, sumR] in lanes 0 and 1, each in the
    // order: lowpass 0 2 4 6 8 10 | 3 1 5 7 9 11, then the taps.
    const __m128 first = _mm_shuffle_ps(lp.a, lp.a, _MM_SHUFFLE(1, 2, 3, 0));  // lp0 lp3 lp2 lp1
    __m128 sums = _mm_add_ps(first, _mm_movehl_ps(first, first));                // lp0+lp2, lp3+lp1
    sums = _mm_add_ps(sums, lp.b);                                               // + lp4, lp5
    sums = _mm_add_ps(sums, _mm_movehl_ps(lp.b, lp.b));                          // + lp6, lp7
    sums = _mm_add_ps(sums, lp.c);                                               // + lp8, lp9
    sums = _mm_add_ps(sums, _mm_movehl_ps(lp.c, lp.c));                          // + lp10, lp11
    sums = _mm_add_ps(sums, tapPair(at, 0));  // + line 1 at 10's position, line 0 at 11's
    sums = _mm_add_ps(sums, tapPair(at, 1));
    sums = _mm_add_ps(sums, tapPair(at, 2));
    sums = _mm_add_ps(sums, tapPair(at, 3));
    sums = _mm_add_ps(sums, tapPair(at, 4));
    sums = _mm_add_ps(sums, tapPair(at, 5));  // + line 11 at 0's position, line 10 at 1's

    // Wet and dry in double: dry + (0.075·sum − dry)·mix.
    const __m128d dryD = _mm_cvtps_pd(dry);
    const __m128d wet = _mm_mul_pd(_mm_set1_pd(0.075), _mm_cvtps_pd(sums));
    const __m128 lr = _mm_cvtpd_ps(_mm_add_pd(dryD, _mm_mul_pd(_mm_sub_pd(wet, dryD), k.mix)));

    // Output.
    if constexpr (SingleOutput) {
        const __m128 both = _mm_add_ss(_mm_shuffle_ps(lr, lr, 1), lr);  // R + L
        const __m128 scaled = _mm_mul_ss(both, k.gain);
        const __m128d half = _mm_mul_sd(_mm_cvtss_sd(_mm_setzero_pd(), scaled), _mm_set_sd(0.5));
        _mm_store_ss(outL, _mm_cvtsd_ss(_mm_setzero_ps(), half));
        (void)outR;
    } else {
        const __m128 out = _mm_mul_ps(lr, k.gain);
        _mm_store_ss(outL, out);
        _mm_store_ss(outR, _mm_shuffle_ps(out, out, 1));
    }
}

// The loudest excitation sum the strings take: 2^100, some 600 dB above full
// scale. Anything louder (a NaN, an infinity, two inputs whose float sum
// overflows, or a finite value so huge that the strings' feedback would carry
// it past the float range) is no signal a host means, and would leave the
// lines infinite or NaN for good. Every such sample excites the strings as
// silence would.
inline constexpr float kLoudestExcitation = 0x1p100f;

// Whether the excitation of a sample is one the strings take. The sum
// inL + inR stands for (xL + ε) + (xR + ε) as sample() forms it: ε (1e-9)
// leaves every value of 2^-5 and more unchanged, and smaller sums are far
// below the limit anyway.
inline bool fit(float inL, float inR) { return std::fabs(inL + inR) <= kLoudestExcitation; }

// The first sample of i..n−1 whose excitation the strings must not take; n if
// there is none. Blocks without one cost a pass of a few instructions per four
// samples, and the pass stops at the first unfit sample, so that a block full
// of them costs no more than a scan of it in all.
inline std::int32_t firstUnfitSample(const float* inL, const float* inR, std::int32_t i, std::int32_t n) {
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 limit = _mm_set1_ps(kLoudestExcitation);
    // All ones in a lane whose |sum| is above the limit or NaN.
    auto unfit = [=](std::int32_t at) {
        const __m128 sum = _mm_add_ps(_mm_loadu_ps(inL + at), _mm_loadu_ps(inR + at));
        return _mm_cmpnle_ps(_mm_and_ps(sum, magnitude), limit);
    };
    std::int32_t k = i;
    for (; k + 16 <= n; k += 16) {
        const __m128 any = _mm_or_ps(_mm_or_ps(unfit(k), unfit(k + 4)), _mm_or_ps(unfit(k + 8), unfit(k + 12)));
        if (_mm_movemask_ps(any) != 0) break;
    }
    for (; k + 4 <= n; k += 4)
        if (_mm_movemask_ps(unfit(k)) != 0) break;
    while (k < n && fit(inL[k], inR[k])) ++k;
    return k;
}

// The first sample of i..n−1 the strings take again; n if there is none.
inline std::int32_t firstFitSample(const float* inL, const float* inR, std::int32_t i, std::int32_t n) {
    while (i < n && !fit(inL[i], inR[i])) ++i;
    return i;
}

}  // namespace resonator_kernel
