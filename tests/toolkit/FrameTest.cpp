// The frame as the editor relies on it: redraw of only what changed, mouse
// dispatch with the three answers, hover, modal view and keyboard focus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/Offscreen.h"
#include "support/TestBitmaps.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/VSTGUIEditorInterface.h"

using namespace offscreen;
using ::testing::ElementsAre;

namespace {

// Paints its rectangle in one colour, counts its draws and records the mouse.
class Probe : public CControl {
public:
    Probe(const CRect& r, CColor colour, CMouseEventResult answer = kMouseEventHandled)
        : CControl(r), colour_(colour), answer_(answer) {}
    void draw(CDrawContext* context) override {
        ++draws;
        context->setFillColor(colour_);
        context->drawRect(size_, kDrawFilled);
        setDirty(false);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long&) override {
        log.push_back("down");
        lastPoint = where;
        return answer_;
    }
    CMouseEventResult onMouseUp(CPoint&, const long&) override {
        log.push_back("up");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint&, const long& buttons) override {
        log.push_back(buttons & kLButton ? "drag" : "move");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseEntered(CPoint&, const long&) override {
        log.push_back("enter");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseExited(CPoint&, const long&) override {
        log.push_back("exit");
        return kMouseEventHandled;
    }
    long onKeyDown(VstKeyCode& key) override {
        keys.push_back(key.character);
        return 1;
    }
    void takeFocus() override { log.push_back("focus"); }
    void looseFocus() override { log.push_back("unfocus"); }

    int draws = 0;
    std::vector<std::string> log;
    std::vector<int> keys;
    CPoint lastPoint;

private:
    CColor colour_;
    CMouseEventResult answer_;
};

}  // namespace

TEST(FrameRedraw, OnlyChangedViewsAreDrawnOnIdle) {
    Frame frame;
    auto* a = frame.add(new Probe(CRect(0, 0, 10, 10), kRed));
    auto* b = frame.add(new Probe(CRect(20, 0, 30, 10), kGreen));
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 1);

    frame->idle();
    EXPECT_EQ(a->draws, 1) << "nothing changed, nothing drawn";

    a->setValue(0.7f);
    EXPECT_EQ(a->draws, 1) << "setting a value draws nothing at once";
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);

    a->setValue(0.7f);
    frame->idle();
    EXPECT_EQ(a->draws, 2) << "the same value again is no change";
}

TEST(FrameRedraw, InvalidAreaRedrawsBackgroundAndViewsInIt) {
    Frame frame;
    CBitmap* background = makeStackedBitmap(320, 257, {kGrey});
    frame->setBackground(background);
    background->forget();
    auto* a = frame.add(new Probe(CRect(0, 0, 10, 10), kRed));
    auto* far = frame.add(new Probe(CRect(100, 100, 110, 110), kGreen));
    EXPECT_EQ(frame.pixel(50, 50), kGrey);
    EXPECT_EQ(frame.pixel(5, 5), kRed);
    frame->invalidRect(CRect(0, 0, 20, 20));
    frame->updateDirtyViews();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(far->draws, 1);
    frame->setDirty(true);
    frame->updateDirtyViews();
    EXPECT_EQ(far->draws, 2) << "a dirty frame redraws everything";
}

TEST(FrameMouse, TopmostViewFirstAndUnhandledClicksFallThrough) {
    Frame frame;
    auto* below = frame.add(new Probe(CRect(0, 0, 50, 50), kRed));
    auto* above = frame.add(new Probe(CRect(10, 10, 40, 40), kGreen, kMouseEventNotHandled));
    frame.down(20, 20);
    EXPECT_THAT(above->log, ElementsAre("down"));
    EXPECT_THAT(below->log, ElementsAre("down"));
    EXPECT_EQ(below->lastPoint, CPoint(20, 20));
}

TEST(FrameMouse, HandledPressGetsMovesAndRelease) {
    Frame frame;
    auto* probe = frame.add(new Probe(CRect(0, 0, 50, 50), kRed));
    frame.down(5, 5);
    frame.moveTo(200, 200, kLButton);  // outside, still tracked
    frame.up(200, 200);
    EXPECT_THAT(probe->log, ElementsAre("down", "drag", "up"));
}

