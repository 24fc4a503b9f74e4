#include "core/model/RadioImage.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace orvik {

namespace {

constexpr std::size_t RxFreqField = 0;
constexpr std::size_t TxFreqField = 4;
constexpr std::size_t RxToneField = 8;
constexpr std::size_t TxToneField = 10;
constexpr std::size_t FlagsField = 12;

constexpr FrequencyLimits DefaultLimits{40000000, 47000000};

} // namespace

FrequencyLimits LimitsForBandCode(std::uint8_t code) {
    switch (code) {
    case 0xF5:
        return {47000000, 49000000};
    case 0xF6:
        return {49000000, 51200000};
    case 0xF4:
        return {40000000, 47000000};
    case 0xF8:
        return {13600000, 17400000};
    case 0xF9:
    case 0xFA:
        return {13600000, 47000000};
    case 0xF7:
        return {24500000, 24600000};
    default:
        return DefaultLimits;
    }
}

int BandListPositionOf(std::uint8_t code) {
    for (std::size_t i = 0; i < BandCodes.size(); ++i)
        if (BandCodes[i] == code)
            return static_cast<int>(i);
    return 2;
}

ChannelRecord RadioImage::channel(int n) const {
    ChannelRecord r;
    std::memcpy(&r, bytes.data() + channelOffset(n), sizeof r);
    return r;
}

namespace {

template <std::size_t N> std::array<std::uint8_t, N> copyOut(const std::uint8_t* p) {
    std::array<std::uint8_t, N> a;
    std::copy(p, p + N, a.begin());
    return a;
}

} // namespace

FreqBcd RadioImage::rxFreq(int n) const {
    assert(n >= 1 && n <= ChannelCount);
    return copyOut<4>(bytes.data() + channelOffset(n) + RxFreqField);
}
FreqBcd RadioImage::txFreq(int n) const {
    assert(n >= 1 && n <= ChannelCount);
    return copyOut<4>(bytes.data() + channelOffset(n) + TxFreqField);
}
void RadioImage::setRxFreq(int n, const FreqBcd& f) {
    assert(n >= 1 && n <= ChannelCount);
    std::copy(f.begin(), f.end(), bytes.begin() + channelOffset(n) + RxFreqField);
}
void RadioImage::setTxFreq(int n, const FreqBcd& f) {
    assert(n >= 1 && n <= ChannelCount);
    std::copy(f.begin(), f.end(), bytes.begin() + channelOffset(n) + TxFreqField);
}
ToneWord RadioImage::rxTone(int n) const {
    assert(n >= 1 && n <= ChannelCount);
    return copyOut<2>(bytes.data() + channelOffset(n) + RxToneField);
}
ToneWord RadioImage::txTone(int n) const {
    assert(n >= 1 && n <= ChannelCount);
    return copyOut<2>(bytes.data() + channelOffset(n) + TxToneField);
}
void RadioImage::setRxTone(int n, const ToneWord& t) {
    assert(n >= 1 && n <= ChannelCount);
    std::copy(t.begin(), t.end(), bytes.begin() + channelOffset(n) + RxToneField);
}
void RadioImage::setTxTone(int n, const ToneWord& t) {
    assert(n >= 1 && n <= ChannelCount);
    std::copy(t.begin(), t.end(), bytes.begin() + channelOffset(n) + TxToneField);
}
std::uint8_t RadioImage::channelFlags(int n) const {
    assert(n >= 1 && n <= ChannelCount);
    return bytes[channelOffset(n) + FlagsField];
}
void RadioImage::setChannelFlags(int n, std::uint8_t flags) {
    assert(n >= 1 && n <= ChannelCount);
    bytes[channelOffset(n) + FlagsField] = flags;
}

bool RadioImage::isRxEmpty(int n) const {
    return rxFreq(n)[3] > 0x99;
}

bool RadioImage::isRxOrTxEmpty(int n) const {
    return isRxEmpty(n) || txFreq(n)[3] > 0x99;
}

bool RadioImage::freqsEqual(int n) const {
    return rxFreq(n) == txFreq(n);
}

bool RadioImage::tonesEqual(int n) const {
    return rxTone(n) == txTone(n);
}

int RadioImage::flagBit(int n, int bit) const {
    return (channelFlags(n) >> bit) & 1;
}

void RadioImage::setFlagBit(int n, int bit, int v) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    const std::uint8_t f = channelFlags(n);
    setChannelFlags(n, v != 0 ? static_cast<std::uint8_t>(f | mask)
                              : static_cast<std::uint8_t>(f & ~mask));
}

void RadioImage::storeBit(std::size_t off, int bit, int v) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    bytes[off] = v != 0 ? static_cast<std::uint8_t>(bytes[off] | mask)
                        : static_cast<std::uint8_t>(bytes[off] & ~mask);
}

void RadioImage::setDefaultChannelFlags(int n) {
    setBusyLockOutOff(n, 1);
    setNarrow(n, 0);
    setHighPower(n, 1);
    setScanAddOff(n, 0);
    setScramblerOff(n, 1);
}

DtmfBytes RadioImage::dtmfDigits() const {
    return copyOut<5>(bytes.data() + DtmfOffset);
}

void RadioImage::setDtmfDigits(const DtmfBytes& digits) {
    std::copy(digits.begin(), digits.end(), bytes.begin() + DtmfOffset);
}

void RadioImage::selectBand(int position, FrequencyLimits& limits) {
    if (position >= 0 && position < static_cast<int>(BandCodes.size()))
        setBandCode(BandCodes[static_cast<std::size_t>(position)]);
    limits = recomputeLimits(*this);
    DefaultSettings();
}

void RadioImage::DefaultSettings() {
    bytes[Reserved3D1Offset] = 0x00;
    bytes[Reserved3D0Offset] = 0x00;
    static constexpr std::uint8_t modelTag[5] = {0x35, 0x39, 0x32, 0x38, 0x4B}; // "5928K"
    std::copy(std::begin(modelTag), std::end(modelTag), bytes.begin() + ModelTagOffset);

    for (int n = 1; n <= ChannelCount; ++n)
        setDefaultChannelFlags(n);

    setBeep(0);
    setBatterySave(1);
    setVoiceAnnunciation(1);
    setSquelchLevel(3);
    setSideKey1(0);
    setSideKey2(0);
    setTimeOutTimer(6);
    setFmRadioFreq(0);
    setScanMode(0);
    setVoiceFunction(0);
    setScanFunction(0);
    setFmRadioFunction(0);
    setVoxFunction(0);
    setVoxLevel(0);
}

FrequencyLimits recomputeLimits(const RadioImage& image) {
    return LimitsForBandCode(image.bandCode());
}

RadioImage MakeDefaultImage() {
    RadioImage image;
    FrequencyLimits limits{};
    image.selectBand(2, limits);
    return image;
}

} // namespace orvik
