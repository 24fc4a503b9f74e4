#pragma once

#include "gui/grid/GridEditController.h"
#include "gui/grid/GridGeometry.h"
#include "gui/grid/GridItem.h"
#include "gui/grid/GridKeyNavigator.h"
#include "gui/grid/GridMouseController.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>

#include <functional>
#include <unordered_set>
#include <vector>

class QKeyEvent;
class QPainter;

namespace orvik {

// A scrolling grid of text cells with fixed (header) rows at the top and fixed columns
// at the left. It has no editor of its own: an edit request is reported through
// beginEdit() and the owner lays its own editor over the cell, setting editorActive
// meanwhile so that repaints leave that cell alone. Row and column numbers count from
// 0 and include the fixed ones; operations on positions outside the grid return false
// (or -1) and change nothing.
//
// The grid holds the cells, the focus, the selection and the scroll state, and paints
// them; its input is handled by three controllers given the grid: GridKeyNavigator
// (keyboard navigation), GridMouseController (mouse, selecting, resizing, wheel) and
// GridEditController (edit requests and the editing keys).
class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    using MouseMode = GridMouseMode;

    // Largest number of cells the grid agrees to hold.
    static constexpr qint64 kMaxCells = qint64(1) << 24;

    explicit CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0,
                       QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // While set, every repaint leaves out the rectangle stored with the last notification.
    bool editorActive = false;
    // While cleared, selecting does nothing.
    bool selectionEnabled = true;
    // The owner's handler of the standard editing keys pressed in the grid; true when it took
    // the key. Without one, or when it declines, copy puts the focus cell's text on the
    // clipboard and the other keys do nothing.
    std::function<bool(const QKeyEvent*)> editingKeyHandler;

    void setControlId(int id) { ctrlId = id; }
    int controlId() const { return ctrlId; }

    // ---- size and structure
    bool SetRowCount(int count);
    bool SetColumnCount(int count);
    bool SetFixedRowCount(int count);
    bool SetFixedColumnCount(int count);
    int rowCount() const { return geo.rowCount(); }
    int columnCount() const { return geo.columnCount(); }
    int fixedRowCount() const { return geo.fixedRowCount(); }
    int fixedColumnCount() const { return geo.fixedColumnCount(); }
    bool isValid(int row, int col) const {
        return row >= 0 && row < rowCount() && col >= 0 && col < columnCount();
    }
    bool isFixed(int row, int col) const {
        return row < fixedRowCount() || col < fixedColumnCount();
    }

    int GetRowHeight(int row) const { return geo.rowHeight(row); }
    int GetColumnWidth(int col) const { return geo.columnWidth(col); }
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    int GetFixedRowHeight() const { return geo.fixedRowHeight(); }
    int GetFixedColumnWidth() const { return geo.fixedColumnWidth(); }
    int GetTotalWidth() const;
    int GetTotalHeight() const;
    int defaultRowHeight() const { return defRowHeight; }
    int defaultColumnWidth() const { return defColWidth; }

    // ---- cells
    bool SetItem(const GridItem& item);
    // Fills the attributes named by item.mask of the cell at item.row, item.col.
    bool GetItem(GridItem& item) const;
    bool SetItemText(int row, int col, const QString& text);
    QString GetItemText(int row, int col) const;
    unsigned GetItemState(int row, int col) const; // 0 when out of range
    bool SetItemState(int row, int col, unsigned state);
    bool SetItemTextColour(int row, int col, quint32 colour);
    quint32 GetItemTextColour(int row, int col) const;
    bool SetItemBkColour(int row, int col, quint32 colour);
    quint32 GetItemBkColour(int row, int col) const;
    bool SetItemFormat(int row, int col, unsigned format);
    unsigned GetItemFormat(int row, int col) const;
    // A warning mark: a small triangle painted in the cell's trailing top corner (not printed),
    // with `note` as the cell's tool tip; an empty note removes it.
    bool SetItemWarning(int row, int col, const QString& note);
    QString GetItemWarning(int row, int col) const;

    // ---- behaviour flags
    void SetResizing(bool rows, bool cols);
    bool rowResizingAllowed() const { return allowRowResize; }
    bool columnResizingAllowed() const { return allowColResize; }
    void setEditingEnabled(bool on) { edit.setEnabled(on); }
    bool isEditingEnabled() const { return edit.isEnabled(); }

    // ---- painting
    void SetRedraw(bool allowed, bool resetScrollBars = false);
    bool isRedrawAllowed() const { return redrawAllowed; }
    bool RedrawRow(int row);
    bool RedrawCell(int row, int col);

