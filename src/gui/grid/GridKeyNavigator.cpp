#include "gui/grid/GridKeyNavigator.h"

#include "gui/grid/CGridCtrl.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>

namespace orvik {

namespace {
bool isTabKey(const QKeyEvent* k) {
    return k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
}
bool isBackTab(const QKeyEvent* k) {
    return k->key() == Qt::Key_Backtab ||
           (k->key() == Qt::Key_Tab && (k->modifiers() & Qt::ShiftModifier));
}
bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}
} // namespace

bool GridKeyNavigator::wantsKey(const QKeyEvent* e) const {
    // Alt with an arrow is no navigation: it stays a window shortcut.
    if (e->modifiers() & Qt::AltModifier)
        return false;
    return isNavigationKey(e->key()) || (isTabKey(e) && !(e->modifiers() & Qt::ControlModifier));
}

bool GridKeyNavigator::keepsTab() const {
    const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    return !ctrl && grid.GetFocusCell().isValid() && grid.hasFocus();
}

bool GridKeyNavigator::tabPress(QKeyEvent* e) {
    if (!isTabKey(e))
        return false;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (!ctrl && grid.GetFocusCell().isValid()) {
        keyPress(e);
        return true;
    }
    if (ctrl && !(e->modifiers() & Qt::AltModifier)) {
        grid.focusNextControl(!isBackTab(e));
        return true;
    }
    return false;
}

bool GridKeyNavigator::keyPress(QKeyEvent* e) {
    const CellId focus = grid.GetFocusCell();
    if (!grid.isValid(focus.row, focus.col))
        return false;
    if (!isTabKey(e) && !isNavigationKey(e->key()))
        return false;
    const CellId next = target(e);
    if (!grid.isValid(next.row, next.col) || next == focus)
        return true;
    const bool extend = (e->modifiers() & Qt::ShiftModifier) && !isTabKey(e);
    moveTo(next, extend);
    return true;
}

CellId GridKeyNavigator::target(const QKeyEvent* e) {
    if (isTabKey(e))
        return tabTarget(isBackTab(e));
    CellId next = grid.GetFocusCell();
    int key = e->key();
    // Right to left the arrows move the way they point: Left goes to the next column.
    if (grid.isRightToLeft() && (key == Qt::Key_Left || key == Qt::Key_Right))
        key = key == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left;
    switch (key) {
    case Qt::Key_Down:
        if (next.row < grid.rowCount() - 1)
            ++next.row;
        break;
    case Qt::Key_Up:
        if (next.row > grid.fixedRowCount())
            --next.row;
        break;
    case Qt::Key_Right:
        if (next.col < grid.columnCount() - 1)
            ++next.col;
        break;
    case Qt::Key_Left:
        if (next.col > grid.fixedColumnCount())
            --next.col;
        break;
    default:
        next = pageTarget(e->key());
        break;
    }
    return next;
}

// Tab goes right and on to the first data column of the next row, and stays on the last cell;
// Shift+Tab goes left and back to the last column of the previous data row.
CellId GridKeyNavigator::tabTarget(bool back) const {
    CellId next = grid.GetFocusCell();
    const int firstCol = grid.fixedColumnCount();
    const int lastCol = grid.columnCount() - 1;
    if (!back) {
        if (next.col < lastCol) {
            ++next.col;
        } else if (next.row < grid.rowCount() - 1) {
            ++next.row;
            next.col = firstCol;
        }
    } else if (next.col > firstCol) {
        --next.col;
    } else if (next.col == firstCol && next.row > grid.fixedRowCount()) {
        --next.row;
        next.col = lastCol;
    }
    return next;
}

// Page Up and Page Down scroll a page and move by the rows scrolled, or to the first or last
// row when nothing scrolled; Home and End scroll to the top or bottom and go to that row.
CellId GridKeyNavigator::pageTarget(int key) {
    CellId next = grid.GetFocusCell();
    const int firstRow = grid.fixedRowCount();
    const int lastRow = grid.rowCount() - 1;
    const int before = grid.geometry().topLeftNonFixed().row;
    switch (key) {
    case Qt::Key_PageDown: {
        grid.scrollStep([](GridGeometry& g) { return g.pageDown(); });
        const int scrolled = grid.geometry().topLeftNonFixed().row - before;
        next.row = scrolled > 0 ? std::min(lastRow, next.row + scrolled) : lastRow;
        break;
    }
    case Qt::Key_PageUp: {
        grid.scrollStep([](GridGeometry& g) { return g.pageUp(); });
        const int scrolled = before - grid.geometry().topLeftNonFixed().row;
        next.row = scrolled > 0 ? std::max(firstRow, next.row - scrolled) : firstRow;
        break;
    }
    case Qt::Key_Home:
        grid.scrollStep([](GridGeometry& g) { return g.scrollToTop(); });
        next.row = firstRow;
        break;
    case Qt::Key_End:
        grid.scrollStep([](GridGeometry& g) { return g.scrollToBottom(); });
        next.row = lastRow;
        break;
    default:
        break;
    }
    return next;
}

void GridKeyNavigator::moveTo(CellId next, bool extend) {
    const CellId old = grid.GetFocusCell();
    // While a mouse button is handled the mouse owns the selection.
    if (grid.mouse.isIdle()) {
        grid.keepSelection(false);
        if (!extend || !grid.selectionAnchor().isValid())
            grid.setSelectionAnchor(next);
        const CellId a = grid.selectionAnchor();
        if (!grid.isFixed(next.row, next.col))
            grid.SetSelectedRange(std::min(a.row, next.row), std::min(a.col, next.col),
                                  std::max(a.row, next.row), std::max(a.col, next.col));
    }
    grid.SetFocusCell(next.row, next.col);
    if (grid.geometry().isCellVisible(next.row, next.col))
        return;
    // Scrolled into view, and one line further in the direction of the move.
    grid.scrollStep([next, old](GridGeometry& geo) {
        geo.ensureVisible(next.row, next.col);
        if (next.row > old.row)
            geo.lineDown();
        else if (next.row < old.row)
            geo.lineUp();
        if (next.col > old.col)
            geo.lineRight();
        else if (next.col < old.col)
            geo.lineLeft();
        return true;
    });
}

} // namespace orvik
