#include "gui/app/ChannelChecker.h"

#include "core/lang/FillText.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/PlanKeys.h"
#include "core/profile/AppPaths.h"

namespace orvik {

namespace {
CheckTextLookup lookupIn(LangCatalog& catalog) {
    return [&catalog](std::string_view key) { return catalog.text(key); };
}
} // namespace

ChannelChecker::ChannelChecker(const AppPaths& paths)
    : settings(ReadCheckSettings(paths, SystemLocaleName())) {
    if (!settings.enabled)
        return;
    plans = LoadChannelPlans(paths);
    active = PlansForRegions(plans, settings.regions);
}

std::vector<CheckFinding> ChannelChecker::check(const RadioImage& image) const {
    if (!settings.enabled)
        return {};
    return CheckChannels(image, active);
}

QString ChannelChecker::findingText(LangCatalog& catalog, const CheckFinding& finding) {
    return QString::fromStdString(FindingText(finding, lookupIn(catalog)));
}

QString ChannelChecker::disclaimer(LangCatalog& catalog) {
    return QString::fromStdString(CheckDisclaimer(lookupIn(catalog)));
}

QString WriteCheckNote(const AppPaths& paths, LangCatalog& catalog, const RadioImage& image) {
    const std::size_t count = ChannelChecker(paths).check(image).size();
    if (count == 0)
        return {};
    return QString::fromStdString(
        FillText(catalog.text(lang::IDS_RULE_WRITE), {std::to_string(count)}));
}

} // namespace orvik
