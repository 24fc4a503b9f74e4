// The main window: start-up, the status bar with its port and Num Lock panes, the title, the
// File, Program, Setting and Help commands, and closing and drops. The command table, menus and
// toolbar are in CMainFrameCommands.cpp.

#include "gui/frame/CMainFrame.h"

#include "core/lang/LangKeys.h"
#include "core/model/Backup.h"
#include "core/model/ChannelCsv.h"
#include "core/model/ImageDiff.h"
#include "core/profile/AtomicSave.h"
#include "gui/frame/CCompareDlg.h"
#include "gui/frame/CCsvImportDlg.h"
#include "gui/frame/CHelpWindow.h"

#include "core/lang/LangText.h"
#include "core/link/PortNames.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/DataFileMessages.h"
#include "gui/app/MessageBox.h"
#include "gui/frame/CAboutDlg.h"
#include "gui/lang/CLanguageDlg.h"
#include "gui/lang/LangUi.h"
#include "gui/link/CConnectionDlg.h"
#include "gui/link/CFleetDlg.h"
#include "gui/link/CPortDlg.h"
#include "gui/link/CTransferDlg.h"
#include "gui/views/COrvikView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <cstring>
#include <vector>

// The toolbar artwork lives in a static library: its resources must be pulled in by hand.
static void initToolbarArtwork() {
    Q_INIT_RESOURCE(icons);
}

namespace orvik {

namespace {

// How long the message after a save or an export stays in the status bar.
constexpr int SavedMessageMs = 6000;

// Num Lock state from the keyboard LEDs; -1 when no LED can be read.
int readNumLock() {
    const QDir leds("/sys/class/leds");
    const QStringList entries = leds.entryList({"*numlock*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    int state = -1;
    for (const QString& e : entries) {
        QFile f(leds.filePath(e + "/brightness"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        state = std::max(state, f.readAll().trimmed().toInt() > 0 ? 1 : 0);
    }
    return state;
}

} // namespace

CMainFrame::CMainFrame(COrvikApp& application) : app(application), doc(*application.document()) {
    initToolbarArtwork();
    setAcceptDrops(true);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    formView = new COrvikView(app.catalog(), app.paths(), doc, this);
    setCentralWidget(formView);

    // Size and place: 900 x 650, centred on the desktop.
    resize(900, 650);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(450, 325));
    }
    ShowPortInStatusBar(app.ConfiguredPort());
    UpdateFrameTitle();

    connect(&app, &COrvikApp::menuRelabelRequested, this, &CMainFrame::RelabelMenu);
    connect(&app, &COrvikApp::portShown, this, &CMainFrame::ShowPortInStatusBar);
    connect(&app, &COrvikApp::recentFilesChanged, this, &CMainFrame::UpdateRecentFileMenu);
    connect(&doc, &COrvikDoc::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&doc, &COrvikDoc::pathNameChanged, this, &CMainFrame::UpdateFrameTitle);
    connect(&doc, &COrvikDoc::changedOnDisk, this, &CMainFrame::onChangedOnDisk);
    connectEditCommands();
    connectChannelCheck();
}

CMainFrame::~CMainFrame() {
    app.port().Close();
}

bool CMainFrame::Start(const QString& file, bool showWindow) {
    // A file that cannot be opened has said so; the window then starts on a new document.
    bool opened = true;
    if (file.isEmpty())
        OnFileNew(true);
    else
        opened = OpenDocumentFile(file);
    // The menus in the language first: their height is part of the window the form is fitted
    // into.
    RelabelMenu();
    formView->OnInitialUpdate();
    if (showWindow)
        show();
    UpdateFrameTitle();
    app.ReportLanguageFallback(this);
    reportBackupSettings();
    return opened;
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    portPane = new QLabel(this);
    portPane->setObjectName("portPane");
    portPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    portPane->setMinimumWidth(portPane->fontMetrics().horizontalAdvance("COMX") + 16);
    portPane->setAlignment(Qt::AlignCenter);
    bar->addWidget(portPane);
    numLockPane = new QLabel("NUM", this);
    numLockPane->setObjectName("numLockPane");
    numLockPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    numLockPane->setAlignment(Qt::AlignCenter);
    numLockPane->setMinimumWidth(numLockPane->fontMetrics().horizontalAdvance("NUM") + 16);
    bar->addPermanentWidget(numLockPane);
    updateNumLock();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CMainFrame::updateNumLock);
    timer->start(500);
}

void CMainFrame::updateNumLock() {
    const int state = readNumLock();
    numLockPane->setText(state == 1 ? QStringLiteral("NUM") : QString());
}

void CMainFrame::ShowPortInStatusBar(int port) {
    portPane->setText(QStringLiteral("COM%1").arg(port));
    const std::string device = PortDevicePath(app.paths().SettingsFilePath(), port);
    portPane->setToolTip(device.empty() ? QString() : QString::fromStdString(device));
}

QString CMainFrame::portPaneText() const {
    return portPane->text();
}

void CMainFrame::UpdateFrameTitle() {
    // "name.735[*] - program": Qt shows the [*] as the unsaved-changes mark.
    const QString path = doc.PathName();
    setWindowFilePath(path);
    QString name = doc.CopyTitle();
    if (name.isEmpty())
        name = path.isEmpty() ? app.LangText(lang::IDS_UNTITLED) : QFileInfo(path).fileName();
    setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, app.LangText("IDS_WINDOWNAME")));
    setWindowModified(doc.IsModified());
}

