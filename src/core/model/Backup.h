#pragma once
// Backups of the radio: every completed read, and the read before a write when asked, is kept
// as an ordinary .735 data file named YYYYMMDD-HHMMSS-read.735 or ...-before-write.735 (local
// time; -2, -3... on a clash) in the backup folder, written atomically and readable by the user
// alone (0600). After a successful store only the newest `keep` backups are kept, newest by
// when they were stored (modification time, then name), never counting out the one just stored.
// The settings live in setting.ini: [backup] dir=, keep=, before_write=, and [safety] verify=
// for the read-back after a write.

#include "core/model/RadioImage.h"

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

inline constexpr int DefaultBackupKeep = 200;

struct BackupSettings {
    std::string folder;           // where backups go
    int keep = DefaultBackupKeep; // the newest this many are kept (at least 1)
    bool beforeWrite = false;     // read and store the radio before every write
};

// $XDG_DATA_HOME/orvik/backups when XDG_DATA_HOME is absolute, else
// $HOME/.local/share/orvik/backups.
std::string DefaultBackupFolder();

// The settings of setting.ini: dir= (a leading "~/" is the home folder, a relative path is taken
// from setting.ini's folder; empty or missing: DefaultBackupFolder), keep= (digits only, at
// least 1, a huge number taken as the largest int; anything else, empty or missing: the
// default), before_write= (on when it begins with "1").
BackupSettings LoadBackupSettings(const std::string& iniPath);

using TextLookup = std::function<std::string(std::string_view key)>;
// The warning for a keep= value of setting.ini that was not taken (it names the value and the
// default used), in the language of `text`; empty when keep= is valid, empty or missing. Shown
// once where the settings are read (standard error, the window's status bar).
std::string BackupSettingsWarning(const std::string& iniPath, const TextLookup& text);

// [safety] verify=: on unless the value begins with "0".
bool VerifyAfterWrite(const std::string& iniPath);

enum class BackupKind { Read, BeforeWrite };

struct BackupResult {
    bool ok = false;
    std::string path;  // the file stored
    std::string error; // why it could not be stored (the folder is settings.folder)
};

// Stores `image` (with the standard header) in the folder as a new 0600 file, creating the
// folder (mode 0700) when missing, then removes the oldest backups beyond `keep` but never the
// file just stored. `now` names the file.
BackupResult StoreBackup(const BackupSettings& settings, const RadioImage& image, BackupKind kind,
                         std::time_t now = std::time(nullptr));

struct BackupEntry {
    std::string path;
    std::string name;
    std::string time;  // "2026-12-08 20:15:07", from the name
    std::string kind;  // "read" or "before-write"
    int bandCode = -1; // -1 when the file cannot be read
    int channelsInUse = 0;
};

// The name of the entry's band in `bandNames` (the band list of setting.ini, in list order);
// empty when the file could not be read or the list has no name there.
std::string BackupBandName(const BackupEntry& entry, const std::vector<std::string>& bandNames);

// The backups in `folder` (files named as above), newest first: by modification time, then by
// name (its time, then its clash number).
std::vector<BackupEntry> ListBackups(const std::string& folder);

// The language key of a backup's kind ("read", "before-write") as the window shows it.
const char* BackupKindKey(std::string_view kind);

// path, name, time and kind of a file named as a backup (the file is not read); false for a
// name of another form.
bool ParseBackupName(const std::string& path, BackupEntry& entry);

// Whether the file at `path` lies inside `folder` or a folder below it, links resolved on both
// sides. A backup opened from there is edited as a copy, never saved over.
bool IsInBackupFolder(const std::string& path, const std::string& folder);

} // namespace orvik
