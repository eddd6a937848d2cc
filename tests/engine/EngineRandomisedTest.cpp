// The engine against the plain reference engine under random automation of
// every engine value, sample-rate changes, resets and Transpose steps between
// blocks of random size (0 and 1 included), with the channel layouts a host
// may hand over: stereo or a single output, a right input that is the left
// one, buffers processed in place. Every output sample must have the same
// bits, and so must the state between blocks.
//
// The engine skips deriving the read positions while nothing moves; the
// automation therefore mixes long still stretches with glides that end,
// turn around or are interrupted, rate changes under a ringing string, and
// delays that are whole numbers or too short to be advanced safely.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "EngineTwins.h"
#include "ReferenceEngine.h"
#include "effect/ResonatorEngine.h"

using namespace enginetest;

namespace {

constexpr float kRates[] = {44100.0f, 48000.0f, 22050.0f, 96000.0f, 192000.0f, 8000.0f,
                            // 22000 Hz puts string 0 (110 Hz) at a delay of exactly 200 samples.
                            22000.0f, 88200.0f, 44100.5f};
constexpr int kBlockSizes[] = {0, 1, 1, 2, 3, 5, 7, 13, 16, 31, 64, 100, 128, 333, 511, 512, 1000, 2048, 4096, -1};

// A random value for one of the engine values, mostly in the range the
// parameters give, sometimes at or beyond its edges.
class Automation {
public:
    explicit Automation(std::uint32_t seed) : random_(seed) {}

    float unit() { return random_.unit(); }
    int below(int n) { return random_.below(n); }

    void changeSomething(Twins& twins) {
        switch (random_.below(14)) {
        case 0: twins.setGain(random_.below(8) == 0 ? 0.0f : random_.unit() * 4.0f); break;
        case 1: twins.setMix(random_.below(6) == 0 ? static_cast<float>(random_.below(2)) : random_.unit() * 1.2f - 0.1f); break;
        case 2: twins.setFeedback(0.5f + random_.unit() * 0.499f); break;
        case 3: twins.setDamping(0.5f + random_.unit() * 0.5f); break;
        case 4:
        case 5: twins.setTuningTarget(tuning()); break;
        case 6:
        case 7: twins.setDetuneTarget(detune()); break;
        case 8: twins.setBypass(random_.below(3) == 0 ? (random_.below(2) ? 1 : -3) : 0); break;
        case 9: twins.setSampleRate(kRates[random_.below(static_cast<int>(std::size(kRates)))]); break;
        case 10:
        case 11: twins.setTransposition(reference::formulas::transposition(random_.below(53) - 2)); break;
        case 12: twins.reset(); break;
        case 13:  // Tune and Detune at once, as a preset change would
            twins.setTuningTarget(tuning());
            twins.setDetuneTarget(detune());
            break;
        }
    }

    // Tuning ratios: within a semitone mostly, an octave now and then (a
    // long ramp), and rarely so high that the delays fall below one sample.
    float tuning() {
        switch (random_.below(10)) {
        case 0: return 1.0f;
        case 1: return random_.below(2) ? 0.5f : 2.0f;
        case 2: return random_.below(4) == 0 ? 900.0f : 1.0f / 1.05946f;
        default: return 0.94387f + random_.unit() * 0.1235f;
        }
    }

    float detune() {
        switch (random_.below(8)) {
        case 0: return 0.0f;
        case 1: return -0.0f;
        case 2: return 1.0f;
        case 3: return random_.below(2) ? 1.6f : -0.4f;
        default: return random_.unit();
        }
    }

    int blockSize() { return kBlockSizes[random_.below(static_cast<int>(std::size(kBlockSizes)))]; }

    Layout layout() {
        return {random_.below(3) == 0, random_.below(3) == 0, random_.below(4) == 0};
    }

private:
    Random random_;
};

class RandomAutomation : public ::testing::TestWithParam<std::uint32_t> {};

// The main sweep: long runs of random blocks and changes for each seed.
TEST_P(RandomAutomation, EveryOutputSampleAndTheStateMatchTheReference) {
    const std::uint32_t seed = GetParam();
    Automation automation(seed);
    Twins twins;
    twins.setGain(1.0f);
    twins.setMix(0.8f);
    twins.setFeedback(0.97f);
    twins.setDamping(0.8f);
    twins.reset();

    SignalSource source(kAllSignals[seed % 3], seed);  // noise, impulses or sines
    std::vector<float> left(4096), right(4096);
    constexpr long kFrames = 250000;
    long frames = 0;
    for (int block = 0; frames < kFrames; ++block) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed << ", block " << block);
        // Usually nothing changes between blocks, so still stretches run long.
        if (automation.below(4) == 0) {
            const int changes = 1 + automation.below(3);
            for (int c = 0; c < changes; ++c) automation.changeSomething(twins);
        }
        const int n = automation.blockSize();
        if (n > 0) source.fill(left.data(), right.data(), n);
        ASSERT_TRUE(twins.process(left, right, n, automation.layout()));
        if (n > 0) frames += n;
        if (block % 64 == 63) {
            ASSERT_TRUE(twins.statesAgree(true));
        }
    }
    ASSERT_TRUE(twins.statesAgree(true));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomAutomation, ::testing::Values(1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u));

