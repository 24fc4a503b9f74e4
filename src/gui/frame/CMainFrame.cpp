#include "gui/frame/CMainFrame.h"

#include "core/lang/LangKeys.h"
#include "core/model/Backup.h"
#include "core/model/ChannelCsv.h"
#include "core/model/ImageDiff.h"
#include "core/profile/AtomicSave.h"
#include "gui/frame/CCompareDlg.h"
#include "gui/frame/CCsvImportDlg.h"
#include "gui/frame/CHelpWindow.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/PortNames.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/DataFileMessages.h"
#include "gui/app/MessageBox.h"
#include "gui/app/ProblemReportUi.h"
#include "gui/frame/CAboutDlg.h"
#include "gui/lang/CLanguageDlg.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/link/CConnectionDlg.h"
#include "gui/link/CFleetDlg.h"
#include "gui/link/CPortDlg.h"
#include "gui/link/CTransferDlg.h"
#include "gui/views/COrvikView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cstring>
#include <vector>

// The toolbar artwork lives in a static library: its resources must be pulled in by hand.
static void initToolbarArtwork() {
    Q_INIT_RESOURCE(icons);
}

namespace orvik {

using namespace ids;

// One command of the window: its id (the key of its tool tip "IDS_TIP_<id>"), the language
// key of its menu text and the text shown before the language file is applied, its icon (a
// theme name, shipped artwork of that name, else a style icon), its shortcuts and its handler.
// A command without a handler is an accelerator that does nothing in the window (the pane
// keys). A focused text field, list or the table takes the editing keys first.
struct CMainFrame::Command {
    int id;
    const char* textKey;
    const char* fallback;
    const char* icon;
    QStyle::StandardPixmap standardIcon;
    const char* shortcuts[2];
    void (*handler)(CMainFrame&);
};

namespace {

// How long the message after a save or an export stays in the status bar.
constexpr int SavedMessageMs = 6000;

constexpr const char* TopMenuKeys[] = {"Menu_File", "Menu_Program", "Menu_Setting", "Menu_Help"};
constexpr const char* TopMenuFallback[] = {"&File", "&Program", "&Setting", "&Help"};

// Menu layout: command ids by drop-down menu; 0 is a separator, -1 the recent files.
constexpr int FileMenu[] = {ID_FILE_NEW,
                            ID_FILE_NEW_PLAN,
                            ID_FILE_OPEN,
                            ID_FILE_SAVE,
                            ID_FILE_SAVE_AS,
                            0,
                            ID_FILE_COMPARE,
                            ID_FILE_OPEN_BACKUP,
                            0,
                            ID_FILE_IMPORT_CSV,
                            ID_FILE_EXPORT_CSV,
                            0,
                            ID_FILE_PRINT,
                            ID_FILE_PRINT_PREVIEW,
                            ID_FILE_PRINT_SETUP,
                            0,
                            -1,
                            ID_APP_EXIT};
// -2: the Sort Channels by submenu.
constexpr int SortSubmenu = -2;
constexpr int EditMenu[] = {ID_EDIT_UNDO,
                            ID_EDIT_REDO,
                            0,
                            ID_EDIT_CUT,
                            ID_EDIT_COPY,
                            ID_EDIT_PASTE,
                            ID_EDIT_CLEAR,
                            ID_EDIT_SELECT_ALL,
                            0,
                            ID_EDIT_INSERT_CHANNEL,
                            ID_EDIT_MOVE_UP,
                            ID_EDIT_MOVE_DOWN,
                            0,
                            ID_EDIT_EDIT_CHANNELS,
                            SortSubmenu,
                            ID_EDIT_FILL,
                            ID_EDIT_INSERT_PLAN,
                            0,
                            ID_EDIT_FIND,
                            ID_EDIT_FIND_NEXT};
constexpr int ViewMenu[] = {ID_VIEW_ALL_SETTINGS, ID_VIEW_CHECK};
constexpr int ProgramMenu[] = {ID_PROGRAM_READ, ID_PROGRAM_WRITE, ID_PROGRAM_WRITE_FLEET};
constexpr int SettingMenu[] = {ID_SETTING_PORT, ID_SETTING_LANGUAGE};
constexpr int HelpMenu[] = {ID_HELP_HELP, ID_HELP_CHECK, ID_HELP_REPORT, ID_APP_ABOUT};
constexpr int ToolBarOrder[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_PROGRAM_READ, ID_PROGRAM_WRITE, 0, ID_FILE_PRINT,
    0,           ID_HELP_HELP};

QIcon commandIcon(const char* theme, QStyle::StandardPixmap fallback, QStyle* style) {
    if (theme == nullptr)
        return {};
    if (QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    // Shipped artwork where the desktop's theme has none.
    const QString artwork = QStringLiteral(":/orvik/icons/%1.png").arg(theme);
    if (QFile::exists(artwork))
        return QIcon(artwork);
    return style->standardIcon(fallback);
}

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

const std::vector<CMainFrame::Command>& CMainFrame::commands() {
    using F = CMainFrame;
    constexpr auto none = QStyle::SP_CustomBase;
    static const std::vector<Command> table = {
        {ID_FILE_NEW,
         "Menu_File_New",
         "&New\tCtrl+N",
         "document-new",
         QStyle::SP_FileIcon,
         {"Ctrl+N"},
         [](F& f) { f.OnFileNew(); }},
        {ID_FILE_NEW_PLAN,
         "Menu_File_New_Plan",
         "New from Pla&n...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileNewFromPlan(); }},
        {ID_FILE_OPEN,
         "Menu_File_Open",
         "&Open...\tCtrl+O",
         "document-open",
         QStyle::SP_DialogOpenButton,
         {"Ctrl+O"},
         [](F& f) { f.OnFileOpen(); }},
        {ID_FILE_SAVE,
         "Menu_File_Save",
         "&Save\tCtrl+S",
         "document-save",
         QStyle::SP_DialogSaveButton,
         {"Ctrl+S"},
         [](F& f) { f.OnFileSave(); }},
        {ID_FILE_SAVE_AS,
         "Menu_File_Save_As",
         "Save &As...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileSaveAs(); }},
        {ID_FILE_COMPARE,
         "Menu_File_Compare",
         "Co&mpare with...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileCompare(); }},
        {ID_FILE_OPEN_BACKUP,
         "Menu_File_Open_Backup",
         "Open &Backup...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileOpenBackup(); }},
        {ID_FILE_IMPORT_CSV,
         "Menu_File_Import_Csv",
         "&Import channels...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileImportChannels(); }},
        {ID_FILE_EXPORT_CSV,
         "Menu_File_Export_Csv",
         "&Export channels...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnFileExportChannels(); }},
        {ID_FILE_PRINT,
         "Menu_File_Print",
         "&Print...\tCtrl+P",
         "document-print",
         QStyle::SP_FileDialogDetailedView,
         {"Ctrl+P"},
         [](F& f) { f.formView->OnFilePrint(false); }},
        {ID_FILE_PRINT_PREVIEW,
         "Menu_File_Print_Preview",
         "Print Pre&view",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->OnFilePrintPreview(); }},
        {ID_FILE_PRINT_SETUP,
         "Menu_File_Print_Setup",
         "P&rint Setup...",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->OnFilePrintSetup(); }},
        {ID_APP_EXIT, "Menu_App_Exit", "E&xit", nullptr, none, {}, [](F& f) { f.close(); }},
        {ID_PROGRAM_READ,
         "Menu_Program_ReadData",
         "&Read data from the radio\tCtrl+R",
         "go-down",
         QStyle::SP_ArrowDown,
         {"Ctrl+R"},
         [](F& f) { f.RunTransfer(true); }},
        {ID_PROGRAM_WRITE,
         "Menu_Program_WriteData",
         "&Write data to the radio\tCtrl+W",
         "go-up",
         QStyle::SP_ArrowUp,
         {"Ctrl+W"},
         [](F& f) { f.RunTransfer(false); }},
        {ID_PROGRAM_WRITE_FLEET,
         "Menu_Program_WriteFleet",
         "Write to &Several Radios...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnProgramWriteFleet(); }},
        {ID_SETTING_PORT,
         "Menu_Setting_Port",
         "&Communication port\tCtrl+C",
         nullptr,
         none,
         {"Ctrl+C"},
         [](F& f) { f.OnSettingPort(); }},
        {ID_SETTING_LANGUAGE,
         "Menu_Setting_Language",
         "&Language\tCtrl+L",
         nullptr,
         none,
         {"Ctrl+L"},
         [](F& f) { f.OnSettingLanguage(); }},
        {ID_HELP_HELP,
         "Menu_Help_Help",
         "&Help",
         "help-contents",
         QStyle::SP_MessageBoxQuestion,
         {},
         [](F& f) { f.onHelp(); }},
        {ID_HELP_CHECK,
         "Menu_Help_Check",
         "&Check the Connection...",
         nullptr,
         none,
         {},
         [](F& f) { f.onCheckConnection(); }},
        {ID_HELP_REPORT,
         "Menu_Help_Report",
         "Save a &Problem Report...",
         nullptr,
         none,
         {},
         [](F& f) { SaveProblemReport(f.app, &f); }},
        {ID_APP_ABOUT, "Menu_App_About", "&About...", nullptr, none, {}, [](F& f) { f.onAbout(); }},
        // Without a menu entry: print without the dialog, and the accelerators that do nothing.
        {ID_FILE_PRINT_DIRECT,
         nullptr,
         nullptr,
         nullptr,
         none,
         {},
         [](F& f) { f.formView->OnFilePrint(true); }},
        // Edit: undo and redo of the document's steps, and the channels as rows.
        {ID_EDIT_UNDO,
         "Menu_Edit_Undo",
         "&Undo",
         nullptr,
         none,
         {"Ctrl+Z", "Alt+Backspace"},
         [](F& f) { f.onUndo(false); }},
        {ID_EDIT_REDO,
         "Menu_Edit_Redo",
         "&Redo",
         nullptr,
         none,
         {"Ctrl+Shift+Z", "Ctrl+Y"},
         [](F& f) { f.onUndo(true); }},
        {ID_EDIT_CUT,
         "Menu_Edit_Cut",
         "Cu&t",
         nullptr,
         none,
         {"Ctrl+X", "Shift+Del"},
         [](F& f) { f.formView->CutSelection(); }},
        {ID_EDIT_COPY,
         "Menu_Edit_Copy",
         "&Copy\tCtrl+Ins",
         nullptr,
         none,
         {"Ctrl+Ins"},
         [](F& f) { f.formView->CopySelection(); }},
        {ID_EDIT_PASTE,
         "Menu_Edit_Paste",
         "&Paste",
         nullptr,
         none,
         {"Ctrl+V", "Shift+Ins"},
         [](F& f) { f.formView->PasteClipboard(); }},
        {ID_EDIT_CLEAR,
         "Menu_Edit_Delete",
         "&Delete",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->DeleteSelection(); }},
        {ID_EDIT_INSERT_CHANNEL,
         "Menu_Edit_Insert",
         "&Insert Empty Channel",
         nullptr,
         none,
         {"Alt+Ins"},
         [](F& f) { f.formView->InsertChannel(); }},
        {ID_EDIT_MOVE_UP,
         "Menu_Edit_Move_Up",
         "&Move Up",
         nullptr,
         none,
         {"Alt+Up"},
         [](F& f) { f.formView->MoveSelection(-1); }},
        {ID_EDIT_MOVE_DOWN,
         "Menu_Edit_Move_Down",
         "Move Do&wn",
         nullptr,
         none,
         {"Alt+Down"},
         [](F& f) { f.formView->MoveSelection(1); }},
        // The channel table as a table: several channels at once, find, and the View menu.
        {ID_EDIT_SELECT_ALL,
         "Menu_Edit_Select_All",
         "Select &All",
         nullptr,
         none,
         {"Ctrl+A"},
         [](F& f) { f.formView->SelectAll(); }},
        {ID_EDIT_EDIT_CHANNELS,
         "Menu_Edit_Edit_Channels",
         "&Edit Selected Channels...",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->EditSelectedChannels(); }},
        {ID_EDIT_SORT_RX,
         "Menu_Edit_Sort_Rx",
         "RX Frequency",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->SortChannels(SortKey::RxFrequency); }},
        {ID_EDIT_SORT_TX,
         "Menu_Edit_Sort_Tx",
         "TX Frequency",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->SortChannels(SortKey::TxFrequency); }},
        {ID_EDIT_SORT_RX_TONE,
         "Menu_Edit_Sort_Rx_Tone",
         "RX Tone",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->SortChannels(SortKey::RxTone); }},
        {ID_EDIT_SORT_TX_TONE,
         "Menu_Edit_Sort_Tx_Tone",
         "TX Tone",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->SortChannels(SortKey::TxTone); }},
        {ID_EDIT_FILL,
         "Menu_Edit_Fill",
         "&Fill Frequencies...",
         nullptr,
         none,
         {},
         [](F& f) { f.formView->FillFrequencies(); }},
        {ID_EDIT_FIND,
         "Menu_Edit_Find",
         "&Find...",
         nullptr,
         none,
         {"Ctrl+F"},
         [](F& f) { f.formView->Find(); }},
        {ID_EDIT_FIND_NEXT,
         "Menu_Edit_Find_Next",
         "Find &Next",
         nullptr,
         none,
         {"F3"},
         [](F& f) { f.formView->FindNext(); }},
        {ID_VIEW_ALL_SETTINGS,
         "Menu_View_All_Settings",
         "&All Settings",
         nullptr,
         none,
         {},
         [](F& f) { f.setAllSettingsShown(f.action(ID_VIEW_ALL_SETTINGS)->isChecked()); }},
        {ID_EDIT_INSERT_PLAN,
         "Menu_Edit_Insert_Plan",
         "Insert from &Plan...",
         nullptr,
         none,
         {},
         [](F& f) { f.OnEditInsertFromPlan(); }},
        {ID_VIEW_CHECK,
         "Menu_View_Check",
         "&Check Channels",
         nullptr,
         none,
         {},
         [](F& f) { f.OnViewCheckChannels(); }},
    };
    return table;
}

void CMainFrame::createActions() {
    for (const Command& c : commands()) {
        auto* a = new QAction(c.fallback ? QString::fromUtf8(c.fallback) : QString(), this);
        a->setData(c.id);
        if (QIcon icon = commandIcon(c.icon, c.standardIcon, style()); !icon.isNull())
            a->setIcon(icon);
        a->setIconVisibleInMenu(false);
        QList<QKeySequence> keys;
        for (const char* k : c.shortcuts)
            if (k != nullptr)
                keys.append(QKeySequence(QString::fromLatin1(k)));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        if (c.handler != nullptr)
            connect(a, &QAction::triggered, this, [this, handler = c.handler] { handler(*this); });
        // Also the commands without a menu entry or toolbar button take their keys in the window.
        addAction(a);
        actions.insert(c.id, a);
    }
}

void CMainFrame::createMenus() {
    auto fill = [this](QMenu* menu, const auto& ids) {
        for (int id : ids) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == -1) {
                for (int i = 0; i < RecentFileCount; ++i) {
                    QAction* a = menu->addAction(QString());
                    a->setData(ID_FILE_MRU_FIRST + i);
                    connect(a, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
                    recentActions.append(a);
                }
                recentSeparator = menu->addSeparator();
            } else if (id == SortSubmenu) {
                sortMenu = menu->addMenu(QStringLiteral("&Sort Channels by"));
                for (int sortId :
                     {ID_EDIT_SORT_RX, ID_EDIT_SORT_TX, ID_EDIT_SORT_RX_TONE, ID_EDIT_SORT_TX_TONE})
                    sortMenu->addAction(actions.value(sortId));
            } else {
                menu->addAction(actions.value(id));
            }
        }
    };
    for (const char* title : TopMenuFallback)
        menus.append(menuBar()->addMenu(QString::fromUtf8(title)));
    fill(menus[0], FileMenu);
    fill(menus[1], ProgramMenu);
    fill(menus[2], SettingMenu);
    fill(menus[3], HelpMenu);
    // Edit goes after File; it is topMenu(4), so File, Program, Setting and Help keep positions
    // 0 to 3.
    QMenu* edit = new QMenu(QStringLiteral("&Edit"), this);
    menuBar()->insertMenu(menus[1]->menuAction(), edit);
    menus.append(edit);
    fill(edit, EditMenu);
    // View goes after Edit; it is topMenu(5).
    QMenu* view = new QMenu(QStringLiteral("&View"), this);
    menuBar()->insertMenu(menus[1]->menuAction(), view);
    menus.append(view);
    fill(view, ViewMenu);
    UpdateRecentFileMenu();
}

QMenu* CMainFrame::topMenu(int position) const {
    return menus.value(position, nullptr);
}

void CMainFrame::createToolBar() {
    mainToolBar = addToolBar(QStringLiteral("Standard"));
    mainToolBar->setObjectName("toolbar");
    mainToolBar->setMovable(true);
    mainToolBar->setFloatable(true);
    mainToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    mainToolBar->setIconSize(QSize(20, 20));
    mainToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : ToolBarOrder) {
        if (id == 0)
            mainToolBar->addSeparator();
        else
            mainToolBar->addAction(actions.value(id));
    }
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

QString CMainFrame::ToolTipText(int commandId) const {
    if (commandId == 0)
        return {};
    return app.LangText("IDS_TIP_" + std::to_string(commandId)).left(19);
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

void CMainFrame::RelabelMenu() {
    for (int i = 0; i < 4 && i < menus.size(); ++i)
        menus[i]->setTitle(app.LangText(TopMenuKeys[i]));
    if (menus.size() > 4)
        menus[4]->setTitle(app.LangText("Menu_Edit"));
    if (menus.size() > 5)
        menus[5]->setTitle(app.LangText(lang::Menu_View));
    if (sortMenu != nullptr)
        sortMenu->setTitle(app.LangText(lang::Menu_Edit_Sort));
    for (const Command& c : commands()) {
        if (c.textKey == nullptr)
            continue;
        QAction* a = actions.value(c.id);
        a->setText(app.LangText(c.textKey));
        a->setToolTip(ToolTipText(c.id));
    }
    updateUndoTexts();
    UpdateFrameTitle();
    menuBar()->update();
}

void CMainFrame::UpdateRecentFileMenu() {
    const QStringList recent = app.RecentFiles();
    for (int i = 0; i < recentActions.size(); ++i) {
        QAction* a = recentActions[i];
        if (i < recent.size()) {
            QString shown = QDir::toNativeSeparators(recent.at(i));
            shown.replace('&', "&&");
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
    recentSeparator->setVisible(!recent.isEmpty());
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
