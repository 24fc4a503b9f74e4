// orvik-cli read and write: their options, read in the order given, and their usage.
#include "cli/CliRadio.h"

#include "core/link/PortNames.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvik::cli {

namespace {

const char* const ReadUsage =
    "  read [--port N | --device PATH] [--no-search] [--trace FILE] -o OUT.735\n"
    "       [--base IN.735]\n"
    "                  read the radio into OUT.735 (bytes 0x3E0 and up, and the header,\n"
    "                  from --base, else the default image)\n";
const char* const WriteUsage =
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
    "                  job's steps to FILE, also when the job fails; a symbolic link, a\n"
    "                  FIFO, a device or a directory there is refused (exit 73).\n"
    "                  Without --port/--device the port and the search come from\n"
    "                  setting.ini, and a port found by the search is saved there.\n"
    "  write IN.735 (--port N,N,... | --device A --device B ... | --all-ports)\n"
    "        [--repeat [N]] [--report FILE] [--verify | --no-verify] [--backup] [--force]\n"
    "                  write IN.735 into several radios at once, one per port (--all-ports:\n"
    "                  every port number whose device exists); a summary table at the end.\n"
    "                  --repeat: on each port, wait for the next radio after one is done\n"
    "                  and unplugged; end after N radios in all, or at Ctrl+C.\n"
    "                  --report FILE writes each radio's outcome as JSON, or CSV when FILE\n"
    "                  ends in .csv. Exit 0 when every radio was written (and verified),\n"
    "                  75 when one failed.\n";

// The value --repeat takes when no count follows it: "--" is never taken as a value.
const char* const NoCount = "--";

bool isNumber(const std::string& text) {
    return !text.empty() && text.size() <= 6 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

bool parsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 3)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    port = std::atoi(text.c_str());
    return port >= FirstPortNumber && port <= LastPortNumber;
}

// The port numbers of one --port: write takes a list, 1,2,5. False after saying why.
bool parsePorts(const char* cmd, const std::string& v, bool isRead, RadioArgs& out) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = isRead ? std::string::npos : v.find(',', from);
        int port = 0;
        if (!parsePort(v.substr(from, comma - from), port)) {
            Complain("orvik-cli %s: --port needs a number from 1 to 255\n", cmd);
            return false;
        }
        out.ports.push_back(port);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    out.port = out.ports.front();
    return true;
}

// One option `a` with its value `v`, taken in the order given; a value --repeat took that is
// no count goes to `operands`. False after saying why.
bool takeOption(const char* cmd, const std::string& a, const std::string& v, bool isRead,
                RadioArgs& out, std::vector<std::string>& operands) {
    if (a == "--port")
        return parsePorts(cmd, v, isRead, out);
    if (a == "--device") {
        if (v.empty()) {
            Complain("orvik-cli %s: --device needs a path\n", cmd);
            return false;
        }
        out.device = v;
        out.devices.push_back(v);
    } else if (a == "--report" || a == "--trace") {
        if (v.empty()) {
            Complain("orvik-cli %s: %s needs a file name\n", cmd, a.c_str());
            return false;
        }
        (a == "--report" ? out.report : out.trace) = v;
    } else if (a == "--output" || a == "--base") {
        (a == "--output" ? out.output : out.base) = v;
    } else if (a == "--no-search") {
        out.noSearch = true;
    } else if (a == "--verify" || a == "--no-verify") {
        out.verify = a == "--verify" ? 1 : 0;
    } else if (a == "--backup" || a == "--force" || a == "--all-ports") {
        (a == "--backup" ? out.backup : a == "--force" ? out.force : out.allPorts) = true;
    } else if (a == "--repeat") {
        out.repeat = 0;
        if (isNumber(v)) {
            out.repeat = std::atoi(v.c_str());
            if (out.repeat < 1) {
                Complain("orvik-cli write: --repeat needs a count of 1 or more\n");
                return false;
            }
        } else if (v != NoCount) {
            operands.push_back(v);
        }
    }
    return true;
}

