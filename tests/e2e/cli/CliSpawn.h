#pragma once
// Helpers of the command-line tests: a scratch program directory, whole-file reads and writes,
// and the built orvik-cli started in a child process (standard input from /dev/null, standard
// output and error to the given files, /dev/null when empty, working directory `dir`).

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orvik::test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A new folder /tmp/orvik-cli-<name>-XXXXXX holding "app", a copy of the shipped setting.ini and
// language files. Returns the folder (empty when it could not be made); `app` gets the program
// directory.
inline std::string MakeScratchProgramDir(const std::string& name, std::string& app) {
    std::string tmpl = "/tmp/orvik-cli-" + name + "-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr)
        return {};
    app = tmpl + "/app";
    std::filesystem::create_directory(app);
    for (const char* f : {"setting.ini", "english.lang", "chinese.lang"})
        std::filesystem::copy_file(std::string(ORVIK_SHIPPED_DATA_DIR) + "/" + f, app + "/" + f);
    return tmpl;
}

// Starts a program of the build (`args[0]` names it, without its folder); with `noDisplay`
// the child sees no display, as a user on a text console.
inline pid_t SpawnProgram(std::vector<std::string> args, const std::string& dir,
                          const std::string& outPath, const std::string& errPath,
                          bool noDisplay = false) {
    args[0] = std::string(ORVIK_BUILD_DIR) + "/" + args[0];
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (noDisplay) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("QT_QPA_PLATFORM");
        }
        auto sink = [](const std::string& path) {
            return path.empty() ? ::open("/dev/null", O_WRONLY)
                                : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        };
        const int nul = ::open("/dev/null", O_RDONLY);
        ::dup2(nul, 0);
        ::dup2(sink(outPath), 1);
        ::dup2(sink(errPath), 2);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

inline pid_t SpawnCli(const std::string& appDir, std::vector<std::string> args,
                      const std::string& dir, const std::string& outPath,
                      const std::string& errPath) {
    args.insert(args.begin(), {"orvik-cli", "--app-dir", appDir});
    return SpawnProgram(std::move(args), dir, outPath, errPath);
}

struct CliRun {
    int code = -1; // the exit status; -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs orvik-cli --app-dir <appDir> args... in `dir` to its end, both streams kept.
inline CliRun RunCli(const std::string& appDir, std::vector<std::string> args,
                     const std::string& dir) {
    const std::string outPath = dir + "/stdout";
    const std::string errPath = dir + "/stderr";
    const pid_t pid = SpawnCli(appDir, std::move(args), dir, outPath, errPath);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(outPath),
            ReadWholeFile(errPath)};
}

} // namespace orvik::test
