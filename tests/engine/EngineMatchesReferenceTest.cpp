// The effect's engine against the plain reference model: every output sample
// must have the same bits, and the engine state (positions, gliding values,
// line contents) must agree between blocks, whatever the signal, block size,
// sample rate, channel routing and parameter changes between blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/Parameters.h"

using namespace enginetest;

namespace {

constexpr float kSampleRates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
constexpr int kBlockSizes[] = {1, 7, 64, 512, 4096};

// How the host hands the channels over.
enum class Route {
    Stereo,
    RightInputMissing,      // inputs[1] == nullptr
    RightOutputMissing,     // outputs[1] == nullptr
    MonoToMono,             // speaker arrangement 1 in / 1 out
    MonoToStereo,           // speaker arrangement 1 in / 2 out
    StereoToMonoRefused,    // 2 in / 1 out: refused, stays stereo
    HostSaysUnconnected,    // pin 1 reported as not connected
    NoHostCallback,         // null callback: pins count as connected
};

const char* name(Route r) {
    switch (r) {
    case Route::Stereo: return "stereo";
    case Route::RightInputMissing: return "right input missing";
    case Route::RightOutputMissing: return "right output missing";
    case Route::MonoToMono: return "arrangement 1/1";
    case Route::MonoToStereo: return "arrangement 1/2";
    case Route::StereoToMonoRefused: return "arrangement 2/1";
    case Route::HostSaysUnconnected: return "pin 1 unconnected";
    case Route::NoHostCallback: return "no callback";
    }
    return "?";
}

std::string describeFloat(float x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g (0x%08X)", static_cast<double>(x), bits(x));
    return text;
}

// The effect and the reference model side by side, driven alike.
class Rig {
public:
    explicit Rig(Route route = Route::Stereo) : route_(route) {
        audioMasterCallback host = connectedHost;
        if (route == Route::HostSaysUnconnected) host = secondPinUnconnectedHost;
        if (route == Route::NoHostCallback) host = nullptr;
        effect_ = std::make_unique<Corvane>(host);

        VstSpeakerArrangement mono = arrangement(1);
        VstSpeakerArrangement stereo = arrangement(2);
        switch (route) {
        case Route::MonoToMono: EXPECT_TRUE(effect_->setSpeakerArrangement(&mono, &mono)); break;
        case Route::MonoToStereo: EXPECT_TRUE(effect_->setSpeakerArrangement(&mono, &stereo)); break;
        case Route::StereoToMonoRefused: EXPECT_FALSE(effect_->setSpeakerArrangement(&stereo, &mono)); break;
        default: break;
        }
        monoIn_ = route == Route::RightInputMissing || route == Route::MonoToMono ||
                  route == Route::MonoToStereo || route == Route::HostSaysUnconnected;
        monoOut_ = route == Route::RightOutputMissing || route == Route::MonoToMono ||
                   route == Route::HostSaysUnconnected;

        // The fresh effect holds the values of its first program; the model
        // takes the same values in index order and then a reset.
        for (int i = 0; i < kNumParameters; ++i) model_.setParameter(i, effect_->getParameter(i));
        model_.engine.sampleRate = effect_->getSampleRate();
        model_.engine.reset();
        EXPECT_TRUE(engineValuesAgree());
    }

    Corvane& effect() { return *effect_; }
    reference::ReferenceEngine& model() { return model_.engine; }
    long framesDone() const { return frames_; }

    ::testing::AssertionResult set(int index, float v) {
        effect_->setParameter(index, v);
        model_.setParameter(index, v);
        auto agree = engineValuesAgree();
        if (!agree) agree << " after setParameter(" << index << ", " << describeFloat(v) << ")";
        return agree;
    }

    void setSampleRate(float fs) {
        effect_->setSampleRate(fs);
        model_.engine.sampleRate = fs;
    }

    void resume() {
        effect_->resume();
        model_.engine.reset();
    }

