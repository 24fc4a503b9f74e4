// The grid's painting: repaint requests, the cells drawn with their focus and warning marks, and
// rows printed at a painter's origin.

#include "gui/grid/CGridCtrl.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace orvik {

namespace {
constexpr int kTextMargin = 3;
} // namespace

// ---- repainting ----------------------------------------------------------------------------

void CGridCtrl::SetRedraw(bool allowed, bool resetBars) {
    redrawAllowed = allowed;
    if (resetBars)
        resetScrollBars();
    if (allowed)
        viewport()->update();
}

void CGridCtrl::repaintAll() {
    if (redrawAllowed)
        viewport()->update();
}

void CGridCtrl::repaintCell(int row, int col) {
    if (!redrawAllowed || !isValid(row, col))
        return;
    const QRect r = geo.cellRect(row, col);
    if (r.intersects(viewport()->rect()))
        viewport()->update(r);
}

void CGridCtrl::repaintFixedOf(int row, int col) {
    for (int r = 0; r < fixedRowCount(); ++r)
        repaintCell(r, col);
    for (int c = 0; c < fixedColumnCount(); ++c)
        repaintCell(row, c);
}

bool CGridCtrl::RedrawRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    if (redrawAllowed && columnCount() > 0) {
        const QRect r = geo.cellRect(row, 0);
        viewport()->update(QRect(0, r.top(), viewport()->width(), r.height()));
    }
    return true;
}

bool CGridCtrl::RedrawCell(int row, int col) {
    if (!isValid(row, col))
        return false;
    repaintCell(row, col);
    return true;
}

// ---- drawing ----------------------------------------------------------------------------------

void CGridCtrl::drawCell(QPainter& p, int row, int col, const QRect& rect, bool printing) const {
    const Cell& cell = cells[size_t(row)][size_t(col)];
    const bool fixed = isFixed(row, col);
    QColor bk;
    QColor fg;
    if (fixed) {
        bk = cell.bkColour == kGridDefaultColour ? colours[FixedBkC]
                                                 : colorFromColourRef(cell.bkColour);
        fg = cell.textColour == kGridDefaultColour ? colours[FixedTextC]
                                                   : colorFromColourRef(cell.textColour);
    } else {
        bk = cell.bkColour == kGridDefaultColour ? colours[BkC] : colorFromColourRef(cell.bkColour);
        fg = cell.textColour == kGridDefaultColour ? colours[TextC]
                                                   : colorFromColourRef(cell.textColour);
    }
    const bool isSelected = !printing && !fixed && (cell.state & GridState::Selected);
    if (isSelected) {
        bk = palette().color(QPalette::Active, QPalette::Highlight);
        fg = palette().color(QPalette::Active, QPalette::HighlightedText);
    }
    p.fillRect(rect, bk);

    // Lines sit on the last pixel row and column of each cell.
    const QColor line = colours[LineC];
    p.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), line);
    p.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), line);
    if (fixed && !printing && rect.width() > 2 && rect.height() > 2) {
        const QColor light = palette().color(QPalette::Active, QPalette::Light);
        p.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), light);
        p.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), light);
    }

    if (!cell.text.isEmpty()) {
        QFont f = cell.font;
        if (printing) {
            // Paper units follow the screen's pixels, so the font is sized in them too.
            f.setPixelSize(std::max(1, QFontInfo(cell.font).pixelSize()));
        } else if (fixed && focus.isValid() &&
                   ((row < fixedRowCount() && col == focus.col) ||
                    (col < fixedColumnCount() && row == focus.row))) {
            f.setBold(true);
        }
        p.setFont(f);
        p.setPen(fg);
        const QRect textRect = rect.adjusted(kTextMargin, 0, -kTextMargin - 1, -1);
        QString text = cell.text;
        if ((cell.format & GridFormat::EndEllipsis) && (cell.format & GridFormat::SingleLine))
            text = QFontMetrics(f, p.device()).elidedText(text, Qt::ElideRight, textRect.width());
        p.drawText(textRect, textFlagsFromFormat(cell.format), text);
    }

    if (!printing && !fixed && focus.row == row && focus.col == col)
        drawFocusMark(p, rect, isSelected, fg);
    if (!printing && !cell.warning.isEmpty())
        drawWarningMark(p, rect);
}

// An amber triangle with a dark edge, readable on light and dark backgrounds alike, in the top
// corner at the end of the text (the left one when the grid is mirrored).
void CGridCtrl::drawWarningMark(QPainter& p, const QRect& rect) const {
    const int size = std::min({rect.height() / 2, rect.width() / 3, 10});
    if (size < 4)
        return;
    const bool mirrored = isRightToLeft();
    const int edge = mirrored ? rect.left() + 1 : rect.right() - 1;
    const int inward = mirrored ? size : -size;
    const QPointF corner[3] = {QPointF(edge, rect.top() + 1),
                               QPointF(edge + inward, rect.top() + 1),
                               QPointF(edge, rect.top() + 1 + size)};
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x00), 1));
    p.setBrush(QColor(0xff, 0xb0, 0x20));
    p.drawPolygon(corner, 3);
    p.restore();
}

