#include "core/model/EditRules.h"
#include "core/model/Codecs.h"
#include "core/model/ImageDiff.h"

#include <cstring>

#include <gtest/gtest.h>

using namespace orvik;

namespace {

const CellTexts Texts{"Off", "Yes", "No", "Wide", "Narrow", "High", "Low"};

// A default image on the given band position.
struct Doc {
    explicit Doc(int band = 2) {
        header = NewHeaderBlock();
        image.selectBand(band, limits);
    }
    HeaderBlock header{};
    RadioImage image;
    FrequencyLimits limits{};

    std::string cell(int n, int col) const { return channelCellText(image, n, col, Texts); }
};

} // namespace

TEST(CommitFrequency, NewReceiveFrequencyOnEmptyChannelBringsChannelToLife) {
    Doc d(3); // 0xF8, 136-174 MHz
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 4, true, "145.5"));
    EXPECT_EQ(d.cell(4, 1), "145.50000");
    EXPECT_EQ(d.cell(4, 3), "145.50000"); // both were empty, so equal: tx follows
    EXPECT_EQ(d.cell(4, 2), "Off");
    EXPECT_EQ(d.cell(4, 4), "Off");
    const char* flags[] = {"Yes", "Wide", "High", "No", "No"};
    for (int c = 5; c <= 9; ++c)
        EXPECT_EQ(d.cell(4, c), flags[c - 5]);
    for (int c = 1; c <= 9; ++c)
        EXPECT_FALSE(isCellReadOnly(d.image, 4, c)) << c;
}

TEST(CommitFrequency, OutOfBandTextIsClampedToTheLimit) {
    struct Row {
        int band;
        const char* typed;
        const char* stored;
    };
    const Row rows[] = {
        {2, "600", "470.00000"},     {2, "100", "400.00000"},
        {2, "435,125", "400.00000"}, {2, "470.00001", "470.00000"},
        {3, "200", "174.00000"},     {2, "99999999999", "470.00000"},
        {2, "470", "470.00000"},     {1, "490.0031", "490.00500"},
    };
    for (const Row& r : rows) {
        Doc d(r.band);
        EXPECT_TRUE(CommitFrequency(d.image, d.limits, 1, true, r.typed));
        EXPECT_EQ(d.cell(1, 1), r.stored) << r.typed;
    }
}

TEST(CommitFrequency, TransmitFollowsOnlyWhenBothWereEqual) {
    Doc d;
    CommitFrequency(d.image, d.limits, 1, true, "435");
    CommitFrequency(d.image, d.limits, 1, false, "440");
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 1, true, "436"));
    EXPECT_EQ(d.cell(1, 1), "436.00000");
    EXPECT_EQ(d.cell(1, 3), "440.00000");
    // Editing the transmit frequency never changes the receive frequency.
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 1, false, "436"));
    EXPECT_EQ(d.cell(1, 1), "436.00000");
    // Now equal again: the receive edit carries the transmit frequency, after rounding.
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 1, true, "437.006"));
    EXPECT_EQ(d.cell(1, 3), "437.00625");
}

TEST(CommitFrequency, ModifiedOnlyWhenTextDiffers) {
    Doc d;
    CommitFrequency(d.image, d.limits, 2, true, "145.5"); // clamped to 400
    EXPECT_FALSE(CommitFrequency(d.image, d.limits, 2, true, "400.00000"));
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 2, true, "435.5"));
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 2, true, "435.5")); // vs stored 435.50000
    EXPECT_FALSE(CommitFrequency(d.image, d.limits, 2, true, "435.50000"));

    // A frequency off the channel raster is rounded when committed unchanged, without marking.
    d.image.setRxFreq(3, {0x10, 0x00, 0x50, 0x43}); // 435.00010
    d.image.setTxFreq(3, {0x10, 0x00, 0x50, 0x43});
    EXPECT_FALSE(CommitFrequency(d.image, d.limits, 3, true, "435.00010"));
    EXPECT_EQ(d.cell(3, 1), "435.00000");
    EXPECT_EQ(d.cell(3, 3), "435.00000");

    // A text that only differs in an untyped part of the value is still a change.
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 3, true, "435"));
}

