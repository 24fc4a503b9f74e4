#pragma once
// The differences between the document and another image (a data file, or the radio read back
// after a write) as a table: where, this document, the other side. Texts come from the caller's
// language catalog; the rows are CompareImages' list.

#include "core/model/ImageDiff.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace orvik {

class LangCatalog;

class CCompareDlg : public QDialog {
    Q_OBJECT
public:
    // `otherHeading`: the heading of the third column ("That file", "The radio").
    CCompareDlg(LangCatalog& catalog, const QString& title, const QString& otherHeading,
                const std::vector<ImageDifference>& differences, QWidget* parent);

    QTableWidget* table() const { return rows; }
    QLabel* summary() const { return message; }

private:
    QLabel* message = nullptr;
    QTableWidget* rows = nullptr;
};

} // namespace orvik
