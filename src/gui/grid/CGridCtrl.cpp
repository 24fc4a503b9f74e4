#include "gui/grid/CGridCtrl.h"

#include "gui/grid/GridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <new>

namespace orvik {

namespace {
constexpr int kTextMargin = 3;
} // namespace

// ---- construction ------------------------------------------------------------------

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : QAbstractScrollArea(parent) {
    InstallGridAccessibility();
    qRegisterMetaType<GridNotify>();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression, false);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    gridFont = font();
    recomputeDefaultSizes();
    readWheelLines();
    for (int i = 0; i < ColourCount; ++i) {
        rememberedSystem[i] = systemColour(ColourIndex(i));
        colours[i] = rememberedSystem[i];
    }

    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Horizontal, action); });

    SetRowCount(std::max(0, rows));
    SetColumnCount(std::max(0, cols));
    SetFixedRowCount(std::max(0, fixedRows));
    SetFixedColumnCount(std::max(0, fixedCols));
    resetScrollBars();
}

CGridCtrl::~CGridCtrl() = default;

CGridCtrl::Cell* CGridCtrl::cellAt(int row, int col) {
    if (!isValid(row, col))
        return nullptr;
    return &cells[size_t(row)][size_t(col)];
}

const CGridCtrl::Cell* CGridCtrl::cellAt(int row, int col) const {
    if (!isValid(row, col))
        return nullptr;
    return &cells[size_t(row)][size_t(col)];
}

void CGridCtrl::recomputeDefaultSizes() {
    const QFontMetrics fm(gridFont);
    const int m = fm.horizontalAdvance(QLatin1Char(' '));
    defRowHeight = fm.height() + fm.leading() + 2 * m;
    defColWidth = 2 * (m + 6 * fm.averageCharWidth());
}

void CGridCtrl::readWheelLines() {
    setWheelScrollLines(QApplication::wheelScrollLines());
}

void CGridCtrl::setWheelScrollLines(int lines) {
    wheelLines = (lines == -1 || lines > 0) ? lines : 3;
}

QColor CGridCtrl::systemColour(ColourIndex which) const {
    const QPalette& pal = palette();
    switch (which) {
    case TextC:
        return pal.color(QPalette::Active, QPalette::Text);
    case BkC:
        return pal.color(QPalette::Active, QPalette::Base);
    case LineC:
        return pal.color(QPalette::Active, QPalette::Dark);
    case FixedTextC:
        return pal.color(QPalette::Active, QPalette::WindowText);
    case FixedBkC:
    case ColourCount:
        break;
    }
    return pal.color(QPalette::Active, QPalette::Button);
}

void CGridCtrl::refreshSystemColours() {
    for (int i = 0; i < ColourCount; ++i) {
        const QColor now = systemColour(ColourIndex(i));
        if (colours[i] == rememberedSystem[i])
            colours[i] = now;
        rememberedSystem[i] = now;
    }
    repaintAll();
}

quint32 CGridCtrl::SystemGreyTextColour() {
    return colourRefFromColor(QApplication::palette().color(QPalette::Disabled, QPalette::Text));
}

// ---- size and structure --------------------------------------------------------------

bool CGridCtrl::SetRowCount(int count) {
    if (count < 0 || count > kMaxCells || qint64(count) * columnCount() > kMaxCells)
        return false;
    const int old = rowCount();
    if (count == old)
        return true;
    if (count < old) {
        if (focus.isValid() && focus.row >= count)
            SetFocusCell(-1, -1);
        cells.resize(size_t(count));
        geo.resizeRows(count, defRowHeight);
        dropSelectionOutside();
    } else {
        try {
            Cell proto;
            proto.font = gridFont;
            cells.reserve(size_t(count));
            cells.resize(size_t(count), std::vector<Cell>(size_t(columnCount()), proto));
        } catch (const std::bad_alloc&) {
            cells.resize(size_t(old));
            return false;
        }
        geo.resizeRows(count, defRowHeight);
    }
    resetScrollBars();
    repaintAll();
    return true;
}

bool CGridCtrl::SetColumnCount(int count) {
    if (count < 0 || count > kMaxCells || qint64(count) * rowCount() > kMaxCells)
        return false;
    const int old = columnCount();
    if (count == old)
        return true;
    if (count < old) {
        if (focus.isValid() && focus.col >= count)
            SetFocusCell(-1, -1);
        for (auto& row : cells)
            row.resize(size_t(count));
        geo.resizeColumns(count, defColWidth);
        dropSelectionOutside();
    } else {
        Cell proto;
        proto.font = gridFont;
        size_t done = 0;
        try {
            for (auto& row : cells) {
                row.resize(size_t(count), proto);
                ++done;
            }
        } catch (const std::bad_alloc&) {
            for (size_t i = 0; i <= done && i < cells.size(); ++i)
                cells[i].resize(size_t(old));
            return false;
        }
        geo.resizeColumns(count, defColWidth);
    }
    resetScrollBars();
    repaintAll();
    return true;
}

