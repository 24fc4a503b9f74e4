#pragma once
// The radio's 4096-byte memory image and its field accessors. The byte layout is the radio's
// own: every offset, bit and clamp here is a format fact. Getters never return a value outside
// their list's range; setters store what they are given; bit setters touch only their own bit.

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvik {

// Inclusive frequency limits of the current band, in 10 Hz units.
struct FrequencyLimits {
    std::int32_t low;
    std::int32_t high;
    bool operator==(const FrequencyLimits&) const = default;
};

// Packed-decimal frequency, least significant byte first, 10 Hz units; empty when byte 3 > 0x99.
using FreqBcd = std::array<std::uint8_t, 4>;
// Tone word: byte 1 0xFF = off; bit 7 clear = CTCSS (BCD tenths of Hz); bit 7 set = DCS
// (bit 6 = inverted, low nibble = first octal digit, byte 0 = second and third digits).
using ToneWord = std::array<std::uint8_t, 2>;
// The five DTMF digit bytes at 0x3C8.
using DtmfBytes = std::array<std::uint8_t, 5>;

inline constexpr FreqBcd EmptyFreq{0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr ToneWord ToneOff{0xFF, 0xFF};

// Layout of one 16-byte channel record (channel n at image offset 16 * n).
struct ChannelRecord {
    FreqBcd rxFreq;
    FreqBcd txFreq;
    ToneWord rxTone;
    ToneWord txTone;
    std::uint8_t channelFlags;
    std::uint8_t unused[3];
};
static_assert(sizeof(ChannelRecord) == 16);

inline constexpr int ChannelCount = 16;
// Band codes of list positions 0 to 5.
inline constexpr std::array<std::uint8_t, 6> BandCodes{0xF5, 0xF6, 0xF4, 0xF8, 0xF9, 0xFA};
// Limits of a band code; unknown codes get 400 to 470 MHz.
FrequencyLimits LimitsForBandCode(std::uint8_t code);
// List position of a band code; 0xF7 and unknown codes are shown at position 2.
int BandListPositionOf(std::uint8_t code);

class RadioImage {
public:
    static constexpr std::size_t Size = 4096;

    // Field offsets.
    static constexpr std::size_t VoiceFunctionOffset = 0x2B0;
    static constexpr std::size_t VoiceAnnunciationOffset = 0x2B1;
    static constexpr std::size_t ScanFunctionOffset = 0x2B2;
    static constexpr std::size_t VoxFunctionOffset = 0x2B3;
    static constexpr std::size_t VoxLevelOffset = 0x2B4;
    static constexpr std::size_t FmRadioFunctionOffset = 0x2B9;
    static constexpr std::size_t BeepBatteryOffset = 0x3C0;
    static constexpr std::size_t SquelchLevelOffset = 0x3C1;
    static constexpr std::size_t SideKey1Offset = 0x3C2;
    static constexpr std::size_t TimeOutTimerOffset = 0x3C3;
    static constexpr std::size_t SideKey2Offset = 0x3C5;
    static constexpr std::size_t FmRadioFreqOffset = 0x3C6;
    static constexpr std::size_t ScanModeOffset = 0x3C7;
    static constexpr std::size_t DtmfOffset = 0x3C8;
    static constexpr std::size_t Reserved3D0Offset = 0x3D0;
    static constexpr std::size_t Reserved3D1Offset = 0x3D1;
    static constexpr std::size_t BandCodeOffset = 0x3D2;
    static constexpr std::size_t ModelTagOffset = 0x3D3;

    // A cleared image: every byte 0xFF.
    RadioImage() { clear(); }

    void clear() { bytes.fill(0xFF); }
    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }
    std::uint8_t& operator[](std::size_t offset) { return bytes[offset]; }
    std::uint8_t operator[](std::size_t offset) const { return bytes[offset]; }
    bool operator==(const RadioImage&) const = default;

    // Channel n = 1..16 (not range-checked beyond an assertion).
    static std::size_t channelOffset(int n) { return static_cast<std::size_t>(n) * 16; }
    ChannelRecord channel(int n) const;

    FreqBcd rxFreq(int n) const;
    FreqBcd txFreq(int n) const;
    void setRxFreq(int n, const FreqBcd& f);
    void setTxFreq(int n, const FreqBcd& f);
    ToneWord rxTone(int n) const;
    ToneWord txTone(int n) const;
    void setRxTone(int n, const ToneWord& t);
    void setTxTone(int n, const ToneWord& t);
    std::uint8_t channelFlags(int n) const;
    void setChannelFlags(int n, std::uint8_t flags);

    bool isRxEmpty(int n) const;
    bool isRxOrTxEmpty(int n) const;
    bool freqsEqual(int n) const;
    bool tonesEqual(int n) const;

    // Channel flag bits (0 or 1); a non-zero argument sets, zero clears. Bit 0: busy channel
    // lock-out off (table column 8), bit 1: scrambler off (column 9), bit 2: narrow band,
    // bit 3: high power, bit 4: scan add off (column 5).
    int busyLockOutOff(int n) const { return flagBit(n, 0); }
    int scramblerOff(int n) const { return flagBit(n, 1); }
    int narrow(int n) const { return flagBit(n, 2); }
    int highPower(int n) const { return flagBit(n, 3); }
    int scanAddOff(int n) const { return flagBit(n, 4); }
    void setBusyLockOutOff(int n, int v) { setFlagBit(n, 0, v); }
    void setScramblerOff(int n, int v) { setFlagBit(n, 1, v); }
    void setNarrow(int n, int v) { setFlagBit(n, 2, v); }
    void setHighPower(int n, int v) { setFlagBit(n, 3, v); }
    void setScanAddOff(int n, int v) { setFlagBit(n, 4, v); }
    // The flags of a new channel: busy channel lock-out and scrambler off, wide band, high
    // power, scan add on; bits 5-7 kept.
    void setDefaultChannelFlags(int n);

    // Settings. On/off getters return 1 for any non-zero byte; byte getters clamp.
    int voiceFunction() const { return onOff(VoiceFunctionOffset); }
    int voiceAnnunciation() const { return clamped(VoiceAnnunciationOffset, 1); }
    int scanFunction() const { return onOff(ScanFunctionOffset); }
    int voxFunction() const { return onOff(VoxFunctionOffset); }
    int voxLevel() const { return clamped(VoxLevelOffset, 4); }
    int fmRadioFunction() const { return onOff(FmRadioFunctionOffset); }
    int beep() const { return bytes[BeepBatteryOffset] & 1; }
    int batterySave() const { return (bytes[BeepBatteryOffset] >> 1) & 1; }
    int squelchLevel() const { return clamped(SquelchLevelOffset, 9); }
    int sideKey1() const { return clamped(SideKey1Offset, 3); }
    int timeOutTimer() const { return clamped(TimeOutTimerOffset, 10); }
    int sideKey2() const { return clamped(SideKey2Offset, 3); }
    int fmRadioFreq() const { return clamped(FmRadioFreqOffset, 210); }
    int scanMode() const { return bytes[ScanModeOffset] & 1; }

    // Byte setters store the low eight bits; bit setters set for non-zero, clear for zero.
    void setVoiceFunction(int v) { storeByte(VoiceFunctionOffset, v); }
    void setVoiceAnnunciation(int v) { storeByte(VoiceAnnunciationOffset, v); }
    void setScanFunction(int v) { storeByte(ScanFunctionOffset, v); }
    void setVoxFunction(int v) { storeByte(VoxFunctionOffset, v); }
    void setVoxLevel(int v) { storeByte(VoxLevelOffset, v); }
    void setFmRadioFunction(int v) { storeByte(FmRadioFunctionOffset, v); }
    void setBeep(int v) { storeBit(BeepBatteryOffset, 0, v); }
    void setBatterySave(int v) { storeBit(BeepBatteryOffset, 1, v); }
    void setSquelchLevel(int v) { storeByte(SquelchLevelOffset, v); }
    void setSideKey1(int v) { storeByte(SideKey1Offset, v); }
    void setTimeOutTimer(int v) { storeByte(TimeOutTimerOffset, v); }
    void setSideKey2(int v) { storeByte(SideKey2Offset, v); }
    void setFmRadioFreq(int v) { storeByte(FmRadioFreqOffset, v); }
    void setScanMode(int v) { storeBit(ScanModeOffset, 0, v); }

    DtmfBytes dtmfDigits() const;
    void setDtmfDigits(const DtmfBytes& digits);

    std::uint8_t reserved3D0() const { return bytes[Reserved3D0Offset]; }
    std::uint8_t reserved3D1() const { return bytes[Reserved3D1Offset]; }
    std::uint8_t bandCode() const { return bytes[BandCodeOffset]; }
    void setBandCode(std::uint8_t code) { bytes[BandCodeOffset] = code; }

    // List position of the current bandCode (0xF7 and unknown codes: 2).
    int bandListPosition() const { return BandListPositionOf(bandCode()); }
    // Stores the band code of `position` (positions outside 0..5 store nothing), recomputes
    // `limits`, then applies DefaultSettings.
    void selectBand(int position, FrequencyLimits& limits);
    // Default settings, reserved bytes, model tag and the default flags of all 16 channels;
    // frequencies, tones, DTMF digits and the band code are not touched.
    void DefaultSettings();

private:
    int flagBit(int n, int bit) const;
    void setFlagBit(int n, int bit, int v);
    int onOff(std::size_t off) const { return bytes[off] != 0 ? 1 : 0; }
    int clamped(std::size_t off, int top) const { return bytes[off] > top ? top : bytes[off]; }
    void storeByte(std::size_t off, int v) { bytes[off] = static_cast<std::uint8_t>(v & 0xFF); }
    void storeBit(std::size_t off, int bit, int v);

    std::array<std::uint8_t, Size> bytes;
};

// Limits of the image's current band code.
FrequencyLimits recomputeLimits(const RadioImage& image);

// The image of File New: cleared, band code 0xF4, DefaultSettings.
RadioImage MakeDefaultImage();

} // namespace orvik
