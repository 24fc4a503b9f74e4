#pragma once
// Shared pieces of orvik-cli: the exit codes (sysexits) and the per-command entry points.

#include "core/profile/AppPaths.h"

#include <string>
#include <vector>

namespace orvik::cli {

enum Exit : int {
    ExitOk = 0,
    ExitUsage = 64,       // bad command line
    ExitDataErr = 65,     // a data file whose header is rejected
    ExitNoInput = 66,     // input cannot be read
    ExitUnavailable = 69, // the port could not be reached (PortError)
    ExitCantCreate = 73,  // output cannot be written
    ExitProtocol = 76,    // TypeError, ReadFailed, WriteFailed, ConnectionLost
    ExitConfig = 78,      // setting.ini missing
    ExitInterrupted = 130,
};

// What every command gets: the paths (language already chosen) and its own arguments.
struct Context {
    AppPaths paths;
    std::vector<std::string> args; // the arguments after the command name
};

int cmdNew(Context& ctx);
int cmdShow(Context& ctx);
int cmdEdit(Context& ctx);
int cmdRead(Context& ctx);
int cmdWrite(Context& ctx);
int cmdDoctor(Context& ctx);

// Help text lines of each group of commands.
extern const char* const DataCommandsUsage;
extern const char* const RadioCommandsUsage;
extern const char* const DoctorCommandsUsage;

} // namespace orvik::cli
