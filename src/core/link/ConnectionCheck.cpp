#include "core/link/ConnectionCheck.h"

#include "core/lang/LangKeys.h"
#include "core/link/CSerialPort.h"
#include "core/link/PortNames.h"
#include "core/profile/BoundedRead.h"
#include "core/profile/IniFile.h"
#include "core/profile/JsonText.h"
#include "core/profile/PrintableText.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik {

namespace fs = std::filesystem;

namespace {

// USB serial chips of programming cables and the driver each needs.
struct CableChip {
    const char* vendorId;
    const char* productId;
    const char* chip;
    const char* driver;
};
constexpr CableChip CableChips[] = {
    {"1a86", "7523", "CH340", "ch341"},     {"1a86", "5523", "CH341", "ch341"},
    {"067b", "2303", "PL2303", "pl2303"},   {"10c4", "ea60", "CP2102", "cp210x"},
    {"0403", "6001", "FT232R", "ftdi_sio"},
};

const CableChip* findChip(const std::string& vendorId, const std::string& productId) {
    for (const CableChip& c : CableChips)
        if (vendorId == c.vendorId && productId == c.productId)
            return &c;
    return nullptr;
}

bool isCh34x(const std::string& vendorId, const std::string& productId) {
    return vendorId == "1a86" && (productId == "7523" || productId == "5523");
}

constexpr const char* UdevRuleDirs[] = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                        "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A /sys or /proc attribute: one page.
constexpr std::size_t AttributeLimit = 4096;
// The files of /etc and the udev rules read whole, up to this.
constexpr std::size_t ConfigLimit = 1 << 20;

// The first line of an attribute without its line end; empty when it cannot be read.
std::string firstLine(const fs::path& path) {
    std::string line = ReadBounded(path, AttributeLimit);
    line = line.substr(0, line.find('\n'));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Paths of the system, looked up under the root prefix.
class Tree {
public:
    explicit Tree(std::string rootPrefix) : root(std::move(rootPrefix)) {
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
    }

    fs::path at(const std::string& systemPath) const { return fs::path(root + systemPath); }

    // The path `systemPath` leads to: symbolic links followed (each target taken as a path of
    // the tree) until `stop` accepts one or no link is left.
    std::string follow(std::string systemPath,
                       const std::function<bool(const std::string&)>& stop) const {
        for (int hop = 0; hop < 16 && !stop(systemPath); ++hop) {
            std::error_code ec;
            const fs::path target = fs::read_symlink(at(systemPath), ec);
            if (ec)
                break;
            systemPath =
                target.is_absolute()
                    ? target.lexically_normal().string()
                    : (fs::path(systemPath).parent_path() / target).lexically_normal().string();
        }
        return systemPath;
    }

    const std::string& prefix() const { return root; }

private:
    std::string root;
};

struct GroupEntry {
    std::string name;
    gid_t gid = 0;
    std::vector<std::string> members;
};

std::vector<GroupEntry> readGroups(const Tree& tree) {
    std::vector<GroupEntry> groups;
    std::istringstream in(ReadBounded(tree.at("/etc/group"), ConfigLimit));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, ':'))
            fields.push_back(field);
        if (line.back() == ':')
            fields.emplace_back();
        if (fields.size() < 3 || !allDigits(fields[2]))
            continue;
        GroupEntry entry;
        entry.name = fields[0];
        entry.gid = static_cast<gid_t>(std::strtoul(fields[2].c_str(), nullptr, 10));
        if (fields.size() > 3) {
            std::stringstream members(fields[3]);
            std::string m;
            while (std::getline(members, m, ','))
                if (!m.empty())
                    entry.members.push_back(m);
        }
        groups.push_back(std::move(entry));
    }
    return groups;
}

// The primary group of `user` in /etc/passwd, or -1.
long primaryGroup(const Tree& tree, const std::string& user) {
    std::istringstream in(ReadBounded(tree.at("/etc/passwd"), ConfigLimit));
    std::string line;
    while (std::getline(in, line)) {
        std::stringstream ss(line);
        std::string name, password, uid, gid;
        if (std::getline(ss, name, ':') && name == user && std::getline(ss, password, ':') &&
            std::getline(ss, uid, ':') && std::getline(ss, gid, ':') && allDigits(gid))
            return std::strtol(gid.c_str(), nullptr, 10);
    }
    return -1;
}

// A USB device of /sys/bus/usb/devices.
struct UsbDevice {
    std::string dir; // its resolved sysfs directory (host path)
    std::string vendorId, productId, product;
};

