#include "gui/grid/CGridCtrl.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orvik {
namespace {

// A grid set up as the channel table sets it up, shown at a given viewport size.
std::unique_ptr<CGridCtrl> makeTable(int rows = 17, QSize viewport = {800, 400}) {
    auto g = std::make_unique<CGridCtrl>(rows, 10, 1, 1);
    g->setControlId(1016);
    for (int c = 0; c < 10; ++c)
        g->SetColumnWidth(c, c == 0 ? 40 : c <= 4 ? 100 : 70);
    g->SetRowHeight(0, 28);
    for (int r = 1; r < rows; ++r)
        g->SetRowHeight(r, 21);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 10; ++c)
            g->SetItemText(r, c, QStringLiteral("%1:%2").arg(r).arg(c));
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setFrameShape(QFrame::NoFrame);
    g->resize(viewport);
    g->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(g.get()));
    g->activateWindow();
    g->setFocus();
    QApplication::processEvents();
    return g;
}

QPoint centreOf(const CGridCtrl& g, int row, int col) {
    return g.cellRect(row, col).center();
}

void moveMouse(CGridCtrl& g, QPoint p, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent ev(QEvent::MouseMove, QPointF(p), QPointF(g.viewport()->mapToGlobal(p)),
                   Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(g.viewport(), &ev);
}

void click(CGridCtrl& g, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mousePress(g.viewport(), Qt::LeftButton, mods, p);
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, mods, p);
}

void wheel(CGridCtrl& g, int delta) {
    const QPoint p = centreOf(g, g.fixedRowCount(), g.fixedColumnCount());
    QWheelEvent ev(QPointF(p), QPointF(g.viewport()->mapToGlobal(p)), QPoint(), QPoint(0, delta),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &ev);
}

TEST(CGridCtrl, EnterAsksToEditOnlyEditableCells) {
    struct Case {
        const char* name;
        unsigned state;
        bool editing;
        bool expectEdit;
    } cases[] = {
        {"editable", 0, true, true},
        {"read-only", GridState::ReadOnly, true, false},
        {"editing off", 0, false, false},
    };
    for (const Case& c : cases) {
        auto g = makeTable();
        g->setEditingEnabled(c.editing);
        g->SetItemState(3, 2, c.state);
        g->SetFocusCell(3, 2);
        QSignalSpy spy(g.get(), &CGridCtrl::beginEdit);
        QTest::keyClick(g.get(), Qt::Key_Return);
        ASSERT_EQ(spy.count(), c.expectEdit ? 1 : 0) << c.name;
        if (!c.expectEdit)
            continue;
        const auto rec = spy.at(0).at(0).value<GridNotify>();
        EXPECT_EQ(rec.code, kGridBeginEdit);
        EXPECT_EQ(rec.controlId, 1016);
        EXPECT_EQ(rec.grid, g.get());
        EXPECT_EQ(rec.item.row, 3);
        EXPECT_EQ(rec.item.col, 2);
        EXPECT_EQ(rec.item.text, QStringLiteral("3:2"));
        EXPECT_EQ(rec.item.mask, GridMask::All);
        EXPECT_TRUE(rec.item.state & GridState::Focused);
        const QRect client = g->cellRect(3, 2);
        EXPECT_EQ(g->storedCellRect(), client);
        EXPECT_EQ(rec.rect.topLeft(), g->viewport()->mapToGlobal(client.topLeft()));
        EXPECT_EQ(rec.rect.size(), QSize(100, 21));
    }
}

TEST(CGridCtrl, EditCellScrollsTheCellIntoViewAndRefusesHeaders) {
    auto g = makeTable(40, {400, 28 + 100});
    QSignalSpy spy(g.get(), &CGridCtrl::beginEdit);
    EXPECT_TRUE(g->EditCell(30, 8));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(g->geometry().isCellVisible(30, 8));
    EXPECT_LE(g->storedCellRect().bottom(), g->viewport()->height() - 1);
    EXPECT_FALSE(g->EditCell(0, 3));
    EXPECT_FALSE(g->EditCell(3, 0));
    EXPECT_FALSE(g->EditCell(40, 1));
    EXPECT_EQ(spy.count(), 1);
}

TEST(CGridCtrl, ClickOnTheFocusCellStillAsksToEditOnRelease) {
    auto g = makeTable();
    g->SetFocusCell(4, 3);
    QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
    QSignalSpy clicked(g.get(), &CGridCtrl::clicked);
    const QPoint p = centreOf(*g, 4, 3);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_EQ(edit.count(), 0); // not before the release
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    ASSERT_EQ(edit.count(), 1);
    EXPECT_EQ(edit.at(0).at(0).value<GridNotify>().item.row, 4);
    // The click command is posted, not sent.
    EXPECT_EQ(clicked.count(), 0);
    QApplication::processEvents();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 1016);
}

