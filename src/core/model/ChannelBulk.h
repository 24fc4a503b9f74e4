#pragma once
// Changes of several channels at once: the same fields given to a set of channels, the channels
// sorted, and frequencies filled in steps. Each goes through the channel table's commit rules,
// so a value is adjusted (and reported) exactly as if it had been typed into its cell.

#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// The fields to give every channel of a set; a field without a value is left alone.
struct ChannelEdit {
    std::optional<std::string> rxTone; // a tone as typed ("88.5", "D023N", the off word)
    std::optional<std::string> txTone;
    // Option columns 5..9 (scan add, bandwidth, power, busy lock, scrambler) by column: the list
    // position, 0 or 1.
    std::array<std::optional<int>, ChannelColumnCount> options{};

    bool empty() const;
};

// A value a commit stored otherwise than given, in channel n, column c.
struct BulkNote {
    int channel = 0;
    int column = 0;
    CommitNote note;
};

// Gives the fields to each channel of `channels` that is in use (an empty channel has no tones or
// options to set); a transmit tone only where a transmit frequency is set. The receive tone
// first, so a transmit tone that followed it can still be given its own value. True when the
// document became modified.
bool EditChannels(RadioImage& image, std::span<const int> channels, const ChannelEdit& edit,
                  const std::string& offText, std::vector<BulkNote>& notes);

enum class SortKey { RxFrequency, TxFrequency, RxTone, TxTone };

// Rearranges the 16 channels by the key, lowest first; channels without the value (no transmit
// frequency, an off tone sorts first among tones) keep their order among themselves, and empty
// channels go last. True when the order changed.
bool SortChannels(RadioImage& image, SortKey key);

// Frequencies for a set of channels: the k-th channel of `channels` receives start + k * step;
// with an offset its transmit frequency is then the stored receive frequency plus the offset.
// Values in 10 Hz units; both commits go through the frequency rules (band limits, raster).
struct FrequencyFill {
    std::int32_t start = 0;
    std::int32_t step = 0;
    std::optional<std::int32_t> offset;
};
bool FillFrequencies(RadioImage& image, const FrequencyLimits& limits,
                     std::span<const int> channels, const FrequencyFill& fill,
                     std::vector<BulkNote>& notes);

// How many of the 16 channels hold a receive frequency.
int ChannelsInUse(const RadioImage& image);

// A frequency in MHz ("446.00625", "-5", "+0.6") as 10 Hz units: an optional sign, digits, an
// optional point with at most five decimals; nothing else.
std::optional<std::int32_t> ParseMegahertz(std::string_view text);
// "START:STEP[:OFFSET]" in MHz; the step must be above zero.
std::optional<FrequencyFill> ParseFill(std::string_view text);
// A set of channels as "1-8,12": numbers and ranges of 1..16, in the order given, each once.
std::optional<std::vector<int>> ParseChannelSet(std::string_view text);

} // namespace orvik
