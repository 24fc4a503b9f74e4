#pragma once
// CGridCtrl as an accessible table: screen readers see its data cells with their row headers
// (the fixed columns) and column headers (the fixed rows), the cell text, the focus cell and the
// selection. The fixed rows and columns are headers, not cells of the table.

#include <QAccessibleWidget>

#include <map>
#include <utility>

namespace orvik {

class CGridCtrl;

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(CGridCtrl* grid);
    ~GridAccessible() override;

    // QAccessibleInterface
    QAccessible::Role role() const override { return QAccessible::Table; }
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface (rows and columns count data cells only)
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    CGridCtrl* grid() const;
    // A header cell: a fixed row's cell of a data column, or a fixed column's cell of a data row.
    QAccessibleInterface* headerCell(int gridRow, int gridColumn) const;

private:
    // The cell interface of grid position (row, col), made once and kept (registered with Qt).
    QAccessibleInterface* cellInterface(int gridRow, int gridColumn) const;

    mutable std::map<std::pair<int, int>, QAccessible::Id> cells;
};

// Lets Qt create GridAccessible for every CGridCtrl; called once by the grid.
void InstallGridAccessibility();

} // namespace orvik
