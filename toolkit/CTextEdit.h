// A one-line text field edited in place: a left click starts editing with
// the whole text selected (the field takes the frame's keyboard focus), so
// that typing replaces it. Printable keys insert over the selection,
// Backspace and Delete remove it or one character, Left/Right/Home/End move
// the caret (with Shift they extend the selection), Ctrl+A selects all, and
// a click in the field while editing puts the caret there.
// Return, Enter or a click elsewhere ends editing and tells the listener
// (valueChanged, once, even when the text is the same); Escape puts the old
// text back and tells nobody. The text is not a parameter: no beginEdit or
// endEdit reaches the host.
//
// Drawn as a field of the back colour with a one-pixel border in the frame
// colour and the text in the font colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

class CTextEdit : public CControl {
public:
    // The longest text a field holds, in bytes: getText(char*) needs a
    // buffer of kMaxTextLength + 1 (256) bytes at most.
    static constexpr std::size_t kMaxTextLength = 255;

    CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text = nullptr,
              CBitmap* background = nullptr, long style = 0);

    // Cut to the maximum length (null counts as empty); no more than
    // maxBytes bytes of `text` are read, so a name in a fixed-size field
    // needs no terminator. Ends no editing: while editing, the new text is
    // selected whole and is what Escape returns to.
    void setText(const char* text, std::size_t maxBytes = SIZE_MAX);
    // Copies the text and its terminator: `out` holds getMaxLength() + 1 bytes.
    void getText(char* out) const;
    const char* getText() const { return text_.c_str(); }
    const std::string& getString() const { return text_; }

    // Clamped to kMaxTextLength; a longer text is cut at once.
    void setMaxLength(std::size_t length);
    std::size_t getMaxLength() const { return maxLength_; }

    void setFont(const CFontDesc& font);
    const CFontDesc& getFont() const { return font_; }
    void setHoriAlign(CHoriTxtAlign align);
    CHoriTxtAlign getHoriAlign() const { return horiAlign_; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor_; }
    void setFrameColor(const CColor& color);
    const CColor& getFrameColor() const { return frameColor_; }
    void setBackColor(const CColor& color);
    const CColor& getBackColor() const { return backColor_; }
    long getStyle() const { return style_; }

    bool isEditingText() const { return editingText_; }
    // The selected bytes while editing (empty when none is selected).
    std::string getSelectedText() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(VstKeyCode& key) override;
    void takeFocus() override;
    // Focus went elsewhere (a click outside): editing ends, keeping the text.
    void looseFocus() override;
    // Leaving the frame ends editing silently: the editor may be closing.
    void removed() override;
    bool isTypeOf(const char* name) const override;

private:
    // Keeps or restores the text, notifying only when kept.
    void endEditing(bool keep);
    // Cuts the text to the maximum length.
    void truncate();
    void insert(char c);
    void eraseBefore();
    void eraseAfter();
    // Removes the selected bytes; false when nothing was selected.
    bool eraseSelection();
    // Puts the caret at `offset`; the selection then ends there when
    // extending, and is empty otherwise.
    void moveCaret(std::size_t offset, bool extend);
    // Where drawString puts the text's left edge for a text this wide.
    CCoord textLeft(CCoord textWidth) const;
    // The character boundary nearest to x (window coordinates).
    std::size_t offsetAt(CCoord x) const;

    std::string text_;
    std::string textBeforeEditing_;
    std::size_t maxLength_ = kMaxTextLength;
    std::size_t caret_ = 0;   // byte offset into text_
    std::size_t anchor_ = 0;  // the selection's other end; equal to caret_ when none
    bool editingText_ = false;
    CFontDesc font_{"Arial", 11};
    CHoriTxtAlign horiAlign_ = kCenterText;
    CColor fontColor_ = kBlackCColor;
    CColor frameColor_ = kBlackCColor;
    CColor backColor_ = kWhiteCColor;
    long style_;
};
