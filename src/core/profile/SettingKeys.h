#pragma once
// Sections and keys of setting.ini.

namespace orvik::keys {

inline constexpr const char* SettingsFileName = "setting.ini";
inline constexpr const char* SetupSection = "setup";
inline constexpr const char* LanguageKey = "language";
inline constexpr const char* ComKey = "com";
inline constexpr const char* SearchComKey = "searchcom";
inline constexpr const char* ModelInfoSection = "ModelInfo";
inline constexpr const char* BandKeyFormat = "Freq%d"; // 0 to 15
inline constexpr const char* PortsSection = "ports";   // COM<n>=/dev/...
// [backup] dir= (the backup folder), keep= (how many backups to keep), before_write= (1: read
// and store the radio before every write); [safety] verify= (0: no read-back after a write).
inline constexpr const char* BackupSection = "backup";
inline constexpr const char* BackupDirKey = "dir";
inline constexpr const char* BackupKeepKey = "keep";
inline constexpr const char* BackupBeforeWriteKey = "before_write";
inline constexpr const char* SafetySection = "safety";
inline constexpr const char* VerifyKey = "verify";
// [view] all_settings= (1: the panel shows every setting, View > All Settings).
inline constexpr const char* ViewSection = "view";
inline constexpr const char* AllSettingsKey = "all_settings";
// [check] enabled= (0: no channel check), regions= (the regions whose services are checked).
inline constexpr const char* CheckSection = "check";
inline constexpr const char* CheckEnabledKey = "enabled";
inline constexpr const char* CheckRegionsKey = "regions";

} // namespace orvik::keys
