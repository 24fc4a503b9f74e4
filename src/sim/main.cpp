// orvik-radio-sim: a radio on a pseudo-terminal, for tests, demos and trying the program
// without a radio. Prints the terminal's device path as its first line of output.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "sim/RadioSim.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using namespace orvik::sim;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

std::int64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

double nowSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void usage(FILE* out) {
    std::fprintf(out,
                 "Usage: orvik-radio-sim [options]\n"
                 "  --version                 print the version and exit\n"
                 "  --image FILE.735          memory to start with (default: the default image)\n"
                 "  --save FILE.735           write the memory there after each completed write\n"
                 "  --link PATH               also make PATH a symbolic link to the terminal\n"
                 "  --log FILE                record every byte with direction and time\n"
                 "  --silent                  never answer\n"
                 "  --wake-reply BYTE         answer the wake-up with BYTE instead of 0x06\n"
                 "  --ident-len N             send N identification bytes instead of 8\n"
                 "  --short-block ADDR        answer the read block at ADDR with 11 bytes\n"
                 "  --nak-block ADDR          answer the block at ADDR with 0x15\n"
                 "  --delay MS                wait MS milliseconds before every answer\n"
                 "  --hangup-after-blocks N   close the terminal after N blocks\n"
                 "Prints the device path of the terminal as its first line; ends on SIGTERM or\n"
                 "SIGINT.\n");
}

bool parseNumber(const char* text, long min, long max, long& value) {
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 0); // decimal, 0x hex or 0 octal
    return errno == 0 && end != nullptr && *end == '\0' && value >= min && value <= max;
}

// Waits up to ms milliseconds; false when a stop signal came.
bool pauseUnlessStopped(int ms) {
    pollfd p{signalPipe[0], POLLIN, 0};
    const std::int64_t deadline = nowMs() + ms;
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0)
            return true;
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0)
            return false;
        if (r < 0 && errno != EINTR)
            return true;
    }
}

class ByteLog {
public:
    bool open(const std::string& path) {
        file = std::fopen(path.c_str(), "w");
        start = nowSeconds();
        return file != nullptr;
    }
    ~ByteLog() {
        if (file)
            std::fclose(file);
    }
    void record(const char* direction, const std::uint8_t* bytes, std::size_t count) {
        if (!file)
            return;
        const double t = nowSeconds() - start;
        for (std::size_t i = 0; i < count; ++i)
            std::fprintf(file, "%10.3f %s %02X\n", t, direction, bytes[i]);
        std::fflush(file);
    }

private:
    FILE* file = nullptr;
    double start = 0;
};

} // namespace

