// The VST editor base driven through the effect's dispatcher, as a host
// drives it: rectangle, open and close, keys, knob mode, and the gestures of
// the frame's controls reaching the host as begin and end edit.
#include <gtest/gtest.h>

#include "../support/FakeHost.h"
#include "plugin/AudioEffectX.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

namespace {

// Keys typed into it are counted; it takes the focus when the window opens.
class KeyField : public CControl {
public:
    explicit KeyField(const CRect& r) : CControl(r, nullptr, 3) {}
    long onKeyDown(VstKeyCode& key) override { return key.character == 'q' ? -1 : 1; }
};

class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) { rect = ERect{0, 0, 257, 320}; }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        frame = new CFrame(CRect(0, 0, 320, 257), parent, this);  // no parent: off-screen
        control = new KeyField(CRect(0, 0, 10, 10));
        frame->addView(control);
        frame->setFocusView(control);
        return true;
    }
    void close() override {
        control = nullptr;
        AEffGUIEditor::close();
    }
    CControl* control = nullptr;
};

class SilentEffect : public AudioEffectX {
public:
    using AudioEffectX::AudioEffectX;
    void processReplacing(float**, float**, VstInt32) override {}
};

class EditorBaseTest : public ::testing::Test {
protected:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        AEffect* e = effect.getAeffect();
        return e->dispatcher(e, opcode, index, value, ptr, 0.0f);
    }
    FakeHost host;
    SilentEffect effect{FakeHost::callback, 1, 8};
    TestEditor* editor = new TestEditor(&effect);  // the effect owns it
};

}  // namespace

TEST_F(EditorBaseTest, AttachesItselfAndAnswersTheRectangleBeforeOpening) {
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_TRUE(effect.getAeffect()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 320);
    EXPECT_EQ(rect->bottom, 257);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(EditorBaseTest, KeysReachTheFrameOnlyWhileOpen) {
    EXPECT_EQ(dispatch(effEditKeyDown, 'a'), 0) << "closed";
    ASSERT_EQ(dispatch(effEditOpen), 1);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(dispatch(effEditKeyDown, 'a'), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, 'q'), 0) << "a key the view does not take";
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_EQ(dispatch(effEditKeyDown, 'a'), 0);
    EXPECT_FALSE(editor->onWheel(1.0f));
}

TEST_F(EditorBaseTest, GesturesBecomeBeginAndEndEditRequests) {
    dispatch(effEditOpen);
    editor->control->beginEdit();
    editor->control->endEdit();
    ASSERT_EQ(host.count(audioMasterBeginEdit), 1);
    ASSERT_EQ(host.count(audioMasterEndEdit), 1);
    for (const HostCall& call : host.calls)
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit) {
            EXPECT_EQ(call.index, 3);
        }
}

TEST_F(EditorBaseTest, KnobModeIsSharedAndIdleStuffGivesTheHostTime) {
    const VstInt32 before = AEffGUIEditor::knobMode;
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, kLinearMode), 1);
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    AEffGUIEditor::knobMode = before;

    dispatch(effEditOpen);
    editor->doIdleStuff();
    EXPECT_EQ(host.count(audioMasterIdle), 1);
}
