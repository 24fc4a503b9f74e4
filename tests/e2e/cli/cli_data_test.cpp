// orvik-cli new, show and edit, run as a user runs them: the built binary against a program
// directory made from the shipped data files.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

class CliData : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("data", app);
        ASSERT_FALSE(root.empty());
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs orvik-cli --app-dir <app> args..., capturing both streams and the exit code.
    CliRun cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }

    std::string json(const std::string& file) const {
        const CliRun r = cli({"show", file, "--json"});
        EXPECT_EQ(r.code, 0) << r.err;
        return r.out;
    }

    // The JSON object of one channel ("{...}").
    static std::string channelJson(const std::string& json, int n) {
        const std::string key = "{\"channel\":" + std::to_string(n) + ",";
        const std::size_t a = json.find(key);
        if (a == std::string::npos)
            return {};
        int depth = 0;
        for (std::size_t i = a; i < json.size(); ++i) {
            depth += json[i] == '{' ? 1 : json[i] == '}' ? -1 : 0;
            if (depth == 0)
                return json.substr(a, i - a + 1);
        }
        return {};
    }

    std::string root;
    std::string app;
};

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

} // namespace

TEST_F(CliData, NewWritesTheDefaultImage) {
    const CliRun r = cli({"new", "a.735"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = test::ReadWholeFile(root + "/a.735");
    ASSERT_EQ(bytes.size(), DataFileSize);
    EXPECT_EQ(bytes.substr(0, 32), DataFileHeaderText);
    const RadioImage def = MakeDefaultImage();
    EXPECT_EQ(std::memcmp(bytes.data() + 48, def.data(), RadioImage::Size), 0);

    const std::string j = json("a.735");
    EXPECT_TRUE(contains(j, "\"bandCode\":244,\"bandPosition\":2,\"limits\":[40000000,47000000]"))
        << j;
    EXPECT_TRUE(contains(j, "\"settings\":{\"voiceFunction\":0,\"voiceAnnunciation\":1,"
                            "\"scanFunction\":0,\"voxFunction\":0,\"voxLevel\":0,"
                            "\"fmRadioFunction\":0,\"beep\":0,\"batterySave\":1,"
                            "\"squelchLevel\":3,\"sideKey1\":0,\"timeOutTimer\":6,\"sideKey2\":0,"
                            "\"fmRadioFreq\":0,\"scanMode\":0}"))
        << j;
    EXPECT_TRUE(contains(j, "\"dtmf\":\"\""));
    EXPECT_EQ(channelJson(j, 16),
              "{\"channel\":16,\"rxFreq\":null,\"rxTone\":null,\"txFreq\":null,\"txTone\":null,"
              "\"optionCol5Off\":0,\"narrow\":0,\"highPower\":1,\"optionCol8Off\":1,"
              "\"optionCol9Off\":1}");

    // An empty file is filled; one with content is not replaced without --force.
    test::WriteWholeFile(root + "/empty.735", "");
    EXPECT_EQ(cli({"new", "empty.735"}).code, 0);
    EXPECT_EQ(fs::file_size(root + "/empty.735"), DataFileSize);
    test::WriteWholeFile(root + "/a.735", "keep");
    EXPECT_EQ(cli({"new", "a.735"}).code, 73);
    EXPECT_EQ(test::ReadWholeFile(root + "/a.735"), "keep");
    EXPECT_EQ(cli({"new", "a.735", "--force", "--band", "3"}).code, 0);
    EXPECT_TRUE(contains(json("a.735"), "\"bandCode\":248,\"bandPosition\":3"));

    // A dangling link: its target is created and the link stays.
    fs::create_symlink("made.735", root + "/link.735");
    const CliRun linked = cli({"new", "link.735"});
    EXPECT_EQ(linked.code, 0) << linked.err;
    EXPECT_TRUE(fs::is_symlink(root + "/link.735"));
    EXPECT_EQ(fs::file_size(root + "/made.735"), DataFileSize);
    EXPECT_EQ(cli({"new", "link.735"}).code, 73);
}

TEST_F(CliData, BandPositionsComeFromSettingIni) {
    EXPECT_EQ(cli({"new", "x.735", "--band", "6"}).code, 64); // six bands shipped
    EXPECT_EQ(cli({"new", "x.735", "--band", "-1"}).code, 64);
    EXPECT_EQ(cli({"new", "x.735", "--band", "two"}).code, 64);
    EXPECT_FALSE(fs::exists(root + "/x.735"));

    std::ofstream(app + "/setting.ini", std::ios::app) << "Freq6=Extra A\nFreq7=Extra B\n";
    ASSERT_EQ(cli({"new", "x.735", "--band", "6"}).code, 0);
    EXPECT_TRUE(contains(json("x.735"), "\"bandCode\":255,\"bandPosition\":2,\"limits\":[40000000,"
                                        "47000000]"));
}

TEST_F(CliData, EditAppliesTheTableRules) {
    ASSERT_EQ(cli({"new", "f.735", "--band", "3"}).code, 0); // 136-174 MHz
    CliRun r =
        cli({"edit", "f.735", "--channel", "1", "--rx", "145.5", "--channel", "2", "--rx", "600",
             "--rx-tone", "d754i", "--option", "6=1", "--set", "squelchLevel=5", "--dtmf", "12A"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "modified\n");
    std::string j = json("f.735");
    EXPECT_EQ(channelJson(j, 1),
              "{\"channel\":1,\"rxFreq\":\"145.50000\",\"rxTone\":null,\"txFreq\":\"145.50000\","
              "\"txTone\":null,\"optionCol5Off\":0,\"narrow\":0,\"highPower\":1,"
              "\"optionCol8Off\":1,\"optionCol9Off\":1}");
    EXPECT_TRUE(contains(channelJson(j, 2), "\"rxFreq\":\"174.00000\",\"rxTone\":\"D754I\","
                                            "\"txFreq\":\"174.00000\",\"txTone\":\"D754I\""))
        << j;
    EXPECT_TRUE(contains(channelJson(j, 2), "\"narrow\":1"));
    EXPECT_TRUE(contains(j, "\"squelchLevel\":5"));
    EXPECT_TRUE(contains(j, "\"dtmf\":\"12A\""));

    // Same text: unchanged, and the file is not rewritten. 145.5 against 145.50000 is a change.
    const std::string before = test::ReadWholeFile(root + "/f.735");
    r = cli({"edit", "f.735", "--channel", "1", "--rx", "145.50000", "--dtmf", "12a"});
    EXPECT_EQ(r.out, "unchanged\n");
    EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), before);
    EXPECT_EQ(cli({"edit", "f.735", "--channel", "1", "--rx", "145.5"}).out, "modified\n");

    // Clearing the transmit frequency, then the receive frequency.
    r = cli({"edit", "f.735", "--channel", "2", "--tx", ""});
    EXPECT_EQ(r.out, "modified\n");
    j = json("f.735");
    EXPECT_TRUE(contains(channelJson(j, 2), "\"txFreq\":null,\"txTone\":null")) << j;
    r = cli({"edit", "f.735", "--channel", "2", "--rx="});
    EXPECT_EQ(r.out, "modified\n");
    EXPECT_EQ(channelJson(json("f.735"), 2),
              "{\"channel\":2,\"rxFreq\":null,\"rxTone\":null,\"txFreq\":null,\"txTone\":null,"
              "\"optionCol5Off\":0,\"narrow\":0,\"highPower\":1,\"optionCol8Off\":1,"
              "\"optionCol9Off\":1}");

    // DTMF text stops at the first character that is not a digit.
    EXPECT_EQ(cli({"edit", "f.735", "--dtmf", "1x2"}).out, "modified\n");
    EXPECT_TRUE(contains(json("f.735"), "\"dtmf\":\"1\""));
}

// The table rules may change bytes without marking the document modified; the file is saved and
// the edit says "modified" all the same.
TEST_F(CliData, EditSavesAndReportsEveryChangeOfTheBytes) {
    ASSERT_EQ(cli({"new", "r.735"}).code, 0);
    std::string bytes = test::ReadWholeFile(root + "/r.735");
    // Channel 1 as a radio might deliver it: 435.00010 MHz on both sides, off the raster.
    const std::string offRaster("\x10\x00\x50\x43\x10\x00\x50\x43", 8);
    bytes.replace(48 + 0x10, 8, offRaster);
    // Channel 3 without a receive frequency but with stray bytes after it.
    bytes.replace(48 + 0x30, 16,
                  std::string("\xFF\xFF\xFF\xFF\x00\x00\x50\x43\x12\x34\x56\x78", 12) +
                      std::string(4, '\0'));
    test::WriteWholeFile(root + "/r.735", bytes);

    CliRun r = cli({"edit", "r.735", "--channel", "1", "--rx", "435.00010"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "modified\n");
    EXPECT_TRUE(contains(channelJson(json("r.735"), 1),
                         "\"rxFreq\":\"435.00000\",\"rxTone\":null,\"txFreq\":\"435.00000\""));

    // Clearing the already empty channel 3 clears its stray bytes.
    bytes = test::ReadWholeFile(root + "/r.735");
    r = cli({"edit", "r.735", "--channel", "3", "--rx="});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(test::ReadWholeFile(root + "/r.735"), bytes);
    EXPECT_EQ(r.out, "modified\n");

    // The same edit again changes nothing.
    bytes = test::ReadWholeFile(root + "/r.735");
    r = cli({"edit", "r.735", "--channel", "3", "--rx="});
    EXPECT_EQ(r.out, "unchanged\n");
    EXPECT_EQ(test::ReadWholeFile(root + "/r.735"), bytes);
}

TEST_F(CliData, EditRefusesReadOnlyCellsAndSavesNothing) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    const std::string before = test::ReadWholeFile(root + "/f.735");
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--channel", "3", "--rx-tone", "67.0"}, "channel 3"},
        {{"--channel", "3", "--tx", "435"}, "channel 3"},
        {{"--channel", "3", "--option", "7=0"}, "channel 3"},
        // rx is applied first, then the emptied tx makes the tx tone read-only.
        {{"--set", "beep=1", "--channel", "4", "--rx", "435", "--tx", "", "--tx-tone", "67.0"},
         "transmit"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"edit", "f.735"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 64) << c.args[1];
        EXPECT_TRUE(contains(r.err, c.mentions)) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), before);
    }
}

