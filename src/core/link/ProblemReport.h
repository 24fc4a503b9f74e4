#pragma once
// The problem report a user sends with a question: program version, platform, setting.ini,
// the port-to-device mapping, the connection check and the last transfer's line trace, as one
// text, with the last transfer's result. The user's home directory and name and the serial
// numbers of USB devices are taken out of every part.

#include "core/link/TransferOutcome.h"

#include <string>
#include <vector>

namespace orvik {

struct ProblemReportParts {
    std::string version;         // the program's version
    std::string toolkit;         // the GUI toolkit and its version ("Qt 6.4.2"); may be empty
    std::string settingsFile;    // setting.ini
    std::string connectionCheck; // the connection check's text report; empty when not run
    std::string trace;           // the last transfer's trace; empty when none ran
    std::string result;          // the last transfer's TransferResultText; empty when none ran
    std::string home;            // the user's home directory, shown as "~"
    std::string userName;        // the user's name, shown as "USER" where it stands as a word
    std::string root;            // the system root whose USB serial numbers are hidden ("": /)
};

// What became of a transfer, for the report: the result, the step it ended in, the blocks that
// reached the radio, the read-back, the file written (`file`, for a write), the backup stored,
// and the differences a read-back found (`differences`, a line each).
std::string TransferResultText(const TransferOutcome& outcome, const std::string& file,
                               const std::vector<std::string>& differences);

// The serial numbers of the USB devices under <root>/sys/bus/usb/devices.
std::vector<std::string> UsbSerialNumbers(const std::string& root = "");

// Distribution (PRETTY_NAME of <root>/etc/os-release) and kernel (uname), one line each.
std::string PlatformText(const std::string& root = "");

// One line per port number that has a device: the number, the device path, whether the
// device exists, and the configured port marked.
std::string PortMappingText(const std::string& settingsFile);

// `text` with `home` as "~", `userName` as "USER" where it stands as a word or a part of a
// name set off by '-', '_', '.' or '/' ("/home/ann-radio" -> "/home/USER-radio"), and each of
// `serials` as "<serial>".
std::string StripPersonal(std::string text, const std::string& home, const std::string& userName,
                          const std::vector<std::string>& serials = {});

// The whole report.
std::string ProblemReport(const ProblemReportParts& parts);

} // namespace orvik
