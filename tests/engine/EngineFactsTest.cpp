// Facts about the engine that follow from its definition and can be worked out
// by hand: exact outputs for Mix 0, the first echo of each side, the single
// output and missing-input fallbacks, bypass, glide times, the effect of
// Transpose and of a sample-rate change on the lines, resets, empty blocks,
// and stability for any Decay and Damp value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "effect/Parameters.h"

using namespace enginetest;

namespace {

constexpr double kBaseFrequency[12] = {110.0,     116.5406,  123.4706,  130.81277, 138.5912,  146.832378,
                                       155.5631,  164.81377, 174.61411, 184.99723, 195.99767, 207.652346};
constexpr double kDetuneFactor[12] = {1.11, 0.599, 1.402, 0.797, 1.65, 0.35, 1.26, 0.498, 1.48, 0.866, 1.59, 0.43};
constexpr double kDetuneSign[12] = {+1, +1, -1, -1, +1, +1, -1, -1, +1, +1, -1, -1};
constexpr std::uint32_t kEpsilonBits = 0x3089705Fu;
constexpr int kMask = 16383;

class EngineFacts : public ::testing::Test {
protected:
    // A block through the effect; returns {left, right}.
    struct Output {
        std::vector<float> left, right;
    };

    static Output process(Corvane& effect, const std::vector<float>& inL, const std::vector<float>& inR) {
        const int frames = static_cast<int>(inL.size());
        Output out{std::vector<float>(frames, -7.0f), std::vector<float>(frames, -7.0f)};
        std::vector<float> l = inL, r = inR;
        float* inputs[2] = {l.data(), r.data()};
        float* outputs[2] = {out.left.data(), out.right.data()};
        effect.processReplacing(inputs, outputs, frames);
        return out;
    }

    static Output processSilence(Corvane& effect, int frames) {
        std::vector<float> zero(frames, 0.0f);
        return process(effect, zero, zero);
    }

    static Output processNoise(Corvane& effect, int frames, std::uint32_t seed, float amplitude = 1.0f) {
        Random random(seed);
        std::vector<float> l(frames), r(frames);
        for (int i = 0; i < frames; ++i) {
            l[i] = random.bipolar() * amplitude;
            r[i] = random.bipolar() * amplitude;
        }
        return process(effect, l, r);
    }

    static std::unique_ptr<Corvane> freshEffect(float mix) {
        auto effect = makeEffect();
        effect->setParameter(kOutput, 0.5f);  // gain 1
        effect->setParameter(kMix, mix);
        effect->setParameter(kTranspose, 0.5f);
        effect->setParameter(kTune, 0.5f);
        effect->setParameter(kDetune, 0.0f);
        effect->setParameter(kBypass, 0.0f);
        effect->resume();
        return effect;
    }

    // Distance from a string's read position back to the write position, as
    // seen between blocks: the delay rounded up to whole samples.
    static int delayOf(const Corvane& effect, int s) {
        const ResonatorEngine& e = effect.engine();
        return (e.writePosition() - e.readPosition(s)) & kMask;
    }

    static double maxAbs(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX) {
        double m = 0.0;
        for (size_t i = from; i < std::min(to, x.size()); ++i) m = std::max(m, std::fabs(static_cast<double>(x[i])));
        return m;
    }

