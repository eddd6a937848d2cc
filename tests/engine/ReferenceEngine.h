// A plain, unoptimised model of the string resonator and of the formulas that
// turn normalised parameter values into engine values. It is written for
// clarity, one sample and one string at a time, with every float32/double step
// spelled out, and serves as the yardstick that the effect's engine must match
// bit for bit. It knows nothing of the effect's code.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace reference {

inline constexpr int kStrings = 12;
inline constexpr int kLineLength = 16384;
inline constexpr int kLineMask = 16383;
inline constexpr int kZeroedOnTranspose = 4096;

struct StringTuning {
    double frequency;  // Hz
    double detuneFactor;
    double sign;  // +1: Detune lengthens the delay, -1: shortens it
};
extern const std::array<StringTuning, kStrings> kStringTable;

// Normalised value -> engine value, double precision, stored as float32.
namespace formulas {
float outputGain(float v);                         // (v·v)·4 in float32
float feedback(float decay, float transposition);  // (1.02^√v / 1.0205)^(1 / (0.25·T))
float damping(float v);                            // 1.84^(1−v) / 1.845
std::int32_t transposeStep(float v);               // (int)(48·v + 0.5)
float transposition(std::int32_t step);            // 16^(k/48)·0.25
float tuningRatio(float v);                        // 1.12246^v / 1.05946
std::int32_t bypassSwitch(float v);                // (int)(v + 0.5)
}  // namespace formulas

class ReferenceEngine {
public:
    ReferenceEngine();  // lines silent, state as after reset()

    // Engine values: plain inputs, set between blocks.
    float gain = 0.0f;
    float mix = 0.0f;
    float feedback = 0.0f;
    float damping = 0.0f;
    std::int32_t bypass = 0;
    float tuningTarget = 1.0f;
    float detuneTarget = 0.0f;
    float sampleRate = 44100.0f;

    // The effect processes with denormal results flushed to zero and
    // denormal operands read as zero (the strings decay into denormals when
    // they read silence, as after a Transpose change clears a quarter of
    // every line); so does the model, unless this is false.
    bool flushDenormals = true;

    // A new transposition ratio: target and current at once, indices
    // 0..4095 of every line cleared, read positions recomputed now.
    void applyTransposition(float ratio);
    float transpositionTarget() const { return transpositionTarget_; }

    void reset();

    // inR null: the left input feeds both sides. outR null: one output
    // buffer receives (R + L)·gain·0.5.
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames);

    const std::vector<float>& line(int s) const { return lines_[s]; }
    std::int32_t readPosition(int s) const { return readPositions_[s]; }
    std::int32_t writePosition() const { return writePosition_; }
    float lowpass(int s) const { return lowpass_[s]; }
    float currentTuning() const { return tuning_; }
    float currentDetune() const { return detune_; }
    float currentTransposition() const { return transposition_; }

private:
    std::int32_t computeReadPosition(int s) const;
    void recomputeReadPositions();

    std::array<std::vector<float>, kStrings> lines_;
    std::array<std::int32_t, kStrings> readPositions_{};
    std::array<float, kStrings> lowpass_{};
    std::int32_t writePosition_ = kLineMask;
    float tuning_ = 1.0f;
    float detune_ = 0.0f;
    float transposition_ = 1.0f;
    float transpositionTarget_ = 1.0f;
    // After a reset the read positions are derived before the first sample
    // reads through them, so nothing from before the reset is ever heard.
    bool positionsStale_ = true;
};

// The parameter side of the effect: the eight stored values and the engine
// values computed from them, as a change of each parameter defines it.
class ReferenceEffect {
public:
    ReferenceEngine engine;

    void setParameter(int index, float v);
    float parameter(int index) const { return values_[index]; }

private:
    std::array<float, 8> values_{};
};

}  // namespace reference