TEST(FrameMouse, PressWithoutFurtherEventsGetsNoRelease) {
    Frame frame;
    auto* probe = frame.add(new Probe(CRect(0, 0, 50, 50), kRed, kMouseDownEventHandledButDontNeedMovedOrUpEvents));
    frame.down(5, 5);
    frame.moveTo(6, 6, kLButton);
    frame.up(6, 6);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "up"), 0);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "drag"), 0);
}

TEST(FrameMouse, EnterAndExitFollowThePointer) {
    Frame frame;
    auto* a = frame.add(new Probe(CRect(0, 0, 10, 10), kRed));
    auto* b = frame.add(new Probe(CRect(20, 0, 30, 10), kGreen));
    frame.moveTo(5, 5);
    frame.moveTo(6, 5);
    frame.moveTo(25, 5);
    frame.moveTo(100, 100);
    EXPECT_THAT(a->log, ElementsAre("enter", "move", "move", "exit"));
    EXPECT_THAT(b->log, ElementsAre("enter", "move", "exit"));
}

TEST(FrameMouse, HoverWaitsWhileAPressIsTracked) {
    Frame frame;
    auto* a = frame.add(new Probe(CRect(0, 0, 10, 10), kRed));
    auto* b = frame.add(new Probe(CRect(20, 0, 30, 10), kGreen));
    frame.moveTo(5, 5);
    frame.down(5, 5);
    frame.moveTo(25, 5, kLButton);
    EXPECT_THAT(b->log, ElementsAre()) << "no enter while a is held";
    frame.up(25, 5);
    EXPECT_THAT(a->log, ElementsAre("enter", "move", "down", "drag", "up", "exit"));
    EXPECT_THAT(b->log, ElementsAre("enter"));
}

TEST(FrameModal, ModalViewTakesClicksInsideItAndKeys) {
    Frame frame;
    auto* window = frame.add(new Probe(CRect(0, 0, 320, 257), kRed));
    auto* modal = new Probe(CRect(30, 10, 290, 214), kGreen);
    ASSERT_TRUE(frame->setModalView(modal));
    auto* second = new Probe(CRect(0, 0, 1, 1), kBlue);
    EXPECT_FALSE(frame->setModalView(second)) << "one modal view at a time";
    second->forget();

    EXPECT_EQ(frame.down(5, 240), kMouseEventNotHandled);
    frame.up(5, 240);
    EXPECT_THAT(window->log, ElementsAre()) << "clicks outside the modal view go nowhere";
    frame.down(100, 100);
    frame.up(100, 100);
    EXPECT_EQ(frame.key(0, 'x'), 1);
    EXPECT_THAT(modal->keys, ElementsAre('x'));
    EXPECT_EQ(frame.pixel(100, 100), kGreen) << "drawn over everything";

    ASSERT_TRUE(frame->setModalView(nullptr));
    EXPECT_EQ(modal->getNbReference(), 1) << "handed back, not destroyed";
    EXPECT_EQ(frame.pixel(100, 100), kRed);
    modal->forget();
    frame.click(5, 240);
    EXPECT_EQ(std::count(window->log.begin(), window->log.end(), "down"), 1);
}

