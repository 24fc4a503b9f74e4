// The connection check over fake system trees: each situation a cable can be in, with the
// exact finding and fix the user reads.

#include "core/link/ConnectionCheck.h"
#include "core/lang/LangText.h"

#include "../profile/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

const std::string English = std::string(ORVIK_SHIPPED_DATA_DIR) + "/english.lang";

// A machine under a temporary root: sysfs, /dev, /proc, /etc and the udev rule directories.
class FakeSystem {
public:
    FakeSystem() {
        for (const char* d : {"sys/class/tty", "sys/bus/usb/devices", "dev/serial/by-id", "proc",
                              "etc/udev/rules.d", "usr/lib/udev/rules.d", "app"})
            fs::create_directories(at(d));
        test::WriteFile(at("app/setting.ini"), "[setup]\ncom=1\n");
        groupLines = "staff:x:64999:\n";
    }

    std::string at(const std::string& p) const { return tmp.Path() + "/" + p; }

    // A USB device on bus port `bus` (e.g. "1-1") with its interface bound to `driver`; a tty
    // named `tty` below it unless empty. The device node belongs to this process's group.
    void cable(const std::string& bus, const std::string& ids, const std::string& driver,
               const std::string& tty) {
        const std::string dev = "sys/devices/pci0000:00/usb1/" + bus;
        const std::string iface = dev + "/" + bus + ":1.0";
        fs::create_directories(at(iface));
        test::WriteFile(at(dev + "/idVendor"), ids.substr(0, 4) + "\n");
        test::WriteFile(at(dev + "/idProduct"), ids.substr(5) + "\n");
        test::WriteFile(at(dev + "/product"), "USB Serial\n");
        test::WriteFile(at(dev + "/manufacturer"), "maker\n");
        fs::create_directory_symlink("../../../../../bus/usb/drivers/" + driver,
                                     at(iface + "/driver"));
        fs::create_directory_symlink("../../../../" + dev, at("sys/bus/usb/devices/" + bus));
        if (tty.empty())
            return;
        // ttyUSB devices sit one level below the interface, ttyACM devices are the interface.
        std::string ttyDir = iface;
        if (tty.rfind("ttyUSB", 0) == 0) {
            ttyDir = iface + "/" + tty;
            fs::create_directories(at(ttyDir));
        }
        fs::create_directories(at("sys/class/tty/" + tty));
        fs::create_directory_symlink("../../../../" + ttyDir,
                                     at("sys/class/tty/" + tty + "/device"));
        test::WriteFile(at("dev/" + tty), "");
    }

    void byId(const std::string& name, const std::string& tty) {
        fs::create_symlink("../../" + tty, at("dev/serial/by-id/" + name));
    }

    // A group entry for the group that owns the fake device nodes.
    void deviceGroup(const std::string& members) {
        groupLines += "dialout:x:" + std::to_string(::getgid()) + ":" + members + "\n";
    }

    void process(int pid, const std::string& name, const std::vector<std::string>& open) {
        const std::string dir = "proc/" + std::to_string(pid);
        fs::create_directories(at(dir + "/fd"));
        test::WriteFile(at(dir + "/comm"), name + "\n");
        int fd = 3;
        for (const std::string& target : open)
            fs::create_symlink(target, at(dir + "/fd/" + std::to_string(fd++)));
    }

    CheckEnvironment env(bool inDeviceGroup, std::map<std::string, OpenProbe> refused = {}) {
        test::WriteFile(at("etc/group"), groupLines);
        test::WriteFile(at("etc/passwd"), "ann:x:1000:1000::/home/ann:/bin/sh\n");
        CheckEnvironment e;
        e.root = tmp.Path();
        e.settingsFile = at("app/setting.ini");
        e.rulesFile = "/opt/orvik/60-orvik-cables.rules";
        e.userName = "ann";
        e.groups = {1000};
        if (inDeviceGroup)
            e.groups.push_back(::getgid());
        e.selfPid = 1;
        e.probe = [refused](const std::string& path) {
            const auto it = refused.find(path);
            return it == refused.end() ? OpenProbe{} : it->second;
        };
        return e;
    }

private:
    test::TempDir tmp;
    std::string groupLines;
};

ConnectionReport check(const CheckEnvironment& env) {
    return CheckConnection(env, [](std::string_view key) { return LoadLangString(English, key); });
}

struct Expected {
    Severity severity;
    std::string id, device, text, fix;
};

