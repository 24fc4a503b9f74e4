#pragma once
// The main window: menus, toolbar and shortcuts built from one table of commands (QActions), the
// status bar with the port pane, and the window side of every command: the questions and file
// dialogs of New, Open and Save, the transfer, port, language and About dialogs, help. It hosts
// the form view and closes the serial port before it goes away.

#include <QMainWindow>
#include <QMap>

#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace orvik {

class COrvikApp;
class COrvikDoc;
class COrvikView;
class CheckMarks;
struct ChannelPlan;
struct CheckFinding;
struct PlanApplyOptions;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(COrvikApp& app);
    ~CMainFrame() override;

    // Start-up after the application object (its InitInstance done): the quiet File New, or the
    // data file of the command line, the view's first fill, the menu texts, and the window shown
    // unless `showWindow` is false (printing from the command line). A file that cannot be read
    // is reported and the window starts on a new document; the result is then false.
    bool Start(const QString& file = QString(), bool showWindow = true);
    // Whether opened and saved files go into the recent-file list (not when printing from the
    // command line).
    void SetRecentFilesRecorded(bool record) { recordRecentFiles = record; }
    // `name` on one line of at most `maxLength` characters: a longer one loses its middle.
    static QString ElideMiddle(const QString& name, int maxLength = 60);

    COrvikView* view() const { return formView; }

    // The action of a command id (menu entries, toolbar buttons and shortcuts share it); null
    // if none.
    QAction* action(int commandId) const { return actions.value(commandId, nullptr); }
    QMenu* topMenu(int position) const;
    // The commands of the channel table's context menu, top to bottom; 0 is a separator.
    static const std::vector<int>& TableMenuCommands();
    QToolBar* toolBar() const { return mainToolBar; }

    // "COM%d" in the first status-bar pane; its tool tip shows the device path.
    void ShowPortInStatusBar(int port);
    QString portPaneText() const;
    // The message the status bar shows now (what a commit or paste adjusted); empty when none.
    QString statusMessageText() const;
    // Shows `text` in the status bar's message pane for a while (`milliseconds`; 0: until the
    // next message).
    void ShowStatusMessage(const QString& text, int milliseconds);

    // Tool tip of a toolbar command: "IDS_TIP_<id>" cut to 19 characters; empty for id 0.
    QString ToolTipText(int commandId) const;

    // Menu captions and tool tips from the language file.
    void RelabelMenu();
    void UpdateRecentFileMenu();
    // The window title: the document's name (its file's, the title of a copy of a backup, or
    // "Untitled") with the unsaved-changes mark, then the "IDS_WINDOWNAME" text.
    void UpdateFrameTitle();

    // ---- commands
    // File New: the save question, then the clear question unless `skipClearPrompt`.
    void OnFileNew(bool skipClearPrompt = false);
    // File Open: asks for the file, then opens it.
    void OnFileOpen();
    // Every open goes through here: File Open, the recent files, the command line, a drop. The
    // save question comes first; the reset before the file is read never asks. A file in the
    // backup folder opens as an untitled copy (and stays off the recent files). False when
    // cancelled or when the file could not be read.
    bool OpenDocumentFile(const QString& path);
    // Opens entry `index` of the recent-file list; an entry that can no longer be read is taken
    // off the list.
    void OpenRecentFile(int index);
    // File Save: asks "IDS_WARN_SAVE" + path before overwriting, or, when another program changed
    // the file since it was opened, whether to overwrite it, Save As or cancel; Save As when
    // untitled.
    bool OnFileSave();
    // File Save As: asks for the name, then saves.
    bool OnFileSaveAs();
    // File > Export channels: asks for the CSV file (with the standard-columns choice) and
    // writes it.
    void OnFileExportChannels();
    // File > Import channels: asks for the CSV file, previews the import and applies it on OK.
    void OnFileImportChannels();
    // File > Compare with: asks for a data file and shows how it differs from the document.
    void OnFileCompare();
    // File > Open Backup: the list of backups; the chosen one opens as an untitled copy.
    void OnFileOpenBackup();
    // File > New from Plan: the save question, the plan dialog, then a new document of the
    // plan's band with the ticked channels.
    void OnFileNewFromPlan();
    // Edit > Insert from Plan: the plan dialog, then the ticked channels as one step.
    void OnEditInsertFromPlan();
    // View > Check Channels: the findings of the channel check, or a message that there are
    // none (or that the check is off).
    void OnViewCheckChannels();
    // The usual question before New, Open and Exit for a modified document. False to abort.
    bool SaveModified();
    // Program > Read (true) or Write (false): the modal transfer dialog.
    void RunTransfer(bool isRead);
    // A document from a short data file is written only after the user says so again.
    bool confirmShortWrite();
    // Program > Write to Several Radios: the document's image to every checked port at once.
    void OnProgramWriteFleet();
    void OnSettingPort();
    void OnSettingLanguage();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Command;
    // The command table: menus, toolbar and shortcuts are built from it, and the menu texts
    // are relabelled in its order.
    static const std::vector<Command>& commands();
    // The parts of the table, in its order.
    static std::vector<Command> fileCommands();
    static std::vector<Command> printAndProgramCommands();
    static std::vector<Command> settingAndHelpCommands();
    static std::vector<Command> editCommands();
    static std::vector<Command> tableCommands();
    static std::vector<Command> viewAndPlanCommands();
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void updateNumLock();
    bool saveTo(const QString& fileName);
    // Save to the document's own file. When another program changed it since it was opened,
    // asks: overwrite, Save As or cancel; otherwise asks "IDS_WARN_SAVE" when `askFirst`.
    bool saveToOwnFile(bool askFirst);
    // The document's file changed on disk: asks whether to reload it.
    void onChangedOnDisk();
    // A file of the backup folder becomes an untitled copy named after the backup; false for
    // other files.
    bool detachIfBackup(const QString& path);
    // The keep= warning of setting.ini's backup settings, in the status bar.
    void reportBackupSettings();
    void onHelp();
    void onCheckConnection();
    void onAbout();
    // Edit: Undo (false) or Redo (true) of the document's last step; an edit still open in the
    // table is ended first, so it is the step taken back.
    void onUndo(bool redo);
    // The Undo and Redo entries name the step they take back or redo.
    void updateUndoTexts();
    // The undo stack, the table's context menu and the status messages wired to the window.
    void connectEditCommands();
    void showTableMenu(const QPoint& at);
    // View > All Settings: the settings the panel hides by default shown too, and remembered.
    void setAllSettingsShown(bool shown);
    // The channel table's warning marks follow the document.
    void connectChannelCheck();
    // A plan's channels applied as one step, what happened in the status bar.
    void insertPlan(const ChannelPlan& plan, const PlanApplyOptions& options);
    void showFindings(const std::vector<CheckFinding>& findings);
    // After a completed read: how many channels, and the backup stored with it.
    void reportRead(const QString& backupPath);

    COrvikApp& app;
    COrvikDoc& doc;
    COrvikView* formView = nullptr;
    QMap<int, QAction*> actions;
    QList<QMenu*> menus;
    QMenu* sortMenu = nullptr;
    CheckMarks* checkMarks = nullptr;
    QList<QAction*> recentActions;
    QAction* recentSeparator = nullptr;
    QToolBar* mainToolBar = nullptr;
    QLabel* portPane = nullptr;
    QLabel* numLockPane = nullptr;
    QLabel* messagePane = nullptr;
    QTimer* messageExpiry = nullptr;
    bool askingReload = false;
    bool recordRecentFiles = true;
};

} // namespace orvik
