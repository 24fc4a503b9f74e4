#include "gui/frame/CHelpWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace orvik {

namespace {

UrlLauncher launcher = nullptr;

bool launch(const QUrl& url) {
    return launcher != nullptr ? launcher(url) : QDesktopServices::openUrl(url);
}

} // namespace

CHelpWindow::CHelpWindow(const QString& htmlFile, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    view = new QTextBrowser(this);
    view->setOpenExternalLinks(true); // web links go to the browser; pages of the help stay here
    view->setSource(QUrl::fromLocalFile(htmlFile));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    resize(720, 560);
}

void SetUrlLauncher(UrlLauncher replacement) {
    launcher = replacement;
}

CHelpWindow* OpenHelp(const QString& helpFile, const QString& title, QWidget* parent,
                      bool& opened) {
    opened = false;
    const QFileInfo info(helpFile);
    if (!info.exists())
        return nullptr;
    if (launch(QUrl::fromLocalFile(helpFile))) {
        opened = true;
        return nullptr;
    }
    QString html = helpFile;
    const QString suffix = info.suffix().toLower();
    if (suffix != QLatin1String("html") && suffix != QLatin1String("htm"))
        html = info.path() + "/" + info.completeBaseName() + ".html";
    if (!QFileInfo::exists(html))
        return nullptr;
    auto* window = new CHelpWindow(html, title, parent);
    window->show();
    opened = true;
    return window;
}

} // namespace orvik
