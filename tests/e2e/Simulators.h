#pragma once
// orvik-radio-sim --count N started by a test: a child process, the paths of its terminals in
// order, ended with SIGTERM when the object goes.

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orvik::test {

class Simulators {
public:
    Simulators(int count, std::vector<std::string> args, const std::string& errPath = "") {
        args.insert(args.begin(), {std::string(ORVIK_BUILD_DIR) + "/orvik-radio-sim", "--count",
                                   std::to_string(count)});
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            if (!errPath.empty())
                ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (static_cast<int>(paths.size()) < count && ::read(out[0], &c, 1) == 1) {
            if (c == '\n') {
                paths.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        ::close(out[0]);
    }
    ~Simulators() {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    std::vector<std::string> paths;
};

} // namespace orvik::test
