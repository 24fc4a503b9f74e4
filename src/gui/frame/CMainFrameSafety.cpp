// The window side of keeping data safe: File > Open Backup and backups opened as copies, the
// backup settings' warning, and the document's file changed on disk by another program.

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/Backup.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/DataFileMessages.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CBackupDlg.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/LangUi.h"
#include "gui/views/COrvikView.h"

#include <QFile>
#include <QFileInfo>

namespace orvik {

void CMainFrame::OnFileOpenBackup() {
    const std::string ini = app.paths().SettingsFilePath();
    const BackupSettings settings = LoadBackupSettings(ini);
    reportBackupSettings();
    CBackupDlg dialog(app.catalog(), settings.folder, ReadBandNames(ini), this);
    if (dialog.exec() == QDialog::Accepted && !dialog.chosenPath().isEmpty())
        OpenDocumentFile(dialog.chosenPath());
}

bool CMainFrame::detachIfBackup(const QString& path) {
    const std::string file = QFile::encodeName(path).toStdString();
    const BackupSettings settings = LoadBackupSettings(app.paths().SettingsFilePath());
    if (!IsInBackupFolder(file, settings.folder))
        return false;
    BackupEntry entry;
    // "Backup 2026-12-09 00:59, read": to the minute, as a person names it.
    const QString title =
        ParseBackupName(file, entry)
            ? FillText(app.LangText(lang::IDS_BACKUP_TITLE),
                       {QString::fromStdString(entry.time.substr(0, 16)),
                        app.LangText(BackupKindKey(entry.kind))})
            : FillText(app.LangText(lang::IDS_BACKUP_TITLE_FILE), {QFileInfo(path).fileName()});
    doc.DetachAsCopy(title);
    return true;
}

void CMainFrame::reportBackupSettings() {
    const std::string warning =
        BackupSettingsWarning(app.paths().SettingsFilePath(),
                              [this](std::string_view key) { return app.catalog().text(key); });
    if (!warning.empty())
        ShowStatusMessage(QString::fromStdString(warning), 0);
}

bool CMainFrame::saveToOwnFile(bool askFirst) {
    const QString path = doc.PathName();
    if (doc.ChangedOnDisk()) {
        const int answer =
            ShowMessageBox(this,
                           FillText(app.LangText(lang::IDS_FILE_CHANGED_SAVE),
                                    {ElideMiddle(QFileInfo(path).fileName())}),
                           app.LangText(lang::IDS_PROMPT), MsgButtons::YesCancel,
                           MsgIcon::Exclamation, app.LangText(lang::IDS_FILE_CHANGED_SAVE_AS));
        if (answer == MsgExtra)
            return OnFileSaveAs();
        if (answer != MsgYes)
            return false;
    } else if (askFirst && ShowMessageBox(this, app.LangText(lang::IDS_WARN_SAVE) + path,
                                          app.LangText(lang::IDS_PROMPT), MsgButtons::OkCancel,
                                          MsgIcon::Exclamation) != MsgOk) {
        return false;
    }
    return saveTo(path);
}

void CMainFrame::onChangedOnDisk() {
    // One question at a time; a later change is seen by the next save or the next event.
    if (askingReload)
        return;
    askingReload = true;
    const QString path = doc.PathName();
    const int answer =
        ShowMessageBox(this,
                       FillText(app.LangText(lang::IDS_FILE_CHANGED_RELOAD),
                                {ElideMiddle(QFileInfo(path).fileName())}),
                       app.LangText(lang::IDS_WINDOWNAME), MsgButtons::YesNo, MsgIcon::Question);
    askingReload = false;
    // No: the document stays as it is, and Save still asks before overwriting the file.
    if (answer != MsgYes || doc.PathName() != path)
        return;
    formView->endOpenEdit();
    const COrvikDoc::OpenResult result = doc.ReloadFromDisk();
    // Said as opening the file says it; a file that cannot be taken leaves the document as it was.
    if (!ReportDataFileRejected(this, app.catalog(), path, result.status, result.error))
        ReportShortDataFile(this, app.catalog(), path, result.bytesRead);
}

} // namespace orvik
