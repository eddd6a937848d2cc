// The rules behind the events, where the server cannot easily produce the
// case: timing limits, clock wrap-around, keys a test keyboard lacks.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "toolkit/platform/X11Keys.h"
#include "toolkit/platform/X11Mouse.h"

TEST(DoubleClickRule, WithinTimeAndDistanceOfTheSameButtonOnly) {
    DoubleClickDetector slow;
    slow.press(Button1, 1000, 10, 10);
    EXPECT_FALSE(slow.press(Button1, 1401, 10, 10));

    DoubleClickDetector quick;
    quick.press(Button1, 1000, 10, 10);
    EXPECT_TRUE(quick.press(Button1, 1400, 14, 6));

    DoubleClickDetector far;
    far.press(Button1, 1000, 10, 10);
    EXPECT_FALSE(far.press(Button1, 1010, 15, 10));

    DoubleClickDetector other;
    other.press(Button1, 1000, 10, 10);
    EXPECT_FALSE(other.press(Button3, 1010, 10, 10));
    EXPECT_TRUE(other.press(Button3, 1020, 10, 10));
}

TEST(DoubleClickRule, SurvivesTheServerClockWrapping) {
    DoubleClickDetector clicks;
    clicks.press(Button1, 0xffffff00ul, 0, 0);
    EXPECT_TRUE(clicks.press(Button1, 0x50, 0, 0));  // 336 ms later
}

TEST(KeyTranslation, KeysBeyondTheTestKeyboard) {
    auto shiftTab = translateX11Key(XK_ISO_Left_Tab, ShiftMask);
    ASSERT_TRUE(shiftTab);
    EXPECT_EQ(shiftTab->virt, VKEY_TAB);
    EXPECT_EQ(shiftTab->modifier, MODIFIER_SHIFT);

    auto keypadFive = translateX11Key(XK_KP_5, 0);
    ASSERT_TRUE(keypadFive);
    EXPECT_EQ(keypadFive->character, '5');
    EXPECT_EQ(keypadFive->virt, VKEY_NUMPAD5);

    auto eAcute = translateX11Key(XK_eacute, Mod1Mask);
    ASSERT_TRUE(eAcute);
    EXPECT_EQ(eAcute->character, 0xe9);
    EXPECT_EQ(eAcute->modifier, MODIFIER_ALTERNATE);

    auto f12 = translateX11Key(XK_F12, 0);
    ASSERT_TRUE(f12);
    EXPECT_EQ(f12->virt, VKEY_F12);
    EXPECT_FALSE(translateX11Key(XK_F13, 0));
    EXPECT_FALSE(translateX11Key(XK_dead_acute, 0));
    EXPECT_FALSE(translateX11Key(NoSymbol, 0));
}
