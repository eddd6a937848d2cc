// Lines long enough for the sample rate: the standard 16384 samples up to
// 384 kHz (and a little beyond), longer ones above, so that the strings keep
// their pitch instead of wrapping around a line too short for them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/Parameters.h"

using namespace enginetest;

namespace {

TEST(LineLength, StandardUpTo384kHzThenThePowerOfTwoTheLongestDelayNeeds) {
    for (float fs : {8000.0f, 44100.0f, 96000.0f, 192000.0f, 352800.0f, 384000.0f, 400000.0f})
        EXPECT_EQ(ResonatorEngine::lineLengthFor(fs), 16384) << fs;
    // The longest delay: fs · 1.01665 / (110 · 0.25 / 1.05946), 27656 samples at 705.6 kHz.
    EXPECT_EQ(ResonatorEngine::lineLengthFor(705600.0f), 32768);
    EXPECT_EQ(ResonatorEngine::lineLengthFor(768000.0f), 32768);
    EXPECT_EQ(ResonatorEngine::lineLengthFor(1536000.0f), 65536);
    EXPECT_EQ(ResonatorEngine::lineLengthFor(3072000.0f), 131072);
    // Beyond what the longest lines hold, and rates no host means.
    for (float fs : {1e8f, std::numeric_limits<float>::infinity()})
        EXPECT_EQ(ResonatorEngine::lineLengthFor(fs), ResonatorEngine::kMaxLineLength) << fs;
    for (float fs : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(ResonatorEngine::lineLengthFor(fs), 16384) << fs;
}

// Transpose −24: an impulse comes back first on the right, through string
// 11, then on the left, through string 10, each after its delay rounded up.
// Lines of 16384 would bring echoes back at 740 and 1759 samples.
TEST(LineLength, ImpulseEchoesAtTheStringDelaysAt705600And768000Hz) {
    for (double fs : {705600.0, 768000.0}) {
        SCOPED_TRACE(::testing::Message() << fs << " Hz");
        auto effect = makeEffect();
        effect->setSampleRate(static_cast<float>(fs));  // as hosts do, while suspended
        effect->setParameter(kOutput, 0.5f);
        effect->setParameter(kMix, 1.0f);
        effect->setParameter(kTranspose, 0.0f);
        effect->setParameter(kTune, 0.5f);
        effect->setParameter(kDetune, 0.0f);
        effect->resume();
        ASSERT_EQ(effect->engine().lineLength(), 32768);

        const double ratio = effect->engine().currentTuning() * effect->engine().currentTransposition();
        const int right = static_cast<int>(std::ceil(fs / (ratio * 207.652346)));
        const int left = static_cast<int>(std::ceil(fs / (ratio * 195.99767)));
        EXPECT_NEAR(right, fs == 705600.0 ? 13592 : 14794, 1);
        EXPECT_NEAR(left, fs == 705600.0 ? 14400 : 15674, 1);

        const int frames = 16384;
        std::vector<float> inL(frames, 0.0f), inR(frames, 0.0f), outL(frames), outR(frames);
        inL[0] = inR[0] = 1.0f;
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {outL.data(), outR.data()};
        effect->processReplacing(inputs, outputs, frames);
        auto first = [](const std::vector<float>& x) {
            for (std::size_t i = 0; i < x.size(); ++i)
                if (std::fabs(x[i]) > 1e-6f) return static_cast<int>(i);
            return -1;
        };
        EXPECT_EQ(first(outR), right);
        EXPECT_EQ(first(outL), left);
    }
}

// The longest delays of the parameters just fit the standard lines at
// 384 kHz: the engine there is still the plain model's, bit for bit.
TEST(LineLength, At384kHzWithTheLongestDelaysTheEngineIsThePlainModel) {
    ResonatorEngine engine;
    reference::ReferenceEngine model;
    EngineValues values;
    values.mix = 0.8f;
    values.feedback = 0.95f;
    values.damping = 0.9f;
    values.tuningTarget = 1.0f / 1.05946f;  // Tune −100 cents
    values.detuneTarget = 1.0f;
    values.sampleRate = 384000.0f;
    values.applyTo(engine, model);
    engine.setTransposition(0.25f);
    model.applyTransposition(0.25f);
    ASSERT_EQ(engine.lineLength(), 16384);

    SignalSource source(Signal::Noise, 6);
    StereoBlock a(4096), b(4096);
    for (int block = 0; block < 12; ++block) {
        source.fill(a.inL.data(), a.inR.data(), 4096);
        engine.process(a.inL.data(), a.inR.data(), a.outL.data(), a.outR.data(), 4096);
        model.process(a.inL.data(), a.inR.data(), b.outL.data(), b.outR.data(), 4096);
        ASSERT_EQ(std::memcmp(a.outL.data(), b.outL.data(), 4096 * sizeof(float)), 0) << "block " << block;
        ASSERT_EQ(std::memcmp(a.outR.data(), b.outR.data(), 4096 * sizeof(float)), 0) << "block " << block;
    }
    EXPECT_EQ(engine.readPosition(0), model.readPosition(0));
    EXPECT_GT((engine.writePosition() - engine.readPosition(0)) & 16383, 15000) << "string 0's delay";
}

// Rates that change the line length: while suspended, the next resume takes
// the new lines up; between blocks (a host that does not suspend), the next
// block does, starting the strings from silence. Back at a standard rate
// the engine is the plain model's again.
TEST(LineLength, RateChangesAcrossTheLengthsWithAndWithoutSuspending) {
    auto effect = makeEffect();
    effect->setParameter(kMix, 0.5f);
    constexpr int kBlock = 512;
    StereoBlock block(kBlock);
    SignalSource noise(Signal::Noise, 8);
    float* inputs[2] = {block.inL.data(), block.inR.data()};
    float* outputs[2] = {block.outL.data(), block.outR.data()};
    auto process = [&](int blocks) {
        for (int k = 0; k < blocks; ++k) {
            noise.fill(block.inL.data(), block.inR.data(), kBlock);
            effect->processReplacing(inputs, outputs, kBlock);
            for (int n = 0; n < kBlock; ++n) ASSERT_TRUE(std::isfinite(block.outL[n]) && std::isfinite(block.outR[n]));
        }
    };

    effect->setSampleRate(768000.0f);
    EXPECT_EQ(effect->engine().lineLength(), 16384) << "taken up by the next resume or block";
    effect->resume();
    EXPECT_EQ(effect->engine().lineLength(), 32768);
    process(100);

    effect->setSampleRate(1536000.0f);  // while processing goes on
    process(1);
    EXPECT_EQ(effect->engine().lineLength(), 65536);
    process(100);
    effect->setSampleRate(96000.0f);
    effect->setSampleRate(768000.0f);  // offered twice before any block
    process(1);
    EXPECT_EQ(effect->engine().lineLength(), 32768);

    effect->setSampleRate(44100.0f);
    effect->suspend();
    effect->resume();
    ASSERT_EQ(effect->engine().lineLength(), 16384);
    reference::ReferenceEffect model;
    for (int i = 0; i < kNumParameters; ++i) model.setParameter(i, effect->getParameter(i));
    model.engine.sampleRate = 44100.0f;
    model.engine.reset();
    std::vector<float> expectedL(kBlock), expectedR(kBlock);
    for (int k = 0; k < 20; ++k) {
        noise.fill(block.inL.data(), block.inR.data(), kBlock);
        model.engine.process(block.inL.data(), block.inR.data(), expectedL.data(), expectedR.data(), kBlock);
        effect->processReplacing(inputs, outputs, kBlock);
        ASSERT_EQ(std::memcmp(block.outL.data(), expectedL.data(), kBlock * sizeof(float)), 0) << "block " << k;
        ASSERT_EQ(std::memcmp(block.outR.data(), expectedR.data(), kBlock * sizeof(float)), 0) << "block " << k;
    }
}

}  // namespace