    // The engine values the effect computed equal those of the formulas.
    ::testing::AssertionResult engineValuesAgree() {
        const ResonatorEngine& e = effect_->engine();
        const reference::ReferenceEngine& m = model_.engine;
        struct Pair {
            const char* what;
            float actual, expected;
        } pairs[] = {
            {"output gain", e.outputGain(), m.gain},
            {"mix", e.mix(), m.mix},
            {"feedback", e.feedback(), m.feedback},
            {"damping", e.damping(), m.damping},
            {"tuning target", e.tuningTarget(), m.tuningTarget},
            {"detune target", e.detuneTarget(), m.detuneTarget},
            {"transposition target", e.transpositionTarget(), m.transpositionTarget()},
            {"sample rate", e.sampleRate(), m.sampleRate},
        };
        for (const Pair& p : pairs)
            if (bits(p.actual) != bits(p.expected))
                return ::testing::AssertionFailure() << p.what << ": engine " << describeFloat(p.actual)
                                                     << ", formula " << describeFloat(p.expected);
        if ((e.bypass() != 0) != (m.bypass != 0))
            return ::testing::AssertionFailure() << "bypass: engine " << e.bypass() << ", formula " << m.bypass;
        return ::testing::AssertionSuccess();
    }

    // One block through both; every output sample must match bit for bit.
    // Zero or negative frames go through as they are, with buffers of one
    // sample that hold garbage.
    ::testing::AssertionResult process(SignalSource& source, int frames) {
        if (frames <= 0) return processNothing(frames);
        StereoBlock block(frames);
        source.fill(block.inL.data(), block.inR.data(), frames);
        if (monoIn_) block.inR = block.inL;  // what the model is given; the effect gets the route below
        std::vector<float> effectL(frames, std::numeric_limits<float>::quiet_NaN());
        std::vector<float> effectR(frames, std::numeric_limits<float>::quiet_NaN());
        std::vector<float> inRightForEffect = block.inR;
        if (route_ == Route::RightInputMissing || route_ == Route::MonoToMono || route_ == Route::MonoToStereo ||
            route_ == Route::HostSaysUnconnected) {
            // Give the effect a right input that differs: it must not be used.
            for (float& x : inRightForEffect) x = 0.25f;
        }
        float* inputs[2] = {block.inL.data(), inRightForEffect.data()};
        float* outputs[2] = {effectL.data(), effectR.data()};
        if (route_ == Route::RightInputMissing) inputs[1] = nullptr;
        if (route_ == Route::RightOutputMissing) outputs[1] = nullptr;
        effect_->processReplacing(inputs, outputs, frames);

        model_.engine.process(block.inL.data(), monoIn_ ? nullptr : block.inR.data(), block.outL.data(),
                              monoOut_ ? nullptr : block.outR.data(), frames);

        auto result = compare("left/single output", effectL, block.outL, frames);
        if (result && !monoOut_) result = compare("right output", effectR, block.outR, frames);
        if (result && monoOut_ && route_ != Route::RightOutputMissing) {
            for (int i = 0; i < frames; ++i)
                if (!std::isnan(effectR[i]))
                    return ::testing::AssertionFailure() << "second output written with a single output buffer";
        }
        frames_ += frames;
        if (!result) return result;
        return statesAgree(false);
    }

