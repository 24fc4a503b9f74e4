#pragma once

#include <QPoint>
#include <QRect>
#include <QtGlobal>

#include <vector>

namespace orvik {

// A cell position; (-1, -1) is "no cell".
struct CellId {
    int row = -1;
    int col = -1;

    bool isValid() const { return row >= 0 && col >= 0; }
    friend bool operator==(const CellId&, const CellId&) = default;
};

// An inclusive block of cells; any negative bound makes it empty.
struct CellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    bool isValid() const {
        return minRow >= 0 && minCol >= 0 && maxRow >= minRow && maxCol >= minCol;
    }
    bool contains(int row, int col) const {
        return isValid() && row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
};

// The pixel arithmetic of the cell grid, kept apart from any widget: row heights and
// column widths, the fixed (header) rows and columns, the viewport size and the two
// scroll positions. Positions count pixels of the non-fixed area only; the first
// visible non-fixed row is the first one whose preceding non-fixed heights add up to
// at least the vertical position (likewise for columns), so the view always starts
// on a cell border right below and right of the fixed cells. All rectangles are in
// viewport (client) coordinates.
class GridGeometry {
public:
    static constexpr int kResizeCaptureRange = 3;

    int rowCount() const { return rows.count(); }
    int columnCount() const { return cols.count(); }
    int fixedRowCount() const { return rows.fixed; }
    int fixedColumnCount() const { return cols.fixed; }

    // Truncates, or appends rows/columns of the given size. Fixed counts are lowered to fit.
    void resizeRows(int count, int height);
    void resizeColumns(int count, int width);
    // The caller keeps the fixed count within the row/column count.
    void setFixedRowCount(int count);
    void setFixedColumnCount(int count);

    int rowHeight(int row) const; // -1 when out of range
    int columnWidth(int col) const;
    bool setRowHeight(int row, int height); // false when out of range or negative
    bool setColumnWidth(int col, int width);

    // Sum of the heights of rows [0, row) (row may equal rowCount()).
    qint64 rowOffset(int row) const;
    qint64 columnOffset(int col) const;
    int fixedRowHeight() const;
    int fixedColumnWidth() const;
    qint64 totalHeight() const { return rowOffset(rowCount()); }
    qint64 totalWidth() const { return columnOffset(columnCount()); }

    void setViewportSize(int width, int height);
    int viewportWidth() const { return cols.view; }
    int viewportHeight() const { return rows.view; }

    // Visible extent of the non-fixed area (the scroll bars' page).
    int pageWidth() const;
    int pageHeight() const;
    int hScrollMax() const;
    int vScrollMax() const;
    int hScrollPos() const { return cols.pos; }
    int vScrollPos() const { return rows.pos; }
    // Clamped to [0, max]; returns whether anything changed.
    bool setScrollPos(int h, int v);
    bool clampScrollPos() { return setScrollPos(cols.pos, rows.pos); }

    // First non-fixed row and column shown (may equal the count when there are none).
    CellId topLeftNonFixed() const;
    // Non-fixed cells at least partly inside the viewport; empty when there are none.
    CellRange visibleNonFixedRange() const;
    // Right to left: column 0 at the viewport's right edge and the columns running leftwards.
    // Every rectangle given and point taken below is then mirrored; the positions along the
    // axes (offsets, scroll positions) stay as they are.
    void setMirrored(bool on) { mirrored = on; }
    bool isMirrored() const { return mirrored; }

    // The cell's rectangle; null for out-of-range cells. Non-fixed cells scrolled out
    // at the top or left get a rectangle above or left of the fixed area.
    QRect cellRect(int row, int col) const;
    // Top-left corner inside the viewport and not under the fixed area (or scrolled away).
    bool isCellVisible(int row, int col) const;
    // The cell under a viewport point, or (-1, -1).
    CellId cellAt(QPoint p) const;

    // Resize hot zones: a point in the fixed-row band within the capture range of a
    // column border gives the column whose right border that is (the one visually to
    // the left of the border); -1 otherwise. Rows likewise in the fixed-column band.
    int columnResizeTarget(QPoint p) const;
    int rowResizeTarget(QPoint p) const;

    // Scrolling steps, each returning whether the position changed. A line is the
    // first visible row (column); a page is the rows that are completely visible.
    bool lineDown();
    bool lineUp();
    bool lineRight();
    bool lineLeft();
    bool pageDown();
    bool pageUp();
    bool pageRight();
    bool pageLeft();
    bool scrollToTop() { return setScrollPos(cols.pos, 0); }
    bool scrollToBottom() { return setScrollPos(cols.pos, vScrollMax()); }
    // Scrolls line by line until the cell's row and column are among the visible ones,
    // then one more line in each direction where its far edge is still cut off.
    bool ensureVisible(int row, int col);

private:
    // One direction of the grid: the sizes along it, the fixed count, the viewport
    // extent and the scroll position.
    struct Axis {
        std::vector<int> sizes;
        // offsets[i] is the sum of sizes [0, i), built lazily and valid up to validUpTo,
        // so that setting every size in turn stays linear.
        mutable std::vector<qint64> offsets{0};
        mutable int validUpTo = 0;
        qint64 total = 0;
        int fixed = 0;
        int view = 0;
        int pos = 0;

        int count() const { return static_cast<int>(sizes.size()); }
        void resize(int n, int size);
        void setSize(int i, int size);
        qint64 offset(int i) const;
        const std::vector<qint64>& prefix() const; // every offset valid
        qint64 nonFixedOffset(int i) const { return offset(i) - offset(fixed); }
        int fixedExtent() const;
        int page() const;
        int scrollMax() const;
        int first() const;
        int lastVisible() const; // -1 when no non-fixed index is visible
        qint64 clientStart(int i) const;
        bool isVisible(int i) const;
        int indexAt(int x) const;
        int leftNeighbour(int i) const;
        int resizeTarget(int x) const;
        bool setPos(qint64 p);
        bool lineForward();
        bool lineBack();
        bool pageForward();
        bool pageBack();
        bool ensure(int i);
    };

    // A viewport point in the unmirrored layout.
    QPoint logical(QPoint p) const { return mirrored ? QPoint(cols.view - 1 - p.x(), p.y()) : p; }

    Axis rows;
    Axis cols;
    bool mirrored = false;
};

} // namespace orvik
