#pragma once
// A radio and its cable in virtual time, for protocol and worker tests: a SerialLink whose
// ports are numbered devices, each optionally holding a scripted radio, and a clock that only
// moves when the code under test pauses or waits. Every byte on the line, every wait and every
// pause is recorded as a text line "<ms> <WHAT> <details>".

#include "core/link/ByteLink.h"
#include "core/link/LinkClock.h"
#include "core/link/Protocol.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvik::test {

class VirtualClock final : public LinkClock {
public:
    explicit VirtualClock(std::uint32_t start = 0) : now(start) {}
    std::uint32_t GetTickCount() override { return now; }
    void Sleep(int ms) override;
    void Advance(int ms) {
        if (ms > 0)
            now += static_cast<std::uint32_t>(ms);
        if (onAdvance)
            onAdvance();
    }
    std::uint32_t now;
    std::vector<std::string>* trace = nullptr;
    std::uint32_t origin = 0;
    std::function<void()> onAdvance; // runs after every advance (e.g. to request a stop)
};

// What a scripted radio does; the defaults make a good radio.
struct RadioScript {
    bool answersWakeUp = true;
    int wakeReply = 0x06;
    int identLength = 8;
    int shortBlock = -1;        // read block at this address gets 11 bytes...
    int shortTimes = 0;         // ...this many times
    int nakBlock = -1;          // write block at this address gets 0x15...
    int nakTimes = 0;           // ...this many times
    int silentAfterBlocks = -1; // stops answering after this many blocks
    int noiseOnWake = 0;        // stale bytes queued before each wake-up answer
    int extraByteBlock = -1;    // read block at this address answered with 13 bytes...
    int extraTimes = 0;         // ...this many times
    int lateAckReplies = 0;     // this many replies to the PC's 0x06 come only with the next answer
    int hangupAfterBlocks = -1; // the line goes away instead of answering block N+1
    int corruptBlock = -1;      // write block at this address stored with byte 0 inverted, acked
};

class ScriptedRadio {
public:
    explicit ScriptedRadio(RadioScript s = {}) : script(s) { memory.fill(0); }
    // Bytes written by the PC in one write call; the answer is appended to `out`.
    void Receive(const std::uint8_t* bytes, int count, std::deque<std::uint8_t>& out);

    RadioScript script;
    std::array<std::uint8_t, 4096> memory;
    int blocks = 0;
    int wakeUps = 0;
    int readCommands = 0;
    int writePackets = 0;
    bool hungUp = false;

private:
    std::vector<std::uint8_t> window;
    std::vector<std::uint8_t> late; // bytes held back until the next answer
    bool awake = false;
    bool identified = false;
};

class ScriptedLink final : public SerialLink {
public:
    explicit ScriptedLink(VirtualClock& c) : clock(c) {}

    // Port n has a device; `radio` may be null (a device without a radio).
    void AddDevice(int port, ScriptedRadio* radio) { devices[port] = radio; }

    bool Open(int port, int baud) override;
    bool OpenDevice(const std::string& path, int baud) override;
    void SetBaudRate(int) override {}
    void Close() override;
    bool IsOpen() const override { return current != 0; }
    const LinkError& lastError() const override { return error; }

    int Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) override;
    int WriteByte(std::uint8_t byte, int pause) override { return Write(&byte, 1, pause, false); }
    int Read(std::uint8_t* buf, int count, int timeout) override;
    int ReadByte(int timeout) override;

    std::vector<std::string> trace;
    std::vector<int> openAttempts;
    std::function<void()> onWrite; // runs after every write call

    // Bytes of the current port that the PC has not read yet.
    std::deque<std::uint8_t> pending;

private:
    void log(const std::string& what);

    VirtualClock& clock;
    LinkError error;
    std::map<int, ScriptedRadio*> devices;
    int current = 0;
};

std::string Hex(const std::uint8_t* bytes, int count);

} // namespace orvik::test
