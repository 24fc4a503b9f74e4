// orvik-cli export and import: the channels as CSV in the generic exchange layout.

#include "cli/CliCommon.h"
#include "cli/CliPlans.h"

#include "core/lang/LangKeys.h"
#include "core/model/ChannelCsv.h"
#include "core/model/RadioDocument.h"
#include "core/profile/AtomicSave.h"
#include "core/profile/JsonText.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orvik::cli {

namespace {

// CSV files larger than this are no channel list.
constexpr std::size_t MaxCsvBytes = 16u << 20;

// Reads a whole file ("-": standard input), pipes included.
bool readText(LangCatalog& texts, const std::string& path, std::string& out) {
    const int error = ReadWholeInput(path, MaxCsvBytes, out);
    if (error == 0)
        return true;
    fail(texts.text(lang::IDS_ERROR_FILE_READ) + " " + path + ": " + std::strerror(error));
    return false;
}

// What an import did as one JSON object (a published interface: fields are added, never
// renamed).
std::string importJson(const CsvImportResult& r, bool saved, const CsvTextLookup& lookup) {
    Json notes = Json::array();
    for (const CsvImportNote& n : r.notes)
        notes.push_back({{"line", n.line},
                         {"channel", n.channel},
                         {"code", CsvNoteCode(n.what)},
                         {"column", n.column},
                         {"value", n.value},
                         {"result", n.result},
                         {"text", CsvNoteText(n, lookup)}});
    const Json out = {{"usable", r.usable},   {"rows", r.rows},       {"imported", r.imported},
                      {"skipped", r.skipped}, {"cleared", r.cleared}, {"changed", r.changed},
                      {"saved", saved},       {"notes", notes}};
    return JsonText(out) + "\n";
}

int cmdExport(Context& ctx, const std::string& output, bool standard) {
    std::string path;
    if (!takeOnlyFile("export", ctx.args, true, path))
        return ExitUsage;
    if (!distinctFiles("export", {{"the input", path, false}, {"the output", output, true}}))
        return ExitUsage;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, path, header, image); rc != ExitOk)
        return rc;
    const std::string csv = ExportChannelsCsv(image, standard);
    return WriteOutput(output, csv);
}

int cmdImport(Context& ctx, const CsvImportOptions& options, bool dryRun, bool json, bool force) {
    std::vector<std::string> files;
    if (!takeFiles("import", ctx.args, true, files))
        return ExitUsage;
    if (files.size() != 2) {
        fail("import takes a FILE.735 and an IN.csv");
        return ExitUsage;
    }
    const std::string& path = files[0];
    if (!distinctFiles("import", {{"the input", files[1], false}, {"the data file", path, true}}))
        return ExitUsage;
    if (const int rc = refuseBackup(ctx, "import", path, force); rc != ExitOk)
        return rc;
    LangCatalog texts = openCatalog(ctx);
    std::string csv;
    if (!readText(texts, files[1], csv))
        return ExitNoInput;
    HeaderBlock header{};
    RadioImage image;
    std::size_t held = 0;
    if (const int rc = load(texts, path, header, image, &held); rc != ExitOk)
        return rc;
    // A short file would be saved padded with the default image's bytes, which write then
    // takes for the radio's band and settings.
    if (held < DataFileSize && !force && !dryRun) {
        fail("import: not saved; --force imports into it anyway");
        return ExitDataErr;
    }

    RadioDocument doc(header, image);
    CsvImportResult r;
    const bool changed = doc.applyCsv(csv, options, r).changedBytes();
    bool saved = false;
    if (r.usable && changed && !dryRun) {
        if (const int rc = save(ctx, path, doc.header(), doc.image(), SaveMode::Replace, "");
            rc != ExitOk)
            return rc;
        saved = true;
    }
    const auto lookup = [&texts](std::string_view key) { return texts.text(key); };

    if (json) {
        const std::string out = importJson(r, saved, lookup);
        std::fputs(out.c_str(), stdout);
    } else {
        FILE* stream = r.usable ? stdout : stderr;
        for (const std::string& line : CsvReportLines(r, lookup))
            std::fprintf(stream, "%s\n", line.c_str());
        if (saved)
            std::printf("%s %s\n", texts.text(lang::IDS_CSV_SAVED).c_str(), path.c_str());
        else if (dryRun && r.usable)
            std::printf("%s\n", texts.text(lang::IDS_CSV_DRY_RUN).c_str());
    }
    if (std::fflush(stdout) != 0)
        return ExitCantCreate;
    if (!r.usable)
        return ExitDataErr;
    return r.notes.empty() ? ExitOk : ExitAdjusted;
}

