// Float-to-integer conversion toward zero that stays defined for every input:
// hosts and files may hand us any float, and a plain cast of an out-of-range
// or NaN value is undefined behaviour. In range it equals the plain cast.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline std::int32_t truncToInt32(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}
