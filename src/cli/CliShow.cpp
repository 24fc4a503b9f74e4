#include "cli/CliShow.h"

#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"
#include "core/model/SettingsTable.h"
#include "core/profile/JsonText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace orvik::cli {

namespace {

// Columns a UTF-8 text takes on a terminal: wide East Asian characters count two.
std::size_t displayWidth(const std::string& s) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        unsigned cp = c;
        if (len > 1 && i + len <= s.size()) {
            cp = c & (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        } else {
            len = 1;
        }
        w += (cp >= 0x1100 &&
              (cp <= 0x115F || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
               (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
               (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000))
                 ? 2
                 : 1;
        i += len;
    }
    return w;
}

std::string pad(const std::string& s, std::size_t width) {
    const std::size_t w = displayWidth(s);
    return w >= width ? s : s + std::string(width - w, ' ');
}

std::string label(LangCatalog& texts, int id, const char* fallback) {
    std::string text = texts.resource(id);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) { // drop menu-style '&' markers
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        out += text[i];
    }
    return out.empty() ? fallback : out;
}

std::string entryAt(const std::vector<std::string>& list, int position) {
    return position >= 0 && static_cast<std::size_t>(position) < list.size()
               ? list[static_cast<std::size_t>(position)]
               : std::string();
}

} // namespace

std::string FormatTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += (c ? "  " : "") + pad(row[c], widths[c]);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string ShowJson(const RadioImage& image) {
    const FrequencyLimits limits = recomputeLimits(image);
    Json settings = Json::object();
    for (const SettingSpec& spec : AllSettings())
        settings[spec.name] = SettingValue(spec, image);
    // An empty field is null; a field whose bytes are no valid value is {"raw": "46006DA0"},
    // never a garbled number.
    auto raw = [](const std::uint8_t* bytes, std::size_t count) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string hex;
        for (std::size_t i = 0; i < count; ++i)
            hex += {digits[bytes[i] >> 4], digits[bytes[i] & 0x0F]};
        return Json{{"raw", hex}};
    };
    auto freq = [&](const FreqBcd& f) {
        return f[3] > 0x99      ? Json()
               : FreqIsValid(f) ? Json(FreqToText(f))
                                : raw(f.data(), f.size());
    };
    auto tone = [&](const ToneWord& t) {
        return t[1] == 0xFF     ? Json()
               : ToneIsValid(t) ? Json(ToneToText(t, std::string()))
                                : raw(t.data(), t.size());
    };
    Json channels = Json::array();
    for (int n = 1; n <= ChannelCount; ++n) {
        const bool txEmpty = image.txFreq(n)[3] > 0x99;
        channels.push_back({{"channel", n},
                            {"rxFreq", freq(image.rxFreq(n))},
                            {"rxTone", tone(image.rxTone(n))},
                            {"txFreq", freq(image.txFreq(n))},
                            {"txTone", txEmpty ? Json() : tone(image.txTone(n))},
                            {"optionCol5Off", image.scanAddOff(n)},
                            {"narrow", image.narrow(n)},
                            {"highPower", image.highPower(n)},
                            {"optionCol8Off", image.busyLockOutOff(n)},
                            {"optionCol9Off", image.scramblerOff(n)}});
    }
    const Json show = {{"bandCode", image.bandCode()},
                       {"bandPosition", image.bandListPosition()},
                       {"limits", Json::array({limits.low, limits.high})},
                       {"settings", settings},
                       {"dtmf", DtmfToText(image.dtmfDigits())},
                       {"channels", channels}};
    return JsonText(show) + "\n";
}

std::string ShowText(LangCatalog& catalog, const std::vector<std::string>& bands,
                     const std::string& path, const RadioImage& image) {
    const CellTexts texts = LoadCellTexts(catalog);
    const FrequencyLimits limits = recomputeLimits(image);
    const SettingTexts settingTexts = SettingTexts::Load(catalog);

    std::vector<std::pair<std::string, std::string>> rows;
    char code[64];
    std::snprintf(code, sizeof code, "  (code 0x%02X, %s - %s MHz)", unsigned{image.bandCode()},
                  FreqValueText(limits.low).c_str(), FreqValueText(limits.high).c_str());
    rows.emplace_back(label(catalog, 1021, "Band"),
                      entryAt(bands, image.bandListPosition()) + code);
    for (const SettingId id : ShownSettings()) {
        const SettingSpec& spec = Setting(id);
        rows.emplace_back(label(catalog, spec.captionId, spec.name),
                          SettingValueText(spec, image, settingTexts));
    }
    rows.emplace_back(label(catalog, 1039, "DTMF code"), DtmfToText(image.dtmfDigits()));

    std::size_t labelWidth = 0;
    for (const auto& r : rows)
        labelWidth = std::max(labelWidth, displayWidth(r.first));
    std::string out = path + "\n\n";
    for (const auto& r : rows)
        if (r.second.empty())
            out += r.first + ":\n";
        else
            out += pad(r.first + ":", labelWidth + 1) + "  " + r.second + "\n";

    // The channel table: a missing header repeats the header to its left.
    std::vector<std::vector<std::string>> table(ChannelCount + 1,
                                                std::vector<std::string>(ChannelColumnCount));
    std::string header;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        std::string text;
        if (catalog.columnHeader(c, text))
            header = text;
        table[0][static_cast<std::size_t>(c)] = header;
    }
    for (int n = 1; n <= ChannelCount; ++n)
        for (int c = 0; c < ChannelColumnCount; ++c)
            table[static_cast<std::size_t>(n)][static_cast<std::size_t>(c)] =
                channelCellText(image, n, c, texts);
    out += "\n" + FormatTable(table);
    return out;
}

} // namespace orvik::cli
