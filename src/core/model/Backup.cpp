#include "core/model/Backup.h"

#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/model/DataFile.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cerrno>
#include <climits>
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

// Newest first: by when the file was stored, then by its name (time, clash number).
bool storedLater(const Found& a, const Found& b) {
    if (a.modified.tv_sec != b.modified.tv_sec)
        return a.modified.tv_sec > b.modified.tv_sec;
    if (a.modified.tv_nsec != b.modified.tv_nsec)
        return a.modified.tv_nsec > b.modified.tv_nsec;
    if (a.parsed.stamp != b.parsed.stamp)
        return a.parsed.stamp > b.parsed.stamp;
    if (a.parsed.clash != b.parsed.clash)
        return a.parsed.clash > b.parsed.clash;
    return a.name > b.name;
}

// Backups in the folder, newest first. The time in a name is local time, which goes back with
// a clock or time-zone change; the modification time does not follow the time zone.
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
    std::sort(found.begin(), found.end(), storedLater);
    return found;
}

// keep=: decimal digits only, at least 1; a number too large for an int keeps them all.
bool parseKeep(const std::string& text, int& keep) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    long long value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) {
            keep = INT_MAX;
            return true;
        }
    }
    if (value < 1)
        return false;
    keep = static_cast<int>(value);
    return true;
}

std::string keepText(const std::string& iniPath) {
    return ini::GetString(iniPath, keys::BackupSection, keys::BackupKeepKey, "", 256);
}

std::string timeOf(const std::string& stamp) {
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " +
           stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

// Two stat results of one file or folder.
bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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
    if (!parseKeep(keepText(iniPath), s.keep))
        s.keep = DefaultBackupKeep;
    const std::string before =
        ini::GetString(iniPath, keys::BackupSection, keys::BackupBeforeWriteKey, "0", 8);
    s.beforeWrite = !before.empty() && before[0] == '1';
    return s;
}

std::string BackupSettingsWarning(const std::string& iniPath, const TextLookup& text) {
    const std::string value = keepText(iniPath);
    int keep = 0;
    if (value.empty() || parseKeep(value, keep))
        return {};
    return FillText(text(lang::IDS_BACKUP_KEEP_INVALID),
                    {value, std::to_string(DefaultBackupKeep)});
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
        // A backup holds a customer's configuration: the user's alone.
        const SaveResult saved = SaveDataFile(path, header, image, SaveMode::NoReplace, 0600);
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
    // The file just stored is kept whatever its time says (a clock set back); it counts as one
    // of the `keep`.
    const std::string stored = result.path.substr(settings.folder.size() + 1);
    std::size_t left = static_cast<std::size_t>(std::max(settings.keep, 1)) - 1;
    for (const Found& f : scan(settings.folder)) {
        if (f.name == stored)
            continue;
        if (left > 0)
            --left;
        else
            ::unlink((settings.folder + "/" + f.name).c_str());
    }
    return result;
}

std::vector<BackupEntry> ListBackups(const std::string& folder) {
    std::vector<BackupEntry> entries;
    for (const Found& f : scan(folder)) {
        BackupEntry e;
        e.path = folder + "/" + f.name;
        e.name = f.name;
        e.time = timeOf(f.parsed.stamp);
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

std::string BackupBandName(const BackupEntry& entry, const std::vector<std::string>& bandNames) {
    if (entry.bandCode < 0)
        return {};
    const int position = BandListPositionOf(static_cast<std::uint8_t>(entry.bandCode));
    return static_cast<std::size_t>(position) < bandNames.size()
               ? bandNames[static_cast<std::size_t>(position)]
               : std::string();
}

const char* BackupKindKey(std::string_view kind) {
    return kind == BeforeWriteSuffix ? lang::IDS_BACKUP_KIND_BEFORE_WRITE
                                     : lang::IDS_BACKUP_KIND_READ;
}

bool ParseBackupName(const std::string& path, BackupEntry& entry) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    ParsedName parsed;
    if (!parseName(name, parsed))
        return false;
    entry = BackupEntry{};
    entry.path = path;
    entry.name = name;
    entry.time = timeOf(parsed.stamp);
    entry.kind = parsed.kind;
    return true;
}

bool IsInBackupFolder(const std::string& path, const std::string& folder) {
    struct stat backups {};
    if (folder.empty() || ::stat(folder.c_str(), &backups) != 0)
        return false;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return false;
    std::string at = real;
    std::free(real);
    // Each folder above the file, up to the root.
    while (at.size() > 1) {
        const std::size_t slash = at.rfind('/');
        at.resize(slash == 0 ? 1 : slash);
        struct stat st {};
        if (::stat(at.c_str(), &st) == 0 && sameFile(st, backups))
            return true;
    }
    return false;
}

} // namespace orvik
