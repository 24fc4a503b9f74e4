// orvik-cli write to several radios at once, and radio after radio on one port, against
// orvik-radio-sim --count N at the real protocol timing.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"
#include "e2e/Simulators.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using orvik::test::Simulators;
namespace fs = std::filesystem;

namespace {

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class CliFleet : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("fleet", app);
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups"));
        image = MakeDefaultImage();
        for (std::size_t i = 0; i < 0x3E0; ++i)
            image[i] = static_cast<std::uint8_t>(i * 5 + 1);
        std::string error;
        ASSERT_TRUE(SaveDataFile(root + "/in.735", NewHeaderBlock(), image, &error)) << error;
    }
    void TearDown() override { fs::remove_all(root); }

    void bind(const Simulators& sims) const {
        for (std::size_t i = 0; i < sims.paths.size(); ++i)
            ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports",
                                         "COM" + std::to_string(i + 1), sims.paths[i]));
    }
    int cli(std::vector<std::string> args, std::string& out, std::string& err) const {
        const pid_t pid =
            test::SpawnCli(app, std::move(args), root, root + "/stdout", root + "/stderr");
        int status = 0;
        ::waitpid(pid, &status, 0);
        out = test::ReadWholeFile(root + "/stdout");
        err = test::ReadWholeFile(root + "/stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool holdsImage(const std::string& saved) const {
        const std::string bytes = test::ReadWholeFile(saved);
        return bytes.size() == 48u + RadioImage::Size &&
               bytes.compare(48, 0x3E0, reinterpret_cast<const char*>(image.data()), 0x3E0) == 0;
    }

    std::string root;
    std::string app;
    RadioImage image;
};

} // namespace

