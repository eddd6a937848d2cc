// Small helpers shared by the engine tests: stand-in hosts, deterministic
// signals and bit-level float helpers.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "ReferenceEngine.h"
#include "effect/Corvane.h"

namespace enginetest {

// The instruction set every engine of this run should use: the widest the
// processor has, or SSE2 when the run was started with --instruction-set=sse2
// (see EngineTestMain.cpp).
inline ResonatorEngine::InstructionSet expectedInstructionSet = ResonatorEngine::widestSupported();

// A host that knows VST 2.4 and reports every pin as connected (0 = connected).
inline VstIntPtr connectedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterPinConnected: return 0;
    default: return 0;
    }
}

// A host that reports the second input and output pins as not connected.
inline VstIntPtr secondPinUnconnectedHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterPinConnected: return index == 1 ? 1 : 0;
    default: return 0;
    }
}

inline std::unique_ptr<Corvane> makeEffect(audioMasterCallback host = connectedHost) {
    return std::make_unique<Corvane>(host);
}

inline std::uint32_t bits(float x) {
    std::uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

inline float fromBits(std::uint32_t b) {
    float x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// Deterministic generator (xorshift32), identical on every platform.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // [0, 1)
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    // [-1, 1)
    float bipolar() { return unit() * 2.0f - 1.0f; }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t state_;
};

enum class Signal { Noise, Impulses, Sines, Silence };
inline constexpr Signal kAllSignals[] = {Signal::Noise, Signal::Impulses, Signal::Sines, Signal::Silence};

inline const char* name(Signal s) {
    switch (s) {
    case Signal::Noise: return "noise";
    case Signal::Impulses: return "impulses";
    case Signal::Sines: return "sines";
    case Signal::Silence: return "silence";
    }
    return "?";
}

// A stereo test signal, handed out block after block.
class SignalSource {
public:
    SignalSource(Signal kind, std::uint32_t seed) : kind_(kind), random_(seed) {}

    void fill(float* left, float* right, int frames) {
        for (int i = 0; i < frames; ++i, ++position_) {
            switch (kind_) {
            case Signal::Noise:
                left[i] = random_.bipolar();
                right[i] = random_.bipolar() * 0.5f;
                break;
            case Signal::Impulses:
                left[i] = position_ % 997 == 0 ? 1.0f : 0.0f;
                right[i] = position_ % 1499 == 3 ? -0.75f : 0.0f;
                break;
            case Signal::Sines:
                left[i] = static_cast<float>(0.8 * std::sin(position_ * 0.031));
                right[i] = static_cast<float>(0.5 * std::sin(position_ * 0.0173 + 1.0));
                break;
            case Signal::Silence:
                left[i] = 0.0f;
                right[i] = 0.0f;
                break;
            }
        }
    }

private:
    Signal kind_;
    Random random_;
    long position_ = 0;
};

struct StereoBlock {
    explicit StereoBlock(int frames) : inL(frames), inR(frames), outL(frames), outR(frames) {}
    std::vector<float> inL, inR, outL, outR;
};

inline VstSpeakerArrangement arrangement(VstInt32 channels) {
    VstSpeakerArrangement a{};
    a.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    a.numChannels = channels;
    return a;
}

// The same engine values for the effect's engine and the plain model, both
// reset after.
struct EngineValues {
    float gain = 1.0f, mix = 0.5f, feedback = 0.9f, damping = 0.8f;
    float tuningTarget = 1.0f, detuneTarget = 0.0f, sampleRate = 44100.0f;

    void applyTo(ResonatorEngine& engine, reference::ReferenceEngine& model) const {
        engine.setOutputGain(model.gain = gain);
        engine.setMix(model.mix = mix);
        engine.setFeedback(model.feedback = feedback);
        engine.setDamping(model.damping = damping);
        engine.setTuningTarget(model.tuningTarget = tuningTarget);
        engine.setDetuneTarget(model.detuneTarget = detuneTarget);
        engine.setSampleRate(model.sampleRate = sampleRate);
        engine.reset();
        model.reset();
    }
};

}  // namespace enginetest
