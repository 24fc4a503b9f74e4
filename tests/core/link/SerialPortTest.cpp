// CSerialPort on real pseudo-terminals, and the port-number rule.

#include "LinkTestSupport.h"

#include "core/link/CSerialPort.h"
#include "core/link/PortNames.h"
#include "core/link/TransferSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace orvik::test {
namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// The master side of a pseudo-terminal; the slave path is what the port opens.
class Pty {
public:
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
    }
    ~Pty() { CloseMaster(); }
    void Send(std::initializer_list<std::uint8_t> bytes) {
        std::vector<std::uint8_t> v(bytes);
        ASSERT_EQ(::write(master, v.data(), v.size()), static_cast<ssize_t>(v.size()));
    }
    // Everything the port sent within `ms`.
    std::vector<std::uint8_t> Receive(std::size_t count, int ms = 500) {
        std::vector<std::uint8_t> got;
        const auto start = Clock::now();
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        while (got.size() < count && ElapsedMs(start) < ms) {
            std::uint8_t b[256];
            const ssize_t n = ::read(master, b, sizeof b);
            if (n > 0)
                got.insert(got.end(), b, b + n);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return got;
    }
    void CloseMaster() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    int master = -1;
    std::string path;
};

std::string PortsSection(const std::string& path) {
    return "[setup]\ncom=3\n[ports]\nCOM3=" + path + "\nCOM4=\n";
}

TEST(PortNames, NumbersMapToDevices) {
    TempSettings settings("[ports]\nCOM3=/dev/pts/9\nCOM4=\ncom20 = /tmp/x \nCOM300=/dev/y\n");
    struct Row {
        int port;
        const char* withSettings;
        const char* withoutSettings;
    } rows[] = {
        {0, "", ""},
        {-1, "", ""},
        {1, "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {3, "/dev/pts/9", "/dev/ttyUSB2"},
        {4, "", "/dev/ttyUSB3"}, // an empty value means no device
        {8, "/dev/ttyUSB7", "/dev/ttyUSB7"},
        {9, "/dev/ttyACM0", "/dev/ttyACM0"},
        {16, "/dev/ttyACM7", "/dev/ttyACM7"},
        {17, "/dev/ttyS0", "/dev/ttyS0"},
        {20, "/tmp/x", "/dev/ttyS3"},
        {48, "/dev/ttyS31", "/dev/ttyS31"},
        {49, "", ""},
        {255, "", ""},
        {300, "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PortDevicePath(settings.path, r.port), r.withSettings) << r.port;
        EXPECT_EQ(PortDevicePath("", r.port), r.withoutSettings) << r.port;
    }
}

TEST(SerialPort, OpensThroughThePortsSectionInRawModeAndMovesEveryByteUnchanged) {
    Pty pty;
    TempSettings settings(PortsSection(pty.path));
    CSerialPort port;
    port.SetSettingsFilePath(settings.path);
    ASSERT_TRUE(port.Open(3, 9600)) << port.LastOpenErrorText();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.LastOpenError(), CSerialPort::OpenError::None);
    EXPECT_EQ(port.LastDevicePath(), pty.path);

    termios tio{};
    const int probe = ::open(pty.path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0); // root ignores TIOCEXCL; the settings are the terminal's
    ASSERT_EQ(::tcgetattr(probe, &tio), 0);
    ::close(probe);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));

    port.SetBaudRate(19200);
    // Every byte value both ways, no translation of line ends or control characters.
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(port.Write(all.data(), 256, 0, false), 256);
    EXPECT_EQ(pty.Receive(256), all);
    ASSERT_EQ(::write(pty.master, all.data(), 256), 256);
    std::vector<std::uint8_t> in(256);
    EXPECT_EQ(port.Read(in.data(), 256, 500), 256);
    EXPECT_EQ(in, all);
}

TEST(SerialPort, OpenFailuresKeepTheReason) {
    Pty pty;
    TempSettings settings(PortsSection(pty.path));
    CSerialPort first;
    first.SetSettingsFilePath(settings.path);
    ASSERT_TRUE(first.Open(3, 9600));

    CSerialPort second;
    second.SetSettingsFilePath(settings.path);
    EXPECT_FALSE(second.Open(3, 9600)); // exclusive: the cable is in use
    EXPECT_EQ(second.LastOpenError(), CSerialPort::OpenError::Busy);
    EXPECT_FALSE(second.IsOpen());

    EXPECT_FALSE(second.Open(4, 9600)); // [ports] COM4= : no device
    EXPECT_EQ(second.LastOpenError(), CSerialPort::OpenError::NoDevice);
    EXPECT_EQ(second.LastDevicePath(), "");

    EXPECT_FALSE(second.OpenDevice("/dev/orvik-no-such-device", 9600));
    EXPECT_EQ(second.LastOpenError(), CSerialPort::OpenError::NoDevice);
    EXPECT_FALSE(second.LastOpenErrorText().empty());
    EXPECT_EQ(second.LastDevicePath(), "/dev/orvik-no-such-device");

    EXPECT_FALSE(second.OpenDevice("/dev/null", 9600)); // not a terminal
    EXPECT_EQ(second.LastOpenError(), CSerialPort::OpenError::Other);
    EXPECT_FALSE(second.IsOpen());

    EXPECT_FALSE(second.Open(0, 9600));
    EXPECT_FALSE(second.Open(256, 9600));

    // Once the first lets go, the device opens again.
    first.Close();
    EXPECT_TRUE(second.Open(3, 9600));
}

