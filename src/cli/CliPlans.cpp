// orvik-cli plans, check, and import --plan: the channel plans of radio services, and the
// check of a data file's channels against the rules of the services they fall in.

#include "cli/CliPlans.h"

#include "cli/CliShow.h"
#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/lang/PlanKeys.h"
#include "core/model/ChannelCheck.h"
#include "core/model/ChannelPlan.h"
#include "core/model/EditRules.h"
#include "core/model/RadioDocument.h"
#include "core/model/SettingsTable.h"
#include "core/profile/JsonText.h"
#include "core/profile/PrintableText.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace orvik::cli {

namespace {

// The plans, with a warning on standard error for each file that could not be read.
std::vector<ChannelPlan> loadPlans(const Context& ctx) {
    std::vector<std::string> problems;
    std::vector<ChannelPlan> plans = LoadChannelPlans(ctx.paths, &problems);
    for (const std::string& p : problems)
        fail("plan skipped: " + PrintableText(p));
    return plans;
}

std::string join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

// The bands of the radio a plan fits, as "400-470" (every channel) or "400-470 (15/30)".
std::vector<std::string> fitTexts(const ChannelPlan& plan) {
    std::vector<std::string> out;
    std::vector<FrequencyLimits> seen;
    for (std::uint8_t code : BandCodes) {
        const FrequencyLimits limits = LimitsForBandCode(code);
        if (std::find(seen.begin(), seen.end(), limits) != seen.end())
            continue;
        seen.push_back(limits);
        const BandFit fit = PlanBandFit(plan, limits);
        std::string text =
            std::to_string(limits.low / 100000) + "-" + std::to_string(limits.high / 100000);
        if (fit.fit > 0 && fit.fit < fit.total)
            text += " (" + std::to_string(fit.fit) + "/" + std::to_string(fit.total) + ")";
        if (fit.fit > 0)
            out.push_back(text);
    }
    return out;
}

Json planJson(const ChannelPlan& plan) {
    Json bands = Json::array();
    for (std::size_t i = 0; i < BandCodes.size(); ++i) {
        const FrequencyLimits limits = LimitsForBandCode(BandCodes[i]);
        bands.push_back({{"position", i},
                         {"limits", Json::array({limits.low, limits.high})},
                         {"fit", PlanBandFit(plan, limits).fit}});
    }
    return {{"id", plan.id},
            {"name", plan.name},
            {"region", plan.regions},
            {"channels", plan.channels.size()},
            {"own", plan.own},
            {"service", plan.service},
            {"regulation", plan.regulation},
            {"checked", plan.checked},
            {"path", plan.path},
            {"bands", bands}};
}

int listPlans(const Context& ctx, bool json) {
    LangCatalog texts = openCatalog(ctx);
    const std::vector<ChannelPlan> plans = loadPlans(ctx);
    if (json) {
        Json list = Json::array();
        for (const ChannelPlan& p : plans)
            list.push_back(planJson(p));
        std::fputs((JsonText(list) + "\n").c_str(), stdout);
    } else {
        std::vector<std::vector<std::string>> rows{
            {texts.text(lang::IDS_PLAN_ID), texts.text(lang::IDS_PLAN_NAME),
             texts.text(lang::IDS_PLAN_REGION), texts.text(lang::IDS_PLAN_CHANNELS),
             texts.text(lang::IDS_PLAN_BANDS)}};
        for (const ChannelPlan& p : plans)
            rows.push_back(
                {PrintableText(p.id),
                 PrintableText(p.name) + (p.own ? " [" + texts.text(lang::IDS_PLAN_OWN) + "]" : ""),
                 PrintableText(join(p.regions, ",")), std::to_string(p.channels.size()),
                 join(fitTexts(p), ", ")});
        std::fputs(FormatTable(rows).c_str(), stdout);
    }
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

std::string wattsText(double w) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g W", w);
    return buf;
}

int showPlan(const Context& ctx, const std::string& id, bool json) {
    LangCatalog texts = openCatalog(ctx);
    const std::vector<ChannelPlan> plans = loadPlans(ctx);
    const ChannelPlan* plan = FindPlan(plans, id);
    if (!plan) {
        fail("plans: no plan '" + PrintableText(id) + "' (orvik-cli plans lists them)");
        return ExitUsage;
    }
    if (json) {
        Json out = planJson(*plan);
        Json channels = Json::array();
        for (const PlanChannel& c : plan->channels)
            channels.push_back({{"number", c.number},
                                {"name", c.name},
                                {"rxFreq", PlanMhzText(c.rxHz)},
                                {"txFreq", c.transmit ? Json(PlanMhzText(c.txHz)) : Json()},
                                {"maxWatts", c.maxWatts >= 0 ? Json(c.maxWatts) : Json()},
                                {"narrowOnly", c.narrowOnly},
                                {"storable", FrequencyStorable(c.rxHz) &&
                                                 (!c.transmit || FrequencyStorable(c.txHz))},
                                {"comment", c.comment}});
        out["channelList"] = channels;
        out["disclaimer"] = texts.text(lang::IDS_RULE_DISCLAIMER);
        std::fputs((JsonText(out) + "\n").c_str(), stdout);
        return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
    }
    std::string out = PrintableText(plan->name) + " (" + PrintableText(plan->id) + ")\n";
    const std::pair<const char*, std::string> facts[] = {
        {lang::IDS_PLAN_SERVICE, plan->service},
        {lang::IDS_PLAN_REGION, join(plan->regions, ",")},
        {lang::IDS_PLAN_REGULATION, plan->regulation},
        {lang::IDS_PLAN_CHECKED, plan->checked}};
    for (const auto& [key, value] : facts)
        if (!value.empty())
            out += texts.text(key) + ": " + PrintableText(value) + "\n";
    out += texts.text(lang::IDS_RULE_DISCLAIMER) + "\n\n";
    std::vector<std::vector<std::string>> rows{
        {"#", texts.text(lang::IDS_PLAN_NAME), texts.text(lang::IDS_PLAN_RECEIVE),
         texts.text(lang::IDS_PLAN_TRANSMIT), texts.text(lang::IDS_PLAN_POWER),
         texts.text(lang::IDS_PLAN_BANDWIDTH), texts.text(lang::IDS_PLAN_COMMENT)}};
    for (const PlanChannel& c : plan->channels) {
        std::string comment = PrintableText(c.comment);
        if (!FrequencyStorable(c.rxHz) || (c.transmit && !FrequencyStorable(c.txHz)))
            comment += (comment.empty() ? "" : "; ") + texts.text(lang::IDS_PLAN_NOT_STORABLE);
        rows.push_back(
            {std::to_string(c.number), PrintableText(c.name), PlanMhzText(c.rxHz),
             c.transmit ? PlanMhzText(c.txHz) : texts.text(lang::IDS_PLAN_RECEIVE_ONLY),
             c.maxWatts >= 0 ? wattsText(c.maxWatts) : texts.text(lang::IDS_PLAN_NO_LIMIT),
             c.narrowOnly ? "12.5 kHz" : "25 kHz", comment});
    }
    out += FormatTable(rows);
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

int cmdCheck(Context& ctx, bool json) {
    std::string path;
    if (!takeOnlyFile("check", ctx.args, true, path))
        return ExitUsage;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, path, header, image); rc != ExitOk)
        return rc;
    const CheckSettings settings = ReadCheckSettings(ctx.paths, SystemLocaleName());
    const auto lookup = [&texts](std::string_view key) { return texts.text(key); };
    std::vector<ChannelPlan> plans;
    std::vector<CheckFinding> findings;
    if (settings.enabled) {
        plans = loadPlans(ctx);
        findings = CheckChannels(image, PlansForRegions(plans, settings.regions));
    }
    if (json) {
        Json list = Json::array();
        for (const CheckFinding& f : findings) {
            Json rules = Json::array();
            for (RuleBroken r : f.broken)
                rules.push_back(RuleCode(r));
            list.push_back({{"channel", f.channel},
                            {"plan", f.plan->id},
                            {"service", f.plan->name},
                            {"planChannel", f.planChannel ? Json(f.planChannel->number) : Json()},
                            {"frequency", PlanMhzText(f.hz)},
                            {"rules", rules},
                            {"text", FindingText(f, lookup)}});
        }
        const Json out = {{"enabled", settings.enabled},
                          {"regions", settings.regions},
                          {"findings", list},
                          {"disclaimer", CheckDisclaimer(lookup)}};
        std::fputs((JsonText(out) + "\n").c_str(), stdout);
    } else if (!settings.enabled) {
        std::printf("%s\n", texts.text(lang::IDS_RULE_OFF).c_str());
    } else {
        for (const CheckFinding& f : findings)
            std::printf("%s\n", FindingText(f, lookup).c_str());
        if (findings.empty())
            std::printf("%s\n", texts.text(lang::IDS_RULE_NONE).c_str());
        std::printf("%s\n", CheckDisclaimer(lookup).c_str());
    }
    if (std::fflush(stdout) != 0)
        return ExitCantCreate;
    return findings.empty() ? ExitOk : ExitFindings;
}

