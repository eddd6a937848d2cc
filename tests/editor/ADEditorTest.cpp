// The editor window driven through the effect's dispatcher as a host drives
// it: rectangle, open and close, gestures that become automation, host
// automation that moves the controls, and hosts that misbehave.
#include <cstdlib>
#include <string>
#include <thread>

#include "EditorSupport.h"
#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CParamDisplay.h"

using namespace editortest;

namespace {

class ADEditorTest : public EditorTest {
protected:
    std::string shown(int parameter) { return editor()->display(parameter)->getText(); }
    float knobValue(int parameter) { return editor()->knob(parameter)->getValue(); }

    // The host's automation requests, as (index, value).
    std::vector<std::pair<VstInt32, float>> automation() const {
        std::vector<std::pair<VstInt32, float>> sent;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterAutomate) sent.emplace_back(call.index, call.opt);
        return sent;
    }
    std::vector<std::pair<VstInt32, VstInt32>> edits() const {
        std::vector<std::pair<VstInt32, VstInt32>> sent;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit)
                sent.emplace_back(call.opcode, call.index);
        return sent;
    }
};

TEST_F(ADEditorTest, RectangleIsTheWindowsSizeBeforeTheFirstOpen) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 257);
    EXPECT_EQ(rect->right, 320);
    EXPECT_FALSE(editor()->isOpen());

    // The background is drawn to exactly that size.
    CBitmap* background = new CBitmap(bitmap::kBackground);
    EXPECT_EQ(background->getWidth(), rect->right);
    EXPECT_EQ(background->getHeight(), rect->bottom);
    background->forget();
}

TEST_F(ADEditorTest, OpenShowsTheEffectsValues) {
    automate(kDecay, 0.289f);
    automate(kDamp, 0.5f);
    automate(kTranspose, 0.52f);
    automate(kTune, 0.4999f);
    automate(kDetune, 0.0f);
    automate(kMix, 0.25f);
    automate(kOutput, 0.48f);
    automate(kBypass, 0.5f);
    ASSERT_TRUE(open());
    ASSERT_TRUE(editor()->isOpen());

    EXPECT_EQ(frame()->getViewSize(), CRect(0, 0, 320, 257));
    EXPECT_EQ(frame()->getNbViews(), 30) << "seven knobs and displays, button, about control, LED, thirteen preset controls";
    EXPECT_EQ(AEffGUIEditor::knobMode, kLinearMode);
    EXPECT_FLOAT_EQ(knobValue(kDecay), 0.289f);
    EXPECT_FLOAT_EQ(knobValue(kOutput), 0.48f);
    EXPECT_EQ(shown(kDecay), "28%");
    EXPECT_EQ(shown(kDamp), "50%");
    EXPECT_EQ(shown(kTranspose), "#1");
    EXPECT_EQ(shown(kTune), "0c");
    EXPECT_EQ(shown(kDetune), "0%");
    EXPECT_EQ(shown(kMix), "25%");
    EXPECT_EQ(shown(kOutput), "-0.7dB") << "the gain 4 * 0.48^2 = 0.9216";
    // Bypass at exactly 0.5 is on; the LED shows the same as the button.
    EXPECT_EQ(editor()->bypassButton()->getValue(), 1.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 1.0f);
}

TEST_F(ADEditorTest, ReopeningRebuildsFromTheValuesOfThatMoment) {
    ASSERT_TRUE(open());
    close();
    EXPECT_FALSE(editor()->isOpen());
    EXPECT_EQ(editor()->knob(kDecay), nullptr);
    EXPECT_EQ(editor()->bypassLed(), nullptr);

    automate(kDecay, 0.9f);
    automate(kBypass, 1.0f);
    ASSERT_TRUE(open());
    EXPECT_FLOAT_EQ(knobValue(kDecay), 0.9f);
    EXPECT_EQ(shown(kDecay), "90%");
    EXPECT_EQ(editor()->bypassLed()->getValue(), 1.0f);
    close();
}

TEST_F(ADEditorTest, DraggingDecayChangesTheEffectAndTellsTheHost) {
    automate(kDecay, 0.5f);
    ASSERT_TRUE(open());
    host.calls.clear();
    // Linear mode: 200 pixels cover the range, so 42.6 down is -0.213.
    press(72, 93);
    drag(72, 110);
    drag(72, 135.6);
    release(72, 135.6);
    idle();

    EXPECT_FLOAT_EQ(parameter(kDecay), 0.287f);
    EXPECT_EQ(shown(kDecay), "28%");
    ASSERT_FALSE(automation().empty());
    EXPECT_EQ(automation().back().first, kDecay);
    EXPECT_EQ(automation().back().second, parameter(kDecay));
    const std::vector<std::pair<VstInt32, VstInt32>> expected = {{audioMasterBeginEdit, kDecay},
                                                                {audioMasterEndEdit, kDecay}};
    EXPECT_EQ(edits(), expected);
    EXPECT_FLOAT_EQ(plugin->getPrograms()[plugin->getCurrentProgram()].param(kDecay), 0.287f)
        << "the current program keeps it";
}