TEST(CommitFrequency, ClearingTransmitBlanksItsTone) {
    Doc d;
    CommitFrequency(d.image, d.limits, 1, true, "435");
    CommitTone(d.image, 1, false, "67.0", "Off");
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 1, false, ""));
    EXPECT_TRUE(d.image.isRxOrTxEmpty(1));
    EXPECT_EQ(d.image.txTone(1), ToneOff);
    EXPECT_EQ(d.cell(1, 3), "");
    EXPECT_EQ(d.cell(1, 4), "");
    EXPECT_TRUE(isCellReadOnly(d.image, 1, 4));
    EXPECT_FALSE(isCellReadOnly(d.image, 1, 3));
    EXPECT_EQ(d.cell(1, 1), "435.00000");
    CommitFrequency(d.image, d.limits, 1, false, "440");
    EXPECT_FALSE(isCellReadOnly(d.image, 1, 4));
    EXPECT_EQ(d.cell(1, 4), "Off");
}

TEST(CommitFrequency, ClearingReceiveWipesTheChannel) {
    Doc d;
    CommitFrequency(d.image, d.limits, 7, true, "435");
    CommitFrequency(d.image, d.limits, 7, false, "440");
    CommitTone(d.image, 7, true, "D023N", "Off");
    CommitTone(d.image, 7, false, "67.0", "Off");
    for (int c = 5; c <= 9; ++c)
        SelectOption(d.image, 7, c, c == 6 || c == 5 ? 1 : 0);
    d.image.setChannelFlags(7, static_cast<std::uint8_t>(d.image.channelFlags(7) | 0xE0));

    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 7, true, ""));
    EXPECT_EQ(d.image.rxFreq(7), EmptyFreq);
    EXPECT_EQ(d.image.txFreq(7), EmptyFreq);
    EXPECT_EQ(d.image.rxTone(7), ToneOff);
    EXPECT_EQ(d.image.txTone(7), ToneOff);
    EXPECT_EQ(d.image.channelFlags(7), 0xEB); // defaults, bits 5-7 kept
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(d.cell(7, c), "") << c;
    for (int c = 2; c <= 9; ++c)
        EXPECT_TRUE(isCellReadOnly(d.image, 7, c)) << c;
    EXPECT_FALSE(isCellReadOnly(d.image, 7, 1));

    // Leaving column 1 of an empty channel unchanged resets its flags without marking.
    d.image.setChannelFlags(8, 0x00);
    d.image.setRxTone(8, {0x70, 0x06});
    EXPECT_FALSE(CommitFrequency(d.image, d.limits, 8, true, ""));
    EXPECT_EQ(d.image.channelFlags(8), 0x0B);
    EXPECT_EQ(d.image.rxTone(8), ToneOff);
}

TEST(CommitTone, FollowsOnlyWhenEqualAndComparesWithoutCase) {
    Doc d;
    CommitFrequency(d.image, d.limits, 1, true, "435");
    EXPECT_TRUE(CommitTone(d.image, 1, true, "67.0", "Off"));
    EXPECT_EQ(d.cell(1, 4), "67.0"); // both were off: tx follows
    EXPECT_TRUE(CommitTone(d.image, 1, false, "D023N", "Off"));
    EXPECT_TRUE(CommitTone(d.image, 1, true, "100.0", "Off"));
    EXPECT_EQ(d.cell(1, 2), "100.0");
    EXPECT_EQ(d.cell(1, 4), "D023N"); // different: tx stays
    EXPECT_FALSE(CommitTone(d.image, 1, false, "d023n", "Off"));
    EXPECT_TRUE(CommitTone(d.image, 1, false, "OFF", "Off"));
    EXPECT_EQ(d.image.txTone(1), ToneOff); // "OFF" from the upper-case list reads as off
    EXPECT_FALSE(CommitTone(d.image, 1, false, "OFF", "Off"));
    EXPECT_TRUE(CommitTone(d.image, 1, false, "D754I", "Off"));
    EXPECT_EQ(d.image.txTone(1), (ToneWord{0x54, 0xC7}));
    // An off word that begins with the DCS letter is still off, never a DCS code.
    EXPECT_TRUE(CommitTone(d.image, 1, false, "Desactivado", "Desactivado"));
    EXPECT_EQ(d.image.txTone(1), ToneOff);
    EXPECT_TRUE(CommitTone(d.image, 1, false, "D023N", "Desactivado"));
    EXPECT_EQ(d.cell(1, 4), "D023N");
}

