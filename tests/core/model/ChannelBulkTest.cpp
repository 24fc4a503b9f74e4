#include "core/model/ChannelBulk.h"

#include "core/model/Codecs.h"
#include "core/model/RadioDocument.h"

#include <gtest/gtest.h>

namespace orvik {
namespace {

const CellTexts Words{"OFF", "Yes", "No", "Wide", "Narrow", "High", "Low"};

std::vector<int> changedChannels(const DocChange& c) {
    std::vector<int> out;
    for (int n = 1; n <= ChannelCount; ++n)
        if (c.channels.test(static_cast<std::size_t>(n)))
            out.push_back(n);
    return out;
}

std::string rx(const RadioDocument& doc, int n) {
    return FreqToText(doc.image().rxFreq(n));
}
std::string tx(const RadioDocument& doc, int n) {
    return FreqToText(doc.image().txFreq(n));
}
std::string rxTone(const RadioDocument& doc, int n) {
    return ToneToText(doc.image().rxTone(n), "OFF");
}
std::string txTone(const RadioDocument& doc, int n) {
    return ToneToText(doc.image().txTone(n), "OFF");
}

TEST(ChannelBulk, EditGivesTheTickedFieldsToTheChannelsInUseThroughTheCommitRules) {
    RadioDocument doc;
    for (int n : {1, 2, 3})
        doc.commitCell(n, ColRxFreq, "44" + std::to_string(n), Words);
    doc.commitCell(2, ColTxTone, "D023N", Words); // channel 2's tones differ

    ChannelEdit edit;
    edit.rxTone = "88.5";
    edit.options[ColHighPower] = 0;
    edit.options[ColNarrow] = 1;
    const std::vector<int> channels{1, 2, 5};
    DocChange c = doc.editChannels(channels, edit, Words);
    EXPECT_EQ(changedChannels(c), (std::vector<int>{1, 2}));
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(rxTone(doc, 1), "88.5");
    EXPECT_EQ(txTone(doc, 1), "88.5"); // followed: both were equal
    EXPECT_EQ(rxTone(doc, 2), "88.5");
    EXPECT_EQ(txTone(doc, 2), "D023N"); // kept: they differed
    EXPECT_EQ(doc.image().highPower(1), 0);
    EXPECT_EQ(doc.image().narrow(2), 1);
    EXPECT_EQ(doc.image().highPower(3), 1); // not selected
    EXPECT_TRUE(doc.image().isRxEmpty(5));  // empty: nothing to set

    // The same again changes nothing and is no modification.
    c = doc.editChannels(channels, edit, Words);
    EXPECT_TRUE(changedChannels(c).empty());
    EXPECT_FALSE(c.modified);

    // Both tones, the transmit tone given last; an unknown tone is stored off and reported.
    ChannelEdit tones;
    tones.rxTone = "D754I";
    tones.txTone = "gibberish";
    c = doc.editChannels(std::vector<int>{3}, tones, Words);
    EXPECT_EQ(rxTone(doc, 3), "D754I");
    EXPECT_EQ(txTone(doc, 3), "OFF");
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_EQ(c.notes[0].channel, 3);
    EXPECT_EQ(c.notes[0].column, ColTxTone);
    EXPECT_EQ(c.notes[0].note.what, Adjustment::ToneUnknown);
}

TEST(ChannelBulk, SortPutsTheChannelsInOrderWithEmptyOnesLast) {
    RadioDocument doc;
    doc.commitCell(1, ColRxFreq, "445", Words);
    doc.commitCell(3, ColRxFreq, "435", Words);
    doc.commitCell(3, ColTxFreq, "", Words); // receive only
    doc.commitCell(4, ColRxFreq, "440", Words);
    doc.commitCell(1, ColRxTone, "D023N", Words);
    doc.commitCell(4, ColRxTone, "67.0", Words);
    doc.commitCell(3, ColRxTone, "D023I", Words);

    DocChange c = doc.sortChannels(SortKey::RxFrequency);
    EXPECT_TRUE(c.modified);
    EXPECT_EQ(rx(doc, 1), "435.00000");
    EXPECT_EQ(rx(doc, 2), "440.00000");
    EXPECT_EQ(rx(doc, 3), "445.00000");
    EXPECT_TRUE(doc.image().isRxEmpty(4));
    EXPECT_EQ(rxTone(doc, 1), "D023I"); // the whole record moved
    // Sorted already: nothing changes.
    c = doc.sortChannels(SortKey::RxFrequency);
    EXPECT_FALSE(c.modified);
    EXPECT_TRUE(changedChannels(c).empty());

    // A channel without a transmit frequency goes after those with one.
    doc.sortChannels(SortKey::TxFrequency);
    EXPECT_EQ(rx(doc, 1), "440.00000");
    EXPECT_EQ(rx(doc, 2), "445.00000");
    EXPECT_EQ(rx(doc, 3), "435.00000");
    EXPECT_EQ(tx(doc, 3), "");

    // Tones: off, then CTCSS, then normal and inverted DCS.
    doc.commitCell(5, ColRxFreq, "450", Words);
    doc.sortChannels(SortKey::RxTone);
    EXPECT_EQ(rxTone(doc, 1), "OFF");
    EXPECT_EQ(rxTone(doc, 2), "67.0");
    EXPECT_EQ(rxTone(doc, 3), "D023N");
    EXPECT_EQ(rxTone(doc, 4), "D023I");
    EXPECT_TRUE(doc.image().isRxEmpty(5));
}

TEST(ChannelBulk, FillStepsTheFrequenciesWithAnOffsetThroughTheBandLimits) {
    RadioDocument doc; // 400-470 MHz
    const std::vector<int> channels{2, 3, 4};
    FrequencyFill fill{44600625, 1250, -500000};
    DocChange c = doc.fillFrequencies(channels, fill);
    EXPECT_EQ(changedChannels(c), (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(c.notes.empty());
    EXPECT_EQ(rx(doc, 2), "446.00625");
    EXPECT_EQ(rx(doc, 3), "446.01875");
    EXPECT_EQ(rx(doc, 4), "446.03125");
    EXPECT_EQ(tx(doc, 4), "441.03125");
    EXPECT_TRUE(doc.image().isRxEmpty(1));

    // Past the band: the limit is stored and reported; without an offset the transmit
    // frequency follows the receive one.
    c = doc.fillFrequencies(std::vector<int>{7, 8}, FrequencyFill{46999375, 1250, {}});
    EXPECT_EQ(rx(doc, 8), "470.00000");
    EXPECT_EQ(tx(doc, 8), "470.00000");
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_EQ(c.notes[0].channel, 8);
    EXPECT_EQ(c.notes[0].note.what, Adjustment::AboveBand);
}

TEST(ChannelBulk, ParsesFrequenciesFillsAndChannelSets) {
    EXPECT_EQ(ParseMegahertz("446.00625"), 44600625);
    EXPECT_EQ(ParseMegahertz("-5"), -500000);
    EXPECT_EQ(ParseMegahertz("+0.6"), 60000);
    for (const char* bad : {"", ".", "1.234567", "4a6", "1..2", "--5"})
        EXPECT_FALSE(ParseMegahertz(bad)) << bad;

    const auto fill = ParseFill("446.00625:0.0125:-5");
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->start, 44600625);
    EXPECT_EQ(fill->step, 1250);
    EXPECT_EQ(fill->offset, -500000);
    EXPECT_FALSE(ParseFill("446.00625:0.0125")->offset);
    for (const char* bad : {"446", "446:0", "446:-1", "-1:1", "446:1:2:3", "446:x"})
        EXPECT_FALSE(ParseFill(bad)) << bad;

    EXPECT_EQ(ParseChannelSet("1-8,12"), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 12}));
    EXPECT_EQ(ParseChannelSet("16,3,3-4"), (std::vector<int>{16, 3, 4}));
    for (const char* bad : {"", "0", "17", "3-1", "1,", "a", "1-"})
        EXPECT_FALSE(ParseChannelSet(bad)) << bad;
}

} // namespace
} // namespace orvik
