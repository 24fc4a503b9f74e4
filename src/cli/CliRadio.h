#pragma once
// orvik-cli read and write: what their options ask for, and the two commands that carry it out.

#include "cli/CliCommon.h"

#include <string>
#include <vector>

namespace orvik::cli {

// What the options of read and write ask for.
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
    // Several radios (write): every --port number and --device in the order given.
    std::vector<int> ports;
    std::vector<std::string> devices;
    bool allPorts = false;
    int repeat = -1; // --repeat [N]: N radios in all (0: until Ctrl+C); -1: no hot swap
    std::string report;

    // Several radios, or one port in hot swap or with a report: the fleet job writes them.
    bool fleet() const {
        return ports.size() + devices.size() > 1 || allPorts || repeat >= 0 || !report.empty();
    }
};

// Reads the radio into args.output; returns the exit code.
int cmdRead(Context& ctx, const RadioArgs& args);
// Writes args.input into one radio, or into several at once; returns the exit code.
int cmdWrite(Context& ctx, const RadioArgs& args);

} // namespace orvik::cli