    // Write and read positions and the gliding values; the lines on request.
    ::testing::AssertionResult statesAgree(bool withLines) {
        const ResonatorEngine& e = effect_->engine();
        const reference::ReferenceEngine& m = model_.engine;
        if (e.writePosition() != m.writePosition())
            return ::testing::AssertionFailure() << "write position " << e.writePosition() << " vs "
                                                 << m.writePosition() << " after " << frames_ << " frames";
        for (int s = 0; s < 12; ++s)
            if (e.readPosition(s) != m.readPosition(s))
                return ::testing::AssertionFailure() << "read position of string " << s << ": " << e.readPosition(s)
                                                     << " vs " << m.readPosition(s) << " after " << frames_
                                                     << " frames";
        if (bits(e.currentTuning()) != bits(m.currentTuning()))
            return ::testing::AssertionFailure() << "current tuning " << describeFloat(e.currentTuning()) << " vs "
                                                 << describeFloat(m.currentTuning());
        if (bits(e.currentDetune()) != bits(m.currentDetune()))
            return ::testing::AssertionFailure() << "current detune " << describeFloat(e.currentDetune()) << " vs "
                                                 << describeFloat(m.currentDetune());
        if (bits(e.currentTransposition()) != bits(m.currentTransposition()))
            return ::testing::AssertionFailure() << "current transposition "
                                                 << describeFloat(e.currentTransposition()) << " vs "
                                                 << describeFloat(m.currentTransposition());
        if (withLines) {
            for (int s = 0; s < 12; ++s)
                if (std::memcmp(e.line(s), m.line(s).data(), sizeof(float) * reference::kLineLength) != 0) {
                    int i = 0;
                    while (bits(e.line(s)[i]) == bits(m.line(s)[i])) ++i;
                    return ::testing::AssertionFailure() << "line " << s << " differs first at index " << i << ": "
                                                         << describeFloat(e.line(s)[i]) << " vs "
                                                         << describeFloat(m.line(s)[i]);
                }
        }
        return ::testing::AssertionSuccess();
    }

private:
    ::testing::AssertionResult processNothing(int frames) {
        float garbage[2] = {5.0f, 6.0f};
        float effectOut[2] = {-7.0f, -7.0f};
        float modelOut[2] = {-7.0f, -7.0f};
        float* inputs[2] = {&garbage[0], &garbage[1]};
        float* outputs[2] = {&effectOut[0], &effectOut[1]};
        effect_->processReplacing(inputs, outputs, frames);
        model_.engine.process(&garbage[0], &garbage[1], &modelOut[0], &modelOut[1], frames);
        if (effectOut[0] != -7.0f || effectOut[1] != -7.0f)
            return ::testing::AssertionFailure() << "output written for a block of " << frames << " frames";
        return statesAgree(true);
    }

    ::testing::AssertionResult compare(const char* what, const std::vector<float>& actual,
                                       const std::vector<float>& expected, int frames) {
        if (std::memcmp(actual.data(), expected.data(), sizeof(float) * frames) == 0)
            return ::testing::AssertionSuccess();
        int i = 0;
        while (bits(actual[i]) == bits(expected[i])) ++i;
        return ::testing::AssertionFailure() << what << " differs at sample " << frames_ + i << " (route "
                                             << name(route_) << "): engine " << describeFloat(actual[i])
                                             << ", reference " << describeFloat(expected[i]);
    }

