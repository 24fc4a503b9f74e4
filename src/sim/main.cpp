// orvik-radio-sim: radios on pseudo-terminals, for tests, demos and trying the program without
// a radio. Prints each terminal's device path on a line of its own, radio 1 first. One poll
// loop serves every radio; a radio's answers wait in its own queue, so a slow or silent radio
// never holds up the others.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "sim/RadioSim.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
using namespace orvik::sim;

namespace {

// A radio that is swapped stays on the line this long after its last write, or after the last
// block of a read that follows it (a read-back: the person waits for the program to finish),
// is then gone this long, and a fresh radio answers after that.
constexpr std::int64_t SwapStayMs = 1500;
constexpr std::int64_t SwapGoneMs = 2500;
constexpr int MaxRadios = 64;

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
    std::fprintf(
        out,
        "Usage: orvik-radio-sim [options]\n"
        "  --version                 print the version and exit\n"
        "  --count N                 start N independent radios (default 1), each on its own\n"
        "                            terminal; their paths are printed one per line, in order\n"
        "  --image FILE.735          memory to start with (default: the default image)\n"
        "  --save FILE.735           write the memory there after each completed write; with\n"
        "                            --count, radio I saves to FILE-I.735\n"
        "  --link PATH               also make PATH a symbolic link to the terminal; with\n"
        "                            --count, PATH1 ... PATHN\n"
        "  --log FILE                record every byte with direction and time; with --count,\n"
        "                            radio I logs to FILE-I (before the extension, if any)\n"
        "  --swap-after K            after K completed writes the radio is unplugged: it\n"
        "                            answers for 1.5 s more (after the last block of a\n"
        "                            read-back), is gone for 2.5 s, then a fresh\n"
        "                            radio holding the starting memory answers; repeats\n"
        "  --fault-radio I           the faults below apply to radio I only (default: all)\n"
        "  --silent                  never answer\n"
        "  --wake-reply BYTE         answer the wake-up with BYTE instead of 0x06\n"
        "  --ident-len N             send N identification bytes instead of 8\n"
        "  --short-block ADDR        answer the read block at ADDR with 11 bytes\n"
        "  --nak-block ADDR          answer the block at ADDR with 0x15\n"
        "  --corrupt-block ADDR      store the written block at ADDR with its first byte\n"
        "                            inverted, yet acknowledge it\n"
        "  --delay MS                wait MS milliseconds before every answer\n"
        "  --hangup-after-blocks N   close the terminal after N blocks\n"
        "Ends on SIGTERM or SIGINT, or once every radio has hung up. With --swap-after, each\n"
        "completed write, unplugging and fresh radio is reported on standard error.\n");
}

bool parseNumber(const char* text, long min, long max, long& value) {
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 0); // decimal, 0x hex or 0 octal
    return errno == 0 && end != nullptr && *end == '\0' && value >= min && value <= max;
}

// "dir/radio.735" for radio 2 of several: "dir/radio-2.735"; a name without an extension gets
// the suffix at its end.
std::string numberedFile(const std::string& path, int index) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string suffix = "-" + std::to_string(index);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
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

struct Answer {
    std::int64_t dueMs;
    std::vector<std::uint8_t> bytes;
};

// One radio on its own pseudo-terminal.
struct Radio {
    int index = 1;
    int master = -1;
    int slave = -1; // held open so that the program closing its side never hangs up the line
    std::string path, linkPath, savePath;
    SimFaults faults;
    int delayMs = 0;
    RadioImage memory{};
    std::unique_ptr<RadioSim> sim;
    ByteLog log;
    std::deque<Answer> queue;
    int writes = 0;             // completed writes of the radio now on the line
    std::int64_t leaveAt = -1;  // swap: the radio goes away then
    std::int64_t returnAt = -1; // swap: a fresh radio answers from then on

    bool present(std::int64_t now) const {
        return (leaveAt < 0 || now < leaveAt) && (returnAt < 0 || now >= returnAt);
    }
    void close() {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
        master = slave = -1;
        if (!linkPath.empty())
            ::unlink(linkPath.c_str());
    }
};

