// orvik-cli read and write: the window program's transfer session, driven from a terminal.
#include "cli/CliCommon.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/CSerialPort.h"
#include "core/link/PortNames.h"
#include "core/link/Protocol.h"
#include "core/link/TransferSession.h"
#include "core/model/Backup.h"
#include "core/model/DataFile.h"
#include "core/model/ImageDiff.h"
#include "core/model/RadioImage.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik::cli {

const char* const RadioCommandsUsage =
    "  read [--port N | --device PATH] [--no-search] [--trace FILE] -o OUT.735\n"
    "       [--base IN.735]\n"
    "                  read the radio into OUT.735 (bytes 0x3E0 and up, and the header,\n"
    "                  from --base, else the default image)\n"
    "  write [--port N | --device PATH] [--no-search] [--trace FILE]\n"
    "        [--verify | --no-verify] [--backup] [--force] IN.735\n"
    "                  write IN.735 into the radio, then read it back and compare\n"
    "                  (--no-verify or [safety] verify=0 skip that; a difference or a\n"
    "                  failed read-back exits 75). --backup reads and stores the radio\n"
    "                  first (also [backup] before_write=1); nothing is written when\n"
    "                  that fails. --force writes a file shorter than 4144 bytes.\n"
    "                  Every completed read is stored in the backup folder\n"
    "                  (see orvik-cli backups).\n"
    "                  --trace FILE writes every byte on the line with its time and the\n"
    "                  job's steps to FILE, also when the job fails.\n"
    "                  Without --port/--device the port and the search come from\n"
    "                  setting.ini, and a port found by the search is saved there.\n";

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

struct RadioArgs {
    int port = 0;
    std::string device;
    bool noSearch = false;
    std::string output;
    std::string base;
    std::string input;
    std::string trace;
    int verify = -1; // 0 or 1: --no-verify / --verify; -1: [safety] verify
    bool backup = false;
    bool force = false;
};

bool parsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 3)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    port = std::atoi(text.c_str());
    return port >= FirstPortNumber && port <= LastPortNumber;
}

// Parses the options of read (isRead) or write; prints the reason and returns false on error.
bool parseArgs(const std::vector<std::string>& args, bool isRead, RadioArgs& out) {
    const char* cmd = isRead ? "read" : "write";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--port" || a == "--device" || a == "-o" || a == "--output" || a == "--base" ||
            a == "--trace") {
            if (!hasValue) {
                std::fprintf(stderr, "orvik-cli %s: %s needs a value\n", cmd, a.c_str());
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--port") {
                if (!parsePort(v, out.port)) {
                    std::fprintf(stderr, "orvik-cli %s: --port needs a number from 1 to 255\n",
                                 cmd);
                    return false;
                }
            } else if (a == "--device") {
                if (v.empty()) {
                    std::fprintf(stderr, "orvik-cli %s: --device needs a path\n", cmd);
                    return false;
                }
                out.device = v;
            } else if (a == "--trace") {
                if (v.empty()) {
                    std::fprintf(stderr, "orvik-cli %s: --trace needs a file name\n", cmd);
                    return false;
                }
                out.trace = v;
            } else if (isRead && (a == "-o" || a == "--output")) {
                out.output = v;
            } else if (isRead && a == "--base") {
                out.base = v;
            } else {
                std::fprintf(stderr, "orvik-cli %s: unknown option '%s'\n", cmd, a.c_str());
                return false;
            }
        } else if (a == "--no-search") {
            out.noSearch = true;
        } else if (!isRead && (a == "--verify" || a == "--no-verify")) {
            out.verify = a == "--verify" ? 1 : 0;
        } else if (!isRead && a == "--backup") {
            out.backup = true;
        } else if (!isRead && a == "--force") {
            out.force = true;
        } else if (!isRead && out.input.empty() && !a.empty() && a[0] != '-') {
            out.input = a;
        } else {
            std::fprintf(stderr, "orvik-cli %s: unexpected argument '%s'\n", cmd, a.c_str());
            return false;
        }
    }
    if (out.port > 0 && !out.device.empty()) {
        std::fprintf(stderr, "orvik-cli %s: give either --port or --device, not both\n", cmd);
        return false;
    }
    if (isRead && out.output.empty()) {
        std::fprintf(stderr, "orvik-cli read: the output file is missing (-o OUT.735)\n");
        return false;
    }
    if (!isRead && out.input.empty()) {
        std::fprintf(stderr, "orvik-cli write: the input file is missing\n");
        return false;
    }
    return true;
}