TEST_F(CliData, EditKeepsTheFilesOwnHeaderUnlessTheBandChanges) {
    fs::copy_file(std::string(ORVIK_TEST_DATA_DIR) + "/model/v999.735", root + "/v.735");
    const std::string original = test::ReadWholeFile(root + "/v.735");
    CliRun r = cli({"edit", "v.735", "--set", "beep=1", "--band", "2"}); // band 2 is current
    EXPECT_EQ(r.out, "modified\n") << r.err;
    std::string now = test::ReadWholeFile(root + "/v.735");
    EXPECT_EQ(now.substr(0, 48), original.substr(0, 48));
    EXPECT_EQ(now.size(), DataFileSize);

    r = cli({"edit", "v.735", "--band", "0", "--yes"}); // its channels are cleared
    EXPECT_EQ(r.out, "modified\n");
    now = test::ReadWholeFile(root + "/v.735");
    EXPECT_EQ(now.substr(0, 32), DataFileHeaderText);
    EXPECT_EQ(now.substr(32, 16), original.substr(32, 16));
    EXPECT_TRUE(contains(json("v.735"), "\"bandCode\":245,\"bandPosition\":0"));
    EXPECT_EQ(channelJson(json("v.735"), 1).find("\"rxFreq\":null") != std::string::npos, true);
}

