// The editor's window as a host sees it: where it is created, what it shows,
// and how it survives a host that tears things down in the wrong order.
// gtest before Xlib, whose None macro would break gtest's headers.
#include "X11WindowFixture.h"

#include <cmath>
#include <cstdlib>

namespace {

Window parentOf(Display* display, Window window) {
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return None;
    if (children) XFree(children);
    return parent;
}

}  // namespace

// --- Creation -------------------------------------------------------------

TEST_F(X11WindowTest, IsAChildOfTheHostWindowWithTheFrameSizeEvenInA1x1Parent) {
    parent = host->createParent(1, 1);
    window = createPlatformWindow(reinterpret_cast<void*>(parent), CRect(10, 20, 10 + kWidth, 20 + kHeight), owner);
    ASSERT_TRUE(window);
    const Window child = window->windowId();
    EXPECT_EQ(parentOf(host->get(), child), parent);

    Window root;
    int x, y;
    unsigned int width, height, border, depth;
    ASSERT_TRUE(XGetGeometry(host->get(), child, &root, &x, &y, &width, &height, &border, &depth));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(width, unsigned(kWidth));
    EXPECT_EQ(height, unsigned(kHeight));

    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(host->get(), child, &attributes));
    EXPECT_EQ(attributes.map_state, IsViewable);

    Atom xembed = XInternAtom(host->get(), "_XEMBED_INFO", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(host->get(), child, xembed, 0, 2, False, AnyPropertyType, &type, &format, &count,
                                 &after, &data),
              Success);
    ASSERT_EQ(format, 32);
    ASSERT_EQ(count, 2u);
    const long* info = reinterpret_cast<const long*>(data);
    EXPECT_EQ(info[0], 0);  // version
    EXPECT_EQ(info[1], 1);  // mapped
    XFree(data);
}

TEST_F(X11WindowTest, TakesTheVisualOfAnArgbParentAndDrawsIntoIt) {
    parent = host->createParent(kWidth, kHeight, 32);
    if (parent == None) GTEST_SKIP() << "the server has no 32-bit visual";
    window = createPlatformWindow(reinterpret_cast<void*>(parent), CRect(0, 0, kWidth, kHeight), owner);
    ASSERT_TRUE(window);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(host->get(), window->windowId(), &attributes));
    EXPECT_EQ(attributes.depth, 32);
    EXPECT_TRUE(pumpUntil([this] { return showsOwnersPicture(); }));
}

TEST_F(X11WindowTest, DrawsIntoA16BitParentToo) {
    parent = host->createParent(kWidth, kHeight, 0, 1);
    if (parent == None) GTEST_SKIP() << "the server has no second screen";
    window = createPlatformWindow(reinterpret_cast<void*>(parent), CRect(0, 0, kWidth, kHeight), owner);
    ASSERT_TRUE(window);
    // 5 or 6 bits a channel: each within one step of the picture.
    auto closeEnough = [this] {
        const std::vector<uint32_t> shown = host->screenshot(window->windowId(), kWidth, kHeight);
        const std::vector<uint32_t> wanted = ownerPixels();
        if (shown.size() != wanted.size()) return false;
        for (size_t i = 0; i < shown.size(); ++i)
            for (int shift : {0, 8, 16})
                if (std::abs(int(shown[i] >> shift & 0xff) - int(wanted[i] >> shift & 0xff)) > 8) return false;
        return true;
    };
    coverAndUncover(1);
    EXPECT_TRUE(eventually(closeEnough)) << "shown without pumping";
}

TEST_F(X11WindowTest, NoWindowWithoutAParentADisplayOrALivingParent) {
    EXPECT_FALSE(createPlatformWindow(nullptr, CRect(0, 0, kWidth, kHeight), owner));

    Window gone = host->createParent();
    XDestroyWindow(host->get(), gone);
    XSync(host->get(), False);
    EXPECT_FALSE(createPlatformWindow(reinterpret_cast<void*>(gone), CRect(0, 0, kWidth, kHeight), owner));

    // X ids have 29 bits: a wider value (a pointer, say) is no window,
    // though Xlib would cut it to one.
    parent = host->createParent();
    const uintptr_t highBits = uintptr_t(0xdead) << 32;
    for (uintptr_t wider : {parent | highBits, parent | 0x20000000})
        EXPECT_FALSE(createPlatformWindow(reinterpret_cast<void*>(wider), CRect(0, 0, kWidth, kHeight), owner));

    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_FALSE(createPlatformWindow(reinterpret_cast<void*>(parent), CRect(0, 0, kWidth, kHeight), owner));
    setenv("DISPLAY", display.c_str(), 1);
}

// --- Drawing --------------------------------------------------------------

