#include "editor/DisplayConverters.h"

#include <cmath>
#include <cstdio>

#include "effect/SafeConvert.h"

namespace display {

void percent(float value, char* text, void*) {
    std::snprintf(text, kParamDisplayTextSize, "%d%%", truncToInt32(value * 100.0f));
}

void cents(float value, char* text, void*) {
    std::snprintf(text, kParamDisplayTextSize, "%dc", truncToInt32(value * 200.0 - 100.0));
}

void semitone(float value, char* text, void*) {
    const int n = truncToInt32(value * 48.0 + 0.5) - 24;
    if (n > 0)
        std::snprintf(text, kParamDisplayTextSize, "#%d", n);
    else if (n < 0)
        std::snprintf(text, kParamDisplayTextSize, "b%d", -n);
    else
        std::snprintf(text, kParamDisplayTextSize, "0");
}

void decibel(float value, char* text, void*) {
    if (!(static_cast<double>(value) > 1e-8)) {
        std::snprintf(text, kParamDisplayTextSize, "-oo dB");
        return;
    }
    const double d = 20.0 * static_cast<double>(std::log10(value));
    const int whole = truncToInt32(d);
    const int tenth = truncToInt32(std::fabs(d - whole) * 10.0);
    // Between -1 and 0 the whole part is 0, which would lose the sign.
    const char* format = (d >= 0.0 || d <= -1.0) ? "%d.%ddB" : "-%d.%ddB";
    std::snprintf(text, kParamDisplayTextSize, format, whole, tenth);
}

CParamDisplayValueToStringProc converterFor(layout::Converter converter) {
    switch (converter) {
    case layout::Converter::percent: return percent;
    case layout::Converter::cents: return cents;
    case layout::Converter::semitone: return semitone;
    case layout::Converter::decibel: return decibel;
    }
    return percent;
}

}  // namespace display
