#include "gui/app/COrvikApp.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangRules.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "gui/app/COrvikDoc.h"
#include "gui/app/MessageBox.h"
#include "gui/lang/LangUi.h"
#include "gui/lang/ResourceIds.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace orvik {

namespace {
constexpr const char* SettingsName = "orvik";
constexpr const char* RecentGroup = "Recent File List";
} // namespace

COrvikApp::COrvikApp(std::string appDirectory) : COrvikApp(AppPaths(std::move(appDirectory))) {}

COrvikApp::COrvikApp(AppPaths paths) : appPaths(std::move(paths)) {
    serialPort.SetSettingsFilePath(appPaths.SettingsFilePath());
}

COrvikApp::~COrvikApp() {
    doc.reset();
    serialPort.Close();
    qtTranslators.clear(); // a translator takes itself out of the application when destroyed
    if (initialDirection >= 0)
        QGuiApplication::setLayoutDirection(static_cast<Qt::LayoutDirection>(initialDirection));
}

QString COrvikApp::FileFilter() {
    static const QString pattern = QStringLiteral("(*.735)");
    QString filter = LangText(lang::IDS_FILE_FILTER);
    if (filter == QLatin1String(lang::rules::NotFound) || filter.trimmed().isEmpty())
        filter = QStringLiteral("Radio Program Data Files");
    // The file dialog reads the pattern from the parentheses at the end.
    if (!filter.trimmed().endsWith(pattern))
        filter = filter.trimmed() + " " + pattern;
    return filter;
}

QString COrvikApp::SaveQuestion(const QString& name) {
    const QString format = LangText(lang::IDS_ASK_SAVE);
    if (format.contains(QLatin1String("%s")))
        return orvik::FillText(format, {name});
    return format + " " + name + "?";
}

void COrvikApp::applyQtLanguage() {
    if (QCoreApplication::instance() == nullptr)
        return;
    const std::string title = QFileInfo(QString::fromStdString(appPaths.LanguageFilePath()))
                                  .completeBaseName()
                                  .toStdString();
    const QString name = QString::fromStdString(LanguageFileLocale(title));
    const QLocale locale = name.isEmpty() ? QLocale(QLocale::English) : QLocale(name);
    qtTranslators.clear();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase holds the dialogs, buttons and text-field menus; the older all-in-one "qt" catalog
    // stands in where a language has no qtbase file.
    for (const char* catalog : {"qtbase", "qt"}) {
        auto translator = std::make_unique<QTranslator>();
        if (locale.language() != QLocale::English &&
            translator->load(locale, QString::fromLatin1(catalog), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            qtTranslators.push_back(std::move(translator));
            break;
        }
    }
    if (initialDirection < 0)
        initialDirection = QGuiApplication::layoutDirection();
    QGuiApplication::setLayoutDirection(locale.textDirection() == Qt::RightToLeft
                                            ? Qt::RightToLeft
                                            : static_cast<Qt::LayoutDirection>(initialDirection));
}

bool COrvikApp::InitInstance() {
    if (!appPaths.PrepareSettingsFile()) {
        QString text = QStringLiteral("Can not find the file setting.ini!");
        for (const std::string& folder : appPaths.SearchedFolders())
            text += "\n" + QString::fromStdString(folder);
        ShowMessageBox(nullptr, text, QStringLiteral("Orvik"), MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    appPaths.ChooseLanguage(SystemLocaleName());
    texts.setFiles(appPaths.LanguageFilePath(), appPaths.EnglishFilePath());
    applyQtLanguage();
    doc = std::make_unique<COrvikDoc>();
    return true;
}

void COrvikApp::SetLanguageFile(const std::string& languageFile) {
    appPaths.SetLanguageFilePath(languageFile);
    texts.setFiles(languageFile, texts.fallbackFile());
    applyQtLanguage();
}

QString COrvikApp::LangText(std::string_view key) {
    return orvik::LangText(texts, key);
}

void COrvikApp::RelabelMenu() {
    emit menuRelabelRequested();
}

void COrvikApp::ShowPortInStatusBar(int port) {
    emit portShown(port);
}

void COrvikApp::RefreshLanguage() {
    RelabelMenu();
    if (doc)
        doc->RefreshAfterImageChange();
}

void COrvikApp::ReportLanguageFallback(QWidget* owner) {
    std::string file;
    if (!texts.takeFallbackNotice(file))
        return;
    ShowMessageBox(owner, LangText("IDS_WARN_LANG_FILE") + "\n" + QString::fromStdString(file),
                   LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Exclamation);
}

int COrvikApp::ConfiguredPort() {
    if (sessionPort > 0)
        return sessionPort;
    return ini::GetInt(appPaths.SettingsFilePath(), keys::SetupSection, keys::ComKey, 1);
}

void COrvikApp::ReportSettingNotStored(QWidget* owner) {
    ShowMessageBox(owner,
                   LangText("IDS_WARN_SETTINGS_SAVE") + "\n" +
                       QString::fromStdString(appPaths.SettingsFilePath()),
                   LangText("IDS_WINDOWNAME"), MsgButtons::Ok, MsgIcon::Exclamation);
}

QStringList COrvikApp::RecentFiles() const {
    QSettings settings(SettingsName, SettingsName);
    settings.beginGroup(RecentGroup);
    QStringList files;
    for (int i = 1; i <= ids::RecentFileCount; ++i) {
        const QString f = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!f.isEmpty())
            files.append(f);
    }
    return files;
}

void COrvikApp::AddToRecentFiles(const QString& path) {
    QStringList files = RecentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files.removeAll(absolute);
    files.prepend(absolute);
    storeRecentFiles(files);
}

void COrvikApp::RemoveFromRecentFiles(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        storeRecentFiles(files);
}

void COrvikApp::storeRecentFiles(QStringList files) {
    while (files.size() > ids::RecentFileCount)
        files.removeLast();
    QSettings settings(SettingsName, SettingsName);
    settings.beginGroup(RecentGroup);
    for (int i = 1; i <= ids::RecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files.at(i - 1));
        else
            settings.remove(key);
    }
    settings.sync();
    emit recentFilesChanged();
}

} // namespace orvik
