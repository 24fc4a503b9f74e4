#include "gui/app/ProblemReportUi.h"

#include "core/lang/LangKeys.h"
#include "core/link/CSerialPort.h"
#include "core/link/ConnectionCheck.h"
#include "core/link/ProblemReport.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"

#include <QDir>
#include <QSaveFile>
#include <QtGlobal>

namespace orvik {

QString SaveProblemReport(COrvikApp& app, QWidget* owner) {
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.directory = QDir::homePath();
    request.suggestedName = QStringLiteral("orvik-problem-report.txt");
    request.filters = {app.LangText(lang::IDS_REPORT_FILTER)};
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = AskFileName(owner, request);
    if (path.isEmpty())
        return {};

    // The check opens every serial device; the program's own port is closed between jobs.
    app.port().Close();
    LangCatalog& catalog = app.catalog();
    const CheckText text = [&catalog](std::string_view key) { return catalog.text(key); };
    const CheckEnvironment env = CheckEnvironment::ForThisProcess(
        app.paths().SettingsFilePath(), UdevRulePath(app.paths().AppDirectory()));

    ProblemReportParts parts;
    parts.version = ORVIK_VERSION;
    parts.toolkit = std::string("Qt ") + qVersion();
    parts.settingsFile = app.paths().SettingsFilePath();
    parts.connectionCheck = ConnectionReportText(CheckConnection(env, text), text);
    parts.trace = app.LastTrace();
    parts.result = app.LastResult();
    parts.home = QDir::homePath().toStdString();
    parts.userName = env.userName;
    const std::string report = ProblemReport(parts);

    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(report.data(), static_cast<qint64>(report.size())) ==
                             static_cast<qint64>(report.size()) &&
                         file.commit();
    if (!written) {
        ShowMessageBox(owner,
                       app.LangText(lang::IDS_REPORT_WRITE_FAIL) + "\n" +
                           QDir::toNativeSeparators(path) + "\n" + file.errorString(),
                       app.LangText(lang::IDS_ERROR), MsgButtons::Ok, MsgIcon::Stop);
        return {};
    }
    const QString saved =
        FillText(app.LangText(lang::IDS_REPORT_SAVED), {QDir::toNativeSeparators(path)});
    ShowMessageBox(owner, saved, app.LangText(lang::IDS_WINDOWNAME), MsgButtons::Ok,
                   MsgIcon::Information);
    return path;
}

} // namespace orvik
