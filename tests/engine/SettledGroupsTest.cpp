// Settled stretches, which the engine works in groups of eight samples that
// read and write the lines in runs: at the common rates with the shortest
// and the longest delays the parameters give, every index wrapping around
// its line at every offset from a block's start (the samples before a wrap
// run one at a time), and delays at the edges of what the groups allow.
// Glides, which run through the same groups wherever the read positions
// only advance or jump by one sample. Every output sample and the state
// must equal the plain reference's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <vector>

#include "EngineTestSupport.h"
#include "EngineTwins.h"
#include "ReferenceEngine.h"
#include "effect/Corvane.h"
#include "effect/ResonatorEngine.h"

using namespace enginetest;

namespace {

constexpr int kLine = ResonatorEngine::kLineLength;
constexpr int kGroup = 8;

void setUpRinging(Twins& twins) {
    twins.setGain(1.0f);
    twins.setMix(0.8f);
    twins.setFeedback(0.97f);
    twins.setDamping(0.8f);
}

// The write position and the twelve read positions, each with the offsets
// from a block's start at which it has wrapped around its line.
class WrapOffsets {
public:
    // Notes the wraps a block of n samples will cross.
    void note(const ResonatorEngine& engine, int n) {
        for (int p = 0; p < 13; ++p) {
            const int untilWrap = kLine - position(engine, p);
            if (untilWrap < n) seen_[p].set(untilWrap % kGroup);
        }
    }

    bool allSeen() const {
        return std::all_of(seen_.begin(), seen_.end(), [](const auto& s) { return s.all(); });
    }

    // The index that wraps next and how many samples away, with the offset
    // it should wrap at next time (one it has not wrapped at yet).
    struct Next {
        int samples, offset;
    };
    Next next(const ResonatorEngine& engine) const {
        int nearest = 0;
        for (int p = 1; p < 13; ++p)
            if (position(engine, p) > position(engine, nearest)) nearest = p;
        int offset = 0;
        while (offset < kGroup - 1 && seen_[nearest].test(offset)) ++offset;
        return {kLine - position(engine, nearest), offset};
    }

private:
    static int position(const ResonatorEngine& engine, int p) {
        return p == 12 ? engine.writePosition() : engine.readPosition(p);
    }

    std::array<std::bitset<kGroup>, 13> seen_{};
};

struct Extreme {
    const char* what;
    float transposition, tuning, detune;
};

// String 11 at +24 semitones, +100 cents and full Detune (about 49.8
// samples at 44.1 kHz); string 0 at −24, −100 cents, full Detune (about
// 1727 samples at 44.1 kHz, 7520 at 192 kHz).
const Extreme kShortest{"shortest", reference::formulas::transposition(48), reference::formulas::tuningRatio(1.0f),
                        1.0f};
const Extreme kLongest{"longest", reference::formulas::transposition(0), reference::formulas::tuningRatio(0.0f),
                       1.0f};

// Both engines ringing at the rate and extreme of the test's parameters.
class ExtremeDelays : public ::testing::TestWithParam<std::tuple<float, bool>> {
protected:
    ExtremeDelays() {
        setUpRinging(twins);
        twins.setSampleRate(rate);
        twins.setTransposition(setting.transposition);
        twins.setTuningTarget(setting.tuning);
        twins.setDetuneTarget(setting.detune);
        twins.reset();
    }

