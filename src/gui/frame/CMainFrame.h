#pragma once
// The main window: menu, accelerators, toolbar, status bar with the port pane, help, About box.
// It hosts the form view and closes the serial port before it goes away.

#include <QMainWindow>
#include <QMap>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace orvik {

class COrvikApp;
class COrvikView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(COrvikApp& app);
    ~CMainFrame() override;

    COrvikView* view() const { return formView; }

    // The action of a command id (menu entries and toolbar buttons share it); null if none.
    QAction* action(int commandId) const { return actions.value(commandId, nullptr); }
    QMenu* topMenu(int position) const;
    QToolBar* toolBar() const { return mainToolBar; }

    // Runs a command as the menu, the toolbar or an accelerator would.
    void OnCommand(int commandId);

    // "COM%d" in the first status-bar pane; its tool tip shows the device path.
    void ShowPortInStatusBar(int port);
    QString portPaneText() const;

    // Tool tip of a toolbar command: "IDS_TIP_<id>" cut to 19 characters; empty for id 0.
    static QString ToolTipText(int commandId);

    // Menu captions from the language file.
    void RelabelMenu();
    void UpdateRecentFileMenu();

    // The window title is always the "IDS_WINDOWNAME" text.
    void UpdateFrameTitle();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addCommand(QMenu* menu, int id, const QString& fallback);
    void createToolBar();
    void createStatusBar();
    void updateNumLock();
    void onHelp();
    void onAbout();
    bool handleAccelerator(QKeyEvent* event);

    COrvikApp& app;
    COrvikView* formView = nullptr;
    QMap<int, QAction*> actions;
    QList<QMenu*> menus;
    QList<QAction*> recentActions;
    QAction* recentSeparator = nullptr;
    QToolBar* mainToolBar = nullptr;
    QLabel* portPane = nullptr;
    QLabel* numLockPane = nullptr;
};

} // namespace orvik
