// What the host shows for each parameter, and what each value does to the
// engine and the programs.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "effect/FixedPoint.h"
#include "tests/support/Plugin.h"

namespace {

std::string fixed(float value, int decimals) {
    char text[32];
    std::strcpy(text, "unwritten");
    formatFixed(value, text, decimals);
    return text;
}

TEST(FixedPointFormatter, TruncatesInsteadOfRounding) {
    EXPECT_EQ(fixed(29.999998f, 1), "29.9");
    EXPECT_EQ(fixed(0.99f, 1), "0.9");
    EXPECT_EQ(fixed(12.0412f, 1), "12.0");
    EXPECT_EQ(fixed(-12.0412f, 1), "-12.0");
    EXPECT_EQ(fixed(25.0f, 1), "25.0");
    EXPECT_EQ(fixed(3.14159f, 3), "3.141");
}

TEST(FixedPointFormatter, SignsAndWholeNumbers) {
    EXPECT_EQ(fixed(-0.4f, 1), "-0.4");
    EXPECT_EQ(fixed(-12.0f, 0), "-12");
    EXPECT_EQ(fixed(0.0f, 0), "0");
    EXPECT_EQ(fixed(7.9f, 0), "7");
    EXPECT_EQ(fixed(-100.0f, 1), "-100.0");
}

TEST(FixedPointFormatter, EightCharactersAtMostBeforeTheCut) {
    EXPECT_EQ(fixed(123456.789f, 3), "123456.7");  // only one place left for decimals
    EXPECT_EQ(fixed(12345678.0f, 1), "12345678");
    EXPECT_EQ(fixed(99999999.0f, 1), "unwritten");  // the nearest float is 1e8
    EXPECT_EQ(fixed(-9999999.0f, 1), "-9999999");
}

TEST(FixedPointFormatter, LeavesTheBufferAloneBeyondItsRange) {
    EXPECT_EQ(fixed(1.0e8f + 8.0f, 1), "unwritten");
    EXPECT_EQ(fixed(-1.0e7f - 1.0f, 1), "unwritten");
    EXPECT_EQ(fixed(std::numeric_limits<float>::quiet_NaN(), 1), "unwritten");
    EXPECT_EQ(fixed(std::numeric_limits<float>::infinity(), 1), "unwritten");
}

class Parameters : public ::testing::Test {
protected:
    std::string display(VstInt32 index, float value) {
        plugin->setParameter(index, value);
        char text[32];
        plugin->getParameterDisplay(index, text);
        return text;
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    const ResonatorEngine& engine = plugin->engine();
};

TEST_F(Parameters, NamesAndLabelsWithTheirBlanks) {
    const char* names[] = {" Output ", " Mix ", " Decay ", " Damp ", " Transpose ", " Tune ", " Detune ", " Bypass "};
    const char* labels[] = {" dB ", " % ", " % ", " % ", " st ", " cents ", " % ", "  "};
    char text[32];
    for (VstInt32 i = 0; i < 8; ++i) {
        plugin->getParameterName(i, text);
        EXPECT_STREQ(text, names[i]);
        plugin->getParameterLabel(i, text);
        EXPECT_STREQ(text, labels[i]);
    }
    for (VstInt32 i : {8, -1, 100}) {
        plugin->getParameterName(i, text);
        EXPECT_STREQ(text, " - ");
        plugin->getParameterLabel(i, text);
        EXPECT_STREQ(text, " - ");
        plugin->getParameterDisplay(i, text);
        EXPECT_STREQ(text, " - ");
        EXPECT_EQ(plugin->getParameter(i), 0.0f);
    }
}

TEST_F(Parameters, OutputInDecibels) {
    EXPECT_EQ(display(kOutput, 0.5f), "0.0");
    EXPECT_EQ(engine.outputGain(), 1.0f);
    EXPECT_EQ(display(kOutput, 1.0f), "12.0");
    EXPECT_EQ(engine.outputGain(), 4.0f);
    EXPECT_EQ(display(kOutput, 0.25f), "-12.0");
    EXPECT_EQ(display(kOutput, 0.0f), "-oo");
    EXPECT_EQ(display(kOutput, 0.0015f), "-oo");  // gain 0.000009
    EXPECT_EQ(display(kOutput, 0.002f), "-95.9");  // gain 0.000016
}

TEST_F(Parameters, PercentagesTruncate) {
    EXPECT_EQ(display(kMix, 0.25f), "25.0");
    EXPECT_EQ(engine.mix(), 0.25f);
    EXPECT_EQ(display(kDecay, 0.29999998f), "29.9");
    EXPECT_EQ(display(kDamp, 1.0f), "100.0");
    EXPECT_EQ(display(kDetune, 0.5f), "50.0");
    EXPECT_EQ(engine.detuneTarget(), 0.5f);
}

TEST_F(Parameters, TransposeInWholeSemitones) {
    const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    const float ratios[] = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f};
    const char* texts[] = {"-24", "-12", "0", "12", "24"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(display(kTranspose, values[i]), texts[i]);
        EXPECT_EQ(engine.transpositionTarget(), ratios[i]);
    }
    // The display truncates while the engine takes the nearest step.
    EXPECT_EQ(display(kTranspose, 0.52f), "0");
    EXPECT_FLOAT_EQ(engine.transpositionTarget(), std::pow(2.0f, 1.0f / 12.0f));
    EXPECT_EQ(display(kTranspose, 0.48f), "0");
    EXPECT_FLOAT_EQ(engine.transpositionTarget(), std::pow(2.0f, -1.0f / 12.0f));
}

TEST_F(Parameters, TuneInCents) {
    EXPECT_EQ(display(kTune, 0.0f), "-100.0");
    EXPECT_EQ(display(kTune, 1.0f), "100.0");
    EXPECT_NEAR(engine.tuningTarget(), 1.12246 / 1.05946, 1e-7);
    EXPECT_EQ(display(kTune, 0.5f), "0.0");
    EXPECT_NEAR(engine.tuningTarget(), 1.0, 1e-5);
}

TEST_F(Parameters, BypassSwitchesAtOneHalf) {
    EXPECT_EQ(display(kBypass, 0.49f), " process ");
    EXPECT_EQ(engine.bypass(), 0);
    EXPECT_EQ(display(kBypass, 0.5f), " bypassed ");
    EXPECT_EQ(engine.bypass(), 1);
    EXPECT_EQ(display(kBypass, 1.49f), " bypassed ");
    EXPECT_EQ(display(kBypass, 1.5f), " bypassed ");  // switch value 2 still counts as on
    EXPECT_EQ(engine.bypass(), 2);
}

TEST_F(Parameters, DecayCoefficientFollowsTransposition) {
    plugin->setParameter(kTranspose, 0.5f);
    const float expected[][2] = {{0.0f, 0.9220f}, {0.25f, 0.9593f}, {0.5f, 0.9752f}, {1.0f, 0.9980f}};
    for (const auto& [decay, coefficient] : expected) {
        plugin->setParameter(kDecay, decay);
        EXPECT_NEAR(engine.feedback(), coefficient, 0.00006) << decay;
    }
    // Changing the step recomputes it from the stored Decay: same loss per second.
    plugin->setParameter(kDecay, 0.5f);
    plugin->setParameter(kTranspose, 0.0f);  // a quarter of the frequency
    EXPECT_NEAR(std::pow(engine.feedback(), 0.25), 0.9752, 0.0001);
}

TEST_F(Parameters, DampingCoefficient) {
    plugin->setParameter(kDamp, 0.0f);
    EXPECT_NEAR(engine.damping(), 0.99729, 0.00001);
    plugin->setParameter(kDamp, 1.0f);
    EXPECT_NEAR(engine.damping(), 0.54201, 0.00001);
}

TEST_F(Parameters, OutputMixAndBypassAreSharedByAllPrograms) {
    plugin->setParameter(kOutput, 0.7f);
    plugin->setParameter(kMix, 0.6f);
    plugin->setParameter(kBypass, 1.0f);
    plugin->setParameter(kDecay, 0.9f);
    const ProgramRecord* bank = plugin->getPrograms();
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(bank[p].params[kOutput], 0.7f) << p;
        EXPECT_EQ(bank[p].params[kMix], 0.6f) << p;
        EXPECT_EQ(bank[p].params[kBypass], 1.0f) << p;
    }
    EXPECT_EQ(bank[0].params[kDecay], 0.9f);
    EXPECT_EQ(bank[1].params[kDecay], 0.5f);  // "Bright" keeps its own Decay
    plugin->selectProgram(1);
    EXPECT_EQ(plugin->getParameter(kMix), 0.6f);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.5f);
}

