#include "effect/ReadPositions.h"

#include <algorithm>

#include "effect/SettledGroups.h"

namespace read_positions {

void movedTerms(float rate, double* moved) {
    const double fs = rate;
    const __m128d share = _mm_set1_pd(0.015 * fs);
    for (int s = 0; s < kNumStrings; s += 2)
        _mm_store_pd(moved + s, _mm_mul_pd(_mm_mul_pd(_mm_load_pd(kDirection.value + s), share),
                                           _mm_load_pd(kDetuneFactor.value + s)));
}

void delays(const double* moved, float rate, float ratio, float detune, double* out) {
    const __m128d fs = _mm_set1_pd(static_cast<double>(rate));
    const __m128d d = _mm_set1_pd(static_cast<double>(detune));
    const __m128d r = _mm_set1_pd(static_cast<double>(ratio));
    for (int s = 0; s < kNumStrings; s += 2) _mm_store_pd(out + s, delayPair(moved, s, fs, d, r));
}

bool positionOf(const double* moved, int s, double fs, float ratio, float detune, std::int32_t w,
                std::int32_t& position) {
    const double numerator = fs + moved[s] * static_cast<double>(detune);
    const double delay = numerator / (static_cast<double>(ratio) * kFrequency.value[s]);
    const double x = (static_cast<double>(w) - delay) + ResonatorEngine::kLineLength;
    if (!(x > -2147483648.0 && x < 2147483647.0)) return false;
    position = static_cast<std::int32_t>(x) & ResonatorEngine::kLineMask;
    return true;
}

int steadyStrings(const double* moved, float fs, float transposition, float tuningLow, float tuningHigh,
                  float detuneLow, float detuneHigh) {
    const float ratioA = tuningLow * transposition, ratioB = tuningHigh * transposition;
    if (!(ratioA > 0.0f && ratioB > 0.0f)) return 0;
    const __m128d ratioLow = _mm_set1_pd(static_cast<double>(std::min(ratioA, ratioB)));
    const __m128d ratioHigh = _mm_set1_pd(static_cast<double>(std::max(ratioA, ratioB)));
    const __m128d rate = _mm_set1_pd(static_cast<double>(fs));
    const __m128d detuneA = _mm_set1_pd(static_cast<double>(detuneLow));
    const __m128d detuneB = _mm_set1_pd(static_cast<double>(detuneHigh));
    const __m128d margin = _mm_set1_pd(kWholeNumberMargin);
    const __m128d fewest = _mm_set1_pd(settled_groups::kMinDelay - 1.0);
    const __m128d most = _mm_set1_pd(settled_groups::kMaxDelay - 1.0);
    int steady = 0;
    for (int s = 0; s < kNumStrings; s += 2) {
        const __m128d movedPair = _mm_load_pd(moved + s);
        const __m128d numeratorA = _mm_add_pd(rate, _mm_mul_pd(movedPair, detuneA));
        const __m128d numeratorB = _mm_add_pd(rate, _mm_mul_pd(movedPair, detuneB));
        const __m128d frequency = _mm_load_pd(kFrequency.value + s);
        const __m128d shortest = _mm_div_pd(_mm_min_pd(numeratorA, numeratorB), _mm_mul_pd(ratioHigh, frequency));
        const __m128d longest = _mm_div_pd(_mm_max_pd(numeratorA, numeratorB), _mm_mul_pd(ratioLow, frequency));
        const __m128d below = _mm_cvtepi32_pd(_mm_cvttpd_epi32(shortest));  // whole part: shortest is positive here
        const __m128d positive = _mm_and_pd(_mm_cmpgt_pd(numeratorA, _mm_setzero_pd()),
                                            _mm_cmpgt_pd(numeratorB, _mm_setzero_pd()));
        const __m128d above = _mm_add_pd(below, _mm_set1_pd(1.0));
        const __m128d between = _mm_and_pd(_mm_cmpge_pd(_mm_sub_pd(shortest, below), margin),
                                           _mm_cmpge_pd(_mm_sub_pd(above, longest), margin));
        const __m128d usable = _mm_and_pd(_mm_cmpge_pd(below, fewest), _mm_cmple_pd(below, most));
        const int pair = _mm_movemask_pd(_mm_and_pd(positive, _mm_and_pd(between, usable)));
        steady |= pair << s;
    }
    return steady;
}

}  // namespace read_positions
