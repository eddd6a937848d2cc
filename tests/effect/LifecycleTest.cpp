// The effect as an object: how it starts, what it says about itself, which
// channel layouts it takes.
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "effect/FactoryPrograms.h"
#include "tests/support/Plugin.h"

namespace {

class Lifecycle : public ::testing::Test {
protected:
    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buffer[256] = {};
        dispatch(effect, opcode, index, 0, buffer);
        return buffer;
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    AEffect* effect = plugin->getAeffect();
};

TEST_F(Lifecycle, StartsOnTheDefaultProgram) {
    EXPECT_EQ(plugin->getCurrentProgram(), 0);
    EXPECT_EQ(text(effGetProgramName), "Default");
    const char* displays[] = {"0.0", "25.0", "25.0", "25.0", "0", "0.0", "0.0", " process "};
    for (VstInt32 i = 0; i < 8; ++i) EXPECT_EQ(text(effGetParamDisplay, i), displays[i]) << i;
    // Selecting program 0 refreshed the host's display during construction.
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
}

TEST_F(Lifecycle, FactoryPrograms) {
    const char* names[] = {"Default", "Bright", "High", "Low & Dark", "Almost reverb", "Detuned"};
    for (int p = 0; p < 6; ++p) {
        const ProgramRecord& record = plugin->getPrograms()[p];
        EXPECT_STREQ(record.name, names[p]);
        for (size_t i = std::strlen(names[p]); i < 24; ++i) EXPECT_EQ(record.name[i], 0) << p << " " << i;
        for (int k = 0; k < 8; ++k) EXPECT_EQ(record.params[k], kFactoryPrograms[p].values[k]);
        EXPECT_EQ(record.params[kOutput], 0.5f);
        EXPECT_EQ(record.params[kMix], 0.25f);
        EXPECT_EQ(record.params[kTune], 0.5f);
        EXPECT_EQ(record.params[kBypass], 0.0f);
    }
    plugin->selectProgram(1);
    EXPECT_EQ(text(effGetParamDisplay, kDecay), "50.0");
    EXPECT_EQ(text(effGetParamDisplay, kDamp), "5.0");
    plugin->selectProgram(2);
    EXPECT_EQ(text(effGetParamDisplay, kTranspose), "12");
    plugin->selectProgram(3);
    EXPECT_EQ(text(effGetParamDisplay, kTranspose), "-12");
    plugin->selectProgram(5);
    EXPECT_EQ(text(effGetParamDisplay, kDetune), "100.0");
}

TEST_F(Lifecycle, AlmostReverbComputesDecayTwoOctavesDown) {
    plugin->selectProgram(4);
    EXPECT_EQ(text(effGetParamDisplay, kTranspose), "-24");
    EXPECT_EQ(plugin->engine().transpositionTarget(), 0.25f);
    const double perPass = std::pow(1.02, std::sqrt(0.75)) / 1.0205;
    EXPECT_EQ(plugin->engine().feedback(), static_cast<float>(std::pow(perPass, 16.0)));
}

TEST_F(Lifecycle, NamesVersionsAndCategory) {
    EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(text(effGetEffectName), "Arlo Corvane");
    EXPECT_EQ(text(effGetProductString), "Arlo Corvane - string rezonator plug-in");
    EXPECT_EQ(text(effGetVendorString), "Arlocraft");
    char buffer[64];
    EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effect, effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effect, effGetProductString, 0, 0, buffer), 1);
}

TEST_F(Lifecycle, PinProperties) {
    VstPinProperties pin;
    std::memset(&pin, 0x11, sizeof(pin));
    EXPECT_EQ(dispatch(effect, effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Arlo Corvane 2 Out");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.shortLabel[0], 0x11);  // left as the host passed it
    EXPECT_EQ(pin.arrangementType, 0x11111111);
    EXPECT_EQ(dispatch(effect, effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Arlo Corvane 1 In");

    std::memset(&pin, 0x11, sizeof(pin));
    for (VstInt32 index : {2, 3, -1}) {
        EXPECT_EQ(dispatch(effect, effGetInputProperties, index, 0, &pin), 0);
        EXPECT_EQ(dispatch(effect, effGetOutputProperties, index, 0, &pin), 0);
    }
    EXPECT_EQ(pin.flags, 0x11111111);
    EXPECT_EQ(dispatch(effect, effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(Lifecycle, SpeakerArrangements) {
    auto arrangement = [](VstInt32 channels) {
        VstSpeakerArrangement a{};
        a.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
        a.numChannels = channels;
        return a;
    };
    struct Case {
        VstInt32 ins, outs;
        VstIntPtr answer;
        bool stereoIn, stereoOut;
    };
    const Case cases[] = {{1, 1, 1, false, false}, {1, 2, 1, false, true}, {2, 2, 1, true, true},
                          {2, 1, 0, true, true},   {6, 6, 0, true, true},  {0, 2, 0, true, true}};
    for (const Case& c : cases) {
        VstSpeakerArrangement in = arrangement(c.ins), out = arrangement(c.outs);
        EXPECT_EQ(dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), c.answer)
            << c.ins << "/" << c.outs;
        EXPECT_EQ(plugin->stereoInput(), c.stereoIn) << c.ins << "/" << c.outs;
        EXPECT_EQ(plugin->stereoOutput(), c.stereoOut) << c.ins << "/" << c.outs;
    }
    // Types do not matter, only channel counts; missing arrangements are refused.
    VstSpeakerArrangement odd = arrangement(1);
    odd.type = kSpeakerArrStereo;
    VstSpeakerArrangement out = arrangement(2);
    EXPECT_EQ(dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&odd), &out), 1);
    EXPECT_EQ(dispatch(effect, effSetSpeakerArrangement, 0, 0, nullptr), 0);
    EXPECT_TRUE(plugin->stereoInput());
    EXPECT_TRUE(plugin->stereoOutput());
}

TEST_F(Lifecycle, SuspendAndResumeSilenceTheStrings) {
    float in[2][512] = {}, out[2][512];
    in[0][0] = in[1][0] = 1.0f;
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    plugin->setParameter(kMix, 1.0f);
    plugin->processReplacing(inputs, outputs, 512);  // the strings now ring
    in[0][0] = in[1][0] = 0.0f;
    for (VstIntPtr mains : {0, 1}) {
        dispatch(effect, effMainsChanged, 0, mains);
        plugin->processReplacing(inputs, outputs, 512);
        for (auto& channel : out)
            for (float sample : channel) ASSERT_LT(std::fabs(sample), 1e-7f);
    }
}

}  // namespace
