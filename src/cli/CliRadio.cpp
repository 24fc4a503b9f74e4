// orvik-cli read and write: the window program's transfer session, driven from a terminal.
#include "cli/CliRadio.h"
#include "core/profile/PrintableText.h"

#include "cli/CliProgress.h"

#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/CSerialPort.h"
#include "core/link/FleetJob.h"
#include "core/link/FleetReport.h"
#include "core/link/PortNames.h"
#include "core/link/TransferSession.h"
#include "core/model/Backup.h"
#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/AtomicSave.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik::cli {

namespace {

// Loads a .735 file, reporting failures with their exit code (0 when loaded). A file shorter
// than 4144 bytes is refused unless `allowShort`; the warning is printed either way.
int loadInput(const Context& ctx, const std::string& path, HeaderBlock& header, RadioImage& image,
              bool allowShort = true) {
    std::string error;
    std::size_t held = 0;
    switch (LoadDataFile(path, header, image, &error, &held)) {
    case LoadStatus::Ok:
        if (held < DataFileSize) {
            Complain(
                "%s\n%s\n",
                ShortFileWarning(
                    LoadLangString(ctx.paths.LanguageFilePath(), lang::IDS_WARN_SHORT_FILE), held)
                    .c_str(),
                path.c_str());
            if (!allowShort) {
                Complain("orvik-cli write: not written; --force writes it anyway\n");
                return ExitDataErr;
            }
        }
        return ExitOk;
    case LoadStatus::CannotRead:
        Complain("orvik-cli: cannot read %s: %s\n", path.c_str(), error.c_str());
        return ExitNoInput;
    case LoadStatus::HeaderRejected:
        Complain("%s\n%s\n",
                 LoadLangString(ctx.paths.LanguageFilePath(), lang::IDS_WARN_LOAD).c_str(),
                 path.c_str());
        return ExitDataErr;
    }
    return ExitDataErr;
}

// Whether OUT can be created: its directory exists and is writable.
bool outputDirectoryWritable(const std::string& path, std::string& why) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (::access(dir.c_str(), W_OK | X_OK) != 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        why = "is a directory";
        return false;
    }
    return true;
}

// Runs the job to its end (Ctrl+C or SIGTERM cancel it) on a port of its own, showing its
// events as the worker pushes them; `trace` receives the job's line trace, `radio` what the
// radio returned to the read-back.
TransferOutcome runJob(Context& ctx, const TransferRequest& request, RadioImage& image,
                       ProgressDisplay& display, std::string& trace, RadioImage* radio = nullptr) {
    const InterruptCatcher catcher;
    CSerialPort port;
    port.SetSettingsFilePath(ctx.paths.SettingsFilePath());
    JobEvents events;
    TransferSession session; // joined before the events and the port go
    display.firstPhase(TransferSession::FirstPhase(request));
    session.start(request, image.data(), port, events);
    for (bool ended = false; !ended;) {
        catcher.wait();
        if (catcher.interrupted())
            session.cancel(); // the worker has delivered finished() when this returns
        for (const JobEvents::Event& event : events.take())
            ended = display.show(event) || ended;
    }
    session.wait();
    if (session.outcome().succeeded())
        std::memcpy(image.data(), session.image().data(), RadioImage::Size);
    if (radio != nullptr)
        std::memcpy(radio->data(), session.radioImage().data(), RadioImage::Size);
    trace = session.trace().Text();
    return session.outcome();
}

TextLookup lookupIn(const Context& ctx) {
    const std::string lang = ctx.paths.LanguageFilePath();
    // The terminal has no OK button: the messages that ask for it have a command-line wording
    // of their own.
    return [lang](std::string_view key) {
        if (key == lang::IDS_PROMPT_READFAIL)
            key = lang::IDS_CLI_READFAIL;
        else if (key == lang::IDS_PROMPT_WRITEFAIL)
            key = lang::IDS_CLI_WRITEFAIL;
        return LoadLangString(lang, key);
    };
}

