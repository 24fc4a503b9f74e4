#include "core/link/PortNames.h"

#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <sys/stat.h>

namespace orvik {

std::string PortDevicePath(const std::string& settingsFile, int port) {
    if (port < FirstPortNumber || port > LastPortNumber)
        return {};
    if (!settingsFile.empty()) {
        // A newline can never be a stored value, so it tells a missing key from an empty one.
        static constexpr const char* missing = "\n";
        std::string value = ini::GetString(settingsFile, keys::PortsSection,
                                           "COM" + std::to_string(port), missing, 4096);
        if (value != missing)
            return value;
    }
    if (port <= 8)
        return "/dev/ttyUSB" + std::to_string(port - 1);
    if (port <= 16)
        return "/dev/ttyACM" + std::to_string(port - 9);
    if (port <= 48)
        return "/dev/ttyS" + std::to_string(port - 17);
    return {};
}

bool SameDevice(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    if (S_ISCHR(sa.st_mode) && S_ISCHR(sb.st_mode))
        return sa.st_rdev == sb.st_rdev;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace orvik
