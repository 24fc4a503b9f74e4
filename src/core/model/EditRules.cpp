#include "core/model/EditRules.h"

#include "core/lang/FillText.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace orvik {

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

} // namespace

CellTexts LoadCellTexts(LangCatalog& catalog) {
    return CellTexts{catalog.text(lang::IDS_OFF),    catalog.text(lang::IDS_YES),
                     catalog.text(lang::IDS_NO),     catalog.text(lang::IDS_WIDE),
                     catalog.text(lang::IDS_NARROW), catalog.text(lang::IDS_HIGH),
                     catalog.text(lang::IDS_LOW),    catalog.text(lang::IDS_INVALID_VALUE)};
}

bool CommitFrequency(RadioImage& image, const FrequencyLimits& limits, int channel, bool receive,
                     std::string text) {
    const int n = channel;
    const bool wereEqual = image.freqsEqual(n);
    // A field that holds no valid value is shown by its bytes; that text given back changes
    // nothing.
    const FreqBcd shown = receive ? image.rxFreq(n) : image.txFreq(n);
    if (!FreqIsValid(shown) && text.ends_with(BytesText(shown.data(), shown.size())))
        return false;

    const int range = FreqRangeCheck(text, limits);
    if (range != 0)
        text = LimitText(limits, range);

    const FreqBcd current = receive ? image.rxFreq(n) : image.txFreq(n);
    const bool modified = !equalsIgnoringCase(text, FreqToText(current));

    const FreqBcd stored = TextToFreq(text);
    if (receive)
        image.setRxFreq(n, stored);
    else
        image.setTxFreq(n, stored);

    if (text.empty()) {
        image.setTxTone(n, ToneOff);
        if (receive) {
            image.setRxTone(n, ToneOff);
            image.setTxFreq(n, EmptyFreq);
            image.setDefaultChannelFlags(n);
        }
    } else if (receive && wereEqual) {
        image.setTxFreq(n, TextToFreq(FreqToText(image.rxFreq(n))));
    }
    return modified;
}

bool CommitTone(RadioImage& image, int channel, bool receive, const std::string& text,
                const std::string& offText) {
    const int n = channel;
    const bool wereEqual = image.tonesEqual(n);
    const ToneWord current = receive ? image.rxTone(n) : image.txTone(n);
    if (!ToneIsValid(current) && text.ends_with(BytesText(current.data(), current.size())))
        return false;
    const bool modified = !equalsIgnoringCase(text, ToneToText(current, offText));

    // The language's off word is off even where it begins with the DCS letter ("Desactivado").
    const ToneWord stored = equalsIgnoringCase(text, offText) ? ToneOff : TextToTone(text);
    if (receive) {
        image.setRxTone(n, stored);
        if (wereEqual)
            image.setTxTone(n, stored);
    } else {
        image.setTxTone(n, stored);
    }
    return modified;
}

bool SelectOption(RadioImage& image, int channel, int column, int position) {
    switch (column) {
    case ColScanAdd:
        image.setScanAddOff(channel, position);
        break;
    case ColNarrow:
        image.setNarrow(channel, position);
        break;
    case ColHighPower:
        image.setHighPower(channel, position);
        break;
    case ColBusyLockOut:
        image.setBusyLockOutOff(channel, position);
        break;
    case ColScrambler:
        image.setScramblerOff(channel, position);
        break;
    default:
        return false;
    }
    return true;
}

bool CommitDtmf(RadioImage& image, const std::string& text) {
    const DtmfBytes digits = TextToDtmf(text);
    if (digits == image.dtmfDigits())
        return false;
    image.setDtmfDigits(digits);
    return true;
}

bool ChangeBand(HeaderBlock& header, RadioImage& image, FrequencyLimits& limits, int position) {
    if (position == image.bandListPosition())
        return false;
    clearContents(header, image);
    image.selectBand(position, limits);
    return true;
}

bool isCellReadOnly(const RadioImage& image, int channel, int column) {
    switch (column) {
    case ColRxFreq:
        return false;
    case ColRxTone:
    case ColTxFreq:
    case ColScanAdd:
    case ColNarrow:
    case ColHighPower:
    case ColBusyLockOut:
    case ColScrambler:
        return image.isRxEmpty(channel);
    case ColTxTone:
        return image.isRxOrTxEmpty(channel);
    default:
        return true;
    }
}