bool CGridCtrl::SetFixedRowCount(int count) {
    if (count < 0)
        return false;
    if (count > rowCount() && !SetRowCount(count))
        return false;
    if (focus.isValid() && focus.row < count)
        SetFocusCell(-1, -1);
    geo.setFixedRowCount(count);
    resetScrollBars();
    repaintAll();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int count) {
    if (count < 0)
        return false;
    if (count > columnCount() && !SetColumnCount(count))
        return false;
    if (focus.isValid() && focus.col < count)
        SetFocusCell(-1, -1);
    geo.setFixedColumnCount(count);
    resetScrollBars();
    repaintAll();
    return true;
}

void CGridCtrl::dropSelectionOutside() {
    const auto outside = [this](quint64 key) {
        const CellId c = cellOfKey(key);
        return !isValid(c.row, c.col);
    };
    std::erase_if(selected, outside);
    std::erase_if(prevSelected, outside);
    if (!isValid(anchor.row, anchor.col))
        anchor = {};
    mouse.cellsRemoved();
}

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (!geo.setRowHeight(row, height))
        return false;
    resetScrollBars();
    repaintAll();
    return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (!geo.setColumnWidth(col, width))
        return false;
    resetScrollBars();
    repaintAll();
    return true;
}

int CGridCtrl::GetTotalWidth() const {
    return int(std::min<qint64>(geo.totalWidth(), INT_MAX));
}

int CGridCtrl::GetTotalHeight() const {
    return int(std::min<qint64>(geo.totalHeight(), INT_MAX));
}

// ---- cells -----------------------------------------------------------------------------

bool CGridCtrl::SetItem(const GridItem& item) {
    Cell* cell = cellAt(item.row, item.col);
    if (!cell)
        return false;
    if (item.mask & GridMask::Text)
        cell->text = item.text;
    if (item.mask & GridMask::State)
        SetItemState(item.row, item.col, item.state);
    if (item.mask & GridMask::BkColour)
        cell->bkColour = item.bkColour;
    if (item.mask & GridMask::TextColour)
        cell->textColour = item.textColour;
    if (item.mask & GridMask::Format)
        cell->format = item.format;
    if (item.mask & GridMask::Font)
        cell->font = item.font;
    repaintCell(item.row, item.col);
    return true;
}

bool CGridCtrl::GetItem(GridItem& item) const {
    const Cell* cell = cellAt(item.row, item.col);
    if (!cell)
        return false;
    if (item.mask & GridMask::Text)
        item.text = cell->text;
    if (item.mask & GridMask::State)
        item.state = cell->state;
    if (item.mask & GridMask::BkColour)
        item.bkColour = cell->bkColour;
    if (item.mask & GridMask::TextColour)
        item.textColour = cell->textColour;
    if (item.mask & GridMask::Format)
        item.format = cell->format;
    if (item.mask & GridMask::Font)
        item.font = cell->font;
    return true;
}

void CGridCtrl::fillItem(int row, int col, GridItem& item) const {
    item = GridItem{};
    item.row = row;
    item.col = col;
    item.mask = GridMask::All;
    GetItem(item);
}

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    cell->text = text;
    repaintCell(row, col);
    return true;
}

QString CGridCtrl::GetItemText(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->text : QString();
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->state : 0;
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    cell->state = state;
    if (state & GridState::Selected)
        selected.insert(keyOf(row, col));
    else
        selected.erase(keyOf(row, col));
    repaintCell(row, col);
    return true;
}

bool CGridCtrl::SetItemTextColour(int row, int col, quint32 colour) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    cell->textColour = colour;
    repaintCell(row, col);
    return true;
}

quint32 CGridCtrl::GetItemTextColour(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->textColour : kGridDefaultColour;
}

bool CGridCtrl::SetItemBkColour(int row, int col, quint32 colour) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    cell->bkColour = colour;
    repaintCell(row, col);
    return true;
}

quint32 CGridCtrl::GetItemBkColour(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->bkColour : kGridDefaultColour;
}

bool CGridCtrl::SetItemFormat(int row, int col, unsigned format) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    cell->format = format;
    repaintCell(row, col);
    return true;
}

unsigned CGridCtrl::GetItemFormat(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->format : 0;
}

bool CGridCtrl::SetItemWarning(int row, int col, const QString& note) {
    Cell* cell = cellAt(row, col);
    if (!cell)
        return false;
    if (cell->warning != note) {
        cell->warning = note;
        repaintCell(row, col);
    }
    return true;
}

QString CGridCtrl::GetItemWarning(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->warning : QString();
}

// ---- flags -------------------------------------------------------------------------------

void CGridCtrl::SetResizing(bool rows, bool cols) {
    allowRowResize = rows;
    allowColResize = cols;
    mouse.resizingChanged();
}

void CGridCtrl::SetFont(const QFont& f) {
    gridFont = f;
    // The widget's own font follows, so font() answers with the grid's font.
    settingFont = true;
    setFont(f);
    settingFont = false;
    for (auto& row : cells)
        for (auto& cell : row)
            cell.font = f;
    recomputeDefaultSizes();
    repaintAll();
}

