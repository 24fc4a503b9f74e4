#include "gui/app/DataFileMessages.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"

#include <QDir>

namespace orvik {

bool ReportDataFileRejected(QWidget* owner, LangCatalog& catalog, const QString& path,
                            LoadStatus status, const std::string& error) {
    switch (status) {
    case LoadStatus::CannotRead:
        ShowMessageBox(owner,
                       LangText(catalog, lang::IDS_ERROR_FILE_READ) + "\n" +
                           QDir::toNativeSeparators(path) + "\n" + QString::fromStdString(error),
                       LangText(catalog, lang::IDS_WINDOWNAME), MsgButtons::Ok, MsgIcon::Stop);
        return true;
    case LoadStatus::HeaderRejected:
        ShowMessageBox(owner, LangText(catalog, lang::IDS_WARN_LOAD),
                       LangText(catalog, lang::IDS_WINDOWNAME), MsgButtons::Ok, MsgIcon::Stop);
        return true;
    case LoadStatus::Ok:
        break;
    }
    return false;
}

void ReportShortDataFile(QWidget* owner, LangCatalog& catalog, const QString& path,
                         std::size_t bytesRead) {
    if (bytesRead >= DataFileSize)
        return;
    ShowMessageBox(owner,
                   QString::fromStdString(
                       ShortFileWarning(catalog.text(lang::IDS_WARN_SHORT_FILE), bytesRead)) +
                       "\n" + QDir::toNativeSeparators(path),
                   LangText(catalog, lang::IDS_WINDOWNAME), MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace orvik
