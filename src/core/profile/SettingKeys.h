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

} // namespace orvik::keys
