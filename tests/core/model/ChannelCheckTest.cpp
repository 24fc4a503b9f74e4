#include "core/model/ChannelCheck.h"

#include "core/lang/LangCatalog.h"
#include "core/model/EditRules.h"
#include "core/profile/AppPaths.h"
#include "core/profile/IniFile.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvik;

namespace {

const std::string DataDir = ORVIK_SHIPPED_DATA_DIR;

const std::vector<ChannelPlan>& Shipped() {
    static const std::vector<ChannelPlan> plans = LoadChannelPlans(AppPaths(DataDir));
    return plans;
}

std::string English(std::string_view key) {
    static LangCatalog catalog(DataDir + "/english.lang", DataDir + "/english.lang");
    return catalog.text(key);
}

// An image on the 136-470 MHz band whose channels are set as a user types them.
struct Radio {
    RadioImage image;
    FrequencyLimits limits{};
    explicit Radio(int band = 4) { image.selectBand(band, limits); }
    Radio& set(int n, const char* rx, const char* tx, bool high, bool narrow) {
        CommitFrequency(image, limits, n, true, rx);
        CommitFrequency(image, limits, n, false, tx);
        SelectOption(image, n, ColHighPower, high ? 1 : 0);
        SelectOption(image, n, ColNarrow, narrow ? 1 : 0);
        return *this;
    }
    std::vector<CheckFinding> check(std::vector<std::string> regions = {"ALL"}) const {
        return CheckChannels(image, PlansForRegions(Shipped(), regions));
    }
};

std::vector<RuleBroken> Rules(const std::vector<CheckFinding>& f, int channel) {
    for (const CheckFinding& x : f)
        if (x.channel == channel)
            return x.broken;
    return {};
}

using R = RuleBroken;

TEST(ChannelCheck, PowerAndBandwidth) {
    Radio radio;
    radio
        .set(3, "446.05625", "446.05625", true, false)  // PMR446 5, High and Wide
        .set(4, "446.05625", "446.05625", false, true)  // the same, Low and Narrow: fine
        .set(5, "433.07500", "433.07500", false, false) // LPD433 1 allows 10 mW: even Low
        .set(6, "462.56250", "462.56250", true, false)  // FRS 1 Wide, but GMRS 1 allows it
        .set(7, "467.56250", "467.56250", true, false); // FRS 8 / GMRS 8: 0.5 W, 12.5 kHz
    const auto f = radio.check();
    EXPECT_EQ(Rules(f, 3), (std::vector<R>{R::Power, R::Bandwidth}));
    EXPECT_TRUE(Rules(f, 4).empty());
    EXPECT_EQ(Rules(f, 5), (std::vector<R>{R::Power}));
    EXPECT_TRUE(Rules(f, 6).empty());
    EXPECT_EQ(Rules(f, 7), (std::vector<R>{R::Power, R::Bandwidth}));
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(FindingText(f[0], English),
              "CH3 446.05625 MHz is PMR 5 (PMR446): PMR446 allows at most 0.5 W; CH3 is set to "
              "High power. PMR446 allows 12.5 kHz channels only; CH3 is set to Wide.");
    EXPECT_EQ(FindingText(f[1], English),
              "CH5 433.07500 MHz is LPD 1 (LPD433): LPD433 allows at most 0.01 W; CH5 is set to "
              "Low power.");
    EXPECT_NE(CheckDisclaimer(English).find("not legal advice"), std::string::npos);
    EXPECT_NE(CheckDisclaimer(English).find("0.5 W"), std::string::npos);
}

TEST(ChannelCheck, TransmittingWhereNoOneMay) {
    Radio radio;
    radio
        .set(1, "162.40000", "162.40000", false, false)  // NOAA WX2: receive only
        .set(2, "162.40000", "", true, false)            // listening only: fine
        .set(3, "160.65000", "156.05000", false, false); // marine 01, ship side
    const auto f = radio.check({"US", "INT"});
    EXPECT_EQ(Rules(f, 1), (std::vector<R>{R::ReceiveOnly}));
    EXPECT_TRUE(Rules(f, 2).empty());
    EXPECT_EQ(Rules(f, 3), (std::vector<R>{R::ReceiveOnly}));
    Radio cb(0);                                        // 470-490 MHz
    cb.set(4, "476.95000", "476.95000", false, true)    // UHF CB 22: telemetry only
        .set(5, "477.17500", "477.17500", false, true)  // CB 31: a repeater input
        .set(6, "476.42500", "477.17500", false, true)  // CB 1 through its repeater: fine
        .set(7, "476.45000", "477.17500", false, true); // CB 2 out, CB 31 in: no pair
    const auto g = cb.check({"AU"});
    EXPECT_EQ(Rules(g, 4), (std::vector<R>{R::NoTransmit}));
    EXPECT_EQ(Rules(g, 5), (std::vector<R>{R::RepeaterInput}));
    EXPECT_TRUE(Rules(g, 6).empty());
    EXPECT_EQ(Rules(g, 7), (std::vector<R>{R::RepeaterInput}));
    EXPECT_EQ(FindingText(f[0], English),
              "CH1 162.40000 MHz is WX2 (NOAA Weather Radio): NOAA Weather Radio is for receiving "
              "only; CH1 transmits on it.");
    EXPECT_EQ(FindingText(f[1], English),
              "CH3 156.05000 MHz is in Marine VHF (receive only): Marine VHF (receive only) is for "
              "receiving only; CH3 transmits on it.");
}

TEST(ChannelCheck, HowTransmitFollowsReceive) {
    Radio radio;
    radio
        .set(1, "446.00625", "446.01875", false, true)  // PMR 1 in, PMR 2 out
        .set(2, "462.55000", "467.55000", true, false)  // GMRS 15 repeater pair: fine
        .set(3, "462.55000", "467.57500", true, false)  // not a pair
        .set(4, "145.50000", "145.30000", true, false)  // amateur 2 m: no such rule
        .set(5, "145.60000", "145.00000", true, false)  // RV48 and its input: fine
        .set(6, "400.05000", "400.05000", true, false); // no service known
    const auto f = radio.check();
    EXPECT_EQ(Rules(f, 1), (std::vector<R>{R::Simplex}));
    EXPECT_TRUE(Rules(f, 2).empty());
    EXPECT_EQ(Rules(f, 3), (std::vector<R>{R::RepeaterPair}));
    EXPECT_EQ(f.size(), 2u);
    EXPECT_EQ(FindingText(f[0], English),
              "CH1 446.01875 MHz is PMR 2 (PMR446): PMR446 requires transmit and receive on "
              "one frequency; CH1 receives on 446.00625 MHz.");
}

// A listed channel of a service wins over a range: 446 MHz lies in Region 2's 70 cm band, and
// PMR446 still applies.
TEST(ChannelCheck, ListedChannelsBeforeRangesAndRegions) {
    Radio radio;
    radio.set(1, "446.00625", "446.00625", true, true);
    EXPECT_EQ(Rules(radio.check({"EU", "IARU-R2"}), 1), (std::vector<R>{R::Power}));
    EXPECT_TRUE(radio.check({"US", "IARU-R2"}).empty());
    EXPECT_TRUE(radio.check({}).empty());

    const auto de = DefaultCheckRegions("de_DE.UTF-8");
    EXPECT_EQ(de, (std::vector<std::string>{"DE", "EU", "INT", "IARU-R1", "IARU-R2", "IARU-R3"}));
    EXPECT_EQ(DefaultCheckRegions("en_US")[0], "US");
    EXPECT_EQ(DefaultCheckRegions("C"),
              (std::vector<std::string>{"INT", "IARU-R1", "IARU-R2", "IARU-R3"}));
    const auto plans = PlansForRegions(Shipped(), de);
    auto has = [&](const char* id) {
        return std::any_of(plans.begin(), plans.end(),
                           [&](const ChannelPlan* p) { return p->id == id; });
    };
    EXPECT_TRUE(has("de-freenet") && has("eu-pmr446") && has("marine-vhf") && has("jp-amateur"));
    EXPECT_FALSE(has("us-frs") || has("au-uhf-cb") || has("jp-tokutei"));
}

TEST(ChannelCheck, SettingsFromTheIniFile) {
    test::TempDir dir;
    const AppPaths paths(dir.Path());
    test::WriteFile(paths.SettingsFilePath(), "[setup]\nlanguage=english\n");
    CheckSettings s = ReadCheckSettings(paths, "en_AU.UTF-8");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.regions.front(), "AU");
    test::WriteFile(paths.SettingsFilePath(), "[check]\nenabled=0\nregions=us, iaru-r2;INT\n");
    s = ReadCheckSettings(paths, "en_AU.UTF-8");
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.regions, (std::vector<std::string>{"US", "IARU-R2", "INT"}));
}

} // namespace
