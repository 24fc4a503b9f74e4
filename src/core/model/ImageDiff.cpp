#include "core/model/ImageDiff.h"

#include "core/lang/FillText.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"
#include "core/model/SettingsTable.h"
#include "core/profile/JsonText.h"

#include <cstdio>

namespace orvik {

namespace {

constexpr int BandLabelId = 1021;
constexpr int DtmfLabelId = 1039;

// Channel fields: column, name, first byte in the record, bytes, flag mask (0: whole bytes).
struct ChannelSpec {
    int column;
    const char* field;
    std::size_t at;
    std::size_t size;
    std::uint8_t flagMask;
};
const ChannelSpec ChannelFields[] = {
    {ColRxFreq, "rxFreq", 0, 4, 0},
    {ColRxTone, "rxTone", 8, 2, 0},
    {ColTxFreq, "txFreq", 4, 4, 0},
    {ColTxTone, "txTone", 10, 2, 0},
    {ColScanAdd, "optionCol5Off", 12, 1, 0x10},
    {ColNarrow, "narrow", 12, 1, 0x04},
    {ColHighPower, "highPower", 12, 1, 0x08},
    {ColBusyLockOut, "optionCol8Off", 12, 1, 0x01},
    {ColScrambler, "optionCol9Off", 12, 1, 0x02},
};

std::string entryAt(const std::vector<std::string>& list, int position) {
    return position >= 0 && static_cast<std::size_t>(position) < list.size()
               ? list[static_cast<std::size_t>(position)]
               : std::to_string(position);
}

std::string hexOffset(std::size_t offset) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%03zX", offset);
    return buf;
}

std::string hexByte(std::uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", unsigned{b});
    return buf;
}

// The covered bits of a field's bytes in hex, "0x0A" or "FF FF FF FE".
std::string hexBytes(const RadioImage& image, std::size_t offset, std::size_t size,
                     std::uint8_t mask) {
    if (size == 1)
        return hexByte(static_cast<std::uint8_t>(image[offset] & mask));
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", unsigned{image[offset + i]});
        out += (i ? " " : "") + std::string(buf);
    }
    return out;
}

std::string labelOf(const DiffTexts& texts, int id) {
    for (const auto& [labelId, text] : texts.labels)
        if (labelId == id)
            return text;
    return std::to_string(id);
}

// A setting's value as the panel shows it; a position its list lacks as its number.
std::string settingText(const RadioImage& image, const SettingSpec& s, const SettingTexts& texts) {
    std::string shown = SettingValueText(s, image, texts);
    return shown.empty() ? std::to_string(SettingValue(s, image)) : shown;
}

class Comparison {
public:
    Comparison(const RadioImage& first, const RadioImage& second, const DiffTexts& t,
               std::size_t limit)
        : a(first), b(second), texts(t), end(limit) {}

    // Marks the field's bits as covered and records it when its bits differ.
    void field(DiffKind kind, int channel, const char* name, std::size_t offset, std::size_t size,
               std::uint8_t mask, const std::string& place, std::string before, std::string after) {
        if (offset + size > end)
            return;
        bool differs = false;
        for (std::size_t i = 0; i < size; ++i) {
            covered[offset + i] |= mask;
            differs = differs || ((a[offset + i] ^ b[offset + i]) & mask) != 0;
        }
        if (!differs)
            return;
        if (before == after) {
            before = shown(before) + " [" + hexBytes(a, offset, size, mask) + "]";
            after = shown(after) + " [" + hexBytes(b, offset, size, mask) + "]";
        } else {
            before = shown(before);
            after = shown(after);
        }
        out.push_back({kind, channel, name, offset, place, std::move(before), std::move(after)});
    }

    // Bytes (or bits of bytes) that no field covered.
    void rawBytes() {
        for (std::size_t offset = 0; offset < end; ++offset) {
            if (((a[offset] ^ b[offset]) & ~covered[offset] & 0xFF) == 0)
                continue;
            out.push_back({DiffKind::Byte, 0, "byte", offset,
                           FillText(texts.byteFormat, {hexOffset(offset)}), hexByte(a[offset]),
                           hexByte(b[offset])});
        }
    }

    std::vector<ImageDifference> out;

private:
    std::string shown(const std::string& text) const { return text.empty() ? texts.empty : text; }

