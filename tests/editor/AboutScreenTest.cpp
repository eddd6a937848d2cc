// The about screen: opened by a left click on the title plate, modal while
// shown, closed by a left click on it, and the same again every time.
#include <gtest/gtest.h>

#include "editor/CAbout.h"
#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CBitmap.h"

using namespace offscreen;

namespace {

class AboutScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        CBitmap* picture = makeStackedBitmap(260, 204, {kCyan});
        underneath = frame.add(new ClickCatcher(CRect(0, 100, 320, 257)));
        about = frame.add(new CAbout(CRect(50, 10, 280, 47), &listener, 10, picture,
                                     CRect(30, 10, 30 + picture->getWidth(), 10 + picture->getHeight()),
                                     CPoint(0, 0), CPoint(172, 80)));
        picture->forget();  // the control keeps its own reference
    }
    bool shown() const { return frame->getModalView() != nullptr; }
    // Dark pixels in a rectangle of the window: the version text.
    int darkPixels(int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const CColor c = frame.pixel(x, y);
                if (c.red < 100 && c.green < 100 && c.blue < 100) ++n;
            }
        return n;
    }

    Frame frame;
    RecordingListener listener;
    ClickCatcher* underneath = nullptr;
    CAbout* about = nullptr;
};

}  // namespace

TEST_F(AboutScreenTest, LeftClickOpensTheModalAboutView) {
    EXPECT_EQ(frame.click(100, 20), kMouseEventHandled);
    ASSERT_TRUE(shown());
    EXPECT_TRUE(frame->getModalView()->isTypeOf("CSplashScreenMyView"));
    EXPECT_TRUE(frame->getModalView()->isTypeOf("CControl"));
    EXPECT_EQ(frame->getModalView()->getViewSize(), CRect(30, 10, 290, 214));
    EXPECT_EQ(about->getValue(), 1.0f);
    EXPECT_EQ(frame.pixel(40, 20), kCyan);
    EXPECT_EQ(frame.pixel(285, 210), kCyan);
    EXPECT_TRUE(listener.events.empty()) << "the about control never notifies";
}

TEST_F(AboutScreenTest, RightClickOnTheTitleDoesNothing) {
    EXPECT_EQ(frame.click(100, 20, kRButton), kMouseEventNotHandled);
    EXPECT_FALSE(shown());
    EXPECT_EQ(about->getValue(), 0.0f);
}

TEST_F(AboutScreenTest, VersionIsPrintedAtItsPlace) {
    frame.click(100, 20);
    // "v.1.7.1" starts at (202, 90) in the window and is about 30 pixels wide.
    EXPECT_GT(darkPixels(202, 90, 302, 105), 10);
    EXPECT_EQ(darkPixels(30, 10, 200, 88), 0);
    EXPECT_EQ(darkPixels(240, 90, 290, 105), 0);
    EXPECT_EQ(darkPixels(202, 106, 290, 214), 0);
}

TEST_F(AboutScreenTest, ModalWhileShown) {
    frame.click(100, 20);
    EXPECT_EQ(frame.click(300, 240), kMouseEventNotHandled) << "outside the about view";
    EXPECT_EQ(underneath->presses, 0);
    EXPECT_EQ(frame.click(100, 150, kRButton), kMouseEventNotHandled);
    EXPECT_TRUE(shown()) << "a right click does not close it";
    EXPECT_EQ(underneath->presses, 0) << "nor does it reach the view under it";
}

TEST_F(AboutScreenTest, LeftClickOnItClosesAndRedrawsTheWindow) {
    frame.click(100, 20);
    EXPECT_EQ(frame.click(100, 150), kMouseEventHandled);
    EXPECT_FALSE(shown());
    EXPECT_EQ(about->getValue(), 0.0f);
    EXPECT_EQ(underneath->presses, 0) << "the closing click goes nowhere else";
    EXPECT_EQ(frame.pixel(40, 20), kBlackCColor) << "the about picture is gone";
    frame.click(100, 150);
    EXPECT_EQ(underneath->presses, 1) << "clicks reach the window again";
}

TEST_F(AboutScreenTest, OpensEveryTime) {
    for (int round = 0; round < 4; ++round) {
        frame.click(100, 20);
        ASSERT_TRUE(shown()) << "round " << round;
        EXPECT_EQ(about->getValue(), 1.0f);
        frame.click(100, 150);
        ASSERT_FALSE(shown()) << "round " << round;
        EXPECT_EQ(about->getValue(), 0.0f);
    }
}

TEST(AboutScreenLifetime, ClosingTheWindowWhileShownDestroysTheView) {
    // Run under AddressSanitizer: neither a leak nor a second destruction.
    CBitmap* picture = makeStackedBitmap(260, 204, {kCyan});
    {
        Frame frame;
        frame.add(new CAbout(CRect(50, 10, 280, 47), nullptr, 10, picture, CRect(30, 10, 290, 214), CPoint(0, 0),
                             CPoint(172, 80)));
        frame.click(100, 20);
        ASSERT_NE(frame->getModalView(), nullptr);
        EXPECT_EQ(picture->getNbReference(), 3) << "ours, the control's and the view's";
    }
    EXPECT_EQ(picture->getNbReference(), 1);
    picture->forget();
}
