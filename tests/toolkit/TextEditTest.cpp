// The program-name field: editing in place with keys the frame hands to its
// focus view, as the X11 window or the host's effEditKeyDown deliver them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "support/Offscreen.h"
#include "toolkit/CTextEdit.h"

namespace {

constexpr CColor kInk{36, 36, 32, 255};
constexpr CColor kPaper{189, 207, 218, 255};
const CRect kField(96, 233.5, 212, 247.5);
constexpr CCoord kInsideX = 150, kInsideY = 240;

class TextEditTest : public ::testing::Test {
protected:
    TextEditTest() {
        // Set up as the editor sets up its name field.
        edit = frame.add(new CTextEdit(kField, &listener, 1000, "Init", nullptr, 0));
        edit->setBackOffset(CPoint(96, 233));
        edit->setFont(CFontDesc{"Arial", 11});
        edit->setHoriAlign(kCenterText);
        edit->setFontColor(kInk);
        edit->setFrameColor(kInk);
        edit->setBackColor(kPaper);
    }

    void startEditing() { frame.click(kInsideX, kInsideY); }
    // Editing starts with everything selected; End puts the caret after it.
    void startEditingAtTheEnd() {
        startEditing();
        press(VKEY_END);
    }
    long press(unsigned char virt, unsigned char modifier = 0) { return frame.key(virt, 0, modifier); }
    void erase(int count) {
        for (int i = 0; i < count; ++i) press(VKEY_BACK);
    }

    // Pixels of the field's inside (within its border) that are not paper.
    int inkedPixels() const {
        int count = 0;
        for (int y = 236; y < 246; ++y)
            for (int x = 98; x < 210; ++x) count += frame.pixel(x, y) != kPaper;
        return count;
    }

    // Outlives the frame, as an editor does: closing it ends editing.
    offscreen::RecordingListener listener;
    offscreen::Frame frame;
    CTextEdit* edit = nullptr;
};

TEST_F(TextEditTest, ClickStartsEditingWithKeyboardFocus) {
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(frame.down(kInsideX, kInsideY), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    frame.up(kInsideX, kInsideY);
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), edit);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_TRUE(listener.begins.empty()) << "the name is not a parameter: no gesture";
}

TEST_F(TextEditTest, ReturnOrEnterKeepsTheTypedTextAndNotifiesOnce) {
    startEditing();
    erase(4);
    EXPECT_EQ(frame.type("Warm pad"), 1);
    EXPECT_EQ(press(VKEY_RETURN), 1);
    EXPECT_EQ(edit->getString(), "Warm pad");
    EXPECT_STREQ(edit->getText(), "Warm pad");
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].tag, 1000);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(frame.type("x"), -1) << "keys after editing ended";

    // Enter on the keypad ends editing as well; an unchanged text is still reported.
    startEditing();
    EXPECT_EQ(press(VKEY_ENTER), 1);
    EXPECT_EQ(edit->getString(), "Warm pad");
    EXPECT_EQ(listener.events.size(), 2u);
    EXPECT_TRUE(listener.begins.empty());
    EXPECT_TRUE(listener.ends.empty());
}

