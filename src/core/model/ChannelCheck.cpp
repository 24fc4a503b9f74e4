#include "core/model/ChannelCheck.h"

#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/lang/PlanKeys.h"
#include "core/model/ChannelCsvValues.h"
#include "core/profile/AppPaths.h"
#include "core/profile/IniFile.h"
#include "core/profile/PrintableText.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cctype>

namespace orvik {

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> codes(const std::string& text) {
    std::vector<std::string> out;
    std::string code;
    for (char c : text + ",") {
        if (c == ',' || c == ' ' || c == ';' || c == '\t') {
            if (!code.empty())
                out.push_back(upper(code));
            code.clear();
        } else {
            code += c;
        }
    }
    return out;
}

// Countries that apply the CEPT decisions for PMR446 and LPD433.
constexpr const char* CeptCountries[] = {
    "AT", "BE", "BG", "HR", "CY", "CZ", "DK", "EE", "FI", "FR", "DE", "GR", "HU", "IE",
    "IT", "LV", "LT", "LU", "MT", "NL", "PL", "PT", "RO", "SK", "SI", "ES", "SE", "GB",
    "NO", "IS", "LI", "CH", "RS", "ME", "MK", "AL", "BA", "MD", "UA", "TR", "RU", "BY"};

// One way to judge a transmit frequency: against one plan.
struct Verdict {
    const ChannelPlan* plan = nullptr;
    const PlanChannel* row = nullptr; // the plan's channel at the frequency; null for a range
    double maxWatts = -1;
    std::vector<RuleBroken> broken;
};

const PlanChannel* rowAt(const ChannelPlan& p, std::int64_t hz, bool transmitSide) {
    for (const PlanChannel& c : p.channels)
        if (transmitSide ? c.transmit && c.txHz == hz && c.txHz != c.rxHz : c.rxHz == hz)
            return &c;
    return nullptr;
}

bool listed(const ChannelPlan& p, std::int64_t hz) {
    return rowAt(p, hz, false) || rowAt(p, hz, true) ||
           std::find(p.rules.txSide.begin(), p.rules.txSide.end(), hz) != p.rules.txSide.end();
}

bool inRange(const ChannelPlan& p, std::int64_t hz) {
    return std::any_of(p.rules.ranges.begin(), p.rules.ranges.end(),
                       [hz](const auto& r) { return hz >= r.first && hz <= r.second; });
}

Verdict judge(const ChannelPlan& p, std::int64_t rx, std::int64_t tx, bool high, bool wide) {
    Verdict v;
    v.plan = &p;
    const PlanChannel* atTx = rowAt(p, tx, false);
    const PlanChannel* pair = nullptr;
    for (const PlanChannel& c : p.channels)
        if (c.transmit && c.rxHz == rx && c.txHz == tx)
            pair = pair ? pair : &c;
    v.row = atTx ? atTx : rowAt(p, tx, true);
    if (!p.rules.transmit) {
        v.broken.push_back(RuleBroken::ReceiveOnly);
        return v; // nothing else matters where no one may transmit
    }
    if (!pair && atTx && !atTx->transmit)
        v.broken.push_back(rowAt(p, tx, true) ? RuleBroken::RepeaterInput : RuleBroken::NoTransmit);
    else if (!pair && tx != rx && p.rules.pairing == Pairing::Simplex)
        v.broken.push_back(RuleBroken::Simplex);
    else if (!pair && tx != rx && p.rules.pairing == Pairing::Repeater)
        v.broken.push_back(RuleBroken::RepeaterPair);
    const PlanChannel* limits = pair ? pair : v.row;
    v.maxWatts = limits ? limits->maxWatts : p.rules.maxWatts;
    if (v.maxWatts >= 0 && (high ? v.maxWatts <= 0.5 : v.maxWatts < 0.5))
        v.broken.push_back(RuleBroken::Power);
    if (wide && (limits ? limits->narrowOnly : p.rules.narrowOnly))
        v.broken.push_back(RuleBroken::Bandwidth);
    return v;
}

} // namespace

std::vector<std::string> DefaultCheckRegions(const std::string& locale) {
    std::vector<std::string> regions;
    const std::string tag = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t sep = tag.find_last_of("_-");
    if (sep != std::string::npos && tag.size() - sep - 1 == 2) {
        const std::string country = upper(tag.substr(sep + 1));
        regions.push_back(country);
        for (const char* c : CeptCountries)
            if (country == c)
                regions.push_back("EU");
    }
    for (const char* r : {"INT", "IARU-R1", "IARU-R2", "IARU-R3"})
        regions.push_back(r);
    return regions;
}

CheckSettings ReadCheckSettings(const AppPaths& paths, const std::string& locale) {
    CheckSettings s;
    const std::string& file = paths.SettingsFilePath();
    s.enabled = ini::GetInt(file, keys::CheckSection, keys::CheckEnabledKey, 1) != 0;
    const std::string regions =
        ini::GetString(file, keys::CheckSection, keys::CheckRegionsKey, "", 1024);
    s.regions = regions.empty() ? DefaultCheckRegions(locale) : codes(regions);
    return s;
}

