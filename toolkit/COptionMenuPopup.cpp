#include "toolkit/COptionMenuPopup.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"

namespace {

const CFontDesc kListFont{"Arial", 11};
constexpr CColor kListBack{240, 240, 236, 255};
constexpr CColor kListBorder{96, 96, 92, 255};
constexpr CColor kListText{20, 20, 20, 255};
constexpr CColor kHighlightBack{52, 96, 160, 255};
constexpr CColor kHighlightText{255, 255, 255, 255};
constexpr CCoord kCheckColumn = 16;  // room for the tick left of the text
constexpr CCoord kTextMargin = 6;    // left of the text without ticks, and right of every text

// Moves [start, start + length) inside [low, high), or to `low` when it cannot fit.
CCoord keepInside(CCoord start, CCoord length, CCoord low, CCoord high) {
    if (start + length > high) start = high - length;
    return start < low ? low : start;
}

}  // namespace

COptionMenuPopup::COptionMenuPopup(COptionMenu& menu, const CRect& frameSize, const CRect& control,
                                   const std::vector<std::string>& entries, long current, long itemsPerColumn,
                                   long style)
    : CView(frameSize),
      menu_(&menu),
      entries_(entries),
      current_(current >= 0 && current < static_cast<long>(entries.size()) ? current : -1),
      check_((style & kCheckStyle) != 0),
      textLeft_(check_ ? kCheckColumn : kTextMargin) {
    const long count = static_cast<long>(entries_.size());
    rows_ = itemsPerColumn > 0 && itemsPerColumn < count ? itemsPerColumn : count;
    const std::vector<CCoord> widths = CDrawContext::measureStrings(kListFont, entries_);
    for (long i = 0; i < count; ++i) {
        const CCoord width = std::ceil(textLeft_ + widths[i] + kTextMargin);
        if (i % rows_ == 0) columnWidths_.push_back(width);
        else columnWidths_.back() = std::max(columnWidths_.back(), width);
    }
    // The border is drawn over the outer cells' edges, so that sixteen rows
    // fit a window 257 pixels high.
    CCoord listWidth = 0;
    for (CCoord width : columnWidths_) listWidth += width;
    const CCoord listHeight = rows_ * kRowHeight;

    // Below the control, or with the current entry's row over it.
    list_ = CRect(0, 0, listWidth, listHeight);
    CPoint origin(control.left, control.bottom);
    if (style & kPopupStyle) {
        const CRect row = getEntryRect(current_ >= 0 ? current_ : 0);
        origin = CPoint(control.left - row.left, control.top + (control.height() - kRowHeight) / 2 - row.top);
    }
    list_.moveTo(std::floor(keepInside(origin.x, listWidth, frameSize.left, frameSize.right)),
                 std::floor(keepInside(origin.y, listHeight, frameSize.top, frameSize.bottom)));
}

COptionMenuPopup::~COptionMenuPopup() {
    if (menu_) menu_->popupDestroyed();
}

CRect COptionMenuPopup::getEntryRect(long index) const {
    if (index < 0 || index >= static_cast<long>(entries_.size())) return CRect();
    const long column = index / rows_;
    CCoord left = list_.left;
    for (long c = 0; c < column; ++c) left += columnWidths_[c];
    const CCoord top = list_.top + (index % rows_) * kRowHeight;
    return CRect(left, top, left + columnWidths_[column], top + kRowHeight);
}

long COptionMenuPopup::entryAt(const CPoint& where) const {
    if (!list_.pointInside(where) || rows_ <= 0) return -1;
    const CCoord row = std::floor((where.y - list_.top) / kRowHeight);
    if (row < 0 || row >= rows_) return -1;
    CCoord left = list_.left;
    for (std::size_t column = 0; column < columnWidths_.size(); ++column) {
        left += columnWidths_[column];
        if (where.x < left) {
            const long index = static_cast<long>(column) * rows_ + static_cast<long>(row);
            return index < static_cast<long>(entries_.size()) ? index : -1;
        }
    }
    return -1;
}

void COptionMenuPopup::draw(CDrawContext* context) {
    context->setFillColor(kListBack);
    context->drawRect(list_, kDrawFilled);
    context->setFont(kListFont);
    for (long i = 0; i < static_cast<long>(entries_.size()); ++i) {
        const CRect cell = getEntryRect(i);
        const bool lit = i == highlighted_;
        if (lit) {
            context->setFillColor(kHighlightBack);
            context->drawRect(cell, kDrawFilled);
        }
        const CColor& ink = lit ? kHighlightText : kListText;
        if (check_ && i == current_) {
            // A tick: short stroke down, long stroke up.
            context->setFrameColor(ink);
            context->setLineWidth(2);
            const CCoord x = cell.left + 3, y = cell.top + 8;
            context->drawLine(CPoint(x, y), CPoint(x + 3, y + 3));
            context->drawLine(CPoint(x + 3, y + 3), CPoint(x + 9, y - 4));
            context->setLineWidth(1);
        }
        CRect text = cell;
        text.left += textLeft_;
        text.right -= kTextMargin / 2;
        context->setFontColor(ink);
        context->drawString(entries_[i].c_str(), text, kLeftText);
    }
    context->setFrameColor(kListBorder);
    context->drawRect(list_, kDrawStroked);
    setDirty(false);
}

CMouseEventResult COptionMenuPopup::onMouseDown(CPoint& where, const long& buttons) {
    if (!list_.pointInside(where)) {
        finish(-1);
    } else if (buttons & kLButton) {
        // A click on the border or an empty cell chooses nothing and keeps the list open.
        if (const long index = entryAt(where); index >= 0) finish(index);
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult COptionMenuPopup::onMouseMoved(CPoint& where, const long&) {
    highlight(entryAt(where));
    return kMouseEventHandled;
}

long COptionMenuPopup::onKeyDown(VstKeyCode& key) {
    const long last = static_cast<long>(entries_.size()) - 1;
    const long from = highlighted_ >= 0 ? highlighted_ : current_;
    switch (key.virt) {
        case VKEY_UP: highlight(from < 0 ? last : std::max(0L, from - 1)); return 1;
        case VKEY_DOWN: highlight(from < 0 ? 0 : std::min(last, from + 1)); return 1;
        case VKEY_RETURN:
        case VKEY_ENTER: finish(highlighted_); return 1;
        case VKEY_ESCAPE: finish(-1); return 1;
        default: return -1;
    }
}

void COptionMenuPopup::highlight(long index) {
    if (index == highlighted_) return;
    highlighted_ = index;
    if (frame_) frame_->invalidRect(list_);
}

void COptionMenuPopup::finish(long chosen) {
    if (menu_) {
        menu_->popupClosed(chosen);
        return;
    }
    // No menu to close this list: it closes itself.
    CFrame* frame = frame_;
    if (frame && frame->getModalView() == this) {
        frame->setModalView(nullptr);
        forget();
    }
}

bool COptionMenuPopup::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "COptionMenuPopup") == 0) || CView::isTypeOf(name);
}
