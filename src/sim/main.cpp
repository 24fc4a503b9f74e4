// orvik-radio-sim: radios on pseudo-terminals, for tests, demos and trying the program without
// a radio. Prints each terminal's device path on a line of its own, radio 1 first. One poll
// loop serves every radio; a radio's answers wait in its own queue, so a slow or silent radio
// never holds up the others.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "sim/RadioSim.h"

#include <CLI/CLI.hpp>

#include <algorithm>
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

// What the command line asks for.
struct Options {
    SimFaults faults;
    std::string imagePath, savePath, linkPath, logPath;
    int delayMs = 0;
    int count = 1;
    int swapAfter = 0;
    int faultRadio = 0;
};

// Ends the program with `status` once the options are read (help, version, a usage error).
struct Exit {
    int status;
};

Options parseOptions(int argc, char** argv) {
    Options o;
    CLI::App app{"Radios on pseudo-terminals, for tests, demos and trying the program without a "
                 "radio.",
                 "orvik-radio-sim"};
    app.footer("Ends on SIGTERM or SIGINT, or once every radio has hung up. With --swap-after, "
               "each completed write, unplugging and fresh radio is reported on standard error.");
    app.set_version_flag("--version", std::string("orvik-radio-sim ") + ORVIK_VERSION,
                         "print the version and exit");
    // A number in [min, max], decimal, 0x hex or 0 octal, as the fault options take addresses.
    auto number = [&app](const char* name, int& target, long min, long max, const char* help) {
        app.add_option_function<std::string>(
               name,
               [name, &target, min, max](const std::string& text) {
                   long v = 0;
                   if (!parseNumber(text.c_str(), min, max, v))
                       throw CLI::ValidationError(std::string(name) + " needs a number from " +
                                                  std::to_string(min) + " to " +
                                                  std::to_string(max));
                   target = static_cast<int>(v);
               },
               help)
            ->type_name("N");
    };
    number("--count", o.count, 1, MaxRadios,
           "start N independent radios (default 1), each on its own terminal; their paths are "
           "printed one per line, in order");
    app.add_option("--image", o.imagePath, "memory to start with (default: the default image)")
        ->type_name("FILE.735");
    app.add_option("--save", o.savePath,
                   "write the memory there after each completed write; with --count, radio I "
                   "saves to FILE-I.735")
        ->type_name("FILE.735");
    app.add_option("--link", o.linkPath,
                   "also make PATH a symbolic link to the terminal; with --count, PATH1 ... PATHN")
        ->type_name("PATH");
    app.add_option("--log", o.logPath,
                   "record every byte with direction and time; with --count, radio I logs to "
                   "FILE-I (before the extension, if any)")
        ->type_name("FILE");
    number("--swap-after", o.swapAfter, 1, 1000000,
           "after N completed writes the radio is unplugged: it answers for 1.5 s more (after "
           "the last block of a read-back), is gone for 2.5 s, then a fresh radio holding the "
           "starting memory answers; repeats");
    number("--fault-radio", o.faultRadio, 1, MaxRadios,
           "the faults below apply to radio N only (default: all)");
    app.add_flag("--silent", o.faults.silent, "never answer");
    number("--wake-reply", o.faults.wakeReply, 0, 255,
           "answer the wake-up with byte N instead of 0x06");
    number("--ident-len", o.faults.identLength, 0, 64, "send N identification bytes instead of 8");
    number("--short-block", o.faults.shortBlock, 0, 0xFFF,
           "answer the read block at address N with 11 bytes");
    number("--nak-block", o.faults.nakBlock, 0, 0xFFF, "answer the block at address N with 0x15");
    number("--corrupt-block", o.faults.corruptBlock, 0, 0xFFF,
           "store the written block at address N with its first byte inverted, yet acknowledge "
           "it");
    number("--delay", o.delayMs, 0, 60000, "wait N milliseconds before every answer");
    number("--hangup-after-blocks", o.faults.hangupAfterBlocks, 0, 1000000,
           "close the terminal after N blocks");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        throw Exit{app.exit(e)};
    } catch (const CLI::CallForVersion& e) {
        throw Exit{app.exit(e)};
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "orvik-radio-sim: %s\n", e.what());
        throw Exit{64};
    }
    if (o.faultRadio > o.count) {
        std::fprintf(stderr, "orvik-radio-sim: --fault-radio %d names no radio of %d\n",
                     o.faultRadio, o.count);
        throw Exit{64};
    }
    return o;
}

