#include "core/link/Protocol.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace orvik::protocol {

namespace {

bool cancelled(const std::stop_token& stop) {
    return stop.stop_requested();
}

bool lost(const ByteLink& link) {
    return link.lastError().lost;
}

void note(LineTrace* trace, std::string_view text) {
    if (trace != nullptr)
        trace->Note(text);
}

// "block 5 at 0x028" and the like; built only when tracing.
void noteBlock(LineTrace* trace, int n, const char* what) {
    if (trace == nullptr)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "block %d at 0x%03x %s", n, 8 * n, what);
    trace->Note(text);
}

} // namespace

void Drain(ByteLink& link) {
    for (int drained = 0; drained < MaxDrainBytes && link.ReadByte(0) != -1; ++drained) {
    }
}

WakeResult WakeUpOnce(ByteLink& link, LineTrace* trace) {
    if (!link.IsOpen())
        return WakeResult::NoAnswer;
    Drain(link);
    if (lost(link))
        return WakeResult::Lost;
    link.Write(WakeUpString, sizeof WakeUpString, WakeUpBytePauseMs, true);
    if (link.ReadByte(WakeUpAckWaitMs) == Ack) {
        note(trace, "wake-up accepted");
        return WakeResult::Accepted;
    }
    return lost(link) ? WakeResult::Lost : WakeResult::NoAnswer;
}

WakeResult WakeUp(ByteLink& link, const std::stop_token& stop, LineTrace* trace) {
    if (!link.IsOpen()) {
        note(trace, "wake-up: the port is not open");
        return WakeResult::NoAnswer;
    }
    for (int attempt = 0; attempt < WakeUpAttempts; ++attempt) {
        if (cancelled(stop))
            return WakeResult::Cancelled;
        if (trace != nullptr)
            trace->Note("wake-up attempt " + std::to_string(attempt + 1));
        const WakeResult result = WakeUpOnce(link, trace);
        if (result != WakeResult::NoAnswer)
            return result;
    }
    note(trace, "wake-up: no acknowledge after 10 attempts");
    return WakeResult::NoAnswer;
}

IdentResult Identify(ByteLink& link, LineTrace* trace, std::uint8_t* identOut) {
    note(trace, "identification");
    link.WriteByte(Stx, WritePauseMs);
    std::uint8_t ident[IdentLength];
    const int got = link.Read(ident, IdentLength, IdentWaitMs);
    if (got < IdentLength && lost(link))
        return IdentResult::Lost;
    if (got <= 0) {
        note(trace, "identification: no answer");
        return IdentResult::NoAnswer;
    }
    if (got < IdentLength) {
        note(trace, "identification: too short");
        return IdentResult::ShortAnswer;
    }
    note(trace, "identified");
    if (identOut != nullptr)
        std::memcpy(identOut, ident, IdentLength);
    link.WriteByte(Ack, WritePauseMs);
    link.ReadByte(AckReplyWaitMs);
    // Bytes beyond the 8 (a longer identification) would otherwise shift the first block.
    Drain(link);
    return lost(link) ? IdentResult::Lost : IdentResult::Identified;
}

BlockResult ReadBlocks(ByteLink& link, LinkClock& clock, std::uint8_t* image,
                       const BlockObserver& observer, const std::stop_token& stop,
                       LineTrace* trace) {
    for (int n = 0; n < BlockCount; ++n) {
        const int address = 8 * n;
        const std::uint8_t command[4] = {ReadCommand, static_cast<std::uint8_t>(address >> 8),
                                         static_cast<std::uint8_t>(address & 0xFF), BlockLength};
        std::uint8_t answer[12];
        bool ok = false;
        for (int attempt = 0; attempt < BlockAttempts && !ok; ++attempt) {
            if (attempt > 0 && cancelled(stop))
                return BlockResult::Cancelled;
            if (attempt > 0)
                noteBlock(trace, n, "retry");
            Drain(link);
            link.Write(command, sizeof command, WritePauseMs, false);
            clock.Sleep(CommandPauseMs);
            const bool complete =
                link.Read(answer, sizeof answer, BlockAnswerWaitMs) == sizeof answer;
            // A byte already waiting behind the 12 means a stray byte came first: the answer
            // is shifted and must not be stored.
            ok = complete && link.ReadByte(0) == -1;
            if (lost(link))
                return BlockResult::Lost;
        }
        if (!ok) {
            noteBlock(trace, n, "failed after 3 attempts");
            return BlockResult::Failed;
        }
        std::memcpy(image + address, answer + 4, 8);
        link.WriteByte(Ack, WritePauseMs);
        link.ReadByte(AckReplyWaitMs);
        noteBlock(trace, n, "done");
        if (observer)
            observer(n + 1);
        if (lost(link))
            return BlockResult::Lost;
        if (cancelled(stop))
            return BlockResult::Cancelled;
    }
    return BlockResult::Done;
}

BlockResult WriteBlocks(ByteLink& link, LinkClock& clock, const std::uint8_t* image,
                        const BlockObserver& observer, const std::stop_token& stop,
                        LineTrace* trace) {
    for (int n = 0; n < BlockCount; ++n) {
        const int address = 8 * n;
        std::uint8_t packet[12] = {WriteCommand, static_cast<std::uint8_t>(address >> 8),
                                   static_cast<std::uint8_t>(address & 0xFF), BlockLength};
        std::memcpy(packet + 4, image + address, 8);
        bool ok = false;
        for (int attempt = 0; attempt < BlockAttempts && !ok; ++attempt) {
            if (attempt > 0 && cancelled(stop))
                return BlockResult::Cancelled;
            if (attempt > 0)
                noteBlock(trace, n, "retry");
            Drain(link);
            link.Write(packet, sizeof packet, WritePauseMs, false);
            clock.Sleep(CommandPauseMs);
            ok = link.ReadByte(BlockAnswerWaitMs) == Ack;
            if (!ok && lost(link))
                return BlockResult::Lost;
        }
        if (!ok) {
            noteBlock(trace, n, "failed after 3 attempts");
            return BlockResult::Failed;
        }
        noteBlock(trace, n, "done");
        if (observer)
            observer(n + 1);
        if (cancelled(stop))
            return BlockResult::Cancelled;
    }
    note(trace, "final pause 1000 ms");
    // The radio stores the last block; the pause is split so that a cancel is seen in time.
    clock.Sleep(FinalWritePauseMs / 2);
    if (cancelled(stop))
        return BlockResult::Cancelled;
    clock.Sleep(FinalWritePauseMs - FinalWritePauseMs / 2);
    return BlockResult::Done;
}

} // namespace orvik::protocol
