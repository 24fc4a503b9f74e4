#include "core/model/RadioDocument.h"

#include "core/model/Codecs.h"

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

// What an operation reports as changed is exactly what changed, so a view that redraws only
// that never shows stale rows.
TEST(RadioDocument, ChangesNameExactlyTheChannelsTouched) {
    RadioDocument doc;
    DocChange c = doc.commitCell(3, ColRxFreq, "446,00625", Words);
    EXPECT_EQ(changedChannels(c), (std::vector<int>{3}));
    EXPECT_TRUE(c.modified);
    EXPECT_FALSE(c.settings);
    EXPECT_EQ(FreqToText(doc.image().txFreq(3)), FreqToText(doc.image().rxFreq(3)));
    doc.commitCell(5, ColRxFreq, "440", Words);

    c = doc.insertChannel(3); // an empty channel equal to the one below stays unreported
    EXPECT_EQ(changedChannels(c), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_TRUE(doc.image().isRxEmpty(3));
    EXPECT_FALSE(doc.image().isRxEmpty(6));

    c = doc.moveChannels(3, 3, 1);
    EXPECT_EQ(changedChannels(c), (std::vector<int>{3, 4}));
    c = doc.moveChannels(16, 16, 1); // would leave the table
    EXPECT_FALSE(c.changedBytes());

    const int cleared[] = {4, 6, 9};
    c = doc.clearChannels(cleared);
    EXPECT_EQ(changedChannels(c), (std::vector<int>{6}));

    c = doc.setSetting(SettingId::SquelchLevel, doc.image().squelchLevel() == 3 ? 4 : 3);
    EXPECT_TRUE(c.settings);
    EXPECT_TRUE(c.channels.none());
    EXPECT_TRUE(c.modified);
}

TEST(RadioDocument, CellsTakeTheirTextsAndRefuseWhatTheTableRefuses) {
    RadioDocument doc;
    DocChange c = doc.commitCell(2, ColTxFreq, "440", Words); // no receive frequency yet
    EXPECT_TRUE(c.refused);
    EXPECT_FALSE(c.changedBytes());
    EXPECT_TRUE(doc.commitCell(2, ColChannel, "1", Words).refused);
    EXPECT_TRUE(doc.chooseOption(2, ColNarrow, 1).refused);
    EXPECT_EQ(doc.image().narrow(2), 0);

    doc.commitCell(2, ColRxFreq, "440", Words);
    EXPECT_FALSE(doc.commitCell(2, ColHighPower, " low ", Words).refused);
    EXPECT_EQ(doc.image().highPower(2), 0);
    doc.commitCell(2, ColHighPower, "HIGH", Words);
    EXPECT_EQ(doc.image().highPower(2), 1);
    c = doc.commitCell(2, ColHighPower, "medium", Words);
    EXPECT_FALSE(c.modified);
    EXPECT_EQ(doc.image().highPower(2), 1);

    c = doc.commitCell(2, ColRxFreq, "12x", Words);
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_EQ(c.notes[0].note.what, Adjustment::NotAFrequency);
    EXPECT_EQ(FreqToText(doc.image().rxFreq(2)), "440.00000");

    c = doc.commitCell(2, ColRxFreq, "500", Words);
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_EQ(c.notes[0].note.what, Adjustment::AboveBand);
    EXPECT_EQ(c.notes[0].channel, 2);
    EXPECT_EQ(c.notes[0].column, ColRxFreq);
}

TEST(RadioDocument, BandAndCsvChangeTheWholeImageOrNothing) {
    RadioDocument doc;
    doc.commitCell(1, ColRxFreq, "440", Words);
    EXPECT_FALSE(doc.setBand(doc.image().bandListPosition()).changedBytes());
    EXPECT_FALSE(doc.image().isRxEmpty(1));

    const DocChange band = doc.setBand(0);
    EXPECT_TRUE(band.whole);
    EXPECT_TRUE(doc.image().isRxEmpty(1));
    EXPECT_EQ(doc.limits(), LimitsForBandCode(BandCodes[0]));

    CsvImportResult result;
    const RadioImage before = doc.image();
    EXPECT_FALSE(doc.applyCsv("no,header\n1,2\n", {}, result).changedBytes());
    EXPECT_FALSE(result.usable);
    EXPECT_EQ(doc.image(), before);

    const DocChange csv = doc.applyCsv("Location,Frequency\n7,145.5\n", {}, result);
    EXPECT_TRUE(result.usable);
    EXPECT_EQ(changedChannels(csv), (std::vector<int>{7}));
}

} // namespace
} // namespace orvik
