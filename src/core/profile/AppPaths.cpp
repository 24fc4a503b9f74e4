#include "core/profile/AppPaths.h"

#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <cstdlib>
#include <limits.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvik {

namespace {

// Buffer size of the language name read from setting.ini.
constexpr std::size_t LanguageNameBuffer = 260;

std::string WithoutTrailingSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

AppPaths::AppPaths(std::string dir)
    : appDirectory(WithoutTrailingSlash(std::move(dir))),
      settingsFilePath(appDirectory + "/" + keys::SettingsFileName) {}

std::string AppPaths::ExecutableDirectory() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return ".";
    std::string exe(buffer.data(), static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return exe.substr(0, slash);
}

bool AppPaths::SettingsFileExists() const {
    struct stat st {};
    return ::stat(settingsFilePath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string AppPaths::ChooseLanguage(const std::string& systemLocale) {
    std::string name = ini::GetString(settingsFilePath, keys::SetupSection, keys::LanguageKey, "",
                                      LanguageNameBuffer);
    if (name.empty())
        name = IsSimplifiedChineseLocale(systemLocale) ? "chinese" : "english";
    languageFilePath = appDirectory + "/" + name + ".lang";
    return name;
}

std::string SystemLocaleName() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return value;
    }
    return {};
}

bool IsSimplifiedChineseLocale(const std::string& locale) {
    // "zh_CN.UTF-8", "zh-Hans-CN", "zh_SG@euro": language, then region or script subtags.
    std::string_view tag(locale);
    tag = tag.substr(0, tag.find_first_of(".@"));
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= tag.size()) {
        const auto sep = tag.find_first_of("_-", pos);
        const auto end = sep == std::string_view::npos ? tag.size() : sep;
        parts.push_back(tag.substr(pos, end - pos));
        pos = end + 1;
    }
    if (parts.empty() || !EqualNoCase(parts.front(), "zh"))
        return false;
    bool simplified = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (EqualNoCase(parts[i], "Hant"))
            return false;
        if (EqualNoCase(parts[i], "Hans") || EqualNoCase(parts[i], "CN") ||
            EqualNoCase(parts[i], "SG"))
            simplified = true;
    }
    return simplified;
}

} // namespace orvik
