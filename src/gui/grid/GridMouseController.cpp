#include "gui/grid/GridMouseController.h"

#include "gui/grid/CGridCtrl.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace orvik {

namespace {
bool isResizePending(GridMouseMode m) {
    return m == GridMouseMode::ColumnResizePending || m == GridMouseMode::RowResizePending;
}
} // namespace

GridMouseMode GridMouseController::hoverMode(QPoint pt) const {
    const GridGeometry& geo = grid.geometry();
    if (grid.columnResizingAllowed() && geo.columnResizeTarget(pt) >= 0)
        return GridMouseMode::ColumnResizePending;
    if (grid.rowResizingAllowed() && geo.rowResizeTarget(pt) >= 0)
        return GridMouseMode::RowResizePending;
    return GridMouseMode::None;
}

void GridMouseController::showCursorFor(GridMouseMode m) {
    if (m == GridMouseMode::ColumnResizePending)
        grid.setCursor(Qt::SizeHorCursor);
    else if (m == GridMouseMode::RowResizePending)
        grid.setCursor(Qt::SizeVerCursor);
    else
        grid.unsetCursor();
}

// ---- press ------------------------------------------------------------------------------------

void GridMouseController::press(const QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    clickDownCell = grid.geometry().cellAt(pt);
    if (!clickDownCell.isValid()) {
        leftDown = false;
        return;
    }
    leftDown = true;
    grid.setFocus(Qt::MouseFocusReason);
    clickDownPoint = pt;
    const CellId focus = grid.GetFocusCell();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    grid.setSelectionAnchor((shift && focus.isValid()) ? focus : clickDownCell);

    if (clickDownCell == focus)
        return;

    // The hover state decides whether this press starts a resize.
    if (currentMode == GridMouseMode::None || isResizePending(currentMode))
        currentMode = hoverMode(pt);
    const GridGeometry& geo = grid.geometry();
    const int target = currentMode == GridMouseMode::ColumnResizePending
                           ? geo.columnResizeTarget(pt)
                       : currentMode == GridMouseMode::RowResizePending ? geo.rowResizeTarget(pt)
                                                                        : -1;

    grid.SetFocusCell(-1, -1);
    const CellId moved{std::max(clickDownCell.row, grid.fixedRowCount()),
                       std::max(clickDownCell.col, grid.fixedColumnCount())};
    if (grid.isValid(moved.row, moved.col))
        grid.SetFocusCell(moved.row, moved.col);

    if (startResizing(pt, target))
        return;
    startSelecting(e);
}

bool GridMouseController::startResizing(QPoint pt, int target) {
    if (target < 0)
        return false;
    if (currentMode == GridMouseMode::ColumnResizePending) {
        currentMode = GridMouseMode::ResizingColumn;
        resizeIndex = target;
        updateResizeLine(pt.x());
        return true;
    }
    if (currentMode == GridMouseMode::RowResizePending) {
        currentMode = GridMouseMode::ResizingRow;
        resizeIndex = target;
        updateResizeLine(pt.y());
        return true;
    }
    return false;
}

void GridMouseController::startSelecting(const QMouseEvent* e) {
    grid.keepSelection(e->modifiers() & Qt::ControlModifier);
    const bool inFixedRow = clickDownCell.row < grid.fixedRowCount();
    const bool inFixedCol = clickDownCell.col < grid.fixedColumnCount();
    if (inFixedRow)
        currentMode = inFixedCol ? GridMouseMode::SelectAll : GridMouseMode::SelectColumns;
    else if (inFixedCol)
        currentMode = GridMouseMode::SelectRows;
    else
        currentMode = GridMouseMode::SelectCells;
    selectFrom(clickDownCell);
}