// Reports a job that did not succeed; returns the exit code.
int reportFailure(const Context& ctx, const TransferOutcome& outcome) {
    const std::string& lang = ctx.paths.LanguageFilePath();
    // A read-back that differed is followed by its differences.
    const std::string message = TransferMessage(outcome, lookupIn(ctx), true);
    if (outcome.cancelled) {
        if (message.empty())
            Complain("orvik-cli: interrupted; nothing was written\n");
        else
            Complain("orvik-cli: interrupted\n%s\n", message.c_str());
        return InterruptedExit();
    }
    Complain("%s\n", message.c_str());
    // Written, but the radio does not hold it or could not be read back.
    if (outcome.endedIn == TransferPhase::Verify)
        return ExitTempFail;
    // No radio answered: the connection check names the cause.
    if (NeedsConnectionCheck(outcome))
        Complain("%s\n", LoadLangString(lang, lang::IDS_CHECK_HINT).c_str());
    return outcome.state == TransferState::PortError ? ExitUnavailable : ExitProtocol;
}

// Writes the trace when --trace was given, never through a link nor into a FIFO or device;
// false (with the reason on stderr) when it cannot.
bool writeTrace(const RadioArgs& args, const std::string& trace) {
    return args.trace.empty() || saveTrace(args.trace, trace);
}

// Checks before the job that the trace file can be created, and that its path is no link,
// FIFO, device or directory.
bool traceWritable(const RadioArgs& args) {
    std::string why;
    if (args.trace.empty())
        return true;
    if (!traceFileAllowed(args.trace))
        return false;
    if (outputDirectoryWritable(args.trace, why))
        return true;
    Complain("orvik-cli: cannot create %s: %s\n", args.trace.c_str(), why.c_str());
    return false;
}

TransferRequest makeRequest(const Context& ctx, const RadioArgs& args, bool isRead) {
    TransferChoices choices;
    choices.isRead = isRead;
    choices.iniPath = ctx.paths.SettingsFilePath();
    choices.port = args.port;
    choices.device = args.device;
    choices.search = args.noSearch ? 0 : -1;
    if (args.backup)
        choices.backupFirst = true; // else as setting.ini says
    if (args.verify >= 0)
        choices.verify = args.verify == 1;
    return MakeTransferRequest(choices);
}