// Loads a .735 file, reporting failures with their exit code (0 when loaded). A file shorter
// than 4144 bytes is refused unless `allowShort`; the warning is printed either way.
int loadInput(const Context& ctx, const std::string& path, HeaderBlock& header, RadioImage& image,
              bool allowShort = true) {
    std::string error;
    std::size_t held = 0;
    switch (LoadDataFile(path, header, image, &error, &held)) {
    case LoadStatus::Ok:
        if (held < DataFileSize) {
            std::fprintf(
                stderr, "%s\n%s\n",
                ShortFileWarning(
                    LoadLangString(ctx.paths.LanguageFilePath(), lang::IDS_WARN_SHORT_FILE), held)
                    .c_str(),
                path.c_str());
            if (!allowShort) {
                std::fprintf(stderr, "orvik-cli write: not written; --force writes it anyway\n");
                return ExitDataErr;
            }
        }
        return ExitOk;
    case LoadStatus::CannotRead:
        std::fprintf(stderr, "orvik-cli: cannot read %s: %s\n", path.c_str(), error.c_str());
        return ExitNoInput;
    case LoadStatus::HeaderRejected:
        std::fprintf(stderr, "%s\n%s\n",
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

// Progress on stderr: a bar on a terminal, plain lines otherwise.
class ProgressDisplay final : public TransferObserver {
public:
    ProgressDisplay(TextLookup lookup, bool read)
        : text(std::move(lookup)), isRead(read),
          prompt(PhasePrompt(TransferPhase::Transfer, read, text)), tty(::isatty(2) == 1) {}

    // Shows the prompt of the job's first step.
    void firstPhase(TransferPhase phase) { prompt = PhasePrompt(phase, isRead, text); }

    // Each step gets its own line.
    void phaseStarted(TransferPhase phase) override {
        if (tty && dirty)
            std::fprintf(stderr, "\n");
        dirty = false;
        prompt = PhasePrompt(phase, isRead, text);
        lastPercent = -1;
    }

    void searching(int port) override {
        if (tty) {
            std::fprintf(stderr, "\r\033[Ksearching COM%d", port);
            dirty = true;
        } else {
            std::fprintf(stderr, "searching COM%d\n", port);
        }
    }

    void progress(int value) override {
        if (value == lastPercent)
            return;
        if (tty) {
            constexpr int width = 30;
            const int filled = value * width / 100;
            std::string bar(static_cast<std::size_t>(filled), '#');
            bar.append(static_cast<std::size_t>(width - filled), '.');
            std::fprintf(stderr, "\r\033[K%s [%s] %3d%%", prompt.c_str(), bar.c_str(), value);
            dirty = true;
        } else if (lastPercent < 0 || value / 10 != lastPercent / 10 || value == 100) {
            std::fprintf(stderr, "%s %d%%\n", prompt.c_str(), value);
        }
        lastPercent = value;
    }

    void finished(const TransferOutcome&) override {
        if (tty && dirty)
            std::fprintf(stderr, "\n");
        dirty = false;
    }

private:
    TextLookup text;
    bool isRead;
    std::string prompt;
    bool tty;
    bool dirty = false;
    int lastPercent = -1;
};

// Runs the job to its end (Ctrl+C or SIGTERM cancel it) on a port of its own; `trace` receives
// the job's line trace, `radio` what the radio returned to the read-back.
TransferOutcome runJob(Context& ctx, const TransferRequest& request, RadioImage& image,
                       ProgressDisplay& display, std::string& trace, RadioImage* radio = nullptr) {
    struct sigaction sa {};
    struct sigaction oldInt {
    }, oldTerm{};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &oldInt);
    ::sigaction(SIGTERM, &sa, &oldTerm);
    interrupted = 0;

    CSerialPort port;
    port.SetSettingsFilePath(ctx.paths.SettingsFilePath());
    TransferSession session;
    session.start(request, image.data(), port);
    display.firstPhase(session.phase());
    session.runToEnd(display, &interrupted);
    if (session.outcome().succeeded())
        std::memcpy(image.data(), session.image().data(), RadioImage::Size);
    if (radio != nullptr)
        std::memcpy(radio->data(), session.radioImage().data(), RadioImage::Size);
    trace = session.trace().Text();

    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
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
    const std::string message = TransferMessage(outcome, lookupIn(ctx));
    if (outcome.cancelled) {
        if (message.empty())
            std::fprintf(stderr, "orvik-cli: interrupted; nothing was written\n");
        else
            std::fprintf(stderr, "orvik-cli: interrupted\n%s\n", message.c_str());
        return ExitInterrupted;
    }
    std::fprintf(stderr, "%s\n", message.c_str());
    // Written, but the radio does not hold it or could not be read back.
    if (outcome.endedIn == TransferPhase::Verify)
        return ExitTempFail;
    // No radio answered: the connection check names the cause.
    if (outcome.state == TransferState::PortError && !outcome.wokeUp)
        std::fprintf(stderr, "%s\n", LoadLangString(lang, lang::IDS_CHECK_HINT).c_str());
    return outcome.state == TransferState::PortError ? ExitUnavailable : ExitProtocol;
}

// Writes the trace when --trace was given; false (with the reason on stderr) when it cannot.
bool writeTrace(const RadioArgs& args, const std::string& trace) {
    if (args.trace.empty())
        return true;
    FILE* file = std::fopen(args.trace.c_str(), "w");
    bool ok = file != nullptr;
    const int openErrno = errno;
    if (ok) {
        ok = std::fwrite(trace.data(), 1, trace.size(), file) == trace.size();
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok)
        std::fprintf(stderr, "orvik-cli: cannot write the trace %s: %s\n", args.trace.c_str(),
                     std::strerror(file == nullptr ? openErrno : errno));
    return ok;
}

// Checks before the job that the trace file can be created.
bool traceWritable(const RadioArgs& args) {
    std::string why;
    if (args.trace.empty() || outputDirectoryWritable(args.trace, why))
        return true;
    std::fprintf(stderr, "orvik-cli: cannot create %s: %s\n", args.trace.c_str(), why.c_str());
    return false;
}

TransferRequest makeRequest(const Context& ctx, const RadioArgs& args, bool isRead) {
    TransferRequest request;
    request.isRead = isRead;
    request.iniPath = ctx.paths.SettingsFilePath();
    request.port = args.port;
    request.device = args.device;
    request.search = args.noSearch ? 0 : -1;
    request.backup = LoadBackupSettings(ctx.paths.SettingsFilePath());
    if (!isRead) {
        request.backup->beforeWrite = request.backup->beforeWrite || args.backup;
        request.verify =
            args.verify >= 0 ? args.verify == 1 : VerifyAfterWrite(ctx.paths.SettingsFilePath());
    }
    return request;
}

} // namespace

int cmdRead(Context& ctx) {
    RadioArgs args;
    if (!parseArgs(ctx.args, true, args))
        return ExitUsage;
    HeaderBlock header = NewHeaderBlock();
    RadioImage image = MakeDefaultImage();
    if (!args.base.empty()) {
        const int rc = loadInput(ctx, args.base, header, image);
        if (rc != ExitOk)
            return rc;
    }
    std::string why;
    if (!outputDirectoryWritable(args.output, why)) {
        std::fprintf(stderr, "orvik-cli: cannot create %s: %s\n", args.output.c_str(), why.c_str());
        return ExitCantCreate;
    }
    if (!traceWritable(args))
        return ExitCantCreate;

    ProgressDisplay display(lookupIn(ctx), true);
    std::string trace;
    const TransferOutcome outcome =
        runJob(ctx, makeRequest(ctx, args, true), image, display, trace);
    const bool traceWritten = writeTrace(args, trace);
    if (!outcome.succeeded())
        return reportFailure(ctx, outcome);
    // A backup that could not be stored does not fail the read.
    if (const std::string warning = BackupWarning(outcome, lookupIn(ctx)); !warning.empty())
        std::fprintf(stderr, "%s\n", warning.c_str());

    std::string error;
    if (!SaveDataFile(args.output, header, image, &error)) {
        std::fprintf(stderr, "orvik-cli: cannot write %s: %s\n", args.output.c_str(),
                     error.c_str());
        return ExitCantCreate;
    }
    std::fprintf(stderr, "read %s\n", args.output.c_str());
    return traceWritten ? ExitOk : ExitCantCreate;
}

int cmdWrite(Context& ctx) {
    RadioArgs args;
    if (!parseArgs(ctx.args, false, args))
        return ExitUsage;
    HeaderBlock header = NewHeaderBlock();
    RadioImage image;
    const int rc = loadInput(ctx, args.input, header, image, args.force);
    if (rc != ExitOk)
        return rc;
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
        const DiffTexts diffTexts =
            LoadDiffTexts(texts, ReadBandNames(ctx.paths.SettingsFilePath()));
        const int code = reportFailure(ctx, outcome);
        for (const ImageDifference& d :
             CompareImages(written, radio, diffTexts, protocol::TransferredBytes))
            std::fprintf(stderr, "%s\n", DifferenceLine(d).c_str());
        return code;
    }
    if (!outcome.succeeded())
        return reportFailure(ctx, outcome);
    if (!outcome.backupPath.empty())
        std::fprintf(stderr, "%s\n", outcome.backupPath.c_str());
    if (outcome.verify == VerifyResult::Verified)
        std::fprintf(stderr, "%s\n",
                     LoadLangString(ctx.paths.LanguageFilePath(), lang::IDS_VERIFY_OK).c_str());
    else
        std::fprintf(stderr, "wrote %s to the radio\n", args.input.c_str());
    return traceWritten ? ExitOk : ExitCantCreate;
}

} // namespace orvik::cli
