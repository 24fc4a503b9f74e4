#include "gui/frame/CMainFrame.h"

#include "core/lang/LangText.h"
#include "core/link/PortNames.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/COrvikDoc.h"
#include "gui/lang/ResourceIds.h"
#include "gui/frame/CAboutDlg.h"
#include "gui/frame/HelpFile.h"
#include "gui/lang/LangUi.h"
#include "gui/views/COrvikView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

// The toolbar artwork lives in a static library: its resources must be pulled in by hand.
static void initToolbarArtwork() {
    Q_INIT_RESOURCE(icons);
}

namespace orvik {

using namespace ids;

namespace {

struct MenuEntry {
    int id;
    const char* key;
    const char* fallback;
};

// The menu keys in the order they are applied.
constexpr const char* TopMenuKeys[] = {"Menu_File", "Menu_Program", "Menu_Setting", "Menu_Help"};
constexpr const char* TopMenuFallback[] = {"&File", "&Program", "&Setting", "&Help"};
constexpr MenuEntry CommandEntries[] = {
    {ID_FILE_NEW, "Menu_File_New", "&New\tCtrl+N"},
    {ID_FILE_OPEN, "Menu_File_Open", "&Open...\tCtrl+O"},
    {ID_FILE_SAVE, "Menu_File_Save", "&Save\tCtrl+S"},
    {ID_FILE_SAVE_AS, "Menu_File_Save_As", "Save &As..."},
    {ID_FILE_PRINT, "Menu_File_Print", "&Print...\tCtrl+P"},
    {ID_FILE_PRINT_PREVIEW, "Menu_File_Print_Preview", "Print Pre&view"},
    {ID_FILE_PRINT_SETUP, "Menu_File_Print_Setup", "P&rint Setup..."},
    {ID_APP_EXIT, "Menu_App_Exit", "E&xit"},
    {ID_PROGRAM_READ, "Menu_Program_ReadData", "&Read data from the radio\tCtrl+R"},
    {ID_PROGRAM_WRITE, "Menu_Program_WriteData", "&Write data to the radio\tCtrl+W"},
    {ID_SETTING_PORT, "Menu_Setting_Port", "&Communication port\tCtrl+C"},
    {ID_SETTING_LANGUAGE, "Menu_Setting_Language", "&Language\tCtrl+L"},
    {ID_HELP_HELP, "Menu_Help_Help", "&Help"},
    {ID_APP_ABOUT, "Menu_App_About", "&About..."},
};

struct Accelerator {
    int key;
    Qt::KeyboardModifiers modifiers;
    int command;
};

const Accelerator AcceleratorTable[] = {
    {Qt::Key_N, Qt::ControlModifier, ID_FILE_NEW},
    {Qt::Key_O, Qt::ControlModifier, ID_FILE_OPEN},
    {Qt::Key_S, Qt::ControlModifier, ID_FILE_SAVE},
    {Qt::Key_P, Qt::ControlModifier, ID_FILE_PRINT},
    {Qt::Key_R, Qt::ControlModifier, ID_PROGRAM_READ},
    {Qt::Key_W, Qt::ControlModifier, ID_PROGRAM_WRITE},
    {Qt::Key_C, Qt::ControlModifier, ID_SETTING_PORT},
    {Qt::Key_L, Qt::ControlModifier, ID_SETTING_LANGUAGE},
    {Qt::Key_X, Qt::ControlModifier, ID_EDIT_CUT},
    {Qt::Key_Delete, Qt::ShiftModifier, ID_EDIT_CUT},
    {Qt::Key_Insert, Qt::ControlModifier, ID_EDIT_COPY},
    {Qt::Key_V, Qt::ControlModifier, ID_EDIT_PASTE},
    {Qt::Key_Insert, Qt::ShiftModifier, ID_EDIT_PASTE},
    {Qt::Key_Z, Qt::ControlModifier, ID_EDIT_UNDO},
    {Qt::Key_Backspace, Qt::AltModifier, ID_EDIT_UNDO},
    {Qt::Key_F6, Qt::NoModifier, ID_NEXT_PANE},
    {Qt::Key_F6, Qt::ShiftModifier, ID_PREV_PANE},
};

QIcon commandIcon(int id, QStyle* style) {
    struct IconName {
        int id;
        const char* theme;
        QStyle::StandardPixmap fallback;
    };
    static const IconName names[] = {
        {ID_FILE_NEW, "document-new", QStyle::SP_FileIcon},
        {ID_FILE_OPEN, "document-open", QStyle::SP_DialogOpenButton},
        {ID_FILE_SAVE, "document-save", QStyle::SP_DialogSaveButton},
        {ID_PROGRAM_READ, "go-down", QStyle::SP_ArrowDown},
        {ID_PROGRAM_WRITE, "go-up", QStyle::SP_ArrowUp},
        {ID_FILE_PRINT, "document-print", QStyle::SP_FileDialogDetailedView},
        {ID_HELP_HELP, "help-contents", QStyle::SP_DialogHelpButton},
    };
    for (const IconName& n : names) {
        if (n.id != id)
            continue;
        if (QIcon::hasThemeIcon(n.theme))
            return QIcon::fromTheme(n.theme);
        // Shipped artwork where the desktop's theme has none.
        const QString artwork = QStringLiteral(":/orvik/icons/%1.png").arg(n.theme);
        if (QFile::exists(artwork))
            return QIcon(artwork);
        return style->standardIcon(n.fallback);
    }
    return {};
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

CMainFrame::CMainFrame(COrvikApp& application) : app(application) {
    initToolbarArtwork();
    setAcceptDrops(true);

    QMenu* file = menuBar()->addMenu(TopMenuFallback[0]);
    QMenu* program = menuBar()->addMenu(TopMenuFallback[1]);
    QMenu* setting = menuBar()->addMenu(TopMenuFallback[2]);
    QMenu* help = menuBar()->addMenu(TopMenuFallback[3]);
    menus = {file, program, setting, help};

    auto fallback = [](int id) {
        for (const MenuEntry& e : CommandEntries)
            if (e.id == id)
                return QString::fromUtf8(e.fallback);
        return QString();
    };
    addCommand(file, ID_FILE_NEW, fallback(ID_FILE_NEW));
    addCommand(file, ID_FILE_OPEN, fallback(ID_FILE_OPEN));
    addCommand(file, ID_FILE_SAVE, fallback(ID_FILE_SAVE));
    addCommand(file, ID_FILE_SAVE_AS, fallback(ID_FILE_SAVE_AS));
    file->addSeparator();
    addCommand(file, ID_FILE_PRINT, fallback(ID_FILE_PRINT));
    addCommand(file, ID_FILE_PRINT_PREVIEW, fallback(ID_FILE_PRINT_PREVIEW));
    addCommand(file, ID_FILE_PRINT_SETUP, fallback(ID_FILE_PRINT_SETUP));
    file->addSeparator();
    for (int i = 0; i < RecentFileCount; ++i) {
        QAction* a = file->addAction(QString());
        a->setData(ID_FILE_MRU_FIRST + i);
        connect(a, &QAction::triggered, this, [this, i] { app.OpenRecentFile(i); });
        recentActions.append(a);
    }
    recentSeparator = file->addSeparator();
    addCommand(file, ID_APP_EXIT, fallback(ID_APP_EXIT));
    addCommand(program, ID_PROGRAM_READ, fallback(ID_PROGRAM_READ));
    addCommand(program, ID_PROGRAM_WRITE, fallback(ID_PROGRAM_WRITE));
    addCommand(setting, ID_SETTING_PORT, fallback(ID_SETTING_PORT));
    addCommand(setting, ID_SETTING_LANGUAGE, fallback(ID_SETTING_LANGUAGE));
    addCommand(help, ID_HELP_HELP, fallback(ID_HELP_HELP));
    addCommand(help, ID_APP_ABOUT, fallback(ID_APP_ABOUT));
    // Print directly has no menu entry; the command is there for the view's print hooks.
    actions.insert(ID_FILE_PRINT_DIRECT, new QAction(this));
    connect(actions.value(ID_FILE_PRINT_DIRECT), &QAction::triggered, this,
            [this] { OnCommand(ID_FILE_PRINT_DIRECT); });
    UpdateRecentFileMenu();

    createToolBar();
    createStatusBar();

    formView = new COrvikView(app, *app.document(), this);
    setCentralWidget(formView);

    // Size and place: 900 x 650, centred on the desktop.
    resize(900, 650);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(450, 325));
    }
    ShowPortInStatusBar(
        ini::GetInt(app.paths().SettingsFilePath(), keys::SetupSection, keys::ComKey, 1));
    UpdateFrameTitle();

