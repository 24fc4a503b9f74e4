#pragma once
// Shared pieces of orvik-cli: the exit codes (sysexits) and the per-command entry points.

#include "core/lang/LangCatalog.h"
#include "core/model/DataFile.h"
#include "core/profile/AppPaths.h"

#include <string>
#include <vector>

namespace orvik::cli {

enum Exit : int {
    ExitOk = 0,
    ExitAdjusted = 2,     // import: rows were adjusted or skipped (the rest was saved)
    ExitUsage = 64,       // bad command line
    ExitDataErr = 65,     // a data file whose header is rejected; edit: a value that is no
                          // frequency, or with --strict one that was adjusted
    ExitNoInput = 66,     // input cannot be read
    ExitUnavailable = 69, // the port could not be reached (PortError)
    ExitCantCreate = 73,  // output cannot be written
    ExitTempFail = 75,    // write: the radio read back differs, or could not be read back
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
int cmdExport(Context& ctx);
int cmdImport(Context& ctx);
int cmdDiff(Context& ctx);
int cmdBackups(Context& ctx);

// "orvik-cli: <text>" on standard error.
void fail(const std::string& text);
// Takes a positional argument as the command's one file; false, after saying so, when the
// command already has one.
bool takeOnlyFile(const char* command, std::string& path, const std::string& arg);
// False, after saying so, when the command got no file.
bool haveFile(const char* command, const std::string& path);
// The texts of the chosen language, English for what it lacks. A language file that cannot be
// read is reported once.
LangCatalog openCatalog(const Context& ctx);
// Loads a data file; returns ExitOk or the exit code with the message printed.
int load(LangCatalog& texts, const std::string& path, HeaderBlock& header, RadioImage& image);
// Saves a data file; returns ExitOk or the exit code with the message printed. A save that
// could not keep the file's owner says so.
int save(const Context& ctx, const std::string& path, const HeaderBlock& header,
         const RadioImage& image, SaveMode mode, const std::string& existsText);
int cmdDoctor(Context& ctx);

// Help text lines of each group of commands.
extern const char* const DataCommandsUsage;
extern const char* const RadioCommandsUsage;
extern const char* const CsvCommandsUsage;
extern const char* const DoctorCommandsUsage;
extern const char* const SafetyCommandsUsage;

} // namespace orvik::cli