void expectFindings(const ConnectionReport& r, const std::vector<Expected>& expected) {
    ASSERT_EQ(r.findings.size(), expected.size()) << ConnectionReportJson(r);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(r.findings[i].severity, expected[i].severity);
        EXPECT_EQ(r.findings[i].id, expected[i].id);
        EXPECT_EQ(r.findings[i].device, expected[i].device);
        EXPECT_EQ(r.findings[i].text, expected[i].text);
        EXPECT_EQ(r.findings[i].fix, expected[i].fix);
    }
}

const OpenProbe Denied{OpenError::PermissionDenied, "Permission denied"};
const OpenProbe Busy{OpenError::Busy, "in use by another program"};

struct Situation {
    const char* name;
    std::function<CheckEnvironment(FakeSystem&)> setup;
    std::vector<Expected> findings;
    bool usable;
};

const Situation Situations[] = {
    {"working setup",
     [](FakeSystem& s) {
         s.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
         s.deviceGroup("ann");
         return s.env(true);
     },
     {{Severity::Info, "ready", "/dev/ttyUSB0", "/dev/ttyUSB0 can be opened (COM1).", ""}},
     true},
    {"user not in the group",
     [](FakeSystem& s) {
         s.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
         s.deviceGroup("bob");
         return s.env(false, {{"/dev/ttyUSB0", Denied}});
     },
     {{Severity::Error, "not-in-group", "/dev/ttyUSB0",
       "You may not open /dev/ttyUSB0: it belongs to the group dialout, and your user is not a "
       "member of it.",
       "sudo usermod -aG dialout $USER\nthen log out and log in again. Or install Orvik's udev "
       "rule, which gives the logged-in user the cable:\nsudo cp "
       "/opt/orvik/60-orvik-cables.rules /etc/udev/rules.d/ && sudo udevadm control --reload && "
       "sudo udevadm trigger"}},
     false},
    {"added to the group but not logged in again",
     [](FakeSystem& s) {
         s.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
         s.deviceGroup("bob,ann");
         return s.env(false, {{"/dev/ttyUSB0", Denied}});
     },
     {{Severity::Error, "relogin", "/dev/ttyUSB0",
       "Your user was added to the group dialout, which owns /dev/ttyUSB0, but this session "
       "started before that and does not have the group yet.",
       "Log out and log in again (or start a shell with the group: newgrp dialout)."}},
     false},
    {"brltty takes the CH340 cable",
     [](FakeSystem& s) {
         s.cable("1-2", "1a86:7523", "brltty-usb", "");
         test::WriteFile(s.at("usr/lib/udev/rules.d/85-brltty.rules"),
                         "# Device: 1A86:7523\nENV{PRODUCT}==\"1a86/7523/*\", "
                         "ENV{BRLTTY_BRAILLE_DRIVER}=\"bm\", GOTO=\"brltty_usb_run\"\n");
         s.process(812, "brltty", {});
         return s.env(true);
     },
     {{Severity::Error, "brltty", "",
       "The braille display service brltty takes CH340/CH341 cables for braille displays, so "
       "the cable's serial device disappears right after it appears.",
       "sudo systemctl mask brltty-udev.service && sudo systemctl stop brltty-udev.service "
       "brltty.service\n(or, without a braille display: sudo apt remove brltty), then unplug "
       "the cable and plug it in again."}},
     false},
    {"ModemManager with a ttyACM cable that COM1 does not lead to",
     [](FakeSystem& s) {
         s.cable("1-3", "2e8a:000a", "cdc_acm", "ttyACM0");
         s.byId("usb-maker_USB_Serial-if00", "ttyACM0");
         test::WriteFile(s.at("app/setting.ini"), "[setup]\ncom=1\n[ports]\nCOM9=\n");
         s.process(640, "ModemManager", {});
         return s.env(true);
     },
     {{Severity::Warning, "modemmanager", "",
       "ModemManager is running and probes every new ttyACM device for a while, so the radio "
       "may not answer during that time.",
       "Wait half a minute after plugging the cable in, or stop it: sudo systemctl stop "
       "ModemManager"},
      {Severity::Warning, "port-elsewhere", "/dev/ttyACM0",
       "COM1 leads to /dev/ttyUSB0, but the cable is /dev/ttyACM0.",
       "Use it as COM1 in Setting > Communication Port, or add to setting.ini in section "
       "[ports]: COM1=/dev/serial/by-id/usb-maker_USB_Serial-if00"},
      {Severity::Info, "ready", "/dev/ttyACM0", "/dev/ttyACM0 can be opened (no COM number).", ""}},
     true},
    {"port held by another program",
     [](FakeSystem& s) {
         s.cable("1-1", "067b:2303", "pl2303", "ttyUSB0");
         s.process(1, "orvik-cli", {"/dev/ttyUSB0"}); // this process: not a holder
         s.process(4711, "minicom", {"/dev/null", "/dev/ttyUSB0"});
         return s.env(true, {{"/dev/ttyUSB0", Busy}});
     },
     {{Severity::Error, "held", "/dev/ttyUSB0", "/dev/ttyUSB0 is in use by minicom (4711).",
       "Close minicom (4711) and try again."}},
     false},
    {"locked by a program this user cannot see",
     [](FakeSystem& s) {
         s.cable("1-1", "10c4:ea60", "cp210x", "ttyUSB0");
         return s.env(true, {{"/dev/ttyUSB0", Busy}});
     },
     {{Severity::Error, "locked", "/dev/ttyUSB0",
       "/dev/ttyUSB0 is in use by a program you cannot see (it may run as another user).",
       "Find it with: sudo fuser -v /dev/ttyUSB0"}},
     false},
    {"no device at all",
     [](FakeSystem& s) { return s.env(true); },
     {{Severity::Error, "no-cable", "",
       "No programming cable was found: the system has no USB serial device.",
       "Plug the cable into the computer and run the check again; sudo dmesg | tail shows "
       "what the system saw."}},
     false},
    {"a pseudo-terminal as COM1 and no cable",
     [](FakeSystem& s) {
         test::WriteFile(s.at("app/setting.ini"), "[setup]\ncom=1\n[ports]\nCOM1=/dev/pts/7\n");
         fs::create_directories(s.at("dev/pts"));
         test::WriteFile(s.at("dev/pts/7"), "");
         return s.env(true);
     },
     {{Severity::Error, "no-cable", "",
       "No programming cable was found: the system has no USB serial device.",
       "Plug the cable into the computer and run the check again; sudo dmesg | tail shows "
       "what the system saw."},
      {Severity::Info, "not-usb", "/dev/pts/7",
       "COM1 leads to /dev/pts/7, which is not a USB serial device (a built-in serial port or a "
       "pseudo-terminal).",
       ""}},
     false},
    {"cable without its driver",
     [](FakeSystem& s) {
         s.cable("1-4", "0403:6001", "", "");
         return s.env(true);
     },
     {{Severity::Error, "no-driver", "",
       "A FT232R cable (USB 0403:6001) is plugged in, but no serial device appeared for it: "
       "the ftdi_sio driver is missing or not loaded.",
       "sudo modprobe ftdi_sio\nthen unplug the cable and plug it in again. If the module is "
       "not found, install your distribution's package of extra kernel modules."}},
     false},
    {"inside a Flatpak, the cable on COM3 while COM1 is chosen",
     [](FakeSystem& s) {
         s.cable("1-1", "1a86:7523", "ch341", "ttyUSB2");
         test::WriteFile(s.at(".flatpak-info"), "[Application]\nname=org.example.Orvik\n");
         return s.env(true);
     },
     {{Severity::Warning, "sandbox-flatpak", "",
       "Orvik runs inside a Flatpak sandbox, which hides serial devices unless it is allowed "
       "to use them.",
       "flatpak override --user --device=all org.example.Orvik"},
      {Severity::Warning, "port-elsewhere", "/dev/ttyUSB2",
       "COM1 leads to /dev/ttyUSB0, but the cable is /dev/ttyUSB2.",
       "Choose COM3 in Setting > Communication Port."},
      {Severity::Info, "ready", "/dev/ttyUSB2", "/dev/ttyUSB2 can be opened (COM3).", ""}},
     true},
};