TEST(SerialPort, ReadTimeOutsAndShortReads) {
    Pty pty;
    CSerialPort port;
    ASSERT_TRUE(port.OpenDevice(pty.path, 9600));
    std::uint8_t buf[8] = {};

    auto start = Clock::now();
    EXPECT_EQ(port.ReadByte(0), -1); // a single poll
    EXPECT_LT(ElapsedMs(start), 20);

    pty.Send({0x42});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(port.ReadByte(0), 0x42);

    pty.Send({1, 2, 3, 4, 5, 6, 7, 8});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    start = Clock::now();
    EXPECT_EQ(port.Read(buf, 8, 500), 8); // all waiting: no wait at all
    EXPECT_LT(ElapsedMs(start), 50);
    EXPECT_EQ(buf[7], 8);

    pty.Send({9, 9, 9, 9, 9});
    start = Clock::now();
    EXPECT_EQ(port.Read(buf, 8, 150), 5); // only 5 arrive: the time-out ends the read
    EXPECT_GE(ElapsedMs(start), 150);
    EXPECT_LT(ElapsedMs(start), 300);

    // Bytes that arrive during the wait are taken at once.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        pty.Send({0x06});
    });
    start = Clock::now();
    EXPECT_EQ(port.ReadByte(500), 0x06);
    EXPECT_LT(ElapsedMs(start), 300);
    late.join();

    start = Clock::now();
    EXPECT_EQ(port.ReadByte(100), -1);
    EXPECT_GE(ElapsedMs(start), 100);
}

TEST(SerialPort, WritePausesBeforeEveryByteOnlyInByteByByteMode) {
    Pty pty;
    CSerialPort port;
    ASSERT_TRUE(port.OpenDevice(pty.path, 9600));
    const std::uint8_t wake[8] = {0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};

    auto start = Clock::now();
    EXPECT_EQ(port.Write(wake, 8, 16, true), 8);
    EXPECT_GE(ElapsedMs(start), 128);
    EXPECT_EQ(pty.Receive(8), std::vector<std::uint8_t>(wake, wake + 8));

    start = Clock::now();
    EXPECT_EQ(port.Write(wake, 8, 16, false), 8);
    const long whole = ElapsedMs(start);
    EXPECT_GE(whole, 16);
    EXPECT_LT(whole, 60);
    EXPECT_EQ(pty.Receive(8).size(), 8u);

    EXPECT_EQ(port.WriteByte(0x06, 1), 1);
    EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x06});
    EXPECT_EQ(port.Write(wake, 0, 16, true), 0);
    EXPECT_EQ(port.Write(wake, -3, 16, false), 0);
}

TEST(SerialPort, ClosedPortAnswersQuietly) {
    CSerialPort port;
    const std::uint8_t b[2] = {1, 2};
    std::uint8_t buf[4];
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(b, 2, 0, false), 0);
    EXPECT_EQ(port.Write(b, 2, 0, true), 0);
    EXPECT_EQ(port.WriteByte(1, 0), 0);
    EXPECT_EQ(port.ReadByte(0), -1);
    auto start = Clock::now();
    EXPECT_EQ(port.Read(buf, 4, 60), 0);
    EXPECT_GE(ElapsedMs(start), 60); // once its time-out has passed
    port.SetBaudRate(9600);
    port.Close();
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

// A pulled cable (the hang-up may discard what was still buffered): every read and write
// reports the line lost at once instead of waiting out its time-out.
TEST(SerialPort, HangUpIsReportedAtOnceUntilTheNextOpen) {
    Pty pty;
    CSerialPort port;
    ASSERT_TRUE(port.OpenDevice(pty.path, 9600));
    EXPECT_FALSE(port.lastError().lost);
    pty.Send({7, 7});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pty.CloseMaster();

    std::uint8_t buf[12];
    const auto start = Clock::now();
    EXPECT_LE(port.Read(buf, 12, 300), 2);
    EXPECT_TRUE(port.lastError().lost);
    EXPECT_EQ(port.ReadByte(500), -1);
    const std::uint8_t ack = 0x06;
    EXPECT_EQ(port.Write(&ack, 1, 0, false), 0);
    EXPECT_LT(ElapsedMs(start), 100);
    EXPECT_TRUE(port.lastError().lost);

    Pty other;
    ASSERT_TRUE(port.OpenDevice(other.path, 9600));
    EXPECT_FALSE(port.lastError().lost);
}

