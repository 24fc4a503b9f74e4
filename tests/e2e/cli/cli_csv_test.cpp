// orvik-cli export and import, run as a user runs them.

#include "core/model/ChannelCsv.h"
#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/EditRules.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

using CliResult = test::CliRun;

class CliCsv : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("csv", app);
        ASSERT_FALSE(root.empty());
        // A document on 136-470 MHz with a repeater channel and a split channel.
        image.selectBand(4, limits);
        CommitFrequency(image, limits, 1, true, "145.5");
        CommitFrequency(image, limits, 1, false, "146.1");
        CommitTone(image, 1, true, "D023I", "");
        CommitFrequency(image, limits, 5, true, "145.5");
        CommitFrequency(image, limits, 5, false, "435");
        doc = root + "/radio.735";
        ASSERT_TRUE(SaveDataFile(doc, NewHeaderBlock(), image, nullptr));
    }
    void TearDown() override { fs::remove_all(root); }

    CliResult cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }
    std::string csvFile(const std::string& text) const {
        const std::string path = root + "/in.csv";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string root, app, doc;
    RadioImage image;
    FrequencyLimits limits{};
};

} // namespace

TEST_F(CliCsv, ExportWritesTheSameBytesToStandardOutputAndToAFile) {
    for (bool standard : {false, true}) {
        std::vector<std::string> args{"export", doc};
        if (standard)
            args.emplace_back("--standard-columns");
        const CliResult toStdout = cli(args);
        EXPECT_EQ(toStdout.code, 0) << toStdout.err;
        EXPECT_EQ(toStdout.out, ExportChannelsCsv(image, standard));
        args.insert(args.end(), {"-o", root + "/out.csv"});
        const CliResult toFile = cli(args);
        EXPECT_EQ(toFile.code, 0) << toFile.err;
        EXPECT_EQ(toFile.out, "");
        EXPECT_EQ(test::ReadWholeFile(root + "/out.csv"), toStdout.out);
    }
}

TEST_F(CliCsv, ImportSavesAndReportsWithItsExitCode) {
    const std::string before = test::ReadWholeFile(doc);

    // Not usable: nothing changes, exit 65.
    CliResult r = cli({"import", doc, csvFile("Name,Freq\nx,1\n")});
    EXPECT_EQ(r.code, 65);
    EXPECT_EQ(r.err, "The file has no header line with the columns Location and Frequency; "
                     "nothing was imported.\n");
    EXPECT_EQ(test::ReadWholeFile(doc), before);

    // Adjusted rows in a dry run: the report, nothing saved, exit 2.
    const std::string adjusted = csvFile("Location,Frequency,Power\n2,146.52,3W\n20,146,5W\n");
    r = cli({"import", doc, adjusted, "--dry-run"});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.out, "Line 2, channel 2: power '3W' set to the nearest level: High.\n"
                     "Line 3: location '20' is not a channel 1 to 16; row skipped.\n"
                     "Rows read: 2; channels imported: 1; rows skipped: 1.\n"
                     "Channels that change: 2\n"
                     "Dry run: nothing was saved.\n");
    EXPECT_EQ(test::ReadWholeFile(doc), before);

    // The same for real, as JSON: saved, exit 2.
    r = cli({"import", doc, adjusted, "--json"});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_NE(r.out.find("\"usable\":true,\"rows\":2,\"imported\":[2],\"skipped\":1,"
                         "\"cleared\":[],\"changed\":[2],\"saved\":true,\"notes\":[{\"line\":2,"
                         "\"channel\":2,\"code\":\"power\",\"column\":\"\",\"value\":\"3W\","
                         "\"result\":\"high\",\"text\":\"Line 2, channel 2: power '3W' set to the "
                         "nearest level: High.\"},{\"line\":3,\"channel\":0,\"code\":\"location-"
                         "range\""),
              std::string::npos)
        << r.out;
    HeaderBlock header{};
    RadioImage saved;
    ASSERT_EQ(LoadDataFile(doc, header, saved, nullptr), LoadStatus::Ok);
    EXPECT_EQ(FreqToText(saved.rxFreq(2)), "146.52000");

    // Its own export, with every other channel cleared: clean, exit 0, back to the start.
    r = cli({"import", doc, csvFile(ExportChannelsCsv(image, false)), "--replace-all"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Rows read: 2; channels imported: 2; rows skipped: 0.\n"
                     "Channels that change: 2\n"
                     "Channels cleared: 2\n"
                     "Saved: " +
                         doc + "\n");
    EXPECT_EQ(test::ReadWholeFile(doc), before);

    EXPECT_EQ(cli({"import", doc, root + "/missing.csv"}).code, 66);
    EXPECT_EQ(cli({"import", doc}).code, 64);
}
