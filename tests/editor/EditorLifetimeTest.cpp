// Hosts that close or reopen the window at awkward moments: from inside a
// request the window itself made while handling a click, a drag, the wheel
// or a key; twice over; in another parent; after destroying the parent.
// Run under AddressSanitizer: nothing freed may be touched.
#include <functional>

#include "EditorSupport.h"
#include "toolkit/CKnob.h"
#include "toolkit/COnOffButton.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuPopup.h"

using namespace editortest;

namespace {

void* const kOtherWindow = reinterpret_cast<void*>(0x5eee);

class EditorLifetimeTest : public EditorTest {
protected:
    void hover(CCoord x, CCoord y) { drag(x, y, 0); }
    void key(unsigned char virt) { dispatch(effEditKeyDown, 0, virt); }
    void chooseFromMenu(long entry) {
        click(219, 244);
        auto* list = dynamic_cast<COptionMenuPopup*>(frame()->getModalView());
        ASSERT_NE(list, nullptr);
        const CRect row = list->getEntryRect(entry);
        click((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    }
    // The window shows what the effect holds, as after any open.
    void expectFreshWindow() {
        ASSERT_NE(frame(), nullptr);
        EXPECT_TRUE(frame()->hasPlatformWindow());
        ASSERT_EQ(OffscreenWindow::live().size(), 1u);
        EXPECT_EQ(editor()->knob(kDecay)->getValue(), parameter(kDecay));
        EXPECT_EQ(editor()->bypassButton()->getValue(), parameter(kBypass) >= 0.5f ? 1.0f : 0.0f);
    }
};

struct Gesture {
    const char* what;
    VstInt32 closingRequest;
    std::function<void()> act;
};

TEST_F(EditorLifetimeTest, HostClosesTheWindowFromInsideARequestOfAGesture) {
    const Gesture gestures[] = {
        {"click on bypass", audioMasterBeginEdit, [this] { click(160, 176); }},
        {"click on bypass", audioMasterAutomate, [this] { click(160, 176); }},
        {"click on bypass", audioMasterEndEdit, [this] { click(160, 176); }},
        {"click on bypass delivered by the window", audioMasterAutomate,
         [this] {
             OffscreenWindow::live()[0]->clickOnNextPump(CPoint(160, 176));
             idle();
         }},
        {"Ctrl+click on Mix", audioMasterAutomate, [this] { click(75, 175, kLButton | kControl); }},
        {"drag on Decay", audioMasterBeginEdit, [this] { press(72, 93); drag(72, 80); release(72, 80); }},
        {"click on the step switch", audioMasterUpdateDisplay, [this] { click(255, 241); }},
        {"wheel on the step switch", audioMasterUpdateDisplay, [this] { hover(245, 241); editor()->onWheel(1); }},
        {"wheel on Damp", audioMasterAutomate, [this] { hover(246, 93); editor()->onWheel(1); }},
        {"program chosen in the menu", audioMasterUpdateDisplay, [this] { chooseFromMenu(3); }},
        {"program chosen by key in the menu", audioMasterUpdateDisplay,
         [this] { click(219, 244); key(VKEY_DOWN); key(VKEY_RETURN); }},
        {"name confirmed by Return", audioMasterUpdateDisplay, [this] { click(150, 240); key(VKEY_RETURN); }},
        {"name confirmed by a click on bypass", audioMasterUpdateDisplay,
         [this] { click(150, 240); click(160, 176); }},
    };
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.what);
        closeDuring(-1);
        automate(kBypass, 0.0f);
        ASSERT_TRUE(open());
        host.calls.clear();
        closeDuring(gesture.closingRequest);
        gesture.act();
        closeDuring(-1);

        EXPECT_FALSE(editor()->isOpen()) << "the host closed the window";
        EXPECT_TRUE(OffscreenWindow::live().empty());
        EXPECT_EQ(host.count(audioMasterBeginEdit), host.count(audioMasterEndEdit)) << "every gesture begun ends";
        if (gesture.closingRequest == audioMasterUpdateDisplay) {
            EXPECT_EQ(parameter(kBypass), 0.0f) << "nothing after the close reaches another control";
        }
        ASSERT_TRUE(open());
        ASSERT_NO_FATAL_FAILURE(expectFreshWindow());
        close();
    }
}

TEST_F(EditorLifetimeTest, HostClosesAgainWhileTheWindowCloses) {
    ASSERT_TRUE(open());
    press(72, 93);  // a drag on Decay, cut by the close
    drag(72, 80);
    host.calls.clear();
    closeDuring(audioMasterEndEdit);  // the cut gesture's end, sent while closing
    close();
    closeDuring(-1);
    EXPECT_EQ(host.count(audioMasterEndEdit), 1);
    EXPECT_FALSE(editor()->isOpen());
    ASSERT_TRUE(open());
    ASSERT_NO_FATAL_FAILURE(expectFreshWindow());
}

TEST_F(EditorLifetimeTest, OpenInAnotherParentMovesTheWindowThere) {
    ASSERT_TRUE(open());
    const int made = OffscreenWindow::made();
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, kHostWindow), 1);
    EXPECT_EQ(OffscreenWindow::made(), made) << "the same parent: nothing changes";

    EXPECT_EQ(dispatch(effEditOpen, 0, 0, kOtherWindow), 1);
    ASSERT_NO_FATAL_FAILURE(expectFreshWindow());
    EXPECT_EQ(OffscreenWindow::live()[0]->parent(), kOtherWindow);

    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0) << "no parent: no window, as any open";
    EXPECT_FALSE(editor()->isOpen());
    EXPECT_TRUE(OffscreenWindow::live().empty());
}

TEST_F(EditorLifetimeTest, OpenAfterTheHostDestroyedTheParentMakesANewWindow) {
    ASSERT_TRUE(open());
    idle();
    OffscreenWindow::destroyParent(kHostWindow);
    idle();
    ASSERT_FALSE(frame()->hasPlatformWindow());
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, kOtherWindow), 1);
    ASSERT_NO_FATAL_FAILURE(expectFreshWindow());
    EXPECT_EQ(OffscreenWindow::live()[0]->parent(), kOtherWindow);

    // A host that reuses the id of a parent it destroyed.
    OffscreenWindow::destroyParent(kOtherWindow);
    idle();
    const int made = OffscreenWindow::made();
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, kOtherWindow), 1);
    EXPECT_EQ(OffscreenWindow::made(), made + 1);
    ASSERT_NO_FATAL_FAILURE(expectFreshWindow());
}

}  // namespace
