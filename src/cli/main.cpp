// orvik-cli: inspect and edit .735 data files and read or write the radio without a window.

#include "cli/CliCommon.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace orvik;
using namespace orvik::cli;

namespace {

void printUsage(FILE* out) {
    std::fprintf(out,
                 "Usage: orvik-cli [--app-dir DIR] COMMAND [ARGS]\n"
                 "\n"
                 "  --app-dir DIR   program directory holding setting.ini and the *.lang files\n"
                 "                  (default: the directory of this executable when it holds\n"
                 "                  setting.ini, else ~/.config/orvik and <prefix>/share/orvik)\n"
                 "  --version       print the version and exit\n"
                 "\n"
                 "Commands:\n%s%s%s%s%s"
                 "\n"
                 "Exit codes: 0 success, 64 usage, 65 header rejected, 66 input unreadable,\n"
                 "69 port error (doctor: no usable cable), 73 output unwritable,\n"
                 "75 write not verified (the radio read back differs or did not answer),\n"
                 "76 radio transfer failed, 78 setting.ini missing, 130 interrupted;\n"
                 "import: 2 rows adjusted or skipped, 65 no Location/Frequency header;\n"
                 "diff: 0 equal, 1 different.\n",
                 DataCommandsUsage, CsvCommandsUsage, RadioCommandsUsage, SafetyCommandsUsage,
                 DoctorCommandsUsage);
}

// The usage lines of one command, taken from its group's text: from the line that names it to
// the next line that names another command. Empty when no group has the command.
std::string commandUsage(const std::string& command) {
    std::string found;
    for (const char* group :
         {DataCommandsUsage, CsvCommandsUsage, RadioCommandsUsage, DoctorCommandsUsage}) {
        const std::string text = group;
        bool in = false;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            end = end == std::string::npos ? text.size() : end + 1;
            const std::string line = text.substr(at, end - at);
            // A command line starts with two blanks and a lower-case word.
            if (line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] >= 'a' &&
                line[2] <= 'z') {
                const std::size_t wordEnd = line.find_first_of(" \n", 2);
                in = line.substr(2, wordEnd - 2) == command;
            }
            if (in)
                found += line;
            at = end;
        }
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    std::string appDir;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--version") {
            std::printf("orvik-cli %s\n", ORVIK_VERSION);
            return ExitOk;
        }
        if (a == "--help" || a == "-h") {
            printUsage(stdout);
            return ExitOk;
        }
        if (a == "--app-dir") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvik-cli: --app-dir needs a directory\n");
                return ExitUsage;
            }
            appDir = argv[++i];
            while (appDir.size() > 1 && appDir.back() == '/')
                appDir.pop_back();
            continue;
        }
        break;
    }
    if (i >= argc) {
        printUsage(stderr);
        return ExitUsage;
    }
    const std::string command = argv[i++];
    // --app-dir makes that folder the program directory for everything.
    Context ctx{
        appDir.empty() ? AppPaths::Locate(AppPaths::ExecutableDirectory()) : AppPaths(appDir), {}};
    for (; i < argc; ++i)
        ctx.args.emplace_back(argv[i]);
    // COMMAND --help: that command's usage, also without setting.ini.
    for (const std::string& a : ctx.args) {
        if (a != "--help" && a != "-h")
            continue;
        const std::string usage = commandUsage(command);
        if (usage.empty())
            break;
        std::printf("Usage: orvik-cli [--app-dir DIR] %s\n%s", command.c_str(), usage.c_str());
        return ExitOk;
    }

    int (*run)(Context&) = nullptr;
    if (command == "new")
        run = cmdNew;
    else if (command == "show")
        run = cmdShow;
    else if (command == "edit")
        run = cmdEdit;
    else if (command == "read")
        run = cmdRead;
    else if (command == "write")
        run = cmdWrite;
    else if (command == "export")
        run = cmdExport;
    else if (command == "import")
        run = cmdImport;
    else if (command == "doctor")
        run = cmdDoctor;
    else if (command == "diff")
        run = cmdDiff;
    else if (command == "backups")
        run = cmdBackups;
    if (!run) {
        std::fprintf(stderr, "orvik-cli: unknown command '%s'\n\n", command.c_str());
        printUsage(stderr);
        return ExitUsage;
    }

    if (!ctx.paths.PrepareSettingsFile()) {
        std::fprintf(stderr, "Can not find the file setting.ini!\n");
        for (const std::string& folder : ctx.paths.SearchedFolders())
            std::fprintf(stderr, "  %s\n", folder.c_str());
        return ExitConfig;
    }
    ctx.paths.ChooseLanguage(SystemLocaleName());
    return run(ctx);
}
