#include "gui/grid/GridGeometry.h"

#include <algorithm>
#include <climits>

namespace orvik {

namespace {
int clampToInt(qint64 v) {
    return static_cast<int>(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}
} // namespace

// ---- Axis ------------------------------------------------------------------------

void GridGeometry::Axis::resize(int n, int size) {
    sizes.resize(static_cast<size_t>(std::max(0, n)), std::max(0, size));
    offsets.resize(sizes.size() + 1);
    validUpTo = std::min(validUpTo, count());
    total = 0;
    for (int s : sizes)
        total += s;
    fixed = std::min(fixed, count());
}

void GridGeometry::Axis::setSize(int i, int size) {
    total += size - sizes[static_cast<size_t>(i)];
    sizes[static_cast<size_t>(i)] = size;
    validUpTo = std::min(validUpTo, i);
}

qint64 GridGeometry::Axis::offset(int i) const {
    i = std::clamp(i, 0, count());
    if (i == count())
        return total;
    for (; validUpTo < i; ++validUpTo)
        offsets[size_t(validUpTo) + 1] = offsets[size_t(validUpTo)] + sizes[size_t(validUpTo)];
    return offsets[static_cast<size_t>(i)];
}

const std::vector<qint64>& GridGeometry::Axis::prefix() const {
    for (; validUpTo < count(); ++validUpTo)
        offsets[size_t(validUpTo) + 1] = offsets[size_t(validUpTo)] + sizes[size_t(validUpTo)];
    return offsets;
}

int GridGeometry::Axis::fixedExtent() const {
    return clampToInt(offset(fixed));
}

int GridGeometry::Axis::page() const {
    return std::max(0, view - fixedExtent());
}

int GridGeometry::Axis::scrollMax() const {
    return clampToInt(std::max<qint64>(0, nonFixedOffset(count()) - page()));
}

int GridGeometry::Axis::first() const {
    if (count() <= fixed)
        return fixed;
    // Smallest i >= fixed with nonFixedOffset(i) >= pos, but never past the last index.
    const qint64 target = offset(fixed) + pos;
    const auto& starts = prefix();
    auto begin = starts.begin() + fixed;
    auto end = starts.begin() + count(); // starts[count()] is the end, not an index
    auto it = std::lower_bound(begin, end, target);
    int i = static_cast<int>(it - starts.begin());
    return std::min(i, count() - 1);
}

int GridGeometry::Axis::lastVisible() const {
    const int top = first();
    if (top >= count() || fixedExtent() >= view)
        return -1;
    // Last index whose start lies above the viewport's far edge.
    const qint64 limit = offset(top) + (view - fixedExtent());
    const auto& starts = prefix();
    auto begin = starts.begin() + top;
    auto end = starts.begin() + count();
    auto it = std::lower_bound(begin, end, limit); // first start >= limit
    int i = static_cast<int>(it - starts.begin()) - 1;
    return std::max(i, top);
}

qint64 GridGeometry::Axis::clientStart(int i) const {
    if (i < fixed)
        return offset(i);
    return fixedExtent() + offset(i) - offset(first());
}

bool GridGeometry::Axis::isVisible(int i) const {
    if (i < 0 || i >= count())
        return false;
    if (i >= fixed && i < first())
        return false;
    const qint64 start = clientStart(i);
    return start >= 0 && start < view;
}

int GridGeometry::Axis::indexAt(int x) const {
    if (x < 0 || x >= view)
        return -1;
    qint64 at;
    int lowest;
    if (x < fixedExtent()) {
        at = x;
        lowest = 0;
    } else {
        lowest = first();
        at = offset(lowest) + (x - fixedExtent());
    }
    if (at >= offset(count()))
        return -1;
    // Last index whose start is <= at (skips zero-sized entries before it).
    const auto& starts = prefix();
    auto it = std::upper_bound(starts.begin() + lowest, starts.begin() + count(), at);
    int i = static_cast<int>(it - starts.begin()) - 1;
    return i >= lowest ? i : -1;
}

int GridGeometry::Axis::leftNeighbour(int i) const {
    if (i <= 0)
        return -1;
    if (i < fixed || i > first())
        return i - 1;
    return fixed - 1; // the first visible non-fixed entry borders the last fixed one
}

int GridGeometry::Axis::resizeTarget(int x) const {
    const int i = indexAt(x);
    if (i < 0)
        return -1;
    const qint64 start = clientStart(i);
    const qint64 end = start + sizes[static_cast<size_t>(i)];
    if (x - start <= kResizeCaptureRange) {
        const int left = leftNeighbour(i);
        if (left >= 0)
            return left;
    }
    if (end - x <= kResizeCaptureRange)
        return i;
    return -1;
}

bool GridGeometry::Axis::setPos(qint64 p) {
    const int clamped = clampToInt(std::clamp<qint64>(p, 0, scrollMax()));
    if (clamped == pos)
        return false;
    pos = clamped;
    return true;
}

bool GridGeometry::Axis::lineForward() {
    const int top = first();
    if (top + 1 > count())
        return false;
    return setPos(nonFixedOffset(std::min(top + 1, count())));
}

bool GridGeometry::Axis::lineBack() {
    const int top = first();
    if (top > fixed)
        return setPos(nonFixedOffset(top - 1));
    return setPos(0);
}

bool GridGeometry::Axis::pageForward() {
    const int top = first();
    if (top >= count())
        return false;
    const qint64 edge = offset(top) + page();
    // The first entry that is not completely visible becomes the top one.
    int next = top;
    while (next < count() && offset(next + 1) <= edge)
        ++next;
    if (next == top)
        next = top + 1;
    if (next >= count())
        return setPos(scrollMax());
    return setPos(nonFixedOffset(next));
}

bool GridGeometry::Axis::pageBack() {
    const int top = first();
    // The entries above the top one that fit in one page come into view.
    int u = top;
    while (u > fixed && offset(top) - offset(u - 1) <= page())
        --u;
    if (u == top && top > fixed)
        u = top - 1;
    return setPos(nonFixedOffset(u));
}

bool GridGeometry::Axis::ensure(int i) {
    if (i < fixed || i >= count())
        return false;
    bool moved = false;
    while (i > lastVisible() && lineForward())
        moved = true;
    while (i < first() && lineBack())
        moved = true;
    if (clientStart(i) + sizes[static_cast<size_t>(i)] > view && lineForward())
        moved = true;
    return moved;
}

// ---- GridGeometry ------------------------------------------------------------------

void GridGeometry::resizeRows(int count, int height) {
    rows.resize(count, height);
    rows.setPos(rows.pos);
}

void GridGeometry::resizeColumns(int count, int width) {
    cols.resize(count, width);
    cols.setPos(cols.pos);
}

void GridGeometry::setFixedRowCount(int count) {
    rows.fixed = std::clamp(count, 0, rowCount());
    rows.setPos(rows.pos);
}

void GridGeometry::setFixedColumnCount(int count) {
    cols.fixed = std::clamp(count, 0, columnCount());
    cols.setPos(cols.pos);
}

int GridGeometry::rowHeight(int row) const {
    return row >= 0 && row < rowCount() ? rows.sizes[static_cast<size_t>(row)] : -1;
}

int GridGeometry::columnWidth(int col) const {
    return col >= 0 && col < columnCount() ? cols.sizes[static_cast<size_t>(col)] : -1;
}

bool GridGeometry::setRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount() || height < 0)
        return false;
    rows.setSize(row, height);
    rows.setPos(rows.pos);
    return true;
}

