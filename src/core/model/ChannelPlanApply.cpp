// Applying a channel plan: the picked channels as CSV rows, through the CSV import's rules.

#include "core/csv/Csv.h"
#include "core/lang/FillText.h"
#include "core/lang/PlanKeys.h"
#include "core/model/ChannelPlan.h"
#include "core/model/Codecs.h"
#include "core/model/RadioDocument.h"
#include "core/profile/PrintableText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvik {

namespace {

std::string hzText(std::int64_t hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%06lld", static_cast<long long>(hz / 1000000),
                  static_cast<long long>(hz % 1000000));
    return buf;
}

// A whole number of at most six digits; nothing for anything else.
std::optional<int> number(const std::string& s) {
    if (s.empty() || s.size() > 6 ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::atoi(s.c_str());
}

// The tone columns of one row: the tone for all channels on both sides, else the plan's
// transmit tone.
std::vector<std::string> toneFields(const std::string& all, const std::string& planTone) {
    // Tone, rToneFreq, cToneFreq, DtcsCode, DtcsPolarity, CrossMode
    const std::string& t = all.empty() ? planTone : all;
    if (t.empty())
        return {"", "", "", "", "", ""};
    const bool both = !all.empty();
    if (t.front() == 'D') {
        const std::string polarity = t.back() == 'I' ? "RR" : "NN";
        return {both ? "DTCS" : "Cross", "", "", t.substr(1, 3), polarity, "DTCS->"};
    }
    return {both ? "TSQL" : "Tone", t, t, "", "", ""};
}

} // namespace

std::optional<std::string> ListedTone(std::string_view text) {
    std::string t(text);
    for (char& c : t)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!t.empty() && t.front() == 'D') {
        for (const auto* table : {&DcsNormalTable, &DcsInvertedTable})
            for (const ToneEntry& e : *table)
                if (ToneEntryText(e) == t)
                    return t;
        return std::nullopt;
    }
    char* end = nullptr;
    const double hz = std::strtod(t.c_str(), &end);
    if (t.empty() || end != t.c_str() + t.size())
        return std::nullopt;
    for (const ToneEntry& e : CtcssTable) {
        const std::string listed = ToneEntryText(e);
        if (std::abs(std::strtod(listed.c_str(), nullptr) - hz) < 0.001)
            return listed;
    }
    return std::nullopt;
}

bool ParsePlanPicks(const ChannelPlan& plan, std::string_view text, std::vector<int>& picks,
                    std::string& bad) {
    picks.clear();
    std::string s(text);
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find(',', start), s.size());
        const std::string part = s.substr(start, end - start);
        start = end + 1;
        const std::size_t dash = part.find('-');
        const auto lo = number(part.substr(0, dash));
        const auto hi = dash == std::string::npos ? lo : number(part.substr(dash + 1));
        std::vector<int> found;
        if (lo && hi)
            for (const PlanChannel& c : plan.channels)
                if (c.number >= *lo && c.number <= *hi)
                    found.push_back(c.number);
        if (found.empty()) {
            bad = part;
            return false;
        }
        std::sort(found.begin(), found.end());
        for (int n : found)
            if (std::find(picks.begin(), picks.end(), n) == picks.end())
                picks.push_back(n);
    }
    return true;
}

std::vector<int> PlanTargetChannels(const RadioImage& image, const PlanApplyOptions& options) {
    std::vector<int> targets;
    for (int n = 1; n <= ChannelCount; ++n)
        if (options.placement == PlanPlacement::FromChannel ? n >= options.from
                                                            : image.isRxEmpty(n))
            targets.push_back(n);
    return targets;
}

std::string PlanImportText(const ChannelPlan& plan, const PlanApplyOptions& options,
                           const RadioImage& image, std::vector<const PlanChannel*>& rows,
                           std::vector<const PlanChannel*>& notPlaced) {
    rows.clear();
    notPlaced.clear();
    const std::vector<int> targets = PlanTargetChannels(image, options);

    std::vector<const PlanChannel*> picked;
    if (options.picks.empty())
        for (const PlanChannel& c : plan.channels)
            picked.push_back(&c);
    for (int n : options.picks)
        if (const PlanChannel* c = plan.channel(n))
            picked.push_back(c);

    std::string text =
        csv::Line({"Location", "Frequency", "Duplex", "Offset", "Tone", "rToneFreq", "cToneFreq",
                   "DtcsCode", "DtcsPolarity", "CrossMode", "Mode", "Power"});
    for (const PlanChannel* c : picked) {
        if (rows.size() >= targets.size()) {
            notPlaced.push_back(c);
            continue;
        }
        std::vector<std::string> f{std::to_string(targets[rows.size()]), hzText(c->rxHz)};
        if (!c->transmit)
            f.insert(f.end(), {"off", ""});
        else if (c->txHz == c->rxHz)
            f.insert(f.end(), {"", ""});
        else
            f.insert(f.end(), {"split", hzText(c->txHz)});
        for (std::string& t : toneFields(options.tone, c->tone))
            f.push_back(std::move(t));
        f.push_back(c->narrowOnly ? "NFM" : "FM");
        f.push_back(c->maxWatts >= 0 && c->maxWatts <= 0.5 ? "1.0W" : "");
        text += csv::Line(f);
        rows.push_back(c);
    }
    return text;
}

DocChange ApplyPlan(RadioDocument& document, const ChannelPlan& plan,
                    const PlanApplyOptions& options, PlanApplyResult& result) {
    result = {};
    const std::string text =
        PlanImportText(plan, options, document.image(), result.rows, result.notPlaced);
    return document.applyCsv(text, CsvImportOptions{}, result.import);
}

std::vector<std::string> PlanReportLines(const PlanApplyResult& result, const CsvTextLookup& text) {
    std::vector<std::string> lines;
    // Names come from a file: none may act on the terminal.
    auto name = [](const PlanChannel* c) {
        return c->name.empty() ? std::to_string(c->number) : PrintableText(c->name);
    };
    for (const CsvImportNote& note : result.import.notes) {
        const std::size_t row = note.line >= 2 ? static_cast<std::size_t>(note.line - 2) : 0;
        if (row >= result.rows.size()) {
            lines.push_back(CsvNoteText(note, text));
            continue;
        }
        lines.push_back(FillText(text(lang::IDS_PLAN_AT),
                                 {name(result.rows[row]), std::to_string(note.channel)}) +
                        " " + CsvNoteBody(note, text));
    }
    for (const PlanChannel* c : result.notPlaced)
        lines.push_back(FillText(text(lang::IDS_PLAN_NOT_PLACED), {name(c)}));
    const std::vector<std::string> summary = CsvReportLines(CsvImportResult{result.import.usable,
                                                                            {},
                                                                            result.import.rows,
                                                                            result.import.skipped,
                                                                            result.import.imported,
                                                                            result.import.cleared,
                                                                            result.import.changed,
                                                                            {}},
                                                            text);
    lines.insert(lines.end(), summary.begin(), summary.end());
    return lines;
}

} // namespace orvik
