#pragma once
// The radio side of the programming protocol, for orvik-radio-sim: bytes from the PC go in,
// the radio's answers come out. It holds the 4096-byte memory, answers the wake-up string with
// 0x06, the identification request with 8 bytes, read blocks with 12 bytes (an echo of the
// command, then the memory), write blocks and the PC's acknowledges with 0x06, and can be told
// to misbehave in the ways a bad radio or cable does.

#include "core/model/RadioImage.h"

#include <cstdint>
#include <vector>

namespace orvik::sim {

struct SimFaults {
    bool silent = false;        // never answer anything
    int wakeReply = 0x06;       // the answer to the wake-up string
    int identLength = 8;        // bytes sent for the identification
    int shortBlock = -1;        // read block at this address answered with 11 bytes
    int nakBlock = -1;          // block at this address answered with 0x15 (NAK)
    int corruptBlock = -1;      // written block at this address stored wrongly, yet acknowledged
    int hangupAfterBlocks = -1; // hang up instead of answering block N+1
};

class RadioSim {
public:
    RadioSim(const SimFaults& faults, RadioImage& memory);

    // One byte from the PC at time nowMs; the radio's answer (often none) is appended to
    // `answer`.
    void Receive(std::uint8_t byte, std::int64_t nowMs, std::vector<std::uint8_t>& answer);

    // True once after the block at 0x3D8 was written: the memory holds a whole write.
    bool TakeWriteCompleted();
    // True when the line must be hung up now.
    bool HangupRequested() const { return hangup; }
    int BlocksAnswered() const { return blocksAnswered; }

private:
    enum class Mode { Idle, Awake, Programming };

    void command(std::vector<std::uint8_t>& answer);
    bool startBlock();
    void answerWith(std::vector<std::uint8_t>& answer, std::initializer_list<std::uint8_t> bytes);

    SimFaults faults;
    RadioImage& memory;
    Mode mode = Mode::Idle;
    std::vector<std::uint8_t> window;  // the last bytes, to spot the wake-up string anywhere
    std::vector<std::uint8_t> pending; // an incomplete block command
    std::int64_t lastByteMs = 0;
    int blocksAnswered = 0;
    bool writeCompleted = false;
    bool hangup = false;
};

} // namespace orvik::sim