// A two-pixel frame inside the focus cell: in the text colour on a selected cell, else in the
// highlight colour while the grid has the keyboard focus.
void CGridCtrl::drawFocusMark(QPainter& p, const QRect& rect, bool isSelected,
                              const QColor& fg) const {
    const QColor mark =
        isSelected
            ? fg
            : palette().color(QPalette::Active, hasFocus() ? QPalette::Highlight : QPalette::Mid);
    const QRect inner = rect.adjusted(0, 0, -1, -1);
    if (inner.width() < 4 || inner.height() < 4)
        return;
    p.fillRect(QRect(inner.left(), inner.top(), inner.width(), 2), mark);
    p.fillRect(QRect(inner.left(), inner.bottom() - 1, inner.width(), 2), mark);
    p.fillRect(QRect(inner.left(), inner.top(), 2, inner.height()), mark);
    p.fillRect(QRect(inner.right() - 1, inner.top(), 2, inner.height()), mark);
}

void CGridCtrl::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const QRect area = viewport()->rect();
    if (editorActive && !storedRect.isEmpty())
        p.setClipRegion(QRegion(area).subtracted(QRegion(storedRect)));
    const QRect dirty = e->rect();
    p.fillRect(dirty, palette().color(QPalette::Active, QPalette::Window));
    paintCells(p, dirty);

    const int linePos = mouse.resizeLinePos();
    if (linePos >= 0) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        if (mouse.mode() == MouseMode::ResizingColumn)
            p.fillRect(QRect(linePos, 0, 2, area.height()), Qt::black);
        else if (mouse.mode() == MouseMode::ResizingRow)
            p.fillRect(QRect(0, linePos, area.width(), 2), Qt::black);
    }
}

// Paints the visible cells that meet the dirty rectangle: the data cells, then the header
// bands next to them, then the corner.
void CGridCtrl::paintCells(QPainter& p, const QRect& dirty) {
    const QRect area = viewport()->rect();
    const CellRange vis = geo.visibleNonFixedRange();
    const int fr = fixedRowCount();
    const int fc = fixedColumnCount();
    const auto paint = [&](int r, int c) {
        const QRect rect = geo.cellRect(r, c);
        if (rect.intersects(dirty))
            drawCell(p, r, c, rect, false);
    };
    if (vis.isValid()) {
        for (int r = vis.minRow; r <= vis.maxRow; ++r)
            for (int c = vis.minCol; c <= vis.maxCol; ++c)
                paint(r, c);
        for (int r = 0; r < fr; ++r)
            for (int c = vis.minCol; c <= vis.maxCol; ++c)
                paint(r, c);
        for (int r = vis.minRow; r <= vis.maxRow; ++r)
            for (int c = 0; c < fc; ++c)
                paint(r, c);
    } else {
        // Only fixed cells can show: the bands still get drawn across the viewport.
        const CellId tl = geo.topLeftNonFixed();
        for (int r = 0; r < fr; ++r)
            for (int c = tl.col; c < columnCount() && geo.cellRect(r, c).left() < area.right(); ++c)
                paint(r, c);
        for (int c = 0; c < fc; ++c)
            for (int r = tl.row; r < rowCount() && geo.cellRect(r, c).top() < area.bottom(); ++r)
                paint(r, c);
    }
    for (int r = 0; r < fr && geo.cellRect(r, 0).top() < area.bottom(); ++r)
        for (int c = 0; c < fc && geo.cellRect(r, c).left() < area.right(); ++c)
            paint(r, c);
}

// ---- printing ---------------------------------------------------------------------------------

void CGridCtrl::drawPrintRow(QPainter& p, int row, int y) const {
    const int h = GetRowHeight(row);
    int x = 0;
    for (int c = 0; c < columnCount(); ++c) {
        const int w = GetColumnWidth(c);
        drawCell(p, row, c, QRect(x, y, w, h), true);
        x += w;
    }
    // The outer left edge, which screen cells leave to the window frame.
    if (x > 0 && h > 0)
        p.fillRect(QRect(0, y, 1, h), colours[LineC]);
}

void CGridCtrl::PrintFixedRows(QPainter& painter) {
    painter.save();
    int y = 0;
    for (int r = 0; r < fixedRowCount(); ++r) {
        drawPrintRow(painter, r, y);
        y += GetRowHeight(r);
    }
    if (fixedRowCount() > 0 && GetTotalWidth() > 0)
        painter.fillRect(QRect(0, 0, GetTotalWidth(), 1), colours[LineC]);
    painter.restore();
}

bool CGridCtrl::PrintRow(QPainter& painter, int row) {
    if (row < 0 || row >= rowCount())
        return false;
    painter.save();
    drawPrintRow(painter, row, 0);
    painter.restore();
    return true;
}

} // namespace orvik
