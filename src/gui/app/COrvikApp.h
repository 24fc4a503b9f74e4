#pragma once
// The application object: the process-wide paths, the language catalog, the one serial port,
// the document and the recent-file list. It knows no window: the main frame listens to its
// signals (menu relabelling, the port to show, the recent files) and runs the dialogs.

#include "core/lang/LangCatalog.h"
#include "core/link/CSerialPort.h"
#include "core/profile/AppPaths.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string_view>
#include <vector>

class QTranslator;
class QWidget;

namespace orvik {

class COrvikDoc;

class COrvikApp : public QObject {
    Q_OBJECT
public:
    // appDirectory: where setting.ini and the *.lang files are (the executable's directory).
    // Portable: one program directory for everything.
    explicit COrvikApp(std::string appDirectory);
    explicit COrvikApp(AppPaths paths);
    ~COrvikApp() override;

    // Start-up: false (after saying so) when setting.ini is missing. Chooses the language and
    // creates the document; the main frame does the rest.
    bool InitInstance();

    AppPaths& paths() { return appPaths; }
    CSerialPort& port() { return serialPort; }
    LangCatalog& catalog() { return texts; }
    COrvikDoc* document() const { return doc.get(); }

    // String/key of the current language.
    QString LangText(std::string_view key);

    // Makes `languageFile` the current language file (paths and catalog, Qt's own texts and the
    // layout direction); the caller refreshes.
    void SetLanguageFile(const std::string& languageFile);

    // Relabels the menu, recomputes the limits and redraws every view: after a language switch
    // and after a completed radio read.
    void RefreshLanguage();
    // Asks the frame to take the menu texts from the language file.
    void RelabelMenu();
    // Asks the frame to show "COM<port>" in the status bar.
    void ShowPortInStatusBar(int port);
    // Says once, in a message box owned by `owner`, that the chosen language file could not be
    // read and English is shown instead.
    void ReportLanguageFallback(QWidget* owner);

    // The port the next transfer uses: setting.ini's "com", unless a port chosen in this session
    // could not be stored there (then that one, until the program ends).
    int ConfiguredPort();
    void SetSessionPort(int port) { sessionPort = port; }
    int SessionPort() const { return sessionPort; }
    // The same for the search flag: -1 when setting.ini holds it.
    void SetSessionSearch(int search) { sessionSearch = search; }
    int SessionSearch() const { return sessionSearch; }
    // Says that a setting could not be stored in setting.ini and holds only for this session.
    void ReportSettingNotStored(QWidget* owner);

    // The last transfer's line trace (window and session alike), kept for the problem report.
    void SetLastTrace(std::string trace) { lastTrace = std::move(trace); }
    const std::string& LastTrace() const { return lastTrace; }
    // What became of the last transfer (TransferResultText), for the problem report.
    void SetLastResult(std::string result) { lastResult = std::move(result); }
    const std::string& LastResult() const { return lastResult; }

    QStringList RecentFiles() const;
    void AddToRecentFiles(const QString& path);
    void RemoveFromRecentFiles(const QString& path);

    // The data-file filter of the Open and Save As dialogs, in the current language; always
    // ends with the pattern "(*.735)".
    QString FileFilter();

    // The save question for a changed document named `name`: the language's text with its "%s"
    // filled in, or (a text without "%s") the text, the name and a question mark.
    QString SaveQuestion(const QString& name);

signals:
    void menuRelabelRequested();
    void portShown(int port);
    void recentFilesChanged();

private:
    void storeRecentFiles(QStringList files);
    // Loads Qt's translations for the current language file (file dialogs, message-box buttons,
    // context menus of text fields) and sets the layout direction of its locale.
    void applyQtLanguage();

    AppPaths appPaths;
    LangCatalog texts;
    CSerialPort serialPort;
    std::unique_ptr<COrvikDoc> doc;
    std::vector<std::unique_ptr<QTranslator>> qtTranslators;
    int initialDirection = -1; // the application's layout direction before any language set it
    int sessionPort = 0;
    int sessionSearch = -1;
    std::string lastTrace;
    std::string lastResult;
};

} // namespace orvik