    static double rms(const std::vector<float>& x, size_t from, size_t to) {
        double sum = 0.0;
        for (size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
        return std::sqrt(sum / static_cast<double>(to - from));
    }

    static bool allFinite(const std::vector<float>& x) {
        return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
    }
};

// ---------------------------------------------------------------- Mix 0

TEST_F(EngineFacts, MixZeroGivesInputPlusAlternatingOffsetRestartingEachBlock) {
    auto effect = freshEffect(0.0f);
    // Silence: exactly ±1e-9, starting with + in every block.
    for (int frames : {7, 5, 1, 4}) {
        Output out = processSilence(*effect, frames);
        for (int n = 0; n < frames; ++n) {
            const std::uint32_t expected = n % 2 == 0 ? kEpsilonBits : (kEpsilonBits | 0x80000000u);
            EXPECT_EQ(bits(out.left[n]), expected) << "left sample " << n << " of a block of " << frames;
            EXPECT_EQ(bits(out.right[n]), expected) << "right sample " << n << " of a block of " << frames;
        }
    }
}

TEST_F(EngineFacts, MixZeroGivesInputPlusOffsetTimesGainExactly) {
    auto effect = freshEffect(0.0f);
    effect->setParameter(kOutput, 0.3f);
    const float gain = 0.36f;  // 4·0.3²
    EXPECT_NEAR(effect->engine().outputGain(), gain, 1e-7f);
    const float g = (0.3f * 0.3f) * 4.0f;
    const float epsilon = fromBits(kEpsilonBits);

    Random random(12);
    std::vector<float> inL(333), inR(333);
    for (size_t i = 0; i < inL.size(); ++i) {
        inL[i] = random.bipolar();
        inR[i] = random.bipolar() * 3.0f;
    }
    for (int block = 0; block < 3; ++block) {
        Output out = process(*effect, inL, inR);
        for (size_t n = 0; n < inL.size(); ++n) {
            const float e = n % 2 == 0 ? epsilon : -epsilon;
            ASSERT_EQ(bits(out.left[n]), bits((inL[n] + e) * g)) << n;
            ASSERT_EQ(bits(out.right[n]), bits((inR[n] + e) * g)) << n;
        }
    }
}

TEST_F(EngineFacts, MixZeroAtUnityGainIsTheInputWithinTheOffset) {
    auto effect = freshEffect(0.0f);
    effect->setParameter(kDecay, 1.0f);
    Output first = processNoise(*effect, 2048, 3);
    Random random(3);
    for (int n = 0; n < 2048; ++n) {
        const float l = random.bipolar();
        const float r = random.bipolar();
        ASSERT_NEAR(first.left[n], l, 1e-7) << n;
        ASSERT_NEAR(first.right[n], r, 1e-7) << n;
    }
}

// ---------------------------------------------------------------- first echoes

TEST_F(EngineFacts, ImpulseComesBackAfter213SamplesOnTheRightAnd226OnTheLeft) {
    auto effect = freshEffect(1.0f);
    std::vector<float> impulse(1024, 0.0f);
    impulse[0] = 1.0f;
    Output out = process(*effect, impulse, impulse);

    EXPECT_LE(maxAbs(out.right, 0, 213), 1e-8) << "right before string 11's delay (212.4)";
    EXPECT_LE(maxAbs(out.left, 0, 226), 1e-8) << "left before string 10's delay (225.003)";

    // The impulse returns through the string's lowpass (1·damping) and, once
    // more, raw from the mirrored line: 0.075·(1 + damping) on each side.
    const double damping = std::pow(1.84, 0.75) / 1.845;  // the program's Damp 0.25
    EXPECT_NEAR(effect->engine().damping(), damping, 1e-6);
    EXPECT_NEAR(out.right[213], 0.075 * (1.0 + damping), 1e-6);
    EXPECT_NEAR(out.left[226], 0.075 * (1.0 + damping), 1e-6);
}

TEST_F(EngineFacts, DelaysBetweenBlocksAreTheStringPeriodsRoundedUp) {
    for (float fs : {22050.0f, 44100.0f, 192000.0f}) {
        auto effect = freshEffect(1.0f);
        effect->setSampleRate(fs);
        processNoise(*effect, 100, 1);
        for (int s = 0; s < 12; ++s)
            EXPECT_EQ(delayOf(*effect, s), static_cast<int>(std::ceil(fs / kBaseFrequency[s])))
                << "string " << s << " at " << fs;
    }
}

// ---------------------------------------------------------------- channels

TEST_F(EngineFacts, SingleOutputBufferReceivesHalfTheSumTimesGain) {
    enum Way { NullSecondOutput, MonoArrangement, HostSaysPinUnconnected };
    for (Way way : {NullSecondOutput, MonoArrangement, HostSaysPinUnconnected}) {
        SCOPED_TRACE(way);
        auto mono = makeEffect(way == HostSaysPinUnconnected ? secondPinUnconnectedHost : connectedHost);
        auto stereo = makeEffect();
        const bool monoInput = way != NullSecondOutput;
        if (way == MonoArrangement) {
            VstSpeakerArrangement one = arrangement(1);
            ASSERT_TRUE(mono->setSpeakerArrangement(&one, &one));
        }
        for (Corvane* e : {mono.get(), stereo.get()}) {
            e->setParameter(kMix, 0.6f);
            e->setParameter(kDecay, 0.9f);
            e->setParameter(kDetune, 0.4f);
        }
        mono->setParameter(kOutput, 0.7f);
        stereo->setParameter(kOutput, 0.5f);  // gain 1: its outputs are L and R themselves
        const float gain = (0.7f * 0.7f) * 4.0f;

        Random random(77);
        for (int block = 0; block < 8; ++block) {
            const int frames = 300 + block;
            std::vector<float> inL(frames), inR(frames);
            for (int i = 0; i < frames; ++i) {
                inL[i] = random.bipolar();
                inR[i] = random.bipolar();
            }
            std::vector<float> single(frames, -7.0f), spare(frames, -7.0f);
            float* monoIn[2] = {inL.data(), inR.data()};
            float* monoOut[2] = {single.data(), way == NullSecondOutput ? nullptr : spare.data()};
            mono->processReplacing(monoIn, monoOut, frames);

            Output lr = process(*stereo, inL, monoInput ? inL : inR);
            for (int n = 0; n < frames; ++n) {
                const float sum = lr.right[n] + lr.left[n];
                const float expected = static_cast<float>(static_cast<double>(sum * gain) * 0.5);
                ASSERT_EQ(bits(single[n]), bits(expected)) << "block " << block << " sample " << n;
                ASSERT_EQ(spare[n], -7.0f) << "the second buffer must stay untouched";
            }
        }
    }
}

TEST_F(EngineFacts, MissingRightInputFeedsTheLeftInputToBothSides) {
    auto missing = makeEffect();
    auto monoArrangement = makeEffect();
    auto duplicated = makeEffect();
    auto trueStereo = makeEffect();
    VstSpeakerArrangement one = arrangement(1), two = arrangement(2);
    ASSERT_TRUE(monoArrangement->setSpeakerArrangement(&one, &two));
    EXPECT_FALSE(monoArrangement->stereoInput());
    EXPECT_TRUE(monoArrangement->stereoOutput());
    for (Corvane* e : {missing.get(), monoArrangement.get(), duplicated.get(), trueStereo.get()})
        e->setParameter(kMix, 0.8f);

    Random random(5);
    bool stereoDiffers = false;
    for (int block = 0; block < 6; ++block) {
        std::vector<float> inL(500), inR(500);
        for (int i = 0; i < 500; ++i) {
            inL[i] = random.bipolar();
            inR[i] = random.bipolar();
        }
        Output a, b;
        a.left.assign(500, 0.0f);
        a.right.assign(500, 0.0f);
        float* inputs[2] = {inL.data(), nullptr};
        float* outputs[2] = {a.left.data(), a.right.data()};
        missing->processReplacing(inputs, outputs, 500);
        b = process(*monoArrangement, inL, inR);
        Output c = process(*duplicated, inL, inL);
        Output d = process(*trueStereo, inL, inR);
        ASSERT_EQ(0, std::memcmp(a.left.data(), c.left.data(), 500 * sizeof(float)));
        ASSERT_EQ(0, std::memcmp(a.right.data(), c.right.data(), 500 * sizeof(float)));
        ASSERT_EQ(0, std::memcmp(b.left.data(), c.left.data(), 500 * sizeof(float)));
        ASSERT_EQ(0, std::memcmp(b.right.data(), c.right.data(), 500 * sizeof(float)));
        stereoDiffers = stereoDiffers || std::memcmp(d.left.data(), c.left.data(), 500 * sizeof(float)) != 0;
    }
    EXPECT_TRUE(stereoDiffers) << "a real right input must make a difference";
}

TEST_F(EngineFacts, StereoInMonoOutIsRefusedAndKeepsFullStereo) {
    auto effect = makeEffect();
    VstSpeakerArrangement one = arrangement(1), two = arrangement(2);
    ASSERT_TRUE(effect->setSpeakerArrangement(&one, &one));
    EXPECT_FALSE(effect->setSpeakerArrangement(&two, &one));
    EXPECT_TRUE(effect->stereoInput());
    EXPECT_TRUE(effect->stereoOutput());
    effect->setParameter(kMix, 0.0f);
    effect->setParameter(kOutput, 0.5f);
    Output out = process(*effect, std::vector<float>(16, 0.25f), std::vector<float>(16, -0.5f));
    EXPECT_NEAR(out.left[3], 0.25f, 1e-7);
    EXPECT_NEAR(out.right[3], -0.5f, 1e-7);
}

// ---------------------------------------------------------------- bypass

TEST_F(EngineFacts, BypassStopsFeedingTheStringsAndSettlesToTheDryShare) {
    auto effect = freshEffect(0.4f);
    effect->setParameter(kDecay, 0.0f);
    effect->setParameter(kOutput, 0.6f);
    const double gain = (0.6f * 0.6f) * 4.0f;
    processNoise(*effect, 20000, 8);  // strings ringing
    effect->setParameter(kBypass, 1.0f);

    Random random(9);
    const int frames = 3 * 44100;
    std::vector<float> inL(frames), inR(frames);
    for (int i = 0; i < frames; ++i) {
        inL[i] = random.bipolar();
        inR[i] = random.bipolar();
    }
    Output out = process(*effect, inL, inR);
    for (int n = frames - 2000; n < frames; ++n) {
        ASSERT_NEAR(out.left[n], inL[n] * 0.6 * gain, 1e-6) << n;
        ASSERT_NEAR(out.right[n], inR[n] * 0.6 * gain, 1e-6) << n;
    }
    // The strings hold nothing of three seconds of loud input.
    for (int s = 0; s < 12; ++s) {
        const float* line = effect->engine().line(s);
        double peak = 0.0;
        for (int i = 0; i < 16384; ++i) peak = std::max(peak, std::fabs(static_cast<double>(line[i])));
        EXPECT_LT(peak, 1e-6) << "string " << s;
    }

    // Switching bypass off feeds the strings again from the next sample on.
    effect->setParameter(kBypass, 0.0f);
    const int w = effect->engine().writePosition();
    process(*effect, {0.5f}, {0.25f});
    for (int s = 0; s < 12; ++s) EXPECT_NEAR(effect->engine().line(s)[w], 0.375, 1e-6) << "string " << s;
}

TEST_F(EngineFacts, BypassAddsNoOffsetToTheDrySignal) {
    auto effect = freshEffect(0.0f);
    effect->setParameter(kBypass, 1.0f);
    effect->setParameter(kOutput, 0.8f);
    const float gain = (0.8f * 0.8f) * 4.0f;
    Output silent = processSilence(*effect, 64);
    for (int n = 0; n < 64; ++n) {
        ASSERT_EQ(silent.left[n], 0.0f) << n;
        ASSERT_EQ(silent.right[n], 0.0f) << n;
    }
    Random random(4);
    std::vector<float> inL(64), inR(64);
    for (int i = 0; i < 64; ++i) {
        inL[i] = random.bipolar();
        inR[i] = random.bipolar();
    }
    Output out = process(*effect, inL, inR);
    for (int n = 0; n < 64; ++n) {
        ASSERT_EQ(bits(out.left[n]), bits(inL[n] * gain)) << n;
        ASSERT_EQ(bits(out.right[n]), bits(inR[n] * gain)) << n;
    }
}

// ---------------------------------------------------------------- glides

class GlideFacts : public EngineFacts {
protected:
    // Processes one sample at a time and returns the value after each.
    template <typename Read>
    static std::vector<float> trace(Corvane& effect, int samples, Read read) {
        std::vector<float> values;
        values.reserve(samples);
        float inL = 0.1f, inR = -0.1f, outL, outR;
        float* inputs[2] = {&inL, &inR};
        float* outputs[2] = {&outL, &outR};
        for (int i = 0; i < samples; ++i) {
            effect.processReplacing(inputs, outputs, 1);
            values.push_back(read(effect.engine()));
        }
        return values;
    }

