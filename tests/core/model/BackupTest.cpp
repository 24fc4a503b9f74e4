#include "core/model/Backup.h"

#include "core/lang/LangText.h"
#include "core/model/DataFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

struct Folder {
    Folder() {
        char tmpl[] = "/tmp/orvik-backup-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~Folder() { fs::remove_all(path); }
    std::string path;
};

std::time_t at(int year, int mon, int day, int h, int m, int s) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = day;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// Sets a file's modification time to `offset` seconds from now.
void touch(const std::string& path, int offset) {
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(offset));
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const BackupEntry& e : ListBackups(folder))
        names.push_back(e.name);
    return names;
}

// Sets TZ for the life of the object.
struct TimeZone {
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        had = old != nullptr;
        saved = had ? old : "";
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (had)
            ::setenv("TZ", saved.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    bool had = false;
    std::string saved;
};

} // namespace

TEST(Backup, StoresNamedFilesWithClashSuffixesAndKeepsTheNewest) {
    Folder dir;
    BackupSettings settings;
    settings.folder = dir.path + "/deep/backups"; // created on the first store
    settings.keep = 3;
    RadioImage image = MakeDefaultImage();
    image.setRxFreq(1, FreqBcd{0x00, 0x25, 0x51, 0x43});
    const std::time_t t = at(2026, 3, 4, 5, 6, 7);

    const BackupResult first = StoreBackup(settings, image, BackupKind::Read, t);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.path, settings.folder + "/20260304-050607-read.735");
    HeaderBlock header{};
    RadioImage back;
    ASSERT_EQ(LoadDataFile(first.path, header, back, nullptr), LoadStatus::Ok);
    EXPECT_EQ(back, image);
    EXPECT_EQ(fs::file_size(first.path), DataFileSize);

    EXPECT_EQ(StoreBackup(settings, image, BackupKind::Read, t).path,
              settings.folder + "/20260304-050607-read-2.735");
    EXPECT_EQ(StoreBackup(settings, image, BackupKind::BeforeWrite, t + 1).path,
              settings.folder + "/20260304-050608-before-write.735");
    // A fourth store removes the oldest; other files in the folder are left alone.
    std::ofstream(settings.folder + "/notes.txt") << "mine";
    ASSERT_TRUE(StoreBackup(settings, image, BackupKind::Read, t + 2).ok);
    EXPECT_FALSE(fs::exists(settings.folder + "/20260304-050607-read.735"));
    EXPECT_TRUE(fs::exists(settings.folder + "/notes.txt"));

    const std::vector<BackupEntry> list = ListBackups(settings.folder);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "20260304-050609-read.735");
    EXPECT_EQ(list[0].time, "2026-03-04 05:06:09");
    EXPECT_EQ(list[0].kind, "read");
    EXPECT_EQ(list[0].bandCode, 0xF4);
    EXPECT_EQ(list[0].channelsInUse, 1);
    EXPECT_EQ(list[1].kind, "before-write");
    EXPECT_EQ(list[2].name, "20260304-050607-read-2.735");

    // A folder that cannot be made: the reason, nothing stored.
    BackupSettings blocked = settings;
    blocked.folder = settings.folder + "/notes.txt/sub";
    const BackupResult failed = StoreBackup(blocked, image, BackupKind::Read, t);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.empty());
    EXPECT_EQ(ListBackups(settings.folder).size(), 3u);
}

TEST(Backup, SettingsComeFromSettingIniWithDefaults) {
    Folder dir;
    const std::string ini = dir.path + "/setting.ini";
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_DATA_HOME", "/x/data", 1);
    std::ofstream(ini) << "[setup]\ncom=1\n";
    BackupSettings s = LoadBackupSettings(ini);
    EXPECT_EQ(s.folder, "/x/data/orvik/backups");
    EXPECT_EQ(s.keep, DefaultBackupKeep);
    EXPECT_FALSE(s.beforeWrite);
    EXPECT_TRUE(VerifyAfterWrite(ini));

    std::ofstream(ini) << "[backup]\ndir=saved/\nkeep=0\nbefore_write=1\n[safety]\nverify=0\n";
    s = LoadBackupSettings(ini);
    EXPECT_EQ(s.folder, dir.path + "/saved");
    EXPECT_EQ(s.keep, DefaultBackupKeep); // below 1 would remove the backup just stored
    EXPECT_TRUE(s.beforeWrite);
    EXPECT_FALSE(VerifyAfterWrite(ini));

    std::ofstream(ini) << "[backup]\ndir=/abs/b\nkeep=7\n";
    s = LoadBackupSettings(ini);
    EXPECT_EQ(s.folder, "/abs/b");
    EXPECT_EQ(s.keep, 7);
    if (savedXdg.empty())
        ::unsetenv("XDG_DATA_HOME");
    else
        ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
}

