// The plug-in's whole editor driven as a host drives it, without a display:
// windows exist only off-screen (the frame draws into its image as always),
// and the host talks to the effect through its record.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "editor/ADEditor.h"
#include "tests/support/Plugin.h"
#include "toolkit/CFrame.h"
#include "toolkit/platform/PlatformWindow.h"

namespace editortest {

// A window that exists for any parent the host passes and shows nothing.
// The live ones are listed, so that tests see which parent holds the
// editor's window, and a host can destroy a parent: the window learns it
// on its next pump, as an X11 child learns it from the server.
class OffscreenWindow : public PlatformWindow {
public:
    OffscreenWindow(void* parent, PlatformWindowOwner& owner) : parent_(parent), owner_(owner) {
        live().push_back(this);
        ++made();
    }
    ~OffscreenWindow() override {
        *alive_ = false;
        live().erase(std::find(live().begin(), live().end(), this));
    }

    void invalidate(const CRect&) override {}
    void pumpEvents() override {
        if (parentGone_) owner_.platformWindowGone();
        if (!click_) return;
        const CPoint where = *click_;
        click_.reset();
        // The owner may destroy this window while it handles the press.
        PlatformWindowOwner& owner = owner_;
        const std::shared_ptr<bool> alive = alive_;
        owner.platformMouseDown(where, kLButton);
        if (*alive) owner.platformMouseUp(where, kLButton);
    }
    void takeFocus() override {}
    unsigned long windowId() const override { return 1; }

    void* parent() const { return parent_; }
    // A left click that the window delivers on its next pump (the host's idle).
    void clickOnNextPump(const CPoint& where) { click_ = where; }
    static std::vector<OffscreenWindow*>& live() {
        static std::vector<OffscreenWindow*> windows;
        return windows;
    }
    static int& made() {
        static int count = 0;
        return count;
    }
    // The host destroys the window `parent`.
    static void destroyParent(void* parent) {
        for (OffscreenWindow* window : live())
            if (window->parent_ == parent) window->parentGone_ = true;
    }

private:
    void* parent_;
    PlatformWindowOwner& owner_;
    bool parentGone_ = false;
    std::optional<CPoint> click_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

inline std::unique_ptr<PlatformWindow> makeOffscreenWindow(void* parent, const CRect&, PlatformWindowOwner& owner) {
    if (!parent) return nullptr;
    return std::make_unique<OffscreenWindow>(parent, owner);
}

inline void* const kHostWindow = reinterpret_cast<void*>(0x5eed);

class EditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setPlatformWindowMaker(makeOffscreenWindow); }
    static void TearDownTestSuite() { setPlatformWindowMaker(nullptr); }

    EditorTest() { closeDuring(-1); }

    // The host closes the window from inside its next requests of this kind
    // (-1: never), as some hosts do when the plug-in reports a change.
    static void closeDuring(VstInt32 opcode) { closingRequest() = opcode; }

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

    // Mouse gestures in window pixels, as the frame's window delivers them;
    // once the window is closed the rest of a gesture goes nowhere.
    void press(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        if (frame()) frame()->onMouseMoved(p, 0);
        if (frame()) frame()->onMouseDown(p, buttons);
    }
    void drag(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        if (frame()) frame()->onMouseMoved(p, buttons);
    }
    void release(CCoord x, CCoord y, long buttons = kLButton) {
        CPoint p(x, y);
        if (frame()) frame()->onMouseUp(p, buttons);
    }
    void click(CCoord x, CCoord y, long buttons = kLButton) {
        press(x, y, buttons);
        release(x, y, buttons);
    }

    FakeHost host;
    std::unique_ptr<Corvane> plugin = std::make_unique<Corvane>(&hostCallback);
    AEffect* effect = plugin->getAeffect();

private:
    static VstInt32& closingRequest() {
        static VstInt32 opcode = -1;
        return opcode;
    }
    // The fake host's answers, and the close it was asked to make.
    static VstIntPtr hostCallback(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
        const VstIntPtr answer = FakeHost::callback(e, opcode, index, value, ptr, opt);
        if (e && opcode == closingRequest()) e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
        return answer;
    }
};

}  // namespace editortest
