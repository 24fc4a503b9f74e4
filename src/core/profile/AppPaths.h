#pragma once
// The process-wide paths: the program directory the user may write (setting.ini), the folder of
// the shipped read-only data (language files, help pages, the default setting.ini) and the
// current language file. One object is owned by the application (or the command line); tests
// point it at any directory.
//
// Portable: the executable's folder holds setting.ini, so it is both folders. Installed:
// <prefix>/share/orvik holds the data and $XDG_CONFIG_HOME/orvik (~/.config/orvik) is the
// user's program directory. Files the user may add (*.lang, help pages) are looked up in the
// user's folder first, then in the shared one.

#include <string>
#include <string_view>
#include <vector>

namespace orvik {

class AppPaths {
public:
    // One folder for everything (portable mode); appDirectory without a trailing '/'.
    explicit AppPaths(std::string appDirectory);
    // A writable user folder and a read-only shared data folder (installed mode).
    AppPaths(std::string userDirectory, std::string dataDirectory);

    // Portable when executableDirectory holds setting.ini; otherwise installed, with the data in
    // executableDirectory/../share/orvik and the user folder from XDG_CONFIG_HOME or HOME.
    static AppPaths Locate(const std::string& executableDirectory);

    // Directory of the running executable (/proc/self/exe cut before its last '/').
    static std::string ExecutableDirectory();

    // $XDG_CONFIG_HOME/orvik when XDG_CONFIG_HOME is an absolute path, else $HOME/.config/orvik.
    static std::string UserConfigDirectory();

    // The user's writable program directory (holds setting.ini).
    const std::string& AppDirectory() const { return appDirectory; }
    // The shipped read-only data; the same as AppDirectory in portable mode.
    const std::string& DataDirectory() const { return dataDirectory; }
    const std::string& SettingsFilePath() const { return settingsFilePath; }
    const std::string& LanguageFilePath() const { return languageFilePath; }
    void SetLanguageFilePath(std::string path) { languageFilePath = std::move(path); }

    bool SettingsFileExists() const;

    // Makes sure setting.ini exists: in installed mode a missing one is copied from the data
    // folder (the user folder is created). False when there is none to be had.
    bool PrepareSettingsFile() const;

    // The folders where setting.ini was looked for, for the start-up message.
    std::vector<std::string> SearchedFolders() const;

    // The folders that may hold language files and help pages, user folder first, no repeats.
    std::vector<std::string> LookupFolders() const;

    // The first existing regular file `name` in LookupFolders(); empty when none.
    std::string FindFile(const std::string& name) const;

    // <name>.lang from the user folder, else from the data folder (also when neither has it).
    std::string LanguageFilePathFor(const std::string& name) const;

    // The language every lookup falls back on.
    std::string EnglishFilePath() const { return LanguageFilePathFor("english"); }

    // The help file of the current language: <title>.chm, else <title>.html, from the first
    // folder that holds either; else english.chm or english.html the same way; when none is
    // found, the <title>.html path beside the language file.
    std::string HelpFilePath() const;

    // Start-up language choice: setup/language of setting.ini; when empty or missing, "chinese"
    // on a simplified-Chinese system locale, the language of LocaleLanguageFile when its file is
    // in LookupFolders(), and "english" otherwise. Sets LanguageFilePath to
    // LanguageFilePathFor(name) (the file's existence is not tested) and returns the name.
    std::string ChooseLanguage(const std::string& systemLocale);

private:
    std::string appDirectory;
    std::string dataDirectory;
    std::string settingsFilePath;
    std::string languageFilePath;
    std::string executableDirectory; // the folder searched first for setting.ini, if located
};

// The system locale name from the environment (LC_ALL, LC_MESSAGES, LANG), e.g. "zh_CN.UTF-8".
std::string SystemLocaleName();

// True for simplified-Chinese locales (zh_CN, zh_SG, zh_Hans...): the counterpart of the
// Windows locale identifier 2052.
bool IsSimplifiedChineseLocale(const std::string& locale);

// The language file title a system locale asks for when setting.ini names none: "chinese" for a
// simplified-Chinese locale, "chinese-traditional" for zh_TW, zh_HK, zh_MO and zh_Hant; for the
// languages de, es, fr, pt, ru, ja, it, pl, nl, cs, sv, uk, el, hu, ro, tr, ko, ar and he (any
// region) the file of that language ("german", "hebrew"...); empty for every other locale.
std::string LocaleLanguageFile(const std::string& locale);

// The locale whose Qt translations and text direction suit a shipped language file, by its
// title ("german" -> "de", "chinese-traditional" -> "zh_TW", "portuguese" -> "pt_BR"); empty for
// a file the program does not ship.
std::string LanguageFileLocale(std::string_view title);

} // namespace orvik
