#pragma once
// The three process-wide paths: the program directory, setting.ini beside it and the current
// language file. One object is owned by the application (or the command line); tests point it
// at any directory.

#include <string>

namespace orvik {

class AppPaths {
public:
    // appDirectory without a trailing '/'.
    explicit AppPaths(std::string appDirectory);

    // Directory of the running executable (/proc/self/exe cut before its last '/').
    static std::string ExecutableDirectory();

    const std::string& AppDirectory() const { return appDirectory; }
    const std::string& SettingsFilePath() const { return settingsFilePath; }
    const std::string& LanguageFilePath() const { return languageFilePath; }
    void SetLanguageFilePath(std::string path) { languageFilePath = std::move(path); }

    bool SettingsFileExists() const;

    // Start-up language choice: setup/language of setting.ini; when empty or missing, "chinese"
    // on a simplified-Chinese system locale and "english" otherwise. Sets LanguageFilePath to
    // AppDirectory/<name>.lang (the file's existence is not tested) and returns the name.
    std::string ChooseLanguage(const std::string& systemLocale);

private:
    std::string appDirectory;
    std::string settingsFilePath;
    std::string languageFilePath;
};

// The system locale name from the environment (LC_ALL, LC_MESSAGES, LANG), e.g. "zh_CN.UTF-8".
std::string SystemLocaleName();

// True for simplified-Chinese locales (zh_CN, zh_SG, zh_Hans...): the counterpart of the
// Windows locale identifier 2052.
bool IsSimplifiedChineseLocale(const std::string& locale);

} // namespace orvik
