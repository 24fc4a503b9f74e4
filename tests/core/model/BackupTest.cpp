#include "core/model/Backup.h"

#include "core/model/DataFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