    // Accelerators act anywhere in the main window, also over the in-place editors, before a
    // focused text field could take the key.
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    app.port().Close();
}

QMenu* CMainFrame::topMenu(int position) const {
    return menus.value(position, nullptr);
}

QAction* CMainFrame::addCommand(QMenu* menu, int id, const QString& fallback) {
    QAction* a = menu->addAction(fallback);
    a->setData(id);
    if (QIcon icon = commandIcon(id, style()); !icon.isNull())
        a->setIcon(icon);
    a->setIconVisibleInMenu(false);
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    actions.insert(id, a);
    return a;
}

void CMainFrame::createToolBar() {
    mainToolBar = addToolBar(QStringLiteral("Standard"));
    mainToolBar->setObjectName("toolbar");
    mainToolBar->setMovable(true);
    mainToolBar->setFloatable(true);
    mainToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    mainToolBar->setIconSize(QSize(20, 20));
    mainToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int order[] = {ID_FILE_NEW, ID_FILE_OPEN,    ID_FILE_SAVE,
                         0,           ID_PROGRAM_READ, ID_PROGRAM_WRITE,
                         0,           ID_FILE_PRINT,   0,
                         ID_HELP_HELP};
    for (int id : order) {
        if (id == 0) {
            mainToolBar->addSeparator();
            continue;
        }
        QAction* a = actions.value(id);
        mainToolBar->addAction(a);
        if (QWidget* button = mainToolBar->widgetForAction(a)) {
            button->setProperty("orvikCommand", id);
            button->installEventFilter(this);
        }
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

QString CMainFrame::ToolTipText(int commandId) {
    if (commandId == 0)
        return {};
    const QString text = LangText(("IDS_TIP_" + std::to_string(commandId)));
    return text.left(19);
}

void CMainFrame::UpdateFrameTitle() {
    setWindowTitle(LangText("IDS_WINDOWNAME"));
}

void CMainFrame::RelabelMenu() {
    const QList<QAction*> top = menuBar()->actions();
    for (int i = 0; i < 4 && i < top.size(); ++i)
        top[i]->setText(LangText(TopMenuKeys[i]));
    for (const MenuEntry& e : CommandEntries) {
        if (QAction* a = actions.value(e.id)) {
            a->setText(LangText(e.key));
            a->setToolTip(ToolTipText(e.id));
        }
    }
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

void CMainFrame::OnCommand(int id) {
    COrvikDoc* doc = app.document();
    switch (id) {
    case ID_FILE_NEW:
        app.OnFileNew();
        break;
    case ID_FILE_OPEN:
        app.OnFileOpen();
        break;
    case ID_FILE_SAVE:
        doc->OnFileSave();
        break;
    case ID_FILE_SAVE_AS:
        doc->OnFileSaveAs();
        break;
    case ID_FILE_PRINT:
        formView->OnFilePrint(false);
        break;
    case ID_FILE_PRINT_DIRECT:
        formView->OnFilePrint(true);
        break;
    case ID_FILE_PRINT_PREVIEW:
        formView->OnFilePrintPreview();
        break;
    case ID_FILE_PRINT_SETUP:
        formView->OnFilePrintSetup();
        break;
    case ID_APP_EXIT:
        close();
        break;
    case ID_PROGRAM_READ:
    case ID_PROGRAM_WRITE:
        app.RunTransfer(id == ID_PROGRAM_READ);
        break;
    case ID_SETTING_PORT:
        app.OnSettingPort();
        break;
    case ID_SETTING_LANGUAGE:
        app.OnSettingLanguage();
        break;
    case ID_HELP_HELP:
        onHelp();
        break;
    case ID_APP_ABOUT:
        onAbout();
        break;
    default:
        // Cut, Copy, Paste, Undo and the pane commands have no handler: nothing happens.
        break;
    }
}

void CMainFrame::onHelp() {
    const QString helpFile = HelpFilePath(QString::fromStdString(app.paths().LanguageFilePath()));
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

void CMainFrame::onAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

bool CMainFrame::handleAccelerator(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    for (const Accelerator& acc : AcceleratorTable) {
        if (event->key() == acc.key && mods == acc.modifiers) {
            if (event->type() == QEvent::KeyPress)
                OnCommand(acc.command);
            return true;
        }
    }
    return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != this || !isEnabled())
            break;
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleAccelerator(key)) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::ToolTip: {
        const QVariant command = watched->property("orvikCommand");
        if (command.isValid()) {
            auto* help = static_cast<QHelpEvent*>(event);
            const QString tip = ToolTipText(command.toInt());
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), tip, qobject_cast<QWidget*>(watched));
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!app.document()->SaveModified()) {
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
            QTimer::singleShot(0, this, [this, path] { app.OpenDocumentFile(path); });
            return;
        }
    }
}

} // namespace orvik
