// The program menu: its list opens inside the frame as a modal view and is
// driven by real pointer sequences through the off-screen frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuPopup.h"

namespace {

using offscreen::kGrey;

CPoint centreOf(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

bool inside(const CRect& inner, const CRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class OptionMenuTest : public ::testing::Test {
protected:
    OptionMenuTest() {
        background = offscreen::makeStackedBitmap(320, 257, {kGrey});
        frame->setBackground(background);
    }
    ~OptionMenuTest() override { background->forget(); }

    // As the editor makes its program menu, with `count` entries.
    COptionMenu* addMenu(const CRect& size, long style, int count) {
        auto* menu = frame.add(new COptionMenu(size, &listener, 1012, background, nullptr, style));
        menu->setBackOffset(size.getTopLeft());
        menu->setNbItemsPerColumn(16);
        for (int i = 1; i <= count; ++i) menu->addEntry(("Program " + std::to_string(i)).c_str());
        return menu;
    }
    COptionMenu* addProgramMenu(int count = 5) {
        return addMenu(CRect(214, 237, 224, 251), kCheckStyle | kNoDrawStyle, count);
    }

    void open(const COptionMenu* menu) {
        const CPoint at = centreOf(menu->getViewSize());
        frame.click(at.x, at.y);
    }
    COptionMenuPopup* popup() const { return dynamic_cast<COptionMenuPopup*>(frame->getModalView()); }
    void clickEntry(long index) {
        const CPoint at = centreOf(popup()->getEntryRect(index));
        frame.click(at.x, at.y);
    }
    // Pixels in `area` that differ from `colour`.
    int pixelsOtherThan(const CRect& area, const CColor& colour) const {
        int count = 0;
        for (int y = static_cast<int>(area.top); y < area.bottom; ++y)
            for (int x = static_cast<int>(area.left); x < area.right; ++x) count += frame.pixel(x, y) != colour;
        return count;
    }

    offscreen::Frame frame;
    offscreen::RecordingListener listener;
    CBitmap* background = nullptr;
};

TEST_F(OptionMenuTest, ClickingAnEntrySelectsItClosesTheListAndNotifiesOnce) {
    COptionMenu* menu = addProgramMenu();
    EXPECT_EQ(pixelsOtherThan(menu->getViewSize(), kGrey), 0) << "kNoDrawStyle shows only the picture";

    open(menu);
    ASSERT_NE(popup(), nullptr);
    EXPECT_TRUE(menu->isPopupOpen());
    const CRect list = popup()->getListRect();
    EXPECT_GT(pixelsOtherThan(list, kGrey), list.width() * list.height() / 2) << "the list is drawn";
    EXPECT_TRUE(listener.events.empty());

    clickEntry(2);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FALSE(menu->isPopupOpen());
    EXPECT_EQ(menu->getCurrent(), 2);
    EXPECT_EQ(menu->getValue(), 2.0f);
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].tag, 1012);
    EXPECT_EQ(listener.events[0].value, 2.0f);
    EXPECT_TRUE(listener.begins.empty()) << "choosing a program is no parameter gesture";
    EXPECT_EQ(pixelsOtherThan(list, kGrey), 0) << "the window is redrawn without the list";
}

TEST_F(OptionMenuTest, ClickOutsideOrEscapeClosesWithoutChange) {
    COptionMenu* menu = addProgramMenu();
    menu->setCurrent(1);
    open(menu);
    ASSERT_NE(popup(), nullptr);
    ASSERT_FALSE(popup()->getListRect().pointInside(CPoint(5, 5)));
    frame.click(5, 5);
    EXPECT_EQ(frame->getModalView(), nullptr);

    open(menu);
    ASSERT_NE(popup(), nullptr);
    EXPECT_EQ(frame.key(VKEY_ESCAPE), 1);
    EXPECT_EQ(frame->getModalView(), nullptr);

    EXPECT_EQ(menu->getCurrent(), 1);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(pixelsOtherThan(CRect(0, 0, 320, 257), kGrey), 0);
}

TEST_F(OptionMenuTest, RightClickIsNotHandled) {
    COptionMenu* menu = addProgramMenu();
    const CPoint at = centreOf(menu->getViewSize());
    EXPECT_EQ(frame.down(at.x, at.y, kRButton), kMouseEventNotHandled);
    frame.up(at.x, at.y, kRButton);
    EXPECT_EQ(frame->getModalView(), nullptr);

    // Nor does an empty menu open.
    menu->removeAllEntry();
    EXPECT_EQ(frame.click(at.x, at.y), kMouseEventNotHandled);
    EXPECT_EQ(frame->getModalView(), nullptr);
}

TEST_F(OptionMenuTest, SixteenEntriesToAColumn) {
    COptionMenu* menu = addProgramMenu(20);
    open(menu);
    ASSERT_NE(popup(), nullptr);
    const CRect first = popup()->getEntryRect(0), last = popup()->getEntryRect(15);
    const CRect seventeenth = popup()->getEntryRect(16), twentieth = popup()->getEntryRect(19);
    EXPECT_GE(seventeenth.left, first.right);
    EXPECT_EQ(seventeenth.top, first.top);
    EXPECT_EQ(last.left, first.left);
    EXPECT_EQ(last.top, first.top + 15 * COptionMenuPopup::kRowHeight);
    EXPECT_EQ(twentieth.top, first.top + 3 * COptionMenuPopup::kRowHeight);

    clickEntry(16);
    EXPECT_EQ(menu->getCurrent(), 16);
    EXPECT_EQ(listener.values(), std::vector<float>{16.0f});
}

TEST_F(OptionMenuTest, TickMarksTheCurrentEntry) {
    COptionMenu* menu = addProgramMenu();
    menu->setCurrent(1);
    open(menu);
    ASSERT_NE(popup(), nullptr);
    // The tick column left of the text.
    auto tickArea = [&](long index) {
        CRect r = popup()->getEntryRect(index);
        return CRect(r.left + 1, r.top + 1, r.left + 14, r.bottom - 1);
    };
    const CColor paper = frame.pixel(static_cast<int>(tickArea(0).left), static_cast<int>(tickArea(0).top));
    EXPECT_EQ(pixelsOtherThan(tickArea(0), paper), 0);
    EXPECT_GT(pixelsOtherThan(tickArea(1), paper), 5);
    EXPECT_EQ(pixelsOtherThan(tickArea(2), paper), 0);
    frame.key(VKEY_ESCAPE);

    // Without kCheckStyle there is no tick.
    COptionMenu* plain = addMenu(CRect(20, 20, 80, 34), kNoDrawStyle, 3);
    plain->setCurrent(1);
    open(plain);
    ASSERT_NE(popup(), nullptr);
    const CRect row = popup()->getEntryRect(1);
    EXPECT_EQ(pixelsOtherThan(CRect(row.left + 1, row.top + 1, row.left + 5, row.bottom - 1), paper), 0);
}

TEST_F(OptionMenuTest, PointerHighlightsRowsAndKeysChoose) {
    COptionMenu* menu = addProgramMenu();
    open(menu);
    ASSERT_NE(popup(), nullptr);
    const CRect row0 = popup()->getEntryRect(0), row1 = popup()->getEntryRect(1);
    // Right of the texts, where only the row's own colour shows.
    const int x = static_cast<int>(row0.right) - 2;
    const CColor plain = frame.pixel(x, static_cast<int>(row0.top) + 8);
    const CPoint over = centreOf(row1);
    frame.moveTo(over.x, over.y);
    EXPECT_EQ(popup()->getHighlighted(), 1);
    EXPECT_NE(frame.pixel(x, static_cast<int>(row1.top) + 8), plain);
    EXPECT_EQ(frame.pixel(x, static_cast<int>(row0.top) + 8), plain);

    frame.key(VKEY_DOWN);
    frame.key(VKEY_DOWN);
    frame.key(VKEY_UP);
    EXPECT_EQ(popup()->getHighlighted(), 2);
    EXPECT_EQ(frame.key(VKEY_RETURN), 1);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(listener.values(), std::vector<float>{2.0f});
}

TEST_F(OptionMenuTest, ListOpensBelowTheControlOrOverItAndStaysInTheFrame) {
    const CRect frameRect(0, 0, 320, 257);
    COptionMenu* below = addMenu(CRect(20, 20, 80, 34), 0, 5);
    open(below);
    ASSERT_NE(popup(), nullptr);
    EXPECT_EQ(popup()->getListRect().getTopLeft(), CPoint(20, 34));
    frame.key(VKEY_ESCAPE);

    COptionMenu* over = addMenu(CRect(150, 100, 160, 114), kPopupStyle | kCheckStyle, 20);
    over->setNbItemsPerColumn(8);
    over->setCurrent(10);
    open(over);
    ASSERT_NE(popup(), nullptr);
    EXPECT_TRUE(popup()->getEntryRect(10).pointInside(CPoint(155, 107))) << "the current entry on the control";
    EXPECT_TRUE(inside(popup()->getListRect(), frameRect));
    frame.key(VKEY_ESCAPE);

    for (long style : {0L, long{kPopupStyle}}) {
        COptionMenu* corner = addMenu(CRect(300, 240, 316, 254), style | kCheckStyle, 20);
        corner->setCurrent(19);
        open(corner);
        ASSERT_NE(popup(), nullptr);
        EXPECT_TRUE(inside(popup()->getListRect(), frameRect)) << "style " << style;
        frame.key(VKEY_ESCAPE);
    }
}

TEST_F(OptionMenuTest, ListTallerThanTheFrameIsClipped) {
    COptionMenu* menu = addProgramMenu(40);
    menu->setNbItemsPerColumn(0);  // one column
    open(menu);
    ASSERT_NE(popup(), nullptr);
    EXPECT_EQ(popup()->getListRect().top, 0);
    EXPECT_GT(popup()->getListRect().bottom, 257);
    clickEntry(3);
    EXPECT_EQ(menu->getCurrent(), 3);
}

TEST_F(OptionMenuTest, EntriesAreCopiesWithinLimits) {
    COptionMenu* menu = addProgramMenu(0);
    char name[] = "Bright";
    menu->addEntry(name);
    name[0] = 'X';
    menu->addEntry(nullptr);
    menu->addEntry(std::string(300, 'e').c_str());
    menu->addEntry((std::string(254, 'u') + "\xC3\xA9").c_str());
    ASSERT_EQ(menu->getNbEntries(), 4);
    EXPECT_STREQ(menu->getEntry(0), "Bright");
    EXPECT_STREQ(menu->getEntry(1), "");
    EXPECT_EQ(std::string(menu->getEntry(2)), std::string(255, 'e'));
    EXPECT_EQ(std::string(menu->getEntry(3)), std::string(254, 'u')) << "no half character";
    EXPECT_EQ(menu->getEntry(-1), nullptr);
    EXPECT_EQ(menu->getEntry(4), nullptr);

    EXPECT_TRUE(menu->setCurrent(3));
    EXPECT_FALSE(menu->setCurrent(4));
    EXPECT_FALSE(menu->setCurrent(-1));
    EXPECT_EQ(menu->getCurrent(), 3);
    menu->setValue(NAN);
    EXPECT_EQ(menu->getCurrent(), -1);
    menu->setValue(1.0f);
    EXPECT_EQ(menu->getCurrent(), 1) << "the value is the index";
    EXPECT_TRUE(menu->removeAllEntry());
    EXPECT_EQ(menu->getNbEntries(), 0);
    EXPECT_EQ(menu->getCurrent(), -1);
}

TEST_F(OptionMenuTest, EntriesAreRenamedAndNamesOfFixedFieldsReadNoFurther) {
    COptionMenu* menu = addProgramMenu(3);
    // A program name of 24 characters has no terminator: exactly 24 bytes
    // on the heap, so that a read past them is seen by AddressSanitizer.
    const std::unique_ptr<char[]> name(new char[24]);
    std::memcpy(name.get(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
    menu->addEntry(name.get(), 24);
    EXPECT_TRUE(menu->setEntry(1, name.get(), 24));
    EXPECT_EQ(std::string(menu->getEntry(3)), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_EQ(std::string(menu->getEntry(1)), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_TRUE(menu->setEntry(2, "Warm"));
    EXPECT_STREQ(menu->getEntry(2), "Warm");
    EXPECT_TRUE(menu->setEntry(0, nullptr));
    EXPECT_STREQ(menu->getEntry(0), "");
    EXPECT_FALSE(menu->setEntry(4, "Nowhere"));
    EXPECT_FALSE(menu->setEntry(-1, "Nowhere"));
    EXPECT_EQ(menu->getNbEntries(), 4);
}

TEST_F(OptionMenuTest, ControlShowsTheCurrentTitleUnlessNoDrawStyle) {
    COptionMenu* menu = addMenu(CRect(20, 20, 120, 34), 0, 3);
    EXPECT_GT(pixelsOtherThan(menu->getViewSize(), kGrey), 10);
    menu->setValue(NAN);
    EXPECT_EQ(pixelsOtherThan(menu->getViewSize(), kGrey), 0) << "no entry, no text";
}

TEST_F(OptionMenuTest, MenuLeavingTheFrameTakesItsListAlong) {
    COptionMenu* menu = addProgramMenu();
    open(menu);
    ASSERT_NE(popup(), nullptr);
    frame->removeView(menu);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_TRUE(listener.events.empty());

    // A frame closed with the list open destroys both (checked by the sanitizers).
    open(addProgramMenu());
    EXPECT_NE(popup(), nullptr);
}

}  // namespace
