// orvik-cli read and write: the trace file, outputs that name an input, and a job whose
// terminal hangs up, against orvik-radio-sim at the real protocol timing.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"
#include "e2e/Simulators.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using orvik::test::Simulators;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Ended {
    int code = -1; // -1: killed by a signal, or killed here after `limit`
    bool hung = false;
    std::string out;
    std::string err;
};

class CliTrace : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("trace", app);
        ASSERT_FALSE(root.empty());
        ini::WriteString(app + "/setting.ini", "setup", "searchcom", "0");
        ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups");
        // COM1 without a device: a job fails at once, after which the trace is written.
        ini::WriteString(app + "/setting.ini", "ports", "COM1", "");
        std::string error;
        ASSERT_TRUE(SaveDataFile(root + "/in.735", NewHeaderBlock(), MakeDefaultImage(), &error));
        input = test::ReadWholeFile(root + "/in.735");
    }
    void TearDown() override { fs::remove_all(root); }

    pid_t start(std::vector<std::string> args) const {
        return test::SpawnCli(app, std::move(args), root, root + "/stdout", root + "/stderr");
    }
    // Waits for the command, `signal` sent after `after` when given; one that has not ended
    // `limit` later is killed and marked hung.
    Ended finish(pid_t pid, std::chrono::milliseconds limit, int signal = 0,
                 std::chrono::milliseconds after = {}) const {
        const auto begun = Clock::now();
        int status = 0;
        bool sent = signal == 0;
        Ended r;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (!sent && Clock::now() - begun > after) {
                ::kill(pid, signal);
                sent = true;
            }
            if (Clock::now() - begun > limit) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                r.hung = true;
                break;
            }
            ::usleep(10 * 1000);
        }
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = test::ReadWholeFile(root + "/stdout");
        r.err = test::ReadWholeFile(root + "/stderr");
        return r;
    }
    Ended cli(std::vector<std::string> args) const {
        return finish(start(std::move(args)), std::chrono::seconds(20));
    }

    std::string root;
    std::string app;
    std::string input;
};

} // namespace

// A symbolic link, a FIFO or a directory at the --trace path is refused before the job
// (exit 73): the link's target is not truncated, the FIFO does not hang the program.
TEST_F(CliTrace, TraceRefusesALinkAFifoAndADirectory) {
    test::WriteWholeFile(root + "/precious", "keep me");
    fs::create_symlink(root + "/precious", root + "/link.trace");
    ASSERT_EQ(::mkfifo((root + "/fifo.trace").c_str(), 0600), 0);
    fs::create_directory(root + "/dir.trace");
    const std::vector<std::vector<std::string>> calls = {
        {"read", "--port", "1", "-o", "out.735", "--trace", "link.trace"},
        {"write", "--port", "1", "in.735", "--trace", "link.trace"},
        {"read", "--port", "1", "-o", "out.735", "--trace", "fifo.trace"},
        {"write", "--port", "1", "in.735", "--trace", "fifo.trace"},
        {"read", "--port", "1", "-o", "out.735", "--trace", "dir.trace"},
    };
    for (const auto& call : calls) {
        const Ended r = finish(start(call), std::chrono::seconds(5));
        EXPECT_FALSE(r.hung) << call.back();
        EXPECT_EQ(r.code, 73) << call.back() << r.err;
        EXPECT_NE(r.err.find(call.back()), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadWholeFile(root + "/precious"), "keep me") << call.back();
        EXPECT_TRUE(fs::is_symlink(root + "/link.trace"));
        EXPECT_TRUE(fs::is_fifo(root + "/fifo.trace"));
    }
    // A plain file, also one that exists, takes the trace of the failed job.
    test::WriteWholeFile(root + "/old.trace", "old");
    const Ended r = cli({"read", "--port", "1", "-o", "out.735", "--trace", "old.trace"});
    EXPECT_EQ(r.code, 69) << r.err;
    EXPECT_NE(test::ReadWholeFile(root + "/old.trace").find("final state PortError"),
              std::string::npos);
}

