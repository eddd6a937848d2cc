#include "ReferenceEngine.h"

#include <xmmintrin.h>

#include <cmath>
#include <limits>

namespace reference {

const std::array<StringTuning, kStrings> kStringTable = {{
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

namespace {

// Conversion toward zero. Values outside the int32 range (possible only with
// absurd parameter values) saturate, NaN gives 0, so the model stays defined.
std::int32_t towardZero(double x) {
    if (!(x == x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

}  // namespace

namespace formulas {

float outputGain(float v) {
    const float square = v * v;
    return square * 4.0f;
}

float feedback(float decay, float transposition) {
    const double perPass = std::pow(1.02, std::sqrt(static_cast<double>(decay))) / 1.0205;
    const double exponent = 1.0 / (0.25 * static_cast<double>(transposition));
    return static_cast<float>(std::pow(perPass, exponent));
}

float damping(float v) {
    return static_cast<float>(std::pow(1.84, 1.0 - static_cast<double>(v)) / 1.845);
}

std::int32_t transposeStep(float v) {
    return towardZero(48.0 * static_cast<double>(v) + 0.5);
}

float transposition(std::int32_t step) {
    const double k = step;
    return static_cast<float>(std::pow(16.0, k / 48.0) * 0.25);
}

float tuningRatio(float v) {
    return static_cast<float>(std::pow(1.12246, static_cast<double>(v)) / 1.05946);
}

std::int32_t bypassSwitch(float v) {
    return towardZero(static_cast<double>(v) + 0.5);
}

}  // namespace formulas

ReferenceEngine::ReferenceEngine() {
    for (auto& line : lines_) line.assign(kLineLength, 0.0f);
    reset();
}

void ReferenceEngine::reset() {
    for (auto& line : lines_)
        for (float& sample : line) sample = 0.0f;
    for (float& state : lowpass_) state = 0.0f;
    writePosition_ = kLineMask;
    transposition_ = transpositionTarget_;
    tuning_ = tuningTarget;
    detune_ = detuneTarget;
    positionsStale_ = true;
}

std::int32_t ReferenceEngine::computeReadPosition(int s) const {
    const StringTuning& string = kStringTable[s];
    const double fs = sampleRate;
    const float r = tuning_ * transposition_;  // float32 product
    const double d = detune_;
    const double numerator = fs + string.sign * (0.015 * fs) * string.detuneFactor * d;
    const double denominator = static_cast<double>(r) * string.frequency;
    const double delay = numerator / denominator;
    const double position = static_cast<double>(writePosition_) - delay + 16384.0;
    return towardZero(position) & kLineMask;
}

void ReferenceEngine::recomputeReadPositions() {
    for (int s = 0; s < kStrings; ++s) readPositions_[s] = computeReadPosition(s);
}

void ReferenceEngine::applyTransposition(float ratio) {
    transpositionTarget_ = ratio;
    transposition_ = ratio;
    for (auto& line : lines_)
        for (int i = 0; i < kZeroedOnTranspose; ++i) line[i] = 0.0f;
    recomputeReadPositions();
}

void ReferenceEngine::process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames) {
    if (frames <= 0) return;
    if (inR == nullptr) inR = inL;
    // Flush to zero (0x8000) and denormals are zero (0x0040), for this call.
    const unsigned callersControl = _mm_getcsr();
    if (flushDenormals) _mm_setcsr(callersControl | 0x8040u);
    if (positionsStale_) {
        recomputeReadPositions();
        positionsStale_ = false;
    }

    float epsilon = 1e-9f;
    for (std::int32_t n = 0; n < frames; ++n) {
        // 1. Input.
        float dryL;
        float dryR;
        double excitation;
        if (bypass == 0) {
            const float xL = inL[n] + epsilon;
            const float xR = inR[n] + epsilon;
            dryL = xL;
            dryR = xR;
            const float sum = xL + xR;
            excitation = 0.5 * static_cast<double>(sum);
        } else {
            dryL = inL[n];
            dryR = inR[n];
            excitation = static_cast<double>(epsilon);
        }
        epsilon = -epsilon;

        // 2. Lowpass, one string after the other.
        for (int s = 0; s < kStrings; ++s) {
            const float y = lines_[s][readPositions_[s]];
            const float difference = y - lowpass_[s];
            const float step = difference * damping;
            lowpass_[s] = lowpass_[s] + step;
        }

        // 3. Feedback write.
        for (int s = 0; s < kStrings; ++s) {
            const float product = lowpass_[s] * feedback;
            lines_[s][writePosition_] = static_cast<float>(static_cast<double>(product) + excitation);
        }

        // 4. Sums, after the writes, with this sample's read positions.
        //    Left: lowpass of strings 0 2 4 6 8 10, then line 1 at string 10's
        //    position, line 3 at 8's, ... line 11 at 0's. Right: lowpass of
        //    3 1 5 7 9 11, then line 0 at 11's, line 2 at 9's, ... line 10 at 1's.
        static constexpr int kLeftLowpass[6] = {0, 2, 4, 6, 8, 10};
        static constexpr int kRightLowpass[6] = {3, 1, 5, 7, 9, 11};
        static constexpr int kLeftTaps[6][2] = {{1, 10}, {3, 8}, {5, 6}, {7, 4}, {9, 2}, {11, 0}};
        static constexpr int kRightTaps[6][2] = {{0, 11}, {2, 9}, {4, 7}, {6, 5}, {8, 3}, {10, 1}};
        float sumL = lowpass_[kLeftLowpass[0]];
        for (int i = 1; i < 6; ++i) sumL = sumL + lowpass_[kLeftLowpass[i]];
        for (const auto& tap : kLeftTaps) sumL = sumL + lines_[tap[0]][readPositions_[tap[1]]];
        float sumR = lowpass_[kRightLowpass[0]];
        for (int i = 1; i < 6; ++i) sumR = sumR + lowpass_[kRightLowpass[i]];
        for (const auto& tap : kRightTaps) sumR = sumR + lines_[tap[0]][readPositions_[tap[1]]];

        // 5. Wet and dry in double.
        const double mixD = mix;
        const double wetL = 0.075 * static_cast<double>(sumL);
        const double wetR = 0.075 * static_cast<double>(sumR);
        const float L = static_cast<float>(static_cast<double>(dryL) + (wetL - static_cast<double>(dryL)) * mixD);
        const float R = static_cast<float>(static_cast<double>(dryR) + (wetR - static_cast<double>(dryR)) * mixD);

        // 6. Detune glide.
        const float detuneDelta = detuneTarget - detune_;
        if (std::fabs(static_cast<double>(detuneDelta)) > 0.002)
            detune_ = static_cast<float>(static_cast<double>(detune_) + 0.00075 * static_cast<double>(detuneDelta));
        else
            detune_ = detuneTarget;

        // 7. Tune glide.
        const float tuningDelta = tuningTarget - tuning_;
        if (std::fabs(static_cast<double>(tuningDelta)) > 0.0015) {
            const float candidate =
                static_cast<float>(static_cast<double>(tuning_) + 0.00025 * static_cast<double>(tuningDelta));
            const float moved = candidate - tuning_;
            if (std::fabs(static_cast<double>(moved)) > 0.00002) {
                const double limited = candidate > tuning_ ? static_cast<double>(tuning_) + 0.00002
                                                           : static_cast<double>(tuning_) - 0.00002;
                tuning_ = static_cast<float>(limited);
            } else {
                tuning_ = candidate;
            }
        } else {
            tuning_ = tuningTarget;
        }

        // 8. Read positions from this sample's write position.
        recomputeReadPositions();

        // 9. Output.
        if (outR == nullptr) {
            const float both = R + L;
            const float scaled = both * gain;
            outL[n] = static_cast<float>(static_cast<double>(scaled) * 0.5);
        } else {
            outL[n] = L * gain;
            outR[n] = R * gain;
        }

        // 10. Advance.
        writePosition_ = (writePosition_ + 1) & kLineMask;
        for (auto& position : readPositions_) position = (position + 1) & kLineMask;
    }
    _mm_setcsr(callersControl);
}

void ReferenceEffect::setParameter(int index, float v) {
    if (index < 0 || index >= 8) return;
    values_[index] = v;
    switch (index) {
    case 0: engine.gain = formulas::outputGain(v); break;
    case 1: engine.mix = v; break;
    case 2: engine.feedback = formulas::feedback(v, engine.transpositionTarget()); break;
    case 3: engine.damping = formulas::damping(v); break;
    case 4: {
        const float ratio = formulas::transposition(formulas::transposeStep(v));
        if (ratio == engine.transpositionTarget()) break;
        engine.applyTransposition(ratio);
        engine.feedback = formulas::feedback(values_[2], ratio);
        break;
    }
    case 5: engine.tuningTarget = formulas::tuningRatio(v); break;
    case 6: engine.detuneTarget = v; break;
    case 7: engine.bypass = formulas::bypassSwitch(v); break;
    default: break;
    }
}

}  // namespace reference
