// orvik-cli: inspect and edit .735 data files and read or write the radio without a window.

#include "cli/CliCommon.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace orvik;
using namespace orvik::cli;

namespace {

// Every command, in the order the usage lists them. Each one's class declares its options on
// its own CLI11 subcommand and runs it.
struct CommandEntry {
    const char* name;
    std::unique_ptr<Command> (*make)();
};
constexpr CommandEntry CommandTable[] = {
    {"new", MakeNewCommand},       {"show", MakeShowCommand},     {"edit", MakeEditCommand},
    {"export", MakeExportCommand}, {"import", MakeImportCommand}, {"read", MakeReadCommand},
    {"write", MakeWriteCommand},   {"diff", MakeDiffCommand},     {"backups", MakeBackupsCommand},
    {"doctor", MakeDoctorCommand}, {"dump", MakeDumpCommand},     {"apply", MakeApplyCommand},
    {"plans", MakePlansCommand},   {"check", MakeCheckCommand},
};

// The usage of the program; %s takes every command's lines.
const char* const UsageText =
    "Usage: orvik-cli [--app-dir DIR] COMMAND [ARGS]\n"
    "\n"
    "  --app-dir DIR   program directory holding setting.ini and the *.lang files\n"
    "                  (default: the directory of this executable when it holds\n"
    "                  setting.ini, else ~/.config/orvik and <prefix>/share/orvik)\n"
    "  --version       print the version and exit\n"
    "\n"
    "Commands:\n%s"
    "\n"
    "Exit codes: 0 success, 64 usage, 65 header rejected, 66 input unreadable,\n"
    "69 port error (doctor: no usable cable), 73 output unwritable,\n"
    "75 write not verified (the radio read back differs or did not answer),\n"
    "76 radio transfer failed, 78 setting.ini missing, 129 hung up (SIGHUP),\n"
    "130 interrupted; import: 2 rows adjusted or skipped, 65 no Location/Frequency\n"
    "header; apply, new --from, write IN.yaml: 65 a mistake in the text file\n"
    "(apply --strict: also an adjusted value); an output naming an input: 64;\n"
    "diff: 0 equal, 1 different; check: 0 nothing found, 1 findings.\n";

// The arguments in the reverse order CLI11 parses them from. "--name=" gets its empty value as
// an argument of its own, as CLI11 would otherwise take the next argument as the value.
std::vector<std::string> commandLine(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() > 3 && arg.rfind("--", 0) == 0 && arg.find('=') == arg.size() - 1) {
            args.push_back(arg.substr(0, arg.size() - 1));
            args.emplace_back();
        } else {
            args.push_back(arg);
        }
    }
    return {args.rbegin(), args.rend()};
}

// The message for what CLI11 refused to read: an option at the end without its value, or a
// value given to an option that takes none.
std::string refusedText(const CLI::App& app, const CLI::ParseError& error) {
    const std::string text = error.what();
    const std::size_t colon = text.find(": ");
    if (colon != std::string::npos && text.ends_with(" missing")) {
        const std::string name = text.substr(0, colon);
        const CLI::Option* option = app.get_option_no_throw(name);
        for (const CLI::App* sub : app.get_subcommands())
            option = option ? option : sub->get_option_no_throw(name);
        if (option)
            return name + " needs " + option->get_description();
    }
    const std::size_t flag = text.find(" was given a disallowed flag override");
    if (flag != std::string::npos)
        return "--" + text.substr(0, flag) + " takes no value";
    return text;
}

// orvik-cli's own options, before the command, and every command on its own subcommand.
class Program {
public:
    Program();
    // Reads the command line. Answers what needs no command run (--version, --help, a usage
    // error) and returns its exit code; nothing when the chosen command is to run.
    std::optional<int> parse(int argc, char** argv);
    // Runs the chosen command in the program directory, which must hold setting.ini.
    int run();

private:
    struct Subcommand {
        CLI::App* app;
        std::unique_ptr<Command> command;
    };
    void printUsage(FILE* out) const;

    CLI::App app{"orvik-cli", "orvik-cli"};
    CLI::Option* appDir = nullptr;
    CLI::Option* version = nullptr;
    CLI::Option* help = nullptr;
    std::vector<Subcommand> commands;
    Subcommand* chosen = nullptr;
    std::string refused; // what CLI11 could not read, told once setting.ini is found
};

Program::Program() {
    // Before the command, the first of --version and --help wins; they are plain flags here.
    app.set_help_flag();
    appDir = ValueOption(app, "--app-dir", "a directory");
    version = FlagOption(app, "--version");
    help = FlagOption(app, "-h,--help");
    // An argument that is no command ends the parse; it is reported as an unknown command.
    app.prefix_command();
    app.require_subcommand(0, 1);
    for (const CommandEntry& entry : CommandTable) {
        CLI::App* sub = app.add_subcommand(entry.name);
        // The operands, and the options a command does not know, are the command's to judge.
        sub->prefix_command(false)->allow_extras();
        sub->set_help_flag("-h,--help");
        commands.push_back({sub, entry.make()});
        commands.back().command->define(*sub);
    }
}

void Program::printUsage(FILE* out) const {
    std::string lines;
    for (const Subcommand& c : commands)
        lines += c.command->usage();
    std::fprintf(out, UsageText, lines.c_str());
}

std::optional<int> Program::parse(int argc, char** argv) {
    try {
        app.parse(commandLine(argc, argv));
    } catch (const CLI::CallForHelp&) {
        // The command's --help, answered below.
    } catch (const CLI::ParseError& error) {
        refused = refusedText(app, error);
    }
    for (const CLI::Option* option : app.parse_order()) {
        if (option == version) {
            std::printf("orvik-cli %s\n", ORVIK_VERSION);
            return ExitOk;
        }
        if (option == help) {
            printUsage(stdout);
            return ExitOk;
        }
    }
    if (const std::vector<std::string> rest = app.remaining(); !rest.empty()) {
        Complain("orvik-cli: unknown command '%s'\n\n", rest.front().c_str());
        printUsage(stderr);
        return ExitUsage;
    }
    for (Subcommand& c : commands)
        chosen = c.app->parsed() ? &c : chosen;
    // COMMAND --help: that command's usage, also without setting.ini.
    if (chosen && chosen->app->get_help_ptr()->count() > 0) {
        std::printf("Usage: orvik-cli [--app-dir DIR] %s\n%s", chosen->app->get_name().c_str(),
                    chosen->command->usage());
        return ExitOk;
    }
    if (!chosen && !refused.empty()) {
        fail(refused);
        return ExitUsage;
    }
    if (!chosen) {
        printUsage(stderr);
        return ExitUsage;
    }
    return std::nullopt;
}

int Program::run() {
    // --app-dir makes that folder the program directory for everything.
    std::string dir = LastValue(appDir);
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    Context ctx{dir.empty() ? AppPaths::Locate(AppPaths::ExecutableDirectory()) : AppPaths(dir),
                chosen->app->remaining()};
    if (!ctx.paths.PrepareSettingsFile()) {
        Complain("Can not find the file setting.ini!\n");
        for (const std::string& folder : ctx.paths.SearchedFolders())
            Complain("  %s\n", folder.c_str());
        return ExitConfig;
    }
    if (!refused.empty()) {
        fail(refused);
        return ExitUsage;
    }
    ctx.paths.ChooseLanguage(SystemLocaleName());
    return chosen->command->run(ctx);
}

} // namespace

int main(int argc, char** argv) {
    Program program;
    if (const std::optional<int> answered = program.parse(argc, argv))
        return *answered;
    return program.run();
}