std::string planImportJson(const PlanApplyResult& r, const std::vector<std::string>& lines,
                           const std::string& id, bool saved) {
    Json notes = Json::array();
    for (std::size_t i = 0; i < r.import.notes.size(); ++i) {
        const CsvImportNote& n = r.import.notes[i];
        const std::size_t row = n.line >= 2 ? static_cast<std::size_t>(n.line - 2) : 0;
        notes.push_back({{"planChannel", row < r.rows.size() ? Json(r.rows[row]->number) : Json()},
                         {"channel", n.channel},
                         {"code", CsvNoteCode(n.what)},
                         {"value", n.value},
                         {"result", n.result},
                         {"text", lines[i]}});
    }
    Json notPlaced = Json::array();
    for (const PlanChannel* c : r.notPlaced)
        notPlaced.push_back(c->number);
    const Json out = {{"plan", id},
                      {"imported", r.import.imported},
                      {"changed", r.import.changed},
                      {"notPlaced", notPlaced},
                      {"saved", saved},
                      {"notes", notes}};
    return JsonText(out) + "\n";
}

// The options of import --plan that need the plan or the command line, checked; ExitOk or
// ExitUsage after saying why.
int planOptions(const ChannelPlan& plan, const PlanImportRequest& req, PlanApplyOptions& o) {
    std::string bad;
    if (!req.pick.empty() && !ParsePlanPicks(plan, req.pick, o.picks, bad)) {
        fail("import: --pick '" + PrintableText(bad) + "' names no channel of plan " + plan.id);
        return ExitUsage;
    }
    if (!req.tone.empty()) {
        const auto tone = ListedTone(req.tone);
        if (!tone) {
            fail("import: --tone '" + PrintableText(req.tone) +
                 "' is no CTCSS tone or DCS code of the radio's lists (88.5, D023N)");
            return ExitUsage;
        }
        o.tone = *tone;
    }
    if (req.renumber || !req.from.empty()) {
        o.placement = PlanPlacement::FromChannel;
        if (!req.from.empty() && !ParseWholeNumber(req.from, 1, ChannelCount, o.from)) {
            fail("import: --from takes a channel 1 to 16");
            return ExitUsage;
        }
    }
    return ExitOk;
}

} // namespace