    Route route_;
    bool monoIn_ = false;
    bool monoOut_ = false;
    std::unique_ptr<Corvane> effect_;
    reference::ReferenceEffect model_;
    long frames_ = 0;
};

// A random but reproducible change of one parameter, chosen so that every
// parameter is hit, Transpose moves by whole steps (and sometimes stays on
// its step), Tune and Detune make long glides, and Bypass toggles.
::testing::AssertionResult randomChange(Rig& rig, Random& random) {
    const int index = random.below(kNumParameters);
    float v = random.unit();
    switch (index) {
    case kTranspose: {
        const int step = random.below(49);
        const float jitter = (random.unit() - 0.5f) * 0.018f;  // stays on the step
        v = step / 48.0f + jitter;
        break;
    }
    case kTune:
    case kDetune:
        if (random.below(2) == 0) v = random.below(2) ? 1.0f : 0.0f;
        break;
    case kBypass: {
        static constexpr float kSwitchValues[] = {0.0f, 0.49f, 0.5f, 1.0f};
        v = kSwitchValues[random.below(4)];
        break;
    }
    default: break;
    }
    return rig.set(index, v);
}

// The reference formulas hold the values the parameter table documents, and
// the effect's own formulas give the same bits over the nominal range.
TEST(ReferenceFormulas, GiveTheDocumentedValues) {
    using namespace reference::formulas;
    EXPECT_EQ(outputGain(0.5f), 1.0f);
    EXPECT_EQ(outputGain(1.0f), 4.0f);
    EXPECT_NEAR(feedback(0.0f, 1.0f), 0.9220, 5e-5);
    EXPECT_NEAR(feedback(0.25f, 1.0f), 0.9593, 5e-5);
    EXPECT_NEAR(feedback(0.5f, 1.0f), 0.9752, 5e-5);
    EXPECT_NEAR(feedback(1.0f, 1.0f), 0.9980, 5e-5);
    EXPECT_NEAR(damping(0.0f), 0.99729, 5e-6);
    EXPECT_NEAR(damping(1.0f), 0.54201, 5e-6);
    const float ratios[] = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(transposition(transposeStep(i * 0.25f)), ratios[i]) << i;
    EXPECT_EQ(transposeStep(0.52f), 25);  // rounds to the nearest step
    EXPECT_EQ(transposeStep(0.48f), 23);
    EXPECT_NEAR(tuningRatio(0.5f), 1.0, 3e-6);
    EXPECT_NEAR(tuningRatio(0.0f), 1.0 / 1.05946, 1e-7);
    EXPECT_EQ(bypassSwitch(0.49f), 0);
    EXPECT_EQ(bypassSwitch(0.5f), 1);
    EXPECT_EQ(bypassSwitch(1.49f), 1);
}

TEST(ReferenceFormulas, AgreeWithTheEffectsFormulasOverTheNominalRange) {
    std::vector<float> values;
    for (int i = 0; i <= 2000; ++i) values.push_back(static_cast<float>(i) / 2000.0f);
    for (float v : {1e-7f, 0.29999998f, 0.49999997f, 0.50000006f, 0.99999994f}) values.push_back(v);
    for (int step = 0; step < 48; ++step) {  // both sides of each boundary between steps
        values.push_back(std::nextafter((step + 0.5f) / 48.0f, 0.0f));
        values.push_back((step + 0.5f) / 48.0f);
    }
    for (float v : values) {
        SCOPED_TRACE(describeFloat(v));
        ASSERT_EQ(bits(formula::outputGain(v)), bits(reference::formulas::outputGain(v)));
        ASSERT_EQ(bits(formula::damping(v)), bits(reference::formulas::damping(v)));
        ASSERT_EQ(bits(formula::tuningRatio(v)), bits(reference::formulas::tuningRatio(v)));
        ASSERT_EQ(formula::bypassSwitch(v), reference::formulas::bypassSwitch(v));
        ASSERT_EQ(formula::transposeStep(v), reference::formulas::transposeStep(v));
        for (int step = 0; step <= 48; ++step) {
            const float ratio = reference::formulas::transposition(step);
            ASSERT_EQ(bits(formula::transposition(step)), bits(ratio)) << "step " << step;
            ASSERT_EQ(bits(formula::feedback(v, ratio)), bits(reference::formulas::feedback(v, ratio)))
                << "step " << step;
        }
    }
}

// Params: sample rate, block size.
class EngineMatchesReferenceSweep : public ::testing::TestWithParam<std::tuple<float, int>> {};

TEST_P(EngineMatchesReferenceSweep, AllSignalsWithParameterChangesBetweenBlocks) {
    const float fs = std::get<0>(GetParam());
    const int blockSize = std::get<1>(GetParam());
    constexpr long kFrames = 16384;
    static constexpr Route kRoutes[] = {Route::Stereo,     Route::RightOutputMissing, Route::RightInputMissing,
                                        Route::MonoToMono, Route::HostSaysUnconnected, Route::MonoToStereo};
    int routeIndex = static_cast<int>(fs / 1000.0f) + blockSize;
    for (Signal signal : kAllSignals) {
        const Route route = kRoutes[routeIndex++ % 6];
        SCOPED_TRACE(::testing::Message() << name(signal) << ", " << name(route));
        Rig rig(route);
        rig.setSampleRate(fs);
        rig.resume();
        ASSERT_TRUE(rig.set(kMix, 0.8f));
        ASSERT_TRUE(rig.set(kDecay, 0.9f));
        Random random(static_cast<std::uint32_t>(fs) * 31u + static_cast<std::uint32_t>(blockSize));
        SignalSource source(signal, 7u + static_cast<std::uint32_t>(blockSize));
        long nextChange = 500;
        long nextLineCheck = 4096;
        while (rig.framesDone() < kFrames) {
            while (rig.framesDone() >= nextChange) {
                const int kind = random.below(24);
                if (kind == 0) {
                    rig.setSampleRate(kSampleRates[random.below(5)]);  // retunes the ringing strings
                } else if (kind == 1) {
                    rig.resume();
                } else {
                    ASSERT_TRUE(randomChange(rig, random));
                }
                nextChange += 300 + random.below(1500);
            }
            ASSERT_TRUE(rig.process(source, blockSize));
            if (rig.framesDone() >= nextLineCheck) {
                ASSERT_TRUE(rig.statesAgree(true));
                nextLineCheck += 4096;
            }
        }
        ASSERT_TRUE(rig.statesAgree(true));
    }
}

INSTANTIATE_TEST_SUITE_P(RatesAndBlockSizes, EngineMatchesReferenceSweep,
                         ::testing::Combine(::testing::ValuesIn(kSampleRates), ::testing::ValuesIn(kBlockSizes)),
                         [](const ::testing::TestParamInfo<std::tuple<float, int>>& info) {
                             return "fs" + std::to_string(static_cast<int>(std::get<0>(info.param))) + "_block" +
                                    std::to_string(std::get<1>(info.param));
                         });

class EngineMatchesReference : public ::testing::Test {
protected:
    // Runs `frames` of noise in blocks of `block`.
    static ::testing::AssertionResult run(Rig& rig, SignalSource& source, long frames, int block) {
        for (long done = 0; done < frames; done += block) {
            auto result = rig.process(source, static_cast<int>(std::min<long>(block, frames - done)));
            if (!result) return result;
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(EngineMatchesReference, EveryChannelRoute) {
    const Route routes[] = {Route::Stereo,       Route::RightInputMissing,   Route::RightOutputMissing,
                            Route::MonoToMono,   Route::MonoToStereo,        Route::StereoToMonoRefused,
                            Route::HostSaysUnconnected, Route::NoHostCallback};
    for (Route route : routes) {
        SCOPED_TRACE(name(route));
        Rig rig(route);
        ASSERT_TRUE(rig.set(kMix, 0.7f));
        ASSERT_TRUE(rig.set(kOutput, 0.6f));
        Random random(99);
        SignalSource source(Signal::Noise, 5);
        for (int block = 0; block < 60; ++block) {
            ASSERT_TRUE(rig.process(source, 64 + block * 3));
            if (block % 4 == 3) {
                ASSERT_TRUE(randomChange(rig, random));
            }
        }
        ASSERT_TRUE(rig.statesAgree(true));
    }
}

TEST_F(EngineMatchesReference, EveryTransposeStepUpAndDownWithRepeatsOnTheSameStep) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 1.0f));
    ASSERT_TRUE(rig.set(kDecay, 0.8f));
    SignalSource source(Signal::Noise, 11);
    ASSERT_TRUE(run(rig, source, 3000, 512));
    for (int step = 0; step <= 48; ++step) {
        ASSERT_TRUE(rig.set(kTranspose, step / 48.0f));
        ASSERT_TRUE(run(rig, source, 150, 50));
        // Same step again, from the other side of the step's centre.
        ASSERT_TRUE(rig.set(kTranspose, step / 48.0f + 0.009f));
        ASSERT_TRUE(run(rig, source, 150, 50));
        ASSERT_TRUE(rig.set(kDecay, step / 48.0f));  // the coefficient follows the transposition
    }
    for (int step = 48; step >= 0; step -= 5) {
        ASSERT_TRUE(rig.set(kTranspose, step / 48.0f - 0.01f));
        ASSERT_TRUE(run(rig, source, 333, 333));
    }
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, TuneAndDetuneGlidesInterruptedMidway) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 1.0f));
    SignalSource source(Signal::Sines, 3);
    ASSERT_TRUE(rig.set(kTune, 0.0f));
    ASSERT_TRUE(rig.set(kDetune, 1.0f));
    ASSERT_TRUE(run(rig, source, 1001, 7));  // Tune still on its ramp
    ASSERT_TRUE(rig.set(kTune, 1.0f));       // turns around mid-ramp
    ASSERT_TRUE(rig.set(kDetune, 0.3f));     // Detune turns around mid-glide
    ASSERT_TRUE(run(rig, source, 5000, 64));
    ASSERT_TRUE(rig.set(kTune, 0.52f));
    ASSERT_TRUE(run(rig, source, 20000, 512));  // both reach their targets
    EXPECT_EQ(rig.effect().engine().currentTuning(), rig.effect().engine().tuningTarget());
    ASSERT_TRUE(rig.set(kTune, 0.5f));
    ASSERT_TRUE(rig.set(kDetune, 0.0f));
    ASSERT_TRUE(run(rig, source, 4000, 4000));
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, BypassTogglesWhileStringsRing) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 0.6f));
    ASSERT_TRUE(rig.set(kDecay, 1.0f));
    SignalSource source(Signal::Impulses, 1);
    const float switchValues[] = {1.0f, 0.0f, 0.5f, 0.49f, 0.7f, 0.2f};
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(run(rig, source, 700 + round * 37, 64));
        ASSERT_TRUE(rig.set(kBypass, switchValues[round % 6]));
    }
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, SampleRateChangesWhileStringsRing) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 1.0f));
    ASSERT_TRUE(rig.set(kDetune, 0.7f));
    SignalSource source(Signal::Noise, 21);
    for (float fs : {48000.0f, 22050.0f, 192000.0f, 96000.0f, 44100.0f}) {
        rig.setSampleRate(fs);
        ASSERT_TRUE(run(rig, source, 2500, 256));
    }
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, ResumeInTheMiddleOfAGlideAndATail) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 0.9f));
    SignalSource source(Signal::Noise, 8);
    ASSERT_TRUE(run(rig, source, 3000, 128));
    ASSERT_TRUE(rig.set(kTune, 0.9f));
    ASSERT_TRUE(rig.set(kDetune, 0.6f));
    ASSERT_TRUE(run(rig, source, 1000, 128));
    rig.resume();  // ends the glides, clears the strings
    ASSERT_TRUE(run(rig, source, 3000, 100));
    ASSERT_TRUE(rig.set(kTranspose, 0.2f));
    rig.resume();
    ASSERT_TRUE(run(rig, source, 3000, 100));
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, EmptyAndNegativeBlocksInBetween) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 1.0f));
    ASSERT_TRUE(rig.set(kTune, 1.0f));
    SignalSource source(Signal::Noise, 4);
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(run(rig, source, 200, 200));
        ASSERT_TRUE(rig.process(source, 0));
        ASSERT_TRUE(rig.process(source, round % 2 ? -1 : -4096));
    }
    ASSERT_TRUE(rig.statesAgree(true));
}