// Columns a text takes on a terminal: wide East Asian characters take two.
std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        width += len >= 3 ? 2 : 1;
        i += len;
    }
    return width;
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t w = displayWidth(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

std::string portLabel(int port, const std::string& device) {
    return port > 0 ? "COM" + std::to_string(port) : device;
}

// The targets of a several-radio write; false (with the reason printed) when a device would be
// driven twice or --all-ports finds none.
bool fleetTargets(const Context& ctx, const RadioArgs& args, std::vector<FleetTarget>& targets,
                  const TextLookup& text) {
    const std::string ini = ctx.paths.SettingsFilePath();
    if (args.allPorts) {
        for (const PresentPort& p : PresentPorts(ini))
            targets.push_back({p.port, {}});
        if (targets.empty()) {
            Complain("%s\n", text(lang::IDS_FLEET_NO_PORTS).c_str());
            return false;
        }
        return true;
    }
    std::vector<std::string> seen;
    for (const int port : args.ports) {
        const std::string device = PortDevicePath(ini, port);
        if (device.empty()) {
            Complain("orvik-cli write: COM%d has no device\n", port);
            return false;
        }
        targets.push_back({port, {}});
        seen.push_back(device);
    }
    for (const std::string& device : args.devices) {
        targets.push_back({0, device});
        seen.push_back(device);
    }
    // Two sessions on one device would garble each other's lines, also when it is named twice
    // in two ways (a symbolic link, its /dev/serial/by-id name).
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (seen[i] == seen[j]) {
                Complain("orvik-cli write: %s is given twice\n", seen[i].c_str());
                return false;
            } else if (SameDevice(seen[i], seen[j])) {
                Complain("orvik-cli write: %s is given twice (as %s)\n", seen[j].c_str(),
                         seen[i].c_str());
                return false;
            }
    return true;
}

// The progress of every port on stderr: on a terminal a line per port rewritten in place, with
// each finished radio printed above them; otherwise a log line per change.
class FleetDisplay {
public:
    FleetDisplay(const FleetJob& fleetJob, const std::vector<FleetTarget>& fleetTargets,
                 const std::string& ini, TextLookup lookup)
        : job(fleetJob), text(std::move(lookup)), tty(::isatty(2) == 1) {
        for (const FleetTarget& t : fleetTargets) {
            const std::string device = t.device.empty() ? PortDevicePath(ini, t.port) : t.device;
            labels.push_back(portLabel(t.port, device) + (t.port > 0 ? " " + device : ""));
            width = std::max(width, displayWidth(labels.back()));
        }
        shown.assign(labels.size(), {});
    }

    void update() {
        const std::vector<FleetOutcome> outcomes = job.outcomes();
        std::string out;
        if (tty && drawn)
            out += "\033[" + std::to_string(labels.size()) + "A";
        for (; reported < outcomes.size(); ++reported)
            out += (tty ? "\r\033[K" : "") + finishedLine(outcomes[reported]) + "\n";
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const FleetPortStatus st = job.status(static_cast<int>(i));
            std::string phase = FleetPhaseText(st, text);
            // A port that is done shows what became of its last radio.
            for (auto o = outcomes.rbegin(); st.phase == FleetPhase::Done && o != outcomes.rend();
                 ++o)
                if (o->target == static_cast<int>(i)) {
                    phase = FleetResultText(*o, text);
                    break;
                }
            std::string line = PrintableText(padded(labels[i], width) + "  " + phase);
            if (st.phase == FleetPhase::Writing) {
                if (tty) {
                    constexpr int barWidth = 20;
                    const int filled = st.percent * barWidth / 100;
                    line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(barWidth - filled), '.') + "] ";
                }
                char pct[8];
                std::snprintf(pct, sizeof pct, "%3d%%", st.percent);
                line += pct;
            }
            if (tty) {
                out += "\r\033[K" + line + "\n";
            } else {
                // A log line when the phase or step changes, and every 25 %.
                const std::string key =
                    FleetPhaseText(st, text) + "/" +
                    std::to_string(st.phase == FleetPhase::Writing ? st.percent / 25 : -1);
                if (key != shown[i] && st.phase != FleetPhase::Done) {
                    shown[i] = key;
                    out += line + "\n";
                }
            }
        }
        drawn = true;
        std::fputs(out.c_str(), stderr);
        std::fflush(stderr);
    }

private:
    std::string finishedLine(const FleetOutcome& o) const {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%.1f s",
                      static_cast<double>(o.duration.count()) / 1000.0);
        return "#" + std::to_string(o.number) + " " + labels[static_cast<std::size_t>(o.target)] +
               (o.ident.empty() ? "" : " " + o.ident) + ": " + FleetResultText(o, text) + " (" +
               seconds + ")";
    }

    const FleetJob& job;
    TextLookup text;
    bool tty;
    bool drawn = false;
    std::vector<std::string> labels;
    std::vector<std::string> shown;
    std::size_t width = 0;
    std::size_t reported = 0;
};

