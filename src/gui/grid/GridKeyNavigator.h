#pragma once

#include "gui/grid/GridGeometry.h"

class QKeyEvent;

namespace orvik {

class CGridCtrl;

// Keyboard navigation of the grid's focus cell: the arrows (never into the headers), Page Up
// and Page Down (scrolling a page and moving by the rows scrolled), Home and End, Tab and
// Shift+Tab (wrapping to the next or previous row). A move resets the selection to the new
// cell, or with Shift extends it from the anchor, and scrolls the new cell into view. Without
// a focus cell the keys get the default handling. Ctrl+Tab moves on to the next control.
class GridKeyNavigator {
public:
    explicit GridKeyNavigator(CGridCtrl& owner) : grid(owner) {}

    // Keys the grid takes before any window shortcut sees them.
    bool wantsKey(const QKeyEvent* e) const;
    // Tab and Ctrl+Tab, seen before the default Tab handling; true when taken.
    bool tabPress(QKeyEvent* e);
    // The navigation keys; false when the key is none of them or there is no focus cell.
    bool keyPress(QKeyEvent* e);
    // Tab moves the focus cell rather than the keyboard focus.
    bool keepsTab() const;

private:
    // The cell a key moves the focus to; the paging keys scroll first. (-1, -1) for other keys.
    CellId target(const QKeyEvent* e);
    CellId tabTarget(bool back) const;
    CellId pageTarget(int key);
    void moveTo(CellId next, bool extend);

    CGridCtrl& grid;
};

} // namespace orvik
