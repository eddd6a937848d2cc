// The read-position formula of the strings, and what can be known about
// its results ahead, for ResonatorEngine. SSE2; internal to the engine.
//
// Read-position formula: for string s at write position w, with fs the
// rate, r the float32 product of tuning and transposition, d the detune and
// L the line's length, D = (fs + σ·(0.015·fs)·k·d) / (r·f) in double and the
// position is (int)(w − D + L) AND (L − 1), the conversion toward zero.
#pragma once

#include <emmintrin.h>

#include <array>
#include <cstdint>
#include <limits>

#include "effect/ResonatorEngine.h"
#include "effect/SafeConvert.h"

namespace read_positions {

constexpr int kNumStrings = ResonatorEngine::kNumStrings;

// The twelve semitones from 110 Hz, to the digits given (not computed), with
// how far and in which direction Detune moves each string.
constexpr std::array<ResonatorEngine::StringInfo, kNumStrings> kStringTable = {{
    {110.0, 1.11, +1.0},
    {116.5406, 0.599, +1.0},
    {123.4706, 1.402, -1.0},
    {130.81277, 0.797, -1.0},
    {138.5912, 1.65, +1.0},
    {146.832378, 0.35, +1.0},
    {155.5631, 1.26, -1.0},
    {164.81377, 0.498, -1.0},
    {174.61411, 1.48, +1.0},
    {184.99723, 0.866, +1.0},
    {195.99767, 1.59, -1.0},
    {207.652346, 0.43, -1.0},
}};

// The same table by column, for two strings per SSE2 register.
struct alignas(16) Column {
    double value[kNumStrings];
};
constexpr Column column(double ResonatorEngine::StringInfo::*member) {
    Column c{};
    for (int s = 0; s < kNumStrings; ++s) c.value[s] = kStringTable[s].*member;
    return c;
}
constexpr Column kFrequency = column(&ResonatorEngine::StringInfo::frequency);
constexpr Column kDetuneFactor = column(&ResonatorEngine::StringInfo::detune);
constexpr Column kDirection = column(&ResonatorEngine::StringInfo::direction);

// A delay that is not within this distance of a whole number gives the same
// whole part whatever rounding w − D + 16384 suffers (at most 2^-37 for the
// magnitudes here).
constexpr double kWholeNumberMargin = 0x1p-30;

// σ·(0.015·fs)·k of each string: the part of its delay that depends on the
// rate alone, grouped as the formula groups it.
void movedTerms(float rate, double* moved);

// D = (fs + σ·(0.015·fs)·k·d) / (r·f) for strings s and s + 1, with the
// grouping (fs + ((σ·(0.015·fs))·k)·d) / (r·f); r is the float32 product of
// the current tuning and transposition, d the current detune.
inline __m128d delayPair(const double* moved, int s, __m128d fs, __m128d detune, __m128d ratio) {
    const __m128d numerator = _mm_add_pd(fs, _mm_mul_pd(_mm_load_pd(moved + s), detune));
    return _mm_div_pd(numerator, _mm_mul_pd(ratio, _mm_load_pd(kFrequency.value + s)));
}

// The twelve delays D for the given rate, ratio r and detune d.
void delays(const double* moved, float rate, float ratio, float detune, double* out);

// The read-position formula at write position w, for lines of length L:
// (int)(w − D + L) AND (L − 1), the conversion toward zero (L = 16384 for
// the standard lines). Set up once for a rate and a length, then used for
// as many samples as they last.
class Formula {
public:
    Formula(const double* moved, float rate, std::int32_t length)
        : moved_(moved),
          fs_(_mm_set1_pd(static_cast<double>(rate))),
          wrap_(_mm_set1_pd(static_cast<double>(length))),
          mask_(_mm_set1_epi32(length - 1)) {}

    // The twelve positions for the ratio r (the float32 product of tuning
    // and transposition) and detune d, each then moved on by `step` samples.
    void derive(float ratio, float detune, std::int32_t w, std::int32_t step, std::int32_t* out) const {
        const __m128d r = _mm_set1_pd(static_cast<double>(ratio));
        const __m128d d = _mm_set1_pd(static_cast<double>(detune));
        const __m128d write = _mm_set1_pd(static_cast<double>(w));
        const __m128i invalid = _mm_set1_epi32(std::numeric_limits<std::int32_t>::min());
        for (int s = 0; s < kNumStrings; s += 4) {
            const __m128d x0 = _mm_add_pd(_mm_sub_pd(write, delayPair(moved_, s, fs_, d, r)), wrap_);
            const __m128d x1 = _mm_add_pd(_mm_sub_pd(write, delayPair(moved_, s + 2, fs_, d, r)), wrap_);
            __m128i whole = _mm_unpacklo_epi64(_mm_cvttpd_epi32(x0), _mm_cvttpd_epi32(x1));
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(whole, invalid)) != 0) [[unlikely]]
                whole = saturated(x0, x1);
            const __m128i position = _mm_and_si128(whole, mask_);
            _mm_store_si128(reinterpret_cast<__m128i*>(out + s),
                            _mm_and_si128(_mm_add_epi32(position, _mm_set1_epi32(step)), mask_));
        }
    }

private:
    // Out of range or NaN: saturate as the plain conversion does.
    static __m128i saturated(__m128d x0, __m128d x1) {
        alignas(16) double x[4];
        alignas(16) std::int32_t fixed[4];
        _mm_store_pd(x, x0);
        _mm_store_pd(x + 2, x1);
        for (int k = 0; k < 4; ++k) fixed[k] = truncToInt32(x[k]);
        return _mm_load_si128(reinterpret_cast<const __m128i*>(fixed));
    }

    const double* moved_;
    __m128d fs_, wrap_;
    __m128i mask_;
};

// String s's read position at write position w (within the line), as
// Formula derives it: the same operations in the same order. False where
// the formula would saturate.
bool positionOf(const double* moved, int s, double fs, float ratio, float detune, std::int32_t w,
                std::int32_t& position);

// The strings (bit s: string s) whose read positions advance by exactly one
// per sample while the tuning and detune stay within the given ranges, with
// delays that let the groups run. Each delay D = n/d
// is monotone in the detune (through n) and in the tuning ratio (through d),
// and so are their roundings: D stays between its values at the corners of
// the ranges. If those lie between the same two whole numbers, clear of both
// by kWholeNumberMargin, every derivation in between gives the
// same whole part.
int steadyStrings(const double* moved, float fs, float transposition, float tuningLow, float tuningHigh,
                  float detuneLow, float detuneHigh);

}  // namespace read_positions
