// Input samples no host should send but some do: NaN, ±infinity, pairs
// whose float sum overflows and values so huge (beyond 2^100) that the
// strings' feedback would overflow. Such a sample excites the strings as
// silence would; its own output sample carries the bad value on through the dry
// path, and every other output sample and the strings are exactly those of
// the same input with silence in its place.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceEngine.h"
#include "effect/Parameters.h"

using namespace enginetest;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct UnfitPair {
    const char* what;
    float left, right;
};
// The left value alone is unfit in all but the last, so that a mono input
// (the left fed to both sides) is unfit too.
const UnfitPair kUnfitPairs[] = {
    {"NaN", kNaN, 0.0f},
    {"+inf", kInf, 0.0f},
    {"-inf on both sides", -kInf, -kInf},
    {"+inf and -inf", kInf, -kInf},
    {"3e38 twice, the sum overflows", 3e38f, 3e38f},
    {"-2e38 twice, the sum overflows", -2e38f, -2e38f},
    {"1e36 twice, finite but far too loud for the strings", 1e36f, 1e36f},
    {"-1e31 on the left", -1e31f, 0.0f},
    {"NaN on the right", 0.0f, -kNaN},
};

// Where the unfit samples go: block starts and ends, in the part of a block
// checked four at a time and in its remainder, two in a row, and a run of
// 300 across blocks.
const long kUnfitAt[] = {0, 1, 255, 256, 700, 701, 1999};
constexpr long kUnfitRunFrom = 1100, kUnfitRunTo = 1400;

bool unfitAt(long n) {
    for (long at : kUnfitAt)
        if (at == n) return true;
    return n >= kUnfitRunFrom && n < kUnfitRunTo;
}

struct Setting {
    const char* what;
    float rate, mix, tune, bypass;
    bool monoToMono;
    int block;
};
const Setting kSettings[] = {
    {"stereo, half mix", 44100.0f, 0.5f, 0.5f, 0.0f, false, 256},
    {"stereo, mix 0, blocks of 7", 44100.0f, 0.0f, 0.5f, 0.0f, false, 7},
    {"stereo, nearly all wet, Tune gliding", 48000.0f, 0.9f, 0.95f, 0.0f, false, 64},
    {"mono in and out", 44100.0f, 0.7f, 0.5f, 0.0f, true, 256},
    {"bypassed", 44100.0f, 0.5f, 0.5f, 1.0f, false, 100},
    {"768 kHz, longer lines", 768000.0f, 0.5f, 0.2f, 0.0f, false, 256},
};

std::unique_ptr<Corvane> effectFor(const Setting& setting) {
    auto effect = makeEffect();
    if (setting.monoToMono) {
        VstSpeakerArrangement mono = arrangement(1);
        EXPECT_TRUE(effect->setSpeakerArrangement(&mono, &mono));
    }
    effect->setSampleRate(setting.rate);
    effect->setParameter(kOutput, 0.5f);
    effect->setParameter(kDecay, 0.8f);
    effect->setParameter(kMix, setting.mix);
    effect->resume();
    effect->setParameter(kTune, setting.tune);
    effect->setParameter(kBypass, setting.bypass);
    return effect;
}

struct Channels {
    std::vector<float> left, right;
};

// Noise through the effect in blocks, with `pair` at the unfit positions
// (or silence there when pair is null), then silence.
Channels drive(Corvane& effect, const Setting& setting, const UnfitPair* pair, long frames) {
    Random random(5);
    Channels in{std::vector<float>(frames), std::vector<float>(frames)};
    for (long n = 0; n < frames; ++n) {
        const bool signal = n < 2400;
        in.left[n] = signal ? random.bipolar() : 0.0f;
        in.right[n] = signal ? random.bipolar() : 0.0f;
        if (unfitAt(n)) {
            in.left[n] = pair ? pair->left : 0.0f;
            in.right[n] = pair ? pair->right : 0.0f;
        }
    }
    Channels out{std::vector<float>(frames, -9.0f), std::vector<float>(frames, -9.0f)};
    for (long done = 0; done < frames; done += setting.block) {
        const int n = static_cast<int>(std::min<long>(setting.block, frames - done));
        float* inputs[2] = {in.left.data() + done, in.right.data() + done};
        float* outputs[2] = {out.left.data() + done, out.right.data() + done};
        effect.processReplacing(inputs, outputs, n);
    }
    return out;
}

bool loud(float x) { return !(std::fabs(x) < 1e20f); }

::testing::AssertionResult sameBits(const char* side, const std::vector<float>& actual,
                                    const std::vector<float>& expected, long n) {
    if (bits(actual[n]) == bits(expected[n])) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << side << " sample " << n << ": " << actual[n] << " vs " << expected[n];
}