namespace {

// A field that holds no valid value is shown by its bytes, never as a garbled number.
std::string freqText(const FreqBcd& f, const CellTexts& texts) {
    return FreqIsValid(f) ? FreqToText(f) : texts.invalid + " " + BytesText(f.data(), f.size());
}

std::string toneText(const ToneWord& t, const CellTexts& texts) {
    return ToneIsValid(t) ? ToneToText(t, texts.off)
                          : texts.invalid + " " + BytesText(t.data(), t.size());
}

} // namespace

std::string channelFieldText(const RadioImage& image, int n, int column, const CellTexts& texts) {
    switch (column) {
    case ColRxFreq:
        return freqText(image.rxFreq(n), texts);
    case ColRxTone:
        return toneText(image.rxTone(n), texts);
    case ColTxFreq:
        return freqText(image.txFreq(n), texts);
    case ColTxTone:
        return toneText(image.txTone(n), texts);
    case ColScanAdd:
        return image.scanAddOff(n) ? texts.no : texts.yes;
    case ColNarrow:
        return image.narrow(n) ? texts.narrow : texts.wide;
    case ColHighPower:
        return image.highPower(n) ? texts.high : texts.low;
    case ColBusyLockOut:
        return image.busyLockOutOff(n) ? texts.no : texts.yes;
    case ColScrambler:
        return image.scramblerOff(n) ? texts.no : texts.yes;
    default:
        return {};
    }
}

std::string channelCellText(const RadioImage& image, int channel, int column,
                            const CellTexts& texts) {
    const int n = channel;
    if (column == ColChannel)
        return std::to_string(n);
    // A channel without a receive frequency shows nothing, and its transmit tone too when it
    // has no transmit frequency.
    if (image.isRxEmpty(n) || (column == ColTxTone && image.isRxOrTxEmpty(n)))
        return {};
    return channelFieldText(image, n, column, texts);
}

// ---- What a commit adjusted ----

namespace {

std::string trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

// The value of a frequency text in 10 Hz units, digits past the fifth decimal cut (`cut` tells
// whether a non-zero one was); nullopt when the text is not digits with at most one point.
bool frequencyValue(const std::string& t, std::int64_t& value, bool& cut) {
    std::int64_t whole = 0;
    std::int64_t frac = 0;
    int fracDigits = 0;
    int digits = 0;
    bool point = false;
    cut = false;
    for (char c : t) {
        if (c == '.') {
            if (point)
                return false;
            point = true;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (!point) {
                whole = std::min<std::int64_t>(whole * 10 + (c - '0'), 1000000000);
            } else if (fracDigits < 5) {
                frac = frac * 10 + (c - '0');
                ++fracDigits;
            } else if (c != '0') {
                cut = true;
            }
        } else {
            return false;
        }
    }
    for (; fracDigits < 5; ++fracDigits)
        frac *= 10;
    value = whole * 100000 + frac;
    return digits > 0;
}

std::string mhz(std::int32_t v) {
    std::string s = std::to_string(v / 100000);
    int frac = v % 100000;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%05d", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    return s;
}

// A tone text in a form that compares equal for the same tone: CTCSS in tenths, DCS upper case
// without leading zeros of the code.
std::string toneKey(const std::string& text) {
    std::string t;
    for (char c : text)
        t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!t.empty() && t.front() == 'D') {
        std::size_t i = 1;
        while (i + 1 < t.size() && t[i] == '0')
            ++i;
        return "D" + t.substr(i);
    }
    std::int64_t value = 0;
    bool cut = false;
    // Tenths: the frequency parser counts five decimals.
    if (frequencyValue(t, value, cut))
        return std::to_string(value / 10000) + (cut || value % 10000 != 0 ? "+" : "");
    return t;
}

} // namespace

std::string MendDecimalComma(std::string text) {
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos && text.find('.') == std::string::npos &&
        text.find(',', comma + 1) == std::string::npos)
        text[comma] = '.';
    return text;
}

std::string BandText(const FrequencyLimits& limits) {
    return mhz(limits.low) + "-" + mhz(limits.high) + " MHz";
}

