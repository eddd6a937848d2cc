// The plug-in's whole editor driven as a host drives it, without a display:
// windows exist only off-screen (the frame draws into its image as always),
// and the host talks to the effect through its record.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "editor/ADEditor.h"
#include "tests/support/Plugin.h"
#include "toolkit/CFrame.h"
#include "toolkit/platform/PlatformWindow.h"

namespace editortest {

// A window that exists for any parent the host passes and shows nothing.
class OffscreenWindow : public PlatformWindow {
public:
    void invalidate(const CRect&) override {}
    void pumpEvents() override {}
    void takeFocus() override {}
    unsigned long windowId() const override { return 1; }
};

inline std::unique_ptr<PlatformWindow> makeOffscreenWindow(void* parent, const CRect&, PlatformWindowOwner&) {
    if (!parent) return nullptr;
    return std::make_unique<OffscreenWindow>();
}

inline void* const kHostWindow = reinterpret_cast<void*>(0x5eed);

class EditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setPlatformWindowMaker(makeOffscreenWindow); }
    static void TearDownTestSuite() { setPlatformWindowMaker(nullptr); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return ::dispatch(effect, opcode, index, value, ptr);
    }
    bool open() { return dispatch(effEditOpen, 0, 0, kHostWindow) == 1; }
    void close() { dispatch(effEditClose); }
    void idle() { dispatch(effEditIdle); }
    // Host automation, through the record as a host sends it.
    void automate(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float parameter(VstInt32 index) { return effect->getParameter(effect, index); }

    ADEditor* editor() const { return dynamic_cast<ADEditor*>(plugin->getEditor()); }
    CFrame* frame() const { return editor()->getFrame(); }

    // Mouse gestures in window pixels, as the frame's window delivers them.
    void press(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        frame()->onMouseMoved(p, 0);
        frame()->onMouseDown(p, buttons);
    }
    void drag(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        frame()->onMouseMoved(p, buttons);
    }
    void release(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        frame()->onMouseUp(p, buttons);
    }
    void click(CCoord x, CCoord y, long buttons = kLButton) {
        press(x, y, buttons);
        release(x, y, buttons);
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = makeCorvane(host);
    AEffect* effect = plugin->getAeffect();
};

}  // namespace editortest
