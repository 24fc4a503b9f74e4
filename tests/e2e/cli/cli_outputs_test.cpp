// orvik-cli never overwrites what it was not asked to: an output that is an input, a backup, a
// short data file, run as a user runs them.

#include "core/model/Backup.h"
#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

class CliOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("outputs", app);
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups"));
        RadioImage image = MakeDefaultImage();
        image.setRxFreq(1, TextToFreq("435.5"));
        image.setTxFreq(1, TextToFreq("435.5"));
        std::string error;
        ASSERT_TRUE(SaveDataFile(root + "/f.735", NewHeaderBlock(), image, &error)) << error;
        original = test::ReadWholeFile(root + "/f.735");
    }
    void TearDown() override { fs::remove_all(root); }

    CliRun cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }

    std::string root;
    std::string app;
    std::string original;
};

} // namespace

// export -o naming its input, directly, through a symbolic link or another path, is refused
// before anything is written, with both named; a new file next to it is still written.
TEST_F(CliOutputs, ExportAndImportRefuseAnOutputThatIsTheirInput) {
    fs::create_symlink(root + "/f.735", root + "/link.735");
    fs::create_directory(root + "/sub");
    for (const std::string& output :
         {std::string("f.735"), std::string("link.735"), root + "/sub/../f.735"}) {
        const CliRun r = cli({"export", "f.735", "-o", output});
        EXPECT_EQ(r.code, 64) << output << r.err;
        EXPECT_NE(r.err.find("the output " + output + " is the same file as the input f.735"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), original) << output;
    }
    EXPECT_TRUE(fs::is_symlink(root + "/link.735"));
    // import saves into its data file: that may not be the CSV it reads.
    CliRun r = cli({"import", "f.735", "link.735"});
    EXPECT_EQ(r.code, 64) << r.err;
    EXPECT_NE(r.err.find("the data file f.735 is the same file as the input link.735"),
              std::string::npos)
        << r.err;
    r = cli({"export", "link.735", "-o", "f.csv"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(test::ReadWholeFile(root + "/f.csv").find("435.5"), std::string::npos);
}

// A file in the backup folder (also reached through a link) is not changed by edit or import
// unless --force; the message says to copy it first. A copy is edited as usual.
TEST_F(CliOutputs, EditAndImportRefuseABackupUnlessForced) {
    const BackupResult stored = StoreBackup({root + "/backups", 200, false}, MakeDefaultImage(),
                                            BackupKind::Read, 1000000000);
    ASSERT_TRUE(stored.ok) << stored.error;
    const std::string backup = test::ReadWholeFile(stored.path);
    fs::create_symlink(root + "/backups", root + "/via");
    const std::string viaLink = root + "/via/" + fs::path(stored.path).filename().string();
    test::WriteWholeFile(root + "/one.csv", "Location,Frequency\n2,435.5\n");

    const std::vector<std::vector<std::string>> calls = {
        {"edit", stored.path, "--channel", "2", "--rx", "435.5"},
        {"edit", viaLink, "--set", "squelchLevel=5"},
        {"import", stored.path, "one.csv"},
    };
    for (const auto& call : calls) {
        const CliRun r = cli(call);
        EXPECT_EQ(r.code, 73) << call[0] << r.err;
        EXPECT_NE(r.err.find("is a backup"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("copy it first"), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadWholeFile(stored.path), backup) << call[0];
    }
    // --yes confirms a band change only; --force changes the backup itself.
    EXPECT_EQ(cli({"edit", stored.path, "--yes", "--set", "squelchLevel=5"}).code, 73);
    CliRun r = cli({"edit", stored.path, "--force", "--set", "squelchLevel=5"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(test::ReadWholeFile(stored.path), backup);
    r = cli({"import", stored.path, "one.csv", "--force"});
    EXPECT_EQ(r.code, 0) << r.err;
    // A copy outside the folder is no backup.
    fs::copy_file(stored.path, root + "/copy.735");
    EXPECT_EQ(cli({"edit", "copy.735", "--set", "squelchLevel=4"}).code, 0);
}

// import into a data file shorter than 4144 bytes would pad it with the default image, which
// write then sends as the radio's band and settings: refused without --force, as write does.
TEST_F(CliOutputs, ImportRefusesAShortFileUnlessForced) {
    test::WriteWholeFile(root + "/s.735", original.substr(0, 300));
    test::WriteWholeFile(root + "/one.csv", "Location,Frequency\n2,435.5\n");
    CliRun r = cli({"import", "s.735", "one.csv"});
    EXPECT_EQ(r.code, 65) << r.err;
    EXPECT_NE(r.err.find("The file holds only 300 of 4144 bytes"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/s.735").size(), 300u);
    // --dry-run saves nothing, so it shows what the file would take.
    EXPECT_EQ(cli({"import", "s.735", "one.csv", "--dry-run"}).code, 0);
    EXPECT_EQ(test::ReadWholeFile(root + "/s.735").size(), 300u);
    r = cli({"import", "s.735", "one.csv", "--force"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/s.735").size(), 4144u);
}

// A keep= that is not taken is named once on standard error where the backup settings are
// read; the backups are kept by the default.
TEST_F(CliOutputs, InvalidKeepIsWarnedOnce) {
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "keep", "1e3"));
    CliRun r = cli({"backups", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string warning =
        "setting.ini [backup] keep=1e3 is not a whole number of at least 1; the newest 200 "
        "backups are kept.\n";
    EXPECT_EQ(r.err, warning);
    EXPECT_NE(r.out.find("\"keep\":200"), std::string::npos) << r.out;
    // read warns before it looks for the radio (a port without a device here).
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports", "COM1", ""));
    r = cli({"read", "--port", "1", "--no-search", "-o", "out.735"});
    EXPECT_EQ(r.err.rfind(warning, 0), 0u) << r.err;
    EXPECT_EQ(r.err.find(warning, 1), std::string::npos) << r.err;
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "keep", "7"));
    EXPECT_EQ(cli({"backups"}).err, "");
}
