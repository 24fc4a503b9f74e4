// The grid's scrolling and input: the scroll bars kept in step with the geometry, and the key,
// mouse, wheel and tool-tip events handed to the grid's controllers.

#include "gui/grid/CGridCtrl.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace orvik {

// ---- scrolling ------------------------------------------------------------------------------

void CGridCtrl::resetScrollBars() {
    // Decide from the room without scroll bars whether each bar is needed, so that a grid
    // that fits shows none (a bar shown once would otherwise keep itself needed).
    const QSize room = maximumViewportSize();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const auto shown = [](Qt::ScrollBarPolicy policy, bool needed) {
        return policy == Qt::ScrollBarAlwaysOn || (policy == Qt::ScrollBarAsNeeded && needed);
    };
    bool needV = geo.totalHeight() > room.height();
    bool needH =
        geo.totalWidth() > room.width() - (shown(verticalScrollBarPolicy(), needV) ? extent : 0);
    if (shown(horizontalScrollBarPolicy(), needH))
        needV = geo.totalHeight() > room.height() - extent;
    const int w = room.width() - (shown(verticalScrollBarPolicy(), needV) ? extent : 0);
    const int h = room.height() - (shown(horizontalScrollBarPolicy(), needH) ? extent : 0);
    geo.setViewportSize(w, h);
    syncScrollBars();
}

void CGridCtrl::syncScrollBars() {
    syncingBars = true;
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    v->setRange(0, geo.vScrollMax());
    v->setPageStep(std::max(1, geo.pageHeight()));
    v->setSingleStep(std::max(1, defRowHeight));
    v->setValue(geo.vScrollPos());
    h->setRange(0, geo.hScrollMax());
    h->setPageStep(std::max(1, geo.pageWidth()));
    h->setSingleStep(std::max(1, defColWidth));
    h->setValue(geo.hScrollPos());
    syncingBars = false;
}

void CGridCtrl::setScrollState(int h, int v) {
    if (geo.setScrollPos(h, v))
        repaintAll();
    syncScrollBars();
}

void CGridCtrl::setScrollPosition(int h, int v) {
    setScrollState(h, v);
}

void CGridCtrl::scrollContentsBy(int, int) {
    if (syncingBars)
        return;
    if (geo.setScrollPos(horizontalScrollBar()->value(), verticalScrollBar()->value()))
        viewport()->update();
}

void CGridCtrl::onScrollAction(Qt::Orientation o, int action) {
    const bool vertical = o == Qt::Vertical;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        vertical ? geo.lineDown() : geo.lineRight();
        break;
    case QAbstractSlider::SliderSingleStepSub:
        vertical ? geo.lineUp() : geo.lineLeft();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        vertical ? geo.pageDown() : geo.pageRight();
        break;
    case QAbstractSlider::SliderPageStepSub:
        vertical ? geo.pageUp() : geo.pageLeft();
        break;
    default:
        return; // dragging and the ends follow the slider's own pixel position
    }
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    bar->setSliderPosition(vertical ? geo.vScrollPos() : geo.hScrollPos());
    viewport()->update();
}

bool CGridCtrl::ensureVisible(int row, int col) {
    return scrollStep([row, col](GridGeometry& g) { return g.ensureVisible(row, col); });
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    geo.setMirrored(isRightToLeft());
    resetScrollBars();
}

void CGridCtrl::afterScroll() {
    repaintAll();
    syncScrollBars();
}

// ---- input: handed to the controllers ------------------------------------------------------

bool CGridCtrl::focusNextPrevChild(bool next) {
    if (keys.keepsTab())
        return false; // the grid keeps Tab and moves its focus cell
    return QAbstractScrollArea::focusNextPrevChild(next);
}

bool CGridCtrl::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (mouse.handleGridEvent(e))
            return true;
        break;
    case QEvent::ShortcutOverride: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (edit.wantsKey(k) || keys.wantsKey(k)) {
            e->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (edit.keyPress(k) || keys.tabPress(k))
            return true;
        break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        repaintCell(focus.row, focus.col);
        break;
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

QVariant CGridCtrl::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle && isValid(focus.row, focus.col)) {
        const QRect cell = cellRect(focus.row, focus.col).translated(viewport()->pos());
        if (rect().intersects(cell))
            return cell.intersected(rect());
    }
    return QAbstractScrollArea::inputMethodQuery(query);
}

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
    if (keys.keyPress(e) || edit.characterPress(e))
        return; // characters stay with the grid
    QAbstractScrollArea::keyPressEvent(e);
}

bool CGridCtrl::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::Leave)
        mouse.leave();
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const CellId cell = cellFromPoint(help->pos());
        const QString note = GetItemWarning(cell.row, cell.col);
        if (note.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), note, viewport(), cellRect(cell.row, cell.col));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        mouse.press(e);
    else
        QAbstractScrollArea::mousePressEvent(e);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
    mouse.move(e);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        mouse.release(e);
    else
        QAbstractScrollArea::mouseReleaseEvent(e);
}

void CGridCtrl::wheelEvent(QWheelEvent* e) {
    mouse.wheel(e);
}

} // namespace orvik