// Selects from the anchor to the cell according to the selecting mode.
void GridMouseController::selectFrom(CellId cell) {
    const CellId a = grid.selectionAnchor();
    const int firstRow = grid.fixedRowCount();
    const int firstCol = grid.fixedColumnCount();
    const int lastRow = grid.rowCount() - 1;
    const int lastCol = grid.columnCount() - 1;
    switch (currentMode) {
    case GridMouseMode::SelectAll:
        grid.SetSelectedRange(firstRow, firstCol, lastRow, lastCol);
        break;
    case GridMouseMode::SelectColumns:
        grid.SetSelectedRange(firstRow, std::min(a.col, cell.col), lastRow,
                              std::max(a.col, cell.col));
        break;
    case GridMouseMode::SelectRows:
        grid.SetSelectedRange(std::min(a.row, cell.row), firstCol, std::max(a.row, cell.row),
                              lastCol);
        break;
    case GridMouseMode::SelectCells:
        if (grid.isFixed(cell.row, cell.col))
            return;
        grid.SetSelectedRange(std::min(a.row, cell.row), std::min(a.col, cell.col),
                              std::max(a.row, cell.row), std::max(a.col, cell.col));
        break;
    default:
        break;
    }
}

// ---- move -------------------------------------------------------------------------------------

void GridMouseController::move(const QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (!(e->buttons() & Qt::LeftButton) || !leftDown) {
        currentMode = hoverMode(pt);
        showCursorFor(currentMode);
        return;
    }
    dragTo(pt);
}

void GridMouseController::dragTo(QPoint pt) {
    switch (currentMode) {
    case GridMouseMode::SelectAll:
    case GridMouseMode::SelectColumns:
    case GridMouseMode::SelectRows:
    case GridMouseMode::SelectCells: {
        const CellId cell = grid.geometry().cellAt(pt);
        if (!cell.isValid())
            return;
        selectFrom(cell);
        if (!grid.isFixed(cell.row, cell.col))
            grid.SetFocusCell(cell.row, cell.col);
        break;
    }
    case GridMouseMode::ResizingColumn:
    case GridMouseMode::ResizingRow:
        updateResizeLine(clampedLinePos(pt));
        break;
    default:
        break;
    }
}

void GridMouseController::leave() {
    // Leaving the cells while only hovering is "anywhere else": arrow cursor, no pending resize.
    if (!leftDown && isResizePending(currentMode)) {
        currentMode = GridMouseMode::None;
        grid.unsetCursor();
    }
}

// ---- release ----------------------------------------------------------------------------------

void GridMouseController::release(const QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    const bool pressedOnCell = leftDown && clickDownCell.isValid();
    leftDown = false;
    switch (currentMode) {
    case GridMouseMode::ResizingColumn:
    case GridMouseMode::ResizingRow:
        finishResizing(pt);
        break;
    case GridMouseMode::None:
    case GridMouseMode::SelectCells:
        // A press outside every cell asks for nothing; a drag or a Shift click selects cells
        // and opens no editor, so the editing commands work on what it selected.
        if (pressedOnCell && grid.geometry().cellAt(pt) == clickDownCell &&
            !(e->modifiers() & Qt::ShiftModifier)) {
            const CellId focus = grid.GetFocusCell();
            grid.EditCell(focus.row, focus.col);
        }
        break;
    default:
        break;
    }
    currentMode = GridMouseMode::None;
    resizeIndex = -1;
    linePos = -1;
    grid.unsetCursor();
    if (pressedOnCell)
        grid.postClicked();
}

void GridMouseController::finishResizing(QPoint pt) {
    const bool column = currentMode == GridMouseMode::ResizingColumn;
    const int pos = clampedLinePos(pt);
    updateResizeLine(-1);
    if (pt == clickDownPoint)
        return;
    if (column) {
        // Right to left, a column's far edge is its left one.
        const int moved = pos - clickDownPoint.x();
        const int width =
            grid.GetColumnWidth(resizeIndex) + (grid.isRightToLeft() ? -moved : moved);
        if (width >= 0)
            grid.SetColumnWidth(resizeIndex, width);
    } else {
        const int height = grid.GetRowHeight(resizeIndex) + (pos - clickDownPoint.y());
        if (height >= 0)
            grid.SetRowHeight(resizeIndex, height);
    }
}

