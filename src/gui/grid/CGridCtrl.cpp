#include "gui/grid/CGridCtrl.h"

#include "gui/grid/GridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <new>

namespace orvik {

bool IsStandardEditingKey(const QKeyEvent* key) {
    for (QKeySequence::StandardKey k :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo,
          QKeySequence::Redo, QKeySequence::Delete})
        if (key->matches(k))
            return true;
    return false;
}

namespace {
constexpr int kTextMargin = 3;
constexpr int kHorizontalLines = 1;
constexpr int kVerticalLines = 2;

bool isTabKey(const QKeyEvent* k) {
    return k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
}
bool isBackTab(const QKeyEvent* k) {
    return k->key() == Qt::Key_Backtab ||
           (k->key() == Qt::Key_Tab && (k->modifiers() & Qt::ShiftModifier));
}
bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}
bool isPlainCharacter(const QKeyEvent* k) {
    return !k->text().isEmpty() && k->text().at(0).isPrint() &&
           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
} // namespace

quint32 colourRefFromColor(const QColor& c) {
    const QColor rgb = c.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

QColor colorFromColourRef(quint32 ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

int textFlagsFromFormat(unsigned format) {
    int flags = 0;
    if (format & GridFormat::Center)
        flags |= Qt::AlignHCenter;
    else if (format & GridFormat::Right)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & GridFormat::VCenter)
        flags |= Qt::AlignVCenter;
    else if (format & GridFormat::Bottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & GridFormat::SingleLine)
        flags |= Qt::TextSingleLine;
    else if (format & GridFormat::WordBreak)
        flags |= Qt::TextWordWrap;
    if (format & GridFormat::ExpandTabs)
        flags |= Qt::TextExpandTabs;
    if (format & GridFormat::NoClip)
        flags |= Qt::TextDontClip;
    return flags;
}

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
    if (!isValid(clickDownCell.row, clickDownCell.col))
        clickDownCell = {};
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
    if (item.mask & GridMask::Image)
        cell->image = item.image;
    if (item.mask & GridMask::Param)
        cell->param = item.param;
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
    if (item.mask & GridMask::Image)
        item.image = cell->image;
    if (item.mask & GridMask::Param)
        item.param = cell->param;
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

// ---- flags -------------------------------------------------------------------------------

void CGridCtrl::SetResizing(bool rows, bool cols) {
    allowRowResize = rows;
    allowColResize = cols;
    if ((!rows && (mode == MouseMode::RowResizePending)) ||
        (!cols && (mode == MouseMode::ColumnResizePending))) {
        mode = MouseMode::None;
        unsetCursor();
    }
}

bool CGridCtrl::SetGridLines(int linesMode) {
    if (linesMode < 0 || linesMode > 3)
        return false;
    gridLines = linesMode;
    repaintAll();
    return true;
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
    if (!geo.ensureVisible(row, col))
        return false;
    repaintAll();
    syncScrollBars();
    return true;
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    resetScrollBars();
}

void CGridCtrl::wheelEvent(QWheelEvent* e) {
    const qint64 delta = e->angleDelta().y();
    if (delta == 0) {
        e->ignore();
        return;
    }
    // Each event stands on its own: a delta below one step scrolls nothing.
    const bool pages = wheelLines == -1;
    const qint64 steps = pages ? delta / 120 : delta * wheelLines / 120;
    bool moved = false;
    for (qint64 i = 0; i < std::abs(steps); ++i) {
        bool step;
        if (pages)
            step = steps > 0 ? geo.pageUp() : geo.pageDown();
        else
            step = steps > 0 ? geo.lineUp() : geo.lineDown();
        if (!step)
            break;
        moved = true;
    }
    if (moved) {
        repaintAll();
        syncScrollBars();
        e->accept();
    } else {
        // Nothing left to scroll here: the window around the grid scrolls instead, as the
        // default handling passes the wheel on to the parent.
        e->ignore();
    }
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

bool CGridCtrl::EditCell(int row, int col) {
    if (!isValid(row, col))
        return false;
    ensureVisible(row, col);
    if (!editingEnabled || (GetItemState(row, col) & GridState::ReadOnly))
        return false;
    // Headers are never edited: the owner's editors work on data cells only.
    if (row < fixedRowCount() || col < fixedColumnCount())
        return false;
    if (!geo.isCellVisible(row, col))
        return false;
    sendNotification(kGridBeginEdit, row, col);
    return true;
}

void CGridCtrl::selectFrom(CellId cell) {
    const int lastRow = rowCount() - 1;
    const int lastCol = columnCount() - 1;
    switch (mode) {
    case MouseMode::SelectAll:
        SetSelectedRange(fixedRowCount(), fixedColumnCount(), lastRow, lastCol);
        break;
    case MouseMode::SelectColumns:
        SetSelectedRange(fixedRowCount(), std::min(anchor.col, cell.col), lastRow,
                         std::max(anchor.col, cell.col));
        break;
    case MouseMode::SelectRows:
        SetSelectedRange(std::min(anchor.row, cell.row), fixedColumnCount(),
                         std::max(anchor.row, cell.row), lastCol);
        break;
    case MouseMode::SelectCells:
        if (cell.row < fixedRowCount() || cell.col < fixedColumnCount())
            return;
        SetSelectedRange(std::min(anchor.row, cell.row), std::min(anchor.col, cell.col),
                         std::max(anchor.row, cell.row), std::max(anchor.col, cell.col));
        break;
    default:
        break;
    }
}

// ---- keyboard ---------------------------------------------------------------------------------

bool CGridCtrl::focusNextPrevChild(bool next) {
    const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    if (tabHandled && !ctrl && focus.isValid() && hasFocus())
        return false; // the grid keeps Tab and moves its focus cell
    return QAbstractScrollArea::focusNextPrevChild(next);
}

bool CGridCtrl::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        // Mouse input given to the grid itself rather than to its viewport (the frame, or a
        // caller that sends it here) is handled as the viewport's at the same place. Only
        // events the handlers always accept are taken, so none comes back up from the viewport.
        auto* m = static_cast<QMouseEvent*>(e);
        if (e->type() != QEvent::MouseMove && m->button() != Qt::LeftButton)
            break;
        QMouseEvent mapped(e->type(), viewport()->mapFrom(this, m->position()), m->scenePosition(),
                           m->globalPosition(), m->button(), m->buttons(), m->modifiers(),
                           m->pointingDevice());
        if (e->type() == QEvent::MouseButtonRelease)
            mouseReleaseEvent(&mapped);
        else if (e->type() == QEvent::MouseMove)
            mouseMoveEvent(&mapped);
        else
            mousePressEvent(&mapped);
        e->accept();
        return true;
    }
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(e);
        if (w->angleDelta().y() == 0)
            break;
        wheelEvent(w);
        return true;
    }
    case QEvent::ShortcutOverride: {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool ctrl = k->modifiers() & Qt::ControlModifier;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || isNavigationKey(k->key()) ||
            isPlainCharacter(k) || (isTabKey(k) && tabHandled && !ctrl) ||
            IsStandardEditingKey(k)) {
            e->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            EditCell(focus.row, focus.col);
            return true;
        }
        if (IsStandardEditingKey(k)) {
            if (editingKeyHandler && editingKeyHandler(k)) {
                e->accept();
                return true;
            }
            // The grid only shows text: copy puts the focus cell's text on the clipboard, the
            // other editing keys change nothing.
            if (k->matches(QKeySequence::Copy) && isValid(focus.row, focus.col))
                QGuiApplication::clipboard()->setText(GetItemText(focus.row, focus.col));
            e->accept();
            return true;
        }
        if (isTabKey(k)) {
            const bool ctrl = k->modifiers() & Qt::ControlModifier;
            if (tabHandled && !ctrl && focus.isValid()) {
                keyPressEvent(k);
                return true;
            }
            if (ctrl && !(k->modifiers() & Qt::AltModifier)) {
                QAbstractScrollArea::focusNextPrevChild(!isBackTab(k));
                return true;
            }
        }
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

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
    if (handleKey(e))
        return;
    if (isPlainCharacter(e)) {
        e->accept(); // characters stay with the grid
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

bool CGridCtrl::handleKey(QKeyEvent* e) {
    if (!isValid(focus.row, focus.col))
        return false;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool tab = isTabKey(e);
    const int lastRow = rowCount() - 1;
    const int lastCol = columnCount() - 1;
    const int firstRow = fixedRowCount();
    const int firstCol = fixedColumnCount();
    CellId next = focus;

    if (tab && !isBackTab(e)) {
        if (next.col < lastCol) {
            ++next.col;
        } else if (next.row < lastRow) {
            ++next.row;
            next.col = firstCol;
        }
    } else if (tab) {
        if (next.col > firstCol) {
            --next.col;
        } else if (next.col == firstCol && next.row > firstRow) {
            --next.row;
            next.col = lastCol;
        }
    } else {
        switch (e->key()) {
        case Qt::Key_Down:
            if (next.row < lastRow)
                ++next.row;
            break;
        case Qt::Key_Up:
            if (next.row > firstRow)
                --next.row;
            break;
        case Qt::Key_Right:
            if (next.col < lastCol)
                ++next.col;
            break;
        case Qt::Key_Left:
            if (next.col > firstCol)
                --next.col;
            break;
        case Qt::Key_PageDown: {
            const int before = geo.topLeftNonFixed().row;
            if (geo.pageDown()) {
                repaintAll();
                syncScrollBars();
            }
            const int scrolled = geo.topLeftNonFixed().row - before;
            next.row = scrolled > 0 ? std::min(lastRow, next.row + scrolled) : lastRow;
            break;
        }
        case Qt::Key_PageUp: {
            const int before = geo.topLeftNonFixed().row;
            if (geo.pageUp()) {
                repaintAll();
                syncScrollBars();
            }
            const int scrolled = before - geo.topLeftNonFixed().row;
            next.row = scrolled > 0 ? std::max(firstRow, next.row - scrolled) : firstRow;
            break;
        }
        case Qt::Key_Home:
            if (geo.scrollToTop()) {
                repaintAll();
                syncScrollBars();
            }
            next.row = firstRow;
            break;
        case Qt::Key_End:
            if (geo.scrollToBottom()) {
                repaintAll();
                syncScrollBars();
            }
            next.row = lastRow;
            break;
        default:
            return false;
        }
    }

    if (!isValid(next.row, next.col) || next == focus)
        return true;
    const CellId old = focus;
    if (mode == MouseMode::None && !leftDown) {
        prevSelected.clear();
        mode = MouseMode::SelectCells;
        if (!shift || tab || !anchor.isValid())
            anchor = next;
        selectFrom(next);
        mode = MouseMode::None;
    }
    SetFocusCell(next.row, next.col);
    if (!geo.isCellVisible(next.row, next.col)) {
        geo.ensureVisible(next.row, next.col);
        if (next.row > old.row)
            geo.lineDown();
        else if (next.row < old.row)
            geo.lineUp();
        if (next.col > old.col)
            geo.lineRight();
        else if (next.col < old.col)
            geo.lineLeft();
        syncScrollBars();
        repaintAll();
    }
    return true;
}

// ---- mouse ------------------------------------------------------------------------------------

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    const QPoint pt = e->position().toPoint();
    clickDownCell = geo.cellAt(pt);
    if (!clickDownCell.isValid()) {
        leftDown = false;
        return;
    }
    leftDown = true;
    setFocus(Qt::MouseFocusReason);
    clickDownPoint = pt;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    anchor = (shift && focus.isValid()) ? focus : clickDownCell;

    if (clickDownCell == focus)
        return;

    // The hover state decides whether this press starts a resize.
    if (mode == MouseMode::None || mode == MouseMode::ColumnResizePending ||
        mode == MouseMode::RowResizePending) {
        if (allowColResize && geo.columnResizeTarget(pt) >= 0)
            mode = MouseMode::ColumnResizePending;
        else if (allowRowResize && geo.rowResizeTarget(pt) >= 0)
            mode = MouseMode::RowResizePending;
        else
            mode = MouseMode::None;
    }
    const int target = mode == MouseMode::ColumnResizePending ? geo.columnResizeTarget(pt)
                       : mode == MouseMode::RowResizePending  ? geo.rowResizeTarget(pt)
                                                              : -1;

    SetFocusCell(-1, -1);
    const CellId moved{std::max(clickDownCell.row, fixedRowCount()),
                       std::max(clickDownCell.col, fixedColumnCount())};
    if (isValid(moved.row, moved.col))
        SetFocusCell(moved.row, moved.col);

    if (mode == MouseMode::ColumnResizePending && target >= 0) {
        mode = MouseMode::ResizingColumn;
        resizeIndex = target;
        updateResizeLine(-1, pt.x());
        return;
    }
    if (mode == MouseMode::RowResizePending && target >= 0) {
        mode = MouseMode::ResizingRow;
        resizeIndex = target;
        updateResizeLine(-1, pt.y());
        return;
    }

    prevSelected.clear();
    if (e->modifiers() & Qt::ControlModifier)
        prevSelected = selected;
    if (clickDownCell.row < fixedRowCount())
        mode = clickDownCell.col < fixedColumnCount() ? MouseMode::SelectAll
                                                      : MouseMode::SelectColumns;
    else if (clickDownCell.col < fixedColumnCount())
        mode = MouseMode::SelectRows;
    else
        mode = MouseMode::SelectCells;
    selectFrom(clickDownCell);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void CGridCtrl::updateResizeLine(int oldPos, int newPos) {
    const bool vertical = mode == MouseMode::ResizingColumn; // a vertical line moves in x
    const auto band = [&](int pos) {
        return vertical ? QRect(pos - 1, 0, 4, viewport()->height())
                        : QRect(0, pos - 1, viewport()->width(), 4);
    };
    if (oldPos >= 0)
        viewport()->update(band(oldPos));
    resizeLinePos = newPos;
    if (newPos >= 0)
        viewport()->update(band(newPos));
}

bool CGridCtrl::viewportEvent(QEvent* e) {
    // Leaving the cells while only hovering is "anywhere else": arrow cursor, no pending resize.
    if (e->type() == QEvent::Leave && !leftDown &&
        (mode == MouseMode::ColumnResizePending || mode == MouseMode::RowResizePending)) {
        mode = MouseMode::None;
        unsetCursor();
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (!(e->buttons() & Qt::LeftButton) || !leftDown) {
        if (allowColResize && geo.columnResizeTarget(pt) >= 0) {
            setCursor(Qt::SizeHorCursor);
            mode = MouseMode::ColumnResizePending;
        } else if (allowRowResize && geo.rowResizeTarget(pt) >= 0) {
            setCursor(Qt::SizeVerCursor);
            mode = MouseMode::RowResizePending;
        } else {
            unsetCursor();
            mode = MouseMode::None;
        }
        return;
    }
    switch (mode) {
    case MouseMode::SelectAll:
    case MouseMode::SelectColumns:
    case MouseMode::SelectRows:
    case MouseMode::SelectCells: {
        const CellId cell = geo.cellAt(pt);
        if (!cell.isValid())
            return;
        selectFrom(cell);
        if (cell.row >= fixedRowCount() && cell.col >= fixedColumnCount())
            SetFocusCell(cell.row, cell.col);
        break;
    }
    case MouseMode::ResizingColumn: {
        // The line stays between the column's left edge and the viewport's right edge.
        const int left = geo.cellRect(0, resizeIndex).left();
        updateResizeLine(resizeLinePos,
                         std::clamp(pt.x(), std::max(0, left), viewport()->width() - 1));
        break;
    }
    case MouseMode::ResizingRow: {
        const int top = geo.cellRect(resizeIndex, 0).top();
        updateResizeLine(resizeLinePos,
                         std::clamp(pt.y(), std::max(0, top), viewport()->height() - 1));
        break;
    }
    default:
        break;
    }
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    const QPoint pt = e->position().toPoint();
    const bool pressedOnCell = leftDown && clickDownCell.isValid();
    leftDown = false;
    switch (mode) {
    case MouseMode::ResizingColumn: {
        const int left = geo.cellRect(0, resizeIndex).left();
        const int x = std::clamp(pt.x(), std::max(0, left), std::max(0, viewport()->width() - 1));
        updateResizeLine(resizeLinePos, -1);
        if (pt != clickDownPoint) {
            const int width = GetColumnWidth(resizeIndex) + (x - clickDownPoint.x());
            if (width >= 0)
                SetColumnWidth(resizeIndex, width);
        }
        break;
    }
    case MouseMode::ResizingRow: {
        const int top = geo.cellRect(resizeIndex, 0).top();
        const int y = std::clamp(pt.y(), std::max(0, top), std::max(0, viewport()->height() - 1));
        updateResizeLine(resizeLinePos, -1);
        if (pt != clickDownPoint) {
            const int height = GetRowHeight(resizeIndex) + (y - clickDownPoint.y());
            if (height >= 0)
                SetRowHeight(resizeIndex, height);
        }
        break;
    }
    case MouseMode::None:
    case MouseMode::SelectCells:
        // A press outside every cell asks for nothing.
        if (pressedOnCell)
            EditCell(focus.row, focus.col);
        break;
    default:
        break;
    }
    mode = MouseMode::None;
    resizeIndex = -1;
    resizeLinePos = -1;
    unsetCursor();
    if (pressedOnCell) {
        QMetaObject::invokeMethod(
            this, [this, id = ctrlId] { emit clicked(id, this); }, Qt::QueuedConnection);
    }
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
    default:
        break;
    }
    QAbstractScrollArea::changeEvent(e);
}

// ---- drawing ----------------------------------------------------------------------------------

void CGridCtrl::drawCell(QPainter& p, int row, int col, const QRect& rect, bool printing) const {
    const Cell& cell = cells[size_t(row)][size_t(col)];
    const bool fixed = row < fixedRowCount() || col < fixedColumnCount();
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

    // Lines sit on the last pixel row and column of each cell; headers always have both.
    const QColor line = colours[LineC];
    const bool hLine = fixed || (gridLines & kHorizontalLines);
    const bool vLine = fixed || (gridLines & kVerticalLines);
    if (hLine)
        p.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), line);
    if (vLine)
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

    if (!printing && !fixed && focus.row == row && focus.col == col) {
        const QColor mark = isSelected
                                ? fg
                                : palette().color(QPalette::Active,
                                                  hasFocus() ? QPalette::Highlight : QPalette::Mid);
        const QRect inner = rect.adjusted(0, 0, -1, -1);
        if (inner.width() >= 4 && inner.height() >= 4) {
            p.fillRect(QRect(inner.left(), inner.top(), inner.width(), 2), mark);
            p.fillRect(QRect(inner.left(), inner.bottom() - 1, inner.width(), 2), mark);
            p.fillRect(QRect(inner.left(), inner.top(), 2, inner.height()), mark);
            p.fillRect(QRect(inner.right() - 1, inner.top(), 2, inner.height()), mark);
        }
    }
}

void CGridCtrl::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const QRect area = viewport()->rect();
    if (editorActive && !storedRect.isEmpty())
        p.setClipRegion(QRegion(area).subtracted(QRegion(storedRect)));
    const QRect dirty = e->rect();
    p.fillRect(dirty, palette().color(QPalette::Active, QPalette::Window));

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

    if (resizeLinePos >= 0) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        if (mode == MouseMode::ResizingColumn)
            p.fillRect(QRect(resizeLinePos, 0, 2, area.height()), Qt::black);
        else if (mode == MouseMode::ResizingRow)
            p.fillRect(QRect(0, resizeLinePos, area.width(), 2), Qt::black);
    }
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
    if (x > 0 && h > 0 &&
        (gridLines & kVerticalLines || fixedColumnCount() > 0 || row < fixedRowCount()))
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
