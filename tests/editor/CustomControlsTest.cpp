// The LED, the momentary and double-click buttons, the file buttons and the
// step switch, each placed in an off-screen frame and driven as a pointer
// drives them. Bitmap frames are solid colours, so a pixel tells which frame
// was drawn.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "editor/CArKickButton.h"
#include "editor/CArRockerSwitch.h"
#include "editor/CLED.h"
#include "editor/CSaveLoadButton.h"
#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CBitmap.h"

using namespace offscreen;
using ::testing::ElementsAre;

namespace {

class ControlTest : public ::testing::Test {
protected:
    // Three frames of 14 pixels: normal, hover, pressed.
    CBitmap* threeFrames(int width) { return keep(makeStackedBitmap(width, 14, {kRed, kGreen, kBlue})); }
    CBitmap* keep(CBitmap* b) {
        bitmaps_.push_back(b);
        return b;
    }
    void TearDown() override {
        for (CBitmap* b : bitmaps_) b->forget();
    }

    Frame frame;
    RecordingListener listener;

private:
    std::vector<CBitmap*> bitmaps_;
};

}  // namespace

// --- LED ---------------------------------------------------------------------

TEST_F(ControlTest, LedLightsOnlyAboveOneHalf) {
    CBitmap* bitmap = keep(makeStackedBitmap(10, 10, {kGrey, kRed}));
    CLED* led = frame.add(new CLED(CRect(155, 135, 165, 145), bitmap));
    EXPECT_EQ(frame.pixel(160, 140), kGrey);
    led->setValue(0.5f);
    EXPECT_EQ(frame.pixel(160, 140), kGrey) << "exactly 0.5 is off";
    led->setValue(0.51f);
    EXPECT_EQ(frame.pixel(160, 140), kRed);
    led->setValue(0.0f);
    EXPECT_EQ(frame.pixel(160, 140), kGrey);
}

TEST_F(ControlTest, LedIgnoresTheMouseAndHoldsItsBitmap) {
    CBitmap* bitmap = keep(makeStackedBitmap(10, 10, {kGrey, kRed}));
    CLED* led = frame.add(new CLED(CRect(155, 135, 165, 145), bitmap));
    EXPECT_EQ(frame.click(160, 140), kMouseEventNotHandled);
    EXPECT_TRUE(led->isTypeOf("CLED"));
    EXPECT_TRUE(led->isTypeOf("CControl"));
    EXPECT_FALSE(led->isTypeOf("CKickButton"));

    // A copy keeps the bitmap alive on its own.
    const int before = bitmap->getNbReference();
    CView* copy = led->newCopy();
    EXPECT_EQ(bitmap->getNbReference(), before + 1);
    copy->forget();
    EXPECT_EQ(bitmap->getNbReference(), before);
}

TEST_F(ControlTest, LedWithoutBitmapDrawsNothing) {
    frame.add(new CLED(CRect(0, 0, 10, 10), nullptr))->setValue(1.0f);
    EXPECT_EQ(frame.pixel(5, 5), kBlackCColor);
}

// --- momentary button ----------------------------------------------------------

TEST_F(ControlTest, KickButtonReportsOnceOnThePressAndShowsItsStates) {
    auto* button = frame.add(new CArKickButton(CRect(269, 226, 281, 240), &listener, 1015, 14, threeFrames(12),
                                               CPoint(0, 0), false));
    EXPECT_EQ(frame.pixel(275, 233), kRed);
    frame.moveTo(275, 233);
    EXPECT_TRUE(button->isHovered());
    EXPECT_EQ(frame.pixel(275, 233), kGreen);

    EXPECT_EQ(frame.down(275, 233), kMouseEventHandled);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f));
    EXPECT_EQ(frame.pixel(275, 233), kBlue);
    frame.up(275, 233);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f)) << "no report on release";
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(frame.pixel(275, 233), kGreen);

    frame.moveTo(10, 10);
    EXPECT_EQ(frame.pixel(275, 233), kRed);
    EXPECT_TRUE(listener.begins.empty()) << "no gesture reaches the host";
}

