#include "ScriptedRadio.h"

#include <algorithm>
#include <cstring>

namespace orvik::test {

using namespace orvik::protocol;

std::string Hex(const std::uint8_t* bytes, int count) {
    std::string s;
    char b[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        s += b;
    }
    return s;
}

void VirtualClock::Sleep(int ms) {
    if (trace) {
        // Consecutive pauses read as one, as they do on the line.
        const std::string prefix = " SLEEP ";
        int total = ms;
        std::uint32_t start = now - origin;
        if (!trace->empty() && trace->back().find(prefix) != std::string::npos) {
            const std::string& last = trace->back();
            const std::size_t at = last.find(prefix);
            start = static_cast<std::uint32_t>(std::stoul(last.substr(0, at)));
            total += std::stoi(last.substr(at + prefix.size()));
            trace->pop_back();
        }
        trace->push_back(std::to_string(start) + prefix + std::to_string(total));
    }
    Advance(ms);
}

void ScriptedRadio::Receive(const std::uint8_t* bytes, int count, std::deque<std::uint8_t>& out) {
    if (count == 1) {
        window.push_back(bytes[0]);
        if (window.size() > 8)
            window.erase(window.begin());
        if (window.size() == 8 && std::equal(window.begin(), window.end(), WakeUpString)) {
            window.clear();
            ++wakeUps;
            if (!script.answersWakeUp)
                return;
            for (int i = 0; i < script.noiseOnWake; ++i)
                out.push_back(0x55);
            out.push_back(static_cast<std::uint8_t>(script.wakeReply));
            awake = script.wakeReply == Ack;
            identified = false;
            return;
        }
        if (awake && !identified && bytes[0] == Stx) {
            identified = true;
            for (int i = 0; i < script.identLength; ++i)
                out.push_back(static_cast<std::uint8_t>(0xA0 + i));
            return;
        }
        if (awake && identified && bytes[0] == Ack) {
            if (script.lateAckReplies > 0) {
                --script.lateAckReplies;
                late.push_back(Ack);
            } else {
                out.push_back(Ack);
            }
            return;
        }
        return;
    }
    if (!awake || !identified)
        return;
    const int address = (bytes[1] << 8) | bytes[2];
    const bool silent = script.silentAfterBlocks >= 0 && blocks >= script.silentAfterBlocks;
    if (script.hangupAfterBlocks >= 0 && blocks >= script.hangupAfterBlocks) {
        hungUp = true;
        return;
    }
    out.insert(out.end(), late.begin(), late.end());
    late.clear();
    if (count == 4 && bytes[0] == ReadCommand && bytes[3] == 8) {
        ++readCommands;
        if (silent)
            return;
        if (address == script.shortBlock && script.shortTimes > 0) {
            --script.shortTimes;
            for (int i = 0; i < 11; ++i)
                out.push_back(0x11);
            return;
        }
        ++blocks;
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(0xE0 + i));
        for (int i = 0; i < 8; ++i)
            out.push_back(memory[address + i]);
        if (address == script.extraByteBlock && script.extraTimes > 0) {
            --script.extraTimes;
            out.push_back(0x99);
        }
        return;
    }
    if (count == 12 && bytes[0] == WriteCommand && bytes[3] == 8) {
        ++writePackets;
        if (silent)
            return;
        if (address == script.nakBlock && script.nakTimes > 0) {
            --script.nakTimes;
            out.push_back(0x15);
            return;
        }
        ++blocks;
        std::memcpy(memory.data() + address, bytes + 4, 8);
        if (address == script.corruptBlock)
            memory[static_cast<std::size_t>(address)] ^= 0xFF;
        out.push_back(Ack);
    }
}

void ScriptedLink::log(const std::string& what) {
    trace.push_back(std::to_string(clock.now - clock.origin) + " " + what);
}

bool ScriptedLink::Open(int port, int) {
    openAttempts.push_back(port);
    if (current != 0)
        return false;
    if (devices.find(port) == devices.end()) {
        error = LinkError{OpenError::NoDevice, "No such file or directory", false};
        return false;
    }
    current = port;
    pending.clear();
    error = LinkError{};
    log("OPEN " + std::to_string(port));
    return true;
}

bool ScriptedLink::OpenDevice(const std::string&, int) {
    error = LinkError{OpenError::NoDevice, "No such file or directory", false};
    return false;
}

void ScriptedLink::Close() {
    if (current != 0)
        log("CLOSE " + std::to_string(current));
    current = 0;
    pending.clear();
}

int ScriptedLink::Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) {
    if (current == 0 || count <= 0 || error.lost)
        return 0;
    ScriptedRadio* radio = devices[current];
    const int chunks = byteByByte ? count : 1;
    const int size = byteByByte ? 1 : count;
    for (int i = 0; i < chunks; ++i) {
        clock.Advance(pause);
        log("PC " + Hex(bytes + i * size, size));
        if (radio) {
            radio->Receive(bytes + i * size, size, pending);
            if (radio->hungUp) {
                log("HANGUP");
                error.lost = true;
                return i * size;
            }
        }
        if (onWrite)
            onWrite();
    }
    return count;
}

int ScriptedLink::Read(std::uint8_t* buf, int count, int timeout) {
    log("WAIT " + std::to_string(count) + " " + std::to_string(timeout));
    int got = 0;
    while (got < count && !pending.empty()) {
        buf[got++] = pending.front();
        pending.pop_front();
    }
    if (got > 0)
        log("RX " + Hex(buf, got));
    if (got < count && !error.lost)
        clock.Advance(timeout);
    return got;
}

int ScriptedLink::ReadByte(int timeout) {
    std::uint8_t b = 0;
    return Read(&b, 1, timeout) == 1 ? b : -1;
}

} // namespace orvik::test
