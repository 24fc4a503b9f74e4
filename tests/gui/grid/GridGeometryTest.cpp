#include "gui/grid/GridGeometry.h"

#include <gtest/gtest.h>

namespace orvik {
namespace {

// 17 rows (28 then 16 x 21) and 10 columns (40, 4 x 100, 5 x 70), one fixed of each:
// the channel table's shape.
GridGeometry channelTable(int viewW, int viewH) {
    GridGeometry g;
    g.resizeRows(17, 21);
    g.resizeColumns(10, 70);
    g.setFixedRowCount(1);
    g.setFixedColumnCount(1);
    g.setRowHeight(0, 28);
    g.setColumnWidth(0, 40);
    for (int c = 1; c <= 4; ++c)
        g.setColumnWidth(c, 100);
    g.setViewportSize(viewW, viewH);
    return g;
}

TEST(GridGeometry, SumsAndExtents) {
    GridGeometry g = channelTable(2000, 2000);
    EXPECT_EQ(g.totalWidth(), 790);
    EXPECT_EQ(g.totalHeight(), 28 + 16 * 21);
    EXPECT_EQ(g.fixedRowHeight(), 28);
    EXPECT_EQ(g.fixedColumnWidth(), 40);
    EXPECT_EQ(g.rowOffset(2), 49);
    EXPECT_EQ(g.columnOffset(5), 440);
    EXPECT_EQ(g.rowHeight(17), -1);
    EXPECT_EQ(g.columnWidth(-1), -1);
    EXPECT_FALSE(g.setRowHeight(3, -1));
    EXPECT_FALSE(g.setColumnWidth(10, 5));
    // Everything fits: nothing to scroll.
    EXPECT_EQ(g.vScrollMax(), 0);
    EXPECT_EQ(g.hScrollMax(), 0);
    EXPECT_FALSE(g.setScrollPos(50, 50));
}

TEST(GridGeometry, ScrollRangesCountTheNonFixedArea) {
    GridGeometry g = channelTable(300, 28 + 100);
    EXPECT_EQ(g.pageHeight(), 100);
    EXPECT_EQ(g.vScrollMax(), 16 * 21 - 100);
    EXPECT_EQ(g.pageWidth(), 260);
    EXPECT_EQ(g.hScrollMax(), 750 - 260);
    g.setScrollPos(-5, 100000);
    EXPECT_EQ(g.hScrollPos(), 0);
    EXPECT_EQ(g.vScrollPos(), g.vScrollMax());
    // Shrinking the content clamps the position.
    g.resizeRows(5, 21);
    EXPECT_EQ(g.vScrollPos(), 0);
}

TEST(GridGeometry, TopRowIsFirstWhosePrecedingHeightsReachThePosition) {
    struct Case {
        int pos;
        int topRow;
    } cases[] = {{0, 1}, {1, 2}, {20, 2}, {21, 2}, {22, 3}, {42, 3}, {43, 4}};
    for (const Case& c : cases) {
        GridGeometry g = channelTable(300, 28 + 100);
        g.setScrollPos(0, c.pos);
        EXPECT_EQ(g.topLeftNonFixed().row, c.topRow) << "pos " << c.pos;
        // The first visible row is drawn right under the header.
        EXPECT_EQ(g.cellRect(c.topRow, 1).top(), 28) << "pos " << c.pos;
    }
}

TEST(GridGeometry, VisibleRangeIncludesPartlyShownCells) {
    GridGeometry g = channelTable(40 + 150, 28 + 50);
    const CellRange r = g.visibleNonFixedRange();
    EXPECT_EQ(r.minRow, 1);
    EXPECT_EQ(r.maxRow, 3); // 21 + 21 + 8 px of row 3
    EXPECT_EQ(r.minCol, 1);
    EXPECT_EQ(r.maxCol, 2);
    EXPECT_TRUE(g.isCellVisible(3, 2));
    EXPECT_FALSE(g.isCellVisible(4, 2));
    // A row that starts exactly at the bottom edge is not visible.
    GridGeometry exact = channelTable(400, 28 + 42);
    EXPECT_EQ(exact.visibleNonFixedRange().maxRow, 2);
    // When the headers fill the viewport no data cell is visible.
    GridGeometry tiny = channelTable(400, 20);
    EXPECT_FALSE(tiny.visibleNonFixedRange().isValid());
}

TEST(GridGeometry, CellAtPoint) {
    GridGeometry g = channelTable(300, 28 + 100);
    struct Case {
        QPoint p;
        CellId cell;
    } cases[] = {
        {{0, 0}, {0, 0}},    {{39, 27}, {0, 0}},  {{40, 28}, {1, 1}},
        {{139, 48}, {1, 1}}, {{140, 49}, {2, 2}}, {{299, 127}, {5, 3}},
        {{300, 10}, {}},     {{-1, 10}, {}},      {{10, 128}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.cellAt(c.p), c.cell) << c.p.x() << "," << c.p.y();

    // Scrolled: the fixed cells stay, the data cells move.
    g.setScrollPos(100, 42);
    EXPECT_EQ(g.cellAt({10, 10}), (CellId{0, 0}));
    EXPECT_EQ(g.cellAt({45, 30}), (CellId{3, 2}));
    EXPECT_EQ(g.cellAt({10, 30}), (CellId{3, 0}));
    EXPECT_EQ(g.cellAt({45, 10}), (CellId{0, 2}));
    EXPECT_EQ(g.cellRect(3, 2), QRect(40, 28, 100, 21));
    // A cell scrolled away is not visible even though its corner may lie in the viewport.
    EXPECT_FALSE(g.isCellVisible(1, 1));
    EXPECT_TRUE(g.isCellVisible(0, 0));
}

TEST(GridGeometry, CellAtPointSkipsEmptyTailAndZeroSizes) {
    GridGeometry g = channelTable(2000, 2000);
    EXPECT_EQ(g.cellAt({789, 20}), (CellId{0, 9}));
    EXPECT_EQ(g.cellAt({790, 20}), CellId{});
    EXPECT_EQ(g.cellAt({20, 28 + 16 * 21}), CellId{});
    g.setColumnWidth(3, 0);
    EXPECT_EQ(g.cellAt({240, 40}), (CellId{1, 4})); // column 3 has no pixels
}

TEST(GridGeometry, LineAndPageSteps) {
    GridGeometry g = channelTable(300, 28 + 100); // 4 full rows and 16 px of a fifth
    EXPECT_TRUE(g.lineDown());
    EXPECT_EQ(g.topLeftNonFixed().row, 2);
    EXPECT_TRUE(g.lineUp());
    EXPECT_EQ(g.topLeftNonFixed().row, 1);
    EXPECT_FALSE(g.lineUp());

    // A page brings the first row that was not completely shown to the top.
    EXPECT_TRUE(g.pageDown());
    EXPECT_EQ(g.topLeftNonFixed().row, 5);
    EXPECT_TRUE(g.pageUp());
    EXPECT_EQ(g.topLeftNonFixed().row, 1);

    EXPECT_TRUE(g.lineRight());
    EXPECT_EQ(g.topLeftNonFixed().col, 2);
    EXPECT_TRUE(g.lineLeft());
    EXPECT_EQ(g.topLeftNonFixed().col, 1);

    EXPECT_TRUE(g.scrollToBottom());
    EXPECT_FALSE(g.lineDown());
    EXPECT_FALSE(g.pageDown());
    EXPECT_EQ(g.visibleNonFixedRange().maxRow, 16);
    EXPECT_TRUE(g.scrollToTop());
    EXPECT_EQ(g.vScrollPos(), 0);
}

TEST(GridGeometry, PageStepWithARowTallerThanThePage) {
    GridGeometry g = channelTable(300, 28 + 100);
    g.setRowHeight(1, 300);
    EXPECT_TRUE(g.pageDown());
    EXPECT_EQ(g.topLeftNonFixed().row, 2);
    EXPECT_TRUE(g.pageUp());
    EXPECT_EQ(g.topLeftNonFixed().row, 1);
}

TEST(GridGeometry, EnsureVisibleScrollsUntilTheCellIsWhole) {
    GridGeometry g = channelTable(40 + 250, 28 + 100);
    EXPECT_TRUE(g.ensureVisible(10, 6));
    const QRect r = g.cellRect(10, 6);
    EXPECT_TRUE(g.isCellVisible(10, 6));
    EXPECT_LE(r.bottom(), 28 + 100 - 1);
    EXPECT_LE(r.right(), 40 + 250 - 1);
    // Back up to the first data cell.
    EXPECT_TRUE(g.ensureVisible(1, 1));
    EXPECT_EQ(g.topLeftNonFixed(), (CellId{1, 1}));
    EXPECT_FALSE(g.ensureVisible(1, 1));
    EXPECT_FALSE(g.ensureVisible(17, 1));
}

TEST(GridGeometry, ResizeHotZones) {
    GridGeometry g = channelTable(800, 400);
    struct Case {
        QPoint p;
        int col;
    } cases[] = {
        {{37, 10}, 0},  {{39, 10}, 0},   {{40, 10}, 0},  {{43, 10}, 0}, // around 0|1 at x=40
        {{44, 10}, -1}, {{135, 10}, -1}, {{137, 10}, 1}, {{142, 10}, 1},
        {{1, 10}, -1},  // column 0 has no border on its left
        {{39, 40}, -1}, // below the header band
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.columnResizeTarget(c.p), c.col) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(g.rowResizeTarget({10, 26}), 0);
    EXPECT_EQ(g.rowResizeTarget({10, 30}), 0);
    EXPECT_EQ(g.rowResizeTarget({10, 48}), 1);
    EXPECT_EQ(g.rowResizeTarget({10, 40}), -1);
    EXPECT_EQ(g.rowResizeTarget({60, 48}), -1); // outside the fixed column band

    // Scrolled: the left border of the first shown data column belongs to the header column.
    GridGeometry s = channelTable(300, 400);
    s.setScrollPos(200, 0);
    ASSERT_EQ(s.topLeftNonFixed().col, 3);
    EXPECT_EQ(s.columnResizeTarget({41, 10}), 0);
    EXPECT_EQ(s.columnResizeTarget({141, 10}), 3);
}

// Right to left every rectangle and point is mirrored in the viewport: column 0 at the right
// edge, the hot zone of a column's far border on its left, and scrolling unchanged.
TEST(GridGeometry, MirroredCellsPointsAndHotZones) {
    GridGeometry g = channelTable(800, 400);
    g.setMirrored(true);
    EXPECT_EQ(g.cellRect(1, 0), QRect(760, 28, 40, 21));
    EXPECT_EQ(g.cellRect(1, 1), QRect(660, 28, 100, 21));
    for (int col : {0, 1, 5, 9}) {
        const QRect r = g.cellRect(4, col);
        EXPECT_EQ(g.cellAt(r.topLeft()), (CellId{4, col}));
        EXPECT_EQ(g.cellAt(r.bottomRight()), (CellId{4, col}));
    }
    EXPECT_EQ(g.cellAt({5, 40}), (CellId{})); // left of the table's last column
    EXPECT_EQ(g.columnResizeTarget({759, 10}), 0);
    EXPECT_EQ(g.columnResizeTarget({662, 10}), 1);
    EXPECT_EQ(g.rowResizeTarget({790, 48}), 1);
    EXPECT_EQ(g.rowResizeTarget({10, 48}), -1);
    g.setScrollPos(0, 21);
    EXPECT_EQ(g.cellAt(g.cellRect(3, 2).center()), (CellId{3, 2}));
}

TEST(GridGeometry, LargeGridScrolledToTheMiddle) {
    GridGeometry g;
    g.resizeRows(100000, 21);
    g.resizeColumns(10, 70);
    g.setFixedRowCount(1);
    g.setFixedColumnCount(1);
    g.setViewportSize(700, 400);
    g.setScrollPos(0, 50000 * 21);
    EXPECT_EQ(g.topLeftNonFixed().row, 50001);
    const CellRange r = g.visibleNonFixedRange();
    EXPECT_EQ(r.maxRow - r.minRow + 1, (400 - 21 + 20) / 21);
    EXPECT_EQ(g.cellAt({100, 21 + 5}), (CellId{50001, 1}));
    EXPECT_EQ(g.vScrollMax(), 99999 * 21 - (400 - 21));
}

} // namespace
} // namespace orvik

namespace orvik {
namespace {

// Offsets are built lazily: interleaved changes and queries must match a plain sum.
TEST(GridGeometry, OffsetsFollowEveryChange) {
    GridGeometry g;
    g.resizeRows(50, 10);
    std::vector<int> heights(50, 10);
    const auto check = [&](const char* when) {
        qint64 sum = 0;
        for (int r = 0; r <= 50; ++r) {
            ASSERT_EQ(g.rowOffset(r), sum) << when << " row " << r;
            if (r < 50)
                sum += heights[size_t(r)];
        }
    };
    const std::pair<int, int> changes[] = {{49, 3}, {0, 7}, {25, 0}, {24, 40}, {1, 1}};
    for (auto [row, h] : changes) {
        EXPECT_EQ(g.rowOffset(30), [&] {
            qint64 s = 0;
            for (int r = 0; r < 30; ++r)
                s += heights[size_t(r)];
            return s;
        }());
        ASSERT_TRUE(g.setRowHeight(row, h));
        heights[size_t(row)] = h;
        check("after a change");
    }
    g.resizeRows(20, 5);
    heights.resize(20);
    g.resizeRows(50, 5);
    heights.resize(50, 5);
    check("after shrinking and growing");
}

} // namespace
} // namespace orvik