    static int firstIndexAt(const std::vector<float>& values, float target) {
        for (size_t i = 0; i < values.size(); ++i)
            if (values[i] == target) return static_cast<int>(i) + 1;  // samples processed
        return -1;
    }
};

TEST_F(GlideFacts, TuneFromCentreToTopGlidesExponentiallyInAbout14750Samples) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kTune, 1.0f);
    const float target = effect->engine().tuningTarget();
    EXPECT_NEAR(target, 1.12246 / 1.05946, 1e-6);
    const float start = effect->engine().currentTuning();
    auto values = trace(*effect, 16000, [](const ResonatorEngine& e) { return e.currentTuning(); });
    // Distance 0.0595 shrinks by 0.00025 per sample down to 0.0015:
    // ln(0.0015/0.0595)/ln(0.99975) ≈ 14718 samples, then the snap.
    const int reached = firstIndexAt(values, target);
    EXPECT_GE(reached, 14600);
    EXPECT_LE(reached, 14900);
    float previous = start;
    for (size_t i = 0; i + 1 < static_cast<size_t>(reached); ++i) {
        ASSERT_GE(values[i], previous) << i;
        ASSERT_LE(values[i] - previous, 0.0000151f) << "exponential from the start: at most 0.00025·0.0595";
        previous = values[i];
    }
    // The pitch follows: every delay is the period at the new ratio.
    for (int s = 0; s < 12; ++s) {
        const double delay = 44100.0 / (1.12246 / 1.05946 * kBaseFrequency[s]);
        EXPECT_GE(delayOf(*effect, s), delay - 1e-3) << s;
        EXPECT_LE(delayOf(*effect, s), delay + 1.0 + 1e-3) << s;
    }
}