TEST_F(Parameters, ValuesOutsideTheRangeAreNotClamped) {
    plugin->setParameter(kMix, 1.5f);
    EXPECT_EQ(plugin->getParameter(kMix), 1.5f);
    EXPECT_EQ(engine.mix(), 1.5f);
    plugin->setParameter(kOutput, -0.5f);
    EXPECT_EQ(engine.outputGain(), 1.0f);
    EXPECT_EQ(plugin->getPrograms()[0].params[kMix], 1.5f);
}

TEST_F(Parameters, AnyDecayKeepsTheStringsStable) {
    // Decay far above 1 would push the loop gain to 1 and beyond; it is held
    // at the largest coefficient the normal range gives (Decay 1, +24 st).
    plugin->setParameter(kTranspose, 1.0f);
    plugin->setParameter(kDecay, 1.0f);
    const float largest = engine.feedback();
    EXPECT_LT(largest, 1.0f);
    plugin->setParameter(kTranspose, 0.5f);
    for (float decay : {1.05f, 2.0f, 100.0f}) {
        plugin->setParameter(kDecay, decay);
        EXPECT_EQ(plugin->getParameter(kDecay), decay);
        EXPECT_EQ(engine.feedback(), largest) << decay;
    }
    // Below 0 the square root has no value; it acts as Decay 0.
    plugin->setParameter(kDecay, 0.0f);
    const float smallest = engine.feedback();
    plugin->setParameter(kDecay, -0.5f);
    EXPECT_EQ(engine.feedback(), smallest);
    // A negative Damp would amplify the highest frequencies in the loop.
    plugin->setParameter(kDamp, -1.0f);
    EXPECT_LE(engine.damping(), 1.0f);
}

