#include "core/model/ChannelBulk.h"

#include "core/model/Codecs.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace orvik {

bool ChannelEdit::empty() const {
    return !rxTone && !txTone && std::none_of(options.begin(), options.end(), [](const auto& o) {
        return o.has_value();
    });
}

namespace {
// The bit an option column shows (its list position).
int optionBit(const RadioImage& image, int n, int column) {
    switch (column) {
    case ColScanAdd:
        return image.scanAddOff(n);
    case ColNarrow:
        return image.narrow(n);
    case ColHighPower:
        return image.highPower(n);
    case ColBusyLockOut:
        return image.busyLockOutOff(n);
    default:
        return image.scramblerOff(n);
    }
}
} // namespace

bool EditChannels(RadioImage& image, std::span<const int> channels, const ChannelEdit& edit,
                  const std::string& offText, std::vector<BulkNote>& notes) {
    bool modified = false;
    auto noteOf = [&notes](int n, int column, const CommitNote& note) {
        if (note.what != Adjustment::None)
            notes.push_back({n, column, note});
    };
    for (int n : channels) {
        if (n < 1 || n > ChannelCount || image.isRxEmpty(n))
            continue;
        CommitNote note;
        if (edit.rxTone) {
            modified |= CommitToneNoted(image, n, true, *edit.rxTone, offText, note);
            noteOf(n, ColRxTone, note);
        }
        if (edit.txTone && !image.isRxOrTxEmpty(n)) {
            modified |= CommitToneNoted(image, n, false, *edit.txTone, offText, note);
            noteOf(n, ColTxTone, note);
        }
        for (int c = ColScanAdd; c < ChannelColumnCount; ++c) {
            const std::optional<int>& position = edit.options[static_cast<std::size_t>(c)];
            if (position && (*position == 0 || *position == 1) &&
                optionBit(image, n, c) != *position)
                modified |= SelectOption(image, n, c, *position);
        }
    }
    return modified;
}

namespace {

// The value a channel sorts by; absent when it has none (no transmit frequency).
std::optional<std::int64_t> sortValue(const RadioImage& image, int n, SortKey key) {
    switch (key) {
    case SortKey::RxFrequency:
    case SortKey::TxFrequency: {
        const FreqBcd f = key == SortKey::RxFrequency ? image.rxFreq(n) : image.txFreq(n);
        const std::string text = FreqToText(f);
        if (text.empty())
            return std::nullopt;
        return NormaliseFreqText(text);
    }
    case SortKey::RxTone:
    case SortKey::TxTone: {
        const ToneWord t = key == SortKey::RxTone ? image.rxTone(n) : image.txTone(n);
        if (t[1] == 0xFF)
            return 0; // off first
        // CTCSS by frequency (BCD keeps the order), then normal DCS, then inverted DCS, each by
        // code.
        const bool dcs = t[1] & 0x80;
        const int kind = !dcs ? 1 : (t[1] & 0x40) ? 3 : 2;
        const int value = ((dcs ? t[1] & 0x0F : t[1]) << 8) | t[0];
        return (std::int64_t(kind) << 16) | value;
    }
    }
    return std::nullopt;
}

} // namespace

bool SortChannels(RadioImage& image, SortKey key) {
    std::vector<int> order;
    for (int n = 1; n <= ChannelCount; ++n)
        order.push_back(n);
    // Used channels with a value, used channels without one, empty channels; stable.
    auto rank = [&](int n) {
        if (image.isRxEmpty(n))
            return std::pair<int, std::int64_t>{2, 0};
        const std::optional<std::int64_t> v = sortValue(image, n, key);
        return v ? std::pair<int, std::int64_t>{0, *v} : std::pair<int, std::int64_t>{1, 0};
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    if (std::is_sorted(order.begin(), order.end()))
        return false;
    std::vector<ChannelRecord> records;
    for (int n : order)
        records.push_back(image.channel(n));
    for (int n = 1; n <= ChannelCount; ++n)
        std::memcpy(image.data() + RadioImage::channelOffset(n),
                    &records[static_cast<std::size_t>(n - 1)], sizeof(ChannelRecord));
    return true;
}

bool FillFrequencies(RadioImage& image, const FrequencyLimits& limits,
                     std::span<const int> channels, const FrequencyFill& fill,
                     std::vector<BulkNote>& notes) {
    bool modified = false;
    std::int64_t value = fill.start;
    for (int n : channels) {
        if (n < 1 || n > ChannelCount)
            continue;
        const std::int64_t clamped = std::clamp<std::int64_t>(value, 0, 99999999);
        CommitNote note;
        modified |= CommitFrequencyNoted(image, limits, n, true,
                                         FreqValueText(std::int32_t(clamped)), note);
        if (note.what != Adjustment::None)
            notes.push_back({n, ColRxFreq, note});
        if (fill.offset) {
            const std::int64_t tx = std::clamp<std::int64_t>(
                NormaliseFreqText(FreqToText(image.rxFreq(n))) + *fill.offset, 0, 99999999);
            modified |= CommitFrequencyNoted(image, limits, n, false,
                                             FreqValueText(std::int32_t(tx)), note);
            if (note.what != Adjustment::None)
                notes.push_back({n, ColTxFreq, note});
        }
        value += fill.step;
    }
    return modified;
}

int ChannelsInUse(const RadioImage& image) {
    int used = 0;
    for (int n = 1; n <= ChannelCount; ++n)
        used += image.isRxEmpty(n) ? 0 : 1;
    return used;
}

std::optional<std::int32_t> ParseMegahertz(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t units = 0;
    int digits = 0;
    int decimals = -1; // -1: no point yet
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)) || decimals >= 5)
            return std::nullopt;
        units = units * 10 + (c - '0');
        ++digits;
        if (decimals >= 0)
            ++decimals;
        if (units > 100000000000LL)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    for (int d = std::max(decimals, 0); d < 5; ++d)
        units *= 10;
    if (units > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(negative ? -units : units);
}

std::optional<FrequencyFill> ParseFill(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(':', from)) != std::string_view::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    FrequencyFill fill;
    const auto start = ParseMegahertz(parts[0]);
    const auto step = ParseMegahertz(parts[1]);
    if (!start || *start < 0 || !step || *step <= 0)
        return std::nullopt;
    fill.start = *start;
    fill.step = *step;
    if (parts.size() == 3) {
        fill.offset = ParseMegahertz(parts[2]);
        if (!fill.offset)
            return std::nullopt;
    }
    return fill;
}

std::optional<std::vector<int>> ParseChannelSet(std::string_view text) {
    std::vector<int> channels;
    auto number = [](std::string_view s) -> int {
        if (s.empty() || s.size() > 2)
            return 0;
        int v = 0;
        for (char c : s) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return 0;
            v = v * 10 + (c - '0');
        }
        return v >= 1 && v <= ChannelCount ? v : 0;
    };
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find(',', from);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view item = text.substr(from, end - from);
        const std::size_t dash = item.find('-');
        const int first = number(item.substr(0, dash));
        const int last = dash == std::string_view::npos ? first : number(item.substr(dash + 1));
        if (first == 0 || last == 0 || last < first)
            return std::nullopt;
        for (int n = first; n <= last; ++n)
            if (std::find(channels.begin(), channels.end(), n) == channels.end())
                channels.push_back(n);
        from = end + 1;
    }
    return channels;
}

} // namespace orvik