std::vector<UsbDevice> listUsbDevices(const Tree& tree) {
    std::vector<UsbDevice> list;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tree.at("/sys/bus/usb/devices"), ec)) {
        std::error_code ec2;
        const fs::path dir = fs::canonical(entry.path(), ec2);
        if (ec2 || !fs::exists(dir / "idVendor", ec2))
            continue;
        list.push_back({dir.string(), lower(firstLine(dir / "idVendor")),
                        lower(firstLine(dir / "idProduct")), firstLine(dir / "product")});
    }
    return list;
}

// Processes: their names, and who holds the given devices open.
struct ProcessScan {
    std::set<std::string> running;
    std::map<std::string, std::vector<DeviceHolder>> holders;
};

ProcessScan scanProcesses(const Tree& tree, pid_t selfPid, const std::set<std::string>& wanted) {
    ProcessScan scan;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tree.at("/proc"), ec)) {
        const std::string pidText = entry.path().filename().string();
        if (!allDigits(pidText) || pidText.size() > 9)
            continue;
        const auto pid = static_cast<pid_t>(std::strtol(pidText.c_str(), nullptr, 10));
        const std::string name = firstLine(entry.path() / "comm");
        scan.running.insert(name);
        if (wanted.empty() || pid == selfPid)
            continue;
        std::error_code ec2;
        for (const auto& fd : fs::directory_iterator(entry.path() / "fd", ec2)) {
            std::error_code ec3;
            const fs::path target = fs::read_symlink(fd.path(), ec3);
            if (ec3 || !wanted.count(target.string()))
                continue;
            auto& list = scan.holders[target.string()];
            if (std::none_of(list.begin(), list.end(),
                             [pid](const DeviceHolder& h) { return h.pid == pid; }))
                list.push_back({pid, name});
        }
    }
    return scan;
}

std::string holderNames(const std::vector<DeviceHolder>& holders) {
    std::string out;
    for (const DeviceHolder& h : holders) {
        if (!out.empty())
            out += ", ";
        out += h.name + " (" + std::to_string(h.pid) + ")";
    }
    return out;
}

OpenProbe probeDevice(const std::string& root, const std::string& path) {
    CSerialPort port;
    OpenProbe result;
    if (!port.OpenDevice(root + path, 9600)) {
        result.error = port.LastOpenError();
        result.text = port.LastOpenErrorText();
    }
    port.Close();
    return result;
}

const char* severityName(Severity s) {
    switch (s) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Info:
        break;
    }
    return "info";
}

const char* openErrorName(OpenError e) {
    switch (e) {
    case OpenError::None:
        return "none";
    case OpenError::NoDevice:
        return "no-device";
    case OpenError::PermissionDenied:
        return "permission";
    case OpenError::Busy:
        return "busy";
    case OpenError::Other:
        break;
    }
    return "other";
}

std::string comName(int port) {
    return "COM" + std::to_string(port);
}

} // namespace

std::string UdevRulePath(const std::string& appDir) {
    for (const std::string& candidate : {appDir + "/" + UdevRuleFileName,
                                         appDir + "/../../lib/udev/rules.d/" + UdevRuleFileName}) {
        std::error_code ec;
        const fs::path path = fs::weakly_canonical(candidate, ec);
        if (!ec && fs::is_regular_file(path, ec))
            return path.string();
    }
    return UdevRuleFileName;
}

CheckEnvironment CheckEnvironment::ForThisProcess(std::string settingsFile, std::string rulesFile) {
    CheckEnvironment env;
    if (const char* root = std::getenv("ORVIK_SYSROOT"))
        env.root = root;
    env.settingsFile = std::move(settingsFile);
    env.rulesFile = std::move(rulesFile);
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
        env.userName = found->pw_name;
    else if (const char* user = std::getenv("USER"))
        env.userName = user;
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        env.groups.resize(static_cast<std::size_t>(count));
        env.groups.resize(
            static_cast<std::size_t>(std::max(0, ::getgroups(count, env.groups.data()))));
    }
    env.groups.push_back(::getegid());
    env.selfPid = ::getpid();
    if (const char* snap = std::getenv("SNAP_NAME"))
        env.snapName = snap;
    else if (const char* snapDir = std::getenv("SNAP"); snapDir && *snapDir)
        env.snapName = "orvik";
    if (const char* flatpak = std::getenv("FLATPAK_ID"))
        env.flatpakId = flatpak;
    const std::string root = env.root;
    env.probe = [root](const std::string& path) { return probeDevice(root, path); };
    return env;
}