class ConnectionCheckSituation : public testing::TestWithParam<Situation> {};

TEST_P(ConnectionCheckSituation, NamesTheCauseAndItsFix) {
    FakeSystem system;
    const Situation& s = GetParam();
    const ConnectionReport report = check(s.setup(system));
    expectFindings(report, s.findings);
    EXPECT_EQ(report.usable(), s.usable);
}

INSTANTIATE_TEST_SUITE_P(Situations, ConnectionCheckSituation, testing::ValuesIn(Situations),
                         [](const testing::TestParamInfo<Situation>& param) {
                             std::string name = param.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(ConnectionCheck, DescribesEachDeviceFromSysfs) {
    FakeSystem system;
    system.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
    system.cable("1-3", "2e8a:000a", "cdc_acm", "ttyACM0");
    system.byId("usb-1a86_USB_Serial-if00-port0", "ttyUSB0");
    test::WriteFile(system.at("app/setting.ini"),
                    "[setup]\ncom=1\n[ports]\nCOM1=\nCOM5=/dev/serial/by-id/"
                    "usb-1a86_USB_Serial-if00-port0\n");
    system.deviceGroup("ann");
    const std::vector<SerialDevice> devices = ListSerialDevices(system.env(true));
    ASSERT_EQ(devices.size(), 2u);
    const SerialDevice& acm = devices[0];
    const SerialDevice& usb = devices[1];
    EXPECT_EQ(acm.path, "/dev/ttyACM0");
    EXPECT_EQ(acm.driver, "cdc_acm");
    EXPECT_EQ(acm.port, 9);
    EXPECT_EQ(usb.path, "/dev/ttyUSB0");
    EXPECT_EQ(usb.vendorId + ":" + usb.productId, "1a86:7523");
    EXPECT_EQ(usb.product, "USB Serial");
    EXPECT_EQ(usb.driver, "ch341");
    EXPECT_EQ(usb.group, "dialout");
    EXPECT_EQ(usb.byId,
              std::vector<std::string>{"/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0"});
    EXPECT_EQ(usb.port, 5); // COM1 unbound, COM5 bound through the by-id name
}

TEST(ConnectionCheck, FillTextTakesValuesInOrderAndKeepsSurplusPlaceholders) {
    EXPECT_EQ(FillText("%s=%s", {"COM1", "/dev/ttyUSB0"}), "COM1=/dev/ttyUSB0");
    EXPECT_EQ(FillText("%s and %s", {"%s"}), "%s and %s");
    EXPECT_EQ(FillText("none", {"x"}), "none");
}

TEST(ConnectionCheck, JsonEscapesTextsAndReportsTheOutcome) {
    ConnectionReport report;
    report.devices.push_back({});
    report.devices[0].path = "/dev/tty\"x";
    report.devices[0].usb = true;
    report.devices[0].opens = true;
    report.findings.push_back({Severity::Warning, "w", "", "line\none", "a\\b"});
    const std::string json = ConnectionReportJson(report);
    EXPECT_NE(json.find("\"ok\":true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"path\":\"/dev/tty\\\"x\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"text\":\"line\\u000aone\",\"fix\":\"a\\\\b\""), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"port\":null"), std::string::npos) << json;
}

} // namespace