// The memory every radio starts with; exits on a file that cannot be used.
RadioImage startingMemory(const std::string& imagePath, HeaderBlock& header) {
    RadioImage memory = MakeDefaultImage();
    header = NewHeaderBlock();
    if (imagePath.empty())
        return memory;
    std::string error;
    const LoadStatus status = LoadDataFile(imagePath, header, memory, &error);
    if (status == LoadStatus::CannotRead) {
        std::fprintf(stderr, "orvik-radio-sim: cannot read %s: %s\n", imagePath.c_str(),
                     error.c_str());
        throw Exit{66};
    }
    if (status == LoadStatus::HeaderRejected) {
        std::fprintf(stderr, "orvik-radio-sim: %s is not a .735 data file\n", imagePath.c_str());
        throw Exit{65};
    }
    return memory;
}

using Radios = std::vector<std::unique_ptr<Radio>>;

[[noreturn]] void closeAndExit(Radios& radios, int status) {
    for (auto& r : radios)
        r->close();
    throw Exit{status};
}

// Every radio on its terminal, with its log, then the links (last, so that a failure leaves
// none behind).
Radios startRadios(const Options& o, const RadioImage& startMemory) {
    Radios radios;
    for (int index = 1; index <= o.count; ++index) {
        auto radio = std::make_unique<Radio>();
        radio->index = index;
        radio->memory = startMemory;
        const bool faulty = o.faultRadio == 0 || o.faultRadio == index;
        radio->faults = faulty ? o.faults : SimFaults{};
        radio->delayMs = faulty ? o.delayMs : 0;
        if (!o.savePath.empty())
            radio->savePath = o.count == 1 ? o.savePath : numberedFile(o.savePath, index);
        if (!o.logPath.empty()) {
            const std::string path = o.count == 1 ? o.logPath : numberedFile(o.logPath, index);
            if (!radio->log.open(path)) {
                std::fprintf(stderr, "orvik-radio-sim: cannot write %s: %s\n", path.c_str(),
                             std::strerror(errno));
                closeAndExit(radios, 73);
            }
        }
        const std::string error = openTerminal(*radio);
        if (!error.empty()) {
            std::fprintf(stderr, "orvik-radio-sim: %s\n", error.c_str());
            radio->close();
            closeAndExit(radios, 71);
        }
        radio->sim = std::make_unique<RadioSim>(radio->faults, radio->memory);
        radios.push_back(std::move(radio));
    }
    if (o.linkPath.empty())
        return radios;
    for (auto& radio : radios) {
        const std::string path =
            o.count == 1 ? o.linkPath : o.linkPath + std::to_string(radio->index);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(path.c_str());
        if (::symlink(radio->path.c_str(), path.c_str()) != 0) {
            std::fprintf(stderr, "orvik-radio-sim: cannot make link %s: %s\n", path.c_str(),
                         std::strerror(errno));
            closeAndExit(radios, 73);
        }
        radio->linkPath = path;
    }
    return radios;
}

// The one poll loop that serves every radio.
class Server {
public:
    Server(Radios& all, const Options& options, const RadioImage& memory, const HeaderBlock& hdr)
        : radios(all), o(options), startMemory(memory), header(hdr) {}
    // Runs until a signal, an error or every radio hung up; returns the exit status.
    int run();

private:
    // Swaps that are due; returns the time of the next event of any radio (-1: none).
    std::int64_t advanceSwaps(std::int64_t now);
    // What radio sent; false on an error that ends the program.
    bool receive(Radio& radio, bool& idleWake);
    void answer(Radio& radio, const std::uint8_t* in, std::size_t n, std::int64_t arrived);
    void sendDue();

