#include "core/model/ChannelPlan.h"

#include "core/lang/LangCatalog.h"
#include "core/model/Codecs.h"
#include "core/model/RadioDocument.h"
#include "core/profile/AppPaths.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace orvik;

namespace {

const std::string DataDir = ORVIK_SHIPPED_DATA_DIR;
constexpr std::int64_t kHz = 1000, MHz = 1000000;

// ---- The independent table: every shipped plan's channels as the regulations give them,
// computed from the rule where the service has one.

struct Expected {
    int number;
    std::int64_t rx;
    std::int64_t tx; // 0: not for transmitting
    double watts;    // negative: no limit
    bool narrow;
};

struct ExpectedPlan {
    std::vector<std::string> regions;
    bool transmit;
    Pairing pairing;
    std::vector<Expected> channels;
};

std::vector<Expected> Simplex(int first, std::vector<std::int64_t> freqs, double watts,
                              bool narrow) {
    std::vector<Expected> out;
    for (std::int64_t f : freqs)
        out.push_back({first++, f, f, watts, narrow});
    return out;
}

std::vector<std::int64_t> Steps(std::int64_t first, std::int64_t step, int count) {
    std::vector<std::int64_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(first + i * step);
    return out;
}

std::map<std::string, ExpectedPlan> IndependentTable() {
    std::map<std::string, ExpectedPlan> t;
    // ECC/DEC/(15)05: channel n at 446.00625 + (n-1) * 0.0125 MHz, 0.5 W e.r.p.
    t["eu-pmr446"] = {
        {"EU"}, true, Pairing::Simplex, Simplex(1, Steps(446006250, 12500, 16), 0.5, true)};
    // ERC/REC 70-03 Annex 1: 433.075 + (n-1) * 0.025 MHz, n = 1..69, 10 mW e.r.p.
    t["eu-lpd433"] = {
        {"EU"}, true, Pairing::Simplex, Simplex(1, Steps(433075000, 25 * kHz, 69), 0.01, false)};
    // 47 CFR 95.563 / 95.567: 1-7 462.5625 + 25 kHz steps (2 W), 8-14 467.5625 (0.5 W),
    // 15-22 462.550 (2 W); 95.573: 12.5 kHz.
    {
        auto frs = Simplex(1, Steps(462562500, 25 * kHz, 7), 2, true);
        for (Expected& e : Simplex(8, Steps(467562500, 25 * kHz, 7), 0.5, true))
            frs.push_back(e);
        for (Expected& e : Simplex(15, Steps(462550000, 25 * kHz, 8), 2, true))
            frs.push_back(e);
        t["us-frs"] = {{"US"}, true, Pairing::Simplex, frs};
    }
    // 95.1763 / 95.1767 / 95.1773: 462 interstitial 5 W 20 kHz, 467 interstitial 0.5 W
    // 12.5 kHz, main 50 W 20 kHz; repeater inputs 5 MHz above the main channels.
    {
        auto g = Simplex(1, Steps(462562500, 25 * kHz, 7), 5, false);
        for (Expected& e : Simplex(8, Steps(467562500, 25 * kHz, 7), 0.5, true))
            g.push_back(e);
        for (Expected& e : Simplex(15, Steps(462550000, 25 * kHz, 8), 50, false))
            g.push_back(e);
        for (int n = 15; n <= 22; ++n) {
            const std::int64_t out = 462550000 + (n - 15) * 25 * kHz;
            g.push_back({n + 100, out, out + 5 * MHz, 50, false});
        }
        t["us-gmrs"] = {{"US"}, true, Pairing::Repeater, g};
    }
    // 95.2763 / 95.2767 / 95.2773: listed, 2 W; 11.25 kHz on 151 MHz, 20 kHz on 154 MHz.
    t["us-murs"] = {{"US"},
                    true,
                    Pairing::Simplex,
                    {{1, 151820000, 151820000, 2, true},
                     {2, 151880000, 151880000, 2, true},
                     {3, 151940000, 151940000, 2, true},
                     {4, 154570000, 154570000, 2, false},
                     {5, 154600000, 154600000, 2, false}}};
    // ACMA CB class licence: 1-40 476.425 + 25 kHz steps, 41-80 476.4375 + 25 kHz steps;
    // repeaters 1-8/41-48 with inputs 750 kHz above (31-38/71-78, receive only here);
    // 22, 23 telemetry, 61-63 reserved.
    {
        std::vector<Expected> cb;
        for (int n = 1; n <= 80; ++n) {
            const std::int64_t f =
                n <= 40 ? 476425000 + (n - 1) * 25 * kHz : 476437500 + (n - 41) * 25 * kHz;
            const bool output = (n >= 1 && n <= 8) || (n >= 41 && n <= 48);
            const bool noTx = (n >= 31 && n <= 38) || (n >= 71 && n <= 78) || n == 22 || n == 23 ||
                              (n >= 61 && n <= 63);
            cb.push_back({n, f, noTx ? 0 : output ? f + 750 * kHz : f, 5, true});
        }
        t["au-uhf-cb"] = {{"AU", "NZ"}, true, Pairing::Repeater, cb};
    }
    t["de-freenet"] = {
        {"DE"},
        true,
        Pairing::Simplex,
        Simplex(1, {149025000, 149037500, 149050000, 149087500, 149100000, 149112500}, 0.5, true)};
    t["cn-409"] = {
        {"CN"}, true, Pairing::Simplex, Simplex(1, Steps(409750000, 12500, 20), 0.5, true)};
    // RR Appendix 18: ship station n at 156.000 + 0.05 n (1-28), 156.025 + 0.05 (n-60)
    // (60-88); a duplex channel's coast station 4.6 MHz above, which is what is received.
    {
        const std::set<int> duplex = {1,  2,  3,  4,  5,  7,  18, 19, 20, 21, 22,
                                      23, 24, 25, 26, 27, 28, 60, 61, 62, 63, 64,
                                      65, 66, 78, 79, 80, 81, 82, 83, 84, 85, 86};
        std::vector<Expected> m;
        for (int n : {60, 1,  61, 2,  62, 3,  63, 4,  64, 5,  65, 6,  66, 7,  67, 8,  68, 9,  69,
                      10, 70, 11, 71, 12, 72, 13, 73, 14, 74, 15, 75, 16, 76, 17, 77, 18, 78, 19,
                      79, 20, 80, 21, 81, 22, 82, 23, 83, 24, 84, 25, 85, 26, 86, 27, 87, 28, 88}) {
            const std::int64_t ship =
                n <= 28 ? 156000000 + 50 * kHz * n : 156025000 + 50 * kHz * (n - 60);
            m.push_back({n, duplex.count(n) ? ship + 4600 * kHz : ship, 0, -1, false});
        }
        m.push_back({101, 161975000, 0, -1, false});
        m.push_back({102, 162025000, 0, -1, false});
        t["marine-vhf"] = {{"INT"}, false, Pairing::Any, m};
    }
    // NOAA Weather Radio / Weatheradio Canada: WX1 162.550, WX2 162.400, WX3 162.475,
    // WX4 162.425, WX5 162.450, WX6 162.500, WX7 162.525.
    {
        std::vector<Expected> wx;
        int n = 1;
        for (std::int64_t f :
             {162550000, 162400000, 162475000, 162425000, 162450000, 162500000, 162525000})
            wx.push_back({n++, f, 0, -1, false});
        t["us-noaa-weather"] = {{"US"}, false, Pairing::Any, wx};
        t["ca-weatheradio"] = {{"CA"}, false, Pairing::Any, wx};
    }
    // IARU Region 1: Vn and Un are n * 12.5 kHz above 145 and 430 MHz; RV48-RV63 repeaters
    // with inputs 600 kHz below.
    {
        std::vector<Expected> v, rv, u;
        for (int n = 16; n <= 46; ++n)
            v.push_back({n, 145 * MHz + n * 12500, 145 * MHz + n * 12500, -1, false});
        for (int n = 48; n <= 63; ++n)
            rv.push_back({n, 145 * MHz + n * 12500, 145 * MHz + n * 12500 - 600 * kHz, -1, false});
        for (int n = 272; n <= 286; ++n)
            u.push_back({n, 430 * MHz + n * 12500, 430 * MHz + n * 12500, -1, false});
        t["iaru-r1-2m"] = {{"IARU-R1"}, true, Pairing::Any, v};
        t["iaru-r1-2m-repeaters"] = {{"IARU-R1"}, true, Pairing::Any, rv};
        t["iaru-r1-70cm"] = {{"IARU-R1"}, true, Pairing::Any, u};
    }
    // ARRL (Region 2): 146.400-146.580 and 147.420-147.570 MHz at 15 kHz; 446.000 MHz.
    {
        auto s = Steps(146400000, 15 * kHz, 13);
        for (std::int64_t f : Steps(147420000, 15 * kHz, 11))
            s.push_back(f);
        t["iaru-r2-2m"] = {{"IARU-R2"}, true, Pairing::Any, Simplex(1, s, -1, false)};
        t["iaru-r2-70cm"] = {{"IARU-R2"}, true, Pairing::Any, Simplex(1, {446000000}, -1, false)};
    }
    t["au-amateur"] = {
        {"IARU-R3"}, true, Pairing::Any, Simplex(1, {146500000, 439000000}, -1, false)};
    t["jp-amateur"] = {
        {"IARU-R3"}, true, Pairing::Any, Simplex(1, {145000000, 433000000}, -1, false)};
    t["amateur-iss"] = {{"IARU-R1", "IARU-R2", "IARU-R3"},
                        true,
                        Pairing::Any,
                        {{1, 145800000, 145200000, -1, false},
                         {2, 145800000, 144490000, -1, false},
                         {3, 437800000, 145990000, -1, false}}};
    {
        auto l = Steps(422200000, 12500, 9);
        for (std::int64_t f : Steps(422050000, 12500, 11))
            l.push_back(f);
        t["jp-tokutei"] = {{"JP"}, true, Pairing::Simplex, Simplex(1, l, 0.01, true)};
    }
    return t;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ShippedPlans, MatchTheIndependentTable) {
    const AppPaths paths(DataDir);
    std::vector<std::string> problems;
    const std::vector<ChannelPlan> plans = LoadChannelPlans(paths, &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    const auto table = IndependentTable();
    ASSERT_GE(plans.size(), 20u);
    EXPECT_EQ(plans.size(), table.size());
    for (const ChannelPlan& plan : plans) {
        SCOPED_TRACE(plan.id);
        const auto it = table.find(plan.id);
        ASSERT_NE(it, table.end());
        const ExpectedPlan& want = it->second;
        EXPECT_EQ(plan.regions, want.regions);
        EXPECT_EQ(plan.rules.transmit, want.transmit);
        EXPECT_EQ(plan.rules.pairing, want.pairing);
        ASSERT_EQ(plan.channels.size(), want.channels.size());
        for (std::size_t i = 0; i < want.channels.size(); ++i) {
            const PlanChannel& got = plan.channels[i];
            const Expected& e = want.channels[i];
            SCOPED_TRACE(got.name);
            EXPECT_EQ(got.number, e.number);
            EXPECT_EQ(got.rxHz, e.rx);
            EXPECT_EQ(got.transmit ? got.txHz : 0, want.transmit ? e.tx : 0);
            EXPECT_EQ(got.maxWatts, e.watts);
            EXPECT_EQ(got.narrowOnly, e.narrow);
            EXPECT_TRUE(FrequencyStorable(got.rxHz));
        }
        // The comment lines name the service, region, regulation and the date checked.
        const std::string text = ReadText(plan.path);
        for (const char* key : {"# service: ", "# region: ", "# regulation: "})
            EXPECT_NE(text.find(key), std::string::npos) << key;
        EXPECT_FALSE(plan.service.empty());
        EXPECT_FALSE(plan.regulation.empty());
        EXPECT_EQ(plan.checked, "2026-12-09");
        EXPECT_NE(text.find("not legal advice"), std::string::npos);
    }
    // The marine plan names the ship side of its duplex channels, which no row receives on.
    const ChannelPlan* marine = FindPlan(plans, "marine-vhf");
    ASSERT_NE(marine, nullptr);
    EXPECT_EQ(marine->rules.txSide.size(), 33u);
    EXPECT_EQ(marine->rules.txSide.front(), 156025000);
}

// Every row of a receive-only service or channel reads, through the plain CSV import, as a
// channel without a transmit frequency, so importing a plan file never programs one.
TEST(ShippedPlans, PlainImportKeepsReceiveOnlyChannelsSilent) {
    RadioImage image;
    FrequencyLimits limits{};
    image.selectBand(4, limits);
    for (const char* id : {"marine-vhf", "au-uhf-cb", "us-noaa-weather"}) {
        ChannelPlan plan;
        std::string error;
        ASSERT_TRUE(ReadChannelPlan(DataDir + "/plans/" + id + ".csv", plan, error)) << error;
        CsvImportOptions options;
        options.renumber = true;
        const CsvImportResult r = ImportChannelsCsv(image, limits, ReadText(plan.path), options);
        ASSERT_TRUE(r.usable) << id;
        for (int n = 1; n <= std::min<int>(16, static_cast<int>(plan.channels.size())); ++n) {
            const PlanChannel& c = plan.channels[static_cast<std::size_t>(n - 1)];
            EXPECT_EQ(r.image.isRxOrTxEmpty(n), !c.transmit) << id << " " << c.name;
        }
    }
}

TEST(ChannelPlanRead, RulesOverridesAndBadInput) {
    ChannelPlan plan;
    std::string error;
    ASSERT_TRUE(ParseChannelPlan("# name: Mine\n# [rules]\n# power=any\n# pairing=repeater\n"
                                 "# range=144-146, 430.5-440\n# [end]\n"
                                 "Location,Name,Frequency,Duplex,Offset,Mode,Power\n"
                                 "3,A,145.5,,,NFM,\n"
                                 "4,B,145.6,-,0.6,,0.5W\n"
                                 "5,C,145.7,off,,FM,\n",
                                 plan, error))
        << error;
    EXPECT_EQ(plan.name, "Mine");
    EXPECT_EQ(plan.rules.pairing, Pairing::Repeater);
    ASSERT_EQ(plan.rules.ranges.size(), 2u);
    EXPECT_EQ(plan.rules.ranges[1].first, 430500000);
    ASSERT_EQ(plan.channels.size(), 3u);
    EXPECT_TRUE(plan.channels[0].narrowOnly);
    EXPECT_EQ(plan.channels[0].maxWatts, -1);
    EXPECT_EQ(plan.channels[1].txHz, 145000000);
    EXPECT_EQ(plan.channels[1].maxWatts, 0.5);
    EXPECT_FALSE(plan.channels[2].transmit);
    EXPECT_TRUE(plan.regions.empty());

    for (const char* bad :
         {"Location,Name\n1,x\n", "Location,Frequency\n1,abc\n", "Location,Frequency\n",
          "Location,Frequency,Duplex\n1,145,x\n", "Location,Frequency\n1,145.1234567\n",
          "Location,Frequency,Duplex,Offset\n1,145,-,146\n",
          "# [rules]\n# power=lots\n# [end]\nLocation,Frequency\n1,145\n"}) {
        ChannelPlan p;
        EXPECT_FALSE(ParseChannelPlan(bad, p, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

// A plan of one's own in the user's folder joins the shipped ones and replaces one of the same
// id; an unreadable file is named, not fatal.
TEST(ChannelPlanRead, UserFolderComesFirst) {
    test::TempDir user;
    std::filesystem::create_directories(user.Path() + "/plans");
    std::ofstream(user.Path() + "/plans/eu-pmr446.csv") << "Location,Frequency\n1,446.1\n";
    std::ofstream(user.Path() + "/plans/mine.CSV") << "Location,Frequency\n1,145.5\n";
    std::ofstream(user.Path() + "/plans/broken.csv") << "no plan\n";
    const AppPaths paths(user.Path(), DataDir);
    std::vector<std::string> problems;
    const auto plans = LoadChannelPlans(paths, &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("broken.csv"), std::string::npos);
    const ChannelPlan* pmr = FindPlan(plans, "eu-pmr446");
    ASSERT_NE(pmr, nullptr);
    EXPECT_TRUE(pmr->own);
    EXPECT_EQ(pmr->channels.size(), 1u);
    ASSERT_NE(FindPlan(plans, "mine"), nullptr);
    EXPECT_EQ(FindPlan(plans, "mine")->name, "mine");
    EXPECT_FALSE(FindPlan(plans, "us-frs")->own);
}

TEST(ChannelPlanFit, BandAndRaster) {
    EXPECT_TRUE(FrequencyStorable(446006250));
    EXPECT_TRUE(FrequencyStorable(151820000));  // 5 kHz raster
    EXPECT_FALSE(FrequencyStorable(446103125)); // 6.25 kHz of dPMR446: not in 10 Hz steps
    EXPECT_FALSE(FrequencyStorable(446001000)); // off both rasters
    ChannelPlan plan;
    std::string error;
    ASSERT_TRUE(ReadChannelPlan(DataDir + "/plans/us-gmrs.csv", plan, error));
    // GMRS repeater pairs transmit 5 MHz up: both sides must lie in the band.
    const BandFit uhf = PlanBandFit(plan, LimitsForBandCode(BandCodes[2]));
    EXPECT_EQ(uhf.total, 30);
    EXPECT_EQ(uhf.fit, 30);
    EXPECT_EQ(PlanBandFit(plan, {46000000, 46500000}).fit, 15);
    EXPECT_EQ(PlanBandFit(plan, LimitsForBandCode(BandCodes[3])).fit, 0);
    // A new document keeps its band when everything fits, else takes the narrowest that
    // holds most channels.
    EXPECT_EQ(BestBandPosition(plan, 4), 4);
    EXPECT_EQ(BestBandPosition(plan, 3), 2);
    ASSERT_TRUE(ReadChannelPlan(DataDir + "/plans/au-uhf-cb.csv", plan, error));
    EXPECT_EQ(BestBandPosition(plan, 2), 0);
}

// ---- Applying a plan

struct ApplyFixture : ::testing::Test {
    RadioDocument doc;
    ChannelPlan plan;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ParseChannelPlan("# [rules]\n# power=0.5\n# bandwidth=narrow\n# [end]\n"
                                     "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq\n"
                                     "1,P1,446.00625,,,,\n"
                                     "2,P2,446.01875,,,Tone,67.0\n"
                                     "3,P3,446.03125,off,,,\n"
                                     "4,P4,446.1031,,,,\n"
                                     "5,P5,445.5,split,446.5,,\n",
                                     plan, error))
            << error;
        const CellTexts texts;
        doc.commitCell(2, ColRxFreq, "440.00000", texts);
    }
};

TEST_F(ApplyFixture, FreeChannelsNarrowLowAndReceiveOnly) {
    PlanApplyOptions options;
    options.picks = {1, 2, 3};
    PlanApplyResult r;
    const DocChange change = ApplyPlan(doc, plan, options, r);
    EXPECT_TRUE(change.changedBytes());
    EXPECT_EQ(r.import.imported, (std::vector<int>{1, 3, 4})); // channel 2 was taken
    const RadioImage& im = doc.image();
    EXPECT_EQ(FreqToText(im.rxFreq(1)), "446.00625");
    EXPECT_EQ(FreqToText(im.txFreq(1)), "446.00625");
    EXPECT_EQ(FreqToText(im.rxFreq(2)), "440.00000");
    EXPECT_TRUE(im.narrow(1) && !im.highPower(1));
    EXPECT_EQ(ToneToText(im.txTone(3), "off"), "67.0");
    EXPECT_EQ(ToneToText(im.rxTone(3), "off"), "off");
    EXPECT_TRUE(im.isRxOrTxEmpty(4)); // receive only
    EXPECT_TRUE(r.import.notes.empty());
}

TEST_F(ApplyFixture, FromChannelToneForAllAndWhatCannotBeStored) {
    PlanApplyOptions options;
    options.placement = PlanPlacement::FromChannel;
    options.from = 14;
    options.tone = "D023N";
    options.picks = {4, 5, 1, 2};
    PlanApplyResult r;
    ApplyPlan(doc, plan, options, r);
    const RadioImage& im = doc.image();
    EXPECT_EQ(FreqToText(im.txFreq(15)), "446.50000");
    EXPECT_EQ(ToneToText(im.rxTone(16), "off"), "D023N");
    EXPECT_EQ(ToneToText(im.txTone(16), "off"), "D023N");
    ASSERT_EQ(r.notPlaced.size(), 1u);
    EXPECT_EQ(r.notPlaced[0]->name, "P2");
    // 446.1031 is no frequency the radio holds: it is stored moved and said so.
    ASSERT_FALSE(r.import.notes.empty());
    EXPECT_EQ(r.import.notes[0].what, CsvNote::RxRaster);
    LangCatalog catalog(DataDir + "/english.lang", DataDir + "/english.lang");
    const auto lines = PlanReportLines(r, [&](std::string_view key) { return catalog.text(key); });
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("P4 to channel 14: receive frequency 446.103100", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "P2: no channel left for it; not placed.");
}

TEST(ChannelPlanApply, PicksAndTones) {
    ChannelPlan plan;
    std::string error, bad;
    ASSERT_TRUE(ReadChannelPlan(DataDir + "/plans/iaru-r1-2m.csv", plan, error));
    std::vector<int> picks;
    ASSERT_TRUE(ParsePlanPicks(plan, "40,16-18,40", picks, bad));
    EXPECT_EQ(picks, (std::vector<int>{40, 16, 17, 18}));
    EXPECT_FALSE(ParsePlanPicks(plan, "1-8", picks, bad));
    EXPECT_EQ(bad, "1-8");
    EXPECT_FALSE(ParsePlanPicks(plan, "16,,17", picks, bad));
    EXPECT_FALSE(ParsePlanPicks(plan, "x", picks, bad));

    EXPECT_EQ(ListedTone("88.5"), "88.5");
    EXPECT_EQ(ListedTone("100"), "100.0");
    EXPECT_EQ(ListedTone("d754i"), "D754I");
    EXPECT_FALSE(ListedTone("88.6"));
    EXPECT_FALSE(ListedTone("D024N"));
    EXPECT_FALSE(ListedTone(""));
}

} // namespace