TEST(FrameFocus, KeysGoToTheFocusViewUntilAClickElsewhere) {
    Frame frame;
    auto* field = frame.add(new Probe(CRect(0, 0, 50, 20), kRed));
    auto* other = frame.add(new Probe(CRect(100, 0, 150, 20), kGreen));
    EXPECT_EQ(frame.key(0, 'a'), -1) << "nobody has the focus";
    frame->setFocusView(field);
    frame.key(0, 'b');
    frame.click(10, 10);  // inside: keeps the focus
    frame.key(0, 'c');
    frame.click(120, 10);
    frame.key(0, 'd');
    EXPECT_THAT(field->keys, ElementsAre('b', 'c'));
    EXPECT_TRUE(other->keys.empty());
    EXPECT_EQ(std::count(field->log.begin(), field->log.end(), "unfocus"), 1);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST(FrameImage, SavesItsPictureAsPng) {
    Frame frame(CRect(0, 0, 40, 30));
    frame.add(new Probe(CRect(0, 0, 40, 30), kBlue));
    const auto path = std::filesystem::temp_directory_path() / "corvane-frame-test.png";
    ASSERT_TRUE(frame->saveImage(path.c_str()));
    EXPECT_GT(std::filesystem::file_size(path), 50u);
    std::filesystem::remove(path);
    EXPECT_FALSE(frame->saveImage(nullptr));
}

TEST(FrameLifetime, RemovedViewsLeaveNoDanglingReferences) {
    // Run under AddressSanitizer: the hovered and focused view is destroyed.
    Frame frame;
    auto* probe = frame.add(new Probe(CRect(0, 0, 50, 50), kRed));
    frame.moveTo(5, 5);
    frame->setFocusView(probe);
    frame.down(5, 5);
    frame->removeView(probe);
    frame.moveTo(6, 6, kLButton);
    frame.up(6, 6);
    frame.moveTo(100, 100);
    EXPECT_EQ(frame.key(0, 'x'), -1);
}

namespace {

class RecordingEditor : public VSTGUIEditorInterface {
public:
    void beginEdit(long index) override { log.push_back(index); }
    void endEdit(long index) override { log.push_back(-index); }
    std::vector<long> log;
};

}  // namespace

TEST(FrameEditor, ControlGesturesReachTheEditor) {
    RecordingEditor editor;
    Frame frame(CRect(0, 0, 100, 100), &editor);
    auto* control = frame.add(new CControl(CRect(0, 0, 10, 10), nullptr, 7));
    control->beginEdit();
    EXPECT_TRUE(control->isEditing());
    control->endEdit();
    EXPECT_FALSE(control->isEditing());
    EXPECT_THAT(editor.log, ElementsAre(7, -7));
}

namespace {

// Closes its frame from inside a press, as a host closes the window from
// inside a request that the press made, then goes on with the gesture.
class ClosingButton : public CControl {
public:
    ClosingButton(const CRect& r, std::vector<std::string>& log) : CControl(r, nullptr, 7), log_(log) {}
    ~ClosingButton() override { log_.push_back("destroyed"); }
    CMouseEventResult onMouseDown(CPoint&, const long&) override {
        beginEdit();
        frame_->close();
        log_.push_back("closed");
        invalid();
        endEdit();
        return kMouseEventHandled;
    }

private:
    std::vector<std::string>& log_;
};

}  // namespace

TEST(FrameLifetime, ClosedInsideAnEventItLastsUntilTheEventIsHandled) {
    // Run under AddressSanitizer.
    RecordingEditor editor;
    std::vector<std::string> log;
    auto* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, &editor);
    frame->addView(new ClosingButton(CRect(0, 0, 10, 10), log));
    CPoint p(5, 5);
    frame->onMouseDown(p, kLButton);
    EXPECT_THAT(log, ElementsAre("closed", "destroyed"));
    EXPECT_THAT(editor.log, ElementsAre(7, -7)) << "the gesture ends with the editor told";
}

namespace {

// Stands for another thread that sets the value while the control is drawn.
class ChangedWhileDrawn : public CControl {
public:
    explicit ChangedWhileDrawn(const CRect& r) : CControl(r) {}
    void draw(CDrawContext*) override {
        ++draws;
        if (draws == 2) setValue(0.9f);
        setDirty(false);
    }
    int draws = 0;
};

}  // namespace

TEST(FrameRedraw, ValueSetDuringADrawIsDrawnOnTheNextIdle) {
    Frame frame;
    auto* control = frame.add(new ChangedWhileDrawn(CRect(0, 0, 10, 10)));
    frame->idle();
    control->setValue(0.5f);
    frame->idle();  // draws 0.5, meanwhile 0.9 arrives
    EXPECT_TRUE(control->isDirty());
    frame->idle();
    EXPECT_EQ(control->draws, 3);
    EXPECT_FALSE(control->isDirty());
}