TEST_F(GlideFacts, TuneFromBottomToTopRampsThenGlidesInAbout17700Samples) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kTune, 0.0f);
    effect->resume();  // start at the bottom without a glide
    EXPECT_NEAR(effect->engine().currentTuning(), 1.0 / 1.05946, 1e-6);
    effect->setParameter(kTune, 1.0f);
    const float target = effect->engine().tuningTarget();
    auto values = trace(*effect, 19000, [](const ResonatorEngine& e) { return e.currentTuning(); });

    // A straight ramp of 0.00002 per sample while the distance exceeds 0.08:
    // (0.1156 − 0.08) / 0.00002 ≈ 1780 samples.
    const int reached = firstIndexAt(values, target);
    ASSERT_GT(reached, 0);
    int rampSamples = 0;
    float previous = static_cast<float>(1.0 / 1.05946);
    for (size_t i = 0; i + 1 < static_cast<size_t>(reached); ++i) {  // up to the snap onto the target
        const double step = static_cast<double>(values[i]) - previous;
        ASSERT_LE(step, 0.00002 + 1.2e-7) << i;  // a float near 1 is within 6e-8 of any double
        if (static_cast<double>(target) - previous > 0.08) {
            ASSERT_EQ(rampSamples, static_cast<int>(i)) << "the ramp comes first and is unbroken";
            ASSERT_NEAR(step, 0.00002, 1.2e-7) << i;
            ++rampSamples;
        }
        previous = values[i];
    }
    EXPECT_GE(rampSamples, 1775);
    EXPECT_LE(rampSamples, 1785);
    // Then from 0.08 to 0.0015 exponentially: ≈ 15904 more samples.
    EXPECT_GE(reached, 17500);
    EXPECT_LE(reached, 17900);
}

