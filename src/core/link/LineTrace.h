#pragma once
// A record of one transfer job as it happened on the line: every byte sent and received and
// the job's milestones, each with its time from the start of the job. One event per line:
//    12.345 PC>  52 00 00 08
//    62.910 <RAD 52 00 00 08 ff ff ff ff ff ff ff ff
//    63.000 ---  block 0 done
// The text is capped at MaxBytes; events beyond it are counted and named in a closing line,
// while milestones keep a reserve so that the end of a job still shows after a flood of bytes.
// Not thread-safe: one thread records at a time (the worker, then the session after joining).

#include "core/link/ByteLink.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvik {

class LineTrace {
public:
    static constexpr std::size_t MaxBytes = 1024 * 1024;

    // Clears the trace and makes now its time zero.
    void Start();
    void Sent(const std::uint8_t* bytes, int count);
    void Received(const std::uint8_t* bytes, int count);
    void Note(std::string_view text);

    // The whole trace, with a closing line when events were dropped; at most MaxBytes.
    std::string Text() const;
    bool empty() const { return text.empty(); }

private:
    void bytesLine(std::string_view tag, const std::uint8_t* bytes, int count);
    bool append(std::string_view tag, std::string_view body, std::size_t limit);

    std::string text;
    std::chrono::steady_clock::time_point zero = std::chrono::steady_clock::now();
    std::size_t dropped = 0;
};

// A serial link that records everything passing through it into a trace; otherwise it is the
// link it wraps. Opening, closing, waits that ended short, a lost line and the operating
// system's error texts are recorded as milestones.
class TracingLink final : public SerialLink {
public:
    TracingLink(SerialLink& wrapped, LineTrace& into) : inner(wrapped), trace(into) {}

    int Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) override;
    int WriteByte(std::uint8_t byte, int pause) override;
    int Read(std::uint8_t* buf, int count, int timeout) override;
    int ReadByte(int timeout) override;
    bool IsOpen() const override { return inner.IsOpen(); }
    const LinkError& lastError() const override { return inner.lastError(); }
    bool Open(int port, int baud) override;
    bool OpenDevice(const std::string& path, int baud) override;
    void SetBaudRate(int baud) override;
    void Close() override;

private:
    void opened(bool ok, const std::string& what, int baud);
    void checkLost();

    SerialLink& inner;
    LineTrace& trace;
    bool lostNoted = false;
};

} // namespace orvik