const char* const ExportUsage =
    "  export FILE.735 [-o OUT.csv] [--standard-columns]\n"
    "                  write the used channels as CSV (standard output without -o);\n"
    "                  --standard-columns leaves out BusyLock and Scrambler\n";
const char* const ImportUsage =
    "  import FILE.735 IN.csv|- [--renumber] [--replace-all] [--dry-run] [--json]\n"
    "         [--force]\n"
    "                  set the channels from a CSV file through the channel table's rules\n"
    "                  and print what could not be taken as it is; --renumber places the\n"
    "                  rows into channels 1 to 16 in file order, --replace-all clears the\n"
    "                  channels the file does not set, --dry-run saves nothing. --force\n"
    "                  imports into a file shorter than 4144 bytes (else exit 65) or one\n"
    "                  in the backup folder (else exit 73: copy it first)\n"
    "  import FILE.735 --plan ID [--pick 1-8,12] [--renumber|--from N] [--tone 88.5]\n"
    "         [--dry-run] [--json] [--force]\n"
    "                  set channels from a channel plan (orvik-cli plans lists them): the\n"
    "                  picked plan channels (default all) go into the free channels, or\n"
    "                  from channel 1 (--renumber) or N on; --tone gives them all one\n"
    "                  CTCSS tone or DCS code (D023N); exit 2 when a pick was adjusted\n"
    "                  or found no channel\n";

class ExportCommand final : public Command {
public:
    const char* usage() const override { return ExportUsage; }
    void define(CLI::App& app) override {
        output = ValueOption(app, "-o,--output", "a file");
        standard = FlagOption(app, "--standard-columns");
    }
    int run(Context& ctx) override {
        return cmdExport(ctx, LastValue(output), standard->count() > 0);
    }

private:
    const CLI::Option* output = nullptr;
    const CLI::Option* standard = nullptr;
};

class ImportCommand final : public Command {
public:
    const char* usage() const override { return ImportUsage; }
    void define(CLI::App& app) override {
        renumber = FlagOption(app, "--renumber");
        replaceAll = FlagOption(app, "--replace-all");
        dryRun = FlagOption(app, "--dry-run");
        json = FlagOption(app, "--json");
        force = FlagOption(app, "--force");
        plan = ValueOption(app, "--plan", "a plan ID");
        pick = ValueOption(app, "--pick", "channel numbers");
        from = ValueOption(app, "--from", "a channel");
        tone = ValueOption(app, "--tone", "a tone");
    }
    int run(Context& ctx) override {
        if (plan->count() > 0) {
            PlanImportRequest req{
                LastValue(plan),     LastValue(pick),       LastValue(from),
                LastValue(tone),     renumber->count() > 0, replaceAll->count() > 0,
                dryRun->count() > 0, json->count() > 0,     force->count() > 0};
            return cmdImportPlan(ctx, req);
        }
        if (pick->count() + from->count() + tone->count() > 0) {
            fail("import: --pick, --from and --tone go with --plan");
            return ExitUsage;
        }
        CsvImportOptions options;
        options.renumber = renumber->count() > 0;
        options.replaceAll = replaceAll->count() > 0;
        return cmdImport(ctx, options, dryRun->count() > 0, json->count() > 0, force->count() > 0);
    }

private:
    const CLI::Option* renumber = nullptr;
    const CLI::Option* replaceAll = nullptr;
    const CLI::Option* dryRun = nullptr;
    const CLI::Option* json = nullptr;
    const CLI::Option* force = nullptr;
    const CLI::Option* plan = nullptr;
    const CLI::Option* pick = nullptr;
    const CLI::Option* from = nullptr;
    const CLI::Option* tone = nullptr;
};

} // namespace

std::unique_ptr<Command> MakeExportCommand() {
    return std::make_unique<ExportCommand>();
}

std::unique_ptr<Command> MakeImportCommand() {
    return std::make_unique<ImportCommand>();
}

} // namespace orvik::cli
