// Writes and verifies one image on 1 and then on N simulated radios (default 8) at once through
// FleetJob and reports the wall time of each run, their ratio, and the processor time this program
// used (its port threads and sessions; the simulator's own time is shown apart). Build in Release:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-rel
//   build-rel/bench_fleet_write [N]

#include "core/link/FleetJob.h"
#include "core/model/RadioImage.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;

namespace {

double cpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string simulatorPath() {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1) + "orvik-radio-sim";
}

struct Run {
    bool ok = false;
    double wall = 0;   // seconds
    double cpu = 0;    // seconds of this program
    double simCpu = 0; // seconds of the simulator
};

Run writeRadios(int count, const RadioImage& image) {
    Run run;
    int out[2];
    if (::pipe(out) != 0)
        return run;
    const std::string sim = simulatorPath();
    const std::string countText = std::to_string(count);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(sim.c_str(), sim.c_str(), "--count", countText.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    FleetRequest request;
    request.verify = true;
    std::string line;
    char c = 0;
    while (static_cast<int>(request.targets.size()) < count && ::read(out[0], &c, 1) == 1) {
        if (c == '\n') {
            request.targets.push_back({0, line});
            line.clear();
        } else {
            line += c;
        }
    }
    ::close(out[0]);
    if (static_cast<int>(request.targets.size()) == count) {
        FleetJob job;
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        job.start(request, image.data());
        job.wait();
        run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        run.ok = job.written() == count;
        for (const FleetOutcome& o : job.outcomes())
            run.ok = run.ok && o.result == FleetResult::WrittenVerified;
    }
    const double simBefore = cpuSeconds(RUSAGE_CHILDREN);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    run.simCpu = cpuSeconds(RUSAGE_CHILDREN) - simBefore;
    return run;
}

void report(int count, const Run& run) {
    std::printf("%d radio%s: %s in %.2f s, this program %.2f%% of one core, simulator %.2f%%\n",
                count, count == 1 ? "" : "s", run.ok ? "written and verified" : "FAILED", run.wall,
                100.0 * run.cpu / run.wall, 100.0 * run.simCpu / run.wall);
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 8;
    if (count < 1 || count > 64) {
        std::fprintf(stderr, "usage: bench_fleet_write [N]   (N radios, 1 to 64, default 8)\n");
        return 64;
    }
    RadioImage image = MakeDefaultImage();
    for (std::size_t i = 0; i < 0x3E0; ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + 1);
    const Run one = writeRadios(1, image);
    report(1, one);
    const Run many = writeRadios(count, image);
    report(count, many);
    if (!one.ok || !many.ok)
        return 1;
    std::printf("wall time ratio %d/1: %.3f\n", count, many.wall / one.wall);
    return 0;
}