    // ---- focus, selection, editing
    // Moves the focus cell; (-1, -1) removes it. False for other positions outside the grid.
    bool SetFocusCell(int row, int col);
    CellId GetFocusCell() const { return focus; }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool repaint = true);
    // Empties the selection (and the previous selection) and removes the focus.
    void ClearSelection();
    bool isCellSelected(int row, int col) const;
    int selectedCount() const { return static_cast<int>(selected.size()); }
    CellId selectionAnchor() const { return anchor; }
    // Asks the owner to edit the cell; true when the begin-edit notification was sent.
    bool EditCell(int row, int col) { return edit.requestEdit(row, col); }
    // The cell's rectangle stored with the last notification, in viewport coordinates.
    QRect storedCellRect() const { return storedRect; }

    // ---- scrolling and geometry
    const GridGeometry& geometry() const { return geo; }
    // The cell's rectangle in viewport coordinates; null when out of range.
    QRect cellRect(int row, int col) const { return geo.cellRect(row, col); }
    CellId cellFromPoint(QPoint viewportPos) const { return geo.cellAt(viewportPos); }
    bool ensureVisible(int row, int col);
    void setScrollPosition(int h, int v);
    // Lines per wheel notch, -1 for a page per notch. Read from the application at
    // construction and on every style change (0 or unreadable: 3); the setter overrides it
    // until then, since the platform has no way to ask for a page per notch.
    int wheelScrollLines() const { return wheelLines; }
    void setWheelScrollLines(int lines);
    MouseMode mouseMode() const { return mouse.mode(); }

    // ---- printing: draw at the painter's current origin, in its current units
    void PrintFixedRows(QPainter& painter);
    bool PrintRow(QPainter& painter, int row);

    // ---- font and colours
    // Sets the grid's font, copies it into every cell, and recomputes the default sizes.
    // QWidget::setFont on the grid (or a font reaching it from its parent) does the same.
    void SetFont(const QFont& font);
    QFont GetFont() const { return gridFont; }
    void setTextColour(const QColor& c);
    void setTextBkColour(const QColor& c);
    void setGridLineColour(const QColor& c);
    void setFixedTextColour(const QColor& c);
    void setFixedBkColour(const QColor& c);
    QColor textColour() const { return colours[TextC]; }
    QColor textBkColour() const { return colours[BkC]; }
    QColor gridLineColour() const { return colours[LineC]; }
    QColor fixedTextColour() const { return colours[FixedTextC]; }
    QColor fixedBkColour() const { return colours[FixedBkC]; }
    // The system's colour for greyed (read-only) text, as 0x00BBGGRR.
    static quint32 SystemGreyTextColour();

    // The cursor rectangle is the focus cell's (in the grid's coordinates), so a context menu
    // asked for from the keyboard opens there.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void beginEdit(const orvik::GridNotify& record);    // code -105
    void focusLeaving(const orvik::GridNotify& record); // code -104
    void focusArrived(const orvik::GridNotify& record); // code -103
    // Posted after the left button is released when it went down on a cell.
    void clicked(int controlId, orvik::CGridCtrl* grid);

protected:
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override; // a second press like the first
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class GridKeyNavigator;
    friend class GridMouseController;
    friend class GridEditController;

    struct Cell {
        unsigned state = 0;
        unsigned format = 0;
        QString text;
        quint32 bkColour = kGridDefaultColour;
        quint32 textColour = kGridDefaultColour;
        QFont font;
        QString warning; // the warning mark's note; empty: no mark
    };
    enum ColourIndex { TextC, BkC, LineC, FixedTextC, FixedBkC, ColourCount };

    Cell* cellAt(int row, int col);
    const Cell* cellAt(int row, int col) const;
    static quint64 keyOf(int row, int col) { return (quint64(quint32(col)) << 32) | quint32(row); }
    static CellId cellOfKey(quint64 key) {
        return {int(quint32(key & 0xFFFFFFFFu)), int(quint32(key >> 32))};
    }

    void recomputeDefaultSizes();
    void readWheelLines();
    void refreshSystemColours();
    QColor systemColour(ColourIndex which) const;
    void resetScrollBars();
    void syncScrollBars();
    void setScrollState(int h, int v);
    // Repaints and brings the scroll bars to the geometry's position.
    void afterScroll();
    void onScrollAction(Qt::Orientation o, int action);
    void dropSelectionOutside();
    void repaintAll();
    void repaintCell(int row, int col);
    void repaintFixedOf(int row, int col);
    void fillItem(int row, int col, GridItem& item) const;
    void drawCell(QPainter& p, int row, int col, const QRect& rect, bool printing) const;
    void drawFocusMark(QPainter& p, const QRect& rect, bool isSelected, const QColor& fg) const;
    void drawWarningMark(QPainter& p, const QRect& rect) const;
    void drawPrintRow(QPainter& p, int row, int y) const;
    void paintCells(QPainter& p, const QRect& dirty);

    // ---- for the input controllers
    // Applies one scrolling step of the geometry; when it moved, repaints and brings the
    // scroll bars along. Returns whether it moved.
    template <typename Step> bool scrollStep(Step step) {
        if (!step(geo))
            return false;
        afterScroll();
        return true;
    }
    void setSelectionAnchor(CellId cell) { anchor = cell; }
    // The next SetSelectedRange keeps the cells selected now (Ctrl held) or drops them.
    void keepSelection(bool keep);
    void sendNotification(int code, int row, int col);
    // Moves the keyboard focus to the next or previous control of the form.
    void focusNextControl(bool next) { QAbstractScrollArea::focusNextPrevChild(next); }
    // Posts clicked() for the left button's release.
    void postClicked();

    GridGeometry geo;
    std::vector<std::vector<Cell>> cells; // [row][col]
    std::unordered_set<quint64> selected;
    std::unordered_set<quint64> prevSelected;
    CellId focus;
    CellId anchor;
    QRect storedRect;
    int ctrlId = 0;
    int defRowHeight = 0;
    int defColWidth = 0;
    int wheelLines = 3;
    bool redrawAllowed = true;
    bool allowRowResize = true;
    bool allowColResize = true;
    bool syncingBars = false;
    bool settingFont = false;
    QFont gridFont;
    QColor colours[ColourCount];
    QColor rememberedSystem[ColourCount];

    GridKeyNavigator keys{*this};
    GridMouseController mouse{*this};
    GridEditController edit{*this};
};

} // namespace orvik