TEST(CGridCtrl, DoubleClickIsTwoClicks) {
    auto g = makeTable();
    QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
    QSignalSpy clicked(g.get(), &CGridCtrl::clicked);
    const QPoint p = centreOf(*g, 5, 2);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(p), QPointF(g->viewport()->mapToGlobal(p)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(g->viewport(), &dbl);
    EXPECT_TRUE(dbl.isAccepted());
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QApplication::processEvents();
    EXPECT_EQ(g->GetFocusCell(), (CellId{5, 2}));
    EXPECT_EQ(edit.count(), 2);
    EXPECT_EQ(clicked.count(), 2);
}

TEST(CGridCtrl, ClickOnAnotherCellMovesTheFocusThenAsksToEdit) {
    auto g = makeTable();
    g->SetFocusCell(1, 1);
    std::vector<int> codes;
    const auto record = [&](const GridNotify& n) { codes.push_back(n.code); };
    QObject::connect(g.get(), &CGridCtrl::focusLeaving, record);
    QObject::connect(g.get(), &CGridCtrl::focusArrived, record);
    QObject::connect(g.get(), &CGridCtrl::beginEdit, record);
    click(*g, centreOf(*g, 6, 5));
    EXPECT_EQ(g->GetFocusCell(), (CellId{6, 5}));
    EXPECT_EQ(codes, (std::vector<int>{kGridFocusLeaving, kGridFocusArrived, kGridBeginEdit}));
    EXPECT_TRUE(g->isCellSelected(6, 5));
    EXPECT_EQ(g->selectedCount(), 1);
}

TEST(CGridCtrl, PressOutsideEveryCellAsksNothing) {
    auto g = makeTable(5);
    g->SetFocusCell(2, 2);
    QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
    QSignalSpy clicked(g.get(), &CGridCtrl::clicked);
    click(*g, QPoint(20, 28 + 4 * 21 + 30)); // below the last row
    QApplication::processEvents();
    EXPECT_EQ(edit.count(), 0);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(g->GetFocusCell(), (CellId{2, 2}));
}

TEST(CGridCtrl, HeaderClicksSelectRowsColumnsOrEverything) {
    struct Case {
        const char* name;
        CellId header;
        int selected;
        CellId inside;
        CellId outside;
        CellId focus;
    } cases[] = {
        {"column header", {0, 3}, 16, {16, 3}, {5, 4}, {1, 3}},
        {"row header", {5, 0}, 9, {5, 9}, {6, 1}, {5, 1}},
        {"corner", {0, 0}, 16 * 9, {16, 9}, {0, 0}, {1, 1}},
    };
    for (const Case& c : cases) {
        auto g = makeTable();
        QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
        click(*g, centreOf(*g, c.header.row, c.header.col));
        EXPECT_EQ(edit.count(), 0) << c.name;
        EXPECT_EQ(g->selectedCount(), c.selected) << c.name;
        EXPECT_TRUE(g->isCellSelected(c.inside.row, c.inside.col)) << c.name;
        EXPECT_FALSE(g->isCellSelected(c.outside.row, c.outside.col)) << c.name;
        EXPECT_EQ(g->GetFocusCell(), c.focus) << c.name;
        EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None) << c.name;
    }
}

TEST(CGridCtrl, DraggingFromAHeaderMovesTheFocusOntoNormalCells) {
    struct Case {
        const char* name;
        CellId header;
        CellId over;
        CellId focus;
        int selected;
    } cases[] = {
        {"corner", {0, 0}, {5, 6}, {5, 6}, 16 * 9},
        {"column header", {0, 2}, {7, 4}, {7, 4}, 16 * 3},
        {"row header", {3, 0}, {6, 5}, {6, 5}, 4 * 9},
        {"along the header row", {0, 2}, {0, 5}, {1, 2}, 16 * 4},
    };
    for (const Case& c : cases) {
        auto g = makeTable();
        QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
        const QPoint over = centreOf(*g, c.over.row, c.over.col);
        QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier,
                          centreOf(*g, c.header.row, c.header.col));
        moveMouse(*g, over, Qt::LeftButton);
        EXPECT_EQ(g->GetFocusCell(), c.focus) << c.name;
        EXPECT_EQ(g->selectedCount(), c.selected) << c.name;
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, over);
        EXPECT_EQ(edit.count(), 0) << c.name;
    }
}

