// Denormals. The strings decay into them whenever they hear exact silence:
// input that cancels the ±1e-9 offset, or the quarter of every line that a
// Transpose change clears. Processing flushes denormal results to zero and
// reads denormal operands as zero, in a floating-point environment of its
// own; the caller gets its own back. (That flushing keeps the decay case
// as fast as any other is shown by the benchmark's "decay" case.)
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/Parameters.h"

using namespace enginetest;

namespace {

bool denormal(float x) { return std::fpclassify(x) == FP_SUBNORMAL; }

// Input that cancels the offset: x + ε is exactly 0 at every sample, with ε
// alternating from +1e-9 at the start of each (even-sized) block.
void cancellingInput(std::vector<float>& left, std::vector<float>& right) {
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = right[i] = i % 2 == 0 ? -1e-9f : 1e-9f;
}

TEST(Denormals, StringsDecayingInInputThatCancelsTheOffsetHoldNone) {
    auto effect = makeEffect();
    effect->setParameter(kDecay, 0.0f);
    effect->setParameter(kMix, 0.5f);
    effect->resume();
    reference::ReferenceEffect model;
    for (int i = 0; i < kNumParameters; ++i) model.setParameter(i, effect->getParameter(i));
    model.engine.flushDenormals = false;
    model.engine.reset();

    constexpr int kBlock = 512;
    StereoBlock block(kBlock);
    SignalSource noise(Signal::Noise, 9);
    for (int n = 0; n < 441000; n += kBlock) {  // a tenth of a second of noise, then ten seconds
        if (n < 4410) {
            noise.fill(block.inL.data(), block.inR.data(), kBlock);
        } else {
            cancellingInput(block.inL, block.inR);
        }
        float* inputs[2] = {block.inL.data(), block.inR.data()};
        float* outputs[2] = {block.outL.data(), block.outR.data()};
        effect->processReplacing(inputs, outputs, kBlock);
        model.engine.process(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(), kBlock);
    }

    const ResonatorEngine& e = effect->engine();
    int engineDenormals = 0, modelDenormals = 0;
    for (int s = 0; s < 12; ++s) {
        engineDenormals += denormal(e.lowpass(s));
        modelDenormals += denormal(model.engine.lowpass(s));
        for (int i = 0; i < e.lineLength(); ++i) {
            engineDenormals += denormal(e.line(s)[i]);
            modelDenormals += denormal(model.engine.line(s)[i]);
        }
    }
    EXPECT_EQ(engineDenormals, 0);
    EXPECT_GT(modelDenormals, 1000) << "the plain model, not flushing, decays into denormals here";
}

// The control and status register as processing leaves it for callers that
// run with the defaults, with denormals flushed already, or with rounding
// toward zero and traps on for invalid operations, division by zero and
// overflow (which NaN and overflowing input would otherwise set off).
TEST(Denormals, ProcessingHandsTheCallersFloatingPointEnvironmentBack) {
    constexpr unsigned kDefault = 0x1F80u;
    // Plain; flushing already, as many hosts run; traps on and rounding toward zero.
    const unsigned callers[] = {kDefault, kDefault | 0x8040u, (kDefault & ~0x0680u) | 0x6000u};

    constexpr int kFrames = 300;
    StereoBlock block(kFrames);
    SignalSource noise(Signal::Noise, 4);
    noise.fill(block.inL.data(), block.inR.data(), kFrames);
    block.inL[10] = std::numeric_limits<float>::quiet_NaN();
    block.inL[20] = block.inR[20] = 3e38f;
    block.inR[30] = -std::numeric_limits<float>::infinity();

    auto reference = makeEffect();
    std::vector<float> expectedL(kFrames), expectedR(kFrames);
    float* inputs[2] = {block.inL.data(), block.inR.data()};
    float* expectedOut[2] = {expectedL.data(), expectedR.data()};
    reference->processReplacing(inputs, expectedOut, kFrames);

    for (unsigned caller : callers) {
        SCOPED_TRACE(::testing::Message() << "caller's MXCSR 0x" << std::hex << caller);
        auto effect = makeEffect();
        float* outputs[2] = {block.outL.data(), block.outR.data()};
        _mm_setcsr(caller);
        effect->processReplacing(inputs, outputs, kFrames);
        const unsigned after = _mm_getcsr();
        _mm_setcsr(kDefault);
        // Not even a sticky flag raised by the NaN and the overflow stays.
        EXPECT_EQ(after, caller);
        for (int n = 0; n < kFrames; ++n) {
            ASSERT_EQ(bits(block.outL[n]), bits(expectedL[n])) << "left sample " << n;
            ASSERT_EQ(bits(block.outR[n]), bits(expectedR[n])) << "right sample " << n;
        }
    }
}

// After a Transpose change the strings read the cleared quarter and their
// lowpass states decay into denormals; rarely, an output value is one
// itself. Flushing them changes nothing a listener could ever tell: with
// random changes of every parameter, the plain model with and without it
// differs by less than 1e-35 (−700 dB) in every output sample.
TEST(Denormals, FlushingChangesNoOutputByAsMuchAs1eMinus35) {
    long differing = 0;
    double largest = 0.0;
    int denormalStates = 0;
    constexpr int kBlock = 100;
    for (float fs : {44100.0f, 192000.0f}) {
        for (Signal signal : kAllSignals) {
            reference::ReferenceEffect flushed, plain;
            plain.engine.flushDenormals = false;
            const float values[] = {0.5f, 1.0f, 0.3f, 0.6f, 0.5f, 0.5f, 0.2f, 0.0f};
            for (int i = 0; i < kNumParameters; ++i) {
                flushed.setParameter(i, values[i]);
                plain.setParameter(i, values[i]);
            }
            flushed.engine.sampleRate = plain.engine.sampleRate = fs;
            Random random(17);
            SignalSource source(signal, 2);
            StereoBlock a(kBlock), b(kBlock);
            for (int round = 0; round < 1500; ++round) {
                if (round % 3 == 0) {
                    // Any parameter, Transpose most often.
                    const int index = random.below(3) == 0 ? kTranspose : random.below(kNumParameters);
                    const float v = index == kTranspose ? static_cast<float>(random.below(49)) / 48.0f : random.unit();
                    flushed.setParameter(index, v);
                    plain.setParameter(index, v);
                }
                source.fill(a.inL.data(), a.inR.data(), kBlock);
                flushed.engine.process(a.inL.data(), a.inR.data(), a.outL.data(), a.outR.data(), kBlock);
                plain.engine.process(a.inL.data(), a.inR.data(), b.outL.data(), b.outR.data(), kBlock);
                for (int n = 0; n < kBlock; ++n)
                    for (auto [x, y] : {std::pair{a.outL[n], b.outL[n]}, std::pair{a.outR[n], b.outR[n]}}) {
                        largest = std::max(largest, std::fabs(static_cast<double>(x) - y));
                        differing += bits(x) != bits(y);
                    }
                for (int s = 0; s < 12; ++s) denormalStates += denormal(plain.engine.lowpass(s));
            }
        }
    }
    EXPECT_GT(denormalStates, 0) << "no denormals reached: the test shows nothing";
    EXPECT_GT(differing, 0) << "flushing changed nothing: the test shows nothing";
    EXPECT_LT(largest, 1e-35);
}

}  // namespace