int cmdImportPlan(Context& ctx, const PlanImportRequest& req) {
    std::vector<std::string> files;
    if (!takeFiles("import", ctx.args, true, files))
        return ExitUsage;
    if (files.size() != 1) {
        fail("import --plan takes a FILE.735 only");
        return ExitUsage;
    }
    if (req.renumber && !req.from.empty()) {
        fail("import: --renumber and --from do not go together");
        return ExitUsage;
    }
    if (req.replaceAll) {
        fail("import: --replace-all does not go with --plan");
        return ExitUsage;
    }
    const std::string& path = files[0];
    if (const int rc = refuseBackup(ctx, "import", path, req.force); rc != ExitOk)
        return rc;
    LangCatalog texts = openCatalog(ctx);
    const std::vector<ChannelPlan> plans = loadPlans(ctx);
    const ChannelPlan* plan = FindPlan(plans, req.plan);
    if (!plan) {
        fail("import: no plan '" + PrintableText(req.plan) + "' (orvik-cli plans lists them)");
        return ExitUsage;
    }
    PlanApplyOptions options;
    if (const int rc = planOptions(*plan, req, options); rc != ExitOk)
        return rc;
    HeaderBlock header{};
    RadioImage image;
    std::size_t held = 0;
    if (const int rc = load(texts, path, header, image, &held); rc != ExitOk)
        return rc;
    // A short file would be saved padded with the default image's bytes (see import).
    if (held < DataFileSize && !req.force && !req.dryRun) {
        fail("import: not saved; --force imports into it anyway");
        return ExitDataErr;
    }
    RadioDocument doc(header, image);
    PlanApplyResult r;
    const bool changed = ApplyPlan(doc, *plan, options, r).changedBytes();
    bool saved = false;
    if (changed && !req.dryRun) {
        if (const int rc = save(ctx, path, doc.header(), doc.image(), SaveMode::Replace, "");
            rc != ExitOk)
            return rc;
        saved = true;
    }
    const auto lookup = [&texts](std::string_view key) { return texts.text(key); };
    const std::vector<std::string> lines = PlanReportLines(r, lookup);
    if (req.json) {
        std::fputs(planImportJson(r, lines, plan->id, saved).c_str(), stdout);
    } else {
        for (const std::string& line : lines)
            std::printf("%s\n", line.c_str());
        if (saved)
            std::printf("%s %s\n", texts.text(lang::IDS_CSV_SAVED).c_str(), path.c_str());
        else if (req.dryRun)
            std::printf("%s\n", texts.text(lang::IDS_CSV_DRY_RUN).c_str());
    }
    if (std::fflush(stdout) != 0)
        return ExitCantCreate;
    return r.import.notes.empty() && r.notPlaced.empty() ? ExitOk : ExitAdjusted;
}