TEST_F(CliData, ErrorsAndExitCodes) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    fs::copy_file(std::string(ORVIK_TEST_DATA_DIR) + "/model/broken/wrong_case.735",
                  root + "/bad.735");
    const std::string bad = test::ReadWholeFile(root + "/bad.735");

    CliRun r = cli({"show", "bad.735"});
    EXPECT_EQ(r.code, 65);
    EXPECT_TRUE(contains(r.err, "This file is not a radio data file")) << r.err;
    EXPECT_TRUE(contains(r.err, "bad.735"));
    EXPECT_EQ(cli({"edit", "bad.735", "--set", "beep=1"}).code, 65);
    EXPECT_EQ(test::ReadWholeFile(root + "/bad.735"), bad);

    EXPECT_EQ(cli({"show", "missing.735"}).code, 66);
    EXPECT_EQ(cli({"show", "."}).code, 66);
    EXPECT_EQ(cli({"edit", "missing.735", "--set", "beep=1"}).code, 66);
    EXPECT_EQ(cli({"new", "/proc/orvik-test.735"}).code, 73);
    EXPECT_EQ(cli({"new", "no/such/dir/x.735"}).code, 73);

    const std::vector<std::vector<std::string>> usage = {
        {"show"},
        {"show", "f.735", "--xml"},
        {"edit", "f.735", "--rx", "435"},
        {"edit", "f.735", "--channel", "17", "--rx", "435"},
        {"edit", "f.735", "--channel", "1", "--option", "4=1"},
        {"edit", "f.735", "--channel", "1", "--option", "5=2"},
        {"edit", "f.735", "--set", "volume=1"},
        {"edit", "f.735", "--set", "beep=256"},
        {"edit", "f.735", "--set", "beep"},
        {"edit", "f.735", "--channel"},
        {"edit", "f.735", "g.735"},
    };
    for (const auto& args : usage) {
        r = cli(args);
        EXPECT_EQ(r.code, 64) << args.back();
        EXPECT_FALSE(r.err.empty());
    }

    fs::remove(app + "/setting.ini");
    r = cli({"show", "f.735"});
    EXPECT_EQ(r.code, 78);
    EXPECT_TRUE(contains(r.err, "Can not find the file setting.ini!"));
}

