#pragma once
// Conversions between image fields and the texts the user sees and types: frequencies (with
// range check and channel-grid snapping), tones, DTMF digits, the settings list texts and the
// tone tables. Every function is pure and safe for any input text.

#include "core/model/RadioImage.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// ---- Frequencies (10 Hz units) ----

// "%x%x.%x%02x%02x" of the bytes, e.g. 00 25 51 43 -> "435.12500"; "" when byte 3 > 0x99.
std::string FreqToText(const FreqBcd& f);
// MHz text to 10 Hz units, digits past the fifth decimal cut; leading blanks and a sign allowed,
// parsing stops at the first non-digit; overflow saturates at the 32-bit limits.
std::int32_t NormaliseFreqText(std::string_view text);
// Snap to the 6.25 kHz or the 5 kHz channel grid.
std::int32_t SnapToChannelGrid(std::int32_t v);
// Packs a value as eight BCD digits; values outside 0..99999999 are clamped into it.
FreqBcd FreqValueToBcd(std::int32_t v);
// Empty text -> EmptyFreq; otherwise normalised, snapped and packed.
FreqBcd TextToFreq(std::string_view text);
// +1 above the high limit, -1 below the low limit, 0 inside or for an empty text.
int FreqRangeCheck(std::string_view text, const FrequencyLimits& limits);
// The low (sign < 0) or high (sign > 0) limit as "%03d.%05d".
std::string LimitText(const FrequencyLimits& limits, int sign);
// "%03d.%05d" of a value in 10 Hz units.
std::string FreqValueText(std::int32_t v);
// False when the bytes hold a nibble that is no decimal digit, so that no frequency can be
// read from them; an empty field (byte 3 > 0x99) counts as valid.
bool FreqIsValid(const FreqBcd& f);

// ---- Fields that hold no valid value ----

// The bytes in image order as "[46 00 6D A0]".
std::string BytesText(const std::uint8_t* bytes, std::size_t count);

// ---- Tones ----

// offText for an off tone, "D023N"/"D754I" for DCS, "67.0" style for CTCSS.
std::string ToneToText(const ToneWord& t, const std::string& offText);
// Empty or unrecognised first character -> off; "D..." -> DCS (23 80 when malformed);
// digit -> CTCSS clamped to 67.0..254.1 Hz.
ToneWord TextToTone(std::string_view text);
// False when the word is no tone: a CTCSS value with a nibble that is no decimal digit, or a
// DCS code with a digit that is not octal or stray bits; off is valid.
bool ToneIsValid(const ToneWord& t);

// The three tone tables: 8-byte NUL-padded texts, in table order.
using ToneEntry = std::array<char, 8>;
extern const std::array<ToneEntry, 51> CtcssTable;
extern const std::array<ToneEntry, 105> DcsNormalTable;
extern const std::array<ToneEntry, 105> DcsInvertedTable;
// Text of a table entry (up to its first NUL).
std::string ToneEntryText(const ToneEntry& e);
// The 262-entry tone list: offText, 51 CTCSS, 105 normal DCS, 105 inverted DCS.
std::vector<std::string> ToneListTexts(const std::string& offText);

// ---- DTMF ----

// Values 0-9 -> "0"-"9", 10-13 -> "A"-"D"; the first value >= 14 ends the text.
std::string DtmfToText(const DtmfBytes& digits);
// Up to five digits; the first other character (or the end) and all after it become 0xFF.
DtmfBytes TextToDtmf(std::string_view text);

// ---- Settings lists (position -> text) ----

std::vector<std::string> SquelchTexts();                           // "0".."9"
std::vector<std::string> TimeOutTexts(const std::string& offText); // off, "30".."300"
std::vector<std::string> VoxLevelTexts();                          // "1".."5"
std::vector<std::string> FmRadioTexts();                           // "87M0".."107M9","108M0"

} // namespace orvik