bool CommitFrequencyNoted(RadioImage& image, const FrequencyLimits& limits, int channel,
                          bool receive, const std::string& text, CommitNote& note) {
    note = CommitNote{};
    note.given = text;
    const std::string t = trimBlanks(MendDecimalComma(text));
    std::int64_t value = 0;
    bool cut = false;
    if (!t.empty() && !frequencyValue(t, value, cut)) {
        note.what = Adjustment::NotAFrequency;
        return false;
    }
    const int range = FreqRangeCheck(t, limits);
    const bool modified = CommitFrequency(image, limits, channel, receive, t);
    if (t.empty())
        return modified;
    const FreqBcd stored = receive ? image.rxFreq(channel) : image.txFreq(channel);
    note.stored = FreqToText(stored);
    if (range != 0) {
        note.what = range < 0 ? Adjustment::BelowBand : Adjustment::AboveBand;
        note.band = BandText(limits);
    } else if (cut || NormaliseFreqText(note.stored) != value) {
        note.what = Adjustment::Raster;
    }
    return modified;
}

bool CommitToneNoted(RadioImage& image, int channel, bool receive, const std::string& text,
                     const std::string& offText, CommitNote& note) {
    note = CommitNote{};
    note.given = text;
    const bool modified = CommitTone(image, channel, receive, text, offText);
    const ToneWord stored = receive ? image.rxTone(channel) : image.txTone(channel);
    note.stored = ToneToText(stored, offText);
    const std::string t = trimBlanks(text);
    if (stored[1] == 0xFF) { // off
        if (!t.empty() && !equalsIgnoringCase(t, offText) && !equalsIgnoringCase(t, "off"))
            note.what = Adjustment::ToneUnknown;
        return modified;
    }
    const std::vector<std::string> list = ToneListTexts(offText);
    if (std::find(list.begin(), list.end(), note.stored) == list.end())
        note.what = Adjustment::ToneNotListed;
    else if (toneKey(t) != toneKey(note.stored))
        note.what = Adjustment::ToneChanged;
    return modified;
}

std::string CommitNoteText(const CommitNote& note, const TextLookup& text) {
    const char* key = nullptr;
    switch (note.what) {
    case Adjustment::None:
        return {};
    case Adjustment::NotAFrequency:
        key = lang::IDS_ADJ_NOT_FREQ;
        break;
    case Adjustment::Raster:
        key = lang::IDS_ADJ_RASTER;
        break;
    case Adjustment::BelowBand:
        key = lang::IDS_ADJ_BELOW;
        break;
    case Adjustment::AboveBand:
        key = lang::IDS_ADJ_ABOVE;
        break;
    case Adjustment::ToneUnknown:
        key = lang::IDS_ADJ_TONE_UNKNOWN;
        break;
    case Adjustment::ToneNotListed:
        key = lang::IDS_ADJ_TONE_NOT_LISTED;
        break;
    case Adjustment::ToneChanged:
        key = lang::IDS_ADJ_TONE_CHANGED;
        break;
    }
    return FillText(text(key), {note.given, note.stored, note.band});
}

// ---- Channels as rows ----

bool ClearChannel(RadioImage& image, const FrequencyLimits& limits, int channel) {
    const ChannelRecord before = image.channel(channel);
    CommitFrequency(image, limits, channel, true, "");
    return std::memcmp(&before, image.data() + RadioImage::channelOffset(channel), sizeof before) !=
           0;
}

void InsertEmptyChannel(RadioImage& image, const FrequencyLimits& limits, int channel) {
    if (channel < 1 || channel > ChannelCount)
        return;
    std::uint8_t* base = image.data();
    std::memmove(base + RadioImage::channelOffset(channel + 1),
                 base + RadioImage::channelOffset(channel),
                 sizeof(ChannelRecord) * static_cast<std::size_t>(ChannelCount - channel));
    // An empty record: no frequencies, tones off, the default flags.
    std::memset(base + RadioImage::channelOffset(channel), 0xFF, sizeof(ChannelRecord));
    CommitFrequency(image, limits, channel, true, "");
}

bool MoveChannels(RadioImage& image, int first, int last, int delta) {
    if (first > last || (delta != -1 && delta != 1) || first + delta < 1 ||
        last + delta > ChannelCount)
        return false;
    std::uint8_t* base = image.data();
    const int passed = delta < 0 ? first - 1 : last + 1;
    ChannelRecord moved{};
    std::memcpy(&moved, base + RadioImage::channelOffset(passed), sizeof moved);
    std::memmove(base + RadioImage::channelOffset(first + delta),
                 base + RadioImage::channelOffset(first),
                 sizeof(ChannelRecord) * static_cast<std::size_t>(last - first + 1));
    std::memcpy(base + RadioImage::channelOffset(delta < 0 ? last : first), &moved, sizeof moved);
    return true;
}

} // namespace orvik