TEST_F(CliData, ShowUsesTheLanguageOfSettingIni) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    ASSERT_EQ(cli({"edit", "f.735", "--channel", "1", "--rx", "435"}).code, 0);
    CliRun r = cli({"show", "f.735"});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.out, "Band:"));
    EXPECT_TRUE(contains(r.out, "400-470MHz"));
    EXPECT_TRUE(contains(r.out, "CH  RX Freq (MHz)"));
    EXPECT_TRUE(contains(r.out, "435.00000")) << r.out;
    EXPECT_TRUE(contains(r.out, "Off"));

    std::string ini = test::ReadWholeFile(app + "/setting.ini");
    ini.replace(ini.find("language=english"), 16, "language=chinese");
    test::WriteWholeFile(app + "/setting.ini", ini);
    r = cli({"show", "f.735"});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.out, "频率范围")) << r.out;
    EXPECT_TRUE(contains(r.out, "信道"));
    EXPECT_TRUE(contains(r.out, "关"));
    EXPECT_FALSE(contains(r.out, "Off"));

    // A text the language lacks is shown in English.
    std::string chinese = test::ReadWholeFile(app + "/chinese.lang");
    const std::size_t off = chinese.find("\nIDS_OFF=");
    ASSERT_NE(off, std::string::npos);
    chinese.replace(off + 1, 8, "UNUSED_OFF");
    test::WriteWholeFile(app + "/chinese.lang", chinese);
    r = cli({"show", "f.735"});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.out, "频率范围"));
    EXPECT_TRUE(contains(r.out, "Off")) << r.out;
    EXPECT_EQ(r.err, "");

    // A language file that cannot be read: English throughout, and said once.
    fs::remove(app + "/chinese.lang");
    r = cli({"show", "f.735"});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.out, "Band:")) << r.out;
    EXPECT_TRUE(contains(r.out, "CH  RX Freq (MHz)"));
    const std::string notice = "The language file could not be read";
    ASSERT_TRUE(contains(r.err, notice + "; the English texts are shown instead: " + app +
                                    "/chinese.lang\n"))
        << r.err;
    EXPECT_EQ(r.err.find(notice), r.err.rfind(notice));
}

