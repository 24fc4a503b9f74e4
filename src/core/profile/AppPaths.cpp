#include "core/profile/AppPaths.h"

#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

AppPaths::AppPaths(std::string dir)
    : appDirectory(WithoutTrailingSlash(std::move(dir))), dataDirectory(appDirectory),
      settingsFilePath(appDirectory + "/" + keys::SettingsFileName) {}

AppPaths::AppPaths(std::string userDirectory, std::string dataDir)
    : appDirectory(WithoutTrailingSlash(std::move(userDirectory))),
      dataDirectory(WithoutTrailingSlash(std::move(dataDir))),
      settingsFilePath(appDirectory + "/" + keys::SettingsFileName) {}

AppPaths AppPaths::Locate(const std::string& executableDirectory) {
    const std::string exeDir = WithoutTrailingSlash(executableDirectory);
    if (IsRegularFile(exeDir + "/" + keys::SettingsFileName))
        return AppPaths(exeDir);
    const std::filesystem::path prefix = std::filesystem::path(exeDir).parent_path();
    AppPaths paths(UserConfigDirectory(), (prefix / "share" / "orvik").string());
    paths.executableDirectory = exeDir;
    return paths;
}

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

std::string AppPaths::UserConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return WithoutTrailingSlash(xdg) + "/orvik";
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env)
        home = env;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    return WithoutTrailingSlash(home) + "/.config/orvik";
}

bool AppPaths::SettingsFileExists() const {
    return IsRegularFile(settingsFilePath);
}

bool AppPaths::PrepareSettingsFile() const {
    if (SettingsFileExists())
        return true;
    if (dataDirectory == appDirectory)
        return false;
    const std::string shipped = dataDirectory + "/" + keys::SettingsFileName;
    if (!IsRegularFile(shipped))
        return false;
    std::error_code ec;
    std::filesystem::create_directories(appDirectory, ec);
    // Copied under a name of this process, then linked into place: a second process starting
    // at the same time never sees half a file, and a setting.ini made meanwhile is kept.
    const std::string partial = settingsFilePath + ".new." + std::to_string(::getpid());
    if (std::filesystem::copy_file(shipped, partial,
                                   std::filesystem::copy_options::overwrite_existing, ec)) {
        std::filesystem::permissions(
            partial, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            std::filesystem::perm_options::add, ec);
        // Without hard links (some network file systems) the file is renamed instead.
        if (::link(partial.c_str(), settingsFilePath.c_str()) != 0 && errno != EEXIST)
            ::rename(partial.c_str(), settingsFilePath.c_str());
    }
    std::filesystem::remove(partial, ec);
    return SettingsFileExists();
}

std::vector<std::string> AppPaths::SearchedFolders() const {
    std::vector<std::string> folders;
    for (const std::string* dir : {&executableDirectory, &appDirectory, &dataDirectory})
        if (!dir->empty() && std::find(folders.begin(), folders.end(), *dir) == folders.end())
            folders.push_back(*dir);
    return folders;
}

std::vector<std::string> AppPaths::LookupFolders() const {
    if (dataDirectory == appDirectory)
        return {appDirectory};
    return {appDirectory, dataDirectory};
}

std::string AppPaths::FindFile(const std::string& name) const {
    for (const std::string& dir : LookupFolders())
        if (IsRegularFile(dir + "/" + name))
            return dir + "/" + name;
    return {};
}

std::string AppPaths::LanguageFilePathFor(const std::string& name) const {
    const std::string file = name + ".lang";
    const std::string found = FindFile(file);
    return found.empty() ? dataDirectory + "/" + file : found;
}

std::string AppPaths::HelpFilePath() const {
    const auto slash = languageFilePath.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string(".") : languageFilePath.substr(0, slash);
    std::string title =
        slash == std::string::npos ? languageFilePath : languageFilePath.substr(slash + 1);
    if (const auto dot = title.rfind('.'); dot != std::string::npos)
        title.erase(dot);
    // A language without help pages of its own shows the English ones.
    for (const std::string& name : {title, std::string("english")})
        for (const std::string& folder : LookupFolders())
            for (const char* extension : {".chm", ".html"})
                if (IsRegularFile(folder + "/" + name + extension))
                    return folder + "/" + name + extension;
    return dir + "/" + title + ".html";
}

