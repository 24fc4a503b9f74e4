#pragma once
// The channel check as the window runs it: setting.ini's [check] section and the channel plans
// of the chosen regions, read once, and the findings of an image in the current language.

#include "core/model/ChannelCheck.h"
#include "core/model/ChannelPlan.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace orvik {

class AppPaths;
class LangCatalog;

class ChannelChecker {
public:
    // Reads the settings (with the system locale's default regions) and the plans.
    explicit ChannelChecker(const AppPaths& paths);
    ChannelChecker(const ChannelChecker&) = delete;
    ChannelChecker& operator=(const ChannelChecker&) = delete;

    // false: [check] enabled=0, nothing is ever found.
    bool enabled() const { return settings.enabled; }
    // The findings of `image`, by channel; they point into this object's plans.
    std::vector<CheckFinding> check(const RadioImage& image) const;

    // A finding as the user reads it, and the disclaimer every list ends with.
    static QString findingText(LangCatalog& catalog, const CheckFinding& finding);
    static QString disclaimer(LangCatalog& catalog);

private:
    CheckSettings settings;
    std::vector<ChannelPlan> plans;
    std::vector<const ChannelPlan*> active;
};

// The note a write dialog shows before `image` goes to a radio: how many channels break a rule
// of their service; empty when none do or the check is off.
QString WriteCheckNote(const AppPaths& paths, LangCatalog& catalog, const RadioImage& image);

} // namespace orvik
