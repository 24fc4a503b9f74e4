#pragma once
// The problem report a user sends with a question: program version, platform, setting.ini,
// the port-to-device mapping, the connection check and the last transfer's line trace, as one
// text. The user's home directory and name are taken out of every part.

#include <string>

namespace orvik {

struct ProblemReportParts {
    std::string version;         // the program's version
    std::string toolkit;         // the GUI toolkit and its version ("Qt 6.4.2"); may be empty
    std::string settingsFile;    // setting.ini
    std::string connectionCheck; // the connection check's text report; empty when not run
    std::string trace;           // the last transfer's trace; empty when none ran
    std::string home;            // the user's home directory, shown as "~"
    std::string userName;        // the user's name, shown as "USER" where it stands as a word
};

// Distribution (PRETTY_NAME of <root>/etc/os-release) and kernel (uname), one line each.
std::string PlatformText(const std::string& root = "");

// One line per port number that has a device: the number, the device path, whether the
// device exists, and the configured port marked.
std::string PortMappingText(const std::string& settingsFile);

// `text` with `home` as "~" and `userName`, where it stands as a word, as "USER".
std::string StripPersonal(std::string text, const std::string& home, const std::string& userName);

// The whole report.
std::string ProblemReport(const ProblemReportParts& parts);

} // namespace orvik
