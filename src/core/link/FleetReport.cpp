#include "core/link/FleetReport.h"

#include "core/csv/Csv.h"
#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/link/PortNames.h"
#include "core/profile/BoundedRead.h"
#include "core/profile/JsonText.h"

#include <ctime>
#include <sys/stat.h>

namespace orvik {

namespace {

const char* stepKey(FleetStep step) {
    switch (step) {
    case FleetStep::Connect:
        return lang::IDS_FLEET_STEP_CONNECT;
    case FleetStep::Identify:
        return lang::IDS_FLEET_STEP_IDENTIFY;
    case FleetStep::Write:
        return lang::IDS_FLEET_STEP_WRITE;
    case FleetStep::Verify:
        return lang::IDS_FLEET_STEP_VERIFY;
    case FleetStep::Backup:
        return lang::IDS_FLEET_STEP_BACKUP;
    case FleetStep::None:
        break;
    }
    return nullptr;
}

const char* stepName(FleetStep step) {
    switch (step) {
    case FleetStep::Connect:
        return "connect";
    case FleetStep::Identify:
        return "identify";
    case FleetStep::Write:
        return "write";
    case FleetStep::Verify:
        return "verify";
    case FleetStep::Backup:
        return "backup";
    case FleetStep::None:
        break;
    }
    return "";
}

const char* resultName(FleetResult result) {
    switch (result) {
    case FleetResult::WrittenVerified:
        return "verified";
    case FleetResult::WrittenNotVerified:
        return "written";
    case FleetResult::Failed:
        return "failed";
    case FleetResult::Cancelled:
        break;
    }
    return "cancelled";
}

// Local time as 2026-12-08 21:15:07.
std::string timeText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&t, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return buf;
}

std::string baseName(const std::string& device) {
    const std::size_t slash = device.rfind('/');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

// A character device, and not one of the serial ports the kernel keeps in reserve without a
// UART behind them (sysfs type 0).
bool isPresentDevice(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const std::string name = baseName(path);
    const std::string type = ReadBounded("/sys/class/tty/" + name + "/type", 4096);
    return type.substr(0, type.find('\n')) != "0";
}

} // namespace

std::vector<PresentPort> PresentPorts(const std::string& settingsFile) {
    std::vector<PresentPort> ports;
    for (int n = FirstPortNumber; n <= LastPortNumber; ++n) {
        const std::string device = PortDevicePath(settingsFile, n);
        if (device.empty() || !isPresentDevice(device))
            continue;
        // A device under a second name (a link to it) is offered once.
        bool seen = false;
        for (const PresentPort& p : ports)
            seen = seen || SameDevice(p.device, device);
        if (seen)
            continue;
        ports.push_back({n, device, CableName(device)});
    }
    return ports;
}

std::string CableName(const std::string& device) {
    const std::string name = baseName(device);
    if (name.empty() || name == "." || name == "..")
        return {};
    std::string product = ReadBounded("/sys/class/tty/" + name + "/device/../product", 4096);
    product = product.substr(0, product.find('\n'));
    while (!product.empty() && (product.back() == '\r' || product.back() == ' '))
        product.pop_back();
    return product;
}

bool FleetSucceeded(const FleetOutcome& outcome) {
    return outcome.result == FleetResult::WrittenVerified ||
           outcome.result == FleetResult::WrittenNotVerified;
}

std::string FleetResultText(const FleetOutcome& outcome, const TextLookup& text) {
    const TransferOutcome& transfer = outcome.transfer;
    const std::string blocks = std::to_string(transfer.blocksDone);
    if (outcome.result == FleetResult::Cancelled && transfer.state == TransferState::WriteDone)
        return text(lang::IDS_FLEET_CANCELLED_WRITTEN);
    if (outcome.result == FleetResult::Cancelled && transfer.partlyWritten())
        return FillText(text(lang::IDS_FLEET_CANCELLED_PARTLY), {blocks});
    if (outcome.failedStep == FleetStep::Write && transfer.partlyWritten())
        return FillText(text(lang::IDS_FLEET_FAILED_PARTLY), {blocks});
    switch (outcome.result) {
    case FleetResult::WrittenVerified:
        return text(lang::IDS_FLEET_VERIFIED);
    case FleetResult::WrittenNotVerified:
        return text(lang::IDS_FLEET_NOT_VERIFIED);
    case FleetResult::Cancelled:
        return text(lang::IDS_FLEET_CANCELLED);
    case FleetResult::Failed:
        break;
    }
    const char* key = stepKey(outcome.failedStep);
    return FillText(text(lang::IDS_FLEET_FAILED), {key != nullptr ? text(key) : std::string()});
}

std::string FleetPhaseText(const FleetPortStatus& status, const TextLookup& text) {
    switch (status.phase) {
    case FleetPhase::Starting:
    case FleetPhase::WaitingForRadio:
        return text(lang::IDS_FLEET_WAITING);
    case FleetPhase::Writing:
        return PhasePrompt(status.step, false, text);
    case FleetPhase::WaitingForUnplug:
        return text(lang::IDS_FLEET_UNPLUG);
    case FleetPhase::Done:
        break;
    }
    return text(lang::IDS_FLEET_DONE);
}

std::string OffsetList(const std::vector<std::uint16_t>& offsets) {
    std::string list;
    for (const std::uint16_t offset : offsets)
        list += (list.empty() ? "" : " ") + OffsetText(offset);
    return list;
}

std::string FleetDifferencesText(const std::vector<std::string>& places, const TextLookup& text) {
    std::string list;
    for (const std::string& place : places)
        list += (list.empty() ? "" : ", ") + place;
    return list.empty() ? list : FillText(text(lang::IDS_FLEET_DIFFERENCES), {list});
}

FleetTally TallyFleet(const std::vector<FleetOutcome>& outcomes) {
    FleetTally tally;
    for (const FleetOutcome& o : outcomes) {
        const TransferOutcome& t = o.transfer;
        if (o.result == FleetResult::WrittenVerified)
            ++tally.verified;
        else if (o.result == FleetResult::WrittenNotVerified ||
                 (t.state == TransferState::WriteDone && t.endedIn != TransferPhase::Backup &&
                  t.verify != VerifyResult::Mismatch))
            ++tally.notVerified; // also a read-back that was stopped or did not complete
        else if (t.partlyWritten())
            ++tally.partlyWritten;
        else if (o.result == FleetResult::Cancelled)
            ++tally.notStarted;
        else
            ++tally.failed;
    }
    return tally;
}

std::string FleetCountText(const FleetTally& tally, const TextLookup& text) {
    return FillText(text(lang::IDS_FLEET_TALLY),
                    {std::to_string(tally.verified), std::to_string(tally.notVerified),
                     std::to_string(tally.partlyWritten), std::to_string(tally.notStarted),
                     std::to_string(tally.failed)});
}

std::string FleetReportJson(const std::vector<FleetOutcome>& outcomes, const TextLookup& text,
                            const FleetFieldLines& fields) {
    int written = 0;
    int failed = 0;
    int cancelled = 0;
    Json radios = Json::array();
    for (const FleetOutcome& o : outcomes) {
        written += FleetSucceeded(o) ? 1 : 0;
        failed += o.result == FleetResult::Failed ? 1 : 0;
        cancelled += o.result == FleetResult::Cancelled ? 1 : 0;
        Json differences = Json::array();
        for (const std::uint16_t d : o.differences)
            differences.push_back(OffsetText(d));
        radios.push_back({{"number", o.number},
                          {"port", o.port},
                          {"device", o.device},
                          {"ident", o.ident},
                          {"result", resultName(o.result)},
                          {"failedStep", stepName(o.failedStep)},
                          {"message", TransferMessage(o.transfer, text)},
                          {"differences", differences},
                          {"backupFile", o.backupFile},
                          {"started", timeText(o.started)},
                          {"durationMs", o.duration.count()},
                          {"blocksWritten", o.transfer.isRead ? 0 : o.transfer.blocksDone},
                          {"fields", fields ? fields(o) : std::vector<std::string>()}});
    }
    const FleetTally tally = TallyFleet(outcomes);
    const Json out = {{"radios", radios},
                      {"written", written},
                      {"failed", failed},
                      {"cancelled", cancelled},
                      {"verified", tally.verified},
                      {"notVerified", tally.notVerified},
                      {"partlyWritten", tally.partlyWritten},
                      {"notStarted", tally.notStarted}};
    return JsonText(out) + "\n";
}

std::string FleetReportCsv(const std::vector<FleetOutcome>& outcomes, const TextLookup& text,
                           const FleetFieldLines& fields) {
    std::string out = csv::Line({"number", "port", "device", "ident", "result", "failedStep",
                                 "message", "differences", "backupFile", "started", "durationMs",
                                 "blocksWritten", "fields"});
    for (const FleetOutcome& o : outcomes) {
        std::string fieldList;
        for (const std::string& line : fields ? fields(o) : std::vector<std::string>())
            fieldList += (fieldList.empty() ? "" : "; ") + line;
        out +=
            csv::Line({std::to_string(o.number), std::to_string(o.port), o.device, o.ident,
                       resultName(o.result), stepName(o.failedStep),
                       TransferMessage(o.transfer, text), OffsetList(o.differences), o.backupFile,
                       timeText(o.started), std::to_string(o.duration.count()),
                       std::to_string(o.transfer.isRead ? 0 : o.transfer.blocksDone), fieldList});
    }
    return out;
}

std::string FleetReport(const std::string& path, const std::vector<FleetOutcome>& outcomes,
                        const TextLookup& text, const FleetFieldLines& fields) {
    const bool isCsv = path.size() >= 4 && (path.compare(path.size() - 4, 4, ".csv") == 0 ||
                                            path.compare(path.size() - 4, 4, ".CSV") == 0);
    return isCsv ? FleetReportCsv(outcomes, text, fields) : FleetReportJson(outcomes, text, fields);
}

} // namespace orvik