TEST(NonFiniteInput, ExcitesTheStringsAsSilenceAndPassesOnlyItsOwnSampleThrough) {
    constexpr long kFrames = 6000;
    for (const Setting& setting : kSettings) {
        for (const UnfitPair& pair : kUnfitPairs) {
            if (setting.monoToMono && std::isfinite(pair.left + pair.left)) continue;
            SCOPED_TRACE(::testing::Message() << setting.what << ", " << pair.what);
            auto effect = effectFor(setting);
            auto silent = effectFor(setting);
            const Channels out = drive(*effect, setting, &pair, kFrames);
            const Channels expected = drive(*silent, setting, nullptr, kFrames);

            for (long n = 0; n < kFrames; ++n) {
                if (!unfitAt(n)) {
                    ASSERT_TRUE(sameBits("left", out.left, expected.left, n));
                    if (!setting.monoToMono) {
                        ASSERT_TRUE(sameBits("right", out.right, expected.right, n));
                    }
                    continue;
                }
                // The bad value comes through on its own side; a side whose
                // input was 0 is what silence gives.
                const bool leftBad = !std::isfinite(pair.left) || setting.monoToMono || loud(pair.left);
                if (leftBad) {
                    EXPECT_TRUE(loud(out.left[n])) << "left sample " << n << ": " << out.left[n];
                } else {
                    EXPECT_TRUE(sameBits("left", out.left, expected.left, n));
                }
                if (setting.monoToMono) continue;
                if (!std::isfinite(pair.right) || loud(pair.right)) {
                    EXPECT_TRUE(loud(out.right[n])) << "right sample " << n << ": " << out.right[n];
                } else {
                    EXPECT_TRUE(sameBits("right", out.right, expected.right, n));
                }
            }
            const ResonatorEngine& e = effect->engine();
            for (int s = 0; s < 12; ++s)
                ASSERT_EQ(std::memcmp(e.line(s), silent->engine().line(s), sizeof(float) * e.lineLength()), 0)
                    << "line " << s;

            // The strings still ring in the silence after the signal.
            double energy = 0.0;
            for (long n = 3000; n < kFrames; ++n) energy += static_cast<double>(out.left[n]) * out.left[n];
            if (setting.mix > 0.0f && setting.bypass == 0.0f) {
                EXPECT_GT(energy, 1e-3);
            }
        }
    }
}

// The check looks at the sum as the strings would receive it: huge values
// whose sum stays within 2^100 are processed exactly as the plain model
// processes them.
TEST(NonFiniteInput, HugeValuesWithATameSumAreProcessedAsTheReferenceDoes) {
    const float pairs[][2] = {{3e38f, -3e38f}, {FLT_MAX, -FLT_MAX}, {0x1p99f, 0x1p99f}, {-0x1p100f, 0.0f}};
    ResonatorEngine engine;
    reference::ReferenceEngine model;
    EngineValues{}.applyTo(engine, model);

    Random random(3);
    constexpr int kBlock = 333;
    std::vector<float> l(kBlock), r(kBlock), outE(2 * kBlock), outM(2 * kBlock);
    for (int block = 0; block < 8; ++block) {
        for (int i = 0; i < kBlock; ++i) {
            l[i] = random.bipolar();
            r[i] = random.bipolar();
        }
        if (block < 4) {
            l[block * 7] = pairs[block][0];
            r[block * 7] = pairs[block][1];
        }
        engine.process(l.data(), r.data(), outE.data(), outE.data() + kBlock, kBlock);
        model.process(l.data(), r.data(), outM.data(), outM.data() + kBlock, kBlock);
        ASSERT_EQ(std::memcmp(outE.data(), outM.data(), sizeof(float) * outE.size()), 0) << "block " << block;
    }
    for (int s = 0; s < 12; ++s)
        ASSERT_EQ(std::memcmp(engine.line(s), model.line(s).data(), sizeof(float) * reference::kLineLength), 0);
}

// A second of the loudest input the strings take, held steady (where their
// feedback gains most) at full Decay, two octaves up (the strongest
// feedback): the lines stay finite and the strings ring on into the silence
// after it; also with every sample of that second beyond the limit.
TEST(NonFiniteInput, TheLoudestInputNeverOverflowsTheStrings) {
    for (float level : {0x1p99f, 1e36f}) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        auto effect = makeEffect();
        effect->setSampleRate(48000.0f);
        effect->setParameter(kDecay, 1.0f);
        effect->setParameter(kDamp, 0.0f);
        effect->setParameter(kTranspose, 1.0f);
        effect->setParameter(kMix, 0.5f);
        effect->resume();
        constexpr int kBlock = 480;
        StereoBlock block(kBlock);
        float* inputs[2] = {block.inL.data(), block.inR.data()};
        float* outputs[2] = {block.outL.data(), block.outR.data()};
        Random random(9);
        for (int b = 0; b < 200; ++b) {
            for (int i = 0; i < kBlock; ++i) {
                const float x = b < 100 ? level : 0.0f;
                block.inL[i] = b < 5 ? 0.5f * random.bipolar() : x;  // a little signal first
                block.inR[i] = b < 5 ? 0.5f * random.bipolar() : x;
            }
            effect->processReplacing(inputs, outputs, kBlock);
        }
        const ResonatorEngine& e = effect->engine();
        for (int s = 0; s < 12; ++s)
            for (int i = 0; i < e.lineLength(); ++i) ASSERT_TRUE(std::isfinite(e.line(s)[i])) << "line " << s << " at " << i;
        double energy = 0.0;
        for (int i = 0; i < kBlock; ++i) {
            ASSERT_TRUE(std::isfinite(block.outL[i]) && std::isfinite(block.outR[i]));
            energy += static_cast<double>(block.outL[i]) * block.outL[i];
        }
        EXPECT_GT(energy, 0.0) << "the strings still ring";
    }
}

}  // namespace
