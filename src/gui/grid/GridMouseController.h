#pragma once

#include "gui/grid/GridGeometry.h"

#include <QPoint>

class QEvent;
class QMouseEvent;
class QWheelEvent;

namespace orvik {

class CGridCtrl;

// What the left button is doing in the grid, or (while it is up) what a press would start.
enum class GridMouseMode {
    None,
    SelectAll,
    SelectColumns,
    SelectRows,
    SelectCells,
    RowResizePending,
    ResizingRow,
    ColumnResizePending,
    ResizingColumn,
};

// The grid's mouse input. A left press on a cell takes the keyboard focus, makes that cell
// (moved out of the headers) the focus cell and starts selecting: everything from the corner,
// columns from the header row, rows from the header column, a block of cells elsewhere; Ctrl
// keeps the earlier selection, Shift selects from the focus cell. Near a header border, while
// resizing is allowed, the press starts resizing instead, shown by an inverted line. Dragging
// extends the selection or moves the line; the release resizes, asks to edit the focus cell
// after a plain click, and posts clicked(). The wheel scrolls by the grid's wheel lines.
class GridMouseController {
public:
    explicit GridMouseController(CGridCtrl& owner) : grid(owner) {}

    void press(const QMouseEvent* e); // left button
    void move(const QMouseEvent* e);
    void release(const QMouseEvent* e); // left button
    // The mouse left the cells while no button is down: no resize is pending any more.
    void leave();
    // Mouse or wheel input given to the grid widget rather than its viewport, handled as the
    // viewport's at the same place; false for events it leaves alone.
    bool handleGridEvent(QEvent* e);
    // Scrolls for a wheel event; accepts it when the grid scrolled, else ignores it so that
    // the window around the grid scrolls.
    void wheel(QWheelEvent* e);

    // Resizing was switched on or off: a pending resize that is no longer allowed ends.
    void resizingChanged();
    // Rows or columns were removed: forgets a pressed cell that no longer exists.
    void cellsRemoved();

    GridMouseMode mode() const { return currentMode; }
    // No button press is being handled.
    bool isIdle() const { return currentMode == GridMouseMode::None && !leftDown; }
    // The x (while resizing a column) or y (a row) of the inverted line; -1 when none shows.
    int resizeLinePos() const { return linePos; }

private:
    // Whether the point lies on a header border that may be dragged now.
    GridMouseMode hoverMode(QPoint pt) const;
    bool startResizing(QPoint pt, int target);
    void startSelecting(const QMouseEvent* e);
    void selectFrom(CellId cell);
    void dragTo(QPoint pt);
    void finishResizing(QPoint pt);
    int clampedLinePos(QPoint pt) const;
    void updateResizeLine(int newPos);
    void showCursorFor(GridMouseMode m);

    CGridCtrl& grid;
    GridMouseMode currentMode = GridMouseMode::None;
    bool leftDown = false;
    CellId clickDownCell;
    QPoint clickDownPoint;
    int resizeIndex = -1; // row or column being resized
    int linePos = -1;     // x or y of the inverted line, -1 when none
};

} // namespace orvik