TEST(SelectOption, SetsTheColumnBitAndAlwaysModifies) {
    struct Row {
        int column;
        std::uint8_t mask;
    };
    const Row rows[] = {{5, 0x10}, {6, 0x04}, {7, 0x08}, {8, 0x01}, {9, 0x02}};
    for (const Row& r : rows) {
        Doc d;
        CommitFrequency(d.image, d.limits, 2, true, "435");
        const std::uint8_t before = d.image.channelFlags(2);
        EXPECT_TRUE(SelectOption(d.image, 2, r.column, 1));
        EXPECT_EQ(d.image.channelFlags(2), before | r.mask);
        EXPECT_TRUE(SelectOption(d.image, 2, r.column, 1)); // same value still modifies
        EXPECT_TRUE(SelectOption(d.image, 2, r.column, 0));
        EXPECT_EQ(d.image.channelFlags(2), before & ~r.mask);
    }
    Doc d;
    const RadioImage before = d.image;
    EXPECT_FALSE(SelectOption(d.image, 2, 4, 1));
    EXPECT_EQ(d.image, before);
}

TEST(CommitDtmf, CompareAndStore) {
    Doc d;
    EXPECT_TRUE(CommitDtmf(d.image, "12A"));
    EXPECT_EQ(d.image.dtmfDigits(), (DtmfBytes{1, 2, 10, 0xFF, 0xFF}));
    EXPECT_FALSE(CommitDtmf(d.image, "12A"));
    EXPECT_FALSE(CommitDtmf(d.image, "12a"));
    EXPECT_TRUE(CommitDtmf(d.image, "1x2"));
    EXPECT_EQ(d.image.dtmfDigits(), (DtmfBytes{1, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(CommitDtmf(d.image, "1"));
    Doc e;
    EXPECT_FALSE(CommitDtmf(e.image, "")); // already empty
}

TEST(ChangeBand, SamePositionChangesNothing) {
    Doc d;
    d.image.setBandCode(0xF7);
    d.limits = recomputeLimits(d.image);
    CommitFrequency(d.image, d.limits, 1, true, "245.5");
    d.header[5] = 'x';
    const RadioImage before = d.image;
    const HeaderBlock headerBefore = d.header;
    EXPECT_FALSE(ChangeBand(d.header, d.image, d.limits, 2));
    EXPECT_EQ(d.image, before);
    EXPECT_EQ(d.header, headerBefore);
    EXPECT_EQ(d.image.bandCode(), 0xF7);
}

TEST(ChangeBand, OtherPositionResetsEverything) {
    Doc d;
    CommitFrequency(d.image, d.limits, 1, true, "435");
    CommitDtmf(d.image, "123");
    d.image.setSquelchLevel(7);
    d.header[5] = 'x';
    d.header[40] = 0x55;
    EXPECT_TRUE(ChangeBand(d.header, d.image, d.limits, 3));
    EXPECT_EQ(d.image.bandCode(), 0xF8);
    EXPECT_EQ(d.limits, (FrequencyLimits{13600000, 17400000}));
    EXPECT_EQ(d.header[5], '3'); // header text reset
    EXPECT_EQ(d.header[40], 0x55);
    RadioImage expected = MakeDefaultImage();
    expected.setBandCode(0xF8);
    EXPECT_EQ(d.image, expected);

    // A seventh band (position 6) clears and writes the defaults but stores no code.
    EXPECT_TRUE(ChangeBand(d.header, d.image, d.limits, 6));
    EXPECT_EQ(d.image.bandCode(), 0xFF);
    EXPECT_EQ(d.limits, (FrequencyLimits{40000000, 47000000}));
    EXPECT_EQ(d.image.bandListPosition(), 2);
    EXPECT_EQ(d.image.squelchLevel(), 3);
}

TEST(ChannelCells, ReadOnlyTable) {
    Doc d;
    for (int c = 0; c < ChannelColumnCount; ++c)
        EXPECT_EQ(isCellReadOnly(d.image, 1, c), c != 1) << c;
    d.image.setRxFreq(1, {0, 0, 0, 0x43});
    for (int c = 1; c < ChannelColumnCount; ++c)
        EXPECT_EQ(isCellReadOnly(d.image, 1, c), c == 4) << c;
    d.image.setTxFreq(1, {0, 0, 0, 0x43});
    for (int c = 1; c < ChannelColumnCount; ++c)
        EXPECT_FALSE(isCellReadOnly(d.image, 1, c)) << c;
    EXPECT_TRUE(isCellReadOnly(d.image, 1, 0));
    EXPECT_TRUE(isCellReadOnly(d.image, 1, 10));
    EXPECT_EQ(d.cell(12, 0), "12");
}

namespace {

// The reason texts with their placeholders, as a language file gives them.
std::string reasonTemplate(std::string_view key) {
    return std::string(key) + ":%1|%2|%3";
}

} // namespace

TEST(CommitFrequencyNoted, ReportsWhatWasAdjustedAndStoresWhatTheRuleStores) {
    struct Row {
        const char* typed;
        Adjustment what;
        const char* stored; // the receive frequency afterwards ("" when empty)
        const char* reason;
    };
    // Band 400-470 MHz; channel 1 starts at 435.00000.
    const Row rows[] = {
        {"445.125", Adjustment::None, "445.12500", ""},
        {"445,125", Adjustment::None, "445.12500", ""}, // decimal comma read as a point
        {" 445.1 ", Adjustment::None, "445.10000", ""},
        {"145.5", Adjustment::BelowBand, "400.00000", "IDS_ADJ_BELOW:145.5|400.00000|400-470 MHz"},
        {"600", Adjustment::AboveBand, "470.00000", "IDS_ADJ_ABOVE:600|470.00000|400-470 MHz"},
        {"445.1234", Adjustment::Raster, "445.12500", "IDS_ADJ_RASTER:445.1234|445.12500|"},
        {"445.125001", Adjustment::Raster, "445.12500", "IDS_ADJ_RASTER:445.125001|445.12500|"},
        {"abc", Adjustment::NotAFrequency, "435.00000", "IDS_ADJ_NOT_FREQ:abc||"},
        {".", Adjustment::NotAFrequency, "435.00000", "IDS_ADJ_NOT_FREQ:.||"},
        {"4.4.5", Adjustment::NotAFrequency, "435.00000", "IDS_ADJ_NOT_FREQ:4.4.5||"},
        {"-440", Adjustment::NotAFrequency, "435.00000", "IDS_ADJ_NOT_FREQ:-440||"},
        {"", Adjustment::None, "", ""},
    };
    for (const Row& r : rows) {
        Doc d;
        CommitFrequency(d.image, d.limits, 1, true, "435");
        RadioImage plain = d.image;
        CommitNote note;
        const bool modified = CommitFrequencyNoted(d.image, d.limits, 1, true, r.typed, note);
        EXPECT_EQ(note.what, r.what) << r.typed;
        EXPECT_EQ(d.cell(1, 1), r.stored) << r.typed;
        EXPECT_EQ(CommitNoteText(note, reasonTemplate), r.reason) << r.typed;
        if (r.what != Adjustment::NotAFrequency &&
            std::string(r.typed).find_first_of(", ") == std::string::npos) {
            // Apart from the reading of a comma and blanks, the stored image is the plain rule's.
            EXPECT_EQ(CommitFrequency(plain, d.limits, 1, true, r.typed), modified) << r.typed;
            EXPECT_TRUE(plain == d.image) << r.typed;
        }
        if (r.what == Adjustment::NotAFrequency) {
            EXPECT_FALSE(modified);
        }
    }
    Doc wide(3); // 136-174 MHz
    CommitNote note;
    CommitFrequencyNoted(wide.image, wide.limits, 1, true, "100", note);
    EXPECT_EQ(note.band, "136-174 MHz");
}

TEST(CommitToneNoted, ReportsToneTextsTheListDoesNotHold) {
    struct Row {
        const char* typed;
        Adjustment what;
        const char* stored;
    };
    const Row rows[] = {
        {"67.0", Adjustment::None, "67.0"},
        {"67", Adjustment::None, "67.0"},
        {"d023n", Adjustment::None, "D023N"},
        {"Off", Adjustment::None, "Off"},
        {"", Adjustment::None, "Off"},
        {"xyz", Adjustment::ToneUnknown, "Off"},
        {"101.3", Adjustment::ToneNotListed, "101.3"},
        {"300", Adjustment::ToneChanged, "254.1"},
    };
    for (const Row& r : rows) {
        Doc d;
        CommitFrequency(d.image, d.limits, 1, true, "435");
        RadioImage plain = d.image;
        CommitNote note;
        CommitToneNoted(d.image, 1, true, r.typed, "Off", note);
        CommitTone(plain, 1, true, r.typed, "Off");
        EXPECT_EQ(note.what, r.what) << r.typed;
        EXPECT_EQ(d.cell(1, 2), r.stored) << r.typed;
        EXPECT_TRUE(plain == d.image) << r.typed;
    }
}

TEST(ChannelRows, ClearInsertAndMove) {
    Doc d;
    for (int n = 1; n <= ChannelCount; ++n)
        CommitFrequency(d.image, d.limits, n, true, std::to_string(400 + n));
    SelectOption(d.image, 3, ColNarrow, 1);
    const RadioImage start = d.image;

    InsertEmptyChannel(d.image, d.limits, 3);
    EXPECT_EQ(d.cell(2, 1), "402.00000");
    EXPECT_EQ(d.cell(3, 1), "");
    EXPECT_EQ(d.cell(4, 1), "403.00000");
    EXPECT_EQ(d.cell(4, 6), "Narrow");     // the whole record moved
    EXPECT_EQ(d.cell(16, 1), "415.00000"); // 416 dropped off
    EXPECT_EQ(d.cell(3, 6), "");
    CommitFrequency(d.image, d.limits, 3, true, "450");
    EXPECT_EQ(d.cell(3, 6), "Wide"); // an empty channel with the default flags

    d.image = start;
    EXPECT_TRUE(MoveChannels(d.image, 2, 3, -1));
    EXPECT_EQ(d.cell(1, 1), "402.00000");
    EXPECT_EQ(d.cell(2, 1), "403.00000");
    EXPECT_EQ(d.cell(3, 1), "401.00000");
    EXPECT_TRUE(MoveChannels(d.image, 1, 2, 1));
    EXPECT_TRUE(d.image == start);
    EXPECT_FALSE(MoveChannels(d.image, 1, 2, -1));
    EXPECT_FALSE(MoveChannels(d.image, 16, 16, 1));
    EXPECT_TRUE(d.image == start);

    EXPECT_TRUE(ClearChannel(d.image, d.limits, 5));
    EXPECT_EQ(d.cell(5, 1), "");
    EXPECT_FALSE(ClearChannel(d.image, d.limits, 5));
}

// A field whose bytes hold no valid value shows those bytes, in the table and in a compare,
// never a garbled number ("446.006da"); giving that text back changes nothing.
TEST(ChannelCells, AFieldWithNoValidValueShowsItsBytes) {
    Doc d(2);
    ASSERT_TRUE(CommitFrequency(d.image, d.limits, 2, true, "446.00625"));
    RadioImage before = d.image;
    d.image.setRxFreq(2, FreqBcd{0xDA, 0x06, 0x60, 0x44});
    d.image.setRxTone(2, ToneWord{0x7A, 0x06});
    d.image.setTxTone(2, ToneWord{0x98, 0x81}); // DCS with digits that are not octal
    EXPECT_EQ(d.cell(2, ColRxFreq), "(invalid) [DA 06 60 44]");
    EXPECT_EQ(d.cell(2, ColRxTone), "(invalid) [7A 06]");
    EXPECT_EQ(d.cell(2, ColTxTone), "(invalid) [98 81]");
    EXPECT_EQ(d.cell(2, ColTxFreq), "446.00625");

    const RadioImage shown = d.image;
    EXPECT_FALSE(CommitFrequency(d.image, d.limits, 2, true, d.cell(2, ColRxFreq)));
    EXPECT_FALSE(CommitTone(d.image, 2, true, d.cell(2, ColRxTone), "Off"));
    EXPECT_EQ(0, std::memcmp(d.image.data(), shown.data(), RadioImage::Size));
    // A real value still replaces it.
    EXPECT_TRUE(CommitFrequency(d.image, d.limits, 2, true, "446.1"));
    EXPECT_EQ(d.cell(2, ColRxFreq), "446.10000");

    DiffTexts texts;
    texts.cell = Texts;
    bool found = false;
    for (const ImageDifference& diff : CompareImages(before, shown, texts))
        if (diff.channel == 2 && diff.field == "rxFreq") {
            found = true;
            EXPECT_EQ(diff.after, "(invalid) [DA 06 60 44]");
        }
    EXPECT_TRUE(found);
}
