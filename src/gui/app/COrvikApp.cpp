#include "gui/app/COrvikApp.h"

#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/ResourceIds.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/CLanguageDlg.h"
#include "gui/lang/LangUi.h"
#include "gui/link/CPortDlg.h"
#include "gui/link/CTransferDlg.h"
#include "gui/views/COrvikView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace orvik {

namespace {
COrvikApp* runningApp = nullptr;

constexpr const char* RegistryKey = "RQ-550 radio program software";
constexpr const char* RecentGroup = "Recent File List";
} // namespace

COrvikApp::COrvikApp(std::string appDirectory) : appPaths(std::move(appDirectory)) {
    runningApp = this;
    serialPort.SetSettingsFilePath(appPaths.SettingsFilePath());
}

COrvikApp::~COrvikApp() {
    frame.reset();
    doc.reset();
    serialPort.Close();
    if (runningApp == this)
        runningApp = nullptr;
}

COrvikApp* COrvikApp::instance() {
    return runningApp;
}

QString COrvikApp::FileFilter() {
    return QStringLiteral("Radio Program Data Files(*.735) (*.735)");
}

bool COrvikApp::InitInstance(const QString& file, bool showWindow) {
    if (!appPaths.SettingsFileExists()) {
        ShowMessageBox(nullptr, QStringLiteral("Can not find the file setting.ini!"),
                       QStringLiteral("Orvik"), MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    appPaths.ChooseLanguage(SystemLocaleName());
    skipClearPrompt = 1;

    doc = std::make_unique<COrvikDoc>(*this);
    frame = std::make_unique<CMainFrame>(*this);
    connect(doc.get(), &COrvikDoc::modifiedChanged, frame.get(),
            [this](bool modified) { frame->setWindowModified(modified); });

    if (file.isEmpty()) {
        if (!doc->OnNewDocument())
            return false;
        doc->UpdateAllViews();
    } else if (!OpenDocumentFile(file)) {
        return false;
    }
    frame->view()->OnInitialUpdate();
    if (showWindow)
        frame->show();
    frame->UpdateFrameTitle();
    return true;
}

void COrvikApp::OnFileNew() {
    if (!doc->SaveModified())
        return;
    if (doc->OnNewDocument())
        doc->UpdateAllViews();
}

void COrvikApp::OnFileOpen() {
    FileDialogRequest request;
    request.mode = FileDialogMode::Open;
    const QString current = doc->PathName();
    request.directory = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    request.filters = QStringList{FileFilter(), LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(frame.get(), request);
    if (!name.isEmpty())
        OpenDocumentFile(name);
}

bool COrvikApp::OpenDocumentFile(const QString& path) {
    // The save question comes first; Cancel leaves everything as it was.
    if (!doc->SaveModified())
        return false;
    skipClearPrompt = 1;
    doc->OnNewDocument();
    return doc->OnOpenDocument(path);
}

void COrvikApp::RelabelMenu() {
    if (frame)
        frame->RelabelMenu();
}

void COrvikApp::RefreshLanguage() {
    RelabelMenu();
    if (doc) {
        doc->RecomputeLimits();
        doc->UpdateAllViews();
    }
}

QStringList COrvikApp::RecentFiles() const {
    QSettings settings(RegistryKey, RegistryKey);
    settings.beginGroup(RecentGroup);
    QStringList files;
    for (int i = 1; i <= ids::RecentFileCount; ++i) {
        const QString f = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!f.isEmpty())
            files.append(f);
    }
    return files;
}

void COrvikApp::AddToRecentFiles(const QString& path) {
    QStringList files = RecentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files.removeAll(absolute);
    files.prepend(absolute);
    storeRecentFiles(files);
}

void COrvikApp::RemoveFromRecentFiles(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        storeRecentFiles(files);
}

void COrvikApp::OpenRecentFile(int index) {
    const QStringList recent = RecentFiles();
    if (index < 0 || index >= recent.size())
        return;
    const QString path = recent.at(index);
    if (!OpenDocumentFile(path) && !QFileInfo(path).isReadable())
        RemoveFromRecentFiles(path);
}

void COrvikApp::storeRecentFiles(QStringList files) {
    while (files.size() > ids::RecentFileCount)
        files.removeLast();
    QSettings settings(RegistryKey, RegistryKey);
    settings.beginGroup(RecentGroup);
    for (int i = 1; i <= ids::RecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files.at(i - 1));
        else
            settings.remove(key);
    }
    settings.sync();
    if (frame)
        frame->UpdateRecentFileMenu();
}

void COrvikApp::RunTransfer(bool isRead) {
    CTransferDlg dialog(*this, frame.get());
    dialog.isRead = isRead;
    dialog.exec();
}

void COrvikApp::OnSettingPort() {
    CPortDlg dialog(*this, frame.get());
    dialog.exec();
}

void COrvikApp::OnSettingLanguage() {
    CLanguageDlg dialog(*this, frame.get());
    dialog.exec();
}

} // namespace orvik
