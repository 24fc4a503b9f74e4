#pragma once
// Help > Help: the help file opened by the desktop's launcher (xdg-open), or, when no launcher
// opens it, shown in a help window of the program's own.

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace orvik {

// A window that shows an HTML help page and follows its links.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    CHelpWindow(const QString& htmlFile, const QString& title, QWidget* parent);
    QTextBrowser* browser() const { return view; }

private:
    QTextBrowser* view = nullptr;
};

// Opens a URL with the desktop's launcher; tests replace it.
using UrlLauncher = bool (*)(const QUrl& url);
void SetUrlLauncher(UrlLauncher launcher); // nullptr: QDesktopServices::openUrl

// Opens `helpFile` with the launcher; when that fails and there is an HTML page (the file, or
// the .html beside a .chm), shows it in a CHelpWindow of `parent` and returns it. Null and
// false in `opened` when neither could show anything.
CHelpWindow* OpenHelp(const QString& helpFile, const QString& title, QWidget* parent, bool& opened);

} // namespace orvik