// The summary table, the count, and for each radio that was not written why.
void printFleetSummary(const Context& ctx, const std::vector<FleetOutcome>& outcomes,
                       const RadioImage& image, const TextLookup& text) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"#", text(lang::IDS_FLEET_HEAD_PORT), text(lang::IDS_FLEET_HEAD_DEVICE),
                    text(lang::IDS_FLEET_HEAD_RADIO), text(lang::IDS_FLEET_HEAD_RESULT),
                    text(lang::IDS_FLEET_HEAD_TIME), text(lang::IDS_FLEET_HEAD_BACKUP)});
    std::string failedList;
    std::string cancelledList;
    for (const FleetOutcome& o : outcomes) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%.1f s",
                      static_cast<double>(o.duration.count()) / 1000.0);
        rows.push_back({std::to_string(o.number), o.port > 0 ? "COM" + std::to_string(o.port) : "-",
                        o.device, o.ident, FleetResultText(o, text), seconds, o.backupFile});
        std::string& list = o.result == FleetResult::Failed ? failedList : cancelledList;
        if (!FleetSucceeded(o))
            list += (list.empty() ? "" : ", ") + portLabel(o.port, o.device);
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? padded(row[c], widths[c] + 2) : row[c];
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::printf("%s\n", line.c_str());
    }
    std::printf("%s\n", FleetCountText(TallyFleet(outcomes), text).c_str());
    if (!failedList.empty())
        std::printf("%s\n", FillText(text(lang::IDS_FLEET_NOT_WRITTEN), {failedList}).c_str());
    if (!cancelledList.empty())
        std::printf("%s\n", FillText(text(lang::IDS_FLEET_STOPPED_LIST), {cancelledList}).c_str());
    std::fflush(stdout);
    // Why each radio failed, with the fields a read-back found different.
    std::optional<LangCatalog> catalog;
    for (const FleetOutcome& o : outcomes) {
        if (FleetSucceeded(o))
            continue;
        const bool listed = o.readBack.size() == RadioImage::Size;
        const std::string message = TransferMessage(o.transfer, text, listed);
        if (!message.empty())
            Complain("%s: %s\n", portLabel(o.port, o.device).c_str(), message.c_str());
        if (o.readBack.size() != RadioImage::Size)
            continue;
        if (!catalog)
            catalog = openCatalog(ctx);
        for (const std::string& line :
             MismatchLines(image.data(), o.readBack.data(), *catalog, ctx.paths.SettingsFilePath()))
            Complain("  %s\n", line.c_str());
    }
}

// Writes the image to every target at once (or radio after radio with --repeat); returns the
// exit code: 0 when every radio was written (and verified when asked), 75 when one failed,
// 130 when Ctrl+C or SIGTERM stopped the job.
int writeFleet(Context& ctx, const RadioArgs& args, const RadioImage& image) {
    const TextLookup text = lookupIn(ctx);
    FleetRequest request;
    request.iniPath = ctx.paths.SettingsFilePath();
    if (!fleetTargets(ctx, args, request.targets, text))
        return args.allPorts ? ExitUnavailable : ExitUsage;
    const TransferRequest single = makeRequest(ctx, args, false);
    request.verify = single.verify;
    if (single.backup && single.backup->beforeWrite)
        request.backup = single.backup;
    request.hotSwap = args.repeat >= 0;
    request.total = std::max(args.repeat, 0);
    request.trace = false;
    std::string why;
    if (!args.report.empty() && !outputDirectoryWritable(args.report, why)) {
        Complain("orvik-cli: cannot create %s: %s\n", args.report.c_str(), why.c_str());
        return ExitCantCreate;
    }

    const InterruptCatcher catcher;
    // Each change of a port wakes the command's thread, which redraws; the end wakes it last.
    struct Wakes final : FleetObserver {
        void phase(int, FleetPhase) override { InterruptCatcher::Wake(); }
        void progress(int, int) override { InterruptCatcher::Wake(); }
        void finished(const FleetOutcome&) override { InterruptCatcher::Wake(); }
        void ended() override {
            done.store(true);
            InterruptCatcher::Wake();
        }
        std::atomic<bool> done{false};
    } wakes;
    FleetJob job; // joined before the observer goes
    job.start(request, image.data(), &wakes);
    FleetDisplay display(job, request.targets, request.iniPath, text);
    if (request.hotSwap && request.total == 0)
        Complain("%s\n", text(lang::IDS_FLEET_WAITING_ALL).c_str());
    bool interrupted = false;
    while (!wakes.done.load()) {
        catcher.wait();
        if (catcher.interrupted()) {
            interrupted = true;
            job.cancel();
            break;
        }
        display.update();
    }
    job.wait();
    display.update();

    const std::vector<FleetOutcome> outcomes = job.outcomes();
    printFleetSummary(ctx, outcomes, image, text);
    bool reportWritten = true;
    if (!args.report.empty()) {
        LangCatalog catalog = openCatalog(ctx);
        const FleetFieldLines fields = [&](const FleetOutcome& o) {
            if (o.readBack.size() != RadioImage::Size)
                return std::vector<std::string>();
            return MismatchLines(image.data(), o.readBack.data(), catalog, request.iniPath);
        };
        const SaveResult saved = SaveFileAtomically(
            args.report, FleetReport(args.report, outcomes, text, fields), SaveMode::Replace);
        if (!saved.ok) {
            Complain("orvik-cli: %s\n", saved.errorText.c_str());
            reportWritten = false;
        }
    }
    bool anyFailed = false;
    bool anyCancelled = false;
    for (const FleetOutcome& o : outcomes) {
        anyFailed = anyFailed || o.result == FleetResult::Failed;
        anyCancelled = anyCancelled || o.result == FleetResult::Cancelled;
    }
    if (anyFailed)
        return ExitTempFail;
    // Also when the interrupt came while --repeat waited for a radio and none was cancelled.
    if (anyCancelled || interrupted)
        return InterruptedExit();
    return reportWritten ? ExitOk : ExitCantCreate;
}

} // namespace

