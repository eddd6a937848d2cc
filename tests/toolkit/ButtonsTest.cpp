// The toolkit's buttons that the editor uses or builds on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CKickButton.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/CRockerSwitch.h"
#include "toolkit/CSplashScreen.h"

using namespace offscreen;
using ::testing::ElementsAre;

TEST(OnOffButton, LeftClickTogglesWithinAnEditAndShowsTheHalf) {
    Frame frame;
    RecordingListener listener;
    CBitmap* bitmap = makeStackedBitmap(62, 28, {kGrey, kRed});
    auto* button = frame.add(new COnOffButton(CRect(131, 162, 193, 190), &listener, 7, bitmap));
    bitmap->forget();
    EXPECT_EQ(frame.pixel(160, 175), kGrey);
    EXPECT_EQ(frame.click(160, 175), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(frame.pixel(160, 175), kRed);
    frame.click(160, 175);
    EXPECT_EQ(frame.click(160, 175, kRButton), kMouseEventNotHandled);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 0.0f));
    EXPECT_THAT(listener.begins, ElementsAre(7, 7));
    EXPECT_THAT(listener.ends, ElementsAre(7, 7));
    button->setValue(1.0f);
    EXPECT_EQ(frame.pixel(160, 175), kRed) << "set from outside, drawn on the next idle";
}

TEST(KickButton, ReportsPressAndReleaseOnlyWhenReleasedInside) {
    Frame frame;
    RecordingListener listener;
    frame.add(new CKickButton(CRect(0, 0, 20, 20), &listener, 3, 20, nullptr));
    frame.click(10, 10);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 0.0f));
    listener.events.clear();
    frame.down(10, 10);
    frame.moveTo(50, 50, kLButton);
    frame.up(50, 50);
    EXPECT_THAT(listener.values(), ElementsAre(0.0f)) << "released outside: no click";
    EXPECT_THAT(listener.begins, ElementsAre(3, 3));
    EXPECT_THAT(listener.ends, ElementsAre(3, 3));
}

TEST(KickButton, ReturnKeyActsLikeAClick) {
    Frame frame;
    RecordingListener listener;
    auto* button = frame.add(new CKickButton(CRect(0, 0, 20, 20), &listener, 3, 20, nullptr));
    frame->setFocusView(button);
    EXPECT_EQ(frame.key(VKEY_RETURN), 1);
    EXPECT_EQ(frame.key(VKEY_SPACE, ' '), -1);
    EXPECT_THAT(listener.values(), ElementsAre(1.0f, 0.0f));
}

TEST(RockerSwitch, ReportsTheSideHeldAndRestOnRelease) {
    Frame frame;
    RecordingListener listener;
    frame.add(new CRockerSwitch(CRect(0, 0, 30, 10), &listener, 1, 10, nullptr));
    frame.click(5, 5);
    frame.click(20, 5);
    EXPECT_THAT(listener.values(), ElementsAre(-1.0f, 0.0f, 1.0f, 0.0f));
}

TEST(SplashScreen, ShowsItsBitmapAsModalViewUntilClicked) {
    Frame frame;
    CBitmap* bitmap = makeStackedBitmap(100, 50, {kCyan});
    auto* splash = frame.add(new CSplashScreen(CRect(0, 0, 50, 20), nullptr, 10, bitmap, CRect(100, 100, 200, 150)));
    bitmap->forget();
    EXPECT_EQ(frame.pixel(10, 10), kBlackCColor) << "the control itself is invisible";
    frame.click(10, 10);
    EXPECT_EQ(splash->getValue(), 1.0f);
    EXPECT_EQ(frame.pixel(150, 125), kCyan);
    frame.click(150, 125);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(frame.pixel(150, 125), kBlackCColor);
}
