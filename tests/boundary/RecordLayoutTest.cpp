// A host reads our records by offset: these are the x86_64 layouts of the
// published interface.
#include <cstddef>

#include <gtest/gtest.h>

#include "plugin/vst2.h"

TEST(RecordLayout, EffectRecord) {
    EXPECT_EQ(sizeof(AEffect), 192u);
    EXPECT_EQ(offsetof(AEffect, magic), 0u);
    EXPECT_EQ(offsetof(AEffect, dispatcher), 8u);
    EXPECT_EQ(offsetof(AEffect, process), 16u);
    EXPECT_EQ(offsetof(AEffect, setParameter), 24u);
    EXPECT_EQ(offsetof(AEffect, getParameter), 32u);
    EXPECT_EQ(offsetof(AEffect, numPrograms), 40u);
    EXPECT_EQ(offsetof(AEffect, numParams), 44u);
    EXPECT_EQ(offsetof(AEffect, numInputs), 48u);
    EXPECT_EQ(offsetof(AEffect, numOutputs), 52u);
    EXPECT_EQ(offsetof(AEffect, flags), 56u);
    EXPECT_EQ(offsetof(AEffect, resvd1), 64u);
    EXPECT_EQ(offsetof(AEffect, resvd2), 72u);
    EXPECT_EQ(offsetof(AEffect, initialDelay), 80u);
    EXPECT_EQ(offsetof(AEffect, realQualities), 84u);
    EXPECT_EQ(offsetof(AEffect, offQualities), 88u);
    EXPECT_EQ(offsetof(AEffect, ioRatio), 92u);
    EXPECT_EQ(offsetof(AEffect, object), 96u);
    EXPECT_EQ(offsetof(AEffect, user), 104u);
    EXPECT_EQ(offsetof(AEffect, uniqueID), 112u);
    EXPECT_EQ(offsetof(AEffect, version), 116u);
    EXPECT_EQ(offsetof(AEffect, processReplacing), 120u);
    EXPECT_EQ(offsetof(AEffect, processDoubleReplacing), 128u);
    EXPECT_EQ(offsetof(AEffect, future), 136u);
}

TEST(RecordLayout, SmallRecords) {
    EXPECT_EQ(sizeof(ERect), 8u);
    EXPECT_EQ(offsetof(ERect, left), 2u);
    EXPECT_EQ(offsetof(ERect, right), 6u);

    EXPECT_EQ(sizeof(VstKeyCode), 8u);
    EXPECT_EQ(offsetof(VstKeyCode, virt), 4u);
    EXPECT_EQ(offsetof(VstKeyCode, modifier), 5u);

    EXPECT_EQ(sizeof(VstEvent), 32u);
    EXPECT_EQ(sizeof(VstEvents), 32u);
    EXPECT_EQ(offsetof(VstEvents, reserved), 8u);
    EXPECT_EQ(offsetof(VstEvents, events), 16u);
}

TEST(RecordLayout, PinAndParameterProperties) {
    EXPECT_EQ(sizeof(VstPinProperties), 128u);
    EXPECT_EQ(offsetof(VstPinProperties, flags), 64u);
    EXPECT_EQ(offsetof(VstPinProperties, arrangementType), 68u);
    EXPECT_EQ(offsetof(VstPinProperties, shortLabel), 72u);

    EXPECT_EQ(sizeof(VstParameterProperties), 152u);
    EXPECT_EQ(offsetof(VstParameterProperties, label), 12u);
    EXPECT_EQ(offsetof(VstParameterProperties, flags), 76u);
    EXPECT_EQ(offsetof(VstParameterProperties, shortLabel), 96u);
    EXPECT_EQ(offsetof(VstParameterProperties, displayIndex), 104u);
    EXPECT_EQ(offsetof(VstParameterProperties, categoryLabel), 112u);
    EXPECT_EQ(offsetof(VstParameterProperties, future), 136u);
}

TEST(RecordLayout, SpeakerArrangement) {
    EXPECT_EQ(sizeof(VstSpeakerProperties), 112u);
    EXPECT_EQ(offsetof(VstSpeakerProperties, name), 16u);
    EXPECT_EQ(offsetof(VstSpeakerProperties, type), 80u);
    EXPECT_EQ(sizeof(VstSpeakerArrangement), 904u);
    EXPECT_EQ(offsetof(VstSpeakerArrangement, numChannels), 4u);
    EXPECT_EQ(offsetof(VstSpeakerArrangement, speakers), 8u);
}

TEST(RecordLayout, Constants) {
    EXPECT_EQ(kEffectMagic, 0x56737450);
    EXPECT_EQ(effGetChunk, 23);
    EXPECT_EQ(effProcessEvents, 25);
    EXPECT_EQ(effGetProgramNameIndexed, 29);
    EXPECT_EQ(effGetPlugCategory, 35);
    EXPECT_EQ(effSetSpeakerArrangement, 42);
    EXPECT_EQ(effGetEffectName, 45);
    EXPECT_EQ(effCanDo, 51);
    EXPECT_EQ(effGetParameterProperties, 56);
    EXPECT_EQ(effGetVstVersion, 58);
    EXPECT_EQ(effGetSpeakerArrangement, 69);
    EXPECT_EQ(effSetTotalSampleToProcess, 73);
    EXPECT_EQ(effGetNumMidiOutputChannels, 79);
    EXPECT_EQ(audioMasterPinConnected, 4);
    EXPECT_EQ(audioMasterUpdateDisplay, 42);
    EXPECT_EQ(audioMasterBeginEdit, 43);
    EXPECT_EQ(audioMasterEndEdit, 44);
    EXPECT_EQ(kPlugCategRoomFx, 6);
}
