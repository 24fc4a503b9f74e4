#pragma once
// The programming protocol of the radio: wake-up handshake, identification, and the 124
// blocks of 8 bytes that carry image bytes 0x000..0x3DF in either direction. Every byte,
// time-out, pause and retry count is fixed by the radio and must not change.

#include "core/link/ByteLink.h"
#include "core/link/LineTrace.h"
#include "core/link/LinkClock.h"

#include <cstdint>
#include <functional>
#include <stop_token>

namespace orvik::protocol {

inline constexpr std::uint8_t Stx = 0x02;
inline constexpr std::uint8_t Ack = 0x06;
inline constexpr std::uint8_t ReadCommand = 0x52;
inline constexpr std::uint8_t WriteCommand = 0x57;
inline constexpr std::uint8_t BlockLength = 0x08;
inline constexpr std::uint8_t WakeUpString[8] = {0x02, 0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};

inline constexpr int BaudRate = 9600;
inline constexpr int BlockCount = 124;
inline constexpr int TransferredBytes = BlockCount * 8; // 0x3E0
inline constexpr int IdentLength = 8;

inline constexpr int SettleMs = 100;
inline constexpr int WakeUpBytePauseMs = 16;
inline constexpr int WakeUpAckWaitMs = 50;
inline constexpr int WakeUpAttempts = 10;
inline constexpr int WritePauseMs = 1;
inline constexpr int IdentWaitMs = 500;
inline constexpr int AckReplyWaitMs = 50;
inline constexpr int CommandPauseMs = 50;
inline constexpr int BlockAnswerWaitMs = 500;
inline constexpr int BlockAttempts = 3;
inline constexpr int FinalWritePauseMs = 1000;

// Stale bytes drained before a wake-up attempt, after the identification and before each
// block are capped so that a device that never stops sending cannot hold the worker forever.
inline constexpr int MaxDrainBytes = 4096;

// Lost: a read or write found the line gone (the cable was pulled); the step ends at once.
enum class WakeResult { Accepted, NoAnswer, Lost, Cancelled };
enum class IdentResult { Identified, NoAnswer, ShortAnswer, Lost };
enum class BlockResult { Done, Failed, Lost, Cancelled };

// Percentage published after `blocksDone` blocks: blocksDone * 100 / 124, rounded down.
constexpr int BlockPercent(int blocksDone) {
    return blocksDone * 100 / BlockCount;
}

// Called after each block that succeeded, with the number of blocks done (1..124).
using BlockObserver = std::function<void(int blocksDone)>;

// Discards input that is already waiting, without waiting for more (at most MaxDrainBytes).
void Drain(ByteLink& link);

// One wake-up attempt: drain stale input, send the wake-up string one byte at a time (16 ms
// before each), wait 50 ms for 0x06. Accepted, NoAnswer or Lost; NoAnswer on a closed link.
// Alone it tells whether a radio is on the line (about 180 ms); the radio then waits for the
// identification request and forgets the handshake after a pause.
WakeResult WakeUpOnce(ByteLink& link, LineTrace* trace = nullptr);

// Up to 10 attempts: drain stale input, send the wake-up string one byte at a time (16 ms
// before each), wait 50 ms for 0x06. A closed link fails at once. `stop` is looked at before
// every attempt. Each step notes its milestones in `trace` when it is given.
WakeResult WakeUp(ByteLink& link, const std::stop_token& stop = {}, LineTrace* trace = nullptr);

// Sends 0x02, waits 500 ms for 8 bytes: none is NoAnswer, 1 to 7 ShortAnswer; on 8 it sends
// 0x06, discards the one byte that may follow within 50 ms, then drains whatever else waits
// (a radio with a longer identification). The content is not examined; when `ident` is given,
// the 8 bytes are copied there on Identified.
IdentResult Identify(ByteLink& link, LineTrace* trace = nullptr, std::uint8_t* ident = nullptr);

// Reads blocks 0..123 into image[0x000..0x3DF]. Before each command waiting input is drained;
// an answer of fewer than 12 bytes, or one with a further byte already waiting behind its 12
// (a stray byte ahead of it shifted the answer), is a failed attempt. Each command is sent up
// to 3 times in all; a block still without a clean answer fails the read, so a shifted block
// is never stored. After each block the observer runs, then `stop` is looked at; it is also
// looked at before a block is resent.
BlockResult ReadBlocks(ByteLink& link, LinkClock& clock, std::uint8_t* image,
                       const BlockObserver& observer, const std::stop_token& stop,
                       LineTrace* trace = nullptr);

// Writes image[0x000..0x3DF] in blocks 0..123, each packet (after draining waiting input) up
// to 3 attempts until the radio answers 0x06; after the last block it pauses 1000 ms. Observer and
// stop as ReadBlocks.
BlockResult WriteBlocks(ByteLink& link, LinkClock& clock, const std::uint8_t* image,
                        const BlockObserver& observer, const std::stop_token& stop,
                        LineTrace* trace = nullptr);

} // namespace orvik::protocol
