#include "core/model/RadioImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace orvik;

namespace {

// Every byte of the default image that is not 0xFF.
std::map<std::size_t, std::uint8_t> defaultImageBytes() {
    std::map<std::size_t, std::uint8_t> m;
    for (std::size_t off = 0x01C; off <= 0x10C; off += 0x10)
        m[off] = 0xEB;
    m[0x2B0] = 0x00;
    m[0x2B1] = 0x01;
    m[0x2B2] = 0x00;
    m[0x2B3] = 0x00;
    m[0x2B4] = 0x00;
    m[0x2B9] = 0x00;
    m[0x3C0] = 0xFE;
    m[0x3C1] = 0x03;
    m[0x3C2] = 0x00;
    m[0x3C3] = 0x06;
    m[0x3C5] = 0x00;
    m[0x3C6] = 0x00;
    m[0x3C7] = 0xFE;
    m[0x3D0] = 0x00;
    m[0x3D1] = 0x00;
    m[0x3D2] = 0xF4;
    m[0x3D3] = 0x35;
    m[0x3D4] = 0x39;
    m[0x3D5] = 0x32;
    m[0x3D6] = 0x38;
    m[0x3D7] = 0x4B;
    return m;
}

} // namespace

TEST(RadioImage, DefaultImageDiffersFromClearedOnlyInTheBandSettingsAndChannelFlags) {
    const RadioImage image = MakeDefaultImage();
    const auto expected = defaultImageBytes();
    for (std::size_t off = 0; off < RadioImage::Size; ++off) {
        const auto it = expected.find(off);
        const std::uint8_t want = it == expected.end() ? 0xFF : it->second;
        ASSERT_EQ(image[off], want) << "offset 0x" << std::hex << off;
    }
    EXPECT_EQ(recomputeLimits(image), (FrequencyLimits{40000000, 47000000}));
}

