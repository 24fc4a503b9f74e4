#pragma once
// The time base of the radio link: a 32-bit millisecond tick count, compared as an unsigned
// difference so that time-outs hold across a wrap of the counter, and a pause. The protocol
// takes the clock as a parameter so that tests can run whole exchanges in virtual time.

#include <cstdint>

namespace orvik {

class LinkClock {
public:
    virtual ~LinkClock() = default;
    // Milliseconds of a steady clock, truncated to 32 bits.
    virtual std::uint32_t GetTickCount() = 0;
    // Pauses the calling thread for ms milliseconds (nothing for ms <= 0).
    virtual void Sleep(int ms) = 0;
};

// The real steady clock; Sleep survives signals and never returns early.
class SystemClock final : public LinkClock {
public:
    std::uint32_t GetTickCount() override;
    void Sleep(int ms) override;
    // The process-wide instance.
    static SystemClock& Instance();
};

// Milliseconds elapsed from `start` to `now` of a 32-bit tick counter.
inline std::uint32_t TickDifference(std::uint32_t now, std::uint32_t start) {
    return now - start;
}

} // namespace orvik
