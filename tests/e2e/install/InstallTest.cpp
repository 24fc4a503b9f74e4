// cmake --install of this build into a scratch prefix, then the installed orvik-cli run as a user
// with a fresh home folder and no setting.ini beside the program.

#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace orvik {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = new TempDir;
        const std::string command = std::string("'") + ORVIK_CMAKE_COMMAND + "' --install '" +
                                    ORVIK_BUILD_DIR + "' --prefix '" + prefix->Path() + "' > '" +
                                    prefix->File("install.log") + "' 2>&1";
        installStatus = std::system(command.c_str());
    }
    static void TearDownTestSuite() {
        delete prefix;
        prefix = nullptr;
    }
    void SetUp() override { ASSERT_EQ(installStatus, 0) << ReadFile(prefix->File("install.log")); }

    // Runs an installed program with only HOME set; returns its exit status.
    int Run(const std::string& program, const std::string& args) {
        const std::string command = "cd '" + work.Path() + "' && env -i HOME='" + home.Path() +
                                    "' PATH=/usr/bin:/bin LANG=C.UTF-8 '" +
                                    prefix->File("bin/" + program) + "' " + args + " > '" +
                                    work.File("out") + "' 2> '" + work.File("err") + "'";
        const int status = std::system(command.c_str());
        out = ReadFile(work.File("out"));
        err = ReadFile(work.File("err"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Shared(const std::string& name) const {
        return prefix->File("share/orvik/" + name);
    }
    std::string User(const std::string& name) const { return home.File(".config/orvik/" + name); }

    static TempDir* prefix;
    static int installStatus;
    TempDir home;
    TempDir work;
    std::string out;
    std::string err;
};

TempDir* Installed::prefix = nullptr;
int Installed::installStatus = -1;

TEST_F(Installed, LaysOutProgramsDataAndDesktopFiles) {
    for (const char* file :
         {"bin/orvik", "bin/orvik-cli", "bin/orvik-radio-sim", "share/orvik/setting.ini",
          "share/orvik/english.lang", "share/orvik/chinese.lang", "share/orvik/english.html",
          "share/orvik/chinese.html", "share/applications/orvik.desktop",
          "share/mime/packages/orvik-735.xml", "share/icons/hicolor/scalable/apps/orvik.svg",
          "share/icons/hicolor/64x64/apps/orvik.png", "share/icons/hicolor/16x16/apps/orvik.png",
          "lib/udev/rules.d/60-orvik-cables.rules", "share/metainfo/org.orvik.Orvik.metainfo.xml",
          "share/man/man1/orvik.1.gz", "share/man/man1/orvik-cli.1.gz",
          "share/man/man1/orvik-radio-sim.1.gz", "share/bash-completion/completions/orvik-cli"})
        EXPECT_TRUE(fs::is_regular_file(prefix->File(file))) << file;
    for (const char* language :
         {"german", "spanish", "french", "portuguese", "russian", "japanese"})
        EXPECT_TRUE(
            fs::is_regular_file(prefix->File("share/orvik/" + std::string(language) + ".lang")))
            << language;
    EXPECT_FALSE(fs::exists(prefix->File("bin/setting.ini")));
    EXPECT_EQ(Run("orvik-cli", "--version"), 0);
    EXPECT_EQ(out, std::string("orvik-cli ") + ORVIK_VERSION + "\n");
    EXPECT_EQ(Run("orvik", "--version"), 0) << err;
    EXPECT_EQ(out, std::string("orvik ") + ORVIK_VERSION + "\n");
}

// Every option a program's --help names appears in its man page.
TEST_F(Installed, ManPagesNameEveryOptionOfTheHelp) {
    for (const char* program : {"orvik", "orvik-cli", "orvik-radio-sim"}) {
        ASSERT_EQ(Run(program, "--help"), 0) << program << err;
        const std::string page =
            ReadFile(std::string(ORVIK_SHIPPED_DATA_DIR) + "/../man/" + program + ".1");
        ASSERT_FALSE(page.empty()) << program;
        std::string roff; // the page with "\-" read as "-"
        for (std::size_t i = 0; i < page.size(); ++i)
            if (!(page[i] == '\\' && i + 1 < page.size() && page[i + 1] == '-'))
                roff += page[i];
        int options = 0;
        for (std::size_t at = out.find("--"); at != std::string::npos; at = out.find("--", at)) {
            std::size_t end = at + 2;
            while (end < out.size() &&
                   (std::isalnum(static_cast<unsigned char>(out[end])) || out[end] == '-'))
                ++end;
            const std::string option = out.substr(at, end - at);
            EXPECT_NE(roff.find(option), std::string::npos) << program << " " << option;
            ++options;
            at = end;
        }
        EXPECT_GT(options, 1) << program;
    }
}

TEST_F(Installed, FirstRunMakesThePerUserSettingsAndUsesTheSharedLanguages) {
    ASSERT_FALSE(fs::exists(User("setting.ini")));
    ASSERT_EQ(Run("orvik-cli", "new radio.735"), 0) << err;
    EXPECT_EQ(ReadFile(User("setting.ini")), ReadFile(Shared("setting.ini")));
    EXPECT_TRUE(fs::is_regular_file(work.File("radio.735")));

    // The texts come from the prefix...
    std::string shared = ReadFile(Shared("english.lang"));
    const std::string header = "IDS_ChText1=RX Freq (MHz)";
    ASSERT_NE(shared.find(header), std::string::npos);
    shared.replace(shared.find(header), header.size(), "IDS_ChText1=Shared RX");
    WriteFile(Shared("english.lang"), shared);
    ASSERT_EQ(Run("orvik-cli", "show radio.735"), 0) << err;
    EXPECT_NE(out.find("Shared RX"), std::string::npos) << out;

    // ...unless the user's folder holds a file of that name.
    std::string mine = shared;
    mine.replace(mine.find("IDS_ChText1=Shared RX"), 21, "IDS_ChText1=My RX");
    WriteFile(User("english.lang"), mine);
    ASSERT_EQ(Run("orvik-cli", "show radio.735"), 0) << err;
    EXPECT_NE(out.find("My RX"), std::string::npos) << out;
    EXPECT_EQ(out.find("Shared RX"), std::string::npos) << out;

    // The user's settings are kept on later runs.
    WriteFile(User("setting.ini"), ReadFile(User("setting.ini")) + "[ports]\nCOM3=/dev/null\n");
    const std::string settings = ReadFile(User("setting.ini"));
    ASSERT_EQ(Run("orvik-cli", "show radio.735"), 0) << err;
    EXPECT_EQ(ReadFile(User("setting.ini")), settings);
}

// The shipped plans come from the prefix; a CSV file in the user's plans folder is a plan too.
TEST_F(Installed, PlansComeFromThePrefixAndTheUsersFolder) {
    EXPECT_TRUE(fs::is_regular_file(Shared("plans/eu-pmr446.csv")));
    fs::create_directories(User("plans"));
    WriteFile(User("plans/club.csv"), "# name: Club\n# region: EU\nLocation,Frequency\n1,145.3\n");
    ASSERT_EQ(Run("orvik-cli", "plans"), 0) << err;
    EXPECT_NE(out.find("eu-pmr446"), std::string::npos) << out;
    EXPECT_NE(out.find("club"), std::string::npos) << out;
    ASSERT_EQ(Run("orvik-cli", "plans club --json"), 0) << err;
    EXPECT_NE(out.find("\"own\":true"), std::string::npos) << out;
}

TEST_F(Installed, WithoutAnySettingsFileTheSearchedFoldersAreNamed) {
    const std::string shipped = ReadFile(Shared("setting.ini"));
    fs::remove(Shared("setting.ini"));
    const int status = Run("orvik-cli", "new radio.735");
    WriteFile(Shared("setting.ini"), shipped);
    EXPECT_EQ(status, 78);
    EXPECT_NE(err.find("Can not find the file setting.ini!"), std::string::npos) << err;
    EXPECT_NE(err.find(prefix->File("bin")), std::string::npos) << err;
    EXPECT_NE(err.find(home.File(".config/orvik")), std::string::npos) << err;
    EXPECT_NE(err.find(prefix->File("share/orvik")), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(work.File("radio.735")));
}

} // namespace
} // namespace orvik