TEST(CGridCtrl, MouseGivenToTheGridItselfActsAtTheSamePlace) {
    auto g = makeTable(60, {800, 28 + 100});
    g->setFrameShape(QFrame::Box);
    g->setLineWidth(3);
    QApplication::processEvents();
    const auto onGrid = [&](int row, int col) {
        return g->viewport()->mapTo(g.get(), centreOf(*g, row, col));
    };
    QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);
    QTest::mouseClick(g.get(), Qt::LeftButton, Qt::NoModifier, onGrid(3, 4));
    EXPECT_EQ(g->GetFocusCell(), (CellId{3, 4}));
    ASSERT_EQ(edit.count(), 1);
    EXPECT_EQ(edit.at(0).at(0).value<GridNotify>().item.col, 4);

    // A header click given to the grid selects the column and asks for no edit.
    QTest::mouseClick(g.get(), Qt::LeftButton, Qt::NoModifier, onGrid(0, 2));
    EXPECT_EQ(edit.count(), 1);
    EXPECT_EQ(g->selectedCount(), 59);

    // A press on the frame hits no cell.
    QTest::mouseClick(g.get(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    EXPECT_EQ(g->GetFocusCell(), (CellId{1, 2}));
    EXPECT_EQ(edit.count(), 1);

    QWheelEvent ev(QPointF(onGrid(2, 2)), QPointF(g->mapToGlobal(onGrid(2, 2))), QPoint(),
                   QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.get(), &ev);
    EXPECT_EQ(g->geometry().topLeftNonFixed().row, 4);
    EXPECT_EQ(g->GetFocusCell(), (CellId{1, 2}));
}

TEST(CGridCtrl, CtrlClickKeepsTheEarlierSelection) {
    auto g = makeTable();
    click(*g, centreOf(*g, 0, 2));
    click(*g, centreOf(*g, 0, 4), Qt::ControlModifier);
    EXPECT_EQ(g->selectedCount(), 32);
    click(*g, centreOf(*g, 3, 3));
    EXPECT_EQ(g->selectedCount(), 1);
}

TEST(CGridCtrl, SelectionDisabledSelectsNothing) {
    auto g = makeTable();
    g->selectionEnabled = false;
    click(*g, centreOf(*g, 0, 0));
    EXPECT_EQ(g->selectedCount(), 0);
    g->SetSelectedRange(1, 1, 3, 3);
    EXPECT_EQ(g->selectedCount(), 0);
    g->selectionEnabled = true;
    g->SetSelectedRange(1, 1, 3, 3);
    EXPECT_EQ(g->selectedCount(), 9);
    g->SetSelectedRange(3, 3, 1, 1); // reversed: selects nothing
    EXPECT_EQ(g->selectedCount(), 0);
    g->SetSelectedRange(1, 1, 2, 2);
    g->SetFocusCell(2, 2);
    g->ClearSelection();
    EXPECT_EQ(g->selectedCount(), 0);
    EXPECT_EQ(g->GetItemState(1, 1) & GridState::Selected, 0u);
    EXPECT_FALSE(g->GetFocusCell().isValid());
}

TEST(CGridCtrl, KeyboardMovesTheFocusCell) {
    struct Case {
        const char* name;
        CellId from;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        CellId to;
    } cases[] = {
        {"Tab", {1, 1}, Qt::Key_Tab, Qt::NoModifier, {1, 2}},
        {"Tab wraps", {1, 9}, Qt::Key_Tab, Qt::NoModifier, {2, 1}},
        {"Tab on the last cell stays", {16, 9}, Qt::Key_Tab, Qt::NoModifier, {16, 9}},
        {"Shift+Tab", {2, 5}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 4}},
        {"Shift+Tab wraps", {2, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 9}},
        {"Shift+Tab first cell stays", {1, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 1}},
        {"Shift with Tab key", {2, 1}, Qt::Key_Tab, Qt::ShiftModifier, {1, 9}},
        {"Left", {3, 3}, Qt::Key_Left, Qt::NoModifier, {3, 2}},
        {"Left stops at fixed", {3, 1}, Qt::Key_Left, Qt::NoModifier, {3, 1}},
        {"Right", {3, 3}, Qt::Key_Right, Qt::NoModifier, {3, 4}},
        {"Right stops at last", {3, 9}, Qt::Key_Right, Qt::NoModifier, {3, 9}},
        {"Up", {3, 3}, Qt::Key_Up, Qt::NoModifier, {2, 3}},
        {"Up stops at fixed", {1, 3}, Qt::Key_Up, Qt::NoModifier, {1, 3}},
        {"Down", {3, 3}, Qt::Key_Down, Qt::NoModifier, {4, 3}},
        {"Down stops at last", {16, 3}, Qt::Key_Down, Qt::NoModifier, {16, 3}},
        {"Home", {9, 4}, Qt::Key_Home, Qt::NoModifier, {1, 4}},
        {"End", {9, 4}, Qt::Key_End, Qt::NoModifier, {16, 4}},
        // Everything fits, so paging does not scroll: to the first or last row.
        {"Page Down without scrolling", {5, 2}, Qt::Key_PageDown, Qt::NoModifier, {16, 2}},
        {"Page Up without scrolling", {5, 2}, Qt::Key_PageUp, Qt::NoModifier, {1, 2}},
    };
    for (const Case& c : cases) {
        auto g = makeTable();
        g->SetFocusCell(c.from.row, c.from.col);
        QTest::keyClick(g.get(), c.key, c.mods);
        EXPECT_EQ(g->GetFocusCell(), c.to) << c.name;
        EXPECT_TRUE(g->hasFocus()) << c.name;
    }
}

