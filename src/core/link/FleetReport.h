#pragma once
// What the front ends of a fleet job (orvik-cli write with several ports, the window's "Write to
// several radios" dialog) say about it: the ports that can be offered, each radio's result in
// words, the running count, and the per-radio report as JSON or CSV. Both front ends use these,
// so they say the same.

#include "core/link/FleetJob.h"

#include <functional>
#include <string>
#include <vector>

namespace orvik {

// A port number whose device exists, and the cable's name where the system knows it.
struct PresentPort {
    int port = 0;
    std::string device;
    std::string cable; // e.g. "CP2102 USB to UART Bridge Controller"; empty when unknown
};

// Every port number 1..255 whose device exists (by [ports] of `settingsFile`, else the default
// names), each device once: the lowest number that names it.
std::vector<PresentPort> PresentPorts(const std::string& settingsFile);

// The USB product name of a serial device from sysfs (/sys/class/tty/<name>/device/../product),
// empty when there is none.
std::string CableName(const std::string& device);

// "Written and verified", "Failed at verifying", ... for one radio.
std::string FleetResultText(const FleetOutcome& outcome, const TextLookup& text);
// The text of a port's phase while it works: waiting for a radio, the step running, waiting for
// the radio to be unplugged.
std::string FleetPhaseText(const FleetPortStatus& status, const TextLookup& text);
// The offsets a read-back found different, as "0x040 0x041".
std::string OffsetList(const std::vector<std::uint16_t>& offsets);
// "Differences at CH2 RX Freq, byte 0x3A1" for the places a read-back found different (as
// MismatchPlaces names them); empty when there are none.
std::string FleetDifferencesText(const std::vector<std::string>& places, const TextLookup& text);

// The differing fields of a radio's read-back as a single write lists them ("CH2 RX Freq (MHz):
// ... -> ..."); empty for a radio without one. A front end builds it with MismatchLines.
using FleetFieldLines = std::function<std::vector<std::string>(const FleetOutcome&)>;
// What a radio holds after the job: the count of each kind in the summary line, the window's
// count and the report.
struct FleetTally {
    int verified = 0;      // written, and the read-back matched
    int notVerified = 0;   // written; no read-back, or it did not complete
    int partlyWritten = 0; // some blocks reached the radio, not all
    int notStarted = 0;    // cancelled before any block reached the radio
    int failed = 0;        // not written, or the read-back differed
};
FleetTally TallyFleet(const std::vector<FleetOutcome>& outcomes);
// "12 written and verified, 0 written but not verified, 1 partly written, ...".
std::string FleetCountText(const FleetTally& tally, const TextLookup& text);
// Written and, when asked, verified.
bool FleetSucceeded(const FleetOutcome& outcome);

// The outcomes as one JSON object: {"radios":[{"number","port","device","ident","result",
// "failedStep","message","differences":["0x040",...],"backupFile","started","durationMs",
// "blocksWritten","fields":["CH2 RX Freq (MHz): ...",...]}],"written":n,"failed":n,
// "cancelled":n,"verified":n,"notVerified":n,"partlyWritten":n,"notStarted":n}. `result` is
// "verified", "written", "failed" or "cancelled"; `failedStep` "", "connect", "identify",
// "write", "verify" or "backup"; `fields` comes from `fields`.
std::string FleetReportJson(const std::vector<FleetOutcome>& outcomes, const TextLookup& text,
                            const FleetFieldLines& fields = {});
// The same as CSV, a header line and a line per radio; differences joined by spaces, fields by
// "; ".
std::string FleetReportCsv(const std::vector<FleetOutcome>& outcomes, const TextLookup& text,
                           const FleetFieldLines& fields = {});
// By the file's extension: .csv gives CSV, anything else JSON.
std::string FleetReport(const std::string& path, const std::vector<FleetOutcome>& outcomes,
                        const TextLookup& text, const FleetFieldLines& fields = {});

} // namespace orvik
