#pragma once
// The connection check: which serial devices the system has, which of them can be opened, and
// when one cannot, the reason and the exact fix. It looks at sysfs (USB serial devices with
// their vendor and product ids, strings and kernel driver), /dev/serial/by-id, /etc/group,
// /proc (who holds a device open; brltty and ModemManager running) and the udev rule
// directories. Every path is taken under one root prefix (ORVIK_SYSROOT; empty: the real
// system), so a fake tree can stand for any machine.

#include "core/lang/FillText.h"
#include "core/link/ByteLink.h"

#include <functional>

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace orvik {

// How the device at `path` (a system path, without the root prefix) opens.
struct OpenProbe {
    OpenError error = OpenError::None;
    std::string text; // the operating system's words for a failure
};

// The machine and the process the check looks at.
struct CheckEnvironment {
    std::string root;         // prefix of every file-system path ("" for the real system)
    std::string settingsFile; // setting.ini: [setup] com and [ports]
    std::string rulesFile;    // Orvik's udev rule as the fixes name it
    std::string userName;
    std::vector<gid_t> groups; // the groups this process runs with
    pid_t selfPid = 0;         // never reported as holding a device
    std::string snapName;      // non-empty inside a snap
    std::string flatpakId;     // non-empty inside a Flatpak (also when /.flatpak-info exists)
    // Tries to open a device; the default opens it as CSerialPort does (root prefix included)
    // and closes it at once.
    std::function<OpenProbe(const std::string& path)> probe;

    // This process on this machine; the root comes from ORVIK_SYSROOT.
    static CheckEnvironment ForThisProcess(std::string settingsFile, std::string rulesFile);
};

struct DeviceHolder {
    pid_t pid = 0;
    std::string name; // the program's name (/proc/<pid>/comm)
};

struct SerialDevice {
    std::string name;              // ttyUSB0
    std::string path;              // /dev/ttyUSB0
    std::vector<std::string> byId; // /dev/serial/by-id/... names that lead to it
    bool usb = false;
    std::string vendorId, productId, product, manufacturer;
    std::string driver; // the kernel driver of its USB interface (ch341, cdc_acm, ...)
    int port = 0;       // its COM number under the port rule, 0 for none
    bool opens = false;
    OpenError openError = OpenError::None;
    std::string openErrorText;
    std::string group; // the group that owns the device node
    std::vector<DeviceHolder> holders;
};

enum class Severity { Info, Warning, Error };

struct Finding {
    Severity severity = Severity::Info;
    std::string id;     // stable, for --json: not-in-group, relogin, ...
    std::string device; // the device concerned, empty when it concerns the system
    std::string text;   // what is wrong, in one sentence
    std::string fix;    // what to do, commands included; empty when nothing is to be done
};

struct ConnectionReport {
    std::vector<SerialDevice> devices;
    std::vector<Finding> findings;
    int configuredPort = 0;         // [setup] com
    std::string configuredDevice;   // its device path ("" when it has none)
    bool udevRuleInstalled = false; // 60-orvik-cables.rules in a udev rule directory
    // A USB cable opens and no finding is an error.
    bool usable() const;
};

using CheckText = std::function<std::string(std::string_view key)>;

// Runs the check. `text` looks up the language file's texts (String section).
ConnectionReport CheckConnection(const CheckEnvironment& env, const CheckText& text);

// The serial devices of the machine without opening them (no holders, opens unset): what the
// port dialog lists.
std::vector<SerialDevice> ListSerialDevices(const CheckEnvironment& env);

// The report as lines for a person: the device table, then each finding with its fix.
std::string ConnectionReportText(const ConnectionReport& report, const CheckText& text);
// The report as one JSON object.
std::string ConnectionReportJson(const ConnectionReport& report);

// The name of Orvik's udev rule file.
inline constexpr const char* UdevRuleFileName = "60-orvik-cables.rules";
// The rule file as the fixes name it: in the data folder `dataDir` (build tree), in the rule
// directory of an installed program (<prefix>/lib/udev/rules.d beside <prefix>/share/orvik),
// else just its name.
std::string UdevRulePath(const std::string& dataDir);

} // namespace orvik
