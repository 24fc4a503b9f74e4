#include "core/link/LineTrace.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace orvik {

namespace {

// Byte events stop this far below the cap, leaving room for milestones and the closing line.
constexpr std::size_t MilestoneReserve = 16 * 1024;
constexpr std::size_t ClosingReserve = 256;
constexpr int BytesPerLine = 16;

} // namespace

void LineTrace::Start() {
    text.clear();
    dropped = 0;
    zero = std::chrono::steady_clock::now();
}

bool LineTrace::append(std::string_view tag, std::string_view body, std::size_t limit) {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - zero)
                            .count();
    char stamp[32];
    const int n =
        std::snprintf(stamp, sizeof stamp, "%5lld.%03lld ", static_cast<long long>(micros / 1000),
                      static_cast<long long>(micros % 1000));
    const std::size_t length = static_cast<std::size_t>(n) + tag.size() + 1 + body.size() + 1;
    if (text.size() + length > limit) {
        ++dropped;
        return false;
    }
    text.append(stamp, static_cast<std::size_t>(n));
    text.append(tag);
    text += ' ';
    text.append(body);
    text += '\n';
    return true;
}

void LineTrace::bytesLine(std::string_view tag, const std::uint8_t* bytes, int count) {
    static constexpr char hex[] = "0123456789abcdef";
    for (int at = 0; at < count; at += BytesPerLine) {
        const std::size_t n = static_cast<std::size_t>(std::min(BytesPerLine, count - at));
        // Two hex digits a byte, a blank between bytes.
        std::array<char, BytesPerLine * 3> body{};
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint8_t b = bytes[static_cast<std::size_t>(at) + k];
            body[3 * k] = hex[b >> 4];
            body[3 * k + 1] = hex[b & 0x0F];
            if (k + 1 < n)
                body[3 * k + 2] = ' ';
        }
        append(tag, std::string_view(body.data(), 3 * n - 1), MaxBytes - MilestoneReserve);
    }
}

void LineTrace::Sent(const std::uint8_t* bytes, int count) {
    bytesLine("PC> ", bytes, count);
}

void LineTrace::Received(const std::uint8_t* bytes, int count) {
    bytesLine("<RAD", bytes, count);
}

void LineTrace::Note(std::string_view body) {
    append("--- ", body, MaxBytes - ClosingReserve);
}

std::string LineTrace::Text() const {
    if (dropped == 0)
        return text;
    return text + "... " + std::to_string(dropped) + " events dropped: the trace is capped at " +
           std::to_string(MaxBytes / 1024) + " KB\n";
}

int TracingLink::Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) {
    if (!byteByByte) {
        const int written = inner.Write(bytes, count, pause, false);
        trace.Sent(bytes, written);
        checkLost();
        return written;
    }
    // One event per byte, so that the pause before each shows in the time stamps.
    int written = 0;
    for (int i = 0; i < count; ++i) {
        if (inner.Write(bytes + i, 1, pause, true) != 1)
            break;
        trace.Sent(bytes + i, 1);
        ++written;
    }
    checkLost();
    return written;
}

int TracingLink::WriteByte(std::uint8_t byte, int pause) {
    const int written = inner.WriteByte(byte, pause);
    trace.Sent(&byte, written);
    checkLost();
    return written;
}

int TracingLink::Read(std::uint8_t* buf, int count, int timeout) {
    const int got = inner.Read(buf, count, timeout);
    trace.Received(buf, got);
    if (got < count && count > 0)
        trace.Note("waited " + std::to_string(timeout) + " ms: " + std::to_string(got) + " of " +
                   std::to_string(count) + " bytes");
    checkLost();
    return got;
}

int TracingLink::ReadByte(int timeout) {
    const int value = inner.ReadByte(timeout);
    if (value >= 0) {
        const std::uint8_t byte = static_cast<std::uint8_t>(value);
        trace.Received(&byte, 1);
    } else if (timeout > 0) {
        trace.Note("waited " + std::to_string(timeout) + " ms: no byte");
    }
    checkLost();
    return value;
}

void TracingLink::opened(bool ok, const std::string& what, int baud) {
    lostNoted = false;
    if (ok) {
        trace.Note("port opened: " + what + ", " + std::to_string(baud) +
                   " baud 8N1, no flow control, DTR and RTS on");
        return;
    }
    const std::string& why = inner.lastError().openText;
    trace.Note("port not opened: " + what + (why.empty() ? "" : ": " + why));
}

bool TracingLink::Open(int port, int baud) {
    const bool ok = inner.Open(port, baud);
    opened(ok, "COM" + std::to_string(port), baud);
    return ok;
}

bool TracingLink::OpenDevice(const std::string& path, int baud) {
    const bool ok = inner.OpenDevice(path, baud);
    opened(ok, path, baud);
    return ok;
}

void TracingLink::SetBaudRate(int baud) {
    inner.SetBaudRate(baud);
}

void TracingLink::Close() {
    if (!inner.IsOpen())
        return;
    inner.Close();
    trace.Note("port closed");
}

void TracingLink::checkLost() {
    if (lostNoted || !inner.lastError().lost)
        return;
    lostNoted = true;
    trace.Note("the line is gone (hang-up or device removed)");
}

} // namespace orvik