// A backup stored while the clock or time zone is behind the older ones has the oldest name; it
// is still the newest backup and is never the one removed.
TEST(Backup, RetentionGoesByWhenFilesWereStoredAndKeepsTheOneJustStored) {
    Folder dir;
    BackupSettings settings;
    settings.folder = dir.path;
    settings.keep = 3;
    const RadioImage image = MakeDefaultImage();
    const std::time_t t = at(2026, 10, 25, 2, 30, 0);

    // Three backups named a day ahead (the clock was ahead), stored an hour, 50 and 40 minutes
    // ago.
    for (int i = 0; i < 3; ++i) {
        const BackupResult r = StoreBackup(settings, image, BackupKind::Read, t + 86400 + i);
        ASSERT_TRUE(r.ok) << r.error;
        touch(r.path, -3600 + 600 * i);
    }
    const BackupResult latest = StoreBackup(settings, image, BackupKind::Read, t);
    ASSERT_TRUE(latest.ok);
    EXPECT_TRUE(fs::exists(latest.path));
    EXPECT_EQ(namesIn(dir.path),
              (std::vector<std::string>{"20261025-023000-read.735", "20261026-023002-read.735",
                                        "20261026-023001-read.735"}));

    // A clock set back a day: the older backups' times lie after the new one's, yet the new
    // one stays and counts as one of the three.
    int ahead = 86400;
    for (const BackupEntry& e : ListBackups(dir.path)) {
        touch(e.path, ahead);
        ahead -= 100;
    }
    const BackupResult behind = StoreBackup(settings, image, BackupKind::BeforeWrite, t - 60);
    ASSERT_TRUE(behind.ok);
    EXPECT_TRUE(fs::exists(behind.path));
    const std::vector<std::string> names = namesIn(dir.path);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names.back(), "20261025-022900-before-write.735");
    EXPECT_FALSE(fs::exists(dir.path + "/20261026-023001-read.735")); // the oldest stored

    // keep=1 keeps exactly the one just stored.
    settings.keep = 1;
    const BackupResult only = StoreBackup(settings, image, BackupKind::Read, t - 120);
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"20261025-022800-read.735"}));
    EXPECT_TRUE(fs::exists(only.path));
}

// The way it was found: three reads at UTC+14, then one at UTC-12 (26 hours behind by name).
TEST(Backup, AReadAfterATimeZoneChangeKeepsItsBackup) {
    Folder dir;
    BackupSettings settings;
    settings.folder = dir.path;
    settings.keep = 3;
    const RadioImage image = MakeDefaultImage();
    {
        TimeZone east("<+14>-14");
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(StoreBackup(settings, image, BackupKind::Read).ok);
    }
    TimeZone west("<-12>+12");
    const BackupResult r = StoreBackup(settings, image, BackupKind::Read);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(fs::exists(r.path)) << r.path;
    EXPECT_EQ(ListBackups(dir.path).size(), 3u);
}

TEST(Backup, FilesAreTheUsersAlone) {
    Folder dir;
    BackupSettings settings;
    settings.folder = dir.path + "/new";
    const mode_t old = ::umask(022);
    const BackupResult r = StoreBackup(settings, MakeDefaultImage(), BackupKind::Read);
    ::umask(old);
    ASSERT_TRUE(r.ok);
    struct stat st {};
    ASSERT_EQ(::stat(r.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(settings.folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

// keep= is a whole decimal number of at least 1; anything else keeps the default and is named
// in one warning.
TEST(Backup, KeepTakesOnlyAWholeNumberAndNamesAnyOtherValue) {
    Folder dir;
    const std::string ini = dir.path + "/setting.ini";
    const std::string english = std::string(ORVIK_SHIPPED_DATA_DIR) + "/english.lang";
    const TextLookup text = [&](std::string_view key) {
        return LoadLangString(english, std::string(key));
    };
    for (const char* bad : {"1e3", "2,000", "0", "-5", "+5", "3.0", "12abc", "0x10", "ten"}) {
        std::ofstream(ini) << "[backup]\nkeep=" << bad << "\n";
        EXPECT_EQ(LoadBackupSettings(ini).keep, DefaultBackupKeep) << bad;
        EXPECT_EQ(BackupSettingsWarning(ini, text),
                  "setting.ini [backup] keep=" + std::string(bad) +
                      " is not a whole number of at least 1; the newest 200 backups are kept.");
    }
    const std::pair<const char*, int> good[] = {
        {"1", 1}, {" 007 ", 7}, {"2000", 2000}, {"99999999999999999999", INT_MAX}, {"", 200}};
    for (const auto& [value, keep] : good) {
        std::ofstream(ini) << "[backup]\nkeep=" << value << "\n";
        EXPECT_EQ(LoadBackupSettings(ini).keep, keep) << value;
        EXPECT_EQ(BackupSettingsWarning(ini, text), "") << value;
    }
    std::ofstream(ini) << "[setup]\ncom=1\n";
    EXPECT_EQ(BackupSettingsWarning(ini, text), "");
}

TEST(Backup, TellsABackupByItsNameAndItsFolder) {
    Folder dir;
    BackupEntry e;
    ASSERT_TRUE(ParseBackupName(dir.path + "/20261209-005901-before-write-2.735", e));
    EXPECT_EQ(e.time, "2026-12-09 00:59:01");
    EXPECT_EQ(e.kind, "before-write");
    EXPECT_EQ(e.name, "20261209-005901-before-write-2.735");
    EXPECT_FALSE(ParseBackupName(dir.path + "/radio.735", e));

    const std::string backups = dir.path + "/backups";
    fs::create_directories(backups + "/old");
    fs::create_directories(dir.path + "/work");
    for (const std::string& f : {backups + "/a.735", backups + "/old/b.735", dir.path + "/w.735"})
        std::ofstream(f) << "x";
    fs::create_symlink(backups + "/a.735", dir.path + "/work/link.735");
    fs::create_directory_symlink(backups, dir.path + "/alias");
    EXPECT_TRUE(IsInBackupFolder(backups + "/a.735", backups));
    EXPECT_TRUE(IsInBackupFolder(backups + "/old/b.735", backups));
    EXPECT_TRUE(IsInBackupFolder(dir.path + "/work/link.735", backups));
    EXPECT_TRUE(IsInBackupFolder(backups + "/a.735", dir.path + "/alias"));
    EXPECT_FALSE(IsInBackupFolder(dir.path + "/w.735", backups));
    EXPECT_FALSE(IsInBackupFolder(backups + "/missing.735", backups));
    EXPECT_FALSE(IsInBackupFolder(backups + "/a.735", dir.path + "/nowhere"));
}
