// The open window's views, walked in the frame's order and compared with
// numbers typed here from the window's design, not taken from the layout
// header the editor builds from: a slip in either shows up as a difference.
#include <iterator>
#include <string>

#include "EditorSupport.h"
#include "editor/CAbout.h"
#include "editor/CArKickButton.h"
#include "editor/CArRockerSwitch.h"
#include "editor/CLED.h"
#include "editor/CSaveLoadButton.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CParamDisplay.h"
#include "toolkit/CTextEdit.h"

using namespace editortest;

namespace {

enum class Kind { knob, display, onOff, about, led, textEdit, optionMenu, rocker, saveLoad, kick };

bool hasClass(CView* view, Kind kind) {
    switch (kind) {
        case Kind::knob: return dynamic_cast<CKnob*>(view);
        case Kind::display: return dynamic_cast<CParamDisplay*>(view);
        case Kind::onOff: return dynamic_cast<COnOffButton*>(view);
        case Kind::about: return dynamic_cast<CAbout*>(view);
        case Kind::led: return dynamic_cast<CLED*>(view);
        case Kind::textEdit: return dynamic_cast<CTextEdit*>(view);
        case Kind::optionMenu: return dynamic_cast<COptionMenu*>(view);
        case Kind::rocker: return dynamic_cast<CArRockerSwitch*>(view);
        case Kind::saveLoad: return dynamic_cast<CSaveLoadButton*>(view);
        case Kind::kick: return dynamic_cast<CArKickButton*>(view);
    }
    return false;
}

// Rectangles as "left, top, right, bottom" and points as "x, y", compared as
// such so that a failure reads as the numbers.
std::string text(const CRect& r) {
    return std::to_string(int(r.left)) + ", " + std::to_string(int(r.top)) + ", " + std::to_string(int(r.right)) +
           ", " + std::to_string(int(r.bottom));
}
std::string text(const CPoint& p) { return std::to_string(int(p.x)) + ", " + std::to_string(int(p.y)); }

struct Expected {
    Kind kind;
    long tag;
    CRect rect;
    int bitmap = 0;                // the background's resource id; 0: not checked
    bool offsetIsCorner = false;   // copies the background under its own rectangle
    int handle = 0;                // knobs: the handle's resource id
    float defaultValue = 0.0f;     // knobs: what Ctrl + click sets
    const char* atHalf = nullptr;  // displays: the text for the value 0.5 (the converter)
    float max = 1.0f;              // displays
};

constexpr int kBack = 1128, kLarge = 1129, kSmall = 1130;

// clang-format off
const Expected kWindow[] = {
    {.kind = Kind::knob, .tag = 2, .rect = CRect(50, 71, 95, 116), .bitmap = kBack, .offsetIsCorner = true, .handle = kLarge, .defaultValue = 0.5f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(48, 120, 98, 134), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "50%"},
    {.kind = Kind::knob, .tag = 3, .rect = CRect(224, 71, 269, 116), .bitmap = kBack, .offsetIsCorner = true, .handle = kLarge, .defaultValue = 0.5f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(222, 120, 272, 134), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "50%"},
    {.kind = Kind::knob, .tag = 4, .rect = CRect(149, 86, 171, 108), .bitmap = kBack, .offsetIsCorner = true, .handle = kSmall, .defaultValue = 0.5f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(135, 112, 185, 126), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "0"},
    {.kind = Kind::knob, .tag = 5, .rect = CRect(108, 123, 130, 145), .bitmap = kBack, .offsetIsCorner = true, .handle = kSmall, .defaultValue = 0.5f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(95, 148, 145, 162), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "0c"},
    {.kind = Kind::knob, .tag = 6, .rect = CRect(189, 123, 211, 145), .bitmap = kBack, .offsetIsCorner = true, .handle = kSmall, .defaultValue = 0.0f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(176, 148, 226, 162), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "50%"},
    {.kind = Kind::knob, .tag = 1, .rect = CRect(64, 164, 86, 186), .bitmap = kBack, .offsetIsCorner = true, .handle = kSmall, .defaultValue = 0.25f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(51, 189, 101, 203), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "50%"},
    {.kind = Kind::knob, .tag = 0, .rect = CRect(233, 164, 255, 186), .bitmap = kBack, .offsetIsCorner = true, .handle = kSmall, .defaultValue = 0.5f},
    {.kind = Kind::display, .tag = 0, .rect = CRect(219, 189, 269, 203), .bitmap = kBack, .offsetIsCorner = true, .atHalf = "-6.0dB", .max = 20.0f},
    {.kind = Kind::onOff, .tag = 7, .rect = CRect(131, 162, 193, 190), .bitmap = 1132},
    {.kind = Kind::about, .tag = 10, .rect = CRect(50, 10, 280, 47), .bitmap = 1200},
    {.kind = Kind::led, .tag = 0, .rect = CRect(155, 135, 165, 145)},
    // The preset section along the bottom.
    {.kind = Kind::textEdit, .tag = 1000, .rect = CRect(96, 233, 212, 248), .bitmap = kBack, .offsetIsCorner = true},
    {.kind = Kind::optionMenu, .tag = 1012, .rect = CRect(214, 237, 224, 251), .bitmap = kBack, .offsetIsCorner = true},
    {.kind = Kind::rocker, .tag = 1001, .rect = CRect(230, 234, 261, 248), .bitmap = 19997},
    {.kind = Kind::saveLoad, .tag = 1002, .rect = CRect(76, 241, 88, 255), .bitmap = 19993},
    {.kind = Kind::saveLoad, .tag = 1003, .rect = CRect(11, 241, 23, 255), .bitmap = 19994},
    {.kind = Kind::kick, .tag = 1013, .rect = CRect(32, 243, 69, 253), .bitmap = 19990},
    {.kind = Kind::saveLoad, .tag = 1004, .rect = CRect(76, 226, 88, 240), .bitmap = 19998},
    {.kind = Kind::saveLoad, .tag = 1005, .rect = CRect(11, 226, 23, 240), .bitmap = 19999},
    {.kind = Kind::kick, .tag = 1014, .rect = CRect(27, 229, 74, 239), .bitmap = 19899},
    {.kind = Kind::kick, .tag = 1017, .rect = CRect(293, 226, 305, 240), .bitmap = 19991},
    {.kind = Kind::kick, .tag = 1015, .rect = CRect(269, 226, 281, 240), .bitmap = 19995},
    {.kind = Kind::kick, .tag = 1018, .rect = CRect(293, 241, 305, 253), .bitmap = 19992},
    {.kind = Kind::kick, .tag = 1016, .rect = CRect(269, 241, 281, 253), .bitmap = 19996},
};
// clang-format on

class EditorStructure : public EditorTest {};

TEST_F(EditorStructure, ViewsInCreationOrderWithTheirPlacesPicturesAndLooks) {
    ASSERT_TRUE(open());
    EXPECT_EQ(text(frame()->getViewSize()), "0, 0, 320, 257");
    ASSERT_TRUE(frame()->getBackground());
    EXPECT_EQ(frame()->getBackground()->getResourceId(), kBack);
    ASSERT_EQ(frame()->getNbViews(), static_cast<int>(std::size(kWindow)));

    for (int i = 0; i < frame()->getNbViews(); ++i) {
        const Expected& want = kWindow[i];
        SCOPED_TRACE("view " + std::to_string(i + 1) + ", tag " + std::to_string(want.tag));
        auto* control = dynamic_cast<CControl*>(frame()->getView(i));
        ASSERT_TRUE(control && hasClass(control, want.kind));
        EXPECT_EQ(control->getTag(), want.tag);
        EXPECT_EQ(text(control->getViewSize()), text(want.rect));
        // Displays and the LED only show; everything else reports to the editor.
        const bool showsOnly = want.kind == Kind::display || want.kind == Kind::led;
        EXPECT_EQ(control->getListener(), showsOnly ? nullptr : editor());
        if (want.bitmap) {
            ASSERT_TRUE(control->getBackground());
            EXPECT_EQ(control->getBackground()->getResourceId(), want.bitmap);
        }
        if (want.offsetIsCorner) {
            EXPECT_EQ(text(control->getBackOffset()), text(CPoint(want.rect.left, want.rect.top)));
        }

        if (auto* knob = dynamic_cast<CKnob*>(control)) {
            ASSERT_TRUE(knob->getHandleBitmap());
            EXPECT_EQ(knob->getHandleBitmap()->getResourceId(), want.handle);
            EXPECT_EQ(knob->getDefaultValue(), want.defaultValue);
        }
        if (auto* shown = dynamic_cast<CParamDisplay*>(control)) {
            EXPECT_EQ(shown->getFont().name, "Arial");
            EXPECT_EQ(shown->getFont().size, 9);
            EXPECT_EQ(shown->getFontColor(), (CColor{0, 0, 0, 255}));
            EXPECT_EQ(shown->getHoriAlign(), kCenterText);
            EXPECT_EQ(shown->getMin(), 0.0f);
            EXPECT_EQ(shown->getMax(), want.max);
            EXPECT_EQ(shown->getText(0.5f), want.atHalf);
        }
        if (auto* about = dynamic_cast<CAbout*>(control)) {
            EXPECT_EQ(text(about->getDisplayRect()), "30, 10, 290, 214");
        }
        if (auto* name = dynamic_cast<CTextEdit*>(control)) {
            EXPECT_EQ(name->getFont().name, "Arial");
            EXPECT_EQ(name->getFont().size, 11);
            EXPECT_EQ(name->getHoriAlign(), kCenterText);
            EXPECT_EQ(name->getFontColor(), (CColor{36, 36, 32, 255}));
            EXPECT_EQ(name->getFrameColor(), (CColor{36, 36, 32, 255}));
            EXPECT_EQ(name->getBackColor(), (CColor{189, 207, 218, 255}));
        }
        if (auto* menu = dynamic_cast<COptionMenu*>(control)) {
            EXPECT_EQ(menu->getNbEntries(), 6);
            EXPECT_EQ(menu->getNbItemsPerColumn(), 16);
        }
    }
    close();
}

}  // namespace
