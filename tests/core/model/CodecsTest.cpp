#include "core/model/Codecs.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

using namespace orvik;

TEST(FreqCodec, WorkedExamples) {
    struct Row {
        const char* typed;
        FreqBcd stored;
        const char* shown;
    };
    const Row rows[] = {
        {"435.00625", {0x25, 0x06, 0x50, 0x43}, "435.00625"},
        {"435.006", {0x25, 0x06, 0x50, 0x43}, "435.00625"},
        {"435.031", {0x25, 0x31, 0x50, 0x43}, "435.03125"},
        {"435.01", {0x00, 0x10, 0x50, 0x43}, "435.01000"},
        {"435.003", {0x00, 0x05, 0x50, 0x43}, "435.00500"},
        {"435.0025", {0x00, 0x00, 0x50, 0x43}, "435.00000"},
        {"435.027", {0x00, 0x25, 0x50, 0x43}, "435.02500"},
        {"435.1234567", {0x00, 0x25, 0x51, 0x43}, "435.12500"},
        {"435", {0x00, 0x00, 0x50, 0x43}, "435.00000"},
        {"435.018", {0x75, 0x18, 0x50, 0x43}, "435.01875"},
        {"136", {0x00, 0x00, 0x60, 0x13}, "136.00000"},
        {"145.5", {0x00, 0x00, 0x55, 0x14}, "145.50000"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(TextToFreq(r.typed), r.stored) << r.typed;
        EXPECT_EQ(FreqToText(TextToFreq(r.typed)), r.shown) << r.typed;
    }
}

TEST(FreqCodec, ToText) {
    EXPECT_EQ(FreqToText({0x00, 0x25, 0x51, 0x43}), "435.12500");
    EXPECT_EQ(FreqToText({0x00, 0x00, 0x60, 0x13}), "136.00000");
    EXPECT_EQ(FreqToText({0x00, 0x00, 0x00, 0x05}), "50.00000");  // no leading zero on byte 3
    EXPECT_EQ(FreqToText({0xFF, 0xFF, 0xFF, 0x99}), "99f.fffff"); // non-decimal nibbles shown
    EXPECT_EQ(FreqToText({0x00, 0x00, 0x00, 0x9A}), "");
    EXPECT_EQ(FreqToText(EmptyFreq), "");
    EXPECT_EQ(TextToFreq(""), EmptyFreq);
}

TEST(FreqCodec, NormalisationCutsAndSaturates) {
    struct Row {
        const char* text;
        std::int32_t value;
    };
    const Row rows[] = {
        {"435", 43500000},
        {"435.125", 43512500},
        {"435.1234567", 43512345},
        {"435,125", 435},      // the comma ends the number: 4.35 kHz
        {"  145.5", 14550000}, // leading blanks
        {"-1", -100000},       // sign
        {"+1.5", 150000},      // sign
        {".5", 50000},         // no integer part
        {"abc", 0},            // nothing parsable
        {"", 0},               //
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
        {"123456789012345678901234567890.1", INT32_MAX},
        {"1.2.3", 12}, // parsing stops at the second '.'
    };
    for (const Row& r : rows)
        EXPECT_EQ(NormaliseFreqText(r.text), r.value) << r.text;
}

TEST(FreqCodec, SnapHoldsEveryGridPointAndStaysWithinBandLimits) {
    // Values already on the 6.25 kHz or 5 kHz grid stay where they are and round-trip through
    // their own text, so a stored frequency committed again is not moved.
    for (std::int32_t v = 13600000; v <= 13700000; v += 625) {
        ASSERT_EQ(SnapToChannelGrid(v), v);
        ASSERT_EQ(TextToFreq(FreqToText(FreqValueToBcd(v))), FreqValueToBcd(v));
    }
    for (std::int32_t v = 43500000; v <= 43600000; v += 500) {
        ASSERT_EQ(SnapToChannelGrid(v), v);
        ASSERT_EQ(TextToFreq(FreqValueText(v)), FreqValueToBcd(v));
    }
    // Snapping moves a value by less than half a 5 kHz step.
    for (std::int32_t v = 43500000; v <= 43510000; ++v) {
        const std::int32_t s = SnapToChannelGrid(v);
        ASSERT_LE(std::abs(s - v), 250) << v;
        ASSERT_TRUE(s % 625 == 0 || s % 500 == 0) << v;
    }
    // No overflow at the extremes.
    EXPECT_EQ(SnapToChannelGrid(INT32_MAX) % 500 == 0 || SnapToChannelGrid(INT32_MAX) % 625 == 0,
              true);
    EXPECT_LE(SnapToChannelGrid(INT32_MIN), 0);
    EXPECT_EQ(FreqValueToBcd(INT32_MAX), (FreqBcd{0x99, 0x99, 0x99, 0x99}));
    EXPECT_EQ(FreqValueToBcd(-5), (FreqBcd{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(TextToFreq("99999999999999999"), (FreqBcd{0x99, 0x99, 0x99, 0x99}));
}

TEST(FreqCodec, RangeCheckAndLimitText) {
    const FrequencyLimits uhf{40000000, 47000000};
    struct Row {
        const char* text;
        int result;
    };
    const Row rows[] = {
        {"", 0},           {"400", 0},        {"470", 0},  {"470.00001", 1},
        {"399.99999", -1}, {"600", 1},        {"100", -1}, {"435,125", -1},
        {"abc", -1},       {"4700000000", 1}, {"-5", -1},  {"470.000009", 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FreqRangeCheck(r.text, uhf), r.result) << r.text;
    EXPECT_EQ(LimitText(uhf, -1), "400.00000");
    EXPECT_EQ(LimitText(uhf, 1), "470.00000");
    EXPECT_EQ(LimitText({13600000, 17400000}, -1), "136.00000");
    EXPECT_EQ(LimitText({24500000, 24600000}, 1), "246.00000");
}

TEST(ToneCodec, ToText) {
    EXPECT_EQ(ToneToText({0x70, 0x06}, "Off"), "67.0");
    EXPECT_EQ(ToneToText({0x41, 0x25}, "Off"), "254.1");
    EXPECT_EQ(ToneToText({0x00, 0x10}, "Off"), "100.0");
    EXPECT_EQ(ToneToText({0x23, 0x80}, "Off"), "D023N");
    EXPECT_EQ(ToneToText({0x54, 0xC7}, "Off"), "D754I");
    EXPECT_EQ(ToneToText({0x54, 0xF7}, "Off"), "D754I"); // bits 4-5 ignored
    EXPECT_EQ(ToneToText({0x12, 0xFF}, "Off"), "Off");
    EXPECT_EQ(ToneToText(ToneOff, "关"), "关");
    EXPECT_EQ(ToneToText({0xAB, 0x1C}, "Off"), "1ca.b"); // non-decimal nibbles shown as they are
}

TEST(ToneCodec, FromTextEdgeCases) {
    struct Row {
        const char* text;
        ToneWord word;
        const char* shown;
    };
    const Row rows[] = {
        {"", {0xFF, 0xFF}, "Off"},         {"Off", {0xFF, 0xFF}, "Off"},
        {"OFF", {0xFF, 0xFF}, "Off"},      {"x67.0", {0xFF, 0xFF}, "Off"},
        {"D023", {0x23, 0x80}, "D023N"},   {"D089N", {0x23, 0x80}, "D023N"},
        {"D0234N", {0x23, 0x80}, "D023N"}, {"d754i", {0x54, 0xC7}, "D754I"},
        {"D754X", {0x54, 0x87}, "D754N"},  {"D777I", {0x77, 0xC7}, "D777I"},
        {"67.0", {0x70, 0x06}, "67.0"},    {"67", {0x70, 0x06}, "67.0"},
        {"100", {0x00, 0x10}, "100.0"},    {"254.13", {0x41, 0x25}, "254.1"},
        {"50.0", {0x70, 0x06}, "67.0"},    {"300", {0x41, 0x25}, "254.1"},
        {"88.55", {0x85, 0x08}, "88.5"},   {"99999999999999", {0x41, 0x25}, "254.1"},
        {"1.", {0x70, 0x06}, "67.0"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(TextToTone(r.text), r.word) << r.text;
        EXPECT_EQ(ToneToText(TextToTone(r.text), "Off"), r.shown) << r.text;
    }
}

TEST(ToneCodec, EveryTableEntryRoundTrips) {
    ASSERT_EQ(CtcssTable.size(), 51u);
    ASSERT_EQ(DcsNormalTable.size(), 105u);
    ASSERT_EQ(DcsInvertedTable.size(), 105u);
    std::set<ToneWord> seen;
    auto check = [&](const ToneEntry& e) {
        const std::string text = ToneEntryText(e);
        ASSERT_FALSE(text.empty());
        for (std::size_t i = text.size(); i < e.size(); ++i)
            ASSERT_EQ(e[i], '\0') << text; // NUL-padded
        const ToneWord w = TextToTone(text);
        EXPECT_EQ(ToneToText(w, "Off"), text);
        EXPECT_TRUE(seen.insert(w).second) << "duplicate " << text;
    };
    for (const auto& e : CtcssTable)
        check(e);
    for (const auto& e : DcsNormalTable)
        check(e);
    for (const auto& e : DcsInvertedTable)
        check(e);
    EXPECT_EQ(seen.size(), 261u);
    for (std::size_t i = 0; i < DcsNormalTable.size(); ++i) {
        std::string n = ToneEntryText(DcsNormalTable[i]);
        std::string inv = ToneEntryText(DcsInvertedTable[i]);
        EXPECT_EQ(n.substr(0, 4), inv.substr(0, 4));
        EXPECT_EQ(n[4], 'N');
        EXPECT_EQ(inv[4], 'I');
    }
    // The CTCSS table is strictly ascending.
    for (std::size_t i = 1; i < CtcssTable.size(); ++i)
        EXPECT_LT(std::stod(ToneEntryText(CtcssTable[i - 1])),
                  std::stod(ToneEntryText(CtcssTable[i])));
}

TEST(ToneCodec, ToneListOrder) {
    const auto list = ToneListTexts("Off");
    ASSERT_EQ(list.size(), 262u);
    EXPECT_EQ(list[0], "Off");
    EXPECT_EQ(list[1], "67.0");
    EXPECT_EQ(list[13], "100.0");
    EXPECT_EQ(list[51], "254.1");
    EXPECT_EQ(list[52], "D023N");
    EXPECT_EQ(list[156], "D777N");
    EXPECT_EQ(list[157], "D023I");
    EXPECT_EQ(list[260], "D754I");
    EXPECT_EQ(list[261], "D777I");
}

TEST(DtmfCodec, BothWays) {
    EXPECT_EQ(DtmfToText({0x01, 0x0A, 0xFF, 0xFF, 0xFF}), "1A");
    EXPECT_EQ(DtmfToText({0, 9, 10, 13, 1}), "09AD1");
    EXPECT_EQ(DtmfToText({1, 14, 2, 3, 4}), "1"); // first value >= 14 ends the text
    EXPECT_EQ(DtmfToText({0xFF, 1, 2, 3, 4}), "");

    struct Row {
        const char* text;
        DtmfBytes bytes;
    };
    const Row rows[] = {
        {"12X45", {1, 2, 0xFF, 0xFF, 0xFF}},  {"12A", {1, 2, 10, 0xFF, 0xFF}},
        {"1x2", {1, 0xFF, 0xFF, 0xFF, 0xFF}}, {"abcd0", {10, 11, 12, 13, 0}},
        {"ABCD9", {10, 11, 12, 13, 9}},       {"", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"1234567", {1, 2, 3, 4, 5}},         {"E1", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextToDtmf(r.text), r.bytes) << r.text;
}

TEST(SettingsLists, Texts) {
    const auto squelch = SquelchTexts();
    ASSERT_EQ(squelch.size(), 10u);
    EXPECT_EQ(squelch[0], "0");
    EXPECT_EQ(squelch[9], "9");
    const auto tot = TimeOutTexts("Off");
    ASSERT_EQ(tot.size(), 11u);
    EXPECT_EQ(tot[0], "Off");
    EXPECT_EQ(tot[1], "30");
    EXPECT_EQ(tot[6], "180");
    EXPECT_EQ(tot[10], "300");
    const auto vox = VoxLevelTexts();
    ASSERT_EQ(vox.size(), 5u);
    EXPECT_EQ(vox[0], "1");
    EXPECT_EQ(vox[4], "5");
    const auto fm = FmRadioTexts();
    ASSERT_EQ(fm.size(), 211u);
    EXPECT_EQ(fm[0], "87M0");
    EXPECT_EQ(fm[1], "87M1");
    EXPECT_EQ(fm[(100 - 87) * 10 + 5], "100M5");
    EXPECT_EQ(fm[209], "107M9");
    EXPECT_EQ(fm[210], "108M0");
}
