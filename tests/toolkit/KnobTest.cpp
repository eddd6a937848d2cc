// The knob driven as the editor's knobs are: real mouse and wheel events
// through an off-screen frame, checked by what the listener and the editor
// hear and by the pixels drawn.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CKnob.h"
#include "toolkit/VSTGUIEditorInterface.h"

using namespace offscreen;
using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::IsEmpty;

namespace {

// One of the editor's knobs: 45 pixels wide, its picture at the same place
// in the background as on screen.
const CRect kKnobRect(50, 71, 95, 116);
constexpr CCoord kCentreX = 72.5, kCentreY = 93.5;
constexpr long kTag = 7;

class Editor : public VSTGUIEditorInterface {
public:
    explicit Editor(long mode) : mode(mode) {}
    void beginEdit(long index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override { log.push_back("end " + std::to_string(index)); }
    long getKnobMode() const override { return mode; }

    long mode;
    std::vector<std::string> log;
};

// What the listener hears, in order, and the values it was told.
class GestureLog : public CControlListener {
public:
    void valueChanged(CControl* control) override {
        order.push_back("change");
        values.push_back(control->getValue());
    }
    void controlBeginEdit(CControl*) override { order.push_back("begin"); }
    void controlEndEdit(CControl*) override { order.push_back("end"); }
    void clear() {
        order.clear();
        values.clear();
    }

    std::vector<std::string> order;
    std::vector<float> values;
};

class KnobTest : public ::testing::Test {
protected:
    KnobTest() {
        knob = frame.add(new CKnob(kKnobRect, &log, kTag, nullptr, nullptr, kKnobRect.getTopLeft()));
        knob->setValue(0.5f);
        knob->setDefaultValue(0.5f);
    }

    // A left-button drag from the knob's centre through `points`.
    void drag(const std::vector<CPoint>& points, long buttons = kLButton) {
        frame.moveTo(kCentreX, kCentreY);
        frame.down(kCentreX, kCentreY, buttons);
        for (const CPoint& p : points) frame.moveTo(p.x, p.y, buttons);
        const CPoint last = points.empty() ? CPoint(kCentreX, kCentreY) : points.back();
        frame.up(last.x, last.y, buttons);
    }
    void wheel(float distance, long buttons = 0) {
        EXPECT_TRUE(frame->onWheel(CPoint(kCentreX, kCentreY), distance, buttons));
    }

    Editor editor{kLinearMode};
    GestureLog log;
    Frame frame{CRect(0, 0, 320, 257), &editor};
    CKnob* knob;
};

TEST_F(KnobTest, LinearDragUpwardsRaisesTheValueOverTwoHundredPixels) {
    drag({{kCentreX, 88.5}, {kCentreX, 83.5}, {kCentreX, 73.5}});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    EXPECT_THAT(log.order, ElementsAre("begin", "change", "change", "change", "end"));
    EXPECT_THAT(log.values, ElementsAre(FloatNear(0.525f, 1e-6), FloatNear(0.55f, 1e-6), FloatNear(0.6f, 1e-6)));
    EXPECT_THAT(editor.log, ElementsAre("begin 7", "end 7"));
}

TEST_F(KnobTest, LinearDragRightRaisesAndLeftOrDownLowers) {
    // The last move goes as far left as it goes up: no change.
    drag({{kCentreX + 20, kCentreY}, {kCentreX - 20, kCentreY}, {kCentreX - 20, kCentreY + 20}, {kCentreX - 30, kCentreY + 10}});
    EXPECT_THAT(log.values, ElementsAre(FloatNear(0.6f, 1e-6), FloatNear(0.4f, 1e-6), FloatNear(0.3f, 1e-6)));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.3f);
}

TEST_F(KnobTest, LinearDragStopsAtBothEndsAndOvershootMustBeUndone) {
    drag({{kCentreX, kCentreY - 150}, {kCentreX, kCentreY - 300}, {kCentreX, kCentreY - 100}, {kCentreX, kCentreY + 300}});
    // 100 pixels up from the start is still the top: the overshoot beyond it counts.
    EXPECT_THAT(log.values, ElementsAre(1.0f, 0.0f));
    EXPECT_THAT(log.order, ElementsAre("begin", "change", "change", "end"));
}

TEST_F(KnobTest, ShiftDragIsFinerByTheZoomFactor) {
    drag({{kCentreX, kCentreY - 30}});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.65f);