TEST_F(EngineMatchesReference, ValuesBeyondTheNominalRangeThatNeedNoLimit) {
    Rig rig;
    SignalSource source(Signal::Noise, 17);
    ASSERT_TRUE(rig.set(kOutput, 1.3f));
    ASSERT_TRUE(rig.set(kMix, 1.1f));
    ASSERT_TRUE(rig.set(kDecay, 0.3f));
    ASSERT_TRUE(rig.set(kDamp, 1.7f));
    ASSERT_TRUE(rig.set(kTranspose, 1.08f));  // 52 steps up
    ASSERT_TRUE(rig.set(kTune, 1.4f));
    ASSERT_TRUE(rig.set(kDetune, 1.6f));
    ASSERT_TRUE(run(rig, source, 6000, 300));
    ASSERT_TRUE(rig.set(kTranspose, -0.06f));  // 2 steps below -24
    ASSERT_TRUE(rig.set(kTune, -0.5f));
    ASSERT_TRUE(rig.set(kDetune, -0.4f));
    ASSERT_TRUE(rig.set(kOutput, -0.5f));
    ASSERT_TRUE(rig.set(kMix, -0.2f));
    ASSERT_TRUE(rig.set(kBypass, 2.0f));
    ASSERT_TRUE(run(rig, source, 6000, 300));
    ASSERT_TRUE(rig.statesAgree(true));
}

// A Transpose change recomputes the read positions at once, with the sample
// rate of that moment; a sample-rate change before the next block only acts
// from the next block's first recomputation on.
TEST_F(EngineMatchesReference, TransposeThenSampleRateChangeBeforeTheNextBlock) {
    Rig rig;
    ASSERT_TRUE(rig.set(kMix, 1.0f));
    SignalSource source(Signal::Noise, 30);
    ASSERT_TRUE(run(rig, source, 16384 + 9000, 512));  // lines full, write position far from 0..4095
    ASSERT_TRUE(rig.set(kTranspose, 0.4f));
    rig.setSampleRate(96000.0f);
    ASSERT_TRUE(run(rig, source, 2000, 64));
    ASSERT_TRUE(rig.statesAgree(true));
}

}  // namespace