TEST_F(ADEditorTest, HostAutomationMovesKnobsDisplaysButtonAndLed) {
    ASSERT_TRUE(open());
    automate(kTune, 0.25f);
    automate(kOutput, 1.0f);
    automate(kBypass, 0.7f);
    idle();
    EXPECT_FLOAT_EQ(knobValue(kTune), 0.25f);
    EXPECT_EQ(shown(kTune), "-50c");
    EXPECT_EQ(shown(kOutput), "12.0dB");
    EXPECT_EQ(editor()->bypassButton()->getValue(), 1.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 1.0f);

    automate(kBypass, 0.3f);
    automate(kOutput, 0.0f);
    idle();
    EXPECT_EQ(editor()->bypassButton()->getValue(), 0.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 0.0f);
    EXPECT_EQ(shown(kOutput), "-oo dB");

    // Huge host values saturate instead of overflowing the rounding.
    automate(kBypass, 3e38f);
    idle();
    EXPECT_EQ(editor()->bypassButton()->getValue(), 2147483648.0f);
}

TEST_F(ADEditorTest, AutomationFromAnotherThreadLandsOnTheNextIdle) {
    automate(kDetune, 0.0f);
    ASSERT_TRUE(open());
    std::thread automationThread([this] { automate(kDetune, 0.6f); });
    automationThread.join();
    EXPECT_EQ(knobValue(kDetune), 0.0f) << "no other thread touches a control";
    idle();
    EXPECT_FLOAT_EQ(knobValue(kDetune), 0.6f);
    EXPECT_EQ(shown(kDetune), "60%");
}

TEST_F(ADEditorTest, CtrlClickOnMixRestoresItsDefaultAndTellsTheHost) {
    automate(kMix, 0.8f);
    ASSERT_TRUE(open());
    host.calls.clear();
    click(75, 175, kLButton | kControl);
    EXPECT_FLOAT_EQ(parameter(kMix), 0.25f);
    ASSERT_EQ(automation().size(), 1u);
    EXPECT_EQ(automation()[0], std::make_pair(VstInt32{kMix}, 0.25f));
}

TEST_F(ADEditorTest, BypassButtonSwitchesTheEffectAndTheLed) {
    automate(kBypass, 0.0f);
    ASSERT_TRUE(open());
    host.calls.clear();
    click(160, 175);
    EXPECT_EQ(parameter(kBypass), 1.0f);
    EXPECT_EQ(plugin->engine().bypass(), 1);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 1.0f);
    ASSERT_EQ(automation().size(), 1u);
    EXPECT_EQ(automation()[0], std::make_pair(VstInt32{kBypass}, 1.0f));
    EXPECT_EQ(edits().size(), 2u);

    click(160, 175);
    EXPECT_EQ(parameter(kBypass), 0.0f);
    EXPECT_EQ(editor()->bypassLed()->getValue(), 0.0f);
}

TEST_F(ADEditorTest, TitlePlateOpensTheAboutScreenWithoutTellingAnybody) {
    ASSERT_TRUE(open());
    host.calls.clear();
    click(100, 20);
    EXPECT_NE(frame()->getModalView(), nullptr);
    click(60, 100);  // a knob under the about screen
    EXPECT_EQ(frame()->getModalView(), nullptr);
    EXPECT_TRUE(automation().empty());
}

TEST_F(ADEditorTest, WheelAndKeysReachTheWindowOnlyWhileOpen) {
    VstKeyCode key{'a', 0, 0};
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr), 0);
    EXPECT_FALSE(editor()->onWheel(1.0f));
    EXPECT_FALSE(editor()->onKeyUp(key));
    idle();  // nothing to do, and nothing breaks

    automate(kDamp, 0.5f);
    ASSERT_TRUE(open());
    CPoint overDamp(246, 93);
    frame()->onMouseMoved(overDamp, 0);
    EXPECT_TRUE(editor()->onWheel(1.0f));
    EXPECT_FLOAT_EQ(parameter(kDamp), 0.6f);
}

TEST_F(ADEditorTest, OddParameterIndicesChangeNothing) {
    ASSERT_TRUE(open());
    const float before = knobValue(kDecay);
    editor()->setParameter(9, 0.3f);
    editor()->setParameter(-1, 0.3f);
    editor()->setParameter(1000, 0.3f);
    idle();
    EXPECT_EQ(knobValue(kDecay), before);
    close();
    editor()->setParameter(2, 0.3f);  // closed: nothing to move
    idle();
}

TEST_F(ADEditorTest, KnobModeFromTheHostIsKeptUntilTheNextOpen) {
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, kCircularMode), 1);
    EXPECT_EQ(AEffGUIEditor::knobMode, kCircularMode);
    ASSERT_TRUE(open());
    EXPECT_EQ(AEffGUIEditor::knobMode, kLinearMode);
}

TEST_F(ADEditorTest, EffCloseWithTheWindowOpenMidGesture) {
    ASSERT_TRUE(open());
    press(72, 93);  // a gesture on Decay that never ends
    drag(72, 100);
    host.calls.clear();
    dispatch(effClose);  // destroys the effect, its editor and the window
    (void)plugin.release();
    EXPECT_EQ(host.count(audioMasterEndEdit), 1) << "the cut gesture still ends";
}

TEST_F(ADEditorTest, NoWindowNoSuccess) {
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0) << "no parent window";
    EXPECT_FALSE(editor()->isOpen());
    EXPECT_EQ(frame(), nullptr);

    // The real window system, with no X server to reach.
    setPlatformWindowMaker(nullptr);
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":4711", 1);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, kHostWindow), 0);
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
    setPlatformWindowMaker(makeOffscreenWindow);
    EXPECT_FALSE(editor()->isOpen());
    idle();
    EXPECT_TRUE(open()) << "a later open with a window works";
}

}  // namespace