TEST(CGridCtrl, ShiftArrowsExtendFromTheAnchor) {
    auto g = makeTable();
    g->SetFocusCell(2, 2);
    QTest::keyClick(g.get(), Qt::Key_Right); // anchor becomes (2,3)
    QTest::keyClick(g.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(g.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(g->GetFocusCell(), (CellId{3, 4}));
    EXPECT_EQ(g->selectedCount(), 4);
    EXPECT_TRUE(g->isCellSelected(2, 3));
    EXPECT_TRUE(g->isCellSelected(3, 4));
    QTest::keyClick(g.get(), Qt::Key_Down);
    EXPECT_EQ(g->selectedCount(), 1);
}

TEST(CGridCtrl, PagingScrollsAndMovesTheFocusByTheRowsScrolled) {
    auto g = makeTable(40, {800, 28 + 100}); // four whole rows and part of a fifth
    g->SetFocusCell(2, 3);
    QTest::keyClick(g.get(), Qt::Key_PageDown);
    const int top = g->geometry().topLeftNonFixed().row;
    EXPECT_EQ(top, 5);
    EXPECT_EQ(g->GetFocusCell(), (CellId{2 + 4, 3}));
    EXPECT_EQ(g->verticalScrollBar()->value(), g->geometry().vScrollPos());
    QTest::keyClick(g.get(), Qt::Key_PageUp);
    EXPECT_EQ(g->geometry().topLeftNonFixed().row, 1);
    EXPECT_EQ(g->GetFocusCell(), (CellId{2, 3}));
    QTest::keyClick(g.get(), Qt::Key_End);
    EXPECT_EQ(g->GetFocusCell(), (CellId{39, 3}));
    EXPECT_TRUE(g->geometry().isCellVisible(39, 3));
    QTest::keyClick(g.get(), Qt::Key_PageDown); // cannot scroll further
    EXPECT_EQ(g->GetFocusCell(), (CellId{39, 3}));
    QTest::keyClick(g.get(), Qt::Key_Home);
    EXPECT_EQ(g->GetFocusCell(), (CellId{1, 3}));
    EXPECT_EQ(g->geometry().vScrollPos(), 0);
}

TEST(CGridCtrl, MovingOffScreenScrollsTheNewCellIntoView) {
    auto g = makeTable(40, {800, 28 + 100});
    g->SetFocusCell(4, 1);
    QTest::keyClick(g.get(), Qt::Key_Down); // row 5 is only partly shown: still visible
    QTest::keyClick(g.get(), Qt::Key_Down); // row 6 is not shown at all
    EXPECT_EQ(g->GetFocusCell(), (CellId{6, 1}));
    EXPECT_TRUE(g->geometry().isCellVisible(6, 1));
    EXPECT_GT(g->geometry().topLeftNonFixed().row, 1);
}

TEST(CGridCtrl, TabStaysInTheGridOnlyWithAFocusCellAndWithoutCtrl) {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* grid = new CGridCtrl(5, 4, 1, 1);
    auto* after = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(after);
    form.resize(500, 300);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());
    grid->SetFocusCell(1, 1);

    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(grid->GetFocusCell(), (CellId{1, 2}));

    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(grid->GetFocusCell(), (CellId{1, 2}));

    // Without a focus cell Tab moves on to the next control.
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());
    grid->SetFocusCell(-1, -1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_FALSE(grid->GetFocusCell().isValid());
}

TEST(CGridCtrl, WheelScrollsByTheConfiguredLines) {
    struct Case {
        const char* name;
        int lines;
        std::vector<int> deltas;
        int topRow;
    } cases[] = {
        {"three lines per notch", 3, {-120}, 4},
        {"unset means three", 0, {-120}, 4},
        {"below one step: nothing", 3, {-39}, 1},
        {"small deltas never add up", 3, {-39, -39, -39, -39}, 1},
        {"one step", 3, {-40}, 2},
        {"two notches then one back", 3, {-240, 120}, 4},
        {"five lines", 5, {-120}, 6},
        {"a page per notch", -1, {-120}, 5},
        {"a page needs a full notch", -1, {-119}, 1},
    };
    const int saved = QApplication::wheelScrollLines();
    for (const Case& c : cases) {
        // Qt keeps no "page per notch" value, so that one is given to the grid directly.
        QApplication::setWheelScrollLines(c.lines == -1 ? 3 : c.lines);
        auto g = makeTable(60, {800, 28 + 100});
        if (c.lines == -1)
            g->setWheelScrollLines(-1);
        g->SetFocusCell(2, 2);
        for (int d : c.deltas)
            wheel(*g, d);
        EXPECT_EQ(g->geometry().topLeftNonFixed().row, c.topRow) << c.name;
        EXPECT_EQ(g->GetFocusCell(), (CellId{2, 2})) << c.name;
        EXPECT_EQ(g->verticalScrollBar()->value(), g->geometry().vScrollPos()) << c.name;
    }
    QApplication::setWheelScrollLines(saved);
}

// A grid with nothing (left) to scroll passes the wheel on, so the window around it scrolls.
TEST(CGridCtrl, WheelGoesToTheParentWhenTheGridCannotScroll) {
    auto sendWheel = [](CGridCtrl& g, int delta) {
        const QPoint p = centreOf(g, g.fixedRowCount(), g.fixedColumnCount());
        QWheelEvent ev(QPointF(p), QPointF(g.viewport()->mapToGlobal(p)), QPoint(),
                       QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g.viewport(), &ev);
        return ev.isAccepted();
    };
    auto fits = makeTable(17, {800, 400});
    EXPECT_FALSE(sendWheel(*fits, -120));
    auto tall = makeTable(60, {800, 28 + 100});
    EXPECT_FALSE(sendWheel(*tall, 120)); // already at the top
    EXPECT_TRUE(sendWheel(*tall, -120));
    EXPECT_EQ(tall->geometry().topLeftNonFixed().row, 4);
}

TEST(CGridCtrl, ResizeCursorOnlyWhileResizingIsAllowed) {
    auto g = makeTable();
    const QPoint border(g->cellRect(0, 2).right(), 10);
    const QPoint rowBorder(10, g->cellRect(3, 0).bottom());

    g->SetResizing(false, false);
    moveMouse(*g, border);
    EXPECT_NE(g->viewport()->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None);
    moveMouse(*g, rowBorder);
    EXPECT_NE(g->viewport()->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None);
    // Pressing there does not resize either.
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, border);
    EXPECT_NE(g->mouseMode(), CGridCtrl::MouseMode::ResizingColumn);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, border);

    g->SetResizing(true, true);
    moveMouse(*g, border);
    // The grid shows the cursor; its viewport shows the same.
    EXPECT_EQ(g->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(g->viewport()->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::ColumnResizePending);
    moveMouse(*g, rowBorder);
    EXPECT_EQ(g->cursor().shape(), Qt::SizeVerCursor);
    EXPECT_EQ(g->viewport()->cursor().shape(), Qt::SizeVerCursor);
    moveMouse(*g, centreOf(*g, 4, 4));
    EXPECT_EQ(g->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(g->viewport()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None);

    // Leaving the cells from a border drops the resize cursor too.
    moveMouse(*g, border);
    ASSERT_EQ(g->mouseMode(), CGridCtrl::MouseMode::ColumnResizePending);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(g->viewport(), &leave);
    EXPECT_EQ(g->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None);
}

TEST(CGridCtrl, DraggingABorderResizes) {
    auto g = makeTable();
    QSignalSpy edit(g.get(), &CGridCtrl::beginEdit);

    // Column 2's right border, grabbed just right of it (the hot zone of column 3's left edge).
    const QPoint down(g->cellRect(0, 3).left() + 1, 10);
    moveMouse(*g, down);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, down);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::ResizingColumn);
    moveMouse(*g, down + QPoint(35, 0), Qt::LeftButton);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, down + QPoint(35, 0));
    EXPECT_EQ(g->GetColumnWidth(2), 135);
    EXPECT_EQ(g->GetColumnWidth(3), 100);
    EXPECT_EQ(g->GetTotalWidth(), 825);

    // Row 4 made smaller.
    const QPoint rowDown(10, g->cellRect(4, 0).bottom());
    moveMouse(*g, rowDown);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, rowDown);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::ResizingRow);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, rowDown - QPoint(0, 6));
    EXPECT_EQ(g->GetRowHeight(4), 15);

    // A release where it was pressed changes nothing.
    const QPoint still(g->cellRect(0, 5).right(), 10);
    moveMouse(*g, still);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, still);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, still);
    EXPECT_EQ(g->GetColumnWidth(5), 70);

    EXPECT_EQ(edit.count(), 0);
    EXPECT_EQ(g->mouseMode(), CGridCtrl::MouseMode::None);
}