TEST_F(CliData, EditTakesOptionsAndSettingsByNameAndRefusesValuesOutOfRange) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    ASSERT_EQ(cli({"edit", "f.735", "--channel", "1", "--rx", "435"}).code, 0);
    CliRun r = cli({"edit",        "f.735",
                    "--channel",   "1",
                    "--scan-add",  "no",
                    "--bandwidth", "narrow",
                    "--power",     "low",
                    "--busy-lock", "yes",
                    "--scrambler", "yes",
                    "--set",       "timeOutTimer=180s",
                    "--set",       "squelchLevel=5",
                    "--set",       "beep=yes",
                    "--set",       "batterySave=off"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string j = json("f.735");
    EXPECT_TRUE(contains(channelJson(j, 1), "\"optionCol5Off\":1,\"narrow\":1,\"highPower\":0,"
                                            "\"optionCol8Off\":0,\"optionCol9Off\":0"))
        << j;
    EXPECT_TRUE(contains(j, "\"beep\":1,\"batterySave\":0,\"squelchLevel\":5")) << j;
    EXPECT_TRUE(contains(j, "\"timeOutTimer\":6")) << j;

    // --option takes the words too; the words are the column's, not the list position.
    r = cli({"edit", "f.735", "--channel", "1", "--option", "5=yes", "--option", "6=wide",
             "--option", "7=HIGH", "--option", "8=no", "--option", "9=1", "--set",
             "timeOutTimer=off"});
    ASSERT_EQ(r.code, 0) << r.err;
    j = json("f.735");
    EXPECT_TRUE(contains(channelJson(j, 1), "\"optionCol5Off\":0,\"narrow\":0,\"highPower\":1,"
                                            "\"optionCol8Off\":1,\"optionCol9Off\":1"))
        << j;
    EXPECT_TRUE(contains(j, "\"timeOutTimer\":0")) << j;

    const std::string before = test::ReadWholeFile(root + "/f.735");
    const std::vector<std::pair<std::vector<std::string>, const char*>> refused = {
        {{"--set", "squelchLevel=12"}, "0 to 9"},
        {{"--set", "timeOutTimer=400s"}, "300s"},
        {{"--set", "timeOutTimer=45s"}, "steps of 30s"},
        {{"--set", "voxLevel=5"}, "0 to 4"},
        {{"--set", "beep=maybe"}, "yes or no"},
        {{"--channel", "1", "--power", "medium"}, "low or high"},
        {{"--channel", "1", "--option", "6=yes"}, "wide/narrow"},
    };
    for (const auto& [args, mentions] : refused) {
        std::vector<std::string> all{"edit", "f.735"};
        all.insert(all.end(), args.begin(), args.end());
        r = cli(all);
        EXPECT_EQ(r.code, 64) << args.back();
        EXPECT_TRUE(contains(r.err, mentions)) << r.err;
    }
    EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), before);
}