// The operands: write's one IN.735, read none. False after naming the first that does not
// belong, an unknown option first.
bool takeOperands(const char* cmd, const std::vector<std::string>& operands, bool isRead,
                  RadioArgs& out) {
    for (const std::string& a : operands) {
        if (isUnknownOption(a, true)) {
            Complain("orvik-cli %s: unknown option '%s'\n", cmd, a.c_str());
            return false;
        }
    }
    for (const std::string& a : operands) {
        if (isRead || !out.input.empty() || a.empty() || a[0] == '-') {
            Complain("orvik-cli %s: unexpected argument '%s'\n", cmd, a.c_str());
            return false;
        }
        out.input = a;
    }
    return true;
}

// The options that do not go together, and the file each command needs. False after saying
// why.
bool checkArgs(const char* cmd, bool isRead, const RadioArgs& out) {
    if (out.port > 0 && !out.device.empty()) {
        Complain("orvik-cli %s: give either --port or --device, not both\n", cmd);
        return false;
    }
    if (out.allPorts && (out.port > 0 || !out.device.empty())) {
        Complain("orvik-cli write: give --all-ports alone, without --port or --device\n");
        return false;
    }
    if (out.fleet() && out.ports.empty() && out.devices.empty() && !out.allPorts) {
        Complain("orvik-cli write: --repeat and --report need --port, --device or --all-ports\n");
        return false;
    }
    if (out.fleet() && !out.trace.empty()) {
        Complain("orvik-cli write: --trace records one radio; give one port\n");
        return false;
    }
    if (isRead && out.output.empty()) {
        Complain("orvik-cli read: the output file is missing (-o OUT.735)\n");
        return false;
    }
    if (!isRead && out.input.empty()) {
        Complain("orvik-cli write: the input file is missing\n");
        return false;
    }
    return true;
}

// Reads the options of read (isRead) or write in the order given, then the operands; prints
// the reason and returns false on error.
bool parseArgs(const CLI::App& options, const std::vector<std::string>& operands, bool isRead,
               RadioArgs& out) {
    const char* cmd = isRead ? "read" : "write";
    std::vector<std::string> rest;
    for (const auto& [option, v] : GivenOptions(options))
        if (!takeOption(cmd, option->get_name(), v, isRead, out, rest))
            return false;
    rest.insert(rest.end(), operands.begin(), operands.end());
    if (!takeOperands(cmd, rest, isRead, out) || !checkArgs(cmd, isRead, out))
        return false;
    // No output may overwrite an input or another output. read -o may name its --base: that
    // file is read before the job and replaced by the image read, as asked.
    return distinctFiles(cmd, {{"the input", out.input, false},
                               {"the output", out.output, true},
                               {"the report", out.report, true},
                               {"the trace", out.trace, true}}) &&
           distinctFiles(cmd, {{"the base", out.base, false}, {"the trace", out.trace, true}});
}

// read and write: the options both have, and each one's own.
class RadioCommand final : public Command {
public:
    explicit RadioCommand(bool read) : isRead(read) {}
    const char* usage() const override { return isRead ? ReadUsage : WriteUsage; }
    void define(CLI::App& app) override {
        options = &app;
        for (const char* name : {"--port", "--device", "--trace"})
            ValueOption(app, name);
        FlagOption(app, "--no-search");
        if (isRead) {
            ValueOption(app, "-o,--output");
            ValueOption(app, "--base");
            return;
        }
        for (const char* name : {"--verify", "--no-verify", "--backup", "--force", "--all-ports"})
            FlagOption(app, name);
        ValueOption(app, "--report");
        // --repeat [N]: the count is optional; a value that is no number is an operand.
        ValueOption(app, "--repeat")->expected(0, 1)->default_str(NoCount);
    }
    int run(Context& ctx) override {
        RadioArgs args;
        if (!parseArgs(*options, ctx.args, isRead, args))
            return ExitUsage;
        return isRead ? cmdRead(ctx, args) : cmdWrite(ctx, args);
    }

private:
    bool isRead;
    const CLI::App* options = nullptr;
};

} // namespace

std::unique_ptr<Command> MakeReadCommand() {
    return std::make_unique<RadioCommand>(true);
}

std::unique_ptr<Command> MakeWriteCommand() {
    return std::make_unique<RadioCommand>(false);
}

} // namespace orvik::cli
