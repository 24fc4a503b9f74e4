#include "core/link/CSerialPort.h"

#include "core/link/PortNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvik {

namespace {

// A monotonic point in time in nanoseconds.
std::int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

timespec toTimespec(std::int64_t ns) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000LL);
    ts.tv_nsec = static_cast<long>(ns % 1000000000LL);
    return ts;
}

// Sleeps until the monotonic deadline, across interruptions.
void sleepUntil(std::int64_t deadlineNs) {
    const timespec ts = toTimespec(deadlineNs);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void sleepMs(int ms) {
    if (ms > 0)
        sleepUntil(nowNs() + static_cast<std::int64_t>(ms) * 1000000LL);
}

speed_t speedFor(int baud, bool& known) {
    known = true;
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        known = false;
        return B9600;
    }
}

// Sets the rate on both directions; rates the terminal driver cannot express are left as
// they were, as a refused line setting is ignored.
void applyBaud(termios& tio, int baud) {
    bool known = false;
    const speed_t speed = speedFor(baud, known);
    if (!known)
        return;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
}

} // namespace

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::SetSettingsFilePath(std::string path) {
    settingsFilePath = std::move(path);
}

bool CSerialPort::fail(OpenError kind, std::string text) {
    error.open = kind;
    error.openText = std::move(text);
    error.lost = false;
    return false;
}

bool CSerialPort::Open(int port, int baud) {
    const std::string path = PortDevicePath(settingsFilePath, port);
    if (path.empty()) {
        if (fd >= 0)
            Close();
        lastDevicePath.clear();
        return fail(OpenError::NoDevice, "COM" + std::to_string(port) + " has no device");
    }
    return OpenDevice(path, baud);
}

bool CSerialPort::OpenDevice(const std::string& path, int baud) {
    if (fd >= 0)
        Close();
    error.lost = false;
    lastDevicePath = path;
    if (path.empty())
        return fail(OpenError::NoDevice, "no device path");

    const int handle = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        const int err = errno;
        OpenError kind = OpenError::Other;
        if (err == ENOENT || err == ENXIO || err == ENODEV || err == ENOTDIR)
            kind = OpenError::NoDevice;
        else if (err == EACCES || err == EPERM || err == EROFS)
            kind = OpenError::PermissionDenied;
        else if (err == EBUSY)
            kind = OpenError::Busy;
        return fail(kind, std::strerror(err));
    }
    // No second opener while we hold the line: TIOCEXCL refuses later opens of the terminal,
    // the lock also refuses programs that run with privileges or lock before opening.
    if (::ioctl(handle, TIOCEXCL) != 0) {
        const int err = errno;
        ::close(handle);
        if (err == ENOTTY || err == EINVAL)
            return fail(OpenError::Other, "not a serial port");
        return fail(err == EBUSY ? OpenError::Busy : OpenError::Other, std::strerror(err));
    }
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::ioctl(handle, TIOCNXCL);
        ::close(handle);
        if (err == EWOULDBLOCK)
            return fail(OpenError::Busy, "in use by another program");
        return fail(OpenError::Other, std::strerror(err));
    }

    // A line that cannot be put into raw mode would mangle the protocol's bytes: refuse it.
    termios tio{};
    if (::tcgetattr(handle, &tio) != 0) {
        const int err = errno;
        ::ioctl(handle, TIOCNXCL);
        ::close(handle);
        return fail(OpenError::Other, std::strerror(err));
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    applyBaud(tio, baud);
    if (::tcsetattr(handle, TCSANOW, &tio) != 0) {
        const int err = errno;
        ::ioctl(handle, TIOCNXCL);
        ::close(handle);
        return fail(OpenError::Other, std::strerror(err));
    }
    int line = TIOCM_DTR;
    ::ioctl(handle, TIOCMBIS, &line); // fails harmlessly on a pseudo-terminal
    line = TIOCM_RTS;
    ::ioctl(handle, TIOCMBIS, &line);
    ::tcflush(handle, TCOFLUSH);

    fd = handle;
    error = LinkError{};
    return true;
}

void CSerialPort::SetBaudRate(int baud) {
    if (fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    applyBaud(tio, baud);
    ::tcsetattr(fd, TCSANOW, &tio);
}

void CSerialPort::Close() {
    if (fd < 0)
        return;
    // The exclusive flag belongs to the terminal, not to our descriptor: clear it so that the
    // next opener is not refused while someone else still holds the terminal open.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    fd = -1;
}

bool CSerialPort::waitWritable(int timeoutMs) {
    const std::int64_t deadline = nowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000LL;
    for (;;) {
        const std::int64_t left = deadline - nowNs();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLOUT, 0};
        const timespec ts = toTimespec(left);
        const int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))) {
            markLost();
            return false;
        }
        return r > 0;
    }
}

int CSerialPort::writeAll(const std::uint8_t* bytes, int count) {
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, bytes + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            markLost(); // EIO: the device went away
            break;
        }
        // No room: wait for it at most one second at a time.
        if (!waitWritable(1000))
            break;
    }
    return done;
}

int CSerialPort::Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) {
    if (fd < 0 || count <= 0 || bytes == nullptr)
        return 0;
    if (!byteByByte) {
        sleepMs(pause);
        return writeAll(bytes, count);
    }
    int written = 0;
    for (int i = 0; i < count; ++i) {
        sleepMs(pause);
        if (writeAll(bytes + i, 1) != 1)
            break;
        ++written;
    }
    return written;
}

int CSerialPort::WriteByte(std::uint8_t byte, int pause) {
    return Write(&byte, 1, pause, false);
}

int CSerialPort::Read(std::uint8_t* buf, int count, int timeout) {
    if (count <= 0 || buf == nullptr)
        return 0;
    const std::int64_t deadline =
        nowNs() + static_cast<std::int64_t>(timeout > 0 ? timeout : 0) * 1000000LL;
    if (fd < 0) {
        sleepUntil(deadline);
        return 0;
    }
    int total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf + total, static_cast<size_t>(count - total));
        if (n > 0) {
            total += static_cast<int>(n);
            if (total == count)
                return count;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            markLost(); // EIO: hung up or unplugged
            return total;
        }
        if (error.lost)
            return total;
        // Waits for input until the deadline; a zero wait still reports a hang-up.
        const std::int64_t left = std::max<std::int64_t>(deadline - nowNs(), 0);
        pollfd p{fd, POLLIN, 0};
        const timespec ts = toTimespec(left);
        const int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))) {
            // Take what the driver still holds, then report the line gone.
            while (total < count) {
                const ssize_t m = ::read(fd, buf + total, static_cast<size_t>(count - total));
                if (m <= 0)
                    break;
                total += static_cast<int>(m);
            }
            markLost();
            return total;
        }
        if (r == 0)
            return total;
    }
}

int CSerialPort::ReadByte(int timeout) {
    std::uint8_t byte = 0;
    return Read(&byte, 1, timeout) == 1 ? byte : -1;
}

} // namespace orvik