TEST_F(Parameters, NonFiniteValuesAreIgnored) {
    plugin->setParameter(kDecay, 0.4f);
    const float feedback = engine.feedback();
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        for (VstInt32 i = 0; i < 8; ++i) plugin->getAeffect()->setParameter(plugin->getAeffect(), i, bad);
    }
    EXPECT_EQ(plugin->getParameter(kDecay), 0.4f);
    EXPECT_EQ(engine.feedback(), feedback);
    for (int p = 0; p < 6; ++p)
        for (float value : plugin->getPrograms()[p].params) EXPECT_TRUE(std::isfinite(value));
}

TEST_F(Parameters, IndicesBeyondSevenChangeNothing) {
    void* chunk = nullptr;
    plugin->getChunk(&chunk, false);
    const std::string before(static_cast<char*>(chunk), 368);
    plugin->setParameter(9, 0.3f);
    plugin->setParameter(-1, 0.3f);
    plugin->getChunk(&chunk, false);
    EXPECT_EQ(before, std::string(static_cast<char*>(chunk), 368));
}

TEST_F(Parameters, OnlyBypassHasProperties) {
    VstParameterProperties properties;
    std::memset(&properties, 0x5A, sizeof(properties));
    EXPECT_EQ(dispatch(plugin->getAeffect(), effGetParameterProperties, 7, 0, &properties), 1);
    EXPECT_EQ(properties.flags, 5);
    EXPECT_EQ(properties.stepFloat, 1.0f);
    EXPECT_EQ(properties.smallStepFloat, 1.0f);
    EXPECT_EQ(properties.largeStepFloat, 1.0f);
    EXPECT_STREQ(properties.label, " Bypass ");
    EXPECT_STREQ(properties.shortLabel, " Bypass");
    EXPECT_EQ(properties.minInteger, 0x5A5A5A5A);  // everything else as the host passed it
    EXPECT_EQ(properties.category, 0x5A5A);

    std::memset(&properties, 0x5A, sizeof(properties));
    for (VstInt32 index : {0, 6, 8, -1}) {
        EXPECT_EQ(dispatch(plugin->getAeffect(), effGetParameterProperties, index, 0, &properties), 0);
        EXPECT_EQ(properties.flags, 0x5A5A5A5A);
    }
}

}  // namespace