TEST_F(ControlTest, KickButtonReleasedOutsideHasAlreadyReported) {
    auto* button = frame.add(new CArKickButton(CRect(269, 226, 281, 240), &listener, 1015, 14, threeFrames(12),
                                               CPoint(0, 0), false));
    frame.moveTo(275, 233);
    frame.down(275, 233);
    frame.moveTo(100, 100, kLButton);
    EXPECT_EQ(button->getValue(), 0.0f) << "the toolkit's tracking outside the rectangle";
    EXPECT_EQ(frame.pixel(275, 233), kBlue) << "the drawing follows the pressed flag";
    frame.up(100, 100);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f));
    EXPECT_FALSE(button->isPressed());
}

TEST_F(ControlTest, KickButtonSwallowsOtherButtons) {
    auto* catcher = frame.add(new ClickCatcher(CRect(260, 220, 290, 250)));
    frame.add(new CArKickButton(CRect(269, 226, 281, 240), &listener, 1015, 14, threeFrames(12), CPoint(0, 0),
                                false));
    EXPECT_EQ(frame.click(275, 233, kRButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(frame.click(275, 233, kMButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(catcher->presses, 0) << "the click is not passed to the view below";
    EXPECT_EQ(frame.pixel(275, 233), kGreen) << "hovered, not pressed";
}

TEST_F(ControlTest, DoubleClickOnlyButton) {
    frame.add(new CArKickButton(CRect(32, 243, 69, 253), &listener, 1013, 10,
                                keep(makeStackedBitmap(37, 10, {kRed, kGreen, kBlue})), CPoint(0, 0), true));
    frame.click(50, 248);
    frame.click(50, 248, kLButton | kControl);
    EXPECT_TRUE(listener.events.empty()) << "single clicks do nothing";
    frame.click(50, 248, kLButton | kDoubleClick);
    frame.click(50, 248, kLButton | kDoubleClick | kControl);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 0.5f));
}

TEST_F(ControlTest, CtrlMeansNothingToANormalButton) {
    frame.add(new CArKickButton(CRect(293, 226, 305, 240), &listener, 1017, 14, threeFrames(12), CPoint(0, 0),
                                false));
    frame.click(299, 233, kLButton | kControl);
    frame.click(299, 233, kLButton | kDoubleClick | kControl);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 1.0f));
}

TEST_F(ControlTest, KickButtonFramesFollowTheOffset) {
    // The offset moves every frame down by the same amount.
    CBitmap* bitmap = keep(makeStackedBitmap(12, 14, {kGrey, kRed, kGreen, kBlue}));
    frame.add(new CArKickButton(CRect(0, 0, 12, 14), &listener, 1, 14, bitmap, CPoint(0, 14), false));
    EXPECT_EQ(frame.pixel(6, 7), kRed);
    frame.moveTo(6, 7);
    EXPECT_EQ(frame.pixel(6, 7), kGreen);
    frame.down(6, 7);
    EXPECT_EQ(frame.pixel(6, 7), kBlue);
}

// --- file button ----------------------------------------------------------------

TEST_F(ControlTest, SaveLoadButtonValuesByButtonAndModifier) {
    auto* button =
        frame.add(new CSaveLoadButton(CRect(76, 226, 88, 240), &listener, 1004, 14, threeFrames(12), CPoint(0, 0)));
    EXPECT_EQ(frame.click(82, 233, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    frame.click(82, 233, kRButton);
    frame.click(82, 233, kRButton | kShift);
    frame.click(82, 233, kRButton | kDoubleClick);
    EXPECT_EQ(frame.click(82, 233, kMButton), kMouseEventNotHandled);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 0.5f, 1.0f, 1.0f));
    EXPECT_EQ(button->getValue(), 0.0f) << "it never stays pressed";
    EXPECT_EQ(frame.pixel(82, 233), kGreen) << "hover frame after the click";
}

