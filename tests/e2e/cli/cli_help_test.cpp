// --version and --help of the three programs, run as a user runs them: no display, no
// setting.ini needed, a wrong command line answered with the usage and exit 64.

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs a program of the build without a display and from an empty folder.
ProgramRun run(const std::string& program, std::vector<std::string> args) {
    const std::string dir =
        fs::temp_directory_path() / ("orvik-help-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string out = dir + "/out";
    const std::string err = dir + "/err";
    args.insert(args.begin(), program);
    const pid_t pid = orvik::test::SpawnProgram(std::move(args), dir, out, err, true);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ProgramRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = orvik::test::ReadWholeFile(out);
    r.err = orvik::test::ReadWholeFile(err);
    fs::remove_all(dir);
    return r;
}

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

} // namespace

TEST(ProgramsHelp, EveryProgramTellsItsVersion) {
    for (const char* program : {"orvik", "orvik-cli", "orvik-radio-sim"}) {
        if (!fs::exists(std::string(ORVIK_BUILD_DIR) + "/" + program))
            continue; // the window program is not built without the GUI
        const ProgramRun r = run(program, {"--version"});
        EXPECT_EQ(r.code, 0) << program << r.err;
        EXPECT_EQ(r.out, std::string(program) + " " + ORVIK_VERSION + "\n");
    }
}

TEST(ProgramsHelp, EveryCommandHasItsOwnHelp) {
    const char* const commands[] = {"new",   "show", "edit",    "export", "import", "read",
                                    "write", "diff", "backups", "doctor", "dump",   "apply"};
    for (const char* command : commands) {
        for (const char* flag : {"--help", "-h"}) {
            const ProgramRun r = run("orvik-cli", {command, flag});
            EXPECT_EQ(r.code, 0) << command << r.err;
            EXPECT_EQ(r.out.rfind(std::string("Usage: orvik-cli [--app-dir DIR] ") + command +
                                      "\n  " + command + " ",
                                  0),
                      0u)
                << r.out;
            // Only that command: no other command's line.
            for (const char* other : commands) {
                if (std::string(other) != command) {
                    EXPECT_FALSE(contains(r.out, std::string("\n  ") + other + " "))
                        << command << ": " << r.out;
                }
            }
        }
        // Help comes before the options are judged.
        EXPECT_EQ(run("orvik-cli", {command, "--help", "--no-such-option"}).code, 0) << command;
    }
    const ProgramRun help = run("orvik-cli", {"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : commands)
        EXPECT_TRUE(contains(help.out, std::string("\n  ") + command + " ")) << command;
    EXPECT_FALSE(contains(help.out + help.err, "press")); // no window buttons in the terminal
}

// An option no command knows is named in the message, with the usage exit code, before any
// file or port is touched; so are an option without its value and a value given to a flag.
TEST(ProgramsHelp, UnknownOptionsAreNamed) {
    std::string app;
    const std::string root = orvik::test::MakeScratchProgramDir("options", app);
    ASSERT_FALSE(root.empty());
    for (const char* command : {"new", "show", "edit", "export", "import", "read", "write", "diff",
                                "backups", "doctor"}) {
        const auto r =
            orvik::test::RunCli(app, {command, "a.735", "--no-such-option", "b.735"}, root);
        EXPECT_EQ(r.code, 64) << command << r.err;
        EXPECT_TRUE(contains(r.err, "--no-such-option")) << command << ": " << r.err;
        EXPECT_EQ(r.err.rfind("orvik-cli", 0), 0u) << r.err;
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"edit", "a.735", "--channel"}, "--channel needs a value"},
        {{"show", "a.735", "--json=no"}, "--json takes no value"},
        {{"--app-dir"}, "--app-dir needs a directory"},
        {{"no-such-command", "--help"}, "unknown command 'no-such-command'"},
    };
    for (const auto& [args, message] : refused) {
        const auto r = orvik::test::RunCli(app, args, root);
        EXPECT_EQ(r.code, 64) << message;
        EXPECT_TRUE(contains(r.err, message)) << r.err;
    }
    fs::remove_all(root);
}

TEST(ProgramsHelp, WrongWindowCommandLineGetsTheUsageWithoutADisplay) {
    if (!fs::exists(std::string(ORVIK_BUILD_DIR) + "/orvik"))
        GTEST_SKIP() << "the window program is not built";
    const std::vector<std::vector<std::string>> wrong = {
        {"--print-pdf"},
        {"--print-pdf", "out.pdf"},
        {"--bogus"},
        {"a.735", "b.735"},
    };
    for (const auto& args : wrong) {
        const ProgramRun r = run("orvik", args);
        EXPECT_EQ(r.code, 64) << args.back() << r.err;
        EXPECT_TRUE(contains(r.err, "Usage: orvik")) << r.err;
    }
    const ProgramRun help = run("orvik", {"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(contains(help.out, "Usage: orvik")) << help.out;
}
