// The problem report: every section, and nothing of the user's home or name in it.

#include "LinkTestSupport.h"

#include "core/link/ProblemReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvik::test {
namespace {

TEST(ProblemReport, HoldsEverySectionWithoutTheUsersHomeOrName) {
    TempSettings settings("[setup]\nlanguage=english\ncom=3\nsearchcom=0\n[ports]\nCOM3=" +
                          std::string("/home/alice/pty-radio") + "\nCOM4=/dev/null\n");
    ProblemReportParts parts;
    parts.version = "1.2.3";
    parts.toolkit = "Qt 6.4.2";
    parts.settingsFile = settings.path;
    parts.connectionCheck = "No USB serial device. alice is not in dialout.\n";
    parts.trace = "    0.000 ---  port opened: /home/alice/pty-radio, 9600 baud\n"
                  "    0.100 PC>  02\n";
    parts.home = "/home/alice";
    parts.userName = "alice";
    const std::string report = ProblemReport(parts);

    std::size_t at = 0;
    for (const char* part :
         {"== Program ==\nOrvik 1.2.3\nQt 6.4.2\n", "== Platform ==\n", "Kernel: Linux ",
          "== setting.ini ==\n[setup]\nlanguage=english", "COM3=~/pty-radio", "== Ports ==\n",
          "COM3 (configured): ~/pty-radio (does not exist)\n", "COM4: /dev/null\n",
          "== Connection check ==\n", "USER is not in dialout.", "== Last transfer ==\n",
          "port opened: ~/pty-radio", "    0.100 PC>  02\n"}) {
        const std::size_t found = report.find(part, at);
        ASSERT_NE(found, std::string::npos) << part << "\n" << report;
        at = found;
    }
    EXPECT_EQ(report.find("alice"), std::string::npos) << report;

    // Only whole words and whole path parts are taken out.
    EXPECT_EQ(StripPersonal("malice /home/alicea /home/alice/x alice.", "/home/alice", "alice"),
              "malice /home/alicea ~/x USER.");
    // Parts that are missing say so.
    parts.connectionCheck.clear();
    parts.trace.clear();
    parts.settingsFile = settings.dir + "/none.ini";
    const std::string empty = ProblemReport(parts);
    EXPECT_NE(empty.find("== setting.ini ==\n(cannot be read)"), std::string::npos);
    EXPECT_NE(empty.find("== Connection check ==\n(not run)"), std::string::npos);
    EXPECT_NE(empty.find("== Last transfer ==\n(no transfer in this session)"), std::string::npos);
}

// The report says what became of the last transfer, and leaves out the USB serial numbers (in
// by-id names, [ports], the connection check) and the user's name where '-' or '_' follows it.
TEST(ProblemReport, SaysTheLastResultAndHidesSerialNumbers) {
    TempSettings settings("[setup]\ncom=5\n[ports]\nCOM5=/dev/serial/by-id/"
                          "usb-1a86_USB_Serial_A50285BI-if00-port0\n");
    const std::string root = settings.dir + "/root";
    std::filesystem::create_directories(root + "/sys/bus/usb/devices/1-1");
    std::filesystem::create_directories(root + "/sys/bus/usb/devices/usb1");
    std::ofstream(root + "/sys/bus/usb/devices/1-1/serial") << "A50285BI\n";
    std::ofstream(root + "/sys/bus/usb/devices/usb1/serial") << "0000:00:14.0\n";

    TransferOutcome o;
    o.isRead = false;
    o.state = TransferState::WriteDone;
    o.endedIn = TransferPhase::Verify;
    o.verify = VerifyResult::Mismatch;
    o.blocksDone = 124;
    o.backupPath = "/home/ann-radio/backups/radio-1.735";

    ProblemReportParts parts;
    parts.version = "1.2.3";
    parts.settingsFile = settings.path;
    parts.connectionCheck = "  /dev/ttyUSB0  COM5  1a86:7523  USB Serial\n"
                            "      /dev/serial/by-id/usb-1a86_USB_Serial_A50285BI-if00-port0\n";
    parts.result = TransferResultText(o, "/home/ann-radio/club.735", {"CH2 RX Freq: 1 -> 2"});
    parts.home = "/home/ann";
    parts.userName = "ann";
    parts.root = root;
    const std::string report = ProblemReport(parts);
    std::size_t at = 0;
    for (const char* part :
         {"COM5=/dev/serial/by-id/usb-1a86_USB_Serial_<serial>-if00-port0", "== Last result ==\n",
          "Job: write\nResult: failed\nEnded in: read-back (verify)\n",
          "Blocks acknowledged: 124 of 124\nRead-back: differs from what was written\n",
          "File written: /home/USER-radio/club.735\n",
          "Backup stored: /home/USER-radio/backups/radio-1.735\n",
          "Differences:\n  CH2 RX Freq: 1 -> 2\n"}) {
        const std::size_t found = report.find(part, at);
        ASSERT_NE(found, std::string::npos) << part << "\n" << report;
        at = found;
    }
    EXPECT_EQ(report.find("A50285BI"), std::string::npos) << report;
    EXPECT_EQ(report.find("ann"), std::string::npos) << report;
    EXPECT_EQ(StripPersonal("ann_x ann-y anna joanne ann", "", "ann"),
              "USER_x USER-y anna joanne USER");
}

} // namespace
} // namespace orvik::test