TEST(RadioImage, ClearedImageReadsBackClampedValues) {
    const RadioImage image;
    EXPECT_EQ(image.squelchLevel(), 9);
    EXPECT_EQ(image.sideKey1(), 3);
    EXPECT_EQ(image.sideKey2(), 3);
    EXPECT_EQ(image.timeOutTimer(), 10);
    EXPECT_EQ(image.fmRadioFreq(), 210);
    EXPECT_EQ(image.voiceAnnunciation(), 1);
    EXPECT_EQ(image.voxLevel(), 4);
    EXPECT_EQ(image.voiceFunction(), 1);
    EXPECT_EQ(image.scanFunction(), 1);
    EXPECT_EQ(image.voxFunction(), 1);
    EXPECT_EQ(image.fmRadioFunction(), 1);
    EXPECT_EQ(image.beep(), 1);
    EXPECT_EQ(image.batterySave(), 1);
    EXPECT_EQ(image.scanMode(), 1);
    EXPECT_EQ(image.bandListPosition(), 2);
    EXPECT_EQ(recomputeLimits(image), (FrequencyLimits{40000000, 47000000}));
    for (int n = 1; n <= ChannelCount; ++n) {
        EXPECT_TRUE(image.isRxEmpty(n));
        EXPECT_TRUE(image.isRxOrTxEmpty(n));
        EXPECT_TRUE(image.freqsEqual(n)); // both empty count as equal
        EXPECT_TRUE(image.tonesEqual(n));
    }
    EXPECT_EQ(image.dtmfDigits(), (DtmfBytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RadioImage, BandTable) {
    struct Row {
        std::uint8_t code;
        FrequencyLimits limits;
        int position;
    };
    const Row rows[] = {
        {0xF5, {47000000, 49000000}, 0}, {0xF6, {49000000, 51200000}, 1},
        {0xF4, {40000000, 47000000}, 2}, {0xF8, {13600000, 17400000}, 3},
        {0xF9, {13600000, 47000000}, 4}, {0xFA, {13600000, 47000000}, 5},
        {0xF7, {24500000, 24600000}, 2}, {0xFF, {40000000, 47000000}, 2},
        {0x00, {40000000, 47000000}, 2}, {0xF3, {40000000, 47000000}, 2},
        {0xFB, {40000000, 47000000}, 2},
    };
    for (const Row& r : rows) {
        RadioImage image;
        image.setBandCode(r.code);
        EXPECT_EQ(recomputeLimits(image), r.limits) << std::hex << int{r.code};
        EXPECT_EQ(image.bandListPosition(), r.position) << std::hex << int{r.code};
    }
}

TEST(RadioImage, SelectBandStoresCodeLimitsAndDefaults) {
    for (int pos = 0; pos < 6; ++pos) {
        RadioImage image;
        FrequencyLimits limits{};
        image.selectBand(pos, limits);
        EXPECT_EQ(image.bandCode(), BandCodes[static_cast<std::size_t>(pos)]);
        EXPECT_EQ(image.bandListPosition(), pos);
        EXPECT_EQ(limits, LimitsForBandCode(image.bandCode()));
        EXPECT_EQ(image.squelchLevel(), 3);
        EXPECT_EQ(image.channelFlags(16), 0xEB);
    }
    // Positions past the band table store nothing: the code stays as it was.
    RadioImage image;
    FrequencyLimits limits{};
    image.selectBand(6, limits);
    EXPECT_EQ(image.bandCode(), 0xFF);
    EXPECT_EQ(limits, (FrequencyLimits{40000000, 47000000}));
    EXPECT_EQ(image.bandListPosition(), 2);
    EXPECT_EQ(image.timeOutTimer(), 6);
}

TEST(RadioImage, DefaultSettingsLeaveFrequenciesTonesDtmfBandAndUnnamedBits) {
    RadioImage image;
    image.setRxFreq(3, {0x00, 0x25, 0x51, 0x43});
    image.setRxTone(3, {0x70, 0x06});
    image.setDtmfDigits({1, 2, 3, 0xFF, 0xFF});
    image.setBandCode(0xF8);
    image.setChannelFlags(4, 0x00);
    image[0x3C0] = 0x04; // bit 2 is not a field
    image[0x3C7] = 0x00;
    image[0x200] = 0x12;
    image.DefaultSettings();
    EXPECT_EQ(image.rxFreq(3), (FreqBcd{0x00, 0x25, 0x51, 0x43}));
    EXPECT_EQ(image.rxTone(3), (ToneWord{0x70, 0x06}));
    EXPECT_EQ(image.dtmfDigits(), (DtmfBytes{1, 2, 3, 0xFF, 0xFF}));
    EXPECT_EQ(image.bandCode(), 0xF8);
    EXPECT_EQ(image.channelFlags(4), 0x0B); // bits 5-7 kept clear
    EXPECT_EQ(image[0x3C0], 0x06);
    EXPECT_EQ(image[0x3C7], 0x00);
    EXPECT_EQ(image[0x200], 0x12);
}

TEST(RadioImage, EachFlagSetterTouchesOnlyItsBitForEveryByte) {
    struct Flag {
        int bit;
        std::function<int(const RadioImage&)> get;
        std::function<void(RadioImage&, int)> set;
    };
    const Flag flags[] = {
        {0, [](const RadioImage& i) { return i.busyLockOutOff(5); },
         [](RadioImage& i, int v) { i.setBusyLockOutOff(5, v); }},
        {1, [](const RadioImage& i) { return i.scramblerOff(5); },
         [](RadioImage& i, int v) { i.setScramblerOff(5, v); }},
        {2, [](const RadioImage& i) { return i.narrow(5); },
         [](RadioImage& i, int v) { i.setNarrow(5, v); }},
        {3, [](const RadioImage& i) { return i.highPower(5); },
         [](RadioImage& i, int v) { i.setHighPower(5, v); }},
        {4, [](const RadioImage& i) { return i.scanAddOff(5); },
         [](RadioImage& i, int v) { i.setScanAddOff(5, v); }},
    };
    for (const Flag& f : flags) {
        const int mask = 1 << f.bit;
        for (int b = 0; b < 256; ++b) {
            RadioImage image;
            image.setChannelFlags(5, static_cast<std::uint8_t>(b));
            ASSERT_EQ(f.get(image), (b >> f.bit) & 1);
            f.set(image, 7); // any non-zero value sets
            ASSERT_EQ(image.channelFlags(5), b | mask) << "bit " << f.bit << " byte " << b;
            f.set(image, 0);
            ASSERT_EQ(image.channelFlags(5), b & ~mask) << "bit " << f.bit << " byte " << b;
            ASSERT_EQ(image.channelFlags(4), 0xFF); // neighbours untouched
            ASSERT_EQ(image.channelFlags(6), 0xFF);
        }
    }
    RadioImage image;
    image.setChannelFlags(1, 0x00);
    image.setNarrow(1, 1);
    EXPECT_EQ(image.channelFlags(1), 0x04);
    image.setChannelFlags(1, 0xFF);
    image.setHighPower(1, 0);
    EXPECT_EQ(image.channelFlags(1), 0xF7);
}

TEST(RadioImage, ByteSettingsClampOnReadAndStoreRawValues) {
    struct Field {
        std::size_t offset;
        int top;
        std::function<int(const RadioImage&)> get;
        std::function<void(RadioImage&, int)> set;
    };
    const Field fields[] = {
        {0x2B1, 1, &RadioImage::voiceAnnunciation, &RadioImage::setVoiceAnnunciation},
        {0x2B4, 4, &RadioImage::voxLevel, &RadioImage::setVoxLevel},
        {0x3C1, 9, &RadioImage::squelchLevel, &RadioImage::setSquelchLevel},
        {0x3C2, 3, &RadioImage::sideKey1, &RadioImage::setSideKey1},
        {0x3C3, 10, &RadioImage::timeOutTimer, &RadioImage::setTimeOutTimer},
        {0x3C5, 3, &RadioImage::sideKey2, &RadioImage::setSideKey2},
        {0x3C6, 210, &RadioImage::fmRadioFreq, &RadioImage::setFmRadioFreq},
    };
    for (const Field& f : fields) {
        for (int v = 0; v < 256; ++v) {
            RadioImage image;
            f.set(image, v + 0x300); // only the low eight bits are stored
            ASSERT_EQ(image[f.offset], v);
            ASSERT_EQ(f.get(image), std::min(v, f.top)) << std::hex << f.offset;
        }
    }
    const Field onOff[] = {
        {0x2B0, 1, &RadioImage::voiceFunction, &RadioImage::setVoiceFunction},
        {0x2B2, 1, &RadioImage::scanFunction, &RadioImage::setScanFunction},
        {0x2B3, 1, &RadioImage::voxFunction, &RadioImage::setVoxFunction},
        {0x2B9, 1, &RadioImage::fmRadioFunction, &RadioImage::setFmRadioFunction},
    };
    for (const Field& f : onOff) {
        for (int v = 0; v < 256; ++v) {
            RadioImage image;
            image[f.offset] = static_cast<std::uint8_t>(v);
            ASSERT_EQ(f.get(image), v != 0 ? 1 : 0);
        }
    }
}

TEST(RadioImage, SettingBitsKeepTheRestOfTheirByte) {
    for (int b = 0; b < 256; ++b) {
        RadioImage image;
        image[0x3C0] = static_cast<std::uint8_t>(b);
        image[0x3C7] = static_cast<std::uint8_t>(b);
        ASSERT_EQ(image.beep(), b & 1);
        ASSERT_EQ(image.batterySave(), (b >> 1) & 1);
        ASSERT_EQ(image.scanMode(), b & 1);
        image.setBeep(0);
        image.setBatterySave(3);
        image.setScanMode(1);
        ASSERT_EQ(image[0x3C0], (b & ~1) | 2);
        ASSERT_EQ(image[0x3C7], b | 1);
    }
}

TEST(RadioImage, ChannelFieldsLiveAtTheirRecordOffsets) {
    RadioImage image;
    image.setRxFreq(1, {1, 2, 3, 4});
    image.setTxFreq(16, {5, 6, 7, 8});
    image.setRxTone(2, {9, 10});
    image.setTxTone(2, {11, 12});
    EXPECT_EQ(image[0x010], 1);
    EXPECT_EQ(image[0x013], 4);
    EXPECT_EQ(image[0x104], 5);
    EXPECT_EQ(image[0x107], 8);
    EXPECT_EQ(image[0x028], 9);
    EXPECT_EQ(image[0x02B], 12);
    EXPECT_EQ(image[0x000], 0xFF); // record slot 0 untouched
    const ChannelRecord r = image.channel(2);
    EXPECT_EQ(r.rxTone, (ToneWord{9, 10}));
    EXPECT_EQ(r.txTone, (ToneWord{11, 12}));

    image.setDtmfDigits({1, 2, 3, 4, 5});
    EXPECT_EQ(image[0x3C8], 1);
    EXPECT_EQ(image[0x3CC], 5);
    EXPECT_EQ(image[0x3CD], 0xFF);
}

TEST(RadioImage, EmptinessTestsLookOnlyAtByteThree) {
    RadioImage image;
    image.setRxFreq(1, {0xFF, 0xFF, 0xFF, 0x99});
    EXPECT_FALSE(image.isRxEmpty(1));
    EXPECT_TRUE(image.isRxOrTxEmpty(1));
    image.setTxFreq(1, {0x00, 0x00, 0x00, 0x9A});
    EXPECT_TRUE(image.isRxOrTxEmpty(1));
    image.setTxFreq(1, {0x00, 0x00, 0x00, 0x00});
    EXPECT_FALSE(image.isRxOrTxEmpty(1));
    EXPECT_FALSE(image.freqsEqual(1));
    image.setRxFreq(1, {0x00, 0x00, 0x00, 0x9A});
    EXPECT_TRUE(image.isRxEmpty(1));
}