// Hosts may idle late or seldom: the server repaints the picture itself.
TEST_F(X11WindowTest, ShowsThePictureWithoutPumpingAlsoWhereUncovered) {
    open();
    EXPECT_TRUE(eventually([this] { return showsOwnersPicture(); }));
    coverAndUncover();
    EXPECT_TRUE(eventually([this] { return showsOwnersPicture(); }));

    owner.paintPattern(0x5a5a5a);
    window->invalidate(CRect(0, 0, kWidth, kHeight));
    coverAndUncover();
    EXPECT_TRUE(eventually([this] { return showsOwnersPicture(); })) << "the new picture, not the first";
}

TEST_F(X11WindowTest, InvalidateCopiesOnlyTheAreaAskedWithPartlyCoveredPixels) {
    open();
    ASSERT_TRUE(pumpUntil([this] { return showsOwnersPicture(); }));
    owner.paintPattern(0x336699);
    window->invalidate(CRect(10.5, 20.25, 40.5, 30));

    std::vector<uint32_t> expected;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            expected.push_back(x >= 10 && x <= 40 && y >= 20 && y < 30 ? FakeOwner::patternAt(x, y, 0x336699)
                                                                   : FakeOwner::patternAt(x, y));
    // No pumping: the copy is the invalidation's own doing.
    EXPECT_TRUE(eventually([&] { return host->screenshot(window->windowId(), kWidth, kHeight) == expected; }));
}

TEST_F(X11WindowTest, InvalidateKeepsOddRectanglesInsideTheWindow) {
    open();
    ASSERT_TRUE(pumpUntil([this] { return showsOwnersPicture(); }));
    owner.paintPattern(0x102030);
    window->invalidate(CRect(NAN, 0, 50, 50));
    window->invalidate(CRect(30, 30, 10, 10));
    window->invalidate(CRect(-1e9, -5, 1e9, 1e12));
    EXPECT_TRUE(eventually([this] { return showsOwnersPicture(); }));
}

// --- A host that tears down in the wrong order ----------------------------

TEST_F(X11WindowTest, ParentDestroyedFirstIsReportedOnceAndTheEditorClosesCleanly) {
    open();
    XDestroyWindow(host->get(), parent);
    XSync(host->get(), False);
    ASSERT_TRUE(pumpUntil([this] { return !owner.of(OwnerEvent::Gone).empty(); }));
    EXPECT_EQ(window->windowId(), 0u);
    // The frame may still draw and ask for focus before the host closes it.
    window->invalidate(CRect(0, 0, kWidth, kHeight));
    window->takeFocus();
    pump();
    EXPECT_EQ(owner.of(OwnerEvent::Gone).size(), 1u);
    window.reset();
}

TEST_F(X11WindowTest, ParentDestroyedAndEditorClosedBeforeAnyPump) {
    open();
    window->invalidate(CRect(0, 0, kWidth, kHeight));
    XDestroyWindow(host->get(), parent);
    XSync(host->get(), False);
    window->invalidate(CRect(0, 0, kWidth, kHeight));
    window.reset();
}

TEST_F(X11WindowTest, OwnerMayCloseTheEditorWhenTheWindowGoes) {
    open();
    owner.onGone = [this] { window.reset(); };
    XDestroyWindow(host->get(), parent);
    XSync(host->get(), False);
    EXPECT_TRUE(pumpUntil([this] { return !window; }));
}

TEST_F(X11WindowTest, NoPictureFromTheOwnerDrawsNothing) {
    owner.hideImage = true;
    open();
    window->invalidate(CRect(0, 0, kWidth, kHeight));
    for (int i = 0; i < 10; ++i) pump();
}

TEST_F(X11WindowTest, TwoEditorsShareTheErrorTrapAndOtherConnectionsKeepTheirHandler) {
    open();
    FakeOwner secondOwner(kWidth, kHeight);
    Window secondParent = host->createParent(kWidth, kHeight);
    auto second = createPlatformWindow(reinterpret_cast<void*>(secondParent), CRect(0, 0, kWidth, kHeight),
                                       secondOwner);
    ASSERT_TRUE(second);

    // The host's own mistakes still reach the host's handler.
    XMapWindow(host->get(), 0x7ffffff);
    XSync(host->get(), False);
    EXPECT_EQ(ErrorsPassedOn::count, 1);
    ErrorsPassedOn::count = 0;

    // Closing one editor leaves the other protected.
    window.reset();
    XDestroyWindow(host->get(), secondParent);
    XSync(host->get(), False);
    second->invalidate(CRect(0, 0, kWidth, kHeight));
    second.reset();
    XSync(host->get(), False);
    EXPECT_EQ(ErrorsPassedOn::count, 0);

    // With no editor open the host's handler is in place again.
    EXPECT_EQ(XSetErrorHandler(ErrorsPassedOn::record), &ErrorsPassedOn::record);
}