// Opens the radio's terminal in raw mode at 9600 baud; the error text on failure.
std::string openTerminal(Radio& radio) {
    radio.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (radio.master < 0 || ::grantpt(radio.master) != 0 || ::unlockpt(radio.master) != 0)
        return std::string("no pseudo-terminal: ") + std::strerror(errno);
    const char* name = ::ptsname(radio.master);
    radio.path = name ? name : "";
    radio.slave = ::open(radio.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (radio.slave < 0)
        return "cannot open " + radio.path + ": " + std::strerror(errno);
    termios tio{};
    if (::tcgetattr(radio.slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        ::tcsetattr(radio.slave, TCSANOW, &tio);
    }
    ::fcntl(radio.master, F_SETFL, ::fcntl(radio.master, F_GETFL) | O_NONBLOCK);
    return {};
}

void saveMemory(const Radio& radio, const HeaderBlock& header) {
    if (radio.savePath.empty())
        return;
    std::string error;
    if (!SaveDataFile(radio.savePath, header, radio.memory, &error))
        std::fprintf(stderr, "orvik-radio-sim: cannot save %s: %s\n", radio.savePath.c_str(),
                     error.c_str());
}

} // namespace

int main(int argc, char** argv) {
    SimFaults faults;
    std::string imagePath, savePath, linkPath, logPath;
    int delayMs = 0;
    int count = 1;
    int swapAfter = 0;
    int faultRadio = 0;
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
        } else if (a == "--count") {
            count = number(1, MaxRadios);
        } else if (a == "--swap-after") {
            swapAfter = number(1, 1000000);
        } else if (a == "--fault-radio") {
            faultRadio = number(1, MaxRadios);
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
        } else if (a == "--corrupt-block") {
            faults.corruptBlock = number(0, 0xFFF);
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
    if (faultRadio > count) {
        std::fprintf(stderr, "orvik-radio-sim: --fault-radio %d names no radio of %d\n", faultRadio,
                     count);
        return 64;
    }

    RadioImage startMemory = MakeDefaultImage();
    HeaderBlock header = NewHeaderBlock();
    if (!imagePath.empty()) {
        std::string error;
        const LoadStatus status = LoadDataFile(imagePath, header, startMemory, &error);
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

    std::vector<std::unique_ptr<Radio>> radios;
    for (int index = 1; index <= count; ++index) {
        auto radio = std::make_unique<Radio>();
        radio->index = index;
        radio->memory = startMemory;
        const bool faulty = faultRadio == 0 || faultRadio == index;
        radio->faults = faulty ? faults : SimFaults{};
        radio->delayMs = faulty ? delayMs : 0;
        if (!savePath.empty())
            radio->savePath = count == 1 ? savePath : numberedFile(savePath, index);
        if (!logPath.empty()) {
            const std::string path = count == 1 ? logPath : numberedFile(logPath, index);
            if (!radio->log.open(path)) {
                std::fprintf(stderr, "orvik-radio-sim: cannot write %s: %s\n", path.c_str(),
                             std::strerror(errno));
                return 73;
            }
        }
        const std::string error = openTerminal(*radio);
        if (!error.empty()) {
            std::fprintf(stderr, "orvik-radio-sim: %s\n", error.c_str());
            for (auto& r : radios)
                r->close();
            return 71;
        }
        radio->sim = std::make_unique<RadioSim>(radio->faults, radio->memory);
        radios.push_back(std::move(radio));
    }

    // The links come last, so that a failure leaves none behind.
    if (!linkPath.empty()) {
        for (auto& radio : radios) {
            const std::string path =
                count == 1 ? linkPath : linkPath + std::to_string(radio->index);
            struct stat st {};
            if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
                ::unlink(path.c_str());
            if (::symlink(radio->path.c_str(), path.c_str()) != 0) {
                std::fprintf(stderr, "orvik-radio-sim: cannot make link %s: %s\n", path.c_str(),
                             std::strerror(errno));
                for (auto& r : radios)
                    r->close();
                return 73;
            }
            radio->linkPath = path;
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

    for (auto& radio : radios)
        std::printf("%s\n", radio->path.c_str());
    std::fflush(stdout);

    int status = 0;
    bool running = true;
    std::vector<pollfd> fds;
    std::vector<Radio*> polled;
    while (running) {
        const std::int64_t now = nowMs();
        // Swaps that are due, and the time of the next event of any radio.
        std::int64_t next = -1;
        auto consider = [&](std::int64_t at) {
            if (at >= 0 && (next < 0 || at < next))
                next = at;
        };
        for (auto& radio : radios) {
            if (radio->master < 0)
                continue;
            if (radio->leaveAt >= 0 && now >= radio->leaveAt) {
                radio->leaveAt = -1;
                radio->returnAt = now + SwapGoneMs;
                radio->queue.clear();
                std::fprintf(stderr, "orvik-radio-sim: radio %d unplugged\n", radio->index);
            }
            if (radio->returnAt >= 0 && now >= radio->returnAt) {
                radio->returnAt = -1;
                radio->writes = 0;
                radio->memory = startMemory;
                radio->sim = std::make_unique<RadioSim>(radio->faults, radio->memory);
                std::fprintf(stderr, "orvik-radio-sim: radio %d: a fresh radio is plugged in\n",
                             radio->index);
            }
            consider(radio->leaveAt);
            consider(radio->returnAt);
            if (!radio->queue.empty())
                consider(radio->queue.front().dueMs);
        }

        fds.clear();
        polled.clear();
        for (auto& radio : radios) {
            if (radio->master >= 0) {
                fds.push_back({radio->master, POLLIN, 0});
                polled.push_back(radio.get());
            }
        }
        if (polled.empty())
            break; // every radio has hung up
        fds.push_back({signalPipe[0], POLLIN, 0});
        const int timeout = next < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, next - now));
        const int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            status = 71;
            break;
        }
        if (fds.back().revents)
            break;

        bool idleWake = false; // woken without anything to read: do not spin
        for (std::size_t k = 0; k < polled.size() && running; ++k) {
            Radio& radio = *polled[k];
            const short events = fds[k].revents;
            if (events != 0 && !(events & POLLIN)) {
                idleWake = true;
                continue;
            }
            if (!(events & POLLIN))
                continue;
            std::uint8_t in[256];
            const ssize_t n = ::read(radio.master, in, sizeof in);
            if (n <= 0) {
                if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                    status = 71;
                    running = false;
                }
                idleWake = true;
                continue;
            }
            radio.log.record("PC->radio", in, static_cast<std::size_t>(n));
            const std::int64_t arrived = nowMs();
            if (!radio.present(arrived))
                continue; // nobody on the cable
            for (ssize_t i = 0; i < n; ++i) {
                std::vector<std::uint8_t> answer;
                const int blocksBefore = radio.sim->BlocksAnswered();
                radio.sim->Receive(in[i], arrived, answer);
                if (radio.leaveAt >= 0 && radio.sim->BlocksAnswered() != blocksBefore)
                    radio.leaveAt = arrived + SwapStayMs;
                if (radio.sim->HangupRequested()) {
                    std::fprintf(stderr, "orvik-radio-sim: hanging up after %d blocks\n",
                                 radio.sim->BlocksAnswered());
                    radio.close();
                    break;
                }
                if (!answer.empty()) {
                    const std::int64_t after =
                        radio.queue.empty() ? arrived : radio.queue.back().dueMs;
                    radio.queue.push_back(
                        {std::max(after, arrived + radio.delayMs), std::move(answer)});
                }
                if (radio.sim->TakeWriteCompleted()) {
                    saveMemory(radio, header);
                    ++radio.writes;
                    if (swapAfter > 0) {
                        std::fprintf(stderr, "orvik-radio-sim: radio %d: write %d completed\n",
                                     radio.index, radio.writes);
                        if (radio.writes >= swapAfter)
                            radio.leaveAt = arrived + SwapStayMs;
                    }
                }
            }
        }

        // Answers that are due.
        const std::int64_t sendTime = nowMs();
        for (auto& radio : radios) {
            while (radio->master >= 0 && !radio->queue.empty() &&
                   radio->queue.front().dueMs <= sendTime) {
                const std::vector<std::uint8_t>& bytes = radio->queue.front().bytes;
                const ssize_t w = ::write(radio->master, bytes.data(), bytes.size());
                if (w > 0)
                    radio->log.record("radio->PC", bytes.data(), static_cast<std::size_t>(w));
                radio->queue.pop_front();
            }
        }
        if (idleWake) {
            pollfd p{signalPipe[0], POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                break;
        }
    }

    for (auto& radio : radios)
        radio->close();
    return status;
}