// Four radios at once, the third storing block 0x40 wrongly: the others hold the file and are
// verified, the third fails at the read-back; exit 75, the summary names COM3, the JSON report
// has every radio with its result and the difference. Wrong port lists and counts are refused
// first.
TEST_F(CliFleet, FourRadiosInParallelWithOneFaultyAndAJsonReport) {
    std::string out, err;
    EXPECT_EQ(cli({"write", "in.735", "--port", "1,x"}, out, err), 64) << err;
    EXPECT_EQ(cli({"write", "in.735", "--repeat"}, out, err), 64) << err;
    EXPECT_EQ(cli({"write", "in.735", "--port", "1", "--repeat", "0"}, out, err), 64) << err;
    // --repeat's count is optional: a file after it is the file to write.
    EXPECT_EQ(cli({"write", "--port", "1", "--repeat", "missing.735"}, out, err), 66) << err;
    EXPECT_NE(err.find("missing.735"), std::string::npos) << err;

    Simulators sims(
        4, {"--save", root + "/radio.735", "--fault-radio", "3", "--corrupt-block", "0x40"},
        root + "/sim.err");
    ASSERT_EQ(sims.paths.size(), 4u);
    bind(sims);
    EXPECT_EQ(cli({"write", "in.735", "--port", "1,2", "--device", sims.paths[0]}, out, err), 64)
        << err; // one device twice

    ASSERT_EQ(cli({"write", "in.735", "--port", "1,2,3,4", "--report", "report.json"}, out, err),
              75)
        << out << err;
    EXPECT_NE(out.find("3 written and verified, 0 written but not verified, 0 partly written, 0 "
                       "not started, 1 failed"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Failed: COM3"), std::string::npos) << out;
    EXPECT_EQ(Occurrences(out, "Written and verified"), 3) << out;
    EXPECT_EQ(Occurrences(out, "Failed at verifying"), 1) << out;
    EXPECT_NE(err.find("CH4 RX"), std::string::npos) << err; // 0x40: channel 4, receive frequency
    for (int radio : {1, 2, 4})
        EXPECT_TRUE(holdsImage(root + "/radio-" + std::to_string(radio) + ".735")) << radio;

    const std::string report = test::ReadWholeFile(root + "/report.json");
    EXPECT_EQ(Occurrences(report, "\"result\":\"verified\""), 3) << report;
    EXPECT_EQ(Occurrences(report, "\"result\":\"failed\""), 1) << report;
    EXPECT_NE(report.find("\"port\":3,\"device\":\"" + sims.paths[2] +
                          "\",\"ident\":\"SIM735\\\\x01\\\\x00\",\"result\":\"failed\","
                          "\"failedStep\":\"verify\""),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\"differences\":[\"0x040\"]"), std::string::npos) << report;
    EXPECT_NE(report.find("\"written\":3,\"failed\":1,\"cancelled\":0,\"verified\":3,"),
              std::string::npos)
        << report;
    // The differing field named as a single write names it.
    EXPECT_NE(report.find("\"fields\":[\"CH4 RX"), std::string::npos) << report;
    // The report has no list below its message.
    EXPECT_EQ(report.find("listed below"), std::string::npos) << report;
}

// One port, three radios in a row: --repeat 3 writes and verifies each exactly once and ends by
// itself; the CSV report has a line per radio.
TEST_F(CliFleet, RepeatWritesEachRadioOnceOnOnePort) {
    Simulators sims(1, {"--swap-after", "1", "--save", root + "/radio.735"}, root + "/sim.err");
    ASSERT_EQ(sims.paths.size(), 1u);
    bind(sims);
    std::string out, err;
    ASSERT_EQ(cli({"write", "in.735", "--port", "1", "--repeat", "3", "--report", "report.csv"},
                  out, err),
              0)
        << out << err;
    EXPECT_NE(out.find("3 written and verified, 0 written but not verified"), std::string::npos)
        << out;
    EXPECT_EQ(Occurrences(err, ": Written and verified"), 3) << err; // a line per radio
    const std::string log = test::ReadWholeFile(root + "/sim.err");
    EXPECT_EQ(Occurrences(log, "radio 1: write 1 completed"), 3) << log;
    EXPECT_EQ(Occurrences(log, "write 2 completed"), 0) << log;
    EXPECT_TRUE(holdsImage(root + "/radio.735"));
    const std::string csv = test::ReadWholeFile(root + "/report.csv");
    EXPECT_EQ(csv.rfind("number,port,device,ident,result,failedStep,", 0), 0u) << csv;
    EXPECT_EQ(Occurrences(csv, ",verified,,"), 3) << csv;
    EXPECT_EQ(Occurrences(csv, "\r\n"), 4) << csv;
}

// Ctrl+C while two radios are being written stops both within one wait: the command waits on
// the job's events and the interrupt alike, prints the summary with both radios cancelled, and
// exits 130. SIGTERM while --repeat waits for a radio that never answers (no event comes)
// ends the job as promptly, with nothing written.
TEST_F(CliFleet, InterruptStopsEveryRadioAtOnce) {
    struct Case {
        std::vector<std::string> simArgs;
        std::vector<std::string> args;
        int signal;
        int code;
        const char* count;
        int cancelled;
    } cases[] = {
        // Both radios hold part of the image: each says how much, none counts as failed.
        {{},
         {"write", "in.735", "--port", "1,2"},
         SIGINT,
         130,
         "0 written and verified, 0 written but not verified, 2 partly written, 0 not started, "
         "0 failed",
         2},
        // Interrupted before any radio came: an interrupted job all the same.
        {{"--silent"},
         {"write", "in.735", "--port", "1", "--repeat"},
         SIGTERM,
         130,
         "0 written and verified, 0 written but not verified, 0 partly written, 0 not started, "
         "0 failed",
         0},
    };
    for (const Case& c : cases) {
        Simulators sims(c.args.size() == 4 ? 2 : 1, c.simArgs);
        ASSERT_FALSE(sims.paths.empty());
        bind(sims);
        const pid_t pid = test::SpawnCli(app, c.args, root, root + "/stdout", root + "/stderr");
        ::usleep(2500 * 1000); // the blocks are going out, or the port waits for a radio
        const auto sent = std::chrono::steady_clock::now();
        ::kill(pid, c.signal);
        int status = 0;
        // A command that missed the signal would wait for ever: give up after 5 s.
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() - sent > std::chrono::seconds(5)) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            ::usleep(10 * 1000);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        const std::string out = test::ReadWholeFile(root + "/stdout");
        const std::string err = test::ReadWholeFile(root + "/stderr");
        ASSERT_TRUE(WIFEXITED(status)) << c.signal;
        EXPECT_EQ(WEXITSTATUS(status), c.code) << out << err;
        EXPECT_LT(seconds, 1.0) << c.signal;
        // A row per cancelled radio, and the line that lists them.
        EXPECT_EQ(Occurrences(out, "Cancelled"), c.cancelled + (c.cancelled > 0 ? 1 : 0)) << out;
        EXPECT_NE(out.find(c.count), std::string::npos) << out;
        EXPECT_EQ(out.find("Failed:"), std::string::npos) << out; // nothing failed
        if (c.cancelled > 0) {
            EXPECT_EQ(Occurrences(out, "Cancelled: partly written ("), c.cancelled) << out;
            EXPECT_NE(out.find("Cancelled: COM"), std::string::npos) << out;
        }
    }
}