// ---- File ------------------------------------------------------------------------------

QString CMainFrame::ElideMiddle(const QString& name, int maxLength) {
    // A name is shown whole on one line: a very long one loses its middle, never its ends.
    if (name.size() <= maxLength)
        return name;
    const int keep = maxLength - 1;
    return name.left(keep - keep / 2) + QChar(0x2026) + name.right(keep / 2);
}

void CMainFrame::OnFileNew(bool skipClearPrompt) {
    if (!skipClearPrompt) {
        if (!SaveModified())
            return;
        if (ShowMessageBox(this, app.LangText("IDS_WARN_CLEAR"), app.LangText("IDS_PROMPT"),
                           MsgButtons::OkCancel, MsgIcon::Exclamation) != MsgOk)
            return;
    }
    doc.OnNewDocument();
    doc.UpdateAllViews();
}

void CMainFrame::OnFileOpen() {
    FileDialogRequest request;
    request.mode = FileDialogMode::Open;
    const QString current = doc.PathName();
    request.directory = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    request.filters = QStringList{app.FileFilter(), app.LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(this, request);
    if (!name.isEmpty())
        OpenDocumentFile(name);
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    if (!SaveModified())
        return false;
    doc.OnNewDocument();
    const COrvikDoc::OpenResult result = doc.OnOpenDocument(path);
    // An unreadable file fails the open; a file that is not ours opens as a cleared image.
    if (ReportDataFileRejected(this, app.catalog(), path, result.status, result.error))
        return result.status == LoadStatus::HeaderRejected;
    if (!detachIfBackup(path) && recordRecentFiles)
        app.AddToRecentFiles(doc.PathName());
    // A short file opens with the rest filled with 0xFF, but a radio should not get it unseen.
    ReportShortDataFile(this, app.catalog(), path, result.bytesRead);
    return true;
}

void CMainFrame::OnFileCompare() {
    const QString current = doc.PathName();
    FileDialogRequest request;
    request.mode = FileDialogMode::Open;
    request.directory = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath();
    request.filters = QStringList{app.FileFilter(), app.LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(this, request);
    if (name.isEmpty())
        return;
    HeaderBlock header{};
    RadioImage other;
    std::string error;
    const LoadStatus status =
        LoadDataFile(QFile::encodeName(name).toStdString(), header, other, &error);
    if (ReportDataFileRejected(this, app.catalog(), name, status, error))
        return;
    const DiffTexts texts =
        LoadDiffTexts(app.catalog(), ReadBandNames(app.paths().SettingsFilePath()));
    CCompareDlg dialog(
        app.catalog(), FillText(app.LangText("IDS_DIFF_TITLE"), {QFileInfo(name).fileName()}),
        app.LangText("IDS_DIFF_THAT"), CompareImages(doc.image(), other, texts), this);
    dialog.exec();
}

void CMainFrame::OpenRecentFile(int index) {
    const QStringList recent = app.RecentFiles();
    if (index < 0 || index >= recent.size())
        return;
    const QString path = recent.at(index);
    if (!OpenDocumentFile(path) && !QFileInfo(path).isReadable())
        app.RemoveFromRecentFiles(path);
}

bool CMainFrame::OnFileSave() {
    if (doc.PathName().isEmpty())
        return OnFileSaveAs();
    return saveToOwnFile(true);
}

bool CMainFrame::OnFileSaveAs() {
    const QString path = doc.PathName();
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.directory = path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
    request.suggestedName = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    request.filters = QStringList{app.FileFilter(), app.LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(this, request);
    if (name.isEmpty())
        return false;
    return saveTo(name);
}

void CMainFrame::OnFileExportChannels() {
    const QString path = doc.PathName();
    bool standardOnly = false;
    FileDialogRequest request;
    request.mode = FileDialogMode::Save;
    request.directory = path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
    request.suggestedName =
        path.isEmpty() ? QString() : QFileInfo(path).completeBaseName() + ".csv";
    request.filters = QStringList{app.LangText("IDS_CSV_FILTER") + " (*.csv)",
                                  app.LangText("IDS_FILTER_ALL") + " (*)"};
    request.defaultSuffix = QStringLiteral("csv");
    request.optionText = app.LangText("IDS_CSV_STANDARD_ONLY");
    request.option = &standardOnly;
    const QString name = AskFileName(this, request);
    if (name.isEmpty())
        return;
    const SaveResult result =
        SaveFileAtomically(QFile::encodeName(name).toStdString(),
                           ExportChannelsCsv(doc.image(), standardOnly), SaveMode::Replace);
    if (!result.ok) {
        ShowMessageBox(this,
                       app.LangText("IDS_ERROR_FILE_WRITE") + "\n" +
                           QDir::toNativeSeparators(name) + "\n" +
                           QString::fromLocal8Bit(std::strerror(result.error)),
                       app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    ShowStatusMessage(
        FillText(app.LangText(lang::IDS_STATUS_EXPORTED),
                 {QString::number(ChannelsInUse(doc.image())), QFileInfo(name).fileName()}),
        SavedMessageMs);
}

void CMainFrame::OnFileImportChannels() {
    const QString path = doc.PathName();
    FileDialogRequest request;
    request.mode = FileDialogMode::Open;
    request.directory = path.isEmpty() ? QDir::homePath() : QFileInfo(path).absolutePath();
    request.filters = QStringList{app.LangText("IDS_CSV_FILTER") + " (*.csv)",
                                  app.LangText("IDS_FILTER_ALL") + " (*)"};
    const QString name = AskFileName(this, request);
    if (name.isEmpty())
        return;
    QFile file(name);
    // Larger files are no channel list.
    constexpr qint64 MaxCsvBytes = 16 << 20;
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(MaxCsvBytes + 1);
    if (!file.isOpen() || file.error() != QFileDevice::NoError || bytes.size() > MaxCsvBytes) {
        ShowMessageBox(this,
                       app.LangText("IDS_ERROR_FILE_READ") + "\n" + QDir::toNativeSeparators(name) +
                           "\n" + file.errorString(),
                       app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    CCsvImportDlg preview(app.catalog(), doc.data(), bytes.toStdString(), this);
    if (!preview.result().usable) {
        ShowMessageBox(this, app.LangText("IDS_CSV_NO_HEADER"), app.LangText("IDS_WINDOWNAME"),
                       MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    if (preview.exec() != QDialog::Accepted)
        return;
    // One step: the file applied to the document as the preview showed it.
    CsvImportResult result;
    doc.ApplyCsv(bytes.toStdString(), preview.options(), result, lang::IDS_STEP_IMPORT);
    doc.UpdateAllViews();
}

bool CMainFrame::saveTo(const QString& fileName) {
    const SaveResult result = doc.DoSave(fileName);
    const QString shownPath = QDir::toNativeSeparators(fileName);
    if (!result.ok) {
        const QString reason = result.error != 0
                                   ? QString::fromLocal8Bit(std::strerror(result.error))
                                   : QString::fromStdString(result.errorText);
        ShowMessageBox(this,
                       app.LangText("IDS_ERROR_FILE_WRITE") + "\n" + shownPath + "\n" + reason,
                       app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    if (result.ownerChanged)
        ShowMessageBox(this, app.LangText("IDS_WARN_OWNER_CHANGED") + "\n" + shownPath,
                       app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Information);
    if (recordRecentFiles)
        app.AddToRecentFiles(doc.PathName());
    ShowStatusMessage(
        FillText(app.LangText(lang::IDS_STATUS_SAVED), {QFileInfo(doc.PathName()).fileName()}),
        SavedMessageMs);
    return true;
}

bool CMainFrame::SaveModified() {
    if (!doc.IsModified())
        return true;
    const QString path = doc.PathName();
    const QString title = !doc.CopyTitle().isEmpty() ? doc.CopyTitle()
                          : path.isEmpty()           ? app.LangText("IDS_UNTITLED")
                                                     : ElideMiddle(QFileInfo(path).fileName());
    const int answer = ShowMessageBox(this, app.SaveQuestion(title), app.LangText("IDS_WINDOWNAME"),
                                      MsgButtons::YesNoCancel, MsgIcon::Exclamation);
    if (answer == MsgNo)
        return true;
    if (answer != MsgYes)
        return false;
    return path.isEmpty() ? OnFileSaveAs() : saveToOwnFile(false);
}

// ---- Program, Setting, Help --------------------------------------------------------------

bool CMainFrame::confirmShortWrite() {
    const std::size_t held = doc.ShortFileBytes();
    if (held == 0)
        return true;
    return ShowMessageBox(
               this, FillText(app.LangText(lang::IDS_ASK_SHORT_WRITE), {QString::number(held)}),
               app.LangText("IDS_WINDOWNAME"), MsgButtons::YesNo, MsgIcon::Exclamation) == MsgYes;
}

void CMainFrame::RunTransfer(bool isRead) {
    if (!isRead && !confirmShortWrite())
        return;
    CTransferDlg dialog(app, this);
    dialog.isRead = isRead;
    const int result = dialog.exec();
    reportBackupSettings();
    if (isRead && result == QDialog::Accepted)
        reportRead(dialog.readBackupPath());
}

void CMainFrame::OnProgramWriteFleet() {
    if (!confirmShortWrite())
        return;
    CFleetDlg dialog(app, this);
    dialog.exec();
}

void CMainFrame::OnSettingPort() {
    CPortDlg dialog(app, this);
    dialog.exec();
}

void CMainFrame::OnSettingLanguage() {
    CLanguageDlg dialog(app.paths(), app.catalog(), this);
    if (dialog.exec() == QDialog::Accepted) {
        app.RefreshLanguage();
        if (!dialog.settingStored())
            app.ReportSettingNotStored(this);
        app.ReportLanguageFallback(this);
    }
}

void CMainFrame::onHelp() {
    const QString helpFile = QString::fromStdString(app.paths().HelpFilePath());
    // Without a launcher the HTML page shows in a window of the program's own; without the
    // file, or anything that shows it, the user is told which file.
    bool opened = false;
    OpenHelp(helpFile, app.LangText("IDS_WINDOWNAME"), this, opened);
    if (!opened)
        ShowMessageBox(
            this, app.LangText("IDS_ERROR_HELP_OPEN") + "\n" + QDir::toNativeSeparators(helpFile),
            app.LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void CMainFrame::onCheckConnection() {
    CConnectionDlg dialog(app, this);
    dialog.exec();
}

void CMainFrame::onAbout() {
    CAboutDlg dialog(app.catalog(), this);
    dialog.exec();
}

// ---- window ------------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
    // An edit still open in the table is stored first, so the question sees it.
    formView->endOpenEdit();
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    app.port().Close();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            activateWindow();
            // Opened after the drop has finished, so a question box does not block the source.
            const QString path = url.toLocalFile();
            QTimer::singleShot(0, this, [this, path] { OpenDocumentFile(path); });
            return;
        }
    }
}

} // namespace orvik
