#include "sim/RadioSim.h"

#include "core/link/Protocol.h"

#include <algorithm>
#include <cstring>

namespace orvik::sim {

using namespace orvik::protocol;

namespace {
constexpr std::uint8_t Nak = 0x15;
// Identification bytes of the simulated radio; none of them is 0x06.
constexpr std::uint8_t IdentBytes[] = {'S', 'I', 'M', '7', '3', '5', 0x01, 0x00};
// A command that stops for longer than this is dropped: the PC sends commands in one write.
constexpr std::int64_t CommandGapMs = 200;
} // namespace

RadioSim::RadioSim(const SimFaults& f, RadioImage& m) : faults(f), memory(m) {}

void RadioSim::answerWith(std::vector<std::uint8_t>& answer,
                          std::initializer_list<std::uint8_t> bytes) {
    if (!faults.silent)
        answer.insert(answer.end(), bytes.begin(), bytes.end());
}

bool RadioSim::TakeWriteCompleted() {
    const bool done = writeCompleted;
    writeCompleted = false;
    return done;
}

// Counts a block about to be answered; false when the line is to be hung up instead.
bool RadioSim::startBlock() {
    if (faults.hangupAfterBlocks >= 0 && blocksAnswered >= faults.hangupAfterBlocks) {
        hangup = true;
        return false;
    }
    ++blocksAnswered;
    return true;
}

void RadioSim::Receive(std::uint8_t byte, std::int64_t nowMs, std::vector<std::uint8_t>& answer) {
    const bool pause = nowMs - lastByteMs > CommandGapMs;
    lastByteMs = nowMs;
    if (pause) {
        pending.clear();
        // The PC asks for the identification right after the wake-up answer. A 0x02 after a
        // pause (a job that stopped between the two) starts a new wake-up string instead.
        if (mode == Mode::Awake)
            mode = Mode::Idle;
    }

    window.push_back(byte);
    if (window.size() > sizeof WakeUpString)
        window.erase(window.begin());
    // Inside a block command the bytes are image data, which may hold the wake-up string.
    if (pending.empty() && window.size() == sizeof WakeUpString &&
        std::equal(window.begin(), window.end(), WakeUpString)) {
        pending.clear();
        window.clear();
        answerWith(answer, {static_cast<std::uint8_t>(faults.wakeReply)});
        mode = faults.wakeReply == Ack ? Mode::Awake : Mode::Idle;
        return;
    }

    switch (mode) {
    case Mode::Idle:
        return;
    case Mode::Awake:
        if (byte == Stx) {
            if (!faults.silent) {
                for (int i = 0; i < faults.identLength; ++i)
                    answer.push_back(IdentBytes[i % sizeof IdentBytes]);
            }
            mode = Mode::Programming;
        }
        return;
    case Mode::Programming:
        if (pending.empty()) {
            if (byte == Ack)
                answerWith(answer, {Ack});
            else if (byte == ReadCommand || byte == WriteCommand)
                pending.push_back(byte);
            return;
        }
        pending.push_back(byte);
        command(answer);
        return;
    }
}

void RadioSim::command(std::vector<std::uint8_t>& answer) {
    const bool read = pending[0] == ReadCommand;
    const std::size_t needed = read ? 4 : 12;
    if (pending.size() < 4)
        return;
    const int address = (pending[1] << 8) | pending[2];
    if (pending[3] != BlockLength || address % 8 != 0 ||
        address + 8 > static_cast<int>(RadioImage::Size)) {
        pending.clear(); // not a command of ours
        return;
    }
    if (pending.size() < needed)
        return;
    std::vector<std::uint8_t> cmd;
    cmd.swap(pending);
    if (!startBlock())
        return;
    if (address == faults.nakBlock) {
        answerWith(answer, {Nak});
        return;
    }
    if (read) {
        if (faults.silent)
            return;
        answer.insert(answer.end(), cmd.begin(), cmd.begin() + 4);
        const int length = address == faults.shortBlock ? 7 : 8;
        answer.insert(answer.end(), memory.data() + address, memory.data() + address + length);
        return;
    }
    std::memcpy(memory.data() + address, cmd.data() + 4, 8);
    if (address == faults.corruptBlock)
        memory[static_cast<std::size_t>(address)] ^= 0xFF; // a bad cell: only a read-back sees it
    answerWith(answer, {Ack});
    if (address == TransferredBytes - 8)
        writeCompleted = true;
}

} // namespace orvik::sim
