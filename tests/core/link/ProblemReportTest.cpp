// The problem report: every section, and nothing of the user's home or name in it.

#include "LinkTestSupport.h"

#include "core/link/ProblemReport.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace orvik::test
