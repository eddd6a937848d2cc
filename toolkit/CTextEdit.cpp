#include "toolkit/CTextEdit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "toolkit/CFrame.h"
#include "toolkit/Utf8Text.h"

namespace {

using utf8text::characterStartAtOrBefore;
using utf8text::isContinuationByte;

constexpr CCoord kTextInset = 2;  // between the border and the text
// Selected text: white on blue, as in the program menu's list.
constexpr CColor kSelectionBack{52, 96, 160, 255};
constexpr CColor kSelectionText{255, 255, 255, 255};

}  // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text, CBitmap* background,
                     long style)
    : CControl(size, listener, tag, background), style_(style) {
    setText(text);
}

void CTextEdit::setText(const char* text, std::size_t maxBytes) {
    text_ = utf8text::boundedCopy(text, maxBytes, maxLength_);
    truncate();
    if (editingText_) {
        // Replaced from outside (another program chosen meanwhile): editing
        // goes on over the new text, which Escape now returns to.
        textBeforeEditing_ = text_;
        anchor_ = 0;
        caret_ = text_.size();
    }
}

void CTextEdit::truncate() {
    if (text_.size() > maxLength_) text_.resize(characterStartAtOrBefore(text_, maxLength_));
    if (caret_ > text_.size()) caret_ = text_.size();
    if (anchor_ > text_.size()) anchor_ = text_.size();
    invalid();
}

void CTextEdit::getText(char* out) const {
    if (!out) return;
    std::memcpy(out, text_.c_str(), text_.size() + 1);
}

void CTextEdit::setMaxLength(std::size_t length) {
    maxLength_ = length < kMaxTextLength ? length : kMaxTextLength;
    truncate();
}

void CTextEdit::setFont(const CFontDesc& font) {
    font_ = font;
    invalid();
}

void CTextEdit::setHoriAlign(CHoriTxtAlign align) {
    horiAlign_ = align;
    invalid();
}

void CTextEdit::setFontColor(const CColor& color) {
    fontColor_ = color;
    invalid();
}

void CTextEdit::setFrameColor(const CColor& color) {
    frameColor_ = color;
    invalid();
}

void CTextEdit::setBackColor(const CColor& color) {
    backColor_ = color;
    invalid();
}

void CTextEdit::draw(CDrawContext* context) {
    // The picture shows through a back colour that is not opaque.
    drawBackground(context);
    context->setFillColor(backColor_);
    context->setFrameColor(frameColor_);
    context->setLineWidth(1);
    context->drawRect(size_, kDrawFilledAndStroked);

    CRect textArea = size_;
    textArea.inset(kTextInset, 0);
    context->setFont(font_);
    // Text offsets in pixels: where drawString puts the left edge, plus the
    // width of the text before the offset.
    CCoord left = 0;
    auto xOf = [&](std::size_t offset) {
        return std::floor(left + context->getStringWidth(text_.substr(0, offset).c_str()) + 0.5);
    };
    CRect selection;
    if (editingText_) {
        left = std::floor(textLeft(context->getStringWidth(text_.c_str())) + 0.5);
        if (anchor_ != caret_) {
            selection = CRect(xOf(std::min(anchor_, caret_)), std::ceil(size_.top) + 2,
                              xOf(std::max(anchor_, caret_)), std::floor(size_.bottom) - 2);
            selection.bound(textArea);
            context->setFillColor(kSelectionBack);
            context->drawRect(selection, kDrawFilled);
        }
    }
    context->setFontColor(fontColor_);
    context->drawString(text_.c_str(), textArea, horiAlign_);
    if (!selection.isEmpty()) {
        context->pushClipRect(selection);
        context->setFontColor(kSelectionText);
        context->drawString(text_.c_str(), textArea, horiAlign_);
        context->popClipRect();
    }

    if (editingText_ && anchor_ == caret_) {
        const CCoord x = xOf(caret_);
        if (x >= size_.left && x < size_.right) {
            context->setFrameColor(fontColor_);
            context->drawLine(CPoint(x, std::ceil(size_.top) + 2), CPoint(x, std::floor(size_.bottom) - 3));
        }
    }
    setDirty(false);
}

CCoord CTextEdit::textLeft(CCoord textWidth) const {
    CRect textArea = size_;
    textArea.inset(kTextInset, 0);
    if (horiAlign_ == kCenterText) return textArea.left + (textArea.width() - textWidth) / 2;
    if (horiAlign_ == kRightText) return textArea.left + textArea.width() - textWidth;
    return textArea.left;
}

