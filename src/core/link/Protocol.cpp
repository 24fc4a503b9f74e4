#include "core/link/Protocol.h"

#include <cstring>

namespace orvik::protocol {

namespace {

bool cancelled(const std::atomic<int>* cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_acquire) != 0;
}

bool lost(const ByteLink& link) {
    return link.lastError().lost;
}

} // namespace

void Drain(ByteLink& link) {
    for (int drained = 0; drained < MaxDrainBytes && link.ReadByte(0) != -1; ++drained) {
    }
}

WakeResult WakeUp(ByteLink& link, const std::atomic<int>* cancel) {
    if (!link.IsOpen())
        return WakeResult::NoAnswer;
    for (int attempt = 0; attempt < WakeUpAttempts; ++attempt) {
        if (cancelled(cancel))
            return WakeResult::Cancelled;
        Drain(link);
        if (lost(link))
            return WakeResult::Lost;
        link.Write(WakeUpString, sizeof WakeUpString, WakeUpBytePauseMs, true);
        if (link.ReadByte(WakeUpAckWaitMs) == Ack)
            return WakeResult::Accepted;
        if (lost(link))
            return WakeResult::Lost;
    }
    return WakeResult::NoAnswer;
}

IdentResult Identify(ByteLink& link) {
    link.WriteByte(Stx, WritePauseMs);
    std::uint8_t ident[IdentLength];
    const int got = link.Read(ident, IdentLength, IdentWaitMs);
    if (got < IdentLength && lost(link))
        return IdentResult::Lost;
    if (got <= 0)
        return IdentResult::NoAnswer;
    if (got < IdentLength)
        return IdentResult::ShortAnswer;
    link.WriteByte(Ack, WritePauseMs);
    link.ReadByte(AckReplyWaitMs);
    // Bytes beyond the 8 (a longer identification) would otherwise shift the first block.
    Drain(link);
    return lost(link) ? IdentResult::Lost : IdentResult::Identified;
}

BlockResult ReadBlocks(ByteLink& link, LinkClock& clock, std::uint8_t* image,
                       const BlockObserver& observer, const std::atomic<int>* cancel) {
    for (int n = 0; n < BlockCount; ++n) {
        const int address = 8 * n;
        const std::uint8_t command[4] = {ReadCommand, static_cast<std::uint8_t>(address >> 8),
                                         static_cast<std::uint8_t>(address & 0xFF), BlockLength};
        std::uint8_t answer[12];
        bool ok = false;
        for (int attempt = 0; attempt < BlockAttempts && !ok; ++attempt) {
            if (attempt > 0 && cancelled(cancel))
                return BlockResult::Cancelled;
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
        if (!ok)
            return BlockResult::Failed;
        std::memcpy(image + address, answer + 4, 8);
        link.WriteByte(Ack, WritePauseMs);
        link.ReadByte(AckReplyWaitMs);
        if (observer)
            observer(n + 1);
        if (lost(link))
            return BlockResult::Lost;
        if (cancelled(cancel))
            return BlockResult::Cancelled;
    }
    return BlockResult::Done;
}

BlockResult WriteBlocks(ByteLink& link, LinkClock& clock, const std::uint8_t* image,
                        const BlockObserver& observer, const std::atomic<int>* cancel) {
    for (int n = 0; n < BlockCount; ++n) {
        const int address = 8 * n;
        std::uint8_t packet[12] = {WriteCommand, static_cast<std::uint8_t>(address >> 8),
                                   static_cast<std::uint8_t>(address & 0xFF), BlockLength};
        std::memcpy(packet + 4, image + address, 8);
        bool ok = false;
        for (int attempt = 0; attempt < BlockAttempts && !ok; ++attempt) {
            if (attempt > 0 && cancelled(cancel))
                return BlockResult::Cancelled;
            Drain(link);
            link.Write(packet, sizeof packet, WritePauseMs, false);
            clock.Sleep(CommandPauseMs);
            ok = link.ReadByte(BlockAnswerWaitMs) == Ack;
            if (!ok && lost(link))
                return BlockResult::Lost;
        }
        if (!ok)
            return BlockResult::Failed;
        if (observer)
            observer(n + 1);
        if (cancelled(cancel))
            return BlockResult::Cancelled;
    }
    // The radio stores the last block; the pause is split so that a cancel is seen in time.
    clock.Sleep(FinalWritePauseMs / 2);
    if (cancelled(cancel))
        return BlockResult::Cancelled;
    clock.Sleep(FinalWritePauseMs - FinalWritePauseMs / 2);
    return BlockResult::Done;
}

} // namespace orvik::protocol
