#pragma once
// Channel plans: the channels of a radio service (PMR446, FRS, UHF CB, ...) as CSV files in the
// generic exchange layout, with comment lines that name the service and state its rules. The
// program ships plans in <data>/plans; a CSV file in the user's plans folder is a plan too.
//
// A plan file starts with '#' comment lines, which the CSV reader skips:
//   # name: PMR446                       the plan's name (default: the file's title)
//   # service: ... / region: EU,DE / regulation: ... / checked: 2026-12-09
//   # [rules]                            the service's rules, up to "# [end]"
//   # transmit=yes|no                    no: a receive-only service
//   # power=0.5|any                      the most it allows, watts (a row's Power overrides)
//   # bandwidth=narrow|wide              narrow: 12.5 kHz only (a row's Mode NFM/FM overrides)
//   # pairing=simplex|repeater|any       transmit equals receive / or a row's repeater pair
//   # range=144.000-146.000,...          the service also holds every frequency in these
//   # tx-side=156.050 ...                frequencies its stations transmit on that no row lists
//   # [end]
// A row with Duplex "off" is a channel the service does not let anyone transmit on (a repeater
// input, a telemetry or reserved channel); a row with Duplex +/-/split is a repeater pair.
// Applying a plan sends its rows through the CSV import, so every channel goes through the
// channel table's commit rules, and a frequency the radio cannot store exactly is noted.

#include "core/model/ChannelCsv.h"
#include "core/model/RadioImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

class AppPaths;
class RadioDocument;
struct DocChange;

// How the transmit frequency must relate to the receive frequency.
enum class Pairing { Any, Simplex, Repeater };

// One channel of a plan, in Hz and watts.
struct PlanChannel {
    int number = 0;          // the Location column: the service's channel number
    std::string name;        // "PMR 1"
    std::string comment;     // the Comment column, as written
    std::int64_t rxHz = 0;   // receive frequency
    std::int64_t txHz = 0;   // transmit frequency; equals rxHz for simplex, 0 when off
    bool transmit = true;    // false: Duplex off, or a receive-only service
    double maxWatts = -1;    // the most power it allows; negative: no limit stated
    bool narrowOnly = false; // 12.5 kHz channels only
    std::string tone;        // the transmit tone the row asks for ("67.0", "D023N"), or ""
};

struct PlanRules {
    bool transmit = true;
    double maxWatts = -1; // negative: no limit
    bool narrowOnly = false;
    Pairing pairing = Pairing::Any;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges; // Hz, inclusive
    std::vector<std::int64_t> txSide;                          // Hz
};

struct ChannelPlan {
    std::string id;      // the file's title ("eu-pmr446"); unique among the plans found
    std::string path;    // the file it was read from
    bool own = false;    // from the user's plans folder
    std::string name;    // "PMR446"
    std::string service; // what the service is, as the file says it (not translated)
    std::vector<std::string> regions; // "EU", "US", "IARU-R1", "INT"; none for a plan of one's own
    std::string regulation;
    std::string checked; // the date its facts were checked
    PlanRules rules;
    std::vector<PlanChannel> channels; // in file order

    const PlanChannel* channel(int number) const;
};

// Reads a plan from its text; false with `error` set (an English reason) when the text has no
// header with Location and Frequency or a row cannot be read.
bool ParseChannelPlan(std::string_view text, ChannelPlan& plan, std::string& error);
// Reads a plan file; the id is the file's title.
bool ReadChannelPlan(const std::string& path, ChannelPlan& plan, std::string& error);

// The plans folders: the user's (<program directory>/plans: ~/.config/orvik/plans, or plans/
// beside setting.ini in portable mode), then the shipped one (<data>/plans); no repeats.
std::vector<std::string> PlanFolders(const AppPaths& paths);
// Every *.csv of the plans folders, sorted by id; a user's plan replaces a shipped one of the
// same id. A file that cannot be read is left out and named in `problems` ("path: reason").
std::vector<ChannelPlan> LoadChannelPlans(const AppPaths& paths,
                                          std::vector<std::string>* problems = nullptr);
// The plan with this id, or nullptr.
const ChannelPlan* FindPlan(const std::vector<ChannelPlan>& plans, std::string_view id);

// ---- Band fit

// Whether the radio stores the frequency exactly: 10 Hz steps on its channel raster.
bool FrequencyStorable(std::int64_t hz);
// Whether a channel's receive frequency, and its transmit frequency when it has one, lie within
// the band and can be stored exactly.
bool ChannelFits(const PlanChannel& channel, const FrequencyLimits& limits);

struct BandFit {
    int total = 0; // channels in the plan
    int fit = 0;   // channels that ChannelFits
};
BandFit PlanBandFit(const ChannelPlan& plan, const FrequencyLimits& limits);
// The band list position for a new document of this plan: `current` when every channel fits
// it, else the position where most channels fit (the narrowest band on a tie).
int BestBandPosition(const ChannelPlan& plan, int current);

// ---- Applying a plan

enum class PlanPlacement {
    FreeChannels, // into the channels without a receive frequency, ascending
    FromChannel,  // into channels from, from+1, ... 16
};

struct PlanApplyOptions {
    std::vector<int> picks; // plan channel numbers in the order wanted; empty: every channel
    PlanPlacement placement = PlanPlacement::FreeChannels;
    int from = 1;
    std::string tone; // one CTCSS tone ("88.5") or DCS code ("D023N") for all; "": the plan's
};

// The channels picks go to, in order: the free ones, or from..16.
std::vector<int> PlanTargetChannels(const RadioImage& image, const PlanApplyOptions& options);
// Picks as "1-8,12" of plan channel numbers; false when the text is no such list or names a
// channel the plan lacks (`bad` gets the offending part).
bool ParsePlanPicks(const ChannelPlan& plan, std::string_view text, std::vector<int>& picks,
                    std::string& bad);
// A tone for all channels as the tone lists offer it ("88.5", "D023N", "D754I"), normalised;
// nothing when the radio's lists lack it.
std::optional<std::string> ListedTone(std::string_view text);

// The rows to import: one row per picked channel, Location set to the channel it goes to;
// `lines` gets, per data row in order, the plan channel it came from (for the report). A
// receive-only channel gets no transmit frequency; a channel limited to 0.5 W or less gets Low
// power; one limited to 12.5 kHz gets Narrow.
// `notPlaced` gets the picks no channel was left for.
std::string PlanImportText(const ChannelPlan& plan, const PlanApplyOptions& options,
                           const RadioImage& image, std::vector<const PlanChannel*>& rows,
                           std::vector<const PlanChannel*>& notPlaced);

struct PlanApplyResult {
    CsvImportResult import;                    // what the CSV import did and noted
    std::vector<const PlanChannel*> rows;      // import row k (line k + 2) came from rows[k]
    std::vector<const PlanChannel*> notPlaced; // picks no channel was left for
};

// Applies the picked channels to the document as one change through the CSV import rules. The
// result points into `plan`, which must outlive it.
DocChange ApplyPlan(RadioDocument& document, const ChannelPlan& plan,
                    const PlanApplyOptions& options, PlanApplyResult& result);

// The report lines of an apply: each note with the plan channel it concerns ("PMR 5 -> channel
// 3: ..."), then the import's summary lines. `text` looks up a String key.
std::vector<std::string> PlanReportLines(const PlanApplyResult& result, const CsvTextLookup& text);

// ---- Texts

// MHz as the table shows it, with five decimals and more only when needed ("446.00625",
// "446.103125").
std::string PlanMhzText(std::int64_t hz);

} // namespace orvik
