#include "core/model/ChannelCsv.h"

#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/profile/PrintableText.h"

#include <string>
#include <vector>

namespace orvik {

namespace {

std::string numberList(const std::vector<int>& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out += (i ? ", " : "") + std::to_string(list[i]);
    return out;
}

} // namespace

std::vector<std::string> CsvReportLines(const CsvImportResult& r, const CsvTextLookup& text) {
    std::vector<std::string> lines;
    for (const CsvImportNote& note : r.notes)
        lines.push_back(CsvNoteText(note, text));
    if (!r.usable)
        return lines;
    lines.push_back(FillText(
        text(lang::IDS_CSV_SUMMARY),
        {std::to_string(r.rows), std::to_string(r.imported.size()), std::to_string(r.skipped)}));
    lines.push_back(r.changed.empty() ? text(lang::IDS_CSV_UNCHANGED)
                                      : text(lang::IDS_CSV_CHANGED) + " " + numberList(r.changed));
    if (!r.cleared.empty())
        lines.push_back(text(lang::IDS_CSV_CLEARED) + " " + numberList(r.cleared));
    return lines;
}

const char* CsvNoteCode(CsvNote what) {
    switch (what) {
    case CsvNote::NoHeader:
        return "no-header";
    case CsvNote::Unclosed:
        return "unclosed-quote";
    case CsvNote::ShortRow:
        return "short-row";
    case CsvNote::BadValue:
        return "bad-value";
    case CsvNote::EmptyMemory:
        return "empty-memory";
    case CsvNote::LocationRange:
        return "location-range";
    case CsvNote::NoChannelLeft:
        return "no-channel-left";
    case CsvNote::Duplicate:
        return "duplicate";
    case CsvNote::RxRaster:
        return "rx-raster";
    case CsvNote::RxClamped:
        return "rx-clamped";
    case CsvNote::TxRaster:
        return "tx-raster";
    case CsvNote::TxClamped:
        return "tx-clamped";
    case CsvNote::CtcssNotOffered:
        return "ctcss-not-offered";
    case CsvNote::DcsNotOffered:
        return "dcs-not-offered";
    case CsvNote::ToneMode:
        return "tone-mode";
    case CsvNote::Mode:
        return "mode";
    case CsvNote::Power:
        return "power";
    case CsvNote::Skip:
        return "skip";
    case CsvNote::Name:
        return "name";
    case CsvNote::Comment:
        return "comment";
    }
    return "";
}

std::string CsvNoteText(const CsvImportNote& note, const CsvTextLookup& text) {
    if (note.what == CsvNote::NoHeader)
        return text(lang::IDS_CSV_NO_HEADER);
    const std::string place =
        note.channel > 0 ? FillText(text(lang::IDS_CSV_AT_CHANNEL),
                                    {std::to_string(note.line), std::to_string(note.channel)})
                         : FillText(text(lang::IDS_CSV_AT_LINE), {std::to_string(note.line), ""});
    return place + " " + CsvNoteBody(note, text);
}

std::string CsvNoteBody(const CsvImportNote& note, const CsvTextLookup& text) {
    auto fill = [](const std::string& pattern, const std::string& one, const std::string& two) {
        return FillText(pattern, {one, two});
    };
    const char* key = lang::IDS_CSV_BAD_VALUE;
    std::string first = note.value;
    std::string second = note.result;
    switch (note.what) {
    case CsvNote::NoHeader:
        return text(lang::IDS_CSV_NO_HEADER);
    case CsvNote::Unclosed:
        key = lang::IDS_CSV_UNCLOSED;
        break;
    case CsvNote::ShortRow:
        key = lang::IDS_CSV_SHORT_ROW;
        break;
    case CsvNote::BadValue:
        key = lang::IDS_CSV_BAD_VALUE;
        first = note.column;
        second = note.value;
        break;
    case CsvNote::EmptyMemory:
        key = lang::IDS_CSV_EMPTY_MEMORY;
        break;
    case CsvNote::LocationRange:
        key = lang::IDS_CSV_LOCATION;
        break;
    case CsvNote::NoChannelLeft:
        key = lang::IDS_CSV_NO_CHANNEL;
        break;
    case CsvNote::Duplicate:
        key = lang::IDS_CSV_DUPLICATE;
        break;
    case CsvNote::RxRaster:
        key = lang::IDS_CSV_RX_RASTER;
        break;
    case CsvNote::RxClamped:
        key = lang::IDS_CSV_RX_CLAMPED;
        break;
    case CsvNote::TxRaster:
        key = lang::IDS_CSV_TX_RASTER;
        break;
    case CsvNote::TxClamped:
        key = lang::IDS_CSV_TX_CLAMPED;
        break;
    case CsvNote::CtcssNotOffered:
        key = lang::IDS_CSV_CTCSS;
        break;
    case CsvNote::DcsNotOffered:
        key = lang::IDS_CSV_DCS;
        break;
    case CsvNote::ToneMode:
        key = lang::IDS_CSV_TONE_MODE;
        break;
    case CsvNote::Mode:
        key = lang::IDS_CSV_MODE;
        second = text(lang::IDS_WIDE);
        break;
    case CsvNote::Power:
        key = lang::IDS_CSV_POWER;
        second = text(note.result == "high" ? lang::IDS_HIGH : lang::IDS_LOW);
        break;
    case CsvNote::Skip:
        key = lang::IDS_CSV_SKIP;
        break;
    case CsvNote::Name:
        key = lang::IDS_CSV_NAME;
        break;
    case CsvNote::Comment:
        key = lang::IDS_CSV_COMMENT;
        break;
    }
    // The values come from the file: none may act on the terminal or end the text early.
    return fill(text(key), PrintableText(first), PrintableText(second));
}
} // namespace orvik