TEST_F(GlideFacts, DetuneFromZeroToFullReachesItAfterAbout8290Samples) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kDetune, 1.0f);
    auto values = trace(*effect, 9000, [](const ResonatorEngine& e) { return e.currentDetune(); });
    // ln(0.002)/ln(0.99925) ≈ 8283 samples to come within 0.002.
    const int reached = firstIndexAt(values, 1.0f);
    EXPECT_GE(reached, 8200);
    EXPECT_LE(reached, 8380);
    ASSERT_GT(reached, 1);
    EXPECT_GE(values[reached - 2], 0.998f - 1e-6f) << "the last step before the snap is within 0.002";
    EXPECT_LT(values[reached - 2], 1.0f);
    // Full Detune moves each delay by 1.5 %·k in the string's direction.
    for (int s = 0; s < 12; ++s) {
        const double delay = 44100.0 * (1.0 + kDetuneSign[s] * 0.015 * kDetuneFactor[s]) / kBaseFrequency[s];
        EXPECT_EQ(delayOf(*effect, s), static_cast<int>(std::ceil(delay))) << "string " << s;
    }
}

// ---------------------------------------------------------------- Transpose and sample rate

TEST_F(EngineFacts, TransposeUpAnOctaveClearsTheFirstQuarterAndHalvesTheDelays) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kDecay, 1.0f);
    // Fill every index of every line, and leave the write position at 10000,
    // away from the quarter that the change clears.
    processNoise(*effect, 16384 + 10001, 2);
    ASSERT_EQ(effect->engine().writePosition(), 10000);
    std::vector<std::vector<float>> before(12);
    for (int s = 0; s < 12; ++s) {
        before[s].assign(effect->engine().line(s), effect->engine().line(s) + 16384);
        ASSERT_GT(maxAbs(before[s], 0, 4096), 1e-3) << "precondition: the quarter holds signal";
    }
    const float feedbackBefore = effect->engine().feedback();

    effect->setParameter(kTranspose, 0.75f);
    EXPECT_EQ(effect->engine().transpositionTarget(), 2.0f);
    EXPECT_GT(effect->engine().feedback(), feedbackBefore) << "the loop gain follows the shorter strings";
    processNoise(*effect, 1, 3);

    for (int s = 0; s < 12; ++s) {
        const float* line = effect->engine().line(s);
        for (int i = 0; i < 4096; ++i) ASSERT_EQ(bits(line[i]), 0u) << "string " << s << " index " << i;
        for (int i = 4096; i < 16384; ++i)
            if (i != 10000) {
                ASSERT_EQ(bits(line[i]), bits(before[s][i])) << "string " << s << " index " << i;
            }
        EXPECT_EQ(delayOf(*effect, s), static_cast<int>(std::ceil(44100.0 / (2.0 * kBaseFrequency[s]))))
            << "string " << s;
    }
    EXPECT_EQ(effect->engine().currentTransposition(), 2.0f);
}