bool ConnectionReport::usable() const {
    const bool cableOpens = std::any_of(devices.begin(), devices.end(),
                                        [](const SerialDevice& d) { return d.usb && d.opens; });
    const bool blocked = std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
        return f.severity == Severity::Error;
    });
    return cableOpens && !blocked;
}

std::vector<SerialDevice> ListSerialDevices(const CheckEnvironment& env) {
    const Tree tree(env.root);
    std::vector<SerialDevice> devices;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tree.at("/sys/class/tty"), ec)) {
        std::error_code ec2;
        const fs::path device = fs::canonical(entry.path() / "device", ec2);
        if (ec2)
            continue;
        // The USB device is the nearest ancestor with a vendor id; the interface the child of
        // it on the way down, and the interface's driver the one that serves the cable.
        fs::path usbDir;
        fs::path interfaceDir;
        for (fs::path p = device; p.has_relative_path() && p != p.parent_path();
             p = p.parent_path()) {
            if (fs::exists(p / "idVendor", ec2)) {
                usbDir = p;
                break;
            }
            interfaceDir = p;
        }
        if (usbDir.empty())
            continue; // not a USB serial device: legacy ports the driver always registers
        SerialDevice d;
        d.name = entry.path().filename().string();
        d.path = "/dev/" + d.name;
        d.usb = true;
        d.vendorId = lower(firstLine(usbDir / "idVendor"));
        d.productId = lower(firstLine(usbDir / "idProduct"));
        d.product = firstLine(usbDir / "product");
        d.manufacturer = firstLine(usbDir / "manufacturer");
        if (!interfaceDir.empty()) {
            const fs::path driver = fs::read_symlink(interfaceDir / "driver", ec2);
            if (!ec2)
                d.driver = driver.filename().string();
        }
        struct stat st {};
        if (::stat(tree.at(d.path).c_str(), &st) == 0) {
            d.group = std::to_string(st.st_gid);
            for (const GroupEntry& g : readGroups(tree))
                if (g.gid == st.st_gid) {
                    d.group = g.name;
                    break;
                }
        }
        devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });

    const auto isDevice = [&devices](const std::string& path) {
        return std::any_of(devices.begin(), devices.end(),
                           [&path](const SerialDevice& d) { return d.path == path; });
    };
    for (const auto& entry : fs::directory_iterator(tree.at("/dev/serial/by-id"), ec)) {
        const std::string name = "/dev/serial/by-id/" + entry.path().filename().string();
        const std::string target = tree.follow(name, isDevice);
        for (SerialDevice& d : devices)
            if (d.path == target)
                d.byId.push_back(name);
    }
    for (SerialDevice& d : devices)
        std::sort(d.byId.begin(), d.byId.end());

    // The COM number of each device: the first port number whose device resolves to it.
    if (!devices.empty()) {
        for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
            const std::string path = PortDevicePath(env.settingsFile, n);
            if (path.empty())
                continue;
            const std::string target = tree.follow(path, isDevice);
            for (SerialDevice& d : devices)
                if (d.port == 0 && d.path == target)
                    d.port = n;
        }
    }
    return devices;
}

