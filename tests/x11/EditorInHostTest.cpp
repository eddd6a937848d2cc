// The whole plug-in in a host's window on a private X server, driven through
// its dispatcher as a host drives it, by a host that idles late, hides its
// window mid-gesture or mid-rename and keeps its own keyboard shortcuts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// The plug-in's headers before Xlib's, whose Status and None are macros.
#include "editor/ADEditor.h"
#include "editor/EditorLayout.h"
#include "tests/support/Plugin.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenuPopup.h"
#include "toolkit/CTextEdit.h"

#include <X11/keysym.h>

#include "X11TestSupport.h"
#include "XvfbServer.h"

#define XDOTOOL(...) ASSERT_EQ(runProgram("xdotool", {__VA_ARGS__}), 0) << "xdotool failed"

namespace {

constexpr int kWidth = layout::kWindowWidth;
constexpr int kHeight = layout::kWindowHeight;

std::string middleX(layout::Box b) { return std::to_string((b.left + b.right) / 2); }
std::string middleY(layout::Box b) { return std::to_string((b.top + b.bottom) / 2); }

class EditorInHostTest : public XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        host = std::make_unique<HostDisplay>();
        parent = host->createParent(kWidth, kHeight);
    }

    void TearDown() override {
        if (plugin) dispatch(effect, effEditClose);
        plugin.reset();
        host.reset();
    }

    bool open(Window window) { return dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(window)) == 1; }
    void idle() { dispatch(effect, effEditIdle); }
    CFrame* frame() const { return static_cast<ADEditor*>(plugin->getEditor())->getFrame(); }
    std::string id() const { return std::to_string(frame()->getPlatformWindowId()); }
    Window focusedWindow() const { return ::focusedWindow(host->get()); }
    Window ours() const { return frame()->getPlatformWindowId(); }
    void focus(Window window) {
        XSetInputFocus(host->get(), window, RevertToParent, CurrentTime);
        XSync(host->get(), False);
    }
    bool idleUntil(const std::function<bool()>& done) {
        return eventually(done, [this] { idle(); });
    }
    std::string programName() {
        char name[kVstMaxProgNameLen + 1] = {};
        dispatch(effect, effGetProgramName, 0, 0, name);
        return name;
    }
    CTextEdit* nameField() const { return static_cast<ADEditor*>(plugin->getEditor())->nameField(); }
    // As a user starts renaming: a click in the field, which takes the keyboard.
    void clickNameField() {
        const layout::Box field = layout::kNameField;
        XDOTOOL("mousemove", "--window", id(), middleX(field), middleY(field), "click", "1");
        ASSERT_TRUE(idleUntil([this] { return focusedWindow() == ours(); })) << "the keyboard is ours";
    }
    // The next key the host's window received, or NoSymbol.
    KeySym hostKeyPress() {
        XEvent event;
        if (!XCheckTypedWindowEvent(host->get(), parent, KeyPress, &event)) return NoSymbol;
        return XLookupKeysym(&event.xkey, 0);
    }

    std::unique_ptr<HostDisplay> host;
    Window parent = None;
    FakeHost fakeHost;
    std::unique_ptr<Corvane> plugin = makeCorvane(fakeHost);
    AEffect* effect = plugin->getAeffect();
};

}  // namespace

TEST_F(EditorInHostTest, NeverIdledTheWindowShowsTheWholePictureAlsoWhereUncovered) {
    ASSERT_TRUE(open(parent));
    Window cover = host->createParent(kWidth, kHeight);
    XDestroyWindow(host->get(), cover);
    XSync(host->get(), False);
    const std::vector<uint32_t> shown = host->screenshot(frame()->getPlatformWindowId(), kWidth, kHeight);
    frame()->updateDirtyViews();  // the picture as the frame renders it, drawn now if open did not
    EXPECT_EQ(shown, imagePixels(frame()->getImage()));
}

// The host hides its window while the Decay knob is dragged, the button is
// released elsewhere, then the knob is clicked again; no idle in between.
TEST_F(EditorInHostTest, ADragCutShortByTheHostEndsItsEdit) {
    ASSERT_TRUE(open(parent));
    const layout::Box knob = layout::kKnobs[0].rect;
    XDOTOOL("mousemove", "--window", id(), middleX(knob), middleY(knob), "mousedown", "1", "mousemove", "--window",
            id(), middleX(knob), std::to_string(knob.top - 20));
    XUnmapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "0", "0", "mouseup", "1");
    XMapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "--window", id(), middleX(knob), middleY(knob), "click", "1");
    ASSERT_TRUE(eventually([this] { return fakeHost.count(audioMasterEndEdit) >= 2; }, [this] { idle(); }));
    EXPECT_EQ(fakeHost.count(audioMasterBeginEdit), 2);
    EXPECT_EQ(fakeHost.count(audioMasterEndEdit), 2);
}

// --- The keyboard, shared with the host -----------------------------------

// After a rename the host's shortcuts (space: play) work again. A rename
// is a click, the new name and Return: the old name is selected at first.
TEST_F(EditorInHostTest, RenamingGivesTheKeyboardBackToTheHost) {
    ASSERT_TRUE(open(parent));
    focus(parent);
    clickNameField();
    XDOTOOL("key", "P", "l", "u", "c", "k", "Return");
    ASSERT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));
    EXPECT_EQ(programName(), "Pluck");
}