    knob->setValue(0.5f);
    drag({{kCentreX, kCentreY - 30}}, kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);

    knob->setValue(0.5f);
    knob->setZoomFactor(4.0f);
    drag({{kCentreX, kCentreY - 80}}, kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
}

TEST_F(KnobTest, ShiftPressedOrLetGoMidDragChangesTheRateWithoutAJump) {
    frame.down(kCentreX, kCentreY);
    frame.moveTo(kCentreX, kCentreY - 20, kLButton);
    frame.moveTo(kCentreX, kCentreY - 20, kLButton | kShift);
    frame.moveTo(kCentreX, kCentreY - 50, kLButton | kShift);
    frame.moveTo(kCentreX, kCentreY - 50, kLButton);
    frame.moveTo(kCentreX, kCentreY - 70, kLButton);
    frame.up(kCentreX, kCentreY - 70);
    EXPECT_THAT(log.values, ElementsAre(FloatNear(0.6f, 1e-6), FloatNear(0.7f, 1e-6), FloatNear(0.8f, 1e-6)));
}

TEST_F(KnobTest, ControlClickRestoresTheDefaultAsOneUserChange) {
    for (long buttons : {kLButton | kControl, kLButton | kControl | kDoubleClick}) {
        knob->setValue(0.2f);
        log.clear();
        editor.log.clear();
        EXPECT_EQ(frame.click(kCentreX, kCentreY, buttons), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
        EXPECT_THAT(log.order, ElementsAre("begin", "change", "end"));
        EXPECT_THAT(log.values, ElementsAre(0.5f));
        EXPECT_THAT(editor.log, ElementsAre("begin 7", "end 7"));
    }
}

TEST_F(KnobTest, ControlClickWithAnotherModifierOrButtonIsAnOrdinaryPress) {
    for (long buttons : {kLButton | kControl | kShift, kLButton | kControl | kAlt, kLButton | kRButton | kControl}) {
        knob->setValue(0.2f);
        log.clear();
        EXPECT_EQ(frame.click(kCentreX, kCentreY, buttons), kMouseEventHandled);
        EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
        EXPECT_THAT(log.order, ElementsAre("begin", "end"));
    }
}

TEST_F(KnobTest, RightAndMiddleClicksAreNotTaken) {
    for (long buttons : {long{kRButton}, long{kMButton}, kRButton | kControl}) {
        EXPECT_EQ(frame.click(kCentreX, kCentreY, buttons), kMouseEventNotHandled);
    }
    EXPECT_THAT(log.order, IsEmpty());
    EXPECT_THAT(editor.log, IsEmpty());
}

TEST_F(KnobTest, WheelStepsByTheIncrementAndShiftByATenthOfIt) {
    wheel(1.0f);
    wheel(-2.0f);
    wheel(1.0f, kShift);
    knob->setWheelInc(0.25f);
    wheel(1.0f);
    EXPECT_THAT(log.values, ElementsAre(FloatNear(0.6f, 1e-6), FloatNear(0.4f, 1e-6), FloatNear(0.41f, 1e-6),
                                        FloatNear(0.66f, 1e-6)));
    EXPECT_THAT(log.order, ElementsAre("begin", "change", "end", "begin", "change", "end", "begin", "change", "end",
                                       "begin", "change", "end"));
}

TEST_F(KnobTest, WheelStopsAtTheEndsAndReportsNothingThere) {
    knob->setValue(0.95f);
    wheel(1.0f);
    wheel(1.0f);
    wheel(-30.0f);
    EXPECT_THAT(log.values, ElementsAre(1.0f, 0.0f));
    EXPECT_THAT(log.order, ElementsAre("begin", "change", "end", "begin", "change", "end"));
    EXPECT_FALSE(frame->onWheel(CPoint(kCentreX, kCentreY), NAN, 0));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f);
}

TEST_F(KnobTest, OddValuesAreBroughtIntoRangeByTheFirstChange) {
    knob->setValue(NAN);
    wheel(1.0f);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
    knob->setValue(NAN);
    drag({{kCentreX, kCentreY - 20}});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
}

// The pointer at the knob's top, right, lower right and so on.
CPoint atAngle(double degrees) {
    const double a = degrees * M_PI / 180;
    return CPoint(kCentreX + 15 * std::cos(a), kCentreY - 15 * std::sin(a));
}

TEST_F(KnobTest, CircularDragFollowsThePointersAngle) {
    for (long mode : {long{kCircularMode}, long{kRelativCircularMode}}) {
        editor.mode = mode;
        knob->setValue(0.5f);
        log.clear();
        frame.down(atAngle(90).x, atAngle(90).y);
        // 225° of the 270° from the lower left, then the top, then 45°.
        for (double degrees : {0, 90, 180}) frame.moveTo(atAngle(degrees).x, atAngle(degrees).y, kLButton);
        frame.up(atAngle(180).x, atAngle(180).y);
        EXPECT_THAT(log.values, ElementsAre(FloatNear(225.0f / 270, 1e-5), FloatNear(0.5f, 1e-5),
                                            FloatNear(45.0f / 270, 1e-5)));
        EXPECT_THAT(log.order, ElementsAre("begin", "change", "change", "change", "end"));
    }
}

TEST_F(KnobTest, CircularDragPastAnEndStaysAtThatEnd) {
    editor.mode = kCircularMode;
    frame.down(atAngle(0).x, atAngle(0).y);
    // Lower right, in the gap: the maximum. On through the gap to the lower
    // left and the left side, which would be a jump to the bottom: still the
    // maximum. Back to the top: the value follows again.
    for (double degrees : {-60, -120, 180, 90}) frame.moveTo(atAngle(degrees).x, atAngle(degrees).y, kLButton);
    frame.up(atAngle(90).x, atAngle(90).y);
    EXPECT_THAT(log.values, ElementsAre(1.0f, FloatNear(0.5f, 1e-5)));
}

TEST(KnobWithoutEditor, TurnsInCircularMode) {
    GestureLog log;
    Frame frame;
    CKnob* knob = frame.add(new CKnob(kKnobRect, &log, kTag, nullptr, nullptr));
    knob->setValue(0.5f);
    frame.down(atAngle(90).x, atAngle(90).y);
    frame.moveTo(atAngle(0).x, atAngle(0).y, kLButton);
    frame.up(atAngle(0).x, atAngle(0).y);
    EXPECT_NEAR(knob->getValue(), 225.0 / 270, 1e-5);
}

TEST(KnobGesture, ClosingTheWindowMidDragStillEndsTheGesture) {
    Editor editor(kLinearMode);
    GestureLog log;
    {
        Frame frame(CRect(0, 0, 320, 257), &editor);
        frame.add(new CKnob(kKnobRect, &log, kTag, nullptr, nullptr));
        frame.down(kCentreX, kCentreY);
        frame.moveTo(kCentreX, kCentreY - 20, kLButton);
    }
    EXPECT_THAT(log.order, ElementsAre("begin", "change", "end"));
    EXPECT_THAT(editor.log, ElementsAre("begin 7", "end 7"));
}

// A red 9 × 9 handle over a blue background.
class KnobPictureTest : public ::testing::Test {
protected:
    KnobPictureTest() {
        CBitmap* background = makeStackedBitmap(320, 257, {kBlue});
        CBitmap* handle = makeStackedBitmap(9, 9, {kRed});
        knob = frame.add(new CKnob(kKnobRect, nullptr, 0, background, handle, kKnobRect.getTopLeft()));
        background->forget();
        handle->forget();
    }
    // Where the handle is drawn, among the three places it can be.
    std::string handleAt() {
        std::string where;
        if (frame.pixel(61, 104) == kRed) where += "lower left ";
        if (frame.pixel(72, 78) == kRed) where += "top ";
        if (frame.pixel(83, 104) == kRed) where += "lower right ";
        return where;
    }