TEST(CGridCtrl, ResizeLineIsDrawnInverted) {
    auto g = makeTable();
    const QPoint down(g->cellRect(0, 1).right(), 10);
    const QPoint probe(down.x() + 20, g->cellRect(4, 2).center().y());
    const QImage before = g->viewport()->grab().toImage();
    moveMouse(*g, down);
    QTest::mousePress(g->viewport(), Qt::LeftButton, Qt::NoModifier, down);
    moveMouse(*g, QPoint(probe.x(), 10), Qt::LeftButton);
    const QImage during = g->viewport()->grab().toImage();
    for (int dx : {0, 1}) {
        const QColor plain = before.pixelColor(probe + QPoint(dx, 0));
        const QColor line = during.pixelColor(probe + QPoint(dx, 0));
        EXPECT_EQ(line.red(), 255 - plain.red()) << dx;
        EXPECT_EQ(line.blue(), 255 - plain.blue()) << dx;
    }
    EXPECT_EQ(during.pixelColor(probe + QPoint(2, 0)), before.pixelColor(probe + QPoint(2, 0)));
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(probe.x(), 10));
    EXPECT_EQ(g->GetColumnWidth(1), 120);
}

TEST(CGridCtrl, OutOfRangeOperationsAreRefused) {
    auto g = makeTable();
    GridItem item;
    item.row = 17;
    item.col = 0;
    item.mask = GridMask::Text;
    item.text = QStringLiteral("x");
    const std::pair<const char*, std::function<bool()>> ops[] = {
        {"SetRowCount -1", [&] { return g->SetRowCount(-1); }},
        {"SetColumnCount -1", [&] { return g->SetColumnCount(-1); }},
        {"SetFixedRowCount -1", [&] { return g->SetFixedRowCount(-1); }},
        {"SetFixedColumnCount -1", [&] { return g->SetFixedColumnCount(-1); }},
        {"SetRowCount huge", [&] { return g->SetRowCount(2000000000); }},
        {"SetItem row 17", [&] { return g->SetItem(item); }},
        {"SetItemText col 10", [&] { return g->SetItemText(1, 10, QStringLiteral("x")); }},
        {"SetItemText row -1", [&] { return g->SetItemText(-1, 1, QStringLiteral("x")); }},
        {"SetItemState", [&] { return g->SetItemState(17, 1, GridState::ReadOnly); }},
        {"SetItemTextColour", [&] { return g->SetItemTextColour(1, -1, 0); }},
        {"SetRowHeight row", [&] { return g->SetRowHeight(17, 10); }},
        {"SetRowHeight negative", [&] { return g->SetRowHeight(1, -1); }},
        {"SetColumnWidth col", [&] { return g->SetColumnWidth(10, 10); }},
        {"SetColumnWidth negative", [&] { return g->SetColumnWidth(1, -5); }},
        {"RedrawRow", [&] { return g->RedrawRow(17); }},
        {"SetFocusCell", [&] { return g->SetFocusCell(3, 10); }},
        {"SetFocusCell half", [&] { return g->SetFocusCell(-1, 3); }},
        {"EditCell", [&] { return g->EditCell(17, 1); }},
    };
    for (const auto& [name, op] : ops)
        EXPECT_FALSE(op()) << name;
    EXPECT_EQ(g->rowCount(), 17);
    EXPECT_EQ(g->columnCount(), 10);
    EXPECT_EQ(g->GetRowHeight(17), -1);
    EXPECT_EQ(g->GetColumnWidth(-1), -1);
    EXPECT_EQ(g->GetRowHeight(1), 21);
    EXPECT_EQ(g->GetItemText(17, 1), QString());
    EXPECT_EQ(g->GetItemState(17, 1), 0u);
    EXPECT_FALSE(g->GetFocusCell().isValid());
    QTest::qWait(0);
}