TEST_F(CliData, EditReportsAdjustedValuesAndStrictRefusesThem) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0); // 400-470 MHz
    const std::string empty = test::ReadWholeFile(root + "/f.735");

    // A value that is no frequency is never silent success, and nothing is saved.
    CliRun r = cli({"edit", "f.735", "--channel", "1", "--rx", "abc"});
    EXPECT_EQ(r.code, 65);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "abc is not a frequency")) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), empty);

    // --strict: an adjusted value is an error and nothing is saved, also the other edits.
    r = cli({"edit", "f.735", "--strict", "--set", "beep=1", "--channel", "1", "--rx", "145.5"});
    EXPECT_EQ(r.code, 65);
    EXPECT_TRUE(contains(r.err, "145.5 is below the band 400-470 MHz: stored 400.00000")) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), empty);

    // Without it the reason goes to standard error and the edit is saved.
    r = cli({"edit", "f.735", "--channel", "1", "--rx", "445.1234", "--rx-tone", "101.3",
             "--channel", "2", "--rx", "445,125"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "modified\n");
    EXPECT_TRUE(contains(r.err, "channel 1 receive frequency: 445.1234 is off the channel raster: "
                                "stored 445.12500"))
        << r.err;
    EXPECT_TRUE(contains(r.err, "101.3 is not in the tone list")) << r.err;
    EXPECT_FALSE(contains(r.err, "445,125")) << r.err; // the decimal comma is no adjustment
    EXPECT_TRUE(contains(channelJson(json("f.735"), 2), "\"rxFreq\":\"445.12500\""));

    // A clean edit passes --strict.
    r = cli({"edit", "f.735", "--strict", "--channel", "3", "--rx", "446.00625"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST_F(CliData, BandChangeThatClearsChannelsNeedsYes) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    EXPECT_EQ(cli({"edit", "f.735", "--band", "3"}).code, 0); // no channel in use: no question
    ASSERT_EQ(cli({"edit", "f.735", "--channel", "1", "--rx", "145"}).code, 0);
    const std::string before = test::ReadWholeFile(root + "/f.735");
    CliRun r = cli({"edit", "f.735", "--band", "2"});
    EXPECT_EQ(r.code, 64);
    EXPECT_TRUE(contains(r.err, "--yes")) << r.err;
    EXPECT_EQ(test::ReadWholeFile(root + "/f.735"), before);
    EXPECT_EQ(cli({"edit", "f.735", "--band", "3"}).code, 0); // the current band clears nothing
    for (const char* confirm : {"--yes", "--force"}) {
        ASSERT_EQ(cli({"edit", "f.735", "--band", "3"}).code, 0);
        ASSERT_EQ(cli({"edit", "f.735", "--channel", "1", "--rx", "145"}).code, 0);
        r = cli({"edit", "f.735", "--band", "2", confirm});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(contains(channelJson(json("f.735"), 1), "\"rxFreq\":null"));
    }
}

// Each channel option applies to the --channel before it, in either form of the value.
TEST_F(CliData, ChannelOptionsApplyToTheChannelBeforeThem) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    const CliRun r = cli({"edit", "--channel=3", "--rx=435", "--channel", "4", "--rx", "436",
                          "--power=low", "f.735", "--channel", "3", "--bandwidth", "narrow"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string j = json("f.735");
    EXPECT_TRUE(contains(channelJson(j, 3), "\"rxFreq\":\"435.00000\""));
    EXPECT_TRUE(contains(channelJson(j, 3), "\"narrow\":1,\"highPower\":1")) << j;
    EXPECT_TRUE(contains(channelJson(j, 4), "\"rxFreq\":\"436.00000\""));
    EXPECT_TRUE(contains(channelJson(j, 4), "\"narrow\":0,\"highPower\":0")) << j;
}

TEST_F(CliData, ChannelSetsAreFilledGivenOptionsAndSorted) {
    ASSERT_EQ(cli({"new", "s.735"}).code, 0); // 400-470 MHz
    CliRun r = cli({"edit", "s.735", "--channels", "1-3,6", "--fill", "446.00625:0.0125:-5",
                    "--power", "low", "--rx-tone", "88.5"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "modified\n");
    std::string j = json("s.735");
    EXPECT_TRUE(contains(channelJson(j, 1), "\"rxFreq\":\"446.00625\",\"rxTone\":\"88.5\","
                                            "\"txFreq\":\"441.00625\",\"txTone\":\"88.5\""))
        << j;
    EXPECT_TRUE(contains(channelJson(j, 3), "\"rxFreq\":\"446.03125\"")) << j;
    EXPECT_TRUE(contains(channelJson(j, 6), "\"rxFreq\":\"446.04375\"")) << j;
    EXPECT_TRUE(contains(channelJson(j, 6), "\"highPower\":0")) << j;
    EXPECT_TRUE(contains(channelJson(j, 4), "\"rxFreq\":null")) << j;

    // Options for a set leave its empty channels alone; the same again changes nothing.
    r = cli({"edit", "s.735", "--channels", "1-8", "--power", "low", "--rx-tone", "88.5"});
    EXPECT_EQ(r.out, "unchanged\n") << r.err;
    EXPECT_TRUE(contains(channelJson(json("s.735"), 4), "\"rxFreq\":null"));

    // Sorted by receive frequency, highest first made lowest first, empty channels last.
    ASSERT_EQ(cli({"edit", "s.735", "--channel", "1", "--rx", "449"}).code, 0);
    r = cli({"edit", "s.735", "--sort", "rx"});
    ASSERT_EQ(r.code, 0) << r.err;
    j = json("s.735");
    EXPECT_TRUE(contains(channelJson(j, 1), "\"rxFreq\":\"446.01875\"")) << j;
    EXPECT_TRUE(contains(channelJson(j, 3), "\"rxFreq\":\"446.04375\"")) << j;
    EXPECT_TRUE(contains(channelJson(j, 4), "\"rxFreq\":\"449.00000\"")) << j;
    EXPECT_TRUE(contains(channelJson(j, 5), "\"rxFreq\":null")) << j;
    EXPECT_EQ(cli({"edit", "s.735", "--sort", "rx"}).out, "unchanged\n");

    // Wrong use: each says why, exit 64, nothing saved.
    const std::string before = test::ReadWholeFile(root + "/s.735");
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--channels", "0-3"},
                                                {"--channels", "1-2", "--rx", "446"},
                                                {"--channel", "1", "--fill", "446:0.0125"},
                                                {"--channels", "1", "--fill", "446:0"},
                                                {"--sort", "name"},
                                                {"--fill", "446:1"}}) {
        std::vector<std::string> args{"edit", "s.735"};
        args.insert(args.end(), bad.begin(), bad.end());
        r = cli(args);
        EXPECT_EQ(r.code, 64) << bad[0] << " " << bad[1];
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(test::ReadWholeFile(root + "/s.735"), before);
}

TEST_F(CliData, ShowGivesAFieldWithoutAValidValueByItsBytes) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    ASSERT_EQ(cli({"edit", "f.735", "--channel", "2", "--rx", "446.1"}).code, 0);
    std::string data = test::ReadWholeFile(root + "/f.735");
    const std::size_t ch2 = 48 + 2 * 16;                 // file header, then channel N at N * 16
    const unsigned char rx[] = {0xA0, 0x6D, 0x00, 0x46}; // 0xA0 and 0x6D are no BCD
    std::memcpy(&data[ch2], rx, sizeof rx);
    data[ch2 + 8] = 0x12; // receive tone: 0xAB is no digit pair and no DCS word
    data[ch2 + 9] = 0x0B;
    test::WriteWholeFile(root + "/f.735", data);

    const std::string ch = channelJson(json("f.735"), 2);
    EXPECT_TRUE(contains(ch, "\"rxFreq\":{\"raw\":\"A06D0046\"}")) << ch;
    EXPECT_TRUE(contains(ch, "\"rxTone\":{\"raw\":\"120B\"}")) << ch;
    EXPECT_TRUE(contains(ch, "\"txFreq\":\"446.10000\"")) << ch;

    const CliRun r = cli({"show", "f.735"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "(invalid) [A0 6D 00 46]")) << r.out;
    EXPECT_TRUE(contains(r.out, "(invalid) [12 0B]")) << r.out;
    EXPECT_FALSE(contains(r.out, "446.006")) << r.out;
}

TEST_F(CliData, MessagesNamingAFileCannotActOnTheTerminal) {
    const std::string name = "a\x1b]0;owned\x07\x1b[2J.735";
    test::WriteWholeFile(root + "/" + name, "not a data file");
    const CliRun r = cli({"show", name});
    EXPECT_EQ(r.code, 65) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x07'), std::string::npos) << r.err;
    EXPECT_TRUE(contains(r.err, "a\\x1b]0;owned\\x07\\x1b[2J.735")) << r.err;
}