// Tells a waiting test thread when the port search has begun.
class SearchWatch final : public TransferObserver {
public:
    void searching(int) override {
        {
            std::lock_guard lock(mutex);
            searched = true;
        }
        changed.notify_all();
    }
    void finished(const TransferOutcome&) override { ++finishes; }
    bool WaitForSearch(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [this] { return searched; });
    }
    std::atomic<int> finishes{0};

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool searched = false;
};

// The real session on a real port: a silent line, cancelled during the wake-up and during the
// search, stops within one wait and has told its end when cancel() returns.
TEST(TransferSession, CancelOnARealPortStopsWithinOneWait) {
    Pty pty;
    for (const char* search : {"0", "1"}) {
        TempSettings settings("[setup]\ncom=3\nsearchcom=" + std::string(search) +
                              "\n[ports]\nCOM3=" + pty.path + "\n");
        CSerialPort port;
        port.SetSettingsFilePath(settings.path);
        std::vector<std::uint8_t> image(4096, 0xFF);
        TransferRequest request;
        request.iniPath = settings.path;
        SearchWatch watch;
        TransferSession session;
        session.start(request, image.data(), port, watch);
        EXPECT_TRUE(session.running());
        // With the search on, wait until it runs (the silent port's 10 attempts are over).
        if (search[0] == '1')
            EXPECT_TRUE(watch.WaitForSearch(std::chrono::seconds(5)));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const auto start = Clock::now();
        const TransferOutcome& outcome = session.cancel();
        EXPECT_LT(ElapsedMs(start), 700) << "searchcom=" << search;
        EXPECT_FALSE(session.running());
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_EQ(watch.finishes.load(), 1);
        EXPECT_FALSE(port.IsOpen());
    }
}

// A radio on a pty whose cable is pulled after three blocks: the job ends at once with the lost
// connection and its own message, not after the retries of a silent radio.
TEST(TransferSession, APulledCableEndsTheJobAtOnceWithItsOwnMessage) {
    Pty pty;
    std::atomic<bool> pulled{false};
    Clock::time_point pulledAt;
    std::thread radio([&] {
        ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
        std::vector<std::uint8_t> in;
        int blocks = 0;
        bool awake = false;
        const auto begin = Clock::now();
        while (ElapsedMs(begin) < 5000) {
            std::uint8_t b[64];
            const ssize_t n = ::read(pty.master, b, sizeof b);
            if (n <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            in.insert(in.end(), b, b + n);
            if (!awake && in.size() >= 8 && in.back() == 0x4D) { // ...PROGRAM
                awake = true;
                in.clear();
                pty.Send({0x06});
            } else if (awake && in == std::vector<std::uint8_t>{0x02}) {
                in.clear();
                pty.Send({1, 2, 3, 4, 5, 6, 7, 8});
            } else if (awake && in.size() == 1 && in[0] == 0x06) {
                in.clear();
                pty.Send({0x06});
            } else if (awake && in.size() == 4 && in[0] == 0x52) {
                in.clear();
                if (++blocks > 3) {
                    pulledAt = Clock::now();
                    pty.CloseMaster();
                    pulled = true;
                    return;
                }
                pty.Send({0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9});
            }
        }
    });
    TempSettings settings(PortsSection(pty.path));
    CSerialPort port;
    port.SetSettingsFilePath(settings.path);
    std::vector<std::uint8_t> image(4096, 0);
    TransferRequest request;
    request.iniPath = settings.path;
    request.port = 3;
    request.search = 0;
    TransferSession session;
    struct Done final : TransferObserver {
        void finished(const TransferOutcome& o) override { outcome = o; }
        TransferOutcome outcome;
    } observer;
    session.start(request, image.data(), port, observer);
    session.wait();
    const auto endedAt = Clock::now();
    radio.join();
    ASSERT_TRUE(pulled);
    EXPECT_EQ(observer.outcome.state, TransferState::ConnectionLost);
    EXPECT_EQ(observer.outcome.blocksDone, 3);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(endedAt - pulledAt).count(),
              300);
    const std::string text = TransferMessage(
        observer.outcome, [](std::string_view key) { return "<" + std::string(key) + ">"; });
    EXPECT_EQ(text, "<IDS_ERROR_LINK_LOST>");
}

} // namespace
} // namespace orvik::test
