#include "core/model/ChannelCsv.h"

#include "core/csv/Csv.h"
#include "core/model/ChannelCsvValues.h"
#include "core/model/Codecs.h"
#include "core/model/EditRules.h"

#include <cstdio>

namespace orvik {

namespace {

using namespace csvvalues;

ToneKind kindOf(const ToneWord& t) {
    if (t[1] == 0xFF)
        return ToneKind::Off;
    return (t[1] & 0x80) != 0 ? ToneKind::Dcs : ToneKind::Ctcss;
}

// "%.1f" of a CTCSS word.
std::string ctcssText(const ToneWord& t) {
    const int tenths = nibbleValue(t[1], 1) * 1000 + nibbleValue(t[1], 0) * 100 +
                       nibbleValue(t[0], 1) * 10 + nibbleValue(t[0], 0);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The three digits of a DCS word.
std::string dcsCode(const ToneWord& t) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%x%02x", t[1] & 0x0F, t[0]);
    return buf;
}

char dcsPolarity(const ToneWord& t) {
    return t[1] >= 0xC0 ? 'R' : 'N';
}

bool sameDcsCode(const ToneWord& a, const ToneWord& b) {
    return a[0] == b[0] && (a[1] & 0x0F) == (b[1] & 0x0F);
}

// The tone columns of a channel: mode, tones, codes, polarity, cross mode.
struct ToneColumns {
    std::string mode;
    std::string rTone = "88.5", cTone = "88.5", code = "023", rxCode = "023";
    std::string polarity;
    std::string cross = "Tone->Tone";
};

ToneColumns toneColumns(const RadioImage& image, int n) {
    ToneColumns t;
    const ToneWord txT = image.txTone(n);
    const ToneWord rxT = image.rxTone(n);
    const ToneKind txK = kindOf(txT);
    const ToneKind rxK = kindOf(rxT);
    if (txK == ToneKind::Off && rxK == ToneKind::Off) {
    } else if (txK == ToneKind::Ctcss && rxK == ToneKind::Off) {
        t.mode = "Tone";
        t.rTone = ctcssText(txT);
    } else if (txK == ToneKind::Ctcss && rxK == ToneKind::Ctcss && txT == rxT) {
        t.mode = "TSQL";
        t.cTone = ctcssText(rxT);
    } else if (txK == ToneKind::Dcs && rxK == ToneKind::Dcs && sameDcsCode(txT, rxT)) {
        t.mode = "DTCS";
        t.code = dcsCode(txT);
    } else {
        t.mode = "Cross";
        auto side = [](ToneKind k) {
            return k == ToneKind::Ctcss ? "Tone" : k == ToneKind::Dcs ? "DTCS" : "";
        };
        t.cross = std::string(side(txK)) + "->" + side(rxK);
        if (txK == ToneKind::Ctcss)
            t.rTone = ctcssText(txT);
        if (rxK == ToneKind::Ctcss)
            t.cTone = ctcssText(rxT);
        if (txK == ToneKind::Dcs)
            t.code = dcsCode(txT);
        if (rxK == ToneKind::Dcs)
            t.rxCode = dcsCode(rxT);
    }
    t.polarity += txK == ToneKind::Dcs ? dcsPolarity(txT) : 'N';
    t.polarity += rxK == ToneKind::Dcs ? dcsPolarity(rxT) : 'N';

    return t;
}

std::vector<std::string> channelRow(const RadioImage& image, int n, bool extra) {
    const std::int64_t rx = freqHz(image.rxFreq(n));
    const bool txOff = image.txFreq(n)[3] > 0x99;
    const std::int64_t tx = txOff ? 0 : freqHz(image.txFreq(n));

    std::string duplex;
    std::string offset = "0.000000";
    if (txOff) {
        duplex = "off";
    } else if (!image.freqsEqual(n)) {
        const std::int64_t diff = tx - rx;
        if (diff >= -70000000 && diff <= 70000000) {
            duplex = diff >= 0 ? "+" : "-";
            offset = mhzText(diff >= 0 ? diff : -diff);
        } else {
            duplex = "split";
            offset = mhzText(tx);
        }
    }

    const ToneColumns t = toneColumns(image, n);

    // The largest step that both frequencies lie on.
    std::string step = "2.50";
    for (const auto& [hz, text] : {std::pair{12500, "12.50"}, std::pair{6250, "6.25"},
                                   std::pair{5000, "5.00"}, std::pair{2500, "2.50"}}) {
        if (rx % hz == 0 && (txOff || tx % hz == 0)) {
            step = text;
            break;
        }
    }

    std::vector<std::string> row{std::to_string(n),
                                 "",
                                 mhzText(rx),
                                 duplex,
                                 offset,
                                 t.mode,
                                 t.rTone,
                                 t.cTone,
                                 t.code,
                                 t.polarity,
                                 t.rxCode,
                                 t.cross,
                                 image.narrow(n) ? "NFM" : "FM",
                                 step,
                                 image.scanAddOff(n) ? "S" : "",
                                 image.highPower(n) ? "5.0W" : "1.0W",
                                 "",
                                 "",
                                 "",
                                 "",
                                 ""};
    if (extra) {
        row.emplace_back(image.busyLockOutOff(n) ? "no" : "yes");
        row.emplace_back(image.scramblerOff(n) ? "no" : "yes");
    }
    return row;
}

} // namespace

std::string ExportChannelsCsv(const RadioImage& image, bool standardColumnsOnly) {
    std::vector<std::string> header(CsvStandardColumns.begin(), CsvStandardColumns.end());
    if (!standardColumnsOnly)
        header.insert(header.end(), CsvExtraColumns.begin(), CsvExtraColumns.end());
    std::string out = csv::Line(header);
    for (int n = 1; n <= ChannelCount; ++n)
        if (!image.isRxEmpty(n))
            out += csv::Line(channelRow(image, n, !standardColumnsOnly));
    return out;
}

std::string ChannelsClipboardText(const RadioImage& image, const std::vector<int>& channels) {
    std::vector<std::string> header(CsvStandardColumns.begin(), CsvStandardColumns.end());
    header.insert(header.end(), CsvExtraColumns.begin(), CsvExtraColumns.end());
    std::string out = csv::Line(header, '\t');
    for (int n : channels)
        if (n >= 1 && n <= ChannelCount && !image.isRxEmpty(n))
            out += csv::Line(channelRow(image, n, true), '\t');
    return out;
}

} // namespace orvik