int main(int argc, char** argv) {
    SimFaults faults;
    std::string imagePath, savePath, linkPath, logPath;
    int delayMs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        long v = 0;
        auto number = [&](long min, long max) {
            if (!parseNumber(next, min, max, v)) {
                std::fprintf(stderr, "orvik-radio-sim: %s needs a number from %ld to %ld\n",
                             a.c_str(), min, max);
                std::exit(64);
            }
            ++i;
            return static_cast<int>(v);
        };
        auto text = [&]() {
            if (next == nullptr || *next == '\0') {
                std::fprintf(stderr, "orvik-radio-sim: %s needs a value\n", a.c_str());
                std::exit(64);
            }
            ++i;
            return std::string(next);
        };
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("orvik-radio-sim %s\n", ORVIK_VERSION);
            return 0;
        } else if (a == "--image") {
            imagePath = text();
        } else if (a == "--save") {
            savePath = text();
        } else if (a == "--link") {
            linkPath = text();
        } else if (a == "--log") {
            logPath = text();
        } else if (a == "--silent") {
            faults.silent = true;
        } else if (a == "--wake-reply") {
            faults.wakeReply = number(0, 255);
        } else if (a == "--ident-len") {
            faults.identLength = number(0, 64);
        } else if (a == "--short-block") {
            faults.shortBlock = number(0, 0xFFF);
        } else if (a == "--nak-block") {
            faults.nakBlock = number(0, 0xFFF);
        } else if (a == "--delay") {
            delayMs = number(0, 60000);
        } else if (a == "--hangup-after-blocks") {
            faults.hangupAfterBlocks = number(0, 1000000);
        } else {
            std::fprintf(stderr, "orvik-radio-sim: unknown option '%s'\n", a.c_str());
            usage(stderr);
            return 64;
        }
    }

    RadioImage memory = MakeDefaultImage();
    HeaderBlock header = NewHeaderBlock();
    if (!imagePath.empty()) {
        std::string error;
        const LoadStatus status = LoadDataFile(imagePath, header, memory, &error);
        if (status == LoadStatus::CannotRead) {
            std::fprintf(stderr, "orvik-radio-sim: cannot read %s: %s\n", imagePath.c_str(),
                         error.c_str());
            return 66;
        }
        if (status == LoadStatus::HeaderRejected) {
            std::fprintf(stderr, "orvik-radio-sim: %s is not a .735 data file\n",
                         imagePath.c_str());
            return 65;
        }
    }
    ByteLog log;
    if (!logPath.empty() && !log.open(logPath)) {
        std::fprintf(stderr, "orvik-radio-sim: cannot write %s: %s\n", logPath.c_str(),
                     std::strerror(errno));
        return 73;
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "orvik-radio-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 71;
    }
    const char* name = ::ptsname(master);
    const std::string slavePath = name ? name : "";
    // Holding the terminal open ourselves keeps it alive between the program's jobs: its
    // closing never hangs up the line, and the line settings below stay in force.
    const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        std::fprintf(stderr, "orvik-radio-sim: cannot open %s: %s\n", slavePath.c_str(),
                     std::strerror(errno));
        return 71;
    }
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!linkPath.empty()) {
        struct stat st {};
        if (::lstat(linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(linkPath.c_str());
        if (::symlink(slavePath.c_str(), linkPath.c_str()) != 0) {
            std::fprintf(stderr, "orvik-radio-sim: cannot make link %s: %s\n", linkPath.c_str(),
                         std::strerror(errno));
            return 73;
        }
    }

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 71;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);

    RadioSim radio(faults, memory);
    int status = 0;
    bool running = true;
    while (running) {
        pollfd fds[2] = {{master, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            status = 71;
            break;
        }
        if (fds[1].revents)
            break;
        if (!(fds[0].revents & POLLIN)) {
            pauseUnlessStopped(20); // nothing readable but woken: do not spin
            continue;
        }
        std::uint8_t in[256];
        const ssize_t n = ::read(master, in, sizeof in);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                status = 71;
                break;
            }
            pauseUnlessStopped(20);
            continue;
        }
        log.record("PC->radio", in, static_cast<std::size_t>(n));
        for (ssize_t i = 0; i < n && running; ++i) {
            std::vector<std::uint8_t> answer;
            radio.Receive(in[i], nowMs(), answer);
            if (radio.HangupRequested()) {
                std::fprintf(stderr, "orvik-radio-sim: hanging up after %d blocks\n",
                             radio.BlocksAnswered());
                running = false;
                break;
            }
            if (answer.empty())
                continue;
            if (delayMs > 0 && !pauseUnlessStopped(delayMs)) {
                running = false;
                break;
            }
            const ssize_t w = ::write(master, answer.data(), answer.size());
            if (w > 0)
                log.record("radio->PC", answer.data(), static_cast<std::size_t>(w));
            if (radio.TakeWriteCompleted() && !savePath.empty()) {
                std::string error;
                if (!SaveDataFile(savePath, header, memory, &error))
                    std::fprintf(stderr, "orvik-radio-sim: cannot save %s: %s\n", savePath.c_str(),
                                 error.c_str());
            }
        }
    }

    ::close(master);
    ::close(slave);
    if (!linkPath.empty())
        ::unlink(linkPath.c_str());
    return status;
}
