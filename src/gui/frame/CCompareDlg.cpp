#include "gui/frame/CCompareDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvik {

CCompareDlg::CCompareDlg(LangCatalog& catalog, const QString& title, const QString& otherHeading,
                         const std::vector<ImageDifference>& differences, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CCompareDlg"));
    setWindowTitle(title);
    auto text = [&catalog](const char* key) { return QString::fromStdString(catalog.text(key)); };

    message = new QLabel(this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setText(differences.empty() ? text(lang::IDS_DIFF_EQUAL)
                                         : FillText(text(lang::IDS_DIFF_COUNT),
                                                    {QString::number(differences.size())}));

    rows = new QTableWidget(static_cast<int>(differences.size()), 3, this);
    SetControlId(rows, ids::IDC_DIFF_TABLE);
    rows->setHorizontalHeaderLabels(
        {text(lang::IDS_DIFF_WHERE), text(lang::IDS_DIFF_THIS), otherHeading});
    rows->verticalHeader()->hide();
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->setAccessibleName(title);
    int row = 0;
    for (const ImageDifference& d : differences) {
        const QString cells[] = {QString::fromStdString(d.place), QString::fromStdString(d.before),
                                 QString::fromStdString(d.after)};
        for (int c = 0; c < 3; ++c)
            rows->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
    rows->resizeColumnsToContents();
    rows->horizontalHeader()->setStretchLastSection(true);
    rows->setVisible(!differences.empty());

    auto* box = new QDialogButtonBox(this);
    QPushButton* close = box->addButton(QString::fromStdString(catalog.resource(ids::IDOK)),
                                        QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(rows, 1);
    layout->addWidget(box);
    resize(560, differences.empty() ? 120 : 420);
}

} // namespace orvik