ConnectionReport CheckConnection(const CheckEnvironment& env, const CheckText& text) {
    const Tree tree(env.root);
    ConnectionReport report;
    report.devices = ListSerialDevices(env);
    report.configuredPort = ini::GetInt(env.settingsFile, keys::SetupSection, keys::ComKey, 1);
    report.configuredDevice = PortDevicePath(env.settingsFile, report.configuredPort);

    std::set<std::string> busy;
    for (SerialDevice& d : report.devices) {
        const OpenProbe probe = env.probe ? env.probe(d.path) : probeDevice(env.root, d.path);
        d.opens = probe.error == OpenError::None;
        d.openError = probe.error;
        d.openErrorText = probe.text;
        if (probe.error == OpenError::Busy)
            busy.insert(d.path);
    }
    const ProcessScan processes = scanProcesses(tree, env.selfPid, busy);

    // Udev rules: Orvik's own, and brltty's claim on CH340/CH341 cables.
    bool brlttyRulesMatch = false;
    bool brlttyInstalled = false;
    std::error_code ec;
    for (const char* dir : UdevRuleDirs) {
        for (const auto& entry : fs::directory_iterator(tree.at(dir), ec)) {
            const std::string name = entry.path().filename().string();
            if (name == UdevRuleFileName)
                report.udevRuleInstalled = true;
            if (name.find("brltty") == std::string::npos)
                continue;
            brlttyInstalled = true;
            std::istringstream in(ReadBounded(entry.path(), ConfigLimit));
            std::string line;
            while (std::getline(in, line)) {
                line = lower(line);
                if (line.find("1a86") != std::string::npos &&
                    (line.find("7523") != std::string::npos ||
                     line.find("5523") != std::string::npos))
                    brlttyRulesMatch = true;
            }
        }
    }
    brlttyInstalled = brlttyInstalled || fs::exists(tree.at("/usr/bin/brltty"), ec) ||
                      fs::exists(tree.at("/bin/brltty"), ec);
    const bool brlttyRunning = processes.running.count("brltty") > 0;

    auto add = [&report](Severity s, const char* id, std::string device, std::string what,
                         std::string fix) {
        report.findings.push_back({s, id, std::move(device), std::move(what), std::move(fix)});
    };
    const std::string rulesFile = env.rulesFile.empty() ? UdevRuleFileName : env.rulesFile;

    // Sandboxes first: inside one, every other finding may be an effect of it.
    if (!env.snapName.empty())
        add(Severity::Warning, "sandbox-snap", {}, text(lang::IDS_CHECK_SNAP),
            FillText(text(lang::IDS_CHECK_SNAP_FIX), {env.snapName}));
    std::string flatpakId = env.flatpakId;
    const fs::path flatpakInfo = tree.at("/.flatpak-info");
    if (flatpakId.empty() && fs::is_regular_file(flatpakInfo, ec) &&
        fs::file_size(flatpakInfo, ec) <= ConfigLimit)
        flatpakId = ini::GetString(tree.at("/.flatpak-info").string(), "Application", "name",
                                   "org.orvik.Orvik", 256);
    if (!flatpakId.empty())
        add(Severity::Warning, "sandbox-flatpak", {}, text(lang::IDS_CHECK_FLATPAK),
            FillText(text(lang::IDS_CHECK_FLATPAK_FIX), {flatpakId}));

    // Devices that do not open, and why.
    const std::vector<GroupEntry> groups = readGroups(tree);
    const long primary = primaryGroup(tree, env.userName);
    for (const SerialDevice& d : report.devices) {
        switch (d.openError) {
        case OpenError::None:
            break;
        case OpenError::PermissionDenied: {
            struct stat st {};
            const bool known = ::stat(tree.at(d.path).c_str(), &st) == 0;
            const bool inProcess = known && std::find(env.groups.begin(), env.groups.end(),
                                                      st.st_gid) != env.groups.end();
            bool listed = known && primary == static_cast<long>(st.st_gid);
            for (const GroupEntry& g : groups)
                if (known && g.gid == st.st_gid &&
                    std::find(g.members.begin(), g.members.end(), env.userName) != g.members.end())
                    listed = true;
            if (known && !inProcess && listed)
                add(Severity::Error, "relogin", d.path,
                    FillText(text(lang::IDS_CHECK_RELOGIN), {d.group, d.path}),
                    FillText(text(lang::IDS_CHECK_RELOGIN_FIX), {d.group}));
            else if (known && !inProcess)
                add(Severity::Error, "not-in-group", d.path,
                    FillText(text(lang::IDS_CHECK_NOT_IN_GROUP), {d.path, d.group}),
                    FillText(text(lang::IDS_CHECK_NOT_IN_GROUP_FIX), {d.group, rulesFile}));
            else
                add(Severity::Error, "denied", d.path,
                    FillText(text(lang::IDS_CHECK_DENIED), {d.path, d.openErrorText}),
                    FillText(text(lang::IDS_CHECK_DENIED_FIX), {rulesFile}));
            break;
        }
        case OpenError::Busy: {
            const auto found = processes.holders.find(d.path);
            if (found != processes.holders.end() && !found->second.empty()) {
                const std::string names = holderNames(found->second);
                add(Severity::Error, "held", d.path,
                    FillText(text(lang::IDS_CHECK_HELD), {d.path, names}),
                    FillText(text(lang::IDS_CHECK_HELD_FIX), {names}));
            } else {
                add(Severity::Error, "locked", d.path,
                    FillText(text(lang::IDS_CHECK_LOCKED), {d.path}),
                    FillText(text(lang::IDS_CHECK_LOCKED_FIX), {d.path}));
            }
            break;
        }
        case OpenError::NoDevice:
        case OpenError::Other:
            add(Severity::Error, "open-failed", d.path,
                FillText(text(lang::IDS_CHECK_OPEN_FAILED), {d.path, d.openErrorText}),
                text(lang::IDS_CHECK_OPEN_FAILED_FIX));
            break;
        }
    }
    for (SerialDevice& d : report.devices) {
        const auto found = processes.holders.find(d.path);
        if (found != processes.holders.end())
            d.holders = found->second;
    }

    // Cable chips the kernel saw: brltty's claim, or no tty because the driver is missing.
    const std::vector<UsbDevice> usb = listUsbDevices(tree);
    bool ch34xPresent = false;
    for (const UsbDevice& u : usb)
        ch34xPresent = ch34xPresent || isCh34x(u.vendorId, u.productId);
    const bool brlttyCulprit = (brlttyInstalled && brlttyRulesMatch) || brlttyRunning;
    if (brlttyCulprit)
        add(ch34xPresent ? Severity::Error : Severity::Warning, "brltty", {},
            text(lang::IDS_CHECK_BRLTTY), text(lang::IDS_CHECK_BRLTTY_FIX));

    bool cableWithoutTty = false;
    for (const UsbDevice& u : usb) {
        const CableChip* chip = findChip(u.vendorId, u.productId);
        if (!chip)
            continue;
        bool hasTty = false;
        for (const auto& entry : fs::directory_iterator(tree.at("/sys/class/tty"), ec)) {
            std::error_code ec2;
            const fs::path device = fs::canonical(entry.path() / "device", ec2);
            if (!ec2 && device.string().compare(0, u.dir.size() + 1, u.dir + "/") == 0)
                hasTty = true;
        }
        if (hasTty)
            continue;
        cableWithoutTty = true;
        if (brlttyCulprit && isCh34x(u.vendorId, u.productId))
            continue; // brltty took it: said above
        const std::string ids = u.vendorId + ":" + u.productId;
        add(Severity::Error, "no-driver", {},
            FillText(text(lang::IDS_CHECK_NO_DRIVER), {chip->chip, ids, chip->driver}),
            FillText(text(lang::IDS_CHECK_NO_DRIVER_FIX), {chip->driver}));
    }

    const bool hasAcm =
        std::any_of(report.devices.begin(), report.devices.end(),
                    [](const SerialDevice& d) { return d.name.compare(0, 6, "ttyACM") == 0; });
    if (hasAcm && processes.running.count("ModemManager"))
        add(Severity::Warning, "modemmanager", {}, text(lang::IDS_CHECK_MODEMMANAGER),
            text(lang::IDS_CHECK_MODEMMANAGER_FIX));

    if (report.devices.empty() && !cableWithoutTty)
        add(Severity::Error, "no-cable", {}, text(lang::IDS_CHECK_NO_CABLE),
            text(lang::IDS_CHECK_NO_CABLE_FIX));

    // Without a cable, the configured port may still lead to a device (a built-in port or a
    // pseudo-terminal): say that it is not one.
    const bool anyOpens = std::any_of(report.devices.begin(), report.devices.end(),
                                      [](const SerialDevice& d) { return d.opens; });
    if (!anyOpens && !report.configuredDevice.empty() &&
        fs::exists(tree.at(report.configuredDevice), ec)) {
        const std::string target = tree.follow(report.configuredDevice, [&](const std::string& p) {
            return std::any_of(report.devices.begin(), report.devices.end(),
                               [&p](const SerialDevice& d) { return d.path == p; });
        });
        if (std::none_of(report.devices.begin(), report.devices.end(),
                         [&target](const SerialDevice& d) { return d.path == target; }))
            add(Severity::Info, "not-usb", report.configuredDevice,
                FillText(text(lang::IDS_CHECK_NOT_USB),
                         {comName(report.configuredPort), report.configuredDevice}),
                {});
    }

    // A cable that opens, and whether the configured port leads to it.
    const SerialDevice* cable = nullptr;
    for (const SerialDevice& d : report.devices)
        if (d.opens && !cable)
            cable = &d;
    if (cable) {
        const auto opens = [&report](const std::string& path) {
            return std::any_of(
                report.devices.begin(), report.devices.end(),
                [&path](const SerialDevice& d) { return d.opens && d.path == path; });
        };
        const std::string configured = report.configuredDevice.empty()
                                           ? std::string()
                                           : tree.follow(report.configuredDevice, opens);
        if (!opens(configured)) {
            const std::string where = report.configuredDevice.empty()
                                          ? text(lang::IDS_CHECK_NO_DEVICE)
                                          : report.configuredDevice;
            const std::string name = cable->byId.empty() ? cable->path : cable->byId.front();
            add(Severity::Warning, "port-elsewhere", cable->path,
                FillText(text(lang::IDS_CHECK_PORT_ELSEWHERE),
                         {comName(report.configuredPort), where, cable->path}),
                cable->port > 0
                    ? FillText(text(lang::IDS_CHECK_CHOOSE_PORT), {comName(cable->port)})
                    : FillText(
                          text(lang::IDS_CHECK_BIND_PORT),
                          {comName(report.configuredPort), comName(report.configuredPort), name}));
        }
        for (const SerialDevice& d : report.devices)
            if (d.opens)
                add(Severity::Info, "ready", d.path,
                    FillText(text(lang::IDS_CHECK_READY),
                             {d.path, d.port > 0 ? comName(d.port) : text(lang::IDS_CHECK_NO_COM)}),
                    {});
    }
    return report;
}

