#pragma once
// File > Open Backup: the backups of the backup folder, newest first, with their time, kind
// (read, before write), band and channels in use. Open closes the dialog with the chosen backup;
// Show in Folder opens the folder in the file manager.

#include "core/model/Backup.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orvik {

class LangCatalog;

class CBackupDlg : public QDialog {
    Q_OBJECT
public:
    // `bandNames`: the band list of setting.ini, in list order.
    CBackupDlg(LangCatalog& catalog, const std::string& folder,
               const std::vector<std::string>& bandNames, QWidget* parent);

    // The backup chosen with Open (or a double click); empty before.
    QString chosenPath() const { return chosen; }

    QTableWidget* table() const { return rows; }
    QLabel* heading() const { return caption; }
    QPushButton* openButton() const { return openBtn; }
    QPushButton* showButton() const { return showBtn; }

    // Shows a folder in the file manager; false when nothing could show it. Tests replace it.
    std::function<bool(const QString& folder)> showFolder;

private:
    void openSelected();
    void showInFolder();

    LangCatalog& texts;
    QString folderPath;
    std::vector<BackupEntry> entries;
    QString chosen;
    QLabel* caption = nullptr;
    QTableWidget* rows = nullptr;
    QPushButton* openBtn = nullptr;
    QPushButton* showBtn = nullptr;
};

} // namespace orvik
