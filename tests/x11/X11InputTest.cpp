// Mouse and keyboard input produced by the X server itself, as a user's.
#include "X11WindowFixture.h"

#include "toolkit/CButtonState.h"

namespace {

bool hasKind(const FakeOwner& owner, OwnerEvent::Kind kind, size_t count = 1) {
    return owner.of(kind).size() >= count;
}

}  // namespace

// --- Mouse ----------------------------------------------------------------

TEST_F(X11WindowTest, LeftClickArrivesAtItsPosition) {
    open();
    XDOTOOL("mousemove", "--window", id(), "30", "40", "click", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up); }));
    auto downs = owner.of(OwnerEvent::Down);
    auto ups = owner.of(OwnerEvent::Up);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].where, CPoint(30, 40));
    EXPECT_EQ(downs[0].buttons, kLButton);
    EXPECT_EQ(ups[0].where, CPoint(30, 40));
    EXPECT_EQ(ups[0].buttons, kLButton);
}

TEST_F(X11WindowTest, RightClickAndModifiedClicksCarryTheirBits) {
    open();
    XDOTOOL("mousemove", "--window", id(), "5", "6", "click", "3");
    XDOTOOL("keydown", "shift", "click", "1", "keyup", "shift");
    XDOTOOL("keydown", "ctrl", "keydown", "alt", "click", "2", "keyup", "alt", "keyup", "ctrl");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up, 3); }));
    auto downs = owner.of(OwnerEvent::Down);
    auto ups = owner.of(OwnerEvent::Up);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0].buttons, kRButton);
    EXPECT_EQ(ups[0].buttons, kRButton);
    EXPECT_EQ(downs[1].buttons, kLButton | kShift);
    EXPECT_EQ(ups[1].buttons, kLButton | kShift);
    EXPECT_EQ(downs[2].buttons, kMButton | kControl | kAlt);
    EXPECT_EQ(downs[2].where, CPoint(5, 6));
}

TEST_F(X11WindowTest, DoubleClickMarksTheSecondPressOnly) {
    open();
    XDOTOOL("mousemove", "--window", id(), "50", "50", "click", "--repeat", "3", "--delay", "60", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Down, 3); }));
    auto downs = owner.of(OwnerEvent::Down);
    EXPECT_EQ(downs[0].buttons, kLButton);
    EXPECT_EQ(downs[1].buttons, kLButton | kDoubleClick);
    EXPECT_EQ(downs[2].buttons, kLButton);
    for (const OwnerEvent& up : owner.of(OwnerEvent::Up)) EXPECT_EQ(up.buttons, kLButton);
}

TEST_F(X11WindowTest, WheelDragAndLeaving) {
    open();
    XDOTOOL("mousemove", "--window", id(), "20", "25", "click", "4", "click", "5");
    XDOTOOL("mousedown", "1", "mousemove", "--window", id(), "60", "70", "mouseup", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up); }));
    auto wheels = owner.of(OwnerEvent::Wheel);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_EQ(wheels[0].distance, 1.f);
    EXPECT_EQ(wheels[1].distance, -1.f);
    EXPECT_EQ(wheels[0].where, CPoint(20, 25));
    // Wheel notches are no presses: no down or up events for them.
    ASSERT_EQ(owner.of(OwnerEvent::Down).size(), 1u);

    const OwnerEvent lastMove = owner.of(OwnerEvent::Moved).back();
    EXPECT_EQ(lastMove.where, CPoint(60, 70));
    EXPECT_EQ(lastMove.buttons, kLButton);
    EXPECT_EQ(owner.of(OwnerEvent::Up)[0].where, CPoint(60, 70));

    // The parent sits at (20, 30) on the screen: (0, 0) is outside.
    XDOTOOL("mousemove", "0", "0");
    EXPECT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Exited); }));
}

// The host hides its window mid-drag: the server ends our grab and the
// release goes elsewhere. The press still ends, where it was last seen.
TEST_F(X11WindowTest, APressWhoseReleaseIsLostStillEnds) {
    open();
    XDOTOOL("mousemove", "--window", id(), "30", "40", "mousedown", "1", "mousemove", "--window", id(), "50", "60");
    ASSERT_TRUE(pumpUntil([this] { return !owner.events.empty() && owner.events.back().where == CPoint(50, 60); }));
    XUnmapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "0", "0", "mouseup", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up); }));
    EXPECT_EQ(owner.of(OwnerEvent::Up)[0].where, CPoint(50, 60));
    EXPECT_EQ(owner.of(OwnerEvent::Up)[0].buttons, kLButton);

    // The same with no pump until the next click: that press finds the
    // lost one ended first.
    XMapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "--window", id(), "30", "40", "mousedown", "1");
    XUnmapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "0", "0", "mouseup", "1");
    XMapWindow(host->get(), parent);
    XSync(host->get(), False);
    XDOTOOL("mousemove", "--window", id(), "70", "20", "click", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up, 3); }));
    std::vector<OwnerEvent::Kind> presses;
    for (const OwnerEvent& e : owner.events)
        if (e.kind == OwnerEvent::Down || e.kind == OwnerEvent::Up) presses.push_back(e.kind);
    using K = OwnerEvent::Kind;
    EXPECT_EQ(presses, (std::vector<K>{K::Down, K::Up, K::Down, K::Up, K::Down, K::Up}));
}

