// Every opcode the host may send, answered as the interface expects.
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/Plugin.h"

namespace {

class RecordingEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    bool getRect(ERect** rect) override {
        *rect = &bounds;
        return true;
    }
    bool open(void* parent) override {
        AEffEditor::open(parent);
        return true;
    }
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override {
        lastKey = key;
        return false;
    }
    bool setKnobMode(VstInt32 mode) override {
        knobMode = mode;
        return true;
    }
    void setParameter(VstInt32 index, float value) override {
        lastIndex = index;
        lastValue = value;
        ++notifications;
    }

    ERect bounds{0, 0, 257, 320};
    int idles = 0;
    VstKeyCode lastKey{};
    VstInt32 knobMode = -1;
    VstInt32 lastIndex = -1;
    float lastValue = 0.0f;
    int notifications = 0;
};

class Dispatcher : public ::testing::Test {
protected:
    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    AEffect* effect = plugin->getAeffect();
};

TEST_F(Dispatcher, FixedAnswers) {
    EXPECT_EQ(dispatch(effect, effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effect, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effect, effGetVendorVersion), 1710);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), kPlugCategRoomFx);
    EXPECT_EQ(dispatch(effect, effGetTailSize), 0);
    EXPECT_EQ(dispatch(effect, effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effect, effGetNumMidiInputChannels), 0);
    EXPECT_EQ(dispatch(effect, effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(dispatch(effect, effSetTotalSampleToProcess, 0, 4096), 4096);
    for (VstInt32 index : {0, 7, 8, -1, 1000}) EXPECT_EQ(dispatch(effect, effCanBeAutomated, index), 1);
}

TEST_F(Dispatcher, ClaimsNoCapability) {
    for (const char* query : {"receiveVstMidiEvent", "bypass", "offline", "sendVstEvents", ""}) {
        std::string text = query;
        EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, text.data()), 0) << query;
    }
    EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, NeutralAndUnhandledOpcodesAnswerZeroAndChangeNothing) {
    const int neutral[] = {27, 38, 39, 40, 41, 44, 50, 62, 64, 65, 66, 67, 68, 70, 71, 72, 74, 75, 76, 77};
    const int unhandled[] = {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57, -1, 80, 1000};
    char buffer[256];
    void* chunk = nullptr;
    ASSERT_EQ(dispatch(effect, effGetChunk, 0, 0, &chunk), 368);
    const std::string before(static_cast<char*>(chunk), 368);
    for (int opcode : neutral) {
        std::memset(buffer, 0, sizeof(buffer));
        EXPECT_EQ(dispatch(effect, opcode, 1, 1, buffer, 1.0f), 0) << opcode;
    }
    for (int opcode : unhandled) {
        std::memset(buffer, 0, sizeof(buffer));
        EXPECT_EQ(dispatch(effect, opcode, 1, 1, buffer, 1.0f), 0) << opcode;
    }
    ASSERT_EQ(dispatch(effect, effGetChunk, 0, 0, &chunk), 368);
    EXPECT_EQ(before, std::string(static_cast<char*>(chunk), 368));
    EXPECT_EQ(plugin->getSampleRate(), 44100.0f);  // effSetBlockSizeAndSampleRate is not taken
}

TEST_F(Dispatcher, HostProgramRequestsAreIgnored) {
    plugin->selectProgram(3);
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
    EXPECT_EQ(dispatch(effect, effSetProgram, 0, 0), 0);
    EXPECT_EQ(dispatch(effect, effSetProgram, 0, -5), 0);
    EXPECT_EQ(plugin->getCurrentProgram(), 3);
}

TEST_F(Dispatcher, ProgramNamesBeyondTheOneProgramShown) {
    char name[32];
    for (VstInt32 index = 0; index < 6; ++index)
        EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, index, 0, name), 1) << index;
    EXPECT_STREQ(name, "Detuned");
    std::strcpy(name, "untouched");
    EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, 6, 0, name), 0);
    EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_STREQ(name, "untouched");
}

TEST_F(Dispatcher, ParameterTexts) {
    char text[64];
    dispatch(effect, effGetParamName, 4, 0, text);
    EXPECT_STREQ(text, " Transpose ");
    dispatch(effect, effGetParamLabel, 5, 0, text);
    EXPECT_STREQ(text, " cents ");
    dispatch(effect, effGetParamDisplay, 1, 0, text);
    EXPECT_STREQ(text, "25.0");
    // A host passing no buffer gets nothing written and no crash.
    EXPECT_EQ(dispatch(effect, effGetParamName, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effect, effGetParamDisplay, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effect, effGetProgramName, 0, 0, nullptr), 0);
    EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, SampleRateAndBlockSize) {
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(plugin->getSampleRate(), 48000.0f);
    EXPECT_EQ(plugin->engine().sampleRate(), 48000.0f);
    dispatch(effect, effSetBlockSize, 0, 512);
    EXPECT_EQ(plugin->getBlockSize(), 512);
    // A rate no host can mean keeps the strings at the last good one.
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()})
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(plugin->getSampleRate(), 48000.0f);
    EXPECT_EQ(plugin->engine().sampleRate(), 48000.0f);
}

