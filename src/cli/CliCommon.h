#pragma once
// Shared pieces of orvik-cli: the exit codes (sysexits), the command interface and the helpers
// the commands share.

#include "core/lang/LangCatalog.h"
#include "core/model/DataFile.h"
#include "core/profile/AppPaths.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace orvik {
class RadioDocument;
} // namespace orvik

namespace orvik::cli {

enum Exit : int {
    ExitOk = 0,
    ExitFindings = 1,     // check: channels break a rule of their service
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
    ExitHangUp = 129,     // the terminal or connection went (SIGHUP)
    ExitInterrupted = 130,
};

// What every command gets: the paths (language already chosen) and the arguments no option of
// the command took, in command-line order (its files, and whatever it does not know).
struct Context {
    AppPaths paths;
    std::vector<std::string> args;
};

// One command of orvik-cli. `define` declares its options on its CLI11 subcommand, which fills
// them while it parses; `run` checks what was given and does the work, returning the exit code.
class Command {
public:
    virtual ~Command() = default;
    // The help lines of the command, as `COMMAND --help` and `--help` print them.
    virtual const char* usage() const = 0;
    virtual void define(CLI::App& app) = 0;
    virtual int run(Context& ctx) = 0;
};

std::unique_ptr<Command> MakeNewCommand();
std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeEditCommand();
std::unique_ptr<Command> MakeExportCommand();
std::unique_ptr<Command> MakeImportCommand();
std::unique_ptr<Command> MakeReadCommand();
std::unique_ptr<Command> MakeWriteCommand();
std::unique_ptr<Command> MakeDiffCommand();
std::unique_ptr<Command> MakeBackupsCommand();
std::unique_ptr<Command> MakeDoctorCommand();
std::unique_ptr<Command> MakeDumpCommand();
std::unique_ptr<Command> MakeApplyCommand();
std::unique_ptr<Command> MakePlansCommand();
std::unique_ptr<Command> MakeCheckCommand();

// ---- Options ----

// An option that takes a value, as often as it is given (every value is kept); `what` names
// the value in the message when it is missing ("--band needs a value").
CLI::Option* ValueOption(CLI::App& app, const std::string& names, const char* what = "a value");
// An option without a value, as often as it is given.
CLI::Option* FlagOption(CLI::App& app, const std::string& names);
// The options given, in command-line order, each with its value (a flag's is "true").
std::vector<std::pair<const CLI::Option*, std::string>> GivenOptions(const CLI::App& app);
// The last value of an option; empty when it was not given.
std::string LastValue(const CLI::Option* option);

// ---- Operands ----

// "orvik-cli: <text>" on standard error.
void fail(const std::string& text);

// Reads a whole file ("-": standard input), pipes included, refusing more than `limit` bytes:
// 0, or the errno of what went wrong (EFBIG past the limit).
int ReadWholeInput(const std::string& path, std::size_t limit, std::string& out);

// Writes `text` to standard output when `output` is empty, else replaces that file atomically;
// ExitOk or ExitCantCreate after saying why.
int WriteOutput(const std::string& output, const std::string& text);

// printf to standard error with the whole message made printable: file names, a file's text
// and device strings in it cannot act on the terminal. Line breaks and tabs stay.
__attribute__((format(printf, 1, 2))) void Complain(const char* format, ...);
// Whether an operand is an option the command does not know: "--x", and "-x" when `singleDash`.
bool isUnknownOption(const std::string& arg, bool singleDash);
// The operands as files, in order; false, after naming it, when one is an unknown option.
bool takeFiles(const char* command, const std::vector<std::string>& args, bool singleDash,
               std::vector<std::string>& files);
// The command's one file; false, after saying so, when an operand is an unknown option, when
// there is none, or more than one.
bool takeOnlyFile(const char* command, const std::vector<std::string>& args, bool singleDash,
                  std::string& path);

// ---- Data files ----

// The texts of the chosen language, English for what it lacks. A language file that cannot be
// read is reported once.
LangCatalog openCatalog(const Context& ctx);
// Loads a data file; returns ExitOk or the exit code with the message printed. `held` gets
// how many bytes the file holds (fewer than DataFileSize: the short-file warning was printed).
int load(LangCatalog& texts, const std::string& path, HeaderBlock& header, RadioImage& image,
         std::size_t* held = nullptr);
// Saves a data file; returns ExitOk or the exit code with the message printed. A save that
// could not keep the file's owner says so.
int save(const Context& ctx, const std::string& path, const HeaderBlock& header,
         const RadioImage& image, SaveMode mode, const std::string& existsText);

// ---- The radio as a text file ----

// Whether a path names a text file (.yaml, .yml, .json) rather than a .735 data file.
bool IsTextFormPath(const std::string& path);
// Applies the text file at `path` with --replace to `doc` (new --from, write IN.yaml): ExitOk,
// or the exit code with the message printed. Adjusted values are told on standard error.
int BuildFromText(const Context& ctx, const std::string& path, RadioDocument& doc);

// ---- Outputs ----

// Whether two paths name one file: device and inode when both exist (links followed); the
// paths with links and folders resolved when neither exists yet.
bool SameFile(const std::string& a, const std::string& b);

// A file a command reads or writes, named as the message names it ("the output").
struct NamedFile {
    const char* what;
    std::string path; // empty: not given
    bool output;
};
// False, after naming both, when an output is the same file as an input or another output.
bool distinctFiles(const char* command, const std::vector<NamedFile>& files);

// Whether --trace may write `path`: false, after saying why, for a symbolic link, a FIFO, a
// device or a directory (a trace never writes through a link nor waits on a reader).
bool traceFileAllowed(const std::string& path);
// Writes the trace into a regular file, never through a link nor into a FIFO or device (also
// one put there since traceFileAllowed); false after saying why.
bool saveTrace(const std::string& path, const std::string& trace);

// The warning for a keep= of setting.ini that was not taken, on standard error.
void warnBackupSettings(const Context& ctx);
// edit and import: ExitCantCreate, after saying to copy it first, when `path` lies in the
// backup folder and `force` is not given; else ExitOk.
int refuseBackup(const Context& ctx, const char* command, const std::string& path, bool force);

} // namespace orvik::cli