TEST_F(EngineFacts, TransposeOntoTheSameStepClearsNothing) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kTranspose, 0.75f);
    processNoise(*effect, 20000, 2);
    std::vector<float> before(effect->engine().line(3), effect->engine().line(3) + 16384);
    const float feedback = effect->engine().feedback();
    effect->setParameter(kTranspose, 0.7599f);  // still step 36
    effect->setParameter(kTranspose, 0.7401f);
    EXPECT_EQ(effect->engine().feedback(), feedback);
    const int w = effect->engine().writePosition();
    processSilence(*effect, 1);
    const float* line = effect->engine().line(3);
    for (int i = 0; i < 16384; ++i)
        if (i != w) {
            ASSERT_EQ(bits(line[i]), bits(before[i])) << i;
        }
}

TEST_F(EngineFacts, SampleRateChangeRetunesOnTheNextSampleWithoutClearing) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kDecay, 1.0f);
    processNoise(*effect, 20000, 6);
    std::vector<std::vector<float>> before(12);
    for (int s = 0; s < 12; ++s) before[s].assign(effect->engine().line(s), effect->engine().line(s) + 16384);
    const int w = effect->engine().writePosition();

    effect->setSampleRate(96000.0f);
    Output out = processSilence(*effect, 1);
    EXPECT_GT(std::fabs(out.left[0]) + std::fabs(out.right[0]), 1e-4) << "the tail keeps ringing";
    for (int s = 0; s < 12; ++s) {
        const float* line = effect->engine().line(s);
        for (int i = 0; i < 16384; ++i)
            if (i != w) {
                ASSERT_EQ(bits(line[i]), bits(before[s][i])) << "string " << s << " index " << i;
            }
        EXPECT_EQ(delayOf(*effect, s), static_cast<int>(std::ceil(96000.0 / kBaseFrequency[s]))) << "string " << s;
    }
}