TEST_F(Dispatcher, EditorRequestsWithoutAnEditorAnswerZero) {
    delete plugin->getEditor();
    plugin->setEditor(nullptr);
    EXPECT_EQ(effect->flags & effFlagsHasEditor, 0);
    ERect* rect = reinterpret_cast<ERect*>(0x1);
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    EXPECT_EQ(dispatch(effect, effEditClose), 0);
    EXPECT_EQ(dispatch(effect, effEditIdle), 0);
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', 1, nullptr, 2.0f), 0);
    EXPECT_EQ(dispatch(effect, effEditKeyUp, 'a', 1, nullptr, 2.0f), 0);
    EXPECT_EQ(dispatch(effect, effSetEditKnobMode, 0, 2), 0);
}

TEST_F(Dispatcher, EditorRequestsReachTheEditor) {
    auto* editor = new RecordingEditor(plugin.get());
    delete plugin->getEditor();
    plugin->setEditor(editor);
    EXPECT_EQ(effect->flags & effFlagsHasEditor, effFlagsHasEditor);

    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 320);
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 1);
    EXPECT_TRUE(editor->isOpen());
    dispatch(effect, effEditIdle);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(dispatch(effect, effEditClose), 0);
    EXPECT_FALSE(editor->isOpen());

    // Key: character from index, virtual key from the low byte of value,
    // modifier from opt truncated, low byte.
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'q', 0x1F07, nullptr, 258.9f), 1);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.virt, 0x07);
    EXPECT_EQ(editor->lastKey.modifier, 2);
    EXPECT_EQ(dispatch(effect, effEditKeyUp, 'r', 3, nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(editor->lastKey.character, 'r');
    EXPECT_EQ(editor->lastKey.modifier, 0);

    EXPECT_EQ(dispatch(effect, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);

    // Every parameter change reaches the editor, indices beyond 7 included.
    effect->setParameter(effect, 9, 0.5f);
    EXPECT_EQ(editor->lastIndex, 9);
    effect->setParameter(effect, 3, 0.4f);
    EXPECT_EQ(editor->lastIndex, 3);
    EXPECT_FLOAT_EQ(editor->lastValue, 0.4f);
}

TEST_F(Dispatcher, SpeakerArrangementQueryClearsBothPointers) {
    VstSpeakerArrangement arrangement{};
    VstSpeakerArrangement* in = &arrangement;
    VstSpeakerArrangement* out = &arrangement;
    EXPECT_EQ(dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(dispatch(effect, effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, MidiEventsAreIgnored) {
    VstEvents events{};
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &events), 0);
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, nullptr), 0);
}

// The editor's path: the effect takes the value, then the host hears of it.
TEST_F(Dispatcher, AutomationReachesTheHostAfterTheEffect) {
    host.calls.clear();
    float seenByHost = -1.0f;
    plugin->setParameterAutomated(2, 0.8f);
    ASSERT_EQ(host.count(audioMasterAutomate), 1);
    for (const HostCall& call : host.calls)
        if (call.opcode == audioMasterAutomate) {
            EXPECT_EQ(call.index, 2);
            EXPECT_EQ(call.effect, effect);
            seenByHost = call.opt;
        }
    EXPECT_FLOAT_EQ(seenByHost, 0.8f);
    EXPECT_FLOAT_EQ(plugin->getParameter(2), 0.8f);

    host.calls.clear();
    EXPECT_FALSE(plugin->beginEdit(4));
    EXPECT_FALSE(plugin->endEdit(4));
    plugin->masterIdle();
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[0].index, 4);
    EXPECT_EQ(host.calls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[2].opcode, audioMasterIdle);
}

TEST_F(Dispatcher, PinQueriesFollowTheHostsInvertedAnswer) {
    host.pinAnswer = 0;
    EXPECT_TRUE(plugin->isInputConnected(1));
    EXPECT_TRUE(plugin->isOutputConnected(1));
    host.pinAnswer = 1;
    EXPECT_FALSE(plugin->isInputConnected(1));
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.back().opcode, audioMasterPinConnected);
    EXPECT_EQ(host.calls.back().index, 1);
    EXPECT_EQ(host.calls.back().value, 0);
    EXPECT_FALSE(plugin->isOutputConnected(1));
    EXPECT_EQ(host.calls.back().value, 1);
}

TEST(DispatcherWithoutHost, HostCallsAreSkipped) {
    Corvane plugin(nullptr);
    EXPECT_TRUE(plugin.isInputConnected(1));
    EXPECT_TRUE(plugin.isOutputConnected(1));
    EXPECT_FALSE(plugin.updateDisplay());
    EXPECT_FALSE(plugin.beginEdit(0));
    plugin.setParameterAutomated(0, 0.3f);
    EXPECT_FLOAT_EQ(plugin.getParameter(0), 0.3f);
}

}  // namespace