// Short blocks with a change before nearly every one: the engine never gets
// far before it has to look again, and glides are interrupted at every turn.
TEST(RandomAutomationDense, ChangesBeforeNearlyEveryShortBlock) {
    Automation automation(77);
    Twins twins;
    twins.setGain(0.9f);
    twins.setMix(1.0f);
    twins.setFeedback(0.99f);
    twins.setDamping(0.7f);
    twins.reset();
    SignalSource source(Signal::Noise, 78);
    std::vector<float> left(64), right(64);
    for (int block = 0; block < 3000; ++block) {
        SCOPED_TRACE(::testing::Message() << "block " << block);
        if (automation.below(8) != 0) automation.changeSomething(twins);
        const int n = automation.below(40) - 2;  // -2 .. 37
        if (n > 0) source.fill(left.data(), right.data(), n);
        ASSERT_TRUE(twins.process(left, right, n, automation.layout()));
    }
    ASSERT_TRUE(twins.statesAgree(true));
}

// Values held for well over a line's length at each of several settings:
// the settled path runs across every wrap of the write and read positions
// without deriving them once, and must land exactly where deriving would.
TEST(RandomAutomationDense, LongStillStretchesAtManySettings) {
    Automation automation(4242);
    Twins twins;
    twins.setGain(1.0f);
    twins.setMix(0.7f);
    twins.setFeedback(0.98f);
    twins.setDamping(0.9f);
    twins.reset();
    SignalSource source(Signal::Sines, 3);
    std::vector<float> left(4096), right(4096);
    for (int setting = 0; setting < 6; ++setting) {
        SCOPED_TRACE(::testing::Message() << "setting " << setting);
        twins.setSampleRate(kRates[setting]);
        twins.setTransposition(reference::formulas::transposition(automation.below(49)));
        twins.setTuningTarget(0.94387f + automation.unit() * 0.1235f);
        twins.setDetuneTarget(automation.unit());
        for (long frames = 0; frames < 40000;) {
            const int n = 1 + automation.below(4096);
            source.fill(left.data(), right.data(), n);
            ASSERT_TRUE(twins.process(left, right, n, automation.layout()));
            frames += n;
        }
        EXPECT_TRUE(twins.fast().positionsSettled()) << "the glides have long ended";
        ASSERT_TRUE(twins.statesAgree(true));
    }
}

// Settings whose delays do not allow the read positions to be advanced
// from one sample to the next: deriving them again at w + 1 gives something
// other than the positions at w plus one, at one sample per trip around the
// line or more. Each runs for more than a line's length with noise.
struct UnusualDelay {
    const char* what;
    float sampleRate, tuning, transposition, detune;
};

void PrintTo(const UnusualDelay& setting, std::ostream* out) { *out << setting.what; }

class UnusualDelays : public ::testing::TestWithParam<UnusualDelay> {};

TEST_P(UnusualDelays, MatchTheReferenceAcrossAWholeTripAroundTheLines) {
    const UnusualDelay& setting = GetParam();
    Twins twins;
    twins.setGain(1.0f);
    twins.setMix(1.0f);
    twins.setFeedback(0.95f);
    twins.setDamping(0.9f);
    twins.setSampleRate(setting.sampleRate);
    twins.setTuningTarget(setting.tuning);
    twins.setDetuneTarget(setting.detune);
    twins.setTransposition(setting.transposition);
    twins.reset();
    Automation automation(99);
    SignalSource source(Signal::Noise, 100);
    std::vector<float> left(4096), right(4096);
    for (long frames = 0; frames < 20000;) {
        const int n = 1 + automation.below(2000);
        source.fill(left.data(), right.data(), n);
        ASSERT_TRUE(twins.process(left, right, n, {false, false, false}));
        frames += n;
    }
    ASSERT_TRUE(twins.statesAgree(true));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, UnusualDelays,
    ::testing::Values(
        // String 0 at 200.0000000000013 samples: w − D + 16384 rounds up to a
        // whole number above 16384 but not below, so the position sits one
        // sample further from w = 200 on.
        UnusualDelay{"HairAboveAWholeNumber", 22000.0f, 1.0f, 1.0f, 3.9e-13f},
        UnusualDelay{"ExactlyAWholeNumber", 22000.0f, 1.0f, 1.0f, 0.0f},  // string 0 at 200 samples
        // Longer than a line: w − D + 16384 is negative for the first
        // samples of each trip and truncates toward zero.
        UnusualDelay{"LongerThanALine", 192000.0f, 0.3f, 0.25f, 1.0f},
        UnusualDelay{"ShorterThanASample", 44100.0f, 900.0f, 4.0f, 0.5f},
        // Negative delays far beyond the int32 range: the position saturates.
        UnusualDelay{"BeyondTheIntegerRange", 44100.0f, 1e-30f, 1.0f, -1000.0f}),
    [](const ::testing::TestParamInfo<UnusualDelay>& info) { return std::string(info.param.what); });

}  // namespace
