#include "effect/Parameters.h"

#include <cmath>
#include <cstring>

#include "effect/FixedPoint.h"
#include "effect/ResonatorEngine.h"
#include "effect/SafeConvert.h"

namespace formula {

float outputGain(float v) {
    return (v * v) * 4.0f;
}

// The largest coefficient values 0..1 can give (Decay 1 at +24 semitones).
// The loop gain never reaches 1, so no setting makes the strings grow forever.
static const float kMaxFeedback = static_cast<float>(1.02 / 1.0205);

float feedback(float decay, float transposition) {
    // sqrt of a negative Decay would be NaN and poison every string: below 0
    // the coefficient is that of Decay 0.
    double root = decay > 0.0f ? std::sqrt(static_cast<double>(decay)) : 0.0;
    double perPass = std::pow(1.02, root) / 1.0205;
    // The loss per second stays the same whatever the transposition.
    auto coefficient = static_cast<float>(std::pow(perPass, 1.0 / (0.25 * transposition)));
    return coefficient < kMaxFeedback ? coefficient : kMaxFeedback;  // NaN too
}

float damping(float v) {
    // Above 1 the lowpass would amplify its highest frequencies and the
    // strings would run away; 0..1 gives 0.54201 to 0.99729 and is untouched.
    auto coefficient = static_cast<float>(std::pow(1.84, 1.0 - v) / 1.845);
    return coefficient < 1.0f ? coefficient : 1.0f;
}

std::int32_t transposeStep(float v) {
    return truncToInt32(48.0 * v + 0.5);
}

float transposition(std::int32_t step) {
    return static_cast<float>(std::pow(16.0, step / 48.0) * 0.25);
}

float tuningRatio(float v) {
    return static_cast<float>(std::pow(1.12246, static_cast<double>(v)) / 1.05946);
}

std::int32_t bypassSwitch(float v) {
    return truncToInt32(static_cast<double>(v) + 0.5);
}

}  // namespace formula

void applyToEngine(ResonatorEngine& engine, std::int32_t index, float v, float decay) {
    switch (index) {
    case kOutput: engine.setOutputGain(formula::outputGain(v)); break;
    case kMix: engine.setMix(v); break;
    case kDecay: engine.setFeedback(formula::feedback(v, engine.transpositionTarget())); break;
    case kDamp: engine.setDamping(formula::damping(v)); break;
    case kTranspose: {
        const float ratio = formula::transposition(formula::transposeStep(v));
        if (ratio != engine.transpositionTarget()) {
            engine.setTransposition(ratio);
            engine.setFeedback(formula::feedback(decay, ratio));
        }
        break;
    }
    case kTune: engine.setTuningTarget(formula::tuningRatio(v)); break;
    case kDetune: engine.setDetuneTarget(v); break;
    case kBypass: engine.setBypass(formula::bypassSwitch(v)); break;
    default: break;
    }
}

void formatParameterDisplay(std::int32_t index, float v, char* text) {
    if (!isParameterIndex(index)) {
        std::strcpy(text, kUnknownParameterText);
        return;
    }
    const ParameterInfo& info = kParameterTable[index];
    switch (info.display) {
    case DisplayKind::Decibels: {
        float gain = formula::outputGain(v);
        if (gain <= 0.00001f)
            std::strcpy(text, "-oo");
        else
            formatFixed(static_cast<float>(20.0 * std::log10(gain)), text, info.decimals);
        break;
    }
    case DisplayKind::Percent:
        formatFixed(static_cast<float>(100.0 * v), text, info.decimals);
        break;
    case DisplayKind::Semitones:
        formatFixed(static_cast<float>(std::trunc((v - 0.5) * 48.0)), text, info.decimals);
        break;
    case DisplayKind::Cents:
        formatFixed(static_cast<float>((v - 0.5) * 200.0), text, info.decimals);
        break;
    case DisplayKind::Switch:
        std::strcpy(text, formula::bypassSwitch(v) != 0 ? " bypassed " : " process ");
        break;
    }
}