// ---------------------------------------------------------------- reset and empty blocks

TEST_F(EngineFacts, AfterResumeNothingFromBeforeIsHeard) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kDecay, 1.0f);
    processNoise(*effect, 30000, 6);
    effect->resume();
    std::vector<float> impulse(512, 0.0f);
    impulse[0] = 1.0f;
    Output out = process(*effect, impulse, impulse);
    EXPECT_LE(maxAbs(out.right, 0, 213), 1e-8);
    EXPECT_LE(maxAbs(out.left, 0, 226), 1e-8);
}

// Whatever the read positions were when the reset came, the first sample
// after it reads silence from every string. A position that happened to sit
// on the write position the reset restores must not pick up the sample that
// this very first step writes there.
TEST_F(EngineFacts, AfterResumeTheFirstSampleReadsSilenceWhereverThePositionsWere) {
    auto effect = freshEffect(1.0f);
    int string = -1;
    for (int n = 0; n < 16384 && string < 0; ++n) {
        processNoise(*effect, 1, 100 + n);
        for (int s = 0; s < 12; ++s)
            if (effect->engine().readPosition(s) == kMask) string = s;
    }
    ASSERT_GE(string, 0) << "precondition: a read position on index 16383";
    effect->resume();
    ASSERT_EQ(effect->engine().writePosition(), kMask);

    Output out = process(*effect, {1.0f, 0.0f}, {1.0f, 0.0f});
    EXPECT_LE(std::fabs(out.left[0]), 1e-8) << "string " << string << "'s position sat on the write position";
    EXPECT_LE(std::fabs(out.right[0]), 1e-8) << "string " << string << "'s position sat on the write position";
}

