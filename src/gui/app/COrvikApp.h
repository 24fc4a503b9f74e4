#pragma once
// The application object: the process-wide paths, the one serial port, the one-shot flag that
// lets File New reset without asking, the document, the main window and the recent-file list.

#include "core/link/CSerialPort.h"
#include "core/profile/AppPaths.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace orvik {

class COrvikDoc;
class CMainFrame;

class COrvikApp : public QObject {
    Q_OBJECT
public:
    // appDirectory: where setting.ini and the *.lang files are (the executable's directory).
    explicit COrvikApp(std::string appDirectory);
    ~COrvikApp() override;

    // The running instance (the most recently constructed one still alive).
    static COrvikApp* instance();

    // Start-up: false when the program must end (setting.ini missing, or the file named on the
    // command line could not be opened). `file` is the optional data file of the command line.
    // With `showWindow` false everything is built and filled but no window is shown (printing
    // from the command line).
    bool InitInstance(const QString& file = QString(), bool showWindow = true);

    AppPaths& paths() { return appPaths; }
    CSerialPort& port() { return serialPort; }
    COrvikDoc* document() const { return doc.get(); }
    CMainFrame* mainFrame() const { return frame.get(); }

    int skipClearPrompt = 0;

    // Every open goes through here: File Open, the recent files, the command line, a drop.
    bool OpenDocumentFile(const QString& path);
    // File Open: asks for the file first.
    void OnFileOpen();
    void OnFileNew();
    // Program > Read (true) or Write (false): the modal transfer dialog.
    void RunTransfer(bool isRead);
    // Setting > Communication port and Setting > Language: modal dialogs.
    void OnSettingPort();
    void OnSettingLanguage();

    // Menu relabelled, limits recomputed, every view updated.
    void RefreshLanguage();
    void RelabelMenu();

    QStringList RecentFiles() const;
    void AddToRecentFiles(const QString& path);
    void RemoveFromRecentFiles(const QString& path);
    // Opens entry `index` of the recent-file list; an entry that can no longer be read is
    // taken off the list.
    void OpenRecentFile(int index);

    // The data-file filter of the Open and Save As dialogs.
    static QString FileFilter();

private:
    void storeRecentFiles(QStringList files);

    AppPaths appPaths;
    CSerialPort serialPort;
    std::unique_ptr<COrvikDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace orvik