    Frame frame;
    CKnob* knob;
};

TEST_F(KnobPictureTest, HandleSitsAtTheAngleOfTheValue) {
    knob->setValue(0.0f);
    EXPECT_EQ(handleAt(), "lower left ");
    knob->setValue(0.5f);
    EXPECT_EQ(handleAt(), "top ");
    knob->setValue(1.0f);
    EXPECT_EQ(handleAt(), "lower right ");
    knob->setValue(NAN);
    EXPECT_EQ(handleAt(), "lower left ");
    knob->setValue(7.0f);
    EXPECT_EQ(handleAt(), "lower right ");
}

TEST_F(KnobPictureTest, HandleCentreLiesInsetFromTheEdgeByTheInsetAndHalfTheHandle) {
    knob->setValue(0.5f);
    // Centre 93.5 − (22.5 − 3 − 4.5): the dot covers rows 74 to 82.
    EXPECT_EQ(frame.pixel(72, 73), kBlue);
    EXPECT_EQ(frame.pixel(72, 74), kRed);
    EXPECT_EQ(frame.pixel(72, 82), kRed);
    EXPECT_EQ(frame.pixel(72, 83), kBlue);
    EXPECT_EQ(frame.pixel(67, 78), kBlue);
    EXPECT_EQ(frame.pixel(68, 78), kRed);
    EXPECT_EQ(frame.pixel(76, 78), kRed);
    EXPECT_EQ(frame.pixel(77, 78), kBlue);

    knob->setInsetValue(8);
    EXPECT_EQ(frame.pixel(72, 78), kBlue);
    EXPECT_EQ(frame.pixel(72, 79), kRed);
    knob->setInsetValue(NAN);
    EXPECT_EQ(knob->getInsetValue(), 8);
}

TEST_F(KnobPictureTest, AnglesCanBeChanged) {
    knob->setValue(0.0f);
    knob->setStartAngle(static_cast<float>(M_PI / 2));
    EXPECT_EQ(handleAt(), "top ");
    knob->setValue(1.0f);
    knob->setRangeAngle(0.0f);
    EXPECT_EQ(handleAt(), "top ");
    knob->setStartAngle(NAN);
    knob->setRangeAngle(INFINITY);
    EXPECT_EQ(handleAt(), "top ");
}

TEST(KnobBackground, DrawsItsPartOfTheBackgroundAtItsOffset) {
    Frame frame;
    // Bands of 40 rows: the knob at rows 71 to 115 spans green and yellow.
    CBitmap* background = makeStackedBitmap(320, 40, {kBlue, kGreen, kYellow, kCyan});
    frame.add(new CKnob(kKnobRect, nullptr, 0, background, nullptr, kKnobRect.getTopLeft()));
    frame.add(new CKnob(CRect(100, 71, 145, 116), nullptr, 0, background, nullptr, CPoint(100, 120)));
    background->forget();
    EXPECT_EQ(frame.pixel(51, 72), kGreen);
    EXPECT_EQ(frame.pixel(93, 114), kYellow);
    EXPECT_EQ(frame.pixel(101, 72), kCyan);
    EXPECT_EQ(frame.pixel(49, 72), kBlackCColor);
}

}  // namespace