    const RadioImage& a;
    const RadioImage& b;
    const DiffTexts& texts;
    std::size_t end;
    std::array<std::uint8_t, RadioImage::Size> covered{};
};

} // namespace

DiffTexts LoadDiffTexts(LangCatalog& catalog, std::vector<std::string> bandNames) {
    DiffTexts t;
    t.cell = LoadCellTexts(catalog);
    t.empty = catalog.text(lang::IDS_DIFF_EMPTY);
    t.channelFormat = catalog.text(lang::IDS_DIFF_CHANNEL);
    t.byteFormat = catalog.text(lang::IDS_DIFF_BYTE);
    t.bandNames = std::move(bandNames);
    t.voiceList = catalog.numberedList(lang::VoiceAnnunciationSection);
    t.sideKeyList = catalog.numberedList(lang::MonitorKeySection);
    t.scanModeList = catalog.numberedList(lang::ScanModeSection);
    std::string heading;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        std::string text;
        if (catalog.columnHeader(c, text))
            heading = text;
        t.columns[static_cast<std::size_t>(c)] = heading;
    }
    auto label = [&catalog](int id) {
        const std::string text = catalog.resource(id);
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) { // menu-style '&' markers
            if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
                continue;
            out += text[i];
        }
        while (!out.empty() && (out.back() == ':' || out.back() == ' '))
            out.pop_back();
        return out;
    };
    t.labels.emplace_back(BandLabelId, label(BandLabelId));
    t.labels.emplace_back(DtmfLabelId, label(DtmfLabelId));
    for (const SettingSpec& s : AllSettings())
        t.labels.emplace_back(s.captionId, label(s.captionId));
    return t;
}

std::vector<ImageDifference> CompareImages(const RadioImage& a, const RadioImage& b,
                                           const DiffTexts& texts, std::size_t end) {
    if (end > RadioImage::Size)
        end = RadioImage::Size;
    Comparison c(a, b, texts, end);
    auto band = [&texts](const RadioImage& image) {
        return entryAt(texts.bandNames, image.bandListPosition());
    };
    c.field(DiffKind::Band, 0, "band", RadioImage::BandCodeOffset, 1, 0xFF,
            labelOf(texts, BandLabelId), band(a), band(b));
    const SettingTexts values{texts.cell.yes,  texts.cell.no,     texts.cell.off,
                              texts.voiceList, texts.sideKeyList, texts.scanModeList};
    for (const SettingId id : ShownSettings()) {
        const SettingSpec& s = Setting(id);
        c.field(DiffKind::Setting, 0, s.name, s.offset, 1, s.mask, labelOf(texts, s.captionId),
                settingText(a, s, values), settingText(b, s, values));
    }
    c.field(DiffKind::Dtmf, 0, "dtmf", RadioImage::DtmfOffset, 5, 0xFF, labelOf(texts, DtmfLabelId),
            DtmfToText(a.dtmfDigits()), DtmfToText(b.dtmfDigits()));
    for (int n = 1; n <= ChannelCount; ++n) {
        const std::string channel = FillText(texts.channelFormat, {std::to_string(n)});
        for (const ChannelSpec& f : ChannelFields) {
            const std::uint8_t mask = f.flagMask != 0 ? f.flagMask : 0xFF;
            c.field(DiffKind::Channel, n, f.field, RadioImage::channelOffset(n) + f.at, f.size,
                    mask, channel + " " + texts.columns[static_cast<std::size_t>(f.column)],
                    channelFieldText(a, n, f.column, texts.cell),
                    channelFieldText(b, n, f.column, texts.cell));
        }
    }
    c.rawBytes();
    return std::move(c.out);
}

std::string DifferenceLine(const ImageDifference& d) {
    return d.place + ": " + d.before + " -> " + d.after;
}

std::string DifferencesJson(const std::vector<ImageDifference>& differences) {
    static const char* const kinds[] = {"band", "setting", "dtmf", "channel", "byte"};
    Json list = Json::array();
    for (const ImageDifference& d : differences)
        list.push_back({{"kind", kinds[static_cast<int>(d.kind)]},
                        {"channel", d.channel},
                        {"field", d.field},
                        {"offset", d.offset},
                        {"place", d.place},
                        {"from", d.before},
                        {"to", d.after}});
    const Json out = {
        {"equal", differences.empty()}, {"count", differences.size()}, {"differences", list}};
    return JsonText(out) + "\n";
}

} // namespace orvik
