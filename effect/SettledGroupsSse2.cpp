// The group kernels with SSE2, which every x86-64 processor has: steps of
// four samples, the twelve strings in three vectors.
#include <emmintrin.h>

#include "effect/SettledGroupsKernel.h"

namespace {

struct Sse2 {
    static constexpr int kLanes = 4;

    struct Time {
        __m128 v;
        GROUP_INLINE Time operator+(Time b) const { return {_mm_add_ps(v, b.v)}; }
        GROUP_INLINE Time operator-(Time b) const { return {_mm_sub_ps(v, b.v)}; }
        GROUP_INLINE Time operator*(Time b) const { return {_mm_mul_ps(v, b.v)}; }
    };
    struct Wide {
        __m128d lo, hi;  // samples 0-1, 2-3
        GROUP_INLINE Wide operator+(Wide b) const { return {_mm_add_pd(lo, b.lo), _mm_add_pd(hi, b.hi)}; }
        GROUP_INLINE Wide operator-(Wide b) const { return {_mm_sub_pd(lo, b.lo), _mm_sub_pd(hi, b.hi)}; }
        GROUP_INLINE Wide operator*(Wide b) const { return {_mm_mul_pd(lo, b.lo), _mm_mul_pd(hi, b.hi)}; }
    };
    struct Strings {
        __m128 a, b, c;  // strings 0-3, 4-7, 8-11
        GROUP_INLINE Strings operator+(Strings o) const {
            return {_mm_add_ps(a, o.a), _mm_add_ps(b, o.b), _mm_add_ps(c, o.c)};
        }
        GROUP_INLINE Strings operator-(Strings o) const {
            return {_mm_sub_ps(a, o.a), _mm_sub_ps(b, o.b), _mm_sub_ps(c, o.c)};
        }
        GROUP_INLINE Strings operator*(Strings o) const {
            return {_mm_mul_ps(a, o.a), _mm_mul_ps(b, o.b), _mm_mul_ps(c, o.c)};
        }
    };

    GROUP_INLINE static Time load(const float* p) { return {_mm_loadu_ps(p)}; }
    GROUP_INLINE static void store(float* p, Time x) { _mm_storeu_ps(p, x.v); }
    GROUP_INLINE static Time broadcast(float x) { return {_mm_set1_ps(x)}; }
    GROUP_INLINE static Time alternating(float e) { return {_mm_setr_ps(e, -e, e, -e)}; }

    GROUP_INLINE static Time from(Time a, Time b, int lane) {
        const __m128 take = _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_setr_epi32(1, 2, 3, 4), _mm_set1_epi32(lane)));
        return {_mm_or_ps(_mm_and_ps(take, b.v), _mm_andnot_ps(take, a.v))};
    }

    GROUP_INLINE static Wide broadcastWide(double x) { return {_mm_set1_pd(x), _mm_set1_pd(x)}; }
    GROUP_INLINE static Wide widen(Time x) { return {_mm_cvtps_pd(x.v), _mm_cvtps_pd(_mm_movehl_ps(x.v, x.v))}; }
    GROUP_INLINE static Time narrow(Wide x) { return {_mm_movelh_ps(_mm_cvtpd_ps(x.lo), _mm_cvtpd_ps(x.hi))}; }

    GROUP_INLINE static Strings loadStrings(const float* p) {
        return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4), _mm_loadu_ps(p + 8)};
    }
    GROUP_INLINE static void storeStrings(float* p, Strings x) {
        _mm_storeu_ps(p, x.a);
        _mm_storeu_ps(p + 4, x.b);
        _mm_storeu_ps(p + 8, x.c);
    }
    GROUP_INLINE static Strings broadcastStrings(float x) { return {_mm_set1_ps(x), _mm_set1_ps(x), _mm_set1_ps(x)}; }

    // Strings 4q..4q+3 over four samples, one way or the other: a 4×4
    // transpose of each quad q.
    GROUP_INLINE static void transpose(__m128 quads[3][4]) {
        #pragma GCC unroll 8
        for (int q = 0; q < 3; ++q) _MM_TRANSPOSE4_PS(quads[q][0], quads[q][1], quads[q][2], quads[q][3]);
    }

    GROUP_INLINE static void toStrings(const Time y[12], Strings s[4]) {
        __m128 quads[3][4];
        #pragma GCC unroll 12
        for (int k = 0; k < 12; ++k) quads[k / 4][k % 4] = y[k].v;
        transpose(quads);
        #pragma GCC unroll 8
        for (int j = 0; j < 4; ++j) s[j] = {quads[0][j], quads[1][j], quads[2][j]};
    }
    GROUP_INLINE static void toTime(const Strings s[4], Time y[12]) {
        __m128 quads[3][4];
        #pragma GCC unroll 8
        for (int j = 0; j < 4; ++j) {
            quads[0][j] = s[j].a;
            quads[1][j] = s[j].b;
            quads[2][j] = s[j].c;
        }
        transpose(quads);
        #pragma GCC unroll 12
        for (int k = 0; k < 12; ++k) y[k] = {quads[k / 4][k % 4]};
    }
};

}  // namespace

const settled_groups::Kernels settled_groups::kSse2 = kernelsOf<Sse2>();