// Every output that names an input, or another output, directly or through a link, is refused
// before anything is written (exit 64), both named.
TEST_F(CliTrace, OutputsThatAreInputsAreRefused) {
    fs::create_symlink(root + "/in.735", root + "/link.735");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"write", "--port", "1", "in.735", "--trace", "in.735"},
         "the trace in.735 is the same file as the input in.735"},
        {{"write", "--port", "1", "in.735", "--trace", "link.735"},
         "the trace link.735 is the same file as the input in.735"},
        {{"write", "in.735", "--port", "1", "--report", "link.735"},
         "the report link.735 is the same file as the input in.735"},
        {{"read", "--port", "1", "--base", "in.735", "-o", "out.735", "--trace", "in.735"},
         "the trace in.735 is the same file as the base in.735"},
        // Neither exists yet: the paths are compared.
        {{"read", "--port", "1", "-o", "new.735", "--trace", root + "/./new.735"},
         "is the same file as the output new.735"},
    };
    for (const Case& c : cases) {
        const Ended r = cli(c.args);
        EXPECT_EQ(r.code, 64) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadWholeFile(root + "/in.735"), input);
        EXPECT_FALSE(fs::exists(root + "/new.735"));
    }
}

// The image read is saved before the trace: a trace path that turned into a FIFO during the
// read is refused (exit 73) without a hang, and the image is there.
TEST_F(CliTrace, ImageIsSavedBeforeTheTrace) {
    Simulators sims(1, {});
    ASSERT_EQ(sims.paths.size(), 1u);
    ini::WriteString(app + "/setting.ini", "ports", "COM1", sims.paths[0]);
    const pid_t pid = start({"read", "--port", "1", "-o", "out.735", "--trace", "t.trace"});
    ::usleep(1000 * 1000);
    ASSERT_EQ(::mkfifo((root + "/t.trace").c_str(), 0600), 0);
    const Ended r = finish(pid, std::chrono::seconds(20));
    EXPECT_FALSE(r.hung);
    EXPECT_EQ(r.code, 73) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/out.735").size(), 4144u) << r.err;
}

// SIGHUP (the terminal or the connection went) stops a job as SIGTERM does: at a block
// boundary, with the summary, the report and the trace written, exit 129.
TEST_F(CliTrace, HangUpStopsTheJobAndWritesItsRecords) {
    {
        Simulators sims(1, {});
        ASSERT_EQ(sims.paths.size(), 1u);
        ini::WriteString(app + "/setting.ini", "ports", "COM1", sims.paths[0]);
        const Ended r =
            finish(start({"read", "--port", "1", "-o", "out.735", "--trace", "t.trace"}),
                   std::chrono::seconds(10), SIGHUP, std::chrono::milliseconds(1500));
        EXPECT_FALSE(r.hung);
        EXPECT_EQ(r.code, 129) << r.err;
        EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(root + "/out.735"));
        EXPECT_NE(test::ReadWholeFile(root + "/t.trace").find("cancelled"), std::string::npos);
    }
    Simulators sims(2, {});
    ASSERT_EQ(sims.paths.size(), 2u);
    ini::WriteString(app + "/setting.ini", "ports", "COM1", sims.paths[0]);
    ini::WriteString(app + "/setting.ini", "ports", "COM2", sims.paths[1]);
    const Ended r = finish(start({"write", "in.735", "--port", "1,2", "--report", "report.json"}),
                           std::chrono::seconds(10), SIGHUP, std::chrono::milliseconds(2500));
    EXPECT_FALSE(r.hung);
    EXPECT_EQ(r.code, 129) << r.out << r.err;
    EXPECT_NE(r.out.find("0 written and verified, 0 written but not verified"), std::string::npos)
        << r.out;
    const std::string report = test::ReadWholeFile(root + "/report.json");
    EXPECT_NE(report.find("\"cancelled\":2,"), std::string::npos) << report;
}