namespace {

std::string deviceLine(const SerialDevice& d, const CheckText& text) {
    std::string out = "  " + PrintableText(d.path) + "  " +
                      (d.port > 0 ? comName(d.port) : text(lang::IDS_CHECK_NO_COM));
    if (d.usb)
        out += "  " + PrintableText(d.vendorId + ":" + d.productId);
    if (!d.product.empty())
        out += "  " + PrintableText(d.product);
    if (!d.driver.empty())
        out += " (" + PrintableText(d.driver) + ")";
    out += "  " + (d.opens ? text(lang::IDS_CHECK_OPENS) : text(lang::IDS_CHECK_NO_OPEN));
    out += "\n";
    for (const std::string& name : d.byId)
        out += "      " + PrintableText(name) + "\n";
    return out;
}

} // namespace

std::string ConnectionReportText(const ConnectionReport& report, const CheckText& text) {
    std::string out;
    if (report.devices.empty()) {
        out += text(lang::IDS_CHECK_NO_DEVICES) + "\n";
    } else {
        out += text(lang::IDS_CHECK_DEVICES) + "\n";
        for (const SerialDevice& d : report.devices)
            out += deviceLine(d, text);
    }
    for (const Finding& f : report.findings) {
        const char* label = f.severity == Severity::Error     ? lang::IDS_CHECK_ERROR
                            : f.severity == Severity::Warning ? lang::IDS_CHECK_WARNING
                                                              : lang::IDS_CHECK_INFO;
        out += "\n" + text(label) + " " + PrintableLines(f.text) + "\n";
        if (f.fix.empty())
            continue;
        std::string fix = text(lang::IDS_CHECK_FIX) + " " + PrintableLines(f.fix);
        std::size_t at = 0;
        while ((at = fix.find('\n', at)) != std::string::npos) {
            fix.insert(at + 1, "    ");
            at += 5;
        }
        out += "  " + fix + "\n";
    }
    return out;
}

