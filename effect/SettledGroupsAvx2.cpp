// The group kernels with AVX2: steps of eight samples, strings 0-7 in one
// 256-bit vector and 8-11 in a 128-bit one, so that the recurrence runs as
// two independent chains. Only this file is built with -mavx2 (never with
// -mfma: the products and sums must stay separate roundings); the engine
// calls these kernels only on processors that have AVX2.
#include <immintrin.h>

#include "effect/SettledGroupsKernel.h"

namespace {

struct Avx2 {
    static constexpr int kLanes = 8;

    struct Time {
        __m256 v;
        GROUP_INLINE Time operator+(Time b) const { return {_mm256_add_ps(v, b.v)}; }
        GROUP_INLINE Time operator-(Time b) const { return {_mm256_sub_ps(v, b.v)}; }
        GROUP_INLINE Time operator*(Time b) const { return {_mm256_mul_ps(v, b.v)}; }
    };
    struct Wide {
        __m256d lo, hi;  // samples 0-3, 4-7
        GROUP_INLINE Wide operator+(Wide b) const { return {_mm256_add_pd(lo, b.lo), _mm256_add_pd(hi, b.hi)}; }
        GROUP_INLINE Wide operator-(Wide b) const { return {_mm256_sub_pd(lo, b.lo), _mm256_sub_pd(hi, b.hi)}; }
        GROUP_INLINE Wide operator*(Wide b) const { return {_mm256_mul_pd(lo, b.lo), _mm256_mul_pd(hi, b.hi)}; }
    };
    struct Strings {
        __m256 a;  // strings 0-7
        __m128 b;  // strings 8-11
        GROUP_INLINE Strings operator+(Strings o) const { return {_mm256_add_ps(a, o.a), _mm_add_ps(b, o.b)}; }
        GROUP_INLINE Strings operator-(Strings o) const { return {_mm256_sub_ps(a, o.a), _mm_sub_ps(b, o.b)}; }
        GROUP_INLINE Strings operator*(Strings o) const { return {_mm256_mul_ps(a, o.a), _mm_mul_ps(b, o.b)}; }
    };

    GROUP_INLINE static Time load(const float* p) { return {_mm256_loadu_ps(p)}; }
    GROUP_INLINE static void store(float* p, Time x) { _mm256_storeu_ps(p, x.v); }
    GROUP_INLINE static Time broadcast(float x) { return {_mm256_set1_ps(x)}; }
    GROUP_INLINE static Time alternating(float e) { return {_mm256_setr_ps(e, -e, e, -e, e, -e, e, -e)}; }

    GROUP_INLINE static Time from(Time a, Time b, int lane) {
        const __m256i after = _mm256_cmpgt_epi32(_mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8), _mm256_set1_epi32(lane));
        return {_mm256_blendv_ps(a.v, b.v, _mm256_castsi256_ps(after))};
    }

    GROUP_INLINE static Wide broadcastWide(double x) { return {_mm256_set1_pd(x), _mm256_set1_pd(x)}; }
    GROUP_INLINE static Wide widen(Time x) {
        return {_mm256_cvtps_pd(_mm256_castps256_ps128(x.v)), _mm256_cvtps_pd(_mm256_extractf128_ps(x.v, 1))};
    }
    GROUP_INLINE static Time narrow(Wide x) {
        return {_mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(x.lo)), _mm256_cvtpd_ps(x.hi), 1)};
    }

    GROUP_INLINE static Strings loadStrings(const float* p) { return {_mm256_loadu_ps(p), _mm_loadu_ps(p + 8)}; }
    GROUP_INLINE static void storeStrings(float* p, Strings x) {
        _mm256_storeu_ps(p, x.a);
        _mm_storeu_ps(p + 8, x.b);
    }
    GROUP_INLINE static Strings broadcastStrings(float x) { return {_mm256_set1_ps(x), _mm_set1_ps(x)}; }

    // A 4×4 transpose within each 128-bit half of four rows.
    GROUP_INLINE static void transposeHalves(__m256* r) {
        const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]);
        const __m256 t1 = _mm256_unpackhi_ps(r[0], r[1]);
        const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]);
        const __m256 t3 = _mm256_unpackhi_ps(r[2], r[3]);
        r[0] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        r[1] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        r[2] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        r[3] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    }

    // Eight rows of eight become eight columns: rows 0-3 and 4-7 transposed
    // within their halves, then the halves swapped across.
    GROUP_INLINE static void transpose8(__m256 r[8]) {
        transposeHalves(r);
        transposeHalves(r + 4);
        #pragma GCC unroll 8
        for (int k = 0; k < 4; ++k) {
            const __m256 low = r[k], high = r[k + 4];
            r[k] = _mm256_permute2f128_ps(low, high, 0x20);
            r[k + 4] = _mm256_permute2f128_ps(low, high, 0x31);
        }
    }

    // Four rows of eight (strings 8-11 over samples 0-7) become eight
    // columns of four, and back: after the transpose within halves, row k
    // holds sample k in its low half and sample k + 4 in its high half.
    GROUP_INLINE static void fourRowsToColumns(const Time y[4], __m128 column[8]) {
        __m256 r[4] = {y[0].v, y[1].v, y[2].v, y[3].v};
        transposeHalves(r);
        #pragma GCC unroll 8
        for (int k = 0; k < 4; ++k) {
            column[k] = _mm256_castps256_ps128(r[k]);
            column[k + 4] = _mm256_extractf128_ps(r[k], 1);
        }
    }
    GROUP_INLINE static void columnsToFourRows(const __m128 column[8], Time y[4]) {
        __m256 r[4];
        #pragma GCC unroll 8
        for (int k = 0; k < 4; ++k) r[k] = _mm256_insertf128_ps(_mm256_castps128_ps256(column[k]), column[k + 4], 1);
        transposeHalves(r);
        #pragma GCC unroll 8
        for (int k = 0; k < 4; ++k) y[k] = {r[k]};
    }

    GROUP_INLINE static void toStrings(const Time y[12], Strings s[8]) {
        __m256 a[8];
        #pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) a[k] = y[k].v;
        transpose8(a);
        __m128 b[8];
        fourRowsToColumns(y + 8, b);
        #pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) s[j] = {a[j], b[j]};
    }
    GROUP_INLINE static void toTime(const Strings s[8], Time y[12]) {
        __m256 a[8];
        __m128 b[8];
        #pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) {
            a[j] = s[j].a;
            b[j] = s[j].b;
        }
        transpose8(a);
        #pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) y[k] = {a[k]};
        columnsToFourRows(b, y + 8);
    }
};

}  // namespace

const settled_groups::Kernels settled_groups::kAvx2 = kernelsOf<Avx2>();
