// The open list of a COptionMenu: a modal view covering the whole frame,
// so that a click outside the list reaches it and closes it. The list holds
// a copy of the entries, one row each, in columns of at most
// itemsPerColumn rows; the row under the pointer is highlighted. It lies
// below the control, or over it with kPopupStyle, shifted to stay inside
// the frame (a list larger than the frame is clipped).
#pragma once

#include <string>
#include <vector>

#include "toolkit/CView.h"

class COptionMenu;

class COptionMenuPopup : public CView {
public:
    static constexpr CCoord kRowHeight = 16;

    // frameSize: the frame's rectangle; control: the menu's rectangle in frame coordinates.
    COptionMenuPopup(COptionMenu& menu, const CRect& frameSize, const CRect& control,
                     const std::vector<std::string>& entries, long current, long itemsPerColumn, long style);

    // The menu went away first: the list no longer reports to it.
    void detachMenu() { menu_ = nullptr; }

    // The list's rectangle and an entry's row, in frame coordinates.
    const CRect& getListRect() const { return list_; }
    CRect getEntryRect(long index) const;
    long getHighlighted() const { return highlighted_; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    // Up and Down move the highlight, Return or Enter chooses it, Escape closes.
    long onKeyDown(VstKeyCode& key) override;
    bool isTypeOf(const char* name) const override;

private:
    ~COptionMenuPopup() override;

    long entryAt(const CPoint& where) const;
    void highlight(long index);
    // Tells the menu, which closes (and destroys) this list: nothing of it
    // may be touched afterwards.
    void finish(long chosen);

    COptionMenu* menu_;
    std::vector<std::string> entries_;
    std::vector<CCoord> columnWidths_;
    long rows_;        // rows in a full column
    long current_;     // the entry ticked, -1 for none
    bool check_;
    CCoord textLeft_;  // from a cell's left edge to its text
    CRect list_;
    long highlighted_ = -1;
};
