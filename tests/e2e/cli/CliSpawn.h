#pragma once
// Starts the built orvik-cli in a child process: standard input from /dev/null, standard output
// and error to the given files (/dev/null when empty), working directory `dir`.

#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace orvik::test {

inline pid_t SpawnCli(const std::string& appDir, std::vector<std::string> args,
                      const std::string& dir, const std::string& outPath,
                      const std::string& errPath) {
    args.insert(args.begin(), {std::string(ORVIK_BUILD_DIR) + "/orvik-cli", "--app-dir", appDir});
    const pid_t pid = ::fork();
    if (pid == 0) {
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

} // namespace orvik::test