std::string AppPaths::ChooseLanguage(const std::string& systemLocale) {
    std::string name = ini::GetString(settingsFilePath, keys::SetupSection, keys::LanguageKey, "",
                                      LanguageNameBuffer);
    if (name.empty()) {
        // Chinese is chosen without looking for its file, as it always was; another language
        // is taken only when its file is there, so an unshipped one never shows "Not Found".
        name = LocaleLanguageFile(systemLocale);
        if (name.empty() || (name != "chinese" && FindFile(name + ".lang").empty()))
            name = "english";
    }
    languageFilePath = LanguageFilePathFor(name);
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

namespace {

// "zh_CN.UTF-8", "zh-Hans-CN", "zh_SG@euro": the language, then region or script subtags.
std::vector<std::string_view> LocaleSubtags(std::string_view tag) {
    tag = tag.substr(0, tag.find_first_of(".@"));
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= tag.size()) {
        const auto sep = tag.find_first_of("_-", pos);
        const auto end = sep == std::string_view::npos ? tag.size() : sep;
        parts.push_back(tag.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

} // namespace

bool IsSimplifiedChineseLocale(const std::string& locale) {
    const std::vector<std::string_view> parts = LocaleSubtags(locale);
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

namespace {

// The language files and the locale language codes that ask for them; `qt` is the locale whose
// Qt translations suit the file (a region where Qt keeps its translations per region).
struct LocaleFile {
    const char* code;
    const char* file;
    const char* qt;
};
constexpr LocaleFile LocaleFiles[] = {
    {"en", "english", "en"},
    {"de", "german", "de"},
    {"es", "spanish", "es"},
    {"fr", "french", "fr"},
    {"pt", "portuguese", "pt_BR"},
    {"ru", "russian", "ru"},
    {"ja", "japanese", "ja"},
    {"it", "italian", "it"},
    {"pl", "polish", "pl"},
    {"nl", "dutch", "nl"},
    {"cs", "czech", "cs"},
    {"sv", "swedish", "sv"},
    {"uk", "ukrainian", "uk"},
    {"el", "greek", "el"},
    {"hu", "hungarian", "hu"},
    {"ro", "romanian", "ro"},
    {"tr", "turkish", "tr"},
    {"ko", "korean", "ko"},
    {"ar", "arabic", "ar"},
    {"he", "hebrew", "he"},
    {"iw", "hebrew", "he"},
    {"zh", "chinese", "zh_CN"},
    {"zh", "chinese-traditional", "zh_TW"},
};

// zh_TW, zh_HK, zh_MO and every zh_Hant locale.
bool IsTraditionalChineseLocale(const std::string& locale) {
    const std::vector<std::string_view> parts = LocaleSubtags(locale);
    if (parts.empty() || !EqualNoCase(parts.front(), "zh") || IsSimplifiedChineseLocale(locale))
        return false;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (EqualNoCase(parts[i], "Hant") || EqualNoCase(parts[i], "TW") ||
            EqualNoCase(parts[i], "HK") || EqualNoCase(parts[i], "MO"))
            return true;
    return false;
}

} // namespace

std::string LocaleLanguageFile(const std::string& locale) {
    if (IsSimplifiedChineseLocale(locale))
        return "chinese";
    if (IsTraditionalChineseLocale(locale))
        return "chinese-traditional";
    const std::string_view language = LocaleSubtags(locale).front();
    if (EqualNoCase(language, "en") || EqualNoCase(language, "zh"))
        return {};
    for (const LocaleFile& entry : LocaleFiles)
        if (EqualNoCase(language, entry.code))
            return entry.file;
    return {};
}

std::string LanguageFileLocale(std::string_view title) {
    for (const LocaleFile& entry : LocaleFiles)
        if (EqualNoCase(title, entry.file))
            return entry.qt;
    return {};
}

} // namespace orvik
