// The SSE floating-point environment processing runs in, for the lifetime of
// one object: every exception masked (a host that unmasks them must not get
// a trap from a NaN it fed in), rounding to nearest, denormal results
// flushed to zero and denormal operands read as zero. Decaying strings would
// otherwise spend many times the usual time per sample on denormals. The
// caller's control and status register comes back whole on leaving, its
// sticky exception flags included.
#pragma once

#include <xmmintrin.h>

class FloatEnvironment {
public:
    // Exception masks (0x1F80), round to nearest (0), flush to zero
    // (0x8000), denormals are zero (0x0040).
    static constexpr unsigned kControl = 0x1F80u | 0x8000u | 0x0040u;

    FloatEnvironment() : saved_(_mm_getcsr()) { _mm_setcsr(kControl); }
    ~FloatEnvironment() { _mm_setcsr(saved_); }
    FloatEnvironment(const FloatEnvironment&) = delete;
    FloatEnvironment& operator=(const FloatEnvironment&) = delete;

private:
    unsigned saved_;
};
