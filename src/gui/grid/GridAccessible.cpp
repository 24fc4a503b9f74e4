#include "gui/grid/GridAccessible.h"

#include "gui/grid/CGridCtrl.h"

#include <QAccessibleTableCellInterface>

namespace orvik {

namespace {

// One cell of the grid, data or header, at a grid position.
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(const GridAccessible* table, int gridRow, int gridColumn)
        : owner(table), row(gridRow), col(gridColumn) {}

    bool isValid() const override { return owner->grid() != nullptr; }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return const_cast<GridAccessible*>(owner); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    bool isHeader() const {
        const CGridCtrl* g = owner->grid();
        return row < g->fixedRowCount() || col < g->fixedColumnCount();
    }
    QAccessible::Role role() const override {
        const CGridCtrl* g = owner->grid();
        if (row < g->fixedRowCount())
            return QAccessible::ColumnHeader;
        if (col < g->fixedColumnCount())
            return QAccessible::RowHeader;
        return QAccessible::Cell;
    }
    QString text(QAccessible::Text t) const override {
        const CGridCtrl* g = owner->grid();
        switch (t) {
        case QAccessible::Name:
        case QAccessible::Value:
            return g->GetItemText(row, col);
        case QAccessible::Description:
            // Read with its place: "CH 3, RX Freq (MHz)".
            if (isHeader())
                return {};
            return owner->rowDescription(row - g->fixedRowCount()) + ", " +
                   owner->columnDescription(col - g->fixedColumnCount());
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        CGridCtrl* g = owner->grid();
        const QRect r = g->cellRect(row, col);
        return QRect(g->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const CGridCtrl* g = owner->grid();
        const unsigned cell = g->GetItemState(row, col);
        s.focusable = !isHeader();
        s.selectable = !isHeader();
        s.focused = g->GetFocusCell() == CellId{row, col};
        s.selected = (cell & GridState::Selected) != 0;
        s.readOnly = (cell & GridState::ReadOnly) != 0 || isHeader();
        s.invisible = !g->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface: indexes of the data table.
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return col - owner->grid()->fixedColumnCount(); }
    int rowIndex() const override { return row - owner->grid()->fixedRowCount(); }
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        for (int r = 0; r < owner->grid()->fixedRowCount(); ++r)
            headers.append(owner->headerCell(r, col));
        return headers;
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        for (int c = 0; c < owner->grid()->fixedColumnCount(); ++c)
            headers.append(owner->headerCell(row, c));
        return headers;
    }
    QAccessibleInterface* table() const override { return const_cast<GridAccessible*>(owner); }

private:
    const GridAccessible* owner;
    int row;
    int col;
};

QAccessibleInterface* gridFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("orvik::CGridCtrl") && object && object->isWidgetType())
        return new GridAccessible(static_cast<CGridCtrl*>(object));
    return nullptr;
}

} // namespace

GridAccessible::GridAccessible(CGridCtrl* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible() {
    for (const auto& [position, id] : cells)
        QAccessible::deleteAccessibleInterface(id);
}

CGridCtrl* GridAccessible::grid() const {
    return static_cast<CGridCtrl*>(widget());
}

QAccessibleInterface* GridAccessible::cellInterface(int gridRow, int gridColumn) const {
    if (!grid()->isValid(gridRow, gridColumn))
        return nullptr;
    const auto key = std::make_pair(gridRow, gridColumn);
    if (const auto it = cells.find(key); it != cells.end())
        return QAccessible::accessibleInterface(it->second);
    auto* cell = new GridCellAccessible(this, gridRow, gridColumn);
    cells[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

QAccessibleInterface* GridAccessible::headerCell(int gridRow, int gridColumn) const {
    return cellInterface(gridRow, gridColumn);
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int GridAccessible::rowCount() const {
    return std::max(0, grid()->rowCount() - grid()->fixedRowCount());
}

int GridAccessible::columnCount() const {
    return std::max(0, grid()->columnCount() - grid()->fixedColumnCount());
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    return cellInterface(row + grid()->fixedRowCount(), column + grid()->fixedColumnCount());
}

QString GridAccessible::columnDescription(int column) const {
    const int col = column + grid()->fixedColumnCount();
    QStringList parts;
    for (int r = 0; r < grid()->fixedRowCount(); ++r)
        parts.append(grid()->GetItemText(r, col));
    return parts.join(' ');
}

QString GridAccessible::rowDescription(int row) const {
    const int r = row + grid()->fixedRowCount();
    QStringList parts;
    // The header of the fixed column names what its cells count ("CH 3").
    for (int c = 0; c < grid()->fixedColumnCount(); ++c) {
        for (int hr = 0; hr < grid()->fixedRowCount(); ++hr)
            parts.append(grid()->GetItemText(hr, c));
        parts.append(grid()->GetItemText(r, c));
    }
    return parts.join(' ');
}

int GridAccessible::childCount() const {
    return rowCount() * columnCount();
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount())
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr)
        return -1;
    auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (cell == nullptr || cell->rowIndex() < 0 || cell->columnIndex() < 0)
        return -1;
    return cell->rowIndex() * columnCount() + cell->columnIndex();
}

QAccessibleInterface* GridAccessible::focusChild() const {
    const CellId focus = grid()->GetFocusCell();
    if (!focus.isValid())
        return nullptr;
    return cellInterface(focus.row, focus.col);
}

int GridAccessible::selectedCellCount() const {
    return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> selected;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (grid()->GetItemState(r + grid()->fixedRowCount(), c + grid()->fixedColumnCount()) &
                GridState::Selected)
                selected.append(cellAt(r, c));
    return selected;
}

void InstallGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
}

} // namespace orvik