void CGridCtrl::setTextColour(const QColor& c) {
    colours[TextC] = c;
    repaintAll();
}
void CGridCtrl::setTextBkColour(const QColor& c) {
    colours[BkC] = c;
    repaintAll();
}
void CGridCtrl::setGridLineColour(const QColor& c) {
    colours[LineC] = c;
    repaintAll();
}
void CGridCtrl::setFixedTextColour(const QColor& c) {
    colours[FixedTextC] = c;
    repaintAll();
}
void CGridCtrl::setFixedBkColour(const QColor& c) {
    colours[FixedBkC] = c;
    repaintAll();
}

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

// ---- focus, selection, editing ------------------------------------------------------------

void CGridCtrl::sendNotification(int code, int row, int col) {
    GridNotify n;
    n.grid = this;
    n.controlId = ctrlId;
    n.code = code;
    fillItem(row, col, n.item);
    storedRect = geo.cellRect(row, col);
    n.rect = QRect(viewport()->mapToGlobal(storedRect.topLeft()), storedRect.size());
    switch (code) {
    case kGridBeginEdit:
        emit beginEdit(n);
        break;
    case kGridFocusLeaving:
        emit focusLeaving(n);
        break;
    case kGridFocusArrived:
        emit focusArrived(n);
        break;
    default:
        break;
    }
}

bool CGridCtrl::SetFocusCell(int row, int col) {
    const CellId next{row, col};
    if (!(next == CellId{}) && !isValid(row, col))
        return false;
    if (next == focus)
        return true;
    const CellId old = focus;
    if (isValid(old.row, old.col)) {
        sendNotification(kGridFocusLeaving, old.row, old.col);
        if (Cell* c = cellAt(old.row, old.col))
            c->state &= ~GridState::Focused;
        focus = {};
        repaintCell(old.row, old.col);
        if (old.row != next.row || old.col != next.col)
            repaintFixedOf(old.row, old.col);
    }
    focus = next;
    if (isValid(next.row, next.col)) {
        cells[size_t(next.row)][size_t(next.col)].state |= GridState::Focused;
        repaintCell(next.row, next.col);
        repaintFixedOf(next.row, next.col);
        sendNotification(kGridFocusArrived, next.row, next.col);
        // A screen reader follows the focus cell.
        const int dataCols = columnCount() - fixedColumnCount();
        if (QAccessible::isActive() && next.row >= fixedRowCount() &&
            next.col >= fixedColumnCount() && hasFocus()) {
            QAccessibleEvent event(this, QAccessible::Focus);
            event.setChild((next.row - fixedRowCount()) * dataCols + next.col - fixedColumnCount());
            QAccessible::updateAccessibility(&event);
        }
    }
    return true;
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool repaint) {
    if (!selectionEnabled)
        return;
    const CellRange range{minRow, minCol, maxRow, maxCol};
    const bool inGrid = range.isValid() && maxRow < rowCount() && maxCol < columnCount();
    bool changed = false;

    const auto previous = std::move(selected);
    selected.clear();
    for (quint64 key : previous) {
        const CellId id = cellOfKey(key);
        if (Cell* c = cellAt(id.row, id.col)) {
            c->state &= ~GridState::Selected;
            changed = changed || !(inGrid && range.contains(id.row, id.col));
        }
    }
    for (quint64 key : prevSelected) {
        const CellId id = cellOfKey(key);
        if (Cell* c = cellAt(id.row, id.col)) {
            c->state |= GridState::Selected;
            selected.insert(key);
            changed = true;
        }
    }
    if (inGrid) {
        for (int r = minRow; r <= maxRow; ++r) {
            for (int col = minCol; col <= maxCol; ++col) {
                Cell& c = cells[size_t(r)][size_t(col)];
                if (!(c.state & GridState::Selected)) {
                    c.state |= GridState::Selected;
                    selected.insert(keyOf(r, col));
                    changed = true;
                }
            }
        }
    }
    if (changed && repaint)
        repaintAll();
}

void CGridCtrl::ClearSelection() {
    for (quint64 key : selected) {
        const CellId id = cellOfKey(key);
        if (Cell* c = cellAt(id.row, id.col))
            c->state &= ~GridState::Selected;
    }
    selected.clear();
    prevSelected.clear();
    SetFocusCell(-1, -1);
    repaintAll();
}

bool CGridCtrl::isCellSelected(int row, int col) const {
    return isValid(row, col) && selected.count(keyOf(row, col)) != 0;
}

void CGridCtrl::keepSelection(bool keep) {
    if (keep)
        prevSelected = selected;
    else
        prevSelected.clear();
}

void CGridCtrl::postClicked() {
    QMetaObject::invokeMethod(
        this, [this, id = ctrlId] { emit clicked(id, this); }, Qt::QueuedConnection);
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

// ---- palette and settings ---------------------------------------------------------------------

void CGridCtrl::changeEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::FontChange:
        if (!settingFont)
            SetFont(font());
        break;
    case QEvent::StyleChange:
        readWheelLines();
        refreshSystemColours();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        refreshSystemColours();
        break;
    case QEvent::LayoutDirectionChange:
        geo.setMirrored(layoutDirection() == Qt::RightToLeft);
        viewport()->update();
        break;
    default:
        break;
    }
    QAbstractScrollArea::changeEvent(e);
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
