#pragma once
// Port numbers to serial devices. A port number n names:
//  1. the value of key COM<n> in section [ports] of the settings file, when present (an empty
//     value means the port has no device);
//  2. otherwise 1-8 /dev/ttyUSB0-7, 9-16 /dev/ttyACM0-7, 17-48 /dev/ttyS0-31.
// Numbers outside 1..255, and numbers the rule leaves out, have no device.

#include <string>

namespace orvik {

inline constexpr int FirstPortNumber = 1;
inline constexpr int LastPortNumber = 255;

// The device path of port `port`, or the empty text when it has no device. An empty
// `settingsFile` skips the [ports] section.
std::string PortDevicePath(const std::string& settingsFile, int port);

// Whether two paths name one device: the same file once links are followed (a symbolic link,
// a /dev/serial/by-id name), or the same character device number. Paths that do not exist are
// compared as written.
bool SameDevice(const std::string& a, const std::string& b);

} // namespace orvik
