// Twelve tuned string resonators, one per semitone from 110 Hz, fed with the
// mono sum of the input and mixed back with the dry signal.
//
// Threading: the setters may be called from any thread while process() runs
// on the audio thread; every engine value is a relaxed atomic read once per
// sample. A transposition change is only requested by its caller; the audio
// thread clears the lines and rewrites the read positions before its next
// sample, so a block never sees half of it. reset() and process() must not
// overlap (the host never suspends or resumes while processing).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

class ResonatorEngine {
public:
    static constexpr int kNumStrings = 12;
    static constexpr int kLineLength = 16384;  // samples per delay line
    static constexpr int kLineMask = kLineLength - 1;
    static constexpr int kClearedOnTranspose = 4096;  // samples zeroed at a transposition change
    static constexpr float kDenormalOffset = 1e-9f;

    struct StringInfo {
        double frequency;  // Hz, before transposition and tuning
        double detune;     // how far Detune moves this string
        double direction;  // +1 lengthens the delay (lower pitch), -1 shortens it
    };
    static const std::array<StringInfo, kNumStrings> kStrings;

    ResonatorEngine();  // allocates the twelve lines; state as after reset()

    // Engine values (any thread).
    void setOutputGain(float gain) { gain_.store(gain, std::memory_order_relaxed); }
    void setMix(float mix) { mix_.store(mix, std::memory_order_relaxed); }
    void setFeedback(float coefficient) { feedback_.store(coefficient, std::memory_order_relaxed); }
    void setDamping(float coefficient) { damping_.store(coefficient, std::memory_order_relaxed); }
    void setTuningTarget(float ratio) { tuningTarget_.store(ratio, std::memory_order_relaxed); }
    void setDetuneTarget(float amount) { detuneTarget_.store(amount, std::memory_order_relaxed); }
    void setBypass(std::int32_t on) { bypass_.store(on, std::memory_order_relaxed); }
    void setSampleRate(float rate) { sampleRate_.store(rate, std::memory_order_relaxed); }
    // Moves all strings at once (no glide); the audio thread then clears the
    // first quarter of every line and recomputes the read positions.
    void setTransposition(float ratio);

    float transpositionTarget() const { return transpositionTarget_.load(std::memory_order_relaxed); }
    float feedback() const { return feedback_.load(std::memory_order_relaxed); }
    float damping() const { return damping_.load(std::memory_order_relaxed); }
    float outputGain() const { return gain_.load(std::memory_order_relaxed); }
    float mix() const { return mix_.load(std::memory_order_relaxed); }
    float tuningTarget() const { return tuningTarget_.load(std::memory_order_relaxed); }
    float detuneTarget() const { return detuneTarget_.load(std::memory_order_relaxed); }
    std::int32_t bypass() const { return bypass_.load(std::memory_order_relaxed); }
    float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

    // Clears the strings and ends every glide.
    void reset();

    // One block. outR null: a single output receives (L + R)·gain·0.5.
    // inR may equal inL. Nothing happens for n <= 0.
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t n);

    // Audio-thread state, for inspection between blocks.
    const float* line(int string) const { return lines_[string].get(); }
    std::int32_t readPosition(int string) const { return readPos_[string]; }
    std::int32_t writePosition() const { return writePos_; }
    float currentTuning() const { return tuning_; }
    float currentDetune() const { return detune_; }
    float currentTransposition() const { return transposition_; }

private:
    void applyPendingTransposition();
    void updateReadPositions(double fs);

    // Engine values written by parameter changes.
    std::atomic<float> gain_{0.0f};
    std::atomic<float> mix_{0.0f};
    std::atomic<float> feedback_{0.0f};
    std::atomic<float> damping_{0.0f};
    std::atomic<float> tuningTarget_{1.0f};
    std::atomic<float> detuneTarget_{0.0f};
    std::atomic<float> transpositionTarget_{1.0f};
    std::atomic<std::int32_t> bypass_{0};
    std::atomic<float> sampleRate_{44100.0f};
    // The rate in force when the transposition changed: the new read
    // positions are those of that moment, even if the rate changes before
    // the audio thread takes them up.
    std::atomic<float> transpositionSampleRate_{44100.0f};
    std::atomic<bool> transpositionPending_{false};

    // Owned by the audio thread.
    std::array<std::unique_ptr<float[]>, kNumStrings> lines_;
    std::array<std::int32_t, kNumStrings> readPos_{};
    std::array<float, kNumStrings> lowpass_{};
    std::int32_t writePos_ = kLineMask;
    float tuning_ = 1.0f;
    float detune_ = 0.0f;
    float transposition_ = 1.0f;
};
