#include "core/model/Backup.h"

#include "core/model/DataFile.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik {

namespace {

constexpr const char* ReadSuffix = "read";
constexpr const char* BeforeWriteSuffix = "before-write";

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

// Creates `path` and its missing parents (mode 0700); false with `error` set on failure.
bool makeFolders(const std::string& path, std::string& error) {
    std::string partial;
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = path.find('/', at + 1);
        partial = path.substr(0, at);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            error = partial + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = path + ": " + std::strerror(ENOTDIR);
        return false;
    }
    return true;
}

// A backup's name split into its parts; false for other files.
struct ParsedName {
    std::string stamp; // YYYYMMDD-HHMMSS
    std::string kind;
    int clash = 1;
};

bool parseName(const std::string& name, ParsedName& out) {
    const std::string ext = ".735";
    if (name.size() < 15 + 1 + 4 + ext.size() || name.compare(name.size() - 4, 4, ext) != 0)
        return false;
    for (std::size_t i = 0; i < 15; ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (i == 8 ? name[i] != '-' : !digit)
            return false;
    }
    if (name[15] != '-')
        return false;
    std::string rest = name.substr(16, name.size() - 16 - ext.size());
    int clash = 1;
    const std::size_t dash = rest.rfind('-');
    if (dash != std::string::npos && dash + 1 < rest.size() &&
        std::all_of(rest.begin() + static_cast<long>(dash) + 1, rest.end(),
                    [](char c) { return c >= '0' && c <= '9'; }) &&
        rest.size() - dash - 1 <= 6) {
        clash = std::atoi(rest.c_str() + dash + 1);
        rest.resize(dash);
    }
    if (rest != ReadSuffix && rest != BeforeWriteSuffix)
        return false;
    out = {name.substr(0, 15), rest, clash};
    return true;
}

struct Found {
    std::string name;
    ParsedName parsed;
    timespec modified{};
};

// Backups in the folder, newest first: by the time in the name, within one second by the time
// the file was written, then by clash number.
std::vector<Found> scan(const std::string& folder) {
    std::vector<Found> found;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return found;
    while (const dirent* e = ::readdir(dir)) {
        ParsedName p;
        if (!parseName(e->d_name, p))
            continue;
        struct stat st {};
        const std::string path = folder + "/" + e->d_name;
        found.push_back({e->d_name, p, ::stat(path.c_str(), &st) == 0 ? st.st_mtim : timespec{}});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.parsed.stamp != b.parsed.stamp)
            return a.parsed.stamp > b.parsed.stamp;
        if (a.modified.tv_sec != b.modified.tv_sec)
            return a.modified.tv_sec > b.modified.tv_sec;
        if (a.modified.tv_nsec != b.modified.tv_nsec)
            return a.modified.tv_nsec > b.modified.tv_nsec;
        if (a.parsed.clash != b.parsed.clash)
            return a.parsed.clash > b.parsed.clash;
        return a.name > b.name;
    });
    return found;
}

} // namespace

std::string DefaultBackupFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/orvik/backups";
    return homeFolder() + "/.local/share/orvik/backups";
}

BackupSettings LoadBackupSettings(const std::string& iniPath) {
    BackupSettings s;
    std::string dir = ini::GetString(iniPath, keys::BackupSection, keys::BackupDirKey, "", 4096);
    if (dir.empty()) {
        s.folder = DefaultBackupFolder();
    } else if (dir == "~" || dir.rfind("~/", 0) == 0) {
        s.folder = homeFolder() + dir.substr(1);
    } else if (dir[0] != '/') {
        const std::size_t slash = iniPath.rfind('/');
        s.folder =
            (slash == std::string::npos ? std::string(".") : iniPath.substr(0, slash)) + "/" + dir;
    } else {
        s.folder = dir;
    }
    while (s.folder.size() > 1 && s.folder.back() == '/')
        s.folder.pop_back();
    const int keep = ini::GetInt(iniPath, keys::BackupSection, keys::BackupKeepKey, 0);
    s.keep = keep >= 1 ? keep : DefaultBackupKeep;
    const std::string before =
        ini::GetString(iniPath, keys::BackupSection, keys::BackupBeforeWriteKey, "0", 8);
    s.beforeWrite = !before.empty() && before[0] == '1';
    return s;
}

bool VerifyAfterWrite(const std::string& iniPath) {
    const std::string value = ini::GetString(iniPath, keys::SafetySection, keys::VerifyKey, "1", 8);
    return value.empty() || value[0] != '0';
}

BackupResult StoreBackup(const BackupSettings& settings, const RadioImage& image, BackupKind kind,
                         std::time_t now) {
    BackupResult result;
    if (settings.folder.empty()) {
        result.error = "no backup folder";
        return result;
    }
    if (!makeFolders(settings.folder, result.error))
        return result;
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = settings.folder + "/" + stamp + "-" +
                             (kind == BackupKind::Read ? ReadSuffix : BeforeWriteSuffix);
    const HeaderBlock header = NewHeaderBlock();
    for (int clash = 1; clash < 1000; ++clash) {
        const std::string path =
            base + (clash > 1 ? "-" + std::to_string(clash) : std::string()) + ".735";
        const SaveResult saved = SaveDataFile(path, header, image, SaveMode::NoReplace);
        if (saved.exists)
            continue;
        if (!saved.ok) {
            result.error = saved.errorText;
            return result;
        }
        result.ok = true;
        result.path = path;
        break;
    }
    if (!result.ok) {
        result.error = base + ": too many backups in one second";
        return result;
    }
    const std::vector<Found> all = scan(settings.folder);
    const std::size_t keep = static_cast<std::size_t>(std::max(settings.keep, 1));
    for (std::size_t i = keep; i < all.size(); ++i)
        ::unlink((settings.folder + "/" + all[i].name).c_str());
    return result;
}

std::vector<BackupEntry> ListBackups(const std::string& folder) {
    std::vector<BackupEntry> entries;
    for (const Found& f : scan(folder)) {
        BackupEntry e;
        e.path = folder + "/" + f.name;
        e.name = f.name;
        const std::string& s = f.parsed.stamp;
        e.time = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " +
                 s.substr(9, 2) + ":" + s.substr(11, 2) + ":" + s.substr(13, 2);
        e.kind = f.parsed.kind;
        HeaderBlock header{};
        RadioImage image;
        if (LoadDataFile(e.path, header, image, nullptr) == LoadStatus::Ok) {
            e.bandCode = image.bandCode();
            for (int n = 1; n <= ChannelCount; ++n)
                e.channelsInUse += image.isRxEmpty(n) ? 0 : 1;
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace orvik
