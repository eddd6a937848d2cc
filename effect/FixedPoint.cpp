#include "effect/FixedPoint.h"

#include <cmath>
#include <cstring>

void formatFixed(float value, char* text, int decimals) {
    const double number = value;
    if (!(number <= 99999999.0) || number < -9999999.0) return;  // NaN too

    constexpr int kWidth = 8;
    char digits[kWidth + 1] = {};
    int length = 0;
    double magnitude = value;
    if (value < 0.0f) {
        digits[length++] = '-';
        magnitude = -magnitude;
    }
    double integerPart = std::floor(magnitude);
    double fraction = magnitude - integerPart;

    char reversed[12];
    int count = 0;
    auto integer = static_cast<long long>(integerPart);
    do {
        reversed[count++] = static_cast<char>('0' + integer % 10);
        integer /= 10;
    } while (integer > 0);
    while (count > 0 && length < kWidth) digits[length++] = reversed[--count];

    const int pointAt = length;
    if (length < kWidth) digits[length++] = '.';
    while (length < kWidth) {
        fraction *= 10.0;
        int digit = static_cast<int>(fraction);
        if (digit > 9) digit = 9;
        digits[length++] = static_cast<char>('0' + digit);
        fraction -= digit;
    }

    int keep = decimals <= 0 ? pointAt : pointAt + 1 + decimals;
    if (keep > length) keep = length;
    std::memcpy(text, digits, static_cast<size_t>(keep));
    text[keep] = 0;
}
