// orvik-cli doctor: the connection check on the terminal, as text or as JSON.
#include "cli/CliCommon.h"

#include "core/lang/LangText.h"
#include "core/link/ConnectionCheck.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace orvik::cli {

namespace {

const char* const DoctorUsage =
    "  doctor [--json]  check the serial devices and the system for what keeps the cable\n"
    "                  from working, with the fix for each problem (exit 0: a cable can be\n"
    "                  used, 69: not)\n";

int cmdDoctor(Context& ctx, bool json) {
    std::vector<std::string> files;
    if (!takeFiles("doctor", ctx.args, true, files))
        return ExitUsage;
    if (!files.empty()) {
        Complain("orvik-cli doctor: unexpected argument '%s'\n", files.front().c_str());
        return ExitUsage;
    }
    const std::string& lang = ctx.paths.LanguageFilePath();
    const CheckText text = [&lang](std::string_view key) { return LoadLangString(lang, key); };
    const CheckEnvironment env = CheckEnvironment::ForThisProcess(
        ctx.paths.SettingsFilePath(), UdevRulePath(ctx.paths.DataDirectory()));
    const ConnectionReport report = CheckConnection(env, text);
    if (json)
        std::printf("%s\n", ConnectionReportJson(report).c_str());
    else
        std::printf("%s", ConnectionReportText(report, text).c_str());
    return report.usable() ? ExitOk : ExitUnavailable;
}

class DoctorCommand final : public Command {
public:
    const char* usage() const override { return DoctorUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override { return cmdDoctor(ctx, json->count() > 0); }

private:
    const CLI::Option* json = nullptr;
};

} // namespace

std::unique_ptr<Command> MakeDoctorCommand() {
    return std::make_unique<DoctorCommand>();
}

} // namespace orvik::cli