    const float rate = std::get<0>(GetParam());
    const Extreme& setting = std::get<1>(GetParam()) ? kShortest : kLongest;
    Twins twins;
};

TEST_P(ExtremeDelays, MatchTheReferenceWithEveryIndexWrappingAtEveryOffset) {

    SignalSource source(Signal::Noise, 12);
    Random random(static_cast<std::uint32_t>(rate));
    std::vector<float> left(4096), right(4096);
    WrapOffsets wraps;
    // A block ends a whole number of groups plus the offset wanted before
    // the next wrap; the block after it crosses the wrap at that offset.
    for (long frames = 0; !wraps.allSeen() && frames < 40L * kLine;) {
        const WrapOffsets::Next next = wraps.next(twins.fast());
        int n = next.samples - next.offset - kGroup * random.below(4);
        if (next.samples % kGroup == next.offset || n < 1) n = next.samples + 1 + random.below(300);
        n = std::min(n, 4096);
        source.fill(left.data(), right.data(), n);
        wraps.note(twins.fast(), n);
        ASSERT_TRUE(twins.process(left, right, n, {false, false, false})) << setting.what << " at " << rate;
        frames += n;
    }
    EXPECT_TRUE(wraps.allSeen());
    EXPECT_TRUE(twins.fast().positionsSettled());
    ASSERT_TRUE(twins.statesAgree(true));
}

INSTANTIATE_TEST_SUITE_P(CommonRates, ExtremeDelays,
                         ::testing::Combine(::testing::Values(44100.0f, 48000.0f, 96000.0f, 192000.0f),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<float, bool>>& info) {
                             return std::string(std::get<1>(info.param) ? "shortest" : "longest") + "_fs" +
                                    std::to_string(static_cast<int>(std::get<0>(info.param)));
                         });

// With values in 0..1 at the common rates, still strings run in groups:
// all but the samples before each wrap of the ring and the first block.
TEST_P(ExtremeDelays, StillStringsRunInGroups) {
    SignalSource source(Signal::Noise, 3);
    std::vector<float> left(512), right(512);
    constexpr long kBlocks = 200;
    for (long b = 0; b < kBlocks; ++b) {
        source.fill(left.data(), right.data(), 512);
        ASSERT_TRUE(twins.process(left, right, 512, {false, false, false}));
    }
    EXPECT_GT(static_cast<double>(twins.fast().groupedSamples()), 0.95 * kBlocks * 512) << setting.what << " at " << rate;
}

// One string's delay near the edges of what the groups allow: the shortest
// string a few samples to about two groups long, the longest a few samples
// to about two groups short of the line's length. The delays are never
// whole numbers; the names give the samples from the write position back to
// the read position, which is the delay rounded up. Whatever path each
// stretch takes, the output is the reference's.
struct EdgeDelay {
    const char* what;
    double delay;
    bool longestString;
};

void PrintTo(const EdgeDelay& setting, std::ostream* out) { *out << setting.what; }

class EdgeDelays : public ::testing::TestWithParam<EdgeDelay> {};

TEST_P(EdgeDelays, MatchTheReference) {
    const EdgeDelay& setting = GetParam();
    // String 11 (207.652346 Hz) at 44.1 kHz four times higher, or string 0
    // (110 Hz) at 192 kHz four times lower, no Detune: the tuning ratio
    // gives the delay.
    const double rate = setting.longestString ? 192000.0 : 44100.0;
    const double transposition = setting.longestString ? 0.25 : 4.0;
    const double frequency = setting.longestString ? 110.0 : 207.652346;
    Twins twins;
    setUpRinging(twins);
    twins.setSampleRate(static_cast<float>(rate));
    twins.setTransposition(static_cast<float>(transposition));
    twins.setTuningTarget(static_cast<float>(rate / (setting.delay * frequency * transposition)));
    twins.reset();

    SignalSource source(Signal::Noise, 5);
    Random random(6);
    std::vector<float> left(2048), right(2048);
    for (long frames = 0; frames < kLine + 4000;) {
        const int n = 1 + random.below(2048);
        source.fill(left.data(), right.data(), n);
        ASSERT_TRUE(twins.process(left, right, n, {random.below(3) == 0, false, random.below(2) == 0}));
        frames += n;
    }
    ASSERT_TRUE(twins.statesAgree(true));
}

INSTANTIATE_TEST_SUITE_P(
    Delays, EdgeDelays,
    ::testing::Values(EdgeDelay{"Back3", 2.5, false}, EdgeDelay{"Back7", 6.5, false}, EdgeDelay{"Back8", 7.5, false},
                      EdgeDelay{"Back9", 8.5, false}, EdgeDelay{"Back15", 14.5, false},
                      EdgeDelay{"Back16", 15.5, false}, EdgeDelay{"Back17", 16.5, false},
                      EdgeDelay{"LineLess25", 16358.5, true}, EdgeDelay{"LineLess16", 16367.5, true},
                      EdgeDelay{"LineLess15", 16368.5, true}, EdgeDelay{"LineLess8", 16375.5, true},
                      EdgeDelay{"LineLess7", 16376.5, true}, EdgeDelay{"LineLess2", 16381.5, true}),
    [](const ::testing::TestParamInfo<EdgeDelay>& info) { return std::string(info.param.what); });

// Tune and Detune gliding over their whole ranges and back, at the common
// rates and at both ends of Transpose: each string's read position jumps by
// one sample every few hundred samples, so most groups carry a jump, and
// glides that turn around move the positions back.
class Glides : public ::testing::TestWithParam<std::tuple<float, int>> {};

TEST_P(Glides, OverTheWholeRangesMatchTheReference) {
    const float rate = std::get<0>(GetParam());
    Twins twins;
    setUpRinging(twins);
    twins.setSampleRate(rate);
    twins.setTransposition(reference::formulas::transposition(std::get<1>(GetParam())));
    twins.setTuningTarget(reference::formulas::tuningRatio(0.0f));
    twins.setDetuneTarget(0.0f);
    twins.reset();

    SignalSource source(Signal::Noise, 9);
    Random random(static_cast<std::uint32_t>(rate) + 1);
    std::vector<float> left(1024), right(1024);
    const float targets[][2] = {{1.0f, 1.0f}, {0.0f, 0.3f}, {0.6f, 0.0f}};
    for (const auto& target : targets) {
        twins.setTuningTarget(reference::formulas::tuningRatio(target[0]));
        twins.setDetuneTarget(target[1]);
        for (long frames = 0; frames < 9000;) {
            const int n = 1 + random.below(1024);
            source.fill(left.data(), right.data(), n);
            ASSERT_TRUE(twins.process(left, right, n, {random.below(4) == 0, false, false}));
            frames += n;
        }
    }
    ASSERT_TRUE(twins.statesAgree(true));
}

INSTANTIATE_TEST_SUITE_P(CommonRates, Glides,
                         ::testing::Combine(::testing::Values(44100.0f, 48000.0f, 96000.0f, 192000.0f),
                                            ::testing::Values(0, 48)),
                         [](const ::testing::TestParamInfo<std::tuple<float, int>>& info) {
                             return "fs" + std::to_string(static_cast<int>(std::get<0>(info.param))) + "_step" +
                                    std::to_string(std::get<1>(info.param));
                         });

// Every engine of the run, made alone or by the effect, uses the
// instruction set the run asked for.
TEST(InstructionSets, EveryEngineUsesTheOneTheRunAskedFor) {
    EXPECT_EQ(ResonatorEngine().instructionSet(), expectedInstructionSet);
    EXPECT_EQ(makeEffect()->engine().instructionSet(), expectedInstructionSet);
    EXPECT_LE(expectedInstructionSet, ResonatorEngine::widestSupported());
}

}  // namespace