std::string ConnectionReportJson(const ConnectionReport& report) {
    Json devices = Json::array();
    for (const SerialDevice& d : report.devices) {
        Json heldBy = Json::array();
        for (const DeviceHolder& h : d.holders)
            heldBy.push_back({{"pid", h.pid}, {"name", h.name}});
        devices.push_back({{"name", d.name},
                           {"path", d.path},
                           {"byId", d.byId},
                           {"usb", d.usb},
                           {"vendorId", d.vendorId},
                           {"productId", d.productId},
                           {"product", d.product},
                           {"manufacturer", d.manufacturer},
                           {"driver", d.driver},
                           {"port", d.port > 0 ? Json(d.port) : Json()},
                           {"opens", d.opens},
                           {"error", openErrorName(d.openError)},
                           {"errorText", d.openErrorText},
                           {"group", d.group},
                           {"heldBy", heldBy}});
    }
    Json findings = Json::array();
    for (const Finding& f : report.findings)
        findings.push_back({{"severity", severityName(f.severity)},
                            {"id", f.id},
                            {"device", f.device},
                            {"text", f.text},
                            {"fix", f.fix}});
    const Json out = {{"ok", report.usable()},
                      {"configuredPort", report.configuredPort},
                      {"configuredDevice", report.configuredDevice},
                      {"udevRuleInstalled", report.udevRuleInstalled},
                      {"devices", devices},
                      {"findings", findings}};
    return JsonText(out);
}

} // namespace orvik
