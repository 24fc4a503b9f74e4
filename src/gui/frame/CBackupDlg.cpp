#include "gui/frame/CBackupDlg.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace orvik {

CBackupDlg::CBackupDlg(LangCatalog& catalog, const std::string& folder,
                       const std::vector<std::string>& bandNames, QWidget* parent)
    : QDialog(parent), texts(catalog), folderPath(QFile::decodeName(folder.c_str())),
      entries(ListBackups(folder)) {
    setObjectName(QStringLiteral("CBackupDlg"));
    auto text = [this](const char* key) { return LangText(texts, key); };
    setWindowTitle(text(lang::IDS_BACKUP_LIST_TITLE));
    showFolder = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };

    const QString shownFolder = QDir::toNativeSeparators(folderPath);
    caption = new QLabel(this);
    caption->setTextFormat(Qt::PlainText);
    caption->setWordWrap(true);
    caption->setText(
        FillText(text(entries.empty() ? lang::IDS_BACKUP_LIST_EMPTY : lang::IDS_BACKUP_LIST_FOLDER),
                 {shownFolder}));

    rows = new QTableWidget(static_cast<int>(entries.size()), 4, this);
    rows->setHorizontalHeaderLabels(
        {text(lang::IDS_BACKUP_HEAD_TIME), text(lang::IDS_BACKUP_HEAD_KIND),
         text(lang::IDS_BACKUP_HEAD_BAND), text(lang::IDS_BACKUP_HEAD_CHANNELS)});
    rows->verticalHeader()->hide();
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->setSelectionMode(QAbstractItemView::SingleSelection);
    rows->setAccessibleName(windowTitle());
    int row = 0;
    for (const BackupEntry& e : entries) {
        const bool readable = e.bandCode >= 0;
        const QString cells[] = {QString::fromStdString(e.time), text(BackupKindKey(e.kind)),
                                 readable ? QString::fromStdString(BackupBandName(e, bandNames))
                                          : text(lang::IDS_BACKUP_UNREADABLE),
                                 readable ? QString::number(e.channelsInUse) : QString()};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(QDir::toNativeSeparators(QFile::decodeName(e.path.c_str())));
            if (column == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            rows->setItem(row, column, item);
        }
        ++row;
    }
    rows->resizeColumnsToContents();
    rows->horizontalHeader()->setStretchLastSection(true);
    if (!entries.empty())
        rows->selectRow(0);

    auto* buttons = new QDialogButtonBox(this);
    openBtn = buttons->addButton(text(lang::IDS_BACKUP_OPEN), QDialogButtonBox::AcceptRole);
    showBtn = buttons->addButton(text(lang::IDS_BACKUP_SHOW_FOLDER), QDialogButtonBox::ActionRole);
    QPushButton* cancel =
        buttons->addButton(text(lang::IDS_BACKUP_CANCEL), QDialogButtonBox::RejectRole);
    openBtn->setDefault(true);
    openBtn->setEnabled(!entries.empty());
    // Open only acts on a chosen row; the button box does not close the dialog by itself.
    connect(openBtn, &QPushButton::clicked, this, &CBackupDlg::openSelected);
    connect(showBtn, &QPushButton::clicked, this, &CBackupDlg::showInFolder);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rows, &QTableWidget::cellDoubleClicked, this, &CBackupDlg::openSelected);
    connect(rows, &QTableWidget::itemSelectionChanged, this,
            [this] { openBtn->setEnabled(!rows->selectedItems().isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(rows, 1);
    layout->addWidget(buttons);
    resize(560, 380);
}

void CBackupDlg::openSelected() {
    const int row = rows->currentRow();
    if (row < 0 || row >= static_cast<int>(entries.size()) || rows->selectedItems().isEmpty())
        return;
    chosen = QFile::decodeName(entries[static_cast<std::size_t>(row)].path.c_str());
    accept();
}

void CBackupDlg::showInFolder() {
    if (showFolder(folderPath))
        return;
    ShowMessageBox(this,
                   LangText(texts, lang::IDS_BACKUP_FOLDER_FAILED) + "\n" +
                       QDir::toNativeSeparators(folderPath),
                   LangText(texts, lang::IDS_WINDOWNAME), MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace orvik