TEST_F(TextEditTest, EscapeRestoresTheOldTextSilently) {
    startEditingAtTheEnd();
    erase(2);
    frame.type("xyz");
    EXPECT_EQ(edit->getString(), "Inxyz");
    EXPECT_EQ(press(VKEY_ESCAPE), 1);
    EXPECT_EQ(edit->getString(), "Init");
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(TextEditTest, ClickElsewhereEndsEditingKeepingTheText) {
    startEditingAtTheEnd();
    frame.type(" 2");
    frame.click(10, 10);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(edit->getString(), "Init 2");
    EXPECT_EQ(listener.events.size(), 1u);

    // A click inside the field while editing keeps editing.
    startEditing();
    frame.click(kInsideX + 20, kInsideY);
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_EQ(listener.events.size(), 1u);
}

// Renaming usually means replacing: editing starts with the whole name
// selected, and the usual keys and clicks change the selection.
TEST_F(TextEditTest, EditingStartsWithEverythingSelectedSoTypingReplacesIt) {
    edit->setText("Warm pad");
    startEditing();
    EXPECT_EQ(edit->getSelectedText(), "Warm pad");
    frame.type("Bell");
    EXPECT_EQ(edit->getString(), "Bell");
    EXPECT_EQ(edit->getSelectedText(), "");

    // Shift extends from the caret; Backspace and Delete take the selection.
    press(VKEY_LEFT, MODIFIER_SHIFT);
    press(VKEY_LEFT, MODIFIER_SHIFT);
    EXPECT_EQ(edit->getSelectedText(), "ll");
    press(VKEY_BACK);
    EXPECT_EQ(edit->getString(), "Be");
    press(VKEY_HOME, MODIFIER_SHIFT);
    press(VKEY_DELETE);
    EXPECT_EQ(edit->getString(), "");

    // Without Shift, Left and Right end a selection at its start or end.
    edit->setText("abcd");
    EXPECT_EQ(frame.key(0, 'a', MODIFIER_CONTROL), 1) << "Ctrl+A selects all";
    EXPECT_EQ(edit->getSelectedText(), "abcd");
    press(VKEY_LEFT);
    frame.type("<");
    press(VKEY_END);
    press(VKEY_HOME, MODIFIER_SHIFT);
    press(VKEY_RIGHT);
    frame.type(">");
    EXPECT_EQ(edit->getString(), "<abcd>");

    // A typed character replaces a selection even when the field is full.
    edit->setMaxLength(6);
    press(VKEY_LEFT, MODIFIER_SHIFT);
    frame.type("!");
    EXPECT_EQ(edit->getString(), "<abcd!");
    press(VKEY_RETURN);
    EXPECT_EQ(listener.events.size(), 1u);
}

// A click while editing puts the caret at the nearest character boundary;
// with Shift it selects up to there.
TEST_F(TextEditTest, ClickWhileEditingPutsTheCaretWhereItLands) {
    edit->setText("WWWW");
    startEditing();
    frame.click(97, kInsideY);  // left of the centred text
    frame.type("a");
    EXPECT_EQ(edit->getString(), "aWWWW");
    frame.click(210, kInsideY);  // right of it
    frame.type("z");
    EXPECT_EQ(edit->getString(), "aWWWWz");
    frame.click(kInsideX, kInsideY, kLButton | kShift);  // the middle, between the two middle Ws
    EXPECT_EQ(edit->getSelectedText(), "WWz");
    frame.type("-");
    EXPECT_EQ(edit->getString(), "aWW-");
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_TRUE(listener.events.empty());
}

// Another program chosen while a name is typed: the field goes on editing
// the new name, whole and selected; Escape returns to it, never to the old
// program's name, and no key can split one of its characters.
TEST_F(TextEditTest, TextSetWhileEditingIsSelectedWholeAndIsWhatEscapeRestores) {
    startEditingAtTheEnd();
    frame.type("xyz");
    edit->setText("\xC3\xA9t\xC3\xA9");  // "été"
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_EQ(edit->getSelectedText(), "\xC3\xA9t\xC3\xA9");
    press(VKEY_END);
    press(VKEY_BACK);
    EXPECT_EQ(edit->getString(), "\xC3\xA9t");
    press(VKEY_ESCAPE);
    EXPECT_EQ(edit->getString(), "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(TextEditTest, CaretKeysBackspaceAndDelete) {
    startEditingAtTheEnd();
    press(VKEY_LEFT);
    press(VKEY_LEFT);    // In|it
    press(VKEY_BACK);    // I|it
    press(VKEY_DELETE);  // I|t
    frame.type("x");
    EXPECT_EQ(edit->getString(), "Ixt");
    press(VKEY_HOME);
    frame.type("A");     // A|Ixt
    press(VKEY_BACK);    // |Ixt
    press(VKEY_BACK);    // nothing before the caret
    press(VKEY_END);
    press(VKEY_DELETE);  // nothing after it
    EXPECT_EQ(frame.key(VKEY_SPACE, ' '), 1);
    EXPECT_EQ(edit->getString(), "Ixt ");
    // Backspace over a two-byte character takes it whole.
    edit->setText("Caf\xC3\xA9");
    press(VKEY_END);
    press(VKEY_BACK);
    EXPECT_EQ(edit->getString(), "Caf");
}

TEST_F(TextEditTest, ControlCharactersAndShortcutsAreNotText) {
    startEditingAtTheEnd();
    EXPECT_EQ(frame.key(0, 1), -1);
    EXPECT_EQ(frame.key(0, 127), -1);
    EXPECT_EQ(frame.key(0, 233), -1) << "only ASCII is typed";
    EXPECT_EQ(frame.key(0, 'c', MODIFIER_CONTROL), -1) << "the host's shortcut";
    EXPECT_EQ(frame.key(VKEY_F1), -1);
    EXPECT_EQ(frame.key(0, 'A', MODIFIER_SHIFT), 1);
    EXPECT_EQ(edit->getString(), "InitA");
}

TEST_F(TextEditTest, KeysAreNotHandledWhileNotEditing) {
    EXPECT_EQ(frame.type("abc"), -1);
    VstKeyCode key{'a', 0, 0};
    EXPECT_EQ(edit->onKeyDown(key), -1);
    EXPECT_EQ(frame.down(kInsideX, kInsideY, kRButton), kMouseEventNotHandled);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(edit->getString(), "Init");
}

TEST_F(TextEditTest, LongTextStaysWithinTheMaximumLength) {
    edit->setMaxLength(24);
    startEditingAtTheEnd();
    frame.type(std::string(300, 'w').c_str());
    EXPECT_EQ(edit->getString(), "Init" + std::string(20, 'w'));
    press(VKEY_RETURN);

    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    edit->getText(buffer);
    EXPECT_EQ(std::strlen(buffer), 24u);
    EXPECT_EQ(buffer[25], '#') << "nothing written past the terminator";

    // setText cuts too, never in the middle of a UTF-8 character.
    edit->setText(std::string(300, 'z').c_str());
    EXPECT_EQ(edit->getString().size(), 24u);
    edit->setMaxLength(4);
    EXPECT_EQ(edit->getString(), "zzzz");
    edit->setText("abc\xC3\xA9");
    EXPECT_EQ(edit->getString(), "abc");
    edit->setText(nullptr);
    EXPECT_EQ(edit->getString(), "");

    // No field holds more than 255 bytes, so 256-byte buffers always do.
    edit->setMaxLength(100000);
    EXPECT_EQ(edit->getMaxLength(), CTextEdit::kMaxTextLength);
    edit->setText(std::string(1000, 'q').c_str());
    EXPECT_EQ(edit->getString().size(), 255u);
}

TEST_F(TextEditTest, NameOfAFixedFieldIsReadNoFurther) {
    edit->setMaxLength(24);
    const std::unique_ptr<char[]> name(new char[24]);  // no terminator
    std::memcpy(name.get(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
    edit->setText(name.get(), 24);
    EXPECT_EQ(edit->getString(), "ABCDEFGHIJKLMNOPQRSTUVWX");
    edit->setText("Short\0ignored", 24);
    EXPECT_EQ(edit->getString(), "Short");
}

TEST_F(TextEditTest, DrawsBackColourBorderTextAndCaret) {
    edit->setText("");
    EXPECT_EQ(frame.pixel(100, 240), kPaper);
    EXPECT_EQ(frame.pixel(96, 240), kInk) << "left border";
    EXPECT_EQ(frame.pixel(211, 240), kInk) << "right border";
    EXPECT_EQ(frame.pixel(94, 240), (CColor{0, 0, 0, 255})) << "nothing outside the field";
    EXPECT_EQ(inkedPixels(), 0);

    edit->setText("Warm pad");
    const int text = inkedPixels();
    EXPECT_GT(text, 20);
    EXPECT_EQ(frame.pixel(100, 240), kPaper) << "short centred text leaves the left end clear";

    startEditing();
    int highlighted = 0, light = 0;
    for (int x = 98; x < 210; ++x) highlighted += frame.pixel(x, 237).blue > frame.pixel(x, 237).red + 40;
    for (int y = 236; y < 246; ++y)
        for (int x = 98; x < 210; ++x) light += frame.pixel(x, y).red > 220 && frame.pixel(x, y).green > 220;
    EXPECT_GT(highlighted, 30) << "the selected text is marked";
    EXPECT_GT(light, 20) << "and drawn light on it";
    EXPECT_EQ(frame.pixel(100, 240), kPaper) << "and nothing beside it";
    press(VKEY_END);
    EXPECT_EQ(frame.pixel(kInsideX, 237), kPaper) << "no mark once the caret moved";
    EXPECT_GT(inkedPixels(), text) << "the caret";
    press(VKEY_ESCAPE);
    EXPECT_EQ(inkedPixels(), text);
}

TEST_F(TextEditTest, NameThatIsNotUtf8StillDrawsWithEverythingAfterIt) {
    edit->setText("Caf\xE9 \xC3");  // Latin-1 from an old bank, and a cut character
    // Drawn after the field in the same pass (the first, of the whole window).
    auto* later = frame.add(new CTextEdit(CRect(10, 10, 60, 24), nullptr, 1, "x"));
    later->setBackColor(kPaper);
    EXPECT_EQ(frame.pixel(14, 17), kPaper);
    const int text = inkedPixels();
    EXPECT_GT(text, 20);
    startEditing();
    EXPECT_GT(inkedPixels(), text) << "the caret, drawn after the text";
}

TEST_F(TextEditTest, LeavingTheFrameWhileEditingTellsNobody) {
    startEditing();
    frame.type("abc");
    frame->removeView(edit);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(frame.type("d"), -1);
}

}  // namespace
