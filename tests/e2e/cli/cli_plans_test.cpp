// orvik-cli plans, import --plan and check, run as a user runs them.

#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/EditRules.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

class CliPlans : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("plans", app);
        ASSERT_FALSE(root.empty());
        fs::copy(std::string(ORVIK_SHIPPED_DATA_DIR) + "/plans", app + "/plans");
        // The regions checked do not depend on the locale the tests run in.
        std::ofstream(app + "/setting.ini", std::ios::app) << "\n[check]\nregions=EU,INT\n";
        image.selectBand(2, limits); // 400-470 MHz
        CommitFrequency(image, limits, 2, true, "440.0");
        doc = root + "/radio.735";
        ASSERT_TRUE(SaveDataFile(doc, NewHeaderBlock(), image, nullptr));
    }
    void TearDown() override { fs::remove_all(root); }

    test::CliRun cli(std::vector<std::string> args) const {
        return test::RunCli(app, std::move(args), root);
    }
    RadioImage saved() const {
        HeaderBlock header{};
        RadioImage im;
        EXPECT_EQ(LoadDataFile(doc, header, im, nullptr, nullptr), LoadStatus::Ok);
        return im;
    }

    std::string root, app, doc;
    RadioImage image;
    FrequencyLimits limits{};
};

} // namespace

TEST_F(CliPlans, ListsShippedAndOwnPlans) {
    test::WriteWholeFile(app + "/plans/club.csv",
                         "# name: Club channels\nLocation,Name,Frequency\n1,Club,145.3\n");
    auto r = cli({"plans"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("eu-pmr446"), std::string::npos);
    EXPECT_NE(r.out.find("Club channels"), std::string::npos);
    EXPECT_NE(r.out.find("400-470, 136-470"), std::string::npos); // PMR446's band fit

    r = cli({"plans", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto list = nlohmann::json::parse(r.out);
    EXPECT_GE(list.size(), 21u);
    for (const auto& p : list)
        if (p["id"] == "us-gmrs") {
            EXPECT_EQ(p["channels"], 30);
            EXPECT_EQ(p["bands"][2]["fit"], 30); // 400-470 MHz
            EXPECT_EQ(p["bands"][3]["fit"], 0);  // 136-174 MHz
        }

    r = cli({"plans", "au-uhf-cb"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("not legal advice"), std::string::npos);
    EXPECT_NE(r.out.find("31  CB 31  477.17500  receive only"), std::string::npos) << r.out;

    r = cli({"plans", "no-such-plan"});
    EXPECT_EQ(r.code, 64);
    EXPECT_NE(r.err.find("no plan 'no-such-plan'"), std::string::npos);
}

TEST_F(CliPlans, ImportPutsPickedChannelsWhereAsked) {
    // Free channels: 1, 3, 4 (channel 2 is in use).
    auto r = cli({"import", doc, "--plan", "eu-pmr446", "--pick", "5,1-2", "--tone", "88.5"});
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    RadioImage im = saved();
    EXPECT_EQ(FreqToText(im.rxFreq(1)), "446.05625");
    EXPECT_EQ(FreqToText(im.rxFreq(2)), "440.00000");
    EXPECT_EQ(FreqToText(im.rxFreq(3)), "446.00625");
    EXPECT_EQ(FreqToText(im.rxFreq(4)), "446.01875");
    EXPECT_EQ(ToneToText(im.rxTone(4), "off"), "88.5");
    EXPECT_TRUE(im.narrow(4) && !im.highPower(4));

    // From channel 15: the third pick finds no channel (exit 2); a dry run saves nothing.
    r = cli({"import", doc, "--plan", "eu-pmr446", "--pick", "14-16", "--from", "15", "--dry-run",
             "--json"});
    EXPECT_EQ(r.code, 2) << r.err;
    const auto out = nlohmann::json::parse(r.out);
    EXPECT_EQ(out["imported"], nlohmann::json::parse("[15,16]"));
    EXPECT_EQ(out["notPlaced"], nlohmann::json::parse("[16]"));
    EXPECT_FALSE(out["saved"]);
    EXPECT_TRUE(saved().isRxEmpty(15));

    // A plan channel the radio cannot store exactly is stored moved, and said so.
    test::WriteWholeFile(app + "/plans/dpmr.csv", "Location,Name,Frequency\n1,D1,446.103125\n");
    r = cli({"import", doc, "--plan", "dpmr", "--renumber"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("D1 to channel 1: receive frequency 446.103125 moved to the channel "
                         "raster: 446.105000."),
              std::string::npos)
        << r.out;

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"import", doc, "--plan", "eu-pmr446", "--pick", "17"},
          {"import", doc, "--plan", "eu-pmr446", "--tone", "88.6"},
          {"import", doc, "--plan", "eu-pmr446", "--renumber", "--from", "3"},
          {"import", doc, "--plan", "eu-pmr446", "--from", "17"},
          {"import", doc, "--plan", "nope"},
          {"import", doc, "--pick", "1"}}) {
        r = cli(bad);
        EXPECT_EQ(r.code, 64) << bad.back() << r.err;
    }
}

TEST_F(CliPlans, CheckFindsBrokenRulesAndCanBeTurnedOff) {
    CommitFrequency(image, limits, 3, true, "446.05625");
    SelectOption(image, 3, ColHighPower, 1);
    SelectOption(image, 3, ColNarrow, 0);
    ASSERT_TRUE(SaveDataFile(doc, NewHeaderBlock(), image, nullptr));
    auto r = cli({"check", doc});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out,
              "CH3 446.05625 MHz is PMR 5 (PMR446): PMR446 allows at most 0.5 W; CH3 is set to "
              "High power. PMR446 allows 12.5 kHz channels only; CH3 is set to Wide.\n"
              "These are reminders of common rules, not legal advice. This radio's High power is "
              "taken as more than 0.5 W and Low as at most 0.5 W.\n");
    r = cli({"check", doc, "--json"});
    EXPECT_EQ(r.code, 1);
    const auto out = nlohmann::json::parse(r.out);
    ASSERT_EQ(out["findings"].size(), 1u);
    EXPECT_EQ(out["findings"][0]["plan"], "eu-pmr446");
    EXPECT_EQ(out["findings"][0]["rules"], nlohmann::json::parse(R"(["power","bandwidth"])"));

    // Only the regions chosen: PMR446 is not checked for the US.
    std::ofstream(app + "/setting.ini", std::ios::app) << "\n";
    std::string ini = test::ReadWholeFile(app + "/setting.ini");
    ini.replace(ini.find("regions=EU,INT"), 14, "regions=US");
    test::WriteWholeFile(app + "/setting.ini", ini);
    r = cli({"check", doc});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.rfind("No channel breaks a rule", 0), 0u);

    test::WriteWholeFile(app + "/setting.ini", ini + "enabled=0\n");
    r = cli({"check", doc});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "The channel check is turned off (setting.ini, [check] enabled=0).\n");

    EXPECT_EQ(cli({"check", root + "/missing.735"}).code, 66);
    test::WriteWholeFile(root + "/bad.735", std::string(4144, 'x'));
    EXPECT_EQ(cli({"check", root + "/bad.735"}).code, 65);
}