TEST_F(ControlTest, SaveLoadButtonWithoutListenerIgnoresClicks) {
    auto* catcher = frame.add(new ClickCatcher(CRect(70, 220, 95, 245)));
    frame.add(new CSaveLoadButton(CRect(76, 226, 88, 240), nullptr, 1004, 14, threeFrames(12), CPoint(0, 0)));
    EXPECT_EQ(frame.click(82, 233), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(catcher->presses, 1) << "not handled by the button: the view below gets it";
}

TEST_F(ControlTest, SaveLoadButtonHasNoKeys) {
    auto* button =
        frame.add(new CSaveLoadButton(CRect(76, 226, 88, 240), &listener, 1004, 14, threeFrames(12), CPoint(0, 0)));
    frame->setFocusView(button);
    EXPECT_EQ(frame.key(VKEY_RETURN), -1);
    EXPECT_TRUE(listener.events.empty());
}

// --- step switch ----------------------------------------------------------------

class RockerTest : public ControlTest {
protected:
    void SetUp() override {
        bitmap_ = keep(makeStackedBitmap(31, 14, {kGrey, kRed, kGreen, kBlue, kYellow}));
        rocker = frame.add(new CArRockerSwitch(CRect(230, 234, 261, 248), &listener, 1001, 14, bitmap_,
                                               CPoint(0, 0), kHorizontal));
    }
    CColor shown() { return frame.pixel(240, 240); }

    CArRockerSwitch* rocker = nullptr;

private:
    CBitmap* bitmap_ = nullptr;
};

TEST_F(RockerTest, SplitsAtItsCentreWhichBelongsToTheRight) {
    frame.click(245, 240);
    frame.click(245.5, 240);
    frame.click(246, 240);
    frame.click(230, 240);
    frame.click(260.9, 240);
    EXPECT_THAT(listener.values(), ElementsAre(-1.0f, 1.0f, 1.0f, -1.0f, 1.0f));
}

TEST_F(RockerTest, FramesWhileHeldAndAfterRelease) {
    EXPECT_EQ(shown(), kGrey);
    frame.moveTo(250, 240);
    EXPECT_EQ(shown(), kGreen) << "hover right";
    frame.down(250, 240);
    EXPECT_EQ(shown(), kYellow) << "pressed right";
    frame.up(250, 240);
    EXPECT_EQ(rocker->getValue(), 0.0f);
    EXPECT_EQ(shown(), kGreen) << "back to hover right";
    EXPECT_THAT(listener.values(), ElementsAre(1.0f)) << "no report on release";

    frame.moveTo(235, 240);
    frame.down(235, 240);
    EXPECT_EQ(shown(), kBlue) << "pressed left";
}

TEST_F(RockerTest, HoverFollowsThePointerOnlyWithoutAButton) {
    frame.moveTo(235, 240);
    EXPECT_EQ(rocker->getHoverState(), -1);
    EXPECT_EQ(shown(), kRed);
    frame.moveTo(255, 240);
    EXPECT_EQ(rocker->getHoverState(), 1);
    EXPECT_EQ(shown(), kGreen);

    frame.moveTo(235, 240);
    frame.down(235, 240);
    frame.moveTo(255, 240, kLButton);
    EXPECT_EQ(rocker->getHoverState(), -1) << "the side stays where the press began";
    EXPECT_EQ(rocker->getValue(), -1.0f);
    frame.up(255, 240);
    EXPECT_THAT(listener.values(), ElementsAre(-1.0f));

    frame.moveTo(100, 100);
    EXPECT_EQ(rocker->getHoverState(), 0);
    EXPECT_EQ(shown(), kGrey);
}

TEST_F(RockerTest, OnlyTheLeftButtonActs) {
    EXPECT_EQ(frame.click(250, 240, kRButton), kMouseEventNotHandled);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(RockerTest, ControlsWithoutBitmapStillReact) {
    RecordingListener other;
    auto* bare = frame.add(new CArRockerSwitch(CRect(0, 0, 31, 14), &other, 1, 14, nullptr, CPoint(0, 0), 1));
    frame.add(new CArKickButton(CRect(40, 0, 52, 14), &other, 2, 14, nullptr, CPoint(0, 0), false));
    frame.add(new CSaveLoadButton(CRect(60, 0, 72, 14), &other, 3, 14, nullptr, CPoint(0, 0)));
    frame.click(20, 7);
    frame.click(45, 7);
    frame.click(65, 7);
    EXPECT_EQ(other.events.size(), 3u);
    EXPECT_EQ(bare->getValue(), 0.0f);
    EXPECT_EQ(frame.pixel(20, 7), kBlackCColor);
}
