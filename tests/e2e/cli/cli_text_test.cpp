// orvik-cli dump, apply, new --from and write IN.yaml: the whole radio as a text file.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"
#include "e2e/Simulators.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

class CliText : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("text", app);
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups"));
    }
    void TearDown() override { fs::remove_all(root); }

    test::CliRun cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }
    std::string save(const std::string& name, const RadioImage& image) const {
        std::string error;
        EXPECT_TRUE(SaveDataFile(root + "/" + name, NewHeaderBlock(), image, &error)) << error;
        return name;
    }
    std::string imageBytes(const std::string& name) const {
        const std::string bytes = test::ReadWholeFile(root + "/" + name);
        return bytes.size() == DataFileSize ? bytes.substr(48) : std::string();
    }
    std::string file(const std::string& name) const {
        return test::ReadWholeFile(root + "/" + name);
    }
    void write(const std::string& name, const std::string& text) const {
        test::WriteWholeFile(root + "/" + name, text);
    }

    std::string root;
    std::string app;
};

// A file made with edit, random bytes, and all-0x00: dump, then apply --replace onto a new file
// (and new --from) gives the image byte for byte; dump to standard output is the same text.
TEST_F(CliText, DumpThenApplyReplaceGivesTheSameImage) {
    ASSERT_EQ(cli({"new", "edited.735"}).code, 0);
    ASSERT_EQ(
        cli({"edit", "edited.735", "--channel", "2", "--rx", "435.125", "--rx-tone", "88.5", "--tx",
             "436.5", "--power", "low", "--set", "timeOutTimer=180s", "--dtmf", "12A"})
            .code,
        0);
    RadioImage random;
    std::mt19937 gen(30);
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        random[i] = static_cast<std::uint8_t>(gen());
    RadioImage zeros;
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        zeros[i] = 0;
    for (const std::string& name :
         {std::string("edited.735"), save("random.735", random), save("zeros.735", zeros)}) {
        SCOPED_TRACE(name);
        const test::CliRun dump = cli({"dump", name, "-o", "out.yaml"});
        ASSERT_EQ(dump.code, 0) << dump.err;
        EXPECT_EQ(
            file("out.yaml").rfind("# Made by orvik-cli " ORVIK_VERSION " dump from " + name, 0),
            0u);
        EXPECT_EQ(cli({"dump", name}).out, file("out.yaml"));
        ASSERT_EQ(cli({"new", "copy.735", "--force"}).code, 0);
        const test::CliRun apply = cli({"apply", "copy.735", "out.yaml", "--replace", "--strict"});
        EXPECT_EQ(apply.code, 0) << apply.err;
        EXPECT_EQ(apply.out, "modified\n");
        EXPECT_EQ(apply.err, "");
        EXPECT_EQ(imageBytes("copy.735"), imageBytes(name));
        ASSERT_EQ(cli({"new", "from.735", "--force", "--from", "out.yaml"}).code, 0);
        EXPECT_EQ(imageBytes("from.735"), imageBytes(name));
        EXPECT_EQ(cli({"apply", "copy.735", "out.yaml", "--replace"}).out, "unchanged\n");
    }
    EXPECT_EQ(cli({"dump", "edited.735", "-o", "edited.735"}).code, 64); // its own input
}