TEST(CGridCtrl, ShrinkingDropsTheFocusAndSelectionOfRemovedCells) {
    auto g = makeTable();
    g->SetSelectedRange(10, 1, 16, 9);
    g->SetFocusCell(12, 4);
    QSignalSpy leaving(g.get(), &CGridCtrl::focusLeaving);
    ASSERT_TRUE(g->SetRowCount(10));
    EXPECT_FALSE(g->GetFocusCell().isValid());
    EXPECT_EQ(leaving.count(), 1);
    EXPECT_EQ(g->selectedCount(), 0);
    // Growing again brings fresh cells.
    ASSERT_TRUE(g->SetRowCount(17));
    EXPECT_EQ(g->GetItemState(12, 4), 0u);
    EXPECT_EQ(g->GetItemText(12, 4), QString());
    EXPECT_EQ(g->GetRowHeight(12), g->defaultRowHeight());

    // A focus in a kept row stays; fixed counts follow the new size.
    g->SetFocusCell(3, 3);
    ASSERT_TRUE(g->SetRowCount(5));
    EXPECT_EQ(g->GetFocusCell(), (CellId{3, 3}));
    ASSERT_TRUE(g->SetColumnCount(3));
    EXPECT_FALSE(g->GetFocusCell().isValid());
    ASSERT_TRUE(g->SetRowCount(0));
    EXPECT_EQ(g->fixedRowCount(), 0);
}

TEST(CGridCtrl, FixedCountsGrowTheGridAndPushTheFocusOut) {
    CGridCtrl g;
    EXPECT_TRUE(g.SetFixedRowCount(2));
    EXPECT_EQ(g.rowCount(), 2);
    EXPECT_TRUE(g.SetRowCount(6));
    EXPECT_TRUE(g.SetColumnCount(4));
    EXPECT_TRUE(g.SetFocusCell(2, 1));
    EXPECT_TRUE(g.SetFixedRowCount(3));
    EXPECT_FALSE(g.GetFocusCell().isValid());
    EXPECT_EQ(g.GetFixedRowHeight(), 3 * g.defaultRowHeight());
    EXPECT_EQ(g.GetTotalWidth(), 4 * g.defaultColumnWidth());
}

TEST(CGridCtrl, FocusNotificationsComeBeforeAndAfterTheChange) {
    auto g = makeTable();
    g->SetFocusCell(2, 2);
    bool leavingOk = false;
    bool arrivedOk = false;
    QObject::connect(g.get(), &CGridCtrl::focusLeaving, [&](const GridNotify& n) {
        leavingOk = n.code == kGridFocusLeaving && n.item.row == 2 &&
                    g->GetFocusCell() == CellId{2, 2} &&
                    (g->GetItemState(2, 2) & GridState::Focused);
    });
    QObject::connect(g.get(), &CGridCtrl::focusArrived, [&](const GridNotify& n) {
        arrivedOk = n.code == kGridFocusArrived && n.item.row == 5 && n.item.col == 6 &&
                    (g->GetItemState(5, 6) & GridState::Focused) &&
                    !(g->GetItemState(2, 2) & GridState::Focused);
    });
    EXPECT_TRUE(g->SetFocusCell(5, 6));
    EXPECT_TRUE(leavingOk);
    EXPECT_TRUE(arrivedOk);
    EXPECT_EQ(g->storedCellRect(), g->cellRect(5, 6));
}

TEST(CGridCtrl, SetItemCopiesOnlyTheMaskedAttributes) {
    auto g = makeTable();
    g->SetItemTextColour(1, 1, 0x0000FF);
    GridItem item;
    item.row = 1;
    item.col = 1;
    item.mask = 0x41;
    item.text = QStringLiteral("abc");
    item.format = 0x25;
    item.textColour = 0x00FF00;
    item.state = GridState::ReadOnly;
    ASSERT_TRUE(g->SetItem(item));
    EXPECT_EQ(g->GetItemText(1, 1), QStringLiteral("abc"));
    EXPECT_EQ(g->GetItemFormat(1, 1), 0x25u);
    EXPECT_EQ(g->GetItemTextColour(1, 1), 0x0000FFu);
    EXPECT_EQ(g->GetItemState(1, 1), 0u);

    item.mask = GridMask::State | GridMask::TextColour | GridMask::BkColour;
    item.state = GridState::Selected | GridState::ReadOnly;
    item.bkColour = 0x123456;
    ASSERT_TRUE(g->SetItem(item));
    EXPECT_TRUE(g->isCellSelected(1, 1));
    GridItem back;
    back.row = 1;
    back.col = 1;
    back.mask = GridMask::All;
    ASSERT_TRUE(g->GetItem(back));
    EXPECT_EQ(back.state, GridState::Selected | GridState::ReadOnly);
    EXPECT_EQ(back.textColour, 0x00FF00u);
    EXPECT_EQ(back.bkColour, 0x123456u);
    EXPECT_EQ(back.format, 0x25u);
    EXPECT_EQ(back.text, QStringLiteral("abc"));
}

