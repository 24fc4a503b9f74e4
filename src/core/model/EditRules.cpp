#include "core/model/EditRules.h"

#include "core/model/Codecs.h"

#include <cctype>

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

bool CommitFrequency(RadioImage& image, const FrequencyLimits& limits, int channel, bool receive,
                     std::string text) {
    const int n = channel;
    const bool wereEqual = image.freqsEqual(n);

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
    const bool modified = !equalsIgnoringCase(text, ToneToText(current, offText));

    const ToneWord stored = TextToTone(text);
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

std::string channelCellText(const RadioImage& image, int channel, int column,
                            const CellTexts& texts) {
    const int n = channel;
    if (column == ColChannel)
        return std::to_string(n);
    if (image.isRxEmpty(n))
        return {};
    switch (column) {
    case ColRxFreq:
        return FreqToText(image.rxFreq(n));
    case ColRxTone:
        return ToneToText(image.rxTone(n), texts.off);
    case ColTxFreq:
        return FreqToText(image.txFreq(n));
    case ColTxTone:
        return image.isRxOrTxEmpty(n) ? std::string() : ToneToText(image.txTone(n), texts.off);
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

} // namespace orvik
