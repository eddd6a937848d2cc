#include "effect/ResonatorEngine.h"

#include <algorithm>
#include <cmath>

#include "effect/SafeConvert.h"

// The twelve semitones from 110 Hz, to the digits given (not computed), with
// how far and in which direction Detune moves each string.
const std::array<ResonatorEngine::StringInfo, ResonatorEngine::kNumStrings> ResonatorEngine::kStrings = {{
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

ResonatorEngine::ResonatorEngine() {
    for (auto& line : lines_) line = std::make_unique<float[]>(kLineLength);  // zeroed
}

void ResonatorEngine::setTransposition(float ratio) {
    transpositionTarget_.store(ratio, std::memory_order_relaxed);
    transpositionSampleRate_.store(sampleRate_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    transpositionPending_.store(true, std::memory_order_release);
}

void ResonatorEngine::reset() {
    for (auto& line : lines_) std::fill_n(line.get(), kLineLength, 0.0f);
    lowpass_.fill(0.0f);
    writePos_ = kLineMask;
    transpositionPending_.store(false, std::memory_order_relaxed);
    transposition_ = transpositionTarget_.load(std::memory_order_relaxed);
    tuning_ = tuningTarget_.load(std::memory_order_relaxed);
    detune_ = detuneTarget_.load(std::memory_order_relaxed);
    // Stale read positions could point at the write position, and the first
    // sample would then hear its own excitation as a click.
    updateReadPositions(sampleRate_.load(std::memory_order_relaxed));
}

void ResonatorEngine::applyPendingTransposition() {
    if (!transpositionPending_.exchange(false, std::memory_order_acquire)) return;
    transposition_ = transpositionTarget_.load(std::memory_order_relaxed);
    // Shorter or longer strings start from silence; older signal further
    // back in the lines is kept.
    for (auto& line : lines_) std::fill_n(line.get(), kClearedOnTranspose, 0.0f);
    updateReadPositions(transpositionSampleRate_.load(std::memory_order_relaxed));
}

void ResonatorEngine::updateReadPositions(double fs) {
    const double ratio = tuning_ * transposition_;  // product in float32
    const double detune = detune_;
    for (int s = 0; s < kNumStrings; ++s) {
        const StringInfo& string = kStrings[s];
        double delay = (fs + string.direction * (0.015 * fs) * string.detune * detune) / (ratio * string.frequency);
        readPos_[s] = truncToInt32(writePos_ - delay + 16384.0) & kLineMask;
    }
}

void ResonatorEngine::process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t n) {
    float offset = kDenormalOffset;  // +1e-9 at the first sample of every block
    for (std::int32_t i = 0; i < n; ++i) {
        if (transpositionPending_.load(std::memory_order_relaxed)) applyPendingTransposition();
        const float gain = gain_.load(std::memory_order_relaxed);
        const float mix = mix_.load(std::memory_order_relaxed);
        const float feedback = feedback_.load(std::memory_order_relaxed);
        const float damping = damping_.load(std::memory_order_relaxed);

        // Input: with bypass on the strings only receive the offset and ring out.
        float dryL, dryR;
        double excitation;
        if (bypass_.load(std::memory_order_relaxed) == 0) {
            dryL = inL[i] + offset;
            dryR = inR[i] + offset;
            excitation = 0.5 * static_cast<double>(dryL + dryR);
        } else {
            dryL = inL[i];
            dryR = inR[i];
            excitation = offset;
        }
        offset = -offset;

        // The one-pole lowpass and the gain in each string's loop.
        for (int s = 0; s < kNumStrings; ++s) {
            const float y = lines_[s][readPos_[s]];
            lowpass_[s] = lowpass_[s] + (y - lowpass_[s]) * damping;
        }
        for (int s = 0; s < kNumStrings; ++s)
            lines_[s][writePos_] = static_cast<float>(static_cast<double>(lowpass_[s] * feedback) + excitation);

        // Each side: six strings' lowpass outputs and six raw taps of the
        // other strings' lines at mirrored strings' delays. Summed in float32
        // in exactly this order.
        const auto& lp = lowpass_;
        auto tap = [this](int line, int position) { return lines_[line][readPos_[position]]; };
        float sumL = lp[0];
        sumL += lp[2];
        sumL += lp[4];
        sumL += lp[6];
        sumL += lp[8];
        sumL += lp[10];
        sumL += tap(1, 10);
        sumL += tap(3, 8);
        sumL += tap(5, 6);
        sumL += tap(7, 4);
        sumL += tap(9, 2);
        sumL += tap(11, 0);
        float sumR = lp[3];
        sumR += lp[1];
        sumR += lp[5];
        sumR += lp[7];
        sumR += lp[9];
        sumR += lp[11];
        sumR += tap(0, 11);
        sumR += tap(2, 9);
        sumR += tap(4, 7);
        sumR += tap(6, 5);
        sumR += tap(8, 3);
        sumR += tap(10, 1);

        const auto left = static_cast<float>(dryL + (0.075 * sumL - dryL) * mix);
        const auto right = static_cast<float>(dryR + (0.075 * sumR - dryR) * mix);

        // Detune glides exponentially and snaps to its target when close.
        const float detuneTarget = detuneTarget_.load(std::memory_order_relaxed);
        const float detuneDelta = detuneTarget - detune_;
        if (std::fabs(detuneDelta) > 0.002)
            detune_ = static_cast<float>(detune_ + 0.00075 * detuneDelta);
        else
            detune_ = detuneTarget;

        // Tune ramps by at most 0.00002 per sample, then glides exponentially.
        const float tuningTarget = tuningTarget_.load(std::memory_order_relaxed);
        const float tuningDelta = tuningTarget - tuning_;
        if (std::fabs(tuningDelta) > 0.0015) {
            const auto candidate = static_cast<float>(tuning_ + 0.00025 * tuningDelta);
            if (std::fabs(candidate - tuning_) > 0.00002)
                tuning_ = static_cast<float>(candidate > tuning_ ? tuning_ + 0.00002 : tuning_ - 0.00002);
            else
                tuning_ = candidate;
        } else {
            tuning_ = tuningTarget;
        }

        updateReadPositions(sampleRate_.load(std::memory_order_relaxed));

        if (outR) {
            outL[i] = left * gain;
            outR[i] = right * gain;
        } else {
            const float sum = right + left;
            outL[i] = static_cast<float>((sum * gain) * 0.5);
        }

        writePos_ = (writePos_ + 1) & kLineMask;
        for (auto& position : readPos_) position = (position + 1) & kLineMask;
    }
}
