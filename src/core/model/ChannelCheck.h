#pragma once
// The channel check: each used channel whose frequency falls in a known service (a channel plan
// of the chosen regions) is checked against that service's rules: a transmit frequency on a
// receive-only service or channel, power, channel bandwidth, and how transmit follows receive.
// These are reminders of common rules, not legal advice.
//
// This radio's power levels are not in watts: High counts as more than 0.5 W, Low as at most
// 0.5 W. So High breaks a limit of 0.5 W or less, and Low one below 0.5 W; a larger limit is
// never reported.
//
// A frequency listed by a plan's row (or its transmit side) matches that plan; a frequency in a
// plan's range matches only when no plan lists it. When several plans match, the channel is
// judged by the one it breaks fewest rules of (FRS and GMRS share channels), so a channel that
// keeps one service's rules has no finding.

#include "core/model/ChannelPlan.h"
#include "core/model/RadioImage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

class AppPaths;

// The rules a channel can break.
enum class RuleBroken {
    ReceiveOnly,   // the service is receive-only, and the channel transmits on it
    NoTransmit,    // the service's channel is not for transmitting (telemetry, reserved)
    RepeaterInput, // the frequency is only a repeater input; the channel does not listen on
                   // the repeater's output
    Simplex,       // the service wants transmit equal to receive
    RepeaterPair,  // transmit differs from receive, and is no repeater pair of the service
    Power,         // the channel's power level may exceed the service's limit
    Bandwidth,     // the service allows 12.5 kHz only; the channel is Wide
};

struct CheckFinding {
    int channel = 0;                          // 1..16
    const ChannelPlan* plan = nullptr;        // the service broken
    const PlanChannel* planChannel = nullptr; // the service's channel the frequency matched
    std::int64_t hz = 0;                      // the matched frequency (receive or transmit)
    std::int64_t rxHz = 0;
    std::int64_t txHz = 0;          // 0: the channel has no transmit frequency
    bool high = false;              // the channel's power level
    bool wide = false;              // the channel's bandwidth
    double maxWatts = -1;           // the limit broken (Power)
    std::vector<RuleBroken> broken; // in the order above, at least one
};

// What the check applies: setting.ini [check] enabled= (0: off) and regions= (comma- or
// blank-separated codes such as "EU,DE,IARU-R1,INT"; "all": every plan with a region).
struct CheckSettings {
    bool enabled = true;
    std::vector<std::string> regions;
};

// The regions of a locale ("de_DE.UTF-8" -> DE, EU), plus INT and the three IARU regions, as
// the amateur bands are checked everywhere. A locale without a country gives only those.
std::vector<std::string> DefaultCheckRegions(const std::string& locale);
// The [check] section of setting.ini; without regions=, DefaultCheckRegions(locale).
CheckSettings ReadCheckSettings(const AppPaths& paths, const std::string& locale);
// The plans that take part: those with a region in `regions` ("all": any region). A plan
// without a region (a plan of one's own that names none) never does.
std::vector<const ChannelPlan*> PlansForRegions(const std::vector<ChannelPlan>& plans,
                                                const std::vector<std::string>& regions);

// The findings of every used channel, by channel. Findings point into `plans`' objects.
std::vector<CheckFinding> CheckChannels(const RadioImage& image,
                                        const std::vector<const ChannelPlan*>& plans);

// The finding in the current language: "CH3 446.05625 MHz is PMR446 channel 5: PMR446 allows
// at most 0.5 W; CH3 is set to High power ...". `text` looks up a String key; `high`, `low`
// and `wide` are the channel table's words (IDS_HIGH, IDS_LOW, IDS_WIDE are looked up).
using CheckTextLookup = std::function<std::string(std::string_view key)>;
std::string FindingText(const CheckFinding& finding, const CheckTextLookup& text);
// The sentence every list of findings ends with: reminders, not legal advice; how High and
// Low are read.
std::string CheckDisclaimer(const CheckTextLookup& text);
// A stable name of the rule for machine-readable output ("receive-only", "power", ...).
const char* RuleCode(RuleBroken rule);

} // namespace orvik