// The line stays between the resized row's or column's near edge and the viewport's far edge.
int GridMouseController::clampedLinePos(QPoint pt) const {
    const QWidget* view = grid.viewport();
    if (currentMode == GridMouseMode::ResizingColumn) {
        const QRect cell = grid.cellRect(0, resizeIndex);
        if (grid.isRightToLeft()) {
            const int right = std::min(view->width() - 1, cell.right() + 1);
            return std::clamp(pt.x(), 0, std::max(0, right));
        }
        const int left = std::max(0, cell.left());
        return std::clamp(pt.x(), left, std::max(left, view->width() - 1));
    }
    const int top = std::max(0, grid.cellRect(resizeIndex, 0).top());
    return std::clamp(pt.y(), top, std::max(top, view->height() - 1));
}

void GridMouseController::updateResizeLine(int newPos) {
    QWidget* view = grid.viewport();
    const bool vertical =
        currentMode == GridMouseMode::ResizingColumn; // a vertical line moves in x
    const auto band = [&](int pos) {
        return vertical ? QRect(pos - 1, 0, 4, view->height())
                        : QRect(0, pos - 1, view->width(), 4);
    };
    if (linePos >= 0)
        view->update(band(linePos));
    linePos = newPos;
    if (newPos >= 0)
        view->update(band(newPos));
}

// ---- grid events, wheel, state changes --------------------------------------------------------

bool GridMouseController::handleGridEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        // Only events these handlers always accept are taken, so none comes back up from the
        // viewport.
        auto* m = static_cast<QMouseEvent*>(e);
        if (e->type() != QEvent::MouseMove && m->button() != Qt::LeftButton)
            return false;
        const QMouseEvent mapped(e->type(), grid.viewport()->mapFrom(&grid, m->position()),
                                 m->scenePosition(), m->globalPosition(), m->button(), m->buttons(),
                                 m->modifiers(), m->pointingDevice());
        if (e->type() == QEvent::MouseButtonRelease)
            release(&mapped);
        else if (e->type() == QEvent::MouseMove)
            move(&mapped);
        else
            press(&mapped);
        e->accept();
        return true;
    }
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(e);
        if (w->angleDelta().y() == 0)
            return false;
        wheel(w);
        return true;
    }
    default:
        return false;
    }
}

void GridMouseController::wheel(QWheelEvent* e) {
    const qint64 delta = e->angleDelta().y();
    if (delta == 0) {
        e->ignore();
        return;
    }
    // Each event stands on its own: a delta below one step scrolls nothing.
    const int lines = grid.wheelScrollLines();
    const bool pages = lines == -1;
    const qint64 steps = pages ? delta / 120 : delta * lines / 120;
    const bool moved = grid.scrollStep([pages, steps](GridGeometry& geo) {
        bool any = false;
        for (qint64 i = 0; i < std::abs(steps); ++i) {
            const bool step = pages ? (steps > 0 ? geo.pageUp() : geo.pageDown())
                                    : (steps > 0 ? geo.lineUp() : geo.lineDown());
            if (!step)
                break;
            any = true;
        }
        return any;
    });
    if (moved) {
        e->accept();
    } else {
        // Nothing left to scroll here: the window around the grid scrolls instead, as the
        // default handling passes the wheel on to the parent.
        e->ignore();
    }
}

void GridMouseController::resizingChanged() {
    if ((!grid.rowResizingAllowed() && currentMode == GridMouseMode::RowResizePending) ||
        (!grid.columnResizingAllowed() && currentMode == GridMouseMode::ColumnResizePending)) {
        currentMode = GridMouseMode::None;
        grid.unsetCursor();
    }
}

void GridMouseController::cellsRemoved() {
    if (!grid.isValid(clickDownCell.row, clickDownCell.col))
        clickDownCell = {};
}

} // namespace orvik
