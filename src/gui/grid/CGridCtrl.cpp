#include "gui/grid/CGridCtrl.h"

#include "gui/grid/GridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <new>

namespace orvik {

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

} // namespace orvik
