// Radio link benchmark: a full read and a full write against orvik-radio-sim over a
// pseudo-terminal, as wall time against the protocol's mandated pauses and as CPU share, each
// without and with the line trace, and a port search over 255 numbers none of which has a device.

#include "core/link/CSerialPort.h"
#include "core/link/LineTrace.h"
#include "core/link/Protocol.h"
#include "core/link/TransferJob.h"
#include "core/profile/IniFile.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using namespace orvik::protocol;

namespace {

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string executableDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

struct Measure {
    TransferState state;
    double wall;
    double cpu;
};

Measure runJob(const std::string& ini, bool isRead, std::vector<std::uint8_t>& image,
               bool traced = false) {
    CSerialPort port;
    port.SetSettingsFilePath(ini);
    LineTrace trace;
    TracingLink tracing(port, trace);
    TransferJob job;
    job.Reset(isRead, image.data());
    job.iniPath = ini;
    job.trace = traced ? &trace : nullptr;
    SerialLink& link = traced ? static_cast<SerialLink&>(tracing) : port;
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const auto t0 = std::chrono::steady_clock::now();
    trace.Start();
    RunTransfer(job, link, SystemClock::Instance());
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    port.Close();
    return {job.state.load(), wall, cpu};
}

} // namespace

int main() {
    // As the session's worker does: the protocol's pauses are minimums.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
    char tmpl[] = "/tmp/orvik-bench-link-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string ini = dir + "/setting.ini";

    int out[2];
    if (pipe(out) != 0)
        return 1;
    const std::string sim = executableDirectory() + "/orvik-radio-sim";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(sim.c_str(), sim.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string pty;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        pty += c;
    close(out[0]);
    if (pty.empty()) {
        std::fprintf(stderr, "cannot start %s\n", sim.c_str());
        return 1;
    }
    std::ofstream(ini) << "[setup]\ncom=1\nsearchcom=0\n[ports]\nCOM1=" << pty << "\n";

    const double handshakeFloor = SettleMs + 8 * WakeUpBytePauseMs;
    const double readFloor = (handshakeFloor + BlockCount * (1 + CommandPauseMs + 1)) / 1000.0;
    const double writeFloor =
        (handshakeFloor + BlockCount * (1 + CommandPauseMs) + FinalWritePauseMs) / 1000.0;

    std::vector<std::uint8_t> image(4096, 0xFF);
    const Measure r = runJob(ini, true, image);
    const Measure w = runJob(ini, false, image);
    const Measure rt = runJob(ini, true, image, true);
    const Measure wt = runJob(ini, false, image, true);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    const double simCpu = cpuSeconds(RUSAGE_CHILDREN);

    std::printf("read : state %d, %.3f s, floor %.3f s, ratio %.4f, CPU %.2f %%\n",
                static_cast<int>(r.state), r.wall, readFloor, r.wall / readFloor,
                100.0 * r.cpu / r.wall);
    std::printf("write: state %d, %.3f s, floor %.3f s, ratio %.4f, CPU %.2f %%\n",
                static_cast<int>(w.state), w.wall, writeFloor, w.wall / writeFloor,
                100.0 * w.cpu / w.wall);
    std::printf(
        "read  traced: state %d, %.3f s, ratio %.4f, CPU %.2f %%, %+.2f %% against untraced\n",
        static_cast<int>(rt.state), rt.wall, rt.wall / readFloor, 100.0 * rt.cpu / rt.wall,
        100.0 * (rt.wall - r.wall) / r.wall);
    std::printf(
        "write traced: state %d, %.3f s, ratio %.4f, CPU %.2f %%, %+.2f %% against untraced\n",
        static_cast<int>(wt.state), wt.wall, wt.wall / writeFloor, 100.0 * wt.cpu / wt.wall,
        100.0 * (wt.wall - w.wall) / w.wall);
    std::printf("simulator CPU over all jobs: %.2f %%\n",
                100.0 * simCpu / (r.wall + w.wall + rt.wall + wt.wall));

    // The search: every number mapped to a device that does not exist.
    std::ofstream s(ini, std::ios::trunc);
    s << "[setup]\ncom=1\nsearchcom=1\n[ports]\n";
    for (int n = 1; n <= 255; ++n)
        s << "COM" << n << "=" << dir << "/none" << n << "\n";
    s.close();
    const Measure search = runJob(ini, true, image);
    std::printf("search over 255 numbers without devices: state %d, %.4f s job, %.4f s after the "
                "%d ms settle\n",
                static_cast<int>(search.state), search.wall, search.wall - SettleMs / 1000.0,
                SettleMs);
    std::filesystem::remove_all(dir);
    const bool ok = r.state == TransferState::ReadDone && w.state == TransferState::WriteDone &&
                    rt.state == TransferState::ReadDone && wt.state == TransferState::WriteDone &&
                    search.state == TransferState::PortError;
    return ok ? 0 : 1;
}