// A tree whose attributes are a FIFO nobody writes, a device node and a 200 MB file: the
// check reads each with a bound from regular files only, so it neither hangs nor grows.
TEST(ConnectionCheck, StrangeAttributeFilesNeitherHangNorGrowTheCheck) {
    FakeSystem system;
    system.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
    const std::string dev = "sys/devices/pci0000:00/usb1/1-1";
    fs::remove(system.at(dev + "/product"));
    ASSERT_EQ(::mkfifo(system.at(dev + "/product").c_str(), 0600), 0);
    fs::remove(system.at(dev + "/idProduct"));
    fs::create_symlink("/dev/zero", system.at(dev + "/idProduct"));
    fs::resize_file(system.at(dev + "/manufacturer"), 200u << 20); // sparse: no disk used
    const CheckEnvironment env = system.env(true);
    auto listed = std::async(std::launch::async, [&env] { return ListSerialDevices(env); });
    if (listed.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let a reader blocked on the FIFO go, so the test can end.
        const int fd = ::open(system.at(dev + "/product").c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        FAIL() << "the check hung on a FIFO";
    }
    const std::vector<SerialDevice> devices = listed.get();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].vendorId, "1a86");
    EXPECT_EQ(devices[0].productId, "");
    EXPECT_EQ(devices[0].product, "");
    EXPECT_LE(devices[0].manufacturer.size(), 4096u);
}

// A cable whose USB product string holds escape sequences (a title change, a screen clear):
// the report shows them as visible escapes and keeps its own lines.
TEST(ConnectionCheck, DeviceStringsReachTheTextAsVisibleEscapes) {
    FakeSystem system;
    system.cable("1-1", "1a86:7523", "ch341", "ttyUSB0");
    test::WriteFile(system.at("sys/devices/pci0000:00/usb1/1-1/product"),
                    "Cable\x1b]0;owned\x07\x1b[2J\xc2\x9b"
                    "1m\n");
    system.deviceGroup("ann");
    const std::string out = ConnectionReportText(
        check(system.env(true)), [](std::string_view key) { return LoadLangString(English, key); });
    EXPECT_NE(out.find("Cable\\x1b]0;owned\\x07\\x1b[2J\\x9b1m"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
    EXPECT_EQ(out.find("\xc2\x9b"), std::string::npos) << out;
}