TEST_F(EngineFacts, NoFramesOrNegativeFramesChangeNothing) {
    auto touched = freshEffect(0.9f);
    auto untouched = freshEffect(0.9f);
    for (Corvane* e : {touched.get(), untouched.get()}) {
        e->setParameter(kTune, 1.0f);  // a glide in progress
        e->setParameter(kDetune, 1.0f);
        processNoise(*e, 3000, 14);
    }
    std::vector<float> garbage(64, 123.0f);
    std::vector<float> sentinelL(64, -7.0f), sentinelR(64, -7.0f);
    float* inputs[2] = {garbage.data(), garbage.data()};
    float* outputs[2] = {sentinelL.data(), sentinelR.data()};
    for (int frames : {0, -1, -64, std::numeric_limits<int>::min()}) touched->processReplacing(inputs, outputs, frames);
    EXPECT_TRUE(std::all_of(sentinelL.begin(), sentinelL.end(), [](float x) { return x == -7.0f; }));
    EXPECT_TRUE(std::all_of(sentinelR.begin(), sentinelR.end(), [](float x) { return x == -7.0f; }));

    const ResonatorEngine& a = touched->engine();
    const ResonatorEngine& b = untouched->engine();
    EXPECT_EQ(a.writePosition(), b.writePosition());
    EXPECT_EQ(a.currentTuning(), b.currentTuning());
    EXPECT_EQ(a.currentDetune(), b.currentDetune());
    for (int s = 0; s < 12; ++s) EXPECT_EQ(a.readPosition(s), b.readPosition(s));
    // The lowpass states are only visible through what follows.
    Output x = processNoise(*touched, 500, 15);
    Output y = processNoise(*untouched, 500, 15);
    EXPECT_EQ(0, std::memcmp(x.left.data(), y.left.data(), 500 * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(x.right.data(), y.right.data(), 500 * sizeof(float)));
}

// ---------------------------------------------------------------- stability

class StabilityFacts : public EngineFacts {
protected:
    // Ten seconds of full-scale noise at 44100 Hz; the output must stay
    // finite, moderate, and must not grow from second five to second ten.
    static void expectBounded(Corvane& effect) {
        const int second = 44100;
        Output out = processNoise(effect, 10 * second, 42);
        ASSERT_TRUE(allFinite(out.left));
        ASSERT_TRUE(allFinite(out.right));
        EXPECT_LT(maxAbs(out.left), 1000.0);
        EXPECT_LT(maxAbs(out.right), 1000.0);
        EXPECT_LE(rms(out.left, 9 * second, 10 * second), 2.0 * rms(out.left, 4 * second, 5 * second) + 1e-6);
        EXPECT_LE(rms(out.right, 9 * second, 10 * second), 2.0 * rms(out.right, 4 * second, 5 * second) + 1e-6);
    }
};

TEST_F(StabilityFacts, DecayFarAboveOneNeverRunsAway) {
    for (float decay : {1.5f, 10.0f}) {
        for (float transpose : {0.5f, 1.0f}) {
            SCOPED_TRACE(::testing::Message() << "Decay " << decay << ", Transpose " << transpose);
            auto effect = freshEffect(1.0f);
            effect->setParameter(kTranspose, transpose);
            effect->setParameter(kDecay, decay);
            effect->setParameter(kDamp, 0.0f);
            EXPECT_LT(effect->engine().feedback(), 1.0f);
            expectBounded(*effect);
        }
    }
}

TEST_F(StabilityFacts, NegativeDecayNeverGivesNaNOrRunsAway) {
    auto effect = freshEffect(1.0f);
    effect->setParameter(kDecay, -1.0f);
    EXPECT_TRUE(std::isfinite(effect->engine().feedback()));
    EXPECT_LT(effect->engine().feedback(), 1.0f);
    expectBounded(*effect);
}

TEST_F(StabilityFacts, DampBelowZeroNeverGivesNaNOrRunsAway) {
    for (float decay : {1.0f, 10.0f}) {
        SCOPED_TRACE(decay);
        auto effect = freshEffect(1.0f);
        effect->setParameter(kDamp, -1.0f);
        effect->setParameter(kDecay, decay);
        effect->setParameter(kTranspose, 1.0f);
        expectBounded(*effect);
    }
}

TEST_F(StabilityFacts, FiniteInputsNeverGiveNaNOrInfinity) {
    Random random(2024);
    // Wild but finite values for the parameters without a natural bound of
    // their own, ordinary ones for gain and mix.
    const float wild[] = {-1e6f, -1000.0f, -3.0f, -1.0f, -0.001f, 0.0f, 0.5f, 1.0f, 1.001f, 2.5f, 40.0f, 1000.0f, 1e6f};
    for (int round = 0; round < 40; ++round) {
        auto effect = freshEffect(random.unit());
        effect->setParameter(kOutput, random.unit() * 1.5f);
        for (int index : {kDecay, kDamp, kTranspose, kTune, kDetune, kBypass}) {
            const float v = random.below(3) == 0 ? wild[random.below(13)] : random.unit();
            effect->setParameter(index, v);
        }
        if (round % 5 == 0) effect->setSampleRate(round % 10 == 0 ? 8000.0f : 384000.0f);
        for (int block = 0; block < 10; ++block) {
            Output out = processNoise(*effect, 1500, static_cast<std::uint32_t>(round * 100 + block), 4.0f);
            ASSERT_TRUE(allFinite(out.left)) << "round " << round;
            ASSERT_TRUE(allFinite(out.right)) << "round " << round;
            if (block == 4) effect->setParameter(kTranspose, wild[random.below(13)]);
        }
    }
}

}  // namespace
