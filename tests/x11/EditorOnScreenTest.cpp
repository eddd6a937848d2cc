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
#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CFrame.h"
#include "toolkit/COnOffButton.h"

#define XDOTOOL(...) ASSERT_EQ(runProgram("xdotool", {__VA_ARGS__}), 0) << "xdotool failed"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 257;

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

        CBitmap* background = new CBitmap(1128);
        CBitmap* bypass = new CBitmap(1132);
        CBitmap* memo = new CBitmap(19995);
        CBitmap* about = new CBitmap(1200);
        frame->setBackground(background);
        frame->addView(new COnOffButton(CRect(131, 162, 193, 190), &listener, 7, bypass));
        frame->addView(new CArKickButton(CRect(269, 226, 281, 240), &listener, 1015, 14, memo, CPoint(0, 0), false));
        frame->addView(new CAbout(CRect(50, 10, 280, 47), &listener, 10, about, CRect(30, 10, 290, 214), CPoint(0, 0),
                                  CPoint(172, 80)));
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
    std::vector<uint32_t> offscreenPixels() const {
        cairo_surface_t* image = frame->getImage();
        cairo_surface_flush(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff);
        return pixels;
    }
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
    XDOTOOL("mousemove", "--window", id(), "160", "175", "click", "1");
    ASSERT_TRUE(idleUntil([this] { return !listener.values.empty(); }));
    EXPECT_EQ(listener.values.front(), std::make_pair(7L, 1.0f)) << "bypass switched on";
    EXPECT_TRUE(screenMatchesRender()) << "the button's on state is on screen";

    XDOTOOL("mousemove", "--window", id(), "275", "233", "click", "1");
    ASSERT_TRUE(idleUntil([this] { return listener.values.size() == 2; }));
    EXPECT_EQ(listener.values.back(), std::make_pair(1015L, 1.0f));
}

TEST_F(EditorOnScreenTest, AboutScreenOpensAndClosesOnScreen) {
    XDOTOOL("mousemove", "--window", id(), "100", "20", "click", "1");
    ASSERT_TRUE(idleUntil([this] { return frame->getModalView() != nullptr; }));
    EXPECT_TRUE(screenMatchesRender());
    const std::vector<uint32_t> shown = offscreenPixels();

    XDOTOOL("mousemove", "--window", id(), "150", "150", "click", "1");
    ASSERT_TRUE(idleUntil([this] { return frame->getModalView() == nullptr; }));
    EXPECT_TRUE(screenMatchesRender());
    EXPECT_NE(offscreenPixels(), shown) << "the about picture is gone";
    EXPECT_TRUE(listener.values.empty()) << "the about control notifies nobody";
}