std::vector<const ChannelPlan*> PlansForRegions(const std::vector<ChannelPlan>& plans,
                                                const std::vector<std::string>& regions) {
    const bool all = std::find(regions.begin(), regions.end(), "ALL") != regions.end();
    std::vector<const ChannelPlan*> out;
    for (const ChannelPlan& p : plans)
        for (const std::string& r : p.regions)
            if (all || std::find(regions.begin(), regions.end(), upper(r)) != regions.end()) {
                out.push_back(&p);
                break;
            }
    return out;
}

std::vector<CheckFinding> CheckChannels(const RadioImage& image,
                                        const std::vector<const ChannelPlan*>& plans) {
    std::vector<CheckFinding> findings;
    for (int n = 1; n <= ChannelCount; ++n) {
        if (image.isRxEmpty(n) || image.isRxOrTxEmpty(n))
            continue; // receiving alone breaks no rule
        const std::int64_t rx = csvvalues::freqHz(image.rxFreq(n));
        const std::int64_t tx = csvvalues::freqHz(image.txFreq(n));
        const bool high = image.highPower(n) != 0, wide = image.narrow(n) == 0;
        std::vector<const ChannelPlan*> candidates;
        for (const ChannelPlan* p : plans)
            if (listed(*p, tx))
                candidates.push_back(p);
        if (candidates.empty())
            for (const ChannelPlan* p : plans)
                if (inRange(*p, tx))
                    candidates.push_back(p);
        std::optional<Verdict> best;
        for (const ChannelPlan* p : candidates) {
            Verdict v = judge(*p, rx, tx, high, wide);
            if (!best || v.broken.size() < best->broken.size())
                best = std::move(v);
        }
        if (!best || best->broken.empty())
            continue;
        std::sort(best->broken.begin(), best->broken.end());
        findings.push_back(CheckFinding{n, best->plan, best->row, tx, rx, tx, high, wide,
                                        best->maxWatts, best->broken});
    }
    return findings;
}

std::string FindingText(const CheckFinding& f, const CheckTextLookup& text) {
    // Names come from plan files, which a user may write: none may act on the terminal.
    const std::string service = PrintableText(f.plan->name);
    const std::string ch = std::to_string(f.channel);
    std::string out = f.planChannel
                          ? FillText(text(lang::IDS_RULE_AT),
                                     {ch, PlanMhzText(f.hz), service,
                                      PrintableText(f.planChannel->name.empty()
                                                        ? std::to_string(f.planChannel->number)
                                                        : f.planChannel->name)})
                          : FillText(text(lang::IDS_RULE_IN), {ch, PlanMhzText(f.hz), service});
    for (RuleBroken rule : f.broken) {
        std::string clause;
        switch (rule) {
        case RuleBroken::ReceiveOnly:
            clause = FillText(text(lang::IDS_RULE_RECEIVE_ONLY), {service, ch});
            break;
        case RuleBroken::NoTransmit:
            clause = FillText(text(lang::IDS_RULE_NO_TRANSMIT), {service, ch});
            break;
        case RuleBroken::RepeaterInput:
            clause = FillText(text(lang::IDS_RULE_REPEATER_INPUT), {service, ch});
            break;
        case RuleBroken::Simplex:
            clause = FillText(text(lang::IDS_RULE_SIMPLEX), {service, ch, PlanMhzText(f.rxHz)});
            break;
        case RuleBroken::RepeaterPair:
            clause =
                FillText(text(lang::IDS_RULE_REPEATER_PAIR), {service, ch, PlanMhzText(f.rxHz)});
            break;
        case RuleBroken::Power: {
            char watts[32];
            std::snprintf(watts, sizeof watts, "%g", f.maxWatts);
            clause = FillText(text(lang::IDS_RULE_POWER),
                              {service, watts, ch, text(f.high ? lang::IDS_HIGH : lang::IDS_LOW)});
            break;
        }
        case RuleBroken::Bandwidth:
            clause = FillText(text(lang::IDS_RULE_BANDWIDTH), {service, ch, text(lang::IDS_WIDE)});
            break;
        }
        out += " " + clause;
    }
    return out;
}

std::string CheckDisclaimer(const CheckTextLookup& text) {
    return text(lang::IDS_RULE_DISCLAIMER);
}

const char* RuleCode(RuleBroken rule) {
    switch (rule) {
    case RuleBroken::ReceiveOnly:
        return "receive-only";
    case RuleBroken::NoTransmit:
        return "no-transmit";
    case RuleBroken::RepeaterInput:
        return "repeater-input";
    case RuleBroken::Simplex:
        return "simplex";
    case RuleBroken::RepeaterPair:
        return "repeater-pair";
    case RuleBroken::Power:
        return "power";
    case RuleBroken::Bandwidth:
        return "bandwidth";
    }
    return "";
}

} // namespace orvik