bool GridGeometry::setColumnWidth(int col, int width) {
    if (col < 0 || col >= columnCount() || width < 0)
        return false;
    cols.setSize(col, width);
    cols.setPos(cols.pos);
    return true;
}

qint64 GridGeometry::rowOffset(int row) const {
    return rows.offset(row);
}

qint64 GridGeometry::columnOffset(int col) const {
    return cols.offset(col);
}

int GridGeometry::fixedRowHeight() const {
    return rows.fixedExtent();
}

int GridGeometry::fixedColumnWidth() const {
    return cols.fixedExtent();
}

void GridGeometry::setViewportSize(int width, int height) {
    cols.view = std::max(0, width);
    rows.view = std::max(0, height);
    clampScrollPos();
}

int GridGeometry::pageWidth() const {
    return cols.page();
}

int GridGeometry::pageHeight() const {
    return rows.page();
}

int GridGeometry::hScrollMax() const {
    return cols.scrollMax();
}

int GridGeometry::vScrollMax() const {
    return rows.scrollMax();
}

bool GridGeometry::setScrollPos(int h, int v) {
    const bool a = cols.setPos(h);
    const bool b = rows.setPos(v);
    return a || b;
}

CellId GridGeometry::topLeftNonFixed() const {
    return {rows.first(), cols.first()};
}

CellRange GridGeometry::visibleNonFixedRange() const {
    const int lastRow = rows.lastVisible();
    const int lastCol = cols.lastVisible();
    if (lastRow < 0 || lastCol < 0)
        return {};
    return {rows.first(), cols.first(), lastRow, lastCol};
}

QRect GridGeometry::cellRect(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return {};
    const int left = clampToInt(cols.clientStart(col));
    return QRect(mirrored ? cols.view - left - columnWidth(col) : left,
                 clampToInt(rows.clientStart(row)), columnWidth(col), rowHeight(row));
}

bool GridGeometry::isCellVisible(int row, int col) const {
    return rows.isVisible(row) && cols.isVisible(col);
}

CellId GridGeometry::cellAt(QPoint p) const {
    p = logical(p);
    const int row = rows.indexAt(p.y());
    const int col = cols.indexAt(p.x());
    if (row < 0 || col < 0)
        return {};
    return {row, col};
}

int GridGeometry::columnResizeTarget(QPoint p) const {
    p = logical(p);
    if (p.y() < 0 || p.y() >= fixedRowHeight() || rows.indexAt(p.y()) < 0)
        return -1;
    return cols.resizeTarget(p.x());
}

int GridGeometry::rowResizeTarget(QPoint p) const {
    p = logical(p);
    if (p.x() < 0 || p.x() >= fixedColumnWidth() || cols.indexAt(p.x()) < 0)
        return -1;
    return rows.resizeTarget(p.y());
}

bool GridGeometry::lineDown() {
    return rows.lineForward();
}
bool GridGeometry::lineUp() {
    return rows.lineBack();
}
bool GridGeometry::lineRight() {
    return cols.lineForward();
}
bool GridGeometry::lineLeft() {
    return cols.lineBack();
}
bool GridGeometry::pageDown() {
    return rows.pageForward();
}
bool GridGeometry::pageUp() {
    return rows.pageBack();
}
bool GridGeometry::pageRight() {
    return cols.pageForward();
}
bool GridGeometry::pageLeft() {
    return cols.pageBack();
}

bool GridGeometry::ensureVisible(int row, int col) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return false;
    const bool h = cols.ensure(col);
    const bool v = rows.ensure(row);
    return h || v;
}

} // namespace orvik
