// The toolkit end to end under a private X server: a frame with the editor's
// own bitmaps and controls, embedded in a host's window, clicked by the
// server, and showing on screen exactly what it renders off-screen.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "X11TestSupport.h"
#include "XvfbServer.h"
#include "editor/CAbout.h"
#include "editor/CArKickButton.h"
#include "editor/EditorLayout.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/COnOffButton.h"

#define XDOTOOL(...) ASSERT_EQ(runProgram("xdotool", {__VA_ARGS__}), 0) << "xdotool failed"

namespace {

constexpr int kWidth = layout::kWindowWidth;
constexpr int kHeight = layout::kWindowHeight;

CRect rect(layout::Box b) { return CRect(b.left, b.top, b.right, b.bottom); }
// The middle of a box, as xdotool's coordinates.
std::string middleX(layout::Box b) { return std::to_string((b.left + b.right) / 2); }
std::string middleY(layout::Box b) { return std::to_string((b.top + b.bottom) / 2); }

// The store-memory-A key of the preset strip.
constexpr const layout::StripButton& storeMemoA = layout::kStripButtons[7];
static_assert(storeMemoA.bitmap == bitmap::kStoreMemoA);

class Recorder : public CControlListener {
public:
    void valueChanged(CControl* control) override { values.push_back({control->getTag(), control->getValue()}); }
    std::vector<std::pair<long, float>> values;
};

class EditorOnScreenTest : public XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        host = std::make_unique<HostDisplay>();
        parent = host->createParent();  // 1 × 1, as some hosts open editors
        frame = new CFrame(CRect(0, 0, kWidth, kHeight), reinterpret_cast<void*>(parent), nullptr);
        ASSERT_TRUE(frame->hasPlatformWindow());
        // Then the host sizes its window from the editor's rectangle.
        XResizeWindow(host->get(), parent, kWidth, kHeight);
        XSync(host->get(), False);

        CBitmap* background = new CBitmap(bitmap::kBackground);
        CBitmap* bypass = new CBitmap(bitmap::kBypassButton);
        CBitmap* memo = new CBitmap(storeMemoA.bitmap);
        CBitmap* about = new CBitmap(bitmap::kAboutScreen);
        frame->setBackground(background);
        frame->addView(new COnOffButton(rect(layout::kBypassButton), &listener, layout::kBypassTag, bypass));
        frame->addView(new CArKickButton(rect(storeMemoA.rect), &listener, storeMemoA.tag,
                                         bitmap::find(storeMemoA.bitmap)->frameHeight(), memo, CPoint(0, 0), false));
        frame->addView(new CAbout(rect(layout::kAboutArea), &listener, layout::kAboutTag, about,
                                  rect(layout::kAboutScreen), CPoint(0, 0),
                                  CPoint(layout::kAboutVersion.left, layout::kAboutVersion.top)));
        for (CBitmap* b : {background, bypass, memo, about}) b->forget();
        frame->idle();
    }

    void TearDown() override {
        if (frame) frame->close();
        host.reset();
    }

    std::string id() const { return std::to_string(frame->getPlatformWindowId()); }
    bool idleUntil(const std::function<bool()>& done) {
        return eventually(done, [this] { frame->idle(); });
    }
    std::vector<uint32_t> offscreenPixels() const { return imagePixels(frame->getImage()); }
    bool screenMatchesRender() {
        return idleUntil(
            [this] { return host->screenshot(frame->getPlatformWindowId(), kWidth, kHeight) == offscreenPixels(); });
    }

    std::unique_ptr<HostDisplay> host;
    Window parent = None;
    CFrame* frame = nullptr;
    Recorder listener;
};

}  // namespace

TEST_F(EditorOnScreenTest, EmbeddedInTheHostWindowAtItsOwnSize) {
    Window root, parentOfFrame, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(host->get(), frame->getPlatformWindowId(), &root, &parentOfFrame, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(parentOfFrame, parent);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(host->get(), frame->getPlatformWindowId(), &attributes));
    EXPECT_EQ(attributes.width, kWidth);
    EXPECT_EQ(attributes.height, kHeight);
}

TEST_F(EditorOnScreenTest, ScreenShowsTheOffscreenRender) {
    EXPECT_TRUE(screenMatchesRender());
}

TEST_F(EditorOnScreenTest, ServerClicksReachTheControls) {
    const layout::Box bypass = layout::kBypassButton;
    XDOTOOL("mousemove", "--window", id(), middleX(bypass), middleY(bypass), "click", "1");
    ASSERT_TRUE(idleUntil([this] { return !listener.values.empty(); }));
    EXPECT_EQ(listener.values.front(), std::make_pair(long(layout::kBypassTag), 1.0f)) << "bypass switched on";
    EXPECT_TRUE(screenMatchesRender()) << "the button's on state is on screen";

    XDOTOOL("mousemove", "--window", id(), middleX(storeMemoA.rect), middleY(storeMemoA.rect), "click", "1");
    ASSERT_TRUE(idleUntil([this] { return listener.values.size() == 2; }));
    EXPECT_EQ(listener.values.back(), std::make_pair(long(storeMemoA.tag), 1.0f));
}

TEST_F(EditorOnScreenTest, AboutScreenOpensAndClosesOnScreen) {
    XDOTOOL("mousemove", "--window", id(), middleX(layout::kAboutArea), middleY(layout::kAboutArea), "click", "1");
    ASSERT_TRUE(idleUntil([this] { return frame->getModalView() != nullptr; }));
    EXPECT_TRUE(screenMatchesRender());
    const std::vector<uint32_t> shown = offscreenPixels();

    XDOTOOL("mousemove", "--window", id(), middleX(layout::kAboutScreen), middleY(layout::kAboutScreen), "click", "1");
    ASSERT_TRUE(idleUntil([this] { return frame->getModalView() == nullptr; }));
    EXPECT_TRUE(screenMatchesRender());
    EXPECT_NE(offscreenPixels(), shown) << "the about picture is gone";
    EXPECT_TRUE(listener.values.empty()) << "the about control notifies nobody";
}
