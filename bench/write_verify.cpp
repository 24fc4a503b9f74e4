// Write-then-verify benchmark: a write with its read-back through the transfer session, as the
// window and orvik-cli run it, against orvik-radio-sim over a pseudo-terminal, as wall time
// against the protocol floor of a write plus that of a read.

#include "core/link/CSerialPort.h"
#include "core/link/Protocol.h"
#include "core/link/TransferSession.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using namespace orvik::protocol;

namespace {

struct Quiet final : TransferObserver {
    void finished(const TransferOutcome&) override {}
};

} // namespace

int main() {
    char tmpl[] = "/tmp/orvik-bench-verify-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string ini = dir + "/setting.ini";
    int out[2];
    if (pipe(out) != 0)
        return 1;
    const std::string sim =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/orvik-radio-sim";
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
    if (pty.empty())
        return 1;
    std::ofstream(ini) << "[setup]\ncom=1\nsearchcom=0\n[ports]\nCOM1=" << pty << "\n";

    const double handshakeFloor = SettleMs + 8 * WakeUpBytePauseMs;
    const double readFloor = (handshakeFloor + BlockCount * (1 + CommandPauseMs + 1)) / 1000.0;
    const double writeFloor =
        (handshakeFloor + BlockCount * (1 + CommandPauseMs) + FinalWritePauseMs) / 1000.0;
    const double floor = readFloor + writeFloor;

    std::vector<std::uint8_t> image(4096);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    bool ok = true;
    for (int run = 0; run < 3; ++run) {
        CSerialPort port;
        port.SetSettingsFilePath(ini);
        TransferRequest request;
        request.isRead = false;
        request.iniPath = ini;
        request.verify = true;
        TransferSession session;
        Quiet quiet;
        const auto t0 = std::chrono::steady_clock::now();
        session.start(request, image.data(), port, quiet);
        session.wait();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const bool verified = session.outcome().verify == VerifyResult::Verified;
        ok = ok && verified && wall <= floor * 1.03;
        std::printf("write+verify: %s, %.3f s, floor %.3f s (write %.3f + read %.3f), "
                    "ratio %.4f\n",
                    verified ? "verified" : "NOT verified", wall, floor, writeFloor, readFloor,
                    wall / floor);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
