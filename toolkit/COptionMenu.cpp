#include "toolkit/COptionMenu.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenuPopup.h"
#include "toolkit/Utf8Text.h"

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                         CBitmap* bgWhenClick, long style)
    : CControl(size, listener, tag, background), style_(style), bgWhenClick_(bgWhenClick) {
    if (bgWhenClick_) bgWhenClick_->remember();
    setMax(0);
    setDefaultValue(0);
}

COptionMenu::~COptionMenu() {
    closePopup();
    if (bgWhenClick_) bgWhenClick_->forget();
}

void COptionMenu::addEntry(const char* title, std::size_t maxBytes) {
    entries_.push_back(utf8text::boundedCopy(title, maxBytes, kMaxEntryLength));
    setMax(static_cast<float>(entries_.size() - 1));
    invalid();
}

bool COptionMenu::setEntry(long index, const char* title, std::size_t maxBytes) {
    if (index < 0 || index >= getNbEntries()) return false;
    entries_[index] = utf8text::boundedCopy(title, maxBytes, kMaxEntryLength);
    invalid();
    return true;
}

bool COptionMenu::removeAllEntry() {
    entries_.clear();
    setMax(0);
    invalid();
    return true;
}

const char* COptionMenu::getEntry(long index) const {
    return index >= 0 && index < getNbEntries() ? entries_[index].c_str() : nullptr;
}

bool COptionMenu::setCurrent(long index) {
    if (index < 0 || index >= getNbEntries()) return false;
    setValue(static_cast<float>(index));
    invalid();
    return true;
}

long COptionMenu::getCurrent() const {
    const float value = getValue();
    // Also false for NaN.
    if (!(value >= -0.5f && value < getNbEntries() - 0.5f)) return -1;
    return static_cast<long>(std::floor(value + 0.5f));
}

void COptionMenu::setFont(const CFontDesc& font) {
    font_ = font;
    invalid();
}

void COptionMenu::setFontColor(const CColor& color) {
    fontColor_ = color;
    invalid();
}

void COptionMenu::draw(CDrawContext* context) {
    const CBitmap* picture = popup_ && bgWhenClick_ ? bgWhenClick_ : background_;
    if (picture) picture->draw(context, size_, backOffset_);
    if (!(style_ & kNoDrawStyle)) {
        if (const char* title = getEntry(getCurrent())) {
            CRect textArea = size_;
            textArea.inset(2, 0);
            context->setFont(font_);
            context->setFontColor(fontColor_);
            context->drawString(title, textArea, kCenterText);
        }
    }
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const long& buttons) {
    if (!(buttons & kLButton) || entries_.empty() || !frame_ || popup_) return kMouseEventNotHandled;
    const CRect& frameSize = frame_->getViewSize();
    auto* popup = new COptionMenuPopup(*this, CRect(0, 0, frameSize.width(), frameSize.height()), getFrameRect(),
                                       entries_, getCurrent(), itemsPerColumn_, style_);
    if (!frame_->setModalView(popup)) {
        popup->detachMenu();
        popup->forget();
        return kMouseEventNotHandled;
    }
    popup_ = popup;
    // Keyboard focus to the window, for the list's arrow keys.
    frame_->setFocusView(popup);
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::popupClosed(long chosen) {
    closePopup();
    if (chosen < 0 || chosen >= getNbEntries()) return;
    setValue(static_cast<float>(chosen));
    valueChanged();
}

void COptionMenu::closePopup() {
    COptionMenuPopup* popup = popup_;
    if (!popup) return;
    popup_ = nullptr;
    popup->detachMenu();
    // While modal the frame holds our reference; it hands it back here.
    CFrame* frame = popup->getFrame();
    if (frame && frame->getModalView() == popup) {
        frame->setModalView(nullptr);
        popup->forget();
    }
    invalid();
}

void COptionMenu::removed() {
    closePopup();
    CControl::removed();
}

bool COptionMenu::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "COptionMenu") == 0) || CControl::isTypeOf(name);
}
