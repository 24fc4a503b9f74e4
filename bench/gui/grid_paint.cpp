// Paint time of the cell grid: a 17 x 10 grid (the channel table) against a 100 000 x 10
// grid scrolled to its middle, both in the same window size. Painting should cost what
// the visible cells cost, whatever the grid's size. Prints the median and best time of
// a full repaint for each, and their ratio.
#include "gui/grid/CGridCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using orvik::CGridCtrl;

namespace {

std::unique_ptr<CGridCtrl> makeGrid(int rows) {
    auto grid = std::make_unique<CGridCtrl>(rows, 10, 1, 1);
    grid->SetRedraw(false);
    for (int c = 0; c < 10; ++c)
        grid->SetColumnWidth(c, c == 0 ? 40 : c <= 4 ? 100 : 70);
    grid->SetRowHeight(0, 28);
    for (int r = 1; r < rows; ++r)
        grid->SetRowHeight(r, 21);
    orvik::GridItem item;
    item.mask = orvik::GridMask::Text | orvik::GridMask::Format;
    item.format = 0x25;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 10; ++c) {
            item.row = r;
            item.col = c;
            item.text = r == 0   ? QStringLiteral("Header %1").arg(c)
                        : c == 0 ? QString::number(r)
                                 : QStringLiteral("%1.%2")
                                       .arg(400 + r % 70)
                                       .arg(c * 125, 5, 10, QLatin1Char('0'));
            grid->SetItem(item);
        }
    }
    grid->SetRedraw(true, true);
    grid->resize(792, 366);
    grid->show();
    if (!QTest::qWaitForWindowExposed(grid.get())) {
        std::fprintf(stderr, "grid_paint: window not exposed\n");
        std::exit(1);
    }
    grid->SetFocusCell(rows / 2 + 2, 3);
    return grid;
}

struct Timing {
    double medianMs;
    double bestMs;
    int cells;
};

Timing measure(CGridCtrl& grid, int rounds) {
    for (int i = 0; i < 5; ++i) // warm caches and glyphs
        grid.viewport()->repaint();
    std::vector<double> ms;
    ms.reserve(size_t(rounds));
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        grid.viewport()->repaint();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const orvik::CellRange vis = grid.geometry().visibleNonFixedRange();
    const int cells = (vis.maxRow - vis.minRow + 1) * (vis.maxCol - vis.minCol + 1);
    return {ms[ms.size() / 2], ms.front(), cells};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    auto small = makeGrid(17);
    QElapsedTimer fillTimer;
    fillTimer.start();
    auto large = makeGrid(100000);
    const double fillMs = double(fillTimer.nsecsElapsed()) / 1e6;
    large->verticalScrollBar()->setValue(large->verticalScrollBar()->maximum() / 2);

    const Timing a = measure(*small, rounds);
    const Timing b = measure(*large, rounds);
    const double ratio =
        std::max(a.medianMs, b.medianMs) / std::max(1e-9, std::min(a.medianMs, b.medianMs));

    std::printf("grid_paint: %d repaints each, viewport 792x366\n", rounds);
    std::printf("  17 x 10 grid:               median %.3f ms, best %.3f ms, %d data cells shown\n",
                a.medianMs, a.bestMs, a.cells);
    std::printf("  100000 x 10 grid, mid-way:  median %.3f ms, best %.3f ms, %d data cells shown "
                "(top row %d)\n",
                b.medianMs, b.bestMs, b.cells, large->geometry().topLeftNonFixed().row);
    std::printf("  ratio of medians %.2f (target: below 2, each well under 16 ms)\n", ratio);
    std::printf("  building the large grid took %.0f ms\n", fillMs);
    return 0;
}
