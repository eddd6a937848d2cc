// The whole plug-in in a host's window on a private X server, driven through
// its dispatcher as a host drives it, by a host that idles late, hides its
// window mid-gesture and keeps its own keyboard shortcuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// The plug-in's headers before Xlib's, whose Status and None are macros.
#include "editor/ADEditor.h"
#include "editor/EditorLayout.h"
#include "tests/support/Plugin.h"
#include "toolkit/CFrame.h"

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

// After a rename the host's shortcuts (space: play) work again.
TEST_F(EditorInHostTest, RenamingGivesTheKeyboardBackToTheHost) {
    ASSERT_TRUE(open(parent));
    XSetInputFocus(host->get(), parent, RevertToParent, CurrentTime);
    XSync(host->get(), False);
    const layout::Box field = layout::kNameField;
    XDOTOOL("mousemove", "--window", id(), middleX(field), middleY(field), "click", "1");
    ASSERT_TRUE(eventually([this] { return focusedWindow() == frame()->getPlatformWindowId(); }, [this] { idle(); }));
    XDOTOOL("key", "--repeat", "30", "BackSpace");
    XDOTOOL("key", "P", "l", "u", "c", "k", "Return");
    ASSERT_TRUE(eventually([this] { return focusedWindow() == parent; }, [this] { idle(); }));
    char name[kVstMaxProgNameLen + 1] = {};
    dispatch(effect, effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Pluck");
}
