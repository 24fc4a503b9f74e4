// orvik-cli dump and apply: the whole radio as a text file (YAML), and the image built from one
// for new --from and write.

#include "cli/CliCommon.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/RadioDocument.h"
#include "core/model/TextForm.h"
#include "core/profile/AtomicSave.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orvik::cli {

namespace {

// A text file larger than this is no radio.
constexpr std::size_t MaxTextBytes = 4u << 20;

// Reads a whole file ("-": standard input); false after saying why.
bool readTextFile(const std::string& path, std::string& out) {
    const int error = ReadWholeInput(path, MaxTextBytes, out);
    if (error == 0)
        return true;
    fail("cannot read " + path + ": " + std::strerror(error));
    return false;
}

// "IN.yaml:3:9: " (the place 1-based; "IN.yaml: " when there is none).
std::string placeText(const std::string& path, TextPlace at) {
    if (at.line <= 0)
        return path + ": ";
    return path + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": ";
}

const char* const ColumnNames[ChannelColumnCount] = {
    "channel",       "receive frequency", "receive tone", "transmit frequency", "transmit tone",
    "option col. 5", "bandwidth",         "power",        "option col. 8",      "option col. 9"};

// Reads and applies a text file to `doc`. Each value the rules adjusted is told as edit tells
// it, at its place in the file; `adjusted` says whether there was one. ExitOk, or the exit code
// with the message printed.
int applyFile(const Context& ctx, LangCatalog& texts, const std::string& path, RadioDocument& doc,
              bool replace, bool& adjusted) {
    std::string text;
    if (!readTextFile(path, text))
        return ExitNoInput;
    TextPlan plan;
    TextFormError error;
    if (!ReadTextForm(text, ReadBandNames(ctx.paths.SettingsFilePath()), plan, error)) {
        Complain("%s%s\n", placeText(path, error.at).c_str(), error.what.c_str());
        return ExitDataErr;
    }
    const TextApplyResult r = ApplyTextForm(doc, plan, replace);
    if (!r.ok) {
        Complain("%s%s\n", placeText(path, r.error.at).c_str(), r.error.what.c_str());
        return ExitDataErr;
    }
    const auto lookup = [&texts](std::string_view key) { return texts.text(key); };
    for (const TextNote& n : r.notes)
        Complain("%schannel %d %s: %s\n", placeText(path, n.at).c_str(), n.note.channel,
                 ColumnNames[n.note.column], CommitNoteText(n.note.note, lookup).c_str());
    adjusted = !r.notes.empty();
    return ExitOk;
}

int cmdDump(Context& ctx, const std::string& output) {
    std::string path;
    if (!takeOnlyFile("dump", ctx.args, true, path))
        return ExitUsage;
    if (!distinctFiles("dump", {{"the input", path, false}, {"the output", output, true}}))
        return ExitUsage;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, path, header, image); rc != ExitOk)
        return rc;
    const std::string text = WriteTextForm(image, ReadBandNames(ctx.paths.SettingsFilePath()),
                                           "Made by orvik-cli " ORVIK_VERSION " dump from " + path);
    return WriteOutput(output, text);
}

struct ApplyFlags {
    bool dryRun = false;
    bool strict = false;
    bool replace = false;
    bool force = false;
};

int cmdApply(Context& ctx, const ApplyFlags& flags) {
    std::vector<std::string> files;
    if (!takeFiles("apply", ctx.args, false, files))
        return ExitUsage;
    if (files.size() != 2) {
        fail("apply takes a FILE.735 and an IN.yaml");
        return ExitUsage;
    }
    const std::string& path = files[0];
    if (!distinctFiles("apply", {{"the input", files[1], false}, {"the data file", path, true}}))
        return ExitUsage;
    if (const int rc = refuseBackup(ctx, "apply", path, flags.force); rc != ExitOk)
        return rc;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    std::size_t held = 0;
    if (const int rc = load(texts, path, header, image, &held); rc != ExitOk)
        return rc;
    // A short file would be saved padded with 0xFF bytes that its text does not name.
    if (held < DataFileSize && !flags.force && !flags.dryRun && !flags.replace) {
        fail("apply: not saved; --force applies to it anyway");
        return ExitDataErr;
    }
    RadioDocument doc(header, image);
    bool adjusted = false;
    if (const int rc = applyFile(ctx, texts, files[1], doc, flags.replace, adjusted); rc != ExitOk)
        return rc;
    if (adjusted && flags.strict) {
        fail("--strict: nothing was saved");
        return ExitDataErr;
    }
    const bool changed = doc.header() != header || !(doc.image() == image);
    if (changed && !flags.dryRun)
        if (const int rc = save(ctx, path, doc.header(), doc.image(), SaveMode::Replace, "");
            rc != ExitOk)
            return rc;
    std::printf("%s\n", changed ? "modified" : "unchanged");
    if (flags.dryRun)
        std::printf("%s\n", texts.text(lang::IDS_CSV_DRY_RUN).c_str());
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

const char* const DumpUsage =
    "  dump FILE.735 [-o OUT.yaml]\n"
    "                  write the whole image as YAML (standard output without -o): the\n"
    "                  band, every setting, the DTMF code, the channels in use and the\n"
    "                  bytes no field covers; apply --replace makes the same image again\n";
const char* const ApplyUsage =
    "  apply FILE.735 IN.yaml|- [--dry-run] [--strict] [--replace] [--force]\n"
    "                  change FILE.735 as the YAML file (or show --json output) says,\n"
    "                  through the rules of edit: a partial file changes only what it\n"
    "                  names, each value stored otherwise than given is told on standard\n"
    "                  error, --strict makes that an error (exit 65, nothing saved).\n"
    "                  --replace starts from a cleared image of the file's band (a band\n"
    "                  change needs it while a channel is in use). A mistake in the file\n"
    "                  is told as FILE:LINE:COLUMN (exit 65, nothing saved). --dry-run\n"
    "                  saves nothing; --force as for import\n";

class DumpCommand final : public Command {
public:
    const char* usage() const override { return DumpUsage; }
    void define(CLI::App& app) override { output = ValueOption(app, "-o,--output", "a file"); }
    int run(Context& ctx) override { return cmdDump(ctx, LastValue(output)); }

private:
    const CLI::Option* output = nullptr;
};

class ApplyCommand final : public Command {
public:
    const char* usage() const override { return ApplyUsage; }
    void define(CLI::App& app) override {
        dryRun = FlagOption(app, "--dry-run");
        strict = FlagOption(app, "--strict");
        replace = FlagOption(app, "--replace");
        force = FlagOption(app, "--force");
    }
    int run(Context& ctx) override {
        return cmdApply(ctx, {dryRun->count() > 0, strict->count() > 0, replace->count() > 0,
                              force->count() > 0});
    }

private:
    const CLI::Option* dryRun = nullptr;
    const CLI::Option* strict = nullptr;
    const CLI::Option* replace = nullptr;
    const CLI::Option* force = nullptr;
};

} // namespace

bool IsTextFormPath(const std::string& path) {
    std::string ext;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos)
        for (char c : path.substr(dot))
            ext += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".yaml" || ext == ".yml" || ext == ".json";
}

int BuildFromText(const Context& ctx, const std::string& path, RadioDocument& doc) {
    LangCatalog texts = openCatalog(ctx);
    bool adjusted = false;
    return applyFile(ctx, texts, path, doc, true, adjusted);
}

std::unique_ptr<Command> MakeDumpCommand() {
    return std::make_unique<DumpCommand>();
}

std::unique_ptr<Command> MakeApplyCommand() {
    return std::make_unique<ApplyCommand>();
}

} // namespace orvik::cli
