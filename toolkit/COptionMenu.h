// A control that, on a left click, shows a list of entries over the window
// (a modal view of the frame, see COptionMenuPopup). A click on an entry
// makes it current (the value is its index) and tells the listener once; a
// click outside the list, or Escape, closes it with no change.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CFontDesc.h"

class COptionMenuPopup;

enum COptionMenuStyle : long {
    kPopupStyle = 1 << 3,   // the list opens over the control, its current entry on it, not below
    kCheckStyle = 1 << 4,   // a tick marks the current entry in the list
    kNoDrawStyle = 1 << 12  // the control shows only its part of the background, no text
};

class COptionMenu : public CControl {
public:
    // An entry's title is cut to this many bytes.
    static constexpr std::size_t kMaxEntryLength = 255;

    // bgWhenClick: drawn instead of the background while the list is open (may be null).
    COptionMenu(const CRect& size, CControlListener* listener, long tag, CBitmap* background = nullptr,
                CBitmap* bgWhenClick = nullptr, long style = 0);

    // Copy the title (null counts as empty), reading no more than maxBytes
    // bytes of it: a name in a fixed-size field needs no terminator.
    void addEntry(const char* title, std::size_t maxBytes = kMaxEntryLength + 1);
    // Retitles an entry; false (and no change) for an index that is not one.
    bool setEntry(long index, const char* title, std::size_t maxBytes = kMaxEntryLength + 1);
    bool removeAllEntry();
    long getNbEntries() const { return static_cast<long>(entries_.size()); }
    // The title, or null when there is no such entry.
    const char* getEntry(long index) const;

    // False (and no change) for an index that is not an entry.
    bool setCurrent(long index);
    // The index the value stands for, or -1 when it stands for no entry.
    long getCurrent() const;

    // The list breaks into a new column after this many entries (<= 0: never).
    void setNbItemsPerColumn(long count) { itemsPerColumn_ = count; }
    long getNbItemsPerColumn() const { return itemsPerColumn_; }
    long getStyle() const { return style_; }

    // The current entry's title, drawn by the control unless kNoDrawStyle.
    void setFont(const CFontDesc& font);
    const CFontDesc& getFont() const { return font_; }
    void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return fontColor_; }

    bool isPopupOpen() const { return popup_ != nullptr; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    void removed() override;
    bool isTypeOf(const char* name) const override;

protected:
    ~COptionMenu() override;

private:
    friend class COptionMenuPopup;
    // The list closes: `chosen` is the entry clicked, or -1 for none.
    void popupClosed(long chosen);
    // The list was destroyed by someone else (the frame closing).
    void popupDestroyed() { popup_ = nullptr; }
    void closePopup();

    std::vector<std::string> entries_;
    long itemsPerColumn_ = -1;
    long style_;
    CBitmap* bgWhenClick_ = nullptr;
    COptionMenuPopup* popup_ = nullptr;  // owned by the frame while it is the modal view
    CFontDesc font_{"Arial", 11};
    CColor fontColor_ = kBlackCColor;
};
