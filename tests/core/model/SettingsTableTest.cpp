#include "core/model/SettingsTable.h"

#include <gtest/gtest.h>

#include <set>

namespace orvik {
namespace {

// Each entry of the table stores only its own bits, reads back every value up to its maximum,
// and is found by its id, its name and its control.
TEST(SettingsTable, EntriesDescribeTheirOwnBytes) {
    std::set<std::string> names;
    for (const SettingSpec& s : AllSettings()) {
        EXPECT_EQ(&Setting(s.id), &s) << s.name;
        EXPECT_EQ(FindSetting(s.name), &s) << s.name;
        EXPECT_EQ(SettingOfControl(s.controlId), &s) << s.name;
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        const int max = SettingMax(s);
        EXPECT_GE(max, 1) << s.name;
        for (int v = 0; v <= max; ++v) {
            RadioImage image;
            image.data()[s.offset] = static_cast<std::uint8_t>(~s.mask);
            const RadioImage before = image;
            StoreSetting(s, image, v);
            EXPECT_EQ(SettingValue(s, image), v) << s.name;
            for (std::size_t i = 0; i < RadioImage::Size; ++i) {
                const std::uint8_t outside =
                    i == s.offset ? static_cast<std::uint8_t>(~s.mask) : std::uint8_t{0xFF};
                ASSERT_EQ(image[i] & outside, before[i] & outside) << s.name << " at " << i;
            }
        }
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(SettingCount));
    EXPECT_EQ(ShownSettings().size(), static_cast<std::size_t>(SettingCount));
    EXPECT_EQ(FindSetting("nonsense"), nullptr);
}

// Every value a fixed list can hold has its entry, so the panel never shows an empty list.
TEST(SettingsTable, FixedListsCoverEveryValue) {
    SettingTexts texts{"yes", "no", "off", {}, {}, {}};
    for (const SettingSpec& s : AllSettings()) {
        if (s.list == SettingList::Voice || s.list == SettingList::SideKey ||
            s.list == SettingList::ScanMode)
            continue;
        EXPECT_EQ(SettingEntries(s, texts).size(), static_cast<std::size_t>(SettingMax(s)) + 1)
            << s.name;
    }
    RadioImage image;
    image.setTimeOutTimer(0);
    EXPECT_EQ(SettingValueText(Setting(SettingId::TimeOutTimer), image, texts), "off");
    image.setVoiceAnnunciation(1); // the language lists none
    EXPECT_EQ(SettingValueText(Setting(SettingId::VoiceAnnunciation), image, texts), "");
}

TEST(SettingsTable, ParsesValuesAsSetTakesThem) {
    int v = -1;
    std::string error;
    const SettingSpec& tot = Setting(SettingId::TimeOutTimer);
    EXPECT_TRUE(ParseSettingValue(tot, "180s", v, error));
    EXPECT_EQ(v, 6);
    EXPECT_TRUE(ParseSettingValue(tot, "OFF", v, error));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseSettingValue(tot, "10", v, error));
    EXPECT_EQ(v, 10);
    for (const char* bad : {"45s", "330s", "11", "s", "-1", "1e1"}) {
        EXPECT_FALSE(ParseSettingValue(tot, bad, v, error)) << bad;
        EXPECT_NE(error.find("30s to 300s"), std::string::npos) << error;
    }
    const SettingSpec& beep = Setting(SettingId::Beep);
    EXPECT_TRUE(ParseSettingValue(beep, "On", v, error));
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(ParseSettingValue(beep, "2", v, error));
    EXPECT_EQ(error, "--set beep takes yes or no (1 or 0), not '2'");
    EXPECT_FALSE(ParseSettingValue(Setting(SettingId::SquelchLevel), "10", v, error));
    EXPECT_EQ(error, "--set squelchLevel takes 0 to 9, not '10'");
}

} // namespace
} // namespace orvik