std::size_t CTextEdit::offsetAt(CCoord x) const {
    // Every character boundary, measured as the text before it.
    std::vector<std::size_t> offsets;
    std::vector<std::string> prefixes;
    for (std::size_t offset = 0; offset <= text_.size(); ++offset) {
        if (offset < text_.size() && isContinuationByte(text_[offset])) continue;
        offsets.push_back(offset);
        prefixes.push_back(text_.substr(0, offset));
    }
    const std::vector<CCoord> widths = CDrawContext::measureStrings(font_, prefixes);
    const CCoord left = textLeft(widths.back());
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < offsets.size(); ++i)
        if (std::fabs(left + widths[i] - x) < std::fabs(left + widths[nearest] - x)) nearest = i;
    return offsets[nearest];
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (editingText_) {
        moveCaret(offsetAt(where.x), (buttons & kShift) != 0);
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    if (frame_) frame_->setFocusView(this);
    else takeFocus();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus() {
    if (editingText_) return;
    editingText_ = true;
    textBeforeEditing_ = text_;
    anchor_ = 0;
    caret_ = text_.size();
    invalid();
}

void CTextEdit::looseFocus() {
    if (editingText_) endEditing(true);
}

void CTextEdit::removed() {
    editingText_ = false;
    CControl::removed();
}

void CTextEdit::endEditing(bool keep) {
    editingText_ = false;
    if (!keep) text_ = textBeforeEditing_;
    caret_ = anchor_ = text_.size();
    invalid();
    // Focus goes before the listener hears: it may open another field.
    if (frame_ && frame_->getFocusView() == this) frame_->setFocusView(nullptr);
    if (keep) valueChanged();
}

long CTextEdit::onKeyDown(VstKeyCode& key) {
    if (!editingText_) return -1;
    if ((key.modifier & MODIFIER_CONTROL) && (key.character == 'a' || key.character == 'A') &&
        !(key.modifier & (MODIFIER_ALTERNATE | MODIFIER_COMMAND))) {
        anchor_ = 0;
        caret_ = text_.size();
        invalid();
        return 1;
    }
    // Other shortcuts belong to the host.
    if (key.modifier & (MODIFIER_CONTROL | MODIFIER_ALTERNATE | MODIFIER_COMMAND)) return -1;
    const bool extend = (key.modifier & MODIFIER_SHIFT) != 0;
    const std::size_t start = std::min(anchor_, caret_), end = std::max(anchor_, caret_);
    switch (key.virt) {
        case VKEY_RETURN:
        case VKEY_ENTER: endEditing(true); return 1;
        case VKEY_ESCAPE: endEditing(false); return 1;
        case VKEY_BACK: if (!eraseSelection()) eraseBefore(); return 1;
        case VKEY_DELETE: if (!eraseSelection()) eraseAfter(); return 1;
        case VKEY_LEFT:
            // Without Shift, a selection collapses to its start.
            if (!extend && start != end) moveCaret(start, false);
            else moveCaret(caret_ > 0 ? characterStartAtOrBefore(text_, caret_ - 1) : 0, extend);
            return 1;
        case VKEY_RIGHT: {
            if (!extend && start != end) {
                moveCaret(end, false);
                return 1;
            }
            std::size_t next = caret_ < text_.size() ? caret_ + 1 : caret_;
            while (next < text_.size() && isContinuationByte(text_[next])) ++next;
            moveCaret(next, extend);
            return 1;
        }
        case VKEY_HOME: moveCaret(0, extend); return 1;
        case VKEY_END: moveCaret(text_.size(), extend); return 1;
        case VKEY_SPACE: insert(' '); return 1;
        default: break;
    }
    if (key.character >= 32 && key.character <= 126) {
        insert(static_cast<char>(key.character));
        return 1;
    }
    return -1;
}

void CTextEdit::moveCaret(std::size_t offset, bool extend) {
    caret_ = offset;
    if (!extend) anchor_ = offset;
    invalid();
}

bool CTextEdit::eraseSelection() {
    if (anchor_ == caret_) return false;
    const std::size_t start = std::min(anchor_, caret_);
    text_.erase(start, std::max(anchor_, caret_) - start);
    caret_ = anchor_ = start;
    invalid();
    return true;
}

void CTextEdit::insert(char c) {
    eraseSelection();
    if (text_.size() >= maxLength_) return;
    text_.insert(caret_, 1, c);
    anchor_ = ++caret_;
    invalid();
}

void CTextEdit::eraseBefore() {
    if (caret_ == 0) return;
    const std::size_t from = characterStartAtOrBefore(text_, caret_ - 1);
    text_.erase(from, caret_ - from);
    caret_ = anchor_ = from;
    invalid();
}

void CTextEdit::eraseAfter() {
    if (caret_ >= text_.size()) return;
    std::size_t to = caret_ + 1;
    while (to < text_.size() && isContinuationByte(text_[to])) ++to;
    text_.erase(caret_, to - caret_);
    invalid();
}

std::string CTextEdit::getSelectedText() const {
    if (!editingText_) return {};
    const std::size_t start = std::min(anchor_, caret_);
    return text_.substr(start, std::max(anchor_, caret_) - start);
}

bool CTextEdit::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CTextEdit") == 0) || CControl::isTypeOf(name);
}
