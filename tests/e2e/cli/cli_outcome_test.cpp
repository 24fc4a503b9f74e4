// What orvik-cli write says when a write does not end as planned, against orvik-radio-sim at the
// real protocol timing: a block the radio refuses, a stop during the read-back, one device
// named twice in two ways.

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

using namespace orvik;
using orvik::test::Simulators;
namespace fs = std::filesystem;

namespace {

class CliOutcome : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("outcome", app);
        ASSERT_FALSE(root.empty());
        std::string error;
        ASSERT_TRUE(SaveDataFile(root + "/in.735", NewHeaderBlock(), MakeDefaultImage(), &error))
            << error;
    }
    void TearDown() override { fs::remove_all(root); }

    void bind(const Simulators& sims) const {
        for (std::size_t i = 0; i < sims.paths.size(); ++i)
            ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports",
                                         "COM" + std::to_string(i + 1), sims.paths[i]));
    }

    std::string root;
    std::string app;
};

// The radio refuses block 0x200 after taking the 64 before it: the message says that 64 of
// the 124 blocks reached it, as a lost line does.
TEST_F(CliOutcome, ARefusedWriteSaysHowManyBlocksReachedTheRadio) {
    Simulators sims(1, {"--nak-block", "0x200"});
    ASSERT_EQ(sims.paths.size(), 1u);
    bind(sims);
    const test::CliRun run = test::RunCli(app, {"write", "in.735", "--port", "1"}, root);
    EXPECT_NE(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("64 of 124 blocks"), std::string::npos) << run.err;
}

// Ctrl+C once the read-back has begun: written but not verified, not "reading it back failed".
TEST_F(CliOutcome, InterruptDuringTheReadBackSaysTheRadioWasWritten) {
    Simulators sims(1, {});
    ASSERT_EQ(sims.paths.size(), 1u);
    bind(sims);
    const std::string errPath = root + "/stderr";
    const pid_t pid = test::SpawnCli(app, {"write", "in.735", "--port", "1", "--verify"}, root,
                                     root + "/stdout", errPath);
    const auto start = std::chrono::steady_clock::now();
    while (test::ReadWholeFile(errPath).find("Verifying") == std::string::npos &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
        ::usleep(50 * 1000);
    ::usleep(500 * 1000);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string err = test::ReadWholeFile(errPath);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130) << err;
    EXPECT_NE(err.find("Cancelled while verifying: the radio was written but not verified"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("reading it back failed"), std::string::npos) << err;
}

// A device named by a port number and again, by another port number, through a symbolic link
// (as /dev/serial/by-id names a cable) is refused before anything starts, as a device named
// twice is.
TEST_F(CliOutcome, OneDeviceUnderTwoNamesIsRefused) {
    Simulators sims(2, {});
    ASSERT_EQ(sims.paths.size(), 2u);
    bind(sims);
    const std::string link = root + "/by-id-link";
    ASSERT_EQ(::symlink(sims.paths[0].c_str(), link.c_str()), 0);
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports", "COM3", link));
    const test::CliRun run = test::RunCli(app, {"write", "in.735", "--port", "1,3"}, root);
    EXPECT_EQ(run.code, 64) << run.out << run.err;
    EXPECT_NE(run.err.find("given twice"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
}

} // namespace
