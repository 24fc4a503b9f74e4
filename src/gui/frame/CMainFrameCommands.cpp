// The command table of the main window and what is built from it: the actions with their
// icons and shortcuts, the menus (the recent files and the Sort submenu among them), the
// toolbar, the tool tips, and the menu texts relabelled from the language file.

#include "core/lang/LangKeys.h"
#include "gui/app/COrvikApp.h"
#include "gui/app/ProblemReportUi.h"
#include "gui/frame/CMainFrame.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"
#include "gui/views/COrvikView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include <string>
#include <vector>

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

// Shorthand of the command table: the window its handlers act on, and "no style icon".
using F = CMainFrame;
constexpr auto none = QStyle::SP_CustomBase;

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

} // namespace

const std::vector<CMainFrame::Command>& CMainFrame::commands() {
    // In menu order; the actions are created, and their texts relabelled, in this order.
    static const std::vector<Command> table = [] {
        std::vector<Command> all;
        for (const std::vector<Command>& part :
             {fileCommands(), printAndProgramCommands(), settingAndHelpCommands(), editCommands(),
              tableCommands(), viewAndPlanCommands()})
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }();
    return table;
}

// File: the document and its channels as files.
std::vector<CMainFrame::Command> CMainFrame::fileCommands() {
    return {
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
    };
}

// File: printing and Exit; Program: the transfers with the radio.
std::vector<CMainFrame::Command> CMainFrame::printAndProgramCommands() {
    return {
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
    };
}

// Setting and Help, and the commands without a menu entry.
std::vector<CMainFrame::Command> CMainFrame::settingAndHelpCommands() {
    return {
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
    };
}

// Edit: undo and redo of the document's steps, and the channels as rows.
std::vector<CMainFrame::Command> CMainFrame::editCommands() {
    return {
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
    };
}

// The channel table as a table: several channels at once, and find.
std::vector<CMainFrame::Command> CMainFrame::tableCommands() {
    return {
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
    };
}

// The View menu's All Settings and Check Channels, and Edit > Insert from Plan.
std::vector<CMainFrame::Command> CMainFrame::viewAndPlanCommands() {
    return {
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

QString CMainFrame::ToolTipText(int commandId) const {
    if (commandId == 0)
        return {};
    return app.LangText("IDS_TIP_" + std::to_string(commandId)).left(19);
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

} // namespace orvik