TEST(CGridCtrl, TextFormatsMapToQtFlags) {
    struct Case {
        unsigned format;
        int flags;
    } cases[] = {
        {0x00, Qt::AlignLeft | Qt::AlignTop},
        {0x25, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine},
        {0x2A, Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine},
        {0x21, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine},
        {0x40, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs},
        {0x8025, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine},
    };
    for (const Case& c : cases)
        EXPECT_EQ(textFlagsFromFormat(c.format), c.flags) << std::hex << c.format;
}

TEST(CGridCtrl, ColourRefsAreBlueGreenRed) {
    EXPECT_EQ(colourRefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(colorFromColourRef(0x563412u), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(CGridCtrl::SystemGreyTextColour(), colourRefFromColor(QApplication::palette().color(
                                                     QPalette::Disabled, QPalette::Text)));
}

// Renders the viewport into an image first filled with a colour no cell uses.
QImage renderOver(CGridCtrl& g, QColor sentinel) {
    QImage img(g.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(sentinel);
    g.viewport()->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

TEST(CGridCtrl, EditorActiveLeavesTheStoredRectangleUnpainted) {
    auto g = makeTable();
    g->SetFocusCell(3, 2);
    ASSERT_TRUE(g->EditCell(3, 2));
    const QRect stored = g->storedCellRect();
    ASSERT_FALSE(stored.isEmpty());
    const QColor sentinel(255, 0, 255);

    g->editorActive = true;
    QImage img = renderOver(*g, sentinel);
    for (int y = stored.top(); y <= stored.bottom(); ++y)
        for (int x = stored.left(); x <= stored.right(); ++x)
            ASSERT_EQ(img.pixelColor(x, y), sentinel) << x << "," << y;
    // Everything around it is painted.
    EXPECT_NE(img.pixelColor(stored.left() - 1, stored.center().y()), sentinel);
    EXPECT_NE(img.pixelColor(stored.center().x(), stored.bottom() + 1), sentinel);
    EXPECT_NE(img.pixelColor(stored.center().x(), stored.top() - 1), sentinel);

    // The same on the real window: a red cell background does not show through the editor.
    g->SetItemBkColour(3, 2, 0x0000FF);
    g->SetItemBkColour(3, 3, 0x0000FF);
    g->viewport()->repaint();
    const QImage before = g->viewport()->grab().toImage();
    EXPECT_NE(before.pixelColor(stored.center()), QColor(Qt::red));
    EXPECT_EQ(before.pixelColor(g->cellRect(3, 3).center() + QPoint(30, 0)), QColor(Qt::red));

    g->editorActive = false;
    img = renderOver(*g, sentinel);
    EXPECT_EQ(img.pixelColor(stored.center() + QPoint(30, 0)), QColor(Qt::red));
}

TEST(CGridCtrl, ColoursFollowThePaletteUnlessSet) {
    auto g = makeTable();
    g->setTextColour(QColor(1, 2, 3));
    QPalette pal = g->palette();
    pal.setColor(QPalette::Base, QColor(10, 20, 30));
    pal.setColor(QPalette::Text, QColor(40, 50, 60));
    pal.setColor(QPalette::Button, QColor(70, 80, 90));
    g->setPalette(pal);
    EXPECT_EQ(g->textBkColour(), QColor(10, 20, 30));
    EXPECT_EQ(g->fixedBkColour(), QColor(70, 80, 90));
    EXPECT_EQ(g->textColour(), QColor(1, 2, 3)); // set by the owner: kept

    const QImage shot = g->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(g->cellRect(2, 2).topLeft() + QPoint(2, 2)), QColor(10, 20, 30));
    EXPECT_EQ(shot.pixelColor(g->cellRect(0, 2).center().x(), g->cellRect(0, 2).bottom() - 2),
              QColor(70, 80, 90));
}

TEST(CGridCtrl, GridLinesRunBetweenEveryCellInTheirColour) {
    auto g = makeTable();
    g->setGridLineColour(QColor(0, 128, 0));
    const QImage shot = g->viewport()->grab().toImage();
    const QColor green(0, 128, 0);
    for (const CellId cell : {CellId{4, 6}, CellId{0, 6}, CellId{4, 0}}) {
        const QRect r = g->cellRect(cell.row, cell.col);
        EXPECT_EQ(shot.pixelColor(r.left() + 5, r.bottom()), green) << cell.row << "," << cell.col;
        EXPECT_EQ(shot.pixelColor(r.right(), r.top() + 5), green) << cell.row << "," << cell.col;
        EXPECT_NE(shot.pixelColor(r.center()), green) << cell.row << "," << cell.col;
    }
}

TEST(CGridCtrl, SetFontReachesEveryCellAndTheDefaultSizes) {
    CGridCtrl g(3, 3, 1, 1);
    QFont big = g.GetFont();
    big.setPixelSize(40);
    g.SetFont(big);
    GridItem item;
    item.row = 2;
    item.col = 2;
    item.mask = GridMask::Font;
    ASSERT_TRUE(g.GetItem(item));
    EXPECT_EQ(item.font.pixelSize(), 40);
    const QFontMetrics fm(big);
    const int m = fm.horizontalAdvance(QLatin1Char(' '));
    EXPECT_EQ(g.defaultRowHeight(), fm.height() + fm.leading() + 2 * m);
    EXPECT_EQ(g.defaultColumnWidth(), 2 * (m + 6 * fm.averageCharWidth()));
    g.SetRowCount(4);
    EXPECT_EQ(g.GetRowHeight(3), g.defaultRowHeight());
    EXPECT_EQ(g.GetItemText(3, 1), QString());
    item.row = 3;
    ASSERT_TRUE(g.GetItem(item));
    EXPECT_EQ(item.font.pixelSize(), 40); // new cells take the grid's font
}

TEST(CGridCtrl, WidgetFontIsTheGridFont) {
    // Qt's font property is the grid's font message: setting it, on the grid or through its
    // parent, reaches every cell and the default sizes; SetFont is read back by font().
    struct Case {
        const char* name;
        bool throughParent;
    } cases[] = {{"on the grid", false}, {"from the parent", true}};
    for (const Case& c : cases) {
        QWidget parent;
        auto* g = new CGridCtrl(3, 3, 1, 1, &parent);
        QFont big = g->GetFont();
        big.setPixelSize(37);
        if (c.throughParent)
            parent.setFont(big);
        else
            g->setFont(big);
        EXPECT_EQ(g->GetFont().pixelSize(), 37) << c.name;
        GridItem item;
        item.row = 2;
        item.col = 1;
        item.mask = GridMask::Font;
        ASSERT_TRUE(g->GetItem(item));
        EXPECT_EQ(item.font.pixelSize(), 37) << c.name;
        const QFontMetrics fm(g->GetFont());
        EXPECT_EQ(g->defaultRowHeight(),
                  fm.height() + fm.leading() + 2 * fm.horizontalAdvance(QLatin1Char(' ')))
            << c.name;
    }
    CGridCtrl g(2, 2);
    QFont small = g.GetFont();
    small.setPixelSize(9);
    g.SetFont(small);
    EXPECT_EQ(g.font().pixelSize(), 9);
    EXPECT_EQ(g.GetFont().pixelSize(), 9);
}

TEST(CGridCtrl, PrintsHeaderAndRowsIntoAPdf) {
    auto g = makeTable();
    g->SetItemText(0, 1, QStringLiteral("RxFreq"));
    g->SetItemText(3, 1, QStringLiteral("435.12500"));
    g->SetItemText(7, 1, QStringLiteral("446.00625"));
    g->SetItemText(5, 1, QStringLiteral("NOTPRINTED"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grid.pdf"));
    {
        QPdfWriter pdf(path);
        QPainter p(&pdf);
        const int w = g->GetTotalWidth() + 80;
        p.setWindow(0, 0, w, w * pdf.height() / pdf.width());
        p.setViewport(0, 0, pdf.width(), pdf.height());
        g->PrintFixedRows(p);
        p.translate(0, g->GetFixedRowHeight());
        EXPECT_TRUE(g->PrintRow(p, 3));
        p.translate(0, g->GetRowHeight(3));
        EXPECT_TRUE(g->PrintRow(p, 7));
        EXPECT_FALSE(g->PrintRow(p, 17));
    }
    QProcess proc;
    proc.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    ASSERT_TRUE(proc.waitForFinished(20000));
    const QString text = QString::fromUtf8(proc.readAllStandardOutput());
    const int header = text.indexOf(QStringLiteral("RxFreq"));
    const int row3 = text.indexOf(QStringLiteral("435.12500"));
    const int row7 = text.indexOf(QStringLiteral("446.00625"));
    EXPECT_GE(header, 0) << text.toStdString();
    EXPECT_GT(row3, header);
    EXPECT_GT(row7, row3);
    EXPECT_EQ(text.indexOf(QStringLiteral("NOTPRINTED")), -1);
}

TEST(CGridCtrl, PrintDrawsAtThePainterOrigin) {
    auto g = makeTable();
    g->setGridLineColour(QColor(0, 0, 255));
    QImage img(900, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.translate(10, 50);
        g->PrintRow(p, 2);
    }
    const QColor blue(0, 0, 255);
    EXPECT_EQ(img.pixelColor(10, 60), blue);               // outer left edge
    EXPECT_EQ(img.pixelColor(10 + 39, 60), blue);          // after column 0
    EXPECT_EQ(img.pixelColor(10 + 789, 60), blue);         // after the last column
    EXPECT_EQ(img.pixelColor(100, 50 + 20), blue);         // bottom line
    EXPECT_EQ(img.pixelColor(100, 49), QColor(Qt::white)); // nothing above the origin
    EXPECT_EQ(img.pixelColor(10 + 791, 60), QColor(Qt::white));
}

TEST(CGridCtrl, LargeGridScrollBarsCountPixels) {
    auto g = std::make_unique<CGridCtrl>(100000, 10, 1, 1);
    g->resize(700, 400);
    g->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g.get()));
    const int rowH = g->defaultRowHeight();
    EXPECT_EQ(g->verticalScrollBar()->maximum(), g->geometry().vScrollMax());
    EXPECT_GT(g->verticalScrollBar()->maximum(), 99990 * rowH - 400);
    g->verticalScrollBar()->setValue(50000 * rowH);
    EXPECT_EQ(g->geometry().topLeftNonFixed().row, 50001);
    // The arrow of the scroll bar moves by one row.
    g->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(g->geometry().topLeftNonFixed().row, 50002);
    EXPECT_EQ(g->verticalScrollBar()->value(), 50001 * rowH);
}

} // namespace
} // namespace orvik