int cmdRead(Context& ctx, const RadioArgs& args) {
    warnBackupSettings(ctx);
    HeaderBlock header = NewHeaderBlock();
    RadioImage image = MakeDefaultImage();
    if (!args.base.empty()) {
        const int rc = loadInput(ctx, args.base, header, image);
        if (rc != ExitOk)
            return rc;
    }
    std::string why;
    if (!outputDirectoryWritable(args.output, why)) {
        Complain("orvik-cli: cannot create %s: %s\n", args.output.c_str(), why.c_str());
        return ExitCantCreate;
    }
    if (!traceWritable(args))
        return ExitCantCreate;

    ProgressDisplay display(lookupIn(ctx), true);
    std::string trace;
    const TransferOutcome outcome =
        runJob(ctx, makeRequest(ctx, args, true), image, display, trace);
    if (!outcome.succeeded()) {
        writeTrace(args, trace);
        return reportFailure(ctx, outcome);
    }
    // A backup that could not be stored does not fail the read.
    if (const std::string warning = BackupWarning(outcome, lookupIn(ctx)); !warning.empty())
        Complain("%s\n", warning.c_str());

    // The image first: a trace that cannot be written never costs it.
    std::string error;
    const bool saved = SaveDataFile(args.output, header, image, &error);
    const bool traceWritten = writeTrace(args, trace);
    if (!saved) {
        Complain("orvik-cli: cannot write %s: %s\n", args.output.c_str(), error.c_str());
        return ExitCantCreate;
    }
    Complain("read %s\n", args.output.c_str());
    return traceWritten ? ExitOk : ExitCantCreate;
}

int cmdWrite(Context& ctx, const RadioArgs& args) {
    warnBackupSettings(ctx);
    HeaderBlock header = NewHeaderBlock();
    RadioImage image;
    const int rc = loadInput(ctx, args.input, header, image, args.force);
    if (rc != ExitOk)
        return rc;
    if (args.fleet())
        return writeFleet(ctx, args, image);
    if (!traceWritable(args))
        return ExitCantCreate;

    ProgressDisplay display(lookupIn(ctx), false);
    std::string trace;
    RadioImage radio;
    const RadioImage written = image;
    const TransferOutcome outcome =
        runJob(ctx, makeRequest(ctx, args, false), image, display, trace, &radio);
    const bool traceWritten = writeTrace(args, trace);
    if (outcome.verify == VerifyResult::Mismatch && !outcome.cancelled) {
        // What the radio holds against what was written, the channel named.
        LangCatalog texts = openCatalog(ctx);
        const int code = reportFailure(ctx, outcome);
        for (const std::string& line :
             MismatchLines(written.data(), radio.data(), texts, ctx.paths.SettingsFilePath()))
            Complain("%s\n", line.c_str());
        return code;
    }
    if (!outcome.succeeded())
        return reportFailure(ctx, outcome);
    if (!outcome.backupPath.empty())
        Complain("%s\n", outcome.backupPath.c_str());
    if (outcome.verify == VerifyResult::Verified)
        Complain("%s\n", LoadLangString(ctx.paths.LanguageFilePath(), lang::IDS_VERIFY_OK).c_str());
    else
        Complain("wrote %s to the radio\n", args.input.c_str());
    return traceWritten ? ExitOk : ExitCantCreate;
}

} // namespace orvik::cli