// Keys typed right after Return, before the window had given the keyboard
// back, still reach the host: space right after a rename starts playing.
// So do shortcuts typed during the rename.
TEST_F(EditorInHostTest, KeysTypedRightAfterARenameReachTheHost) {
    ASSERT_TRUE(open(parent));
    XSelectInput(host->get(), parent, KeyPressMask);
    focus(parent);
    clickNameField();
    // A shortcut the field declines goes to the host at once; typing goes on.
    XDOTOOL("key", "ctrl+s");
    EXPECT_TRUE(idleUntil([this] { return hostKeyPress() == XK_s; })) << "the host's shortcut";
    EXPECT_TRUE(nameField()->isEditingText());
    XDOTOOL("key", "--delay", "0", "Q", "Return", "space");  // all three queued before the next idle
    ASSERT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));
    EXPECT_EQ(programName(), "Q");
    EXPECT_TRUE(idleUntil([this] { return hostKeyPress() == XK_space; })) << "the space went to the host";
}

// The host hides its window (rather than closing the editor) mid-rename:
// the keyboard went with it, so the rename ends as a click elsewhere ends
// it, and once shown again a click in the field renames again.
TEST_F(EditorInHostTest, HidingTheWindowMidRenameEndsItAndAClickRenamesAgain) {
    ASSERT_TRUE(open(parent));
    focus(parent);
    const std::string before = programName();
    clickNameField();
    XDOTOOL("key", "End", "BackSpace", "X");
    ASSERT_TRUE(idleUntil([&] { return nameField()->getString() == before.substr(0, before.size() - 1) + "X"; }));
    XUnmapWindow(host->get(), parent);
    XSync(host->get(), False);
    ASSERT_TRUE(idleUntil([this] { return !nameField()->isEditingText(); })) << "no caret left behind";
    EXPECT_EQ(programName(), nameField()->getString()) << "the typed text is taken";

    XMapWindow(host->get(), parent);
    focus(parent);
    clickNameField();
    EXPECT_TRUE(nameField()->isEditingText());
    XDOTOOL("key", "End", "BackSpace", "Y", "Return");
    EXPECT_TRUE(idleUntil([&] { return programName() == before.substr(0, before.size() - 1) + "Y"; }));
    EXPECT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));
}

// Nobody had the keyboard before the rename: it ends with the host's
// window, not with nobody. The pointer's focus is restored as it was.
TEST_F(EditorInHostTest, KeyboardOfNobodyBeforeARenameEndsWithTheHost) {
    ASSERT_TRUE(open(parent));
    focus(None);
    clickNameField();
    XDOTOOL("key", "Return");
    EXPECT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));

    focus(PointerRoot);
    clickNameField();
    XDOTOOL("key", "Return");
    EXPECT_TRUE(idleUntil([this] { return focusedWindow() == PointerRoot; }));
}

// A host that embeds us in an inner window of its plug-in window (which
// ignores keys): the keyboard goes to that plug-in window, its top level.
TEST_F(EditorInHostTest, KeyboardOfNobodyEndsWithTheHostsTopLevelWindow) {
    Display* dpy = host->get();
    const Window inner = XCreateSimpleWindow(dpy, parent, 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(dpy, inner);
    XSync(dpy, False);
    ASSERT_TRUE(open(inner));
    focus(None);
    clickNameField();
    XDOTOOL("key", "Return");
    EXPECT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));
}

// With the host's window focused and the pointer over the editor, keys
// reach the host's window (which passes them on as effEditKeyDown), also
// after the program list, which held the keyboard for its arrow keys.
TEST_F(EditorInHostTest, KeysUnderThePointerReachTheHostsWindow) {
    ASSERT_TRUE(open(parent));
    XSelectInput(host->get(), parent, KeyPressMask);
    focus(parent);
    const layout::Box knob = layout::kKnobs[0].rect;
    XDOTOOL("mousemove", "--window", id(), middleX(knob), middleY(knob), "key", "space");
    EXPECT_TRUE(idleUntil([this] { return hostKeyPress() == XK_space; }));
    EXPECT_EQ(dispatch(effect, effEditKeyDown, ' ', VKEY_SPACE), 0) << "not the editor's: the host plays";

    const layout::Box menu = layout::kProgramMenu;
    XDOTOOL("mousemove", "--window", id(), middleX(menu), middleY(menu), "click", "1");
    ASSERT_TRUE(idleUntil([this] { return focusedWindow() == ours(); })) << "the list's arrow keys";
    auto* list = dynamic_cast<COptionMenuPopup*>(frame()->getModalView());
    ASSERT_NE(list, nullptr);
    const CRect row = list->getEntryRect(2);
    XDOTOOL("mousemove", "--window", id(), std::to_string(int(row.left + 2)), std::to_string(int(row.top + 2)),
            "click", "1");
    ASSERT_TRUE(idleUntil([this] { return frame()->getModalView() == nullptr; }));
    EXPECT_EQ(plugin->getCurrentProgram(), 2);
    EXPECT_TRUE(idleUntil([this] { return focusedWindow() == parent; }));
    XDOTOOL("key", "space");
    EXPECT_TRUE(idleUntil([this] { return hostKeyPress() == XK_space; }));
}