    Radios& radios;
    const Options& o;
    const RadioImage& startMemory;
    const HeaderBlock& header;
};

std::int64_t Server::advanceSwaps(std::int64_t now) {
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
    return next;
}

void Server::answer(Radio& radio, const std::uint8_t* in, std::size_t n, std::int64_t arrived) {
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<std::uint8_t> reply;
        const int blocksBefore = radio.sim->BlocksAnswered();
        radio.sim->Receive(in[i], arrived, reply);
        if (radio.leaveAt >= 0 && radio.sim->BlocksAnswered() != blocksBefore)
            radio.leaveAt = arrived + SwapStayMs;
        if (radio.sim->HangupRequested()) {
            std::fprintf(stderr, "orvik-radio-sim: hanging up after %d blocks\n",
                         radio.sim->BlocksAnswered());
            radio.close();
            return;
        }
        if (!reply.empty()) {
            const std::int64_t after = radio.queue.empty() ? arrived : radio.queue.back().dueMs;
            radio.queue.push_back({std::max(after, arrived + radio.delayMs), std::move(reply)});
        }
        if (radio.sim->TakeWriteCompleted()) {
            saveMemory(radio, header);
            ++radio.writes;
            if (o.swapAfter > 0) {
                std::fprintf(stderr, "orvik-radio-sim: radio %d: write %d completed\n", radio.index,
                             radio.writes);
                if (radio.writes >= o.swapAfter)
                    radio.leaveAt = arrived + SwapStayMs;
            }
        }
    }
}

bool Server::receive(Radio& radio, bool& idleWake) {
    std::uint8_t in[256];
    const ssize_t n = ::read(radio.master, in, sizeof in);
    if (n <= 0) {
        idleWake = true;
        return !(n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO);
    }
    radio.log.record("PC->radio", in, static_cast<std::size_t>(n));
    const std::int64_t arrived = nowMs();
    if (radio.present(arrived)) // else nobody is on the cable
        answer(radio, in, static_cast<std::size_t>(n), arrived);
    return true;
}

void Server::sendDue() {
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
}

int Server::run() {
    std::vector<pollfd> fds;
    std::vector<Radio*> polled;
    for (;;) {
        const std::int64_t now = nowMs();
        const std::int64_t next = advanceSwaps(now);
        fds.clear();
        polled.clear();
        for (auto& radio : radios) {
            if (radio->master >= 0) {
                fds.push_back({radio->master, POLLIN, 0});
                polled.push_back(radio.get());
            }
        }
        if (polled.empty())
            return 0; // every radio has hung up
        fds.push_back({signalPipe[0], POLLIN, 0});
        const int timeout = next < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, next - now));
        const int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return 71;
        }
        if (fds.back().revents)
            return 0;

        bool idleWake = false; // woken without anything to read: do not spin
        for (std::size_t k = 0; k < polled.size(); ++k) {
            const short events = fds[k].revents;
            if (events != 0 && !(events & POLLIN))
                idleWake = true;
            else if ((events & POLLIN) && !receive(*polled[k], idleWake))
                return 71;
        }
        sendDue();
        if (idleWake) {
            pollfd p{signalPipe[0], POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                return 0;
        }
    }
}

int run(int argc, char** argv) {
    const Options o = parseOptions(argc, argv);
    HeaderBlock header{};
    const RadioImage startMemory = startingMemory(o.imagePath, header);
    Radios radios = startRadios(o, startMemory);

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        closeAndExit(radios, 71);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    for (auto& radio : radios)
        std::printf("%s\n", radio->path.c_str());
    std::fflush(stdout);

    const int status = Server(radios, o, startMemory, header).run();
    for (auto& radio : radios)
        radio->close();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Exit& e) {
        return e.status;
    }
}