// --- Keyboard -------------------------------------------------------------

// A text field takes the focus and gives it back to whoever had it, only
// while it is still ours.
TEST_F(X11WindowTest, FocusGoesBackToWhoHadIt) {
    open();
    const Window hostMain = host->createParent(10, 10);
    const Window hostOther = host->createParent(10, 10);
    XSetInputFocus(host->get(), hostMain, RevertToParent, CurrentTime);
    XSync(host->get(), False);

    window->takeFocus();
    ASSERT_TRUE(eventually([this] { return focusedWindow() == window->windowId(); }));
    window->takeFocus();  // a second field: the first owner is remembered
    window->releaseFocus();
    EXPECT_TRUE(eventually([&] { return focusedWindow() == hostMain; }));

    // The user clicked the host meanwhile: the focus stays there.
    window->takeFocus();
    ASSERT_TRUE(eventually([this] { return focusedWindow() == window->windowId(); }));
    XSetInputFocus(host->get(), hostOther, RevertToParent, CurrentTime);
    XSync(host->get(), False);
    window->releaseFocus();
    XSync(host->get(), False);
    EXPECT_EQ(focusedWindow(), hostOther);

    // Closed while editing: back to the host too.
    window->takeFocus();
    ASSERT_TRUE(eventually([this] { return focusedWindow() == window->windowId(); }));
    window.reset();
    EXPECT_TRUE(eventually([&] { return focusedWindow() == hostOther; }));
}

// Another window taking the focus ends it for good: the owner hears it
// once and nothing is given back. Focus given back and taken again before
// a pump is still ours, though its old FocusOut comes late.
TEST_F(X11WindowTest, FocusTakenElsewhereIsLostOnce) {
    open();
    const Window hostOther = host->createParent(10, 10);
    XSetInputFocus(host->get(), parent, RevertToParent, CurrentTime);
    XSync(host->get(), False);
    window->takeFocus();
    window->releaseFocus();
    window->takeFocus();
    ASSERT_TRUE(eventually([this] { return focusedWindow() == window->windowId(); }));
    // A click after the focus changes: once it is in, they have all been pumped.
    XDOTOOL("mousemove", "--window", id(), "10", "10", "click", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up); }));
    EXPECT_TRUE(owner.of(OwnerEvent::FocusLost).empty());

    XSetInputFocus(host->get(), hostOther, RevertToParent, CurrentTime);
    XSync(host->get(), False);
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::FocusLost); }));
    window->releaseFocus();
    XDOTOOL("click", "1");
    ASSERT_TRUE(pumpUntil([this] { return hasKind(owner, OwnerEvent::Up, 2); }));
    EXPECT_EQ(owner.of(OwnerEvent::FocusLost).size(), 1u);
    EXPECT_EQ(focusedWindow(), hostOther);
}

TEST_F(X11WindowTest, TypedKeysArriveAsVstKeyCodes) {
    open();
    window->takeFocus();
    ASSERT_TRUE(eventually([this] {
        Window focus;
        int revert;
        XGetInputFocus(host->get(), &focus, &revert);
        return focus == window->windowId();
    }));
    XDOTOOL("key", "a", "shift+a", "ctrl+a", "BackSpace", "Return", "KP_Enter", "space", "Escape", "Left", "F5");

    struct Expected {
        VstInt32 character;
        unsigned char virt;
        unsigned char modifier;
    };
    const Expected expected[] = {
        {'a', 0, 0},
        {'A', 0, MODIFIER_SHIFT},
        {'a', 0, MODIFIER_CONTROL},
        {0, VKEY_BACK, 0},
        {0, VKEY_RETURN, 0},
        {0, VKEY_ENTER, 0},
        {' ', VKEY_SPACE, 0},
        {0, VKEY_ESCAPE, 0},
        {0, VKEY_LEFT, 0},
        {0, VKEY_F5, 0},
    };
    auto typed = [this] {
        std::vector<VstKeyCode> keys;
        for (const OwnerEvent& e : owner.of(OwnerEvent::KeyDown))
            if (e.key.virt != VKEY_SHIFT && e.key.virt != VKEY_CONTROL) keys.push_back(e.key);
        return keys;
    };
    ASSERT_TRUE(pumpUntil([&] { return typed().size() >= std::size(expected); }));
    const std::vector<VstKeyCode> keys = typed();
    ASSERT_EQ(keys.size(), std::size(expected));
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE("key " + std::to_string(i));
        EXPECT_EQ(keys[i].character, expected[i].character);
        EXPECT_EQ(keys[i].virt, expected[i].virt);
        EXPECT_EQ(keys[i].modifier, expected[i].modifier);
    }
    // Every key is released too; the first release is the 'a'.
    EXPECT_TRUE(pumpUntil([this] { return owner.of(OwnerEvent::KeyUp).size() >= owner.of(OwnerEvent::KeyDown).size(); }));
    EXPECT_EQ(owner.of(OwnerEvent::KeyUp)[0].key.character, 'a');
}
