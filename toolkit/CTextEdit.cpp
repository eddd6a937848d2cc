#include "toolkit/CTextEdit.h"

#include <cmath>
#include <cstring>

#include "toolkit/CFrame.h"
#include "toolkit/Utf8Text.h"

namespace {

using utf8text::characterStartAtOrBefore;
using utf8text::isContinuationByte;

constexpr CCoord kTextInset = 2;  // between the border and the text

}  // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text, CBitmap* background,
                     long style)
    : CControl(size, listener, tag, background), style_(style) {
    setText(text);
}

void CTextEdit::setText(const char* text, std::size_t maxBytes) {
    text_ = utf8text::boundedCopy(text, maxBytes, maxLength_);
    truncate();
}

void CTextEdit::truncate() {
    if (text_.size() > maxLength_) text_.resize(characterStartAtOrBefore(text_, maxLength_));
    if (caret_ > text_.size()) caret_ = text_.size();
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
    context->setFontColor(fontColor_);
    context->drawString(text_.c_str(), textArea, horiAlign_);

    if (editingText_) {
        // Where drawString puts the text's left edge, plus the width before the caret.
        const CCoord width = context->getStringWidth(text_.c_str());
        CCoord left = textArea.left;
        if (horiAlign_ == kCenterText) left += (textArea.width() - width) / 2;
        else if (horiAlign_ == kRightText) left += textArea.width() - width;
        left = std::floor(left + 0.5);
        const CCoord x = std::floor(left + context->getStringWidth(text_.substr(0, caret_).c_str()) + 0.5);
        if (x >= size_.left && x < size_.right) {
            context->setFrameColor(fontColor_);
            context->drawLine(CPoint(x, std::ceil(size_.top) + 2), CPoint(x, std::floor(size_.bottom) - 3));
        }
    }
    setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton)) return kMouseEventNotHandled;
    if (frame_) frame_->setFocusView(this);
    else takeFocus();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus() {
    if (editingText_) return;
    editingText_ = true;
    textBeforeEditing_ = text_;
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
    caret_ = text_.size();
    invalid();
    // Focus goes before the listener hears: it may open another field.
    if (frame_ && frame_->getFocusView() == this) frame_->setFocusView(nullptr);
    if (keep) valueChanged();
}

long CTextEdit::onKeyDown(VstKeyCode& key) {
    if (!editingText_) return -1;
    // Shortcuts belong to the host.
    if (key.modifier & (MODIFIER_CONTROL | MODIFIER_ALTERNATE | MODIFIER_COMMAND)) return -1;
    switch (key.virt) {
        case VKEY_RETURN:
        case VKEY_ENTER: endEditing(true); return 1;
        case VKEY_ESCAPE: endEditing(false); return 1;
        case VKEY_BACK: eraseBefore(); return 1;
        case VKEY_DELETE: eraseAfter(); return 1;
        case VKEY_LEFT:
            if (caret_ > 0) caret_ = characterStartAtOrBefore(text_, caret_ - 1);
            invalid();
            return 1;
        case VKEY_RIGHT:
            if (caret_ < text_.size()) ++caret_;
            while (caret_ < text_.size() && isContinuationByte(text_[caret_])) ++caret_;
            invalid();
            return 1;
        case VKEY_HOME: caret_ = 0; invalid(); return 1;
        case VKEY_END: caret_ = text_.size(); invalid(); return 1;
        case VKEY_SPACE: insert(' '); return 1;
        default: break;
    }
    if (key.character >= 32 && key.character <= 126) {
        insert(static_cast<char>(key.character));
        return 1;
    }
    return -1;
}

void CTextEdit::insert(char c) {
    if (text_.size() >= maxLength_) return;
    text_.insert(caret_, 1, c);
    ++caret_;
    invalid();
}

void CTextEdit::eraseBefore() {
    if (caret_ == 0) return;
    const std::size_t from = characterStartAtOrBefore(text_, caret_ - 1);
    text_.erase(from, caret_ - from);
    caret_ = from;
    invalid();
}

void CTextEdit::eraseAfter() {
    if (caret_ >= text_.size()) return;
    std::size_t to = caret_ + 1;
    while (to < text_.size() && isContinuationByte(text_[to])) ++to;
    text_.erase(caret_, to - caret_);
    invalid();
}

bool CTextEdit::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CTextEdit") == 0) || CControl::isTypeOf(name);
}
