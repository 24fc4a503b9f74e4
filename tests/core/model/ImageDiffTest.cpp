#include "core/model/ImageDiff.h"

#include "core/model/Codecs.h"

#include <gtest/gtest.h>

using namespace orvik;

namespace {

DiffTexts texts() {
    DiffTexts t;
    t.cell = CellTexts{"Off", "Yes", "No", "Wide", "Narrow", "High", "Low"};
    t.bandNames = {"470-490", "490-512", "400-470", "136-174", "136-470a", "136-470b"};
    t.voiceList = {"Chinese", "English"};
    t.sideKeyList = {"Monitor", "Scan", "VOX", "Alarm"};
    t.scanModeList = {"Time", "Carrier"};
    t.columns = {"CH", "RX", "RX tone", "TX", "TX tone", "Scan add", "Bw", "Power", "BCL", "Scr"};
    for (int id : {1021, 1039, 1031, 1035, 1025, 1033, 1047, 1027, 1041, 1023, 1029, 1024, 1028,
                   1030, 1043, 1045})
        t.labels.emplace_back(id, "L" + std::to_string(id));
    return t;
}

std::vector<std::string> lines(const std::vector<ImageDifference>& diffs) {
    std::vector<std::string> out;
    for (const auto& d : diffs)
        out.push_back(DifferenceLine(d));
    return out;
}

} // namespace

TEST(ImageDiff, EveryKindOfFieldWithItsPlaceAndShownValues) {
    const RadioImage a = MakeDefaultImage();
    EXPECT_TRUE(CompareImages(a, a, texts()).empty());

    RadioImage b = a;
    b.setBandCode(0xF8);
    b.setSquelchLevel(5);
    b.setFmRadioFunction(1); // a setting the panel shows only as a check box
    b.setSideKey2(2);
    b.setDtmfDigits(TextToDtmf("12A"));
    b.setRxFreq(3, TextToFreq("145.5"));
    b.setTxFreq(3, TextToFreq("145.5"));
    b.setRxTone(3, TextToTone("67.0"));
    b.setHighPower(3, 0);
    b.setScramblerOff(16, 0);
    b[0x3A1] = 0x00;            // a byte no field covers
    b[0x3C0] = a[0x3C0] & 0x7F; // an uncovered bit of a shared byte
    b[0x10D] = 0x12;            // the unused tail of channel 16's record
    const auto diffs = CompareImages(a, b, texts());
    EXPECT_EQ(lines(diffs), (std::vector<std::string>{
                                "L1021: 400-470 -> 136-174",
                                "L1031: 3 -> 5",
                                "L1030: No -> Yes",
                                "L1043: Monitor -> VOX",
                                "L1039: (empty) -> 12A",
                                "CH3 RX: (empty) -> 145.50000",
                                "CH3 RX tone: Off -> 67.0",
                                "CH3 TX: (empty) -> 145.50000",
                                "CH3 Power: High -> Low",
                                "CH16 Scr: No -> Yes",
                                "byte 0x10D: 0xFF -> 0x12",
                                "byte 0x3A1: 0xFF -> 0x00",
                                "byte 0x3C0: 0xFE -> 0x7E",
                            }));
    EXPECT_EQ(diffs[5].kind, DiffKind::Channel);
    EXPECT_EQ(diffs[5].channel, 3);
    EXPECT_EQ(diffs[5].field, "rxFreq");
    EXPECT_EQ(diffs[5].offset, 0x30u);

    // Only the bytes before `end` count (a radio holds 0x000..0x3DF).
    RadioImage c = a;
    c[0x3E0] = 0;
    c[0xFFF] = 0;
    EXPECT_EQ(CompareImages(a, c, texts()).size(), 2u);
    EXPECT_TRUE(CompareImages(a, c, texts(), 0x3E0).empty());
}

// Bytes that show the same text (a clamped value, an empty frequency written two ways) still
// differ, and say how.
TEST(ImageDiff, SameTextOtherBytesIsShownInHex) {
    RadioImage a = MakeDefaultImage();
    RadioImage b = a;
    a.setSquelchLevel(10);
    b.setSquelchLevel(11);
    b[0x20] = 0xFE; // channel 2's receive frequency, still empty
    EXPECT_EQ(lines(CompareImages(a, b, texts())),
              (std::vector<std::string>{"L1031: 9 [0x0A] -> 9 [0x0B]",
                                        "CH2 RX: (empty) [FF FF FF FF] -> (empty) [FE FF FF FF]"}));
}

TEST(ImageDiff, JsonListsEachDifference) {
    const RadioImage a = MakeDefaultImage();
    EXPECT_EQ(DifferencesJson({}), "{\"equal\":true,\"count\":0,\"differences\":[]}\n");
    RadioImage b = a;
    b[0x3A1] = 0;
    b.setRxTone(1, TextToTone("D023N"));
    DiffTexts t = texts();
    t.columns[2] = "RX \"tone\"";
    EXPECT_EQ(DifferencesJson(CompareImages(a, b, t)),
              "{\"equal\":false,\"count\":2,\"differences\":["
              "{\"kind\":\"channel\",\"channel\":1,\"field\":\"rxTone\",\"offset\":24,"
              "\"place\":\"CH1 RX \\\"tone\\\"\",\"from\":\"Off\",\"to\":\"D023N\"},"
              "{\"kind\":\"byte\",\"channel\":0,\"field\":\"byte\",\"offset\":929,"
              "\"place\":\"byte 0x3A1\",\"from\":\"0xFF\",\"to\":\"0x00\"}]}\n");
}
