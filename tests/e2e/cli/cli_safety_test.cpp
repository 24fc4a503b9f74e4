// orvik-cli diff, backups and the short-file checks, run as a user runs them.

#include "core/model/Backup.h"
#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("safety", app);
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups"));
    }
    void TearDown() override { fs::remove_all(root); }

    CliRun cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }
    std::string save(const std::string& name, const RadioImage& image) const {
        std::string error;
        EXPECT_TRUE(SaveDataFile(root + "/" + name, NewHeaderBlock(), image, &error)) << error;
        return root + "/" + name;
    }

    std::string root;
    std::string app;
};

} // namespace

TEST_F(CliSafety, DiffListsEveryKindOfDifferenceWithTheExitCodesOfDiff) {
    const RadioImage a = MakeDefaultImage();
    RadioImage b = a;
    b.setBandCode(0xF8);
    b.setSquelchLevel(5);
    b.setDtmfDigits(TextToDtmf("12A"));
    b.setRxFreq(3, TextToFreq("145.5"));
    b.setTxFreq(3, TextToFreq("145.5"));
    b.setRxTone(3, TextToTone("71.9"));
    b.setHighPower(3, 0);
    b[0x3A1] = 0x00;
    save("a.735", a);
    save("b.735", b);

    CliRun r = cli({"diff", "a.735", "a.735"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");

    r = cli({"diff", "a.735", "b.735"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "Band: 400-470MHz (UHF) -> 136-174MHz (VHF)\n"
                     "Squelch Level: 3 -> 5\n"
                     "DTMF Code: (empty) -> 12A\n"
                     "CH3 RX Freq (MHz): (empty) -> 145.50000\n"
                     "CH3 RX CTCSS/DCS: Off -> 71.9\n"
                     "CH3 TX Freq (MHz): (empty) -> 145.50000\n"
                     "CH3 Power: High -> Low\n"
                     "byte 0x3A1: 0xFF -> 0x00\n");

    r = cli({"diff", "b.735", "a.735", "--json"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out.rfind("{\"equal\":false,\"count\":8,\"differences\":[{\"kind\":\"band\"", 0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("{\"kind\":\"channel\",\"channel\":3,\"field\":\"rxTone\",\"offset\":56,"
                         "\"place\":\"CH3 RX CTCSS/DCS\",\"from\":\"71.9\",\"to\":\"Off\"}"),
              std::string::npos)
        << r.out;

    // The language of setting.ini names the places.
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "setup", "language", "chinese"));
    r = cli({"diff", "a.735", "b.735"});
    EXPECT_NE(r.out.find("信道3 "), std::string::npos) << r.out;

    // A foreign file, a missing one, a wrong call.
    test::WriteWholeFile(root + "/foreign.735", std::string(4144, 'x'));
    EXPECT_EQ(cli({"diff", "a.735", "foreign.735"}).code, 65);
    EXPECT_EQ(cli({"diff", "a.735", "missing.735"}).code, 66);
    EXPECT_EQ(cli({"diff", "a.735"}).code, 64);
}

TEST_F(CliSafety, ShortFilesWarnAndAreNotWrittenWithoutForce) {
    const std::string full = test::ReadWholeFile(save("full.735", MakeDefaultImage()));
    test::WriteWholeFile(root + "/short.735", full.substr(0, 300));
    test::WriteWholeFile(root + "/prefix.735", full.substr(0, 20));
    test::WriteWholeFile(root + "/empty.735", "");

    CliRun r = cli({"show", "short.735"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("The file holds only 300 of 4144 bytes"), std::string::npos) << r.err;
    // Shorter than the checked header text: refused like a foreign file.
    EXPECT_EQ(cli({"show", "prefix.735"}).code, 65);
    EXPECT_EQ(cli({"show", "empty.735"}).code, 65);
    // write refuses before it looks for a radio; --force goes on (to a port without a device).
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports", "COM1", ""));
    r = cli({"write", "--no-search", "short.735"});
    EXPECT_EQ(r.code, 65) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(cli({"write", "--no-search", "--force", "short.735"}).code, 69);
}

TEST_F(CliSafety, BackupsAreListedNewestFirst) {
    CliRun r = cli({"backups", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "{\"folder\":\"" + root + "/backups\",\"keep\":200,\"backups\":[]}\n");

    BackupSettings settings{root + "/backups", 200, false};
    RadioImage image = MakeDefaultImage();
    image.setRxFreq(1, TextToFreq("435.5"));
    ASSERT_TRUE(StoreBackup(settings, image, BackupKind::Read, 1000000000).ok);
    ASSERT_TRUE(StoreBackup(settings, MakeDefaultImage(), BackupKind::BeforeWrite, 1000000060).ok);
    test::WriteWholeFile(root + "/backups/20010101-000000-read.735", "broken");
    // Stored long ago: backups are listed by when they were stored.
    std::filesystem::last_write_time(root + "/backups/20010101-000000-read.735",
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(24));
    r = cli({"backups", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::size_t newest = r.out.find("\"kind\":\"before-write\"");
    const std::size_t older = r.out.find("\"kind\":\"read\",\"readable\":true,\"bandCode\":244,"
                                         "\"band\":\"400-470MHz (UHF)\",\"channelsInUse\":1");
    const std::size_t broken = r.out.find("\"readable\":false");
    EXPECT_NE(older, std::string::npos) << r.out;
    EXPECT_LT(newest, older) << r.out;
    EXPECT_LT(older, broken) << r.out;
    r = cli({"backups"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind(root + "/backups\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("(unreadable)"), std::string::npos) << r.out;
}

// The JSON of a folder whose name holds quotes, control characters, non-ASCII text or bytes that
// are no UTF-8 is still one valid JSON object; valid names read back exactly.
TEST_F(CliSafety, BackupsJsonStaysValidForAnyFolderName) {
    const std::string valid = root + "/b\"ack\\ups\x01\x1f tab\tend 频率 é";
    const std::string broken = root + "/bad\xff\xc3-name";
    for (const std::string& folder : {valid, broken}) {
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", folder));
        BackupSettings settings;
        settings.folder = folder;
        ASSERT_TRUE(StoreBackup(settings, MakeDefaultImage(), BackupKind::Read, 1000000000).ok);
        const CliRun r = cli({"backups", "--json"});
        ASSERT_EQ(r.code, 0) << r.err;
        nlohmann::json parsed;
        ASSERT_NO_THROW(parsed = nlohmann::json::parse(r.out)) << r.out;
        ASSERT_EQ(parsed["backups"].size(), 1u) << r.out;
        EXPECT_EQ(parsed["backups"][0]["channelsInUse"], 0);
        if (folder == valid) {
            EXPECT_EQ(parsed["folder"], valid);
            EXPECT_EQ(parsed["backups"][0]["path"].get<std::string>().rfind(valid + "/", 0), 0u);
        }
    }
}