namespace {

const char* const PlansUsage =
    "  plans [ID] [--json]\n"
    "                  list the channel plans (id, name, region, channels, the radio's\n"
    "                  bands they fit), or the channels of plan ID; plans come from\n"
    "                  <data>/plans and the user's plans folder (a CSV file there is a plan)\n";
const char* const CheckUsage =
    "  check FILE.735 [--json]\n"
    "                  list each channel that falls in a known service and breaks one of\n"
    "                  its rules (transmitting on a receive-only service, power, bandwidth,\n"
    "                  repeater pairs); exit 1 when something was found. setting.ini\n"
    "                  [check] regions= chooses the regions, enabled=0 turns it off.\n"
    "                  Reminders of common rules, not legal advice\n";

class PlansCommand final : public Command {
public:
    const char* usage() const override { return PlansUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override {
        std::vector<std::string> ids;
        if (!takeFiles("plans", ctx.args, true, ids))
            return ExitUsage;
        if (ids.size() > 1) {
            fail("plans takes one plan ID at most");
            return ExitUsage;
        }
        return ids.empty() ? listPlans(ctx, json->count() > 0)
                           : showPlan(ctx, ids[0], json->count() > 0);
    }

private:
    const CLI::Option* json = nullptr;
};

class CheckCommand final : public Command {
public:
    const char* usage() const override { return CheckUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override { return cmdCheck(ctx, json->count() > 0); }

private:
    const CLI::Option* json = nullptr;
};

} // namespace

std::unique_ptr<Command> MakePlansCommand() {
    return std::make_unique<PlansCommand>();
}

std::unique_ptr<Command> MakeCheckCommand() {
    return std::make_unique<CheckCommand>();
}

} // namespace orvik::cli
