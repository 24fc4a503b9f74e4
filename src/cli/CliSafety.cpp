// orvik-cli diff and backups: compare two data files field by field; list the radio backups.
#include "cli/CliCommon.h"

#include "core/lang/LangText.h"
#include "core/model/Backup.h"
#include "core/model/ImageDiff.h"
#include "core/profile/JsonText.h"
#include "core/profile/PrintableText.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace orvik::cli {

namespace {

int cmdDiff(Context& ctx, bool json) {
    std::vector<std::string> files;
    if (!takeFiles("diff", ctx.args, false, files))
        return ExitUsage;
    if (files.size() != 2) {
        fail("diff needs two files: A.735 B.735");
        return ExitUsage;
    }
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage a;
    RadioImage b;
    if (const int rc = load(texts, files[0], header, a); rc != ExitOk)
        return rc;
    if (const int rc = load(texts, files[1], header, b); rc != ExitOk)
        return rc;
    const std::vector<ImageDifference> differences =
        CompareImages(a, b, LoadDiffTexts(texts, ReadBandNames(ctx.paths.SettingsFilePath())));
    std::string out;
    if (json) {
        out = DifferencesJson(differences);
    } else {
        for (const ImageDifference& d : differences)
            out += PrintableText(DifferenceLine(d)) + "\n";
    }
    std::fputs(out.c_str(), stdout);
    if (std::fflush(stdout) != 0)
        return ExitCantCreate;
    return differences.empty() ? ExitOk : 1;
}

int cmdBackups(Context& ctx, bool json) {
    std::vector<std::string> files;
    if (!takeFiles("backups", ctx.args, true, files))
        return ExitUsage;
    if (!files.empty()) {
        fail("unexpected argument '" + files.front() + "' for backups");
        return ExitUsage;
    }
    warnBackupSettings(ctx);
    const BackupSettings settings = LoadBackupSettings(ctx.paths.SettingsFilePath());
    const std::vector<std::string> bands = ReadBandNames(ctx.paths.SettingsFilePath());
    auto bandName = [&bands](int code) {
        if (code < 0)
            return std::string();
        const int position = BandListPositionOf(static_cast<std::uint8_t>(code));
        return static_cast<std::size_t>(position) < bands.size()
                   ? bands[static_cast<std::size_t>(position)]
                   : std::string();
    };
    const std::vector<BackupEntry> entries = ListBackups(settings.folder);
    std::string out;
    if (json) {
        Json backups = Json::array();
        for (const BackupEntry& e : entries)
            backups.push_back({{"path", e.path},
                               {"name", e.name},
                               {"time", e.time},
                               {"kind", e.kind},
                               {"readable", e.bandCode >= 0},
                               {"bandCode", e.bandCode},
                               {"band", bandName(e.bandCode)},
                               {"channelsInUse", e.channelsInUse}});
        const Json list = {
            {"folder", settings.folder}, {"keep", settings.keep}, {"backups", backups}};
        out = JsonText(list) + "\n";
    } else {
        out = PrintableText(settings.folder) + "\n";
        auto pad = [](std::string text, std::size_t width) {
            if (text.size() < width)
                text.append(width - text.size(), ' ');
            return text;
        };
        for (const BackupEntry& e : entries) {
            out += e.time + "  " + pad(e.kind, 12) + "  ";
            if (e.bandCode < 0)
                out += pad("(unreadable)", 16) + "        ";
            else
                out += pad(bandName(e.bandCode), 16) + "  " +
                       pad(std::to_string(e.channelsInUse) + " ch", 6);
            out += "  " + PrintableText(e.path) + "\n";
        }
    }
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

const char* const DiffUsage =
    "  diff A.735 B.735 [--json]\n"
    "                  list every field that differs from A to B, as the window shows it,\n"
    "                  and bytes no field covers by offset (exit 0: equal, 1: different)\n";
const char* const BackupsUsage =
    "  backups [--json]\n"
    "                  list the backups of the radio, newest first (time, kind, band,\n"
    "                  channels in use); each is a data file to open or write\n";

class DiffCommand final : public Command {
public:
    const char* usage() const override { return DiffUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override { return cmdDiff(ctx, json->count() > 0); }

private:
    const CLI::Option* json = nullptr;
};

class BackupsCommand final : public Command {
public:
    const char* usage() const override { return BackupsUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override { return cmdBackups(ctx, json->count() > 0); }

private:
    const CLI::Option* json = nullptr;
};

} // namespace

std::unique_ptr<Command> MakeDiffCommand() {
    return std::make_unique<DiffCommand>();
}

std::unique_ptr<Command> MakeBackupsCommand() {
    return std::make_unique<BackupsCommand>();
}

} // namespace orvik::cli
