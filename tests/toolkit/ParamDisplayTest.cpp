// The value display as the editor sets it up: its part of the background
// with the converter's text over it, checked by the pixels drawn and by what
// the converter is asked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CParamDisplay.h"

using namespace offscreen;
using ::testing::ElementsAre;

namespace {

const CRect kDisplayRect(48, 120, 98, 134);

// What the converter was asked, and the text it answers with.
struct Converter {
    std::string text = "12.5 Hz";
    std::vector<float> asked;
};

void convert(float value, char* text, void* userData) {
    auto* converter = static_cast<Converter*>(userData);
    converter->asked.push_back(value);
    std::snprintf(text, kParamDisplayTextSize, "%s", converter->text.c_str());
}

// Pixels in `area` that are not `colour`.
int inkIn(const Frame& frame, const CRect& area, const CColor& colour) {
    int ink = 0;
    for (int y = static_cast<int>(area.top); y < area.bottom; ++y)
        for (int x = static_cast<int>(area.left); x < area.right; ++x) ink += frame.pixel(x, y) == colour ? 0 : 1;
    return ink;
}

class ParamDisplayTest : public ::testing::Test {
protected:
    ParamDisplayTest() {
        // Grey in rows 120 to 139 only, so the display shows grey only when
        // it draws the background at its own place.
        background = makeStackedBitmap(320, 20, {kBlue, kBlue, kBlue, kBlue, kBlue, kBlue, kGrey, kBlue});
        display = addDisplay(kDisplayRect);
        display->setValueToStringProc(convert, &converter);
    }
    ~ParamDisplayTest() override { background->forget(); }

    CParamDisplay* addDisplay(const CRect& rect) {
        CParamDisplay* d = frame.add(new CParamDisplay(rect, background, 0));
        d->setBackOffset(rect.getTopLeft());
        d->setHoriAlign(kCenterText);
        d->setFont(CFontDesc{"Arial", 9});
        d->setFontColor(CColor{0, 0, 0, 255});
        return d;
    }
    int ink(const CRect& area = kDisplayRect) const { return inkIn(frame, area, kGrey); }

    Frame frame;
    CBitmap* background;
    Converter converter;
    CParamDisplay* display;
};

TEST_F(ParamDisplayTest, ConverterTextIsDrawnInTheFontColourOverTheBackground) {
    EXPECT_GT(ink(), 20);
    bool dark = false;
    for (int x = 48; x < 98; ++x) dark = dark || frame.pixel(x, 127).red < 80;
    EXPECT_TRUE(dark);
    EXPECT_EQ(frame.pixel(48, 120), kGrey);
    EXPECT_EQ(frame.pixel(97, 133), kGrey);
}

TEST_F(ParamDisplayTest, EmptyTextLeavesTheBackground) {
    converter.text = "";
    EXPECT_EQ(ink(), 0);
}

TEST_F(ParamDisplayTest, AlignmentPlacesTheText) {
    converter.text = "1";
    const CRect leftHalf(48, 120, 73, 134), rightHalf(73, 120, 98, 134);
    display->setHoriAlign(kLeftText);
    EXPECT_GT(ink(leftHalf), 0);
    EXPECT_EQ(ink(rightHalf), 0);
    display->setHoriAlign(kRightText);
    EXPECT_EQ(ink(leftHalf), 0);
    EXPECT_GT(ink(rightHalf), 0);
}

TEST_F(ParamDisplayTest, WithoutConverterTheValueShowsWithTwoDecimals) {
    const CRect plainRect(148, 120, 198, 134);
    CParamDisplay* plain = addDisplay(plainRect);
    plain->setValue(0.5f);
    converter.text = "0.50";
    display->setValue(0.25f);
    EXPECT_GT(ink(), 20);
    for (int y = 120; y < 134; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(frame.pixel(148 + x, y), frame.pixel(48 + x, y)) << x << ", " << y;
}

TEST_F(ParamDisplayTest, ValueIsKeptWithinMinAndMaxAndTheConverterGetsThatValue) {
    display->setMax(20.0f);
    const std::vector<float> set{12.5f, 25.0f, -3.0f, NAN, INFINITY, 20.0f};
    std::vector<float> kept;
    for (float v : set) {
        display->setValue(v);
        kept.push_back(display->getValue());
        frame.pixel(0, 0);
    }
    EXPECT_THAT(kept, ElementsAre(12.5f, 20.0f, 0.0f, 0.0f, 20.0f, 20.0f));
    // Drawn once per change: NaN after -3 and 20 after infinity are none.
    EXPECT_THAT(converter.asked, ElementsAre(12.5f, 20.0f, 0.0f, 20.0f));
}

TEST_F(ParamDisplayTest, RedrawnOnlyWhenTheValueChanged) {
    display->setValue(0.3f);
    frame.pixel(0, 0);
    EXPECT_FALSE(display->isDirty());
    const std::size_t draws = converter.asked.size();

    display->setValue(0.3f);
    EXPECT_FALSE(display->isDirty());
    frame.pixel(0, 0);
    EXPECT_EQ(converter.asked.size(), draws);

    display->setValue(0.4f);
    EXPECT_TRUE(display->isDirty());
    frame.pixel(0, 0);
    EXPECT_EQ(converter.asked.size(), draws + 1);
}

void fillWholeBuffer(float, char* text, void*) { std::memset(text, '8', kParamDisplayTextSize); }

TEST_F(ParamDisplayTest, ConverterFillingTheWholeBufferStaysWithinIt) {
    display->setValueToStringProc(fillWholeBuffer, nullptr);
    EXPECT_GT(ink(), 20);
    // Without a converter, a huge value is cut to its maximum before formatting.
    display->setValueToStringProc(nullptr);
    display->setMax(3e38f);
    display->setValue(3e38f);
    EXPECT_GT(ink(), 20);
}

TEST_F(ParamDisplayTest, MouseAndWheelPassItBy) {
    display->setValue(0.3f);
    EXPECT_EQ(frame.click(60, 127), kMouseEventNotHandled);
    EXPECT_FALSE(frame->onWheel(CPoint(60, 127), 1.0f, 0));
    EXPECT_FLOAT_EQ(display->getValue(), 0.3f);
}

}  // namespace
