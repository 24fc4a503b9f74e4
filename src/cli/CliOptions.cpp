// The option helpers of orvik-cli's commands: how an option is declared on CLI11, the options
// in the order given, and the operands (files) that no option took.

#include "cli/CliCommon.h"
#include "core/profile/AtomicSave.h"
#include "core/profile/PrintableText.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <map>

namespace orvik::cli {

CLI::Option* ValueOption(CLI::App& app, const std::string& names, const char* what) {
    // Every value is kept: the commands say themselves when an option may be given once.
    const std::string description = what;
    return app.add_option(names, description)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* FlagOption(CLI::App& app, const std::string& names) {
    // "--json=0" is refused rather than read as a value of the flag.
    return app.add_flag(names)->disable_flag_override();
}

std::vector<std::pair<const CLI::Option*, std::string>> GivenOptions(const CLI::App& app) {
    // CLI11 lists every value an option takes in the order of the command line, and keeps each
    // option's values in that order as well.
    std::map<const CLI::Option*, std::size_t> taken;
    std::vector<std::pair<const CLI::Option*, std::string>> given;
    for (const CLI::Option* option : app.parse_order()) {
        const std::size_t at = taken[option]++;
        const auto& values = option->results();
        given.emplace_back(option, at < values.size() ? values[at] : std::string());
    }
    return given;
}

std::string LastValue(const CLI::Option* option) {
    return option->results().empty() ? std::string() : option->results().back();
}

void Complain(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0u, '\0');
    if (size > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    std::fputs(PrintableLines(text).c_str(), stderr);
}

int ReadWholeInput(const std::string& path, std::size_t limit, std::string& out) {
    FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (!in)
        return errno;
    int error = 0;
    char buf[65536];
    std::size_t got = 0;
    while ((got = std::fread(buf, 1, sizeof buf, in)) > 0 && out.size() <= limit)
        out.append(buf, got);
    if (std::ferror(in))
        error = errno != 0 ? errno : EIO;
    else if (out.size() > limit)
        error = EFBIG;
    if (in != stdin)
        std::fclose(in);
    return error;
}

int WriteOutput(const std::string& output, const std::string& text) {
    if (output.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
    }
    const SaveResult saved = SaveFileAtomically(output, text, SaveMode::Replace);
    if (saved.ok)
        return ExitOk;
    fail(saved.errorText);
    return ExitCantCreate;
}

void fail(const std::string& text) {
    // The text may repeat a name or a file's text: nothing in it may act on the terminal.
    std::fprintf(stderr, "orvik-cli: %s\n", PrintableLines(text).c_str());
}

bool isUnknownOption(const std::string& arg, bool singleDash) {
    return arg.size() > (singleDash ? 1u : 2u) && arg.rfind(singleDash ? "-" : "--", 0) == 0;
}

bool takeFiles(const char* command, const std::vector<std::string>& args, bool singleDash,
               std::vector<std::string>& files) {
    for (const std::string& arg : args) {
        if (isUnknownOption(arg, singleDash)) {
            fail("unknown option '" + arg + "' for " + command);
            return false;
        }
        files.push_back(arg);
    }
    return true;
}

bool takeOnlyFile(const char* command, const std::vector<std::string>& args, bool singleDash,
                  std::string& path) {
    path.clear();
    for (const std::string& arg : args) {
        if (isUnknownOption(arg, singleDash)) {
            fail("unknown option '" + arg + "' for " + command);
            return false;
        }
        if (!path.empty()) {
            fail(std::string(command) + " takes one file, got '" + path + "' and '" + arg + "'");
            return false;
        }
        path = arg;
    }
    if (path.empty())
        fail(std::string(command) + " needs a FILE.735");
    return !path.empty();
}

} // namespace orvik::cli