// Mistakes are told as FILE:LINE:COLUMN with exit 65 and the file left as it was; adjusted
// values as edit tells them, an error with --strict; --dry-run saves nothing.
TEST_F(CliText, ApplyErrorsAndAdjustments) {
    ASSERT_EQ(cli({"new", "f.735"}).code, 0);
    const std::string before = file("f.735");
    struct Case {
        const char* yaml;
        const char* err;
    };
    const Case cases[] = {
        {"settings:\n  squelchLevel: 3\n  colour: red\n", "in.yaml:3:3: unknown setting 'colour'"},
        {"channels:\n  1:\n    rx: 440\n    rxTone: [1]\n",
         "in.yaml:4:13: channel 1 rxTone takes a single value, not a list"},
        {"settings:\n  voxLevel: 9\n", "in.yaml:2:13: voxLevel takes 0 to 4, not '9'"},
        {"channels: {1: {rx: 440}\n", "in.yaml:2:1: this is no YAML: "},
        {"\x01\x02 binary", "in.yaml:1:1: this is no radio text file"},
        {"format: 7\n", "in.yaml:1:9: format version 7 is newer than this program reads (1)"},
    };
    for (const Case& c : cases) {
        write("in.yaml", c.yaml);
        const test::CliRun r = cli({"apply", "f.735", "in.yaml"});
        EXPECT_EQ(r.code, 65) << c.yaml;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
        EXPECT_EQ(file("f.735"), before);
    }

    write("in.yaml", "channels:\n  1: {rx: 300, rxTone: 88.5}\n  2:\n    rx: 440.001\n");
    const test::CliRun strict = cli({"apply", "f.735", "in.yaml", "--strict"});
    EXPECT_EQ(strict.code, 65);
    EXPECT_NE(strict.err.find("in.yaml:2:11: channel 1 receive frequency: "), std::string::npos)
        << strict.err;
    EXPECT_NE(strict.err.find("in.yaml:4:9: channel 2 receive frequency: "), std::string::npos);
    EXPECT_NE(strict.err.find("--strict: nothing was saved"), std::string::npos);
    EXPECT_EQ(file("f.735"), before);
    const test::CliRun dry = cli({"apply", "f.735", "in.yaml", "--dry-run"});
    EXPECT_EQ(dry.code, 0);
    EXPECT_EQ(dry.out, "modified\nDry run: nothing was saved.\n");
    EXPECT_EQ(file("f.735"), before);
    const test::CliRun applied = cli({"apply", "f.735", "in.yaml"});
    EXPECT_EQ(applied.code, 0) << applied.err;
    EXPECT_EQ(applied.err, strict.err.substr(0, strict.err.find("orvik-cli: --strict")));
    EXPECT_NE(cli({"show", "f.735"}).out.find("400.00000"), std::string::npos); // the low limit
}

// show --json's output is read as well: applied to a blank file it gives the same show --json.
TEST_F(CliText, ApplyReadsShowJson) {
    ASSERT_EQ(cli({"new", "a.735", "--band", "3"}).code, 0);
    ASSERT_EQ(cli({"edit",        "a.735",
                   "--channel",   "1",
                   "--rx",        "145.5",
                   "--tx",        "",
                   "--channel",   "4",
                   "--rx",        "146.0125",
                   "--tx-tone",   "D754I",
                   "--bandwidth", "narrow",
                   "--set",       "voiceAnnunciation=0",
                   "--set",       "fmRadioFreq=115",
                   "--dtmf",      "7D"})
                  .code,
              0);
    const test::CliRun shown = cli({"show", "a.735", "--json"});
    ASSERT_EQ(shown.code, 0);
    write("shown.json", shown.out);
    ASSERT_EQ(cli({"new", "b.735"}).code, 0);
    const test::CliRun r = cli({"apply", "b.735", "shown.json"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(cli({"show", "b.735", "--json"}).out, shown.out);
}

// write IN.yaml builds the image in memory and writes it as a .735's would be: to one radio,
// then to two at once; a mistake in the file stops it before any port is opened.
TEST_F(CliText, WriteFromTheTextFileToOneRadioAndToSeveral) {
    RadioImage image = MakeDefaultImage();
    for (std::size_t i = 0; i < 0x3E0; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    save("in.735", image);
    ASSERT_EQ(cli({"dump", "in.735", "-o", "in.yaml"}).code, 0);
    write("bad.yaml", "band: {code: 300}\n");
    const test::CliRun bad = cli({"write", "bad.yaml", "--device", "/nonexistent"});
    EXPECT_EQ(bad.code, 65);
    EXPECT_EQ(bad.err.rfind("bad.yaml:1:14: band code takes a whole number 0 to 255", 0), 0u)
        << bad.err;

    test::Simulators sims(2, {"--save", root + "/radio.735"}, root + "/sim.err");
    ASSERT_EQ(sims.paths.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports", "COM" + std::to_string(i + 1),
                                     sims.paths[i]));
    const auto holds = [&](const std::string& saved) {
        return imageBytes(saved).substr(0, 0x3E0) ==
               std::string(reinterpret_cast<const char*>(image.data()), 0x3E0);
    };
    const test::CliRun one = cli({"write", "in.yaml", "--device", sims.paths[0]});
    ASSERT_EQ(one.code, 0) << one.err;
    EXPECT_NE(one.err.find("The radio was written and verified."), std::string::npos) << one.err;
    EXPECT_TRUE(holds("radio-1.735"));
    fs::remove(root + "/radio-1.735");

    const test::CliRun fleet = cli({"write", "in.yaml", "--port", "1,2", "--report", "r.json"});
    ASSERT_EQ(fleet.code, 0) << fleet.out << fleet.err;
    EXPECT_TRUE(holds("radio-1.735"));
    EXPECT_TRUE(holds("radio-2.735"));
    EXPECT_NE(file("r.json").find("\"verified\":2"), std::string::npos) << file("r.json");
}

} // namespace
