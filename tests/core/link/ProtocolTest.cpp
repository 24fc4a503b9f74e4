// The programming protocol and the transfer worker against scripted radios in virtual time.

#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/Protocol.h"
#include "core/link/TransferJob.h"

#include <gtest/gtest.h>

#include <array>

namespace orvik::test {
namespace {

using namespace orvik::protocol;
using enum TransferState;

std::string Line(std::uint32_t t, const std::string& what) {
    return std::to_string(t) + " " + what;
}

// A job set up the way the transfer dialog does it, on a scripted line.
struct Bench {
    explicit Bench(const std::string& setup = "[setup]\ncom=1\nsearchcom=0\n")
        : settings(setup), link(clock) {
        clock.trace = &link.trace;
        image.fill(0x77);
    }
    TransferState Run(bool isRead) {
        job.Reset(isRead, image.data());
        job.iniPath = settings.path;
        job.stop = stop.get_token();
        RunTransfer(job, link, clock);
        return job.state.load();
    }
    TempSettings settings;
    VirtualClock clock;
    ScriptedLink link;
    TransferJob job;
    std::stop_source stop; // the job's cancel
    std::array<std::uint8_t, 4096> image{};
};

void FillPattern(std::array<std::uint8_t, 4096>& memory) {
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<std::uint8_t>(i * 7 + 3);
}

// The opening rows of the line table, shared by a read and a write.
std::vector<std::string> ExpectedHandshake(std::uint32_t& t) {
    std::vector<std::string> e;
    e.push_back(Line(0, "OPEN 1"));
    e.push_back(Line(0, "SLEEP 100"));
    t = 100;
    e.push_back(Line(t, "WAIT 1 0")); // stale input drained
    for (std::uint8_t b : WakeUpString) {
        t += 16;
        e.push_back(Line(t, "PC " + Hex(&b, 1)));
    }
    e.push_back(Line(t, "WAIT 1 50"));
    e.push_back(Line(t, "RX 06"));
    t += 1;
    e.push_back(Line(t, "PC 02"));
    e.push_back(Line(t, "WAIT 8 500"));
    e.push_back(Line(t, "RX A0 A1 A2 A3 A4 A5 A6 A7"));
    t += 1;
    e.push_back(Line(t, "PC 06"));
    e.push_back(Line(t, "WAIT 1 50"));
    e.push_back(Line(t, "RX 06"));
    e.push_back(Line(t, "WAIT 1 0")); // whatever else came after the identification
    return e;
}

TEST(Protocol, ReadFollowsTheLineTableByteForByteAndInTime) {
    Bench b;
    ScriptedRadio radio;
    FillPattern(radio.memory);
    b.link.AddDevice(1, &radio);
    ASSERT_EQ(b.Run(true), ReadDone);

    std::uint32_t t = 0;
    std::vector<std::string> e = ExpectedHandshake(t);
    for (int n = 0; n < 124; ++n) {
        const int a = 8 * n;
        const std::uint8_t cmd[4] = {0x52, std::uint8_t(a >> 8), std::uint8_t(a), 0x08};
        e.push_back(Line(t, "WAIT 1 0")); // stale input drained
        t += 1;
        e.push_back(Line(t, "PC " + Hex(cmd, 4)));
        e.push_back(Line(t, "SLEEP 50"));
        t += 50;
        e.push_back(Line(t, "WAIT 12 500"));
        e.push_back(Line(t, "RX E0 E1 E2 E3 " + Hex(radio.memory.data() + a, 8)));
        e.push_back(Line(t, "WAIT 1 0")); // nothing behind the answer
        t += 1;
        e.push_back(Line(t, "PC 06"));
        e.push_back(Line(t, "WAIT 1 50"));
        e.push_back(Line(t, "RX 06"));
    }
    EXPECT_EQ(b.link.trace, e);
    EXPECT_EQ(b.link.trace[b.link.trace.size() - 8], Line(t - 51, "PC 52 03 D8 08"));

    // 0x000..0x3DF from the radio, the rest as it was.
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(b.image[i], i < 0x3E0 ? radio.memory[i] : 0x77) << "offset " << i;
    EXPECT_EQ(b.job.progress.load(), 100);
}

TEST(Protocol, WriteFollowsTheLineTableAndPausesASecondAtTheEnd) {
    Bench b;
    ScriptedRadio radio;
    FillPattern(b.image);
    b.link.AddDevice(1, &radio);
    ASSERT_EQ(b.Run(false), WriteDone);

    std::uint32_t t = 0;
    std::vector<std::string> e = ExpectedHandshake(t);
    for (int n = 0; n < 124; ++n) {
        const int a = 8 * n;
        std::uint8_t packet[12] = {0x57, std::uint8_t(a >> 8), std::uint8_t(a), 0x08};
        std::copy_n(b.image.data() + a, 8, packet + 4);
        e.push_back(Line(t, "WAIT 1 0")); // stale input drained
        t += 1;
        e.push_back(Line(t, "PC " + Hex(packet, 12)));
        e.push_back(Line(t, "SLEEP 50"));
        t += 50;
        e.push_back(Line(t, "WAIT 1 500"));
        e.push_back(Line(t, "RX 06"));
    }
    e.push_back(Line(t, "SLEEP 1000"));
    EXPECT_EQ(b.link.trace, e);
    EXPECT_EQ(b.clock.now, t + 1000);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(radio.memory[i], i < 0x3E0 ? b.image[i] : 0) << "offset " << i;
}

TEST(Protocol, PercentagesAfterEachBlock) {
    VirtualClock clock;
    ScriptedLink link(clock);
    ScriptedRadio radio;
    link.AddDevice(1, &radio);
    ASSERT_TRUE(link.Open(1, 9600));
    ASSERT_EQ(WakeUp(link), WakeResult::Accepted);
    ASSERT_EQ(Identify(link), IdentResult::Identified);
    std::vector<int> seen;
    std::array<std::uint8_t, 4096> image{};
    ASSERT_EQ(ReadBlocks(link, clock, image.data(),
                         [&](int done) { seen.push_back(BlockPercent(done)); }, {}),
              BlockResult::Done);
    ASSERT_EQ(seen.size(), 124u);
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(seen[61], 50);
    EXPECT_EQ(seen[122], 99);
    EXPECT_EQ(seen[123], 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

struct FailureCase {
    const char* name;
    RadioScript script;
    bool isRead;
    TransferState expected;
    int wakeUps;       // wake-up strings the radio saw
    int blockCommands; // read commands or write packets the radio saw
};

class ProtocolFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ProtocolFailures, EndInTheirState) {
    const FailureCase& c = GetParam();
    Bench b;
    ScriptedRadio radio(c.script);
    b.link.AddDevice(1, &radio);
    EXPECT_EQ(b.Run(c.isRead), c.expected);
    EXPECT_EQ(radio.wakeUps, c.wakeUps);
    EXPECT_EQ(c.isRead ? radio.readCommands : radio.writePackets, c.blockCommands);
    EXPECT_EQ(b.job.state.load(), c.expected);
}

RadioScript Script(void (*edit)(RadioScript&)) {
    RadioScript s;
    edit(s);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProtocolFailures,
    ::testing::Values(
        FailureCase{"NoWakeUpAnswer", Script([](RadioScript& s) { s.answersWakeUp = false; }), true,
                    PortError, 10, 0},
        FailureCase{"WakeUpAnsweredWithNak", Script([](RadioScript& s) { s.wakeReply = 0x15; }),
                    true, PortError, 10, 0},
        FailureCase{"StaleByteBeforeEveryAck", Script([](RadioScript& s) { s.noiseOnWake = 1; }),
                    true, PortError, 10, 0},
        FailureCase{"NoIdentification", Script([](RadioScript& s) { s.identLength = 0; }), true,
                    PortError, 1, 0},
        FailureCase{"IdentificationOfOneByte", Script([](RadioScript& s) { s.identLength = 1; }),
                    true, TypeError, 1, 0},
        FailureCase{"IdentificationOfSevenBytes", Script([](RadioScript& s) { s.identLength = 7; }),
                    false, TypeError, 1, 0},
        FailureCase{"ReadBlockShortThreeTimes", Script([](RadioScript& s) {
                        s.shortBlock = 0x10;
                        s.shortTimes = 3;
                    }),
                    true, ReadFailed, 1, 5},
        FailureCase{"ReadBlockShortTwiceThenGood", Script([](RadioScript& s) {
                        s.shortBlock = 0x3D8;
                        s.shortTimes = 2;
                    }),
                    true, ReadDone, 1, 126},
        FailureCase{"WriteBlockRefusedThreeTimes", Script([](RadioScript& s) {
                        s.nakBlock = 0x08;
                        s.nakTimes = 3;
                    }),
                    false, WriteFailed, 1, 4},
        FailureCase{"WriteBlockRefusedTwiceThenAcknowledged", Script([](RadioScript& s) {
                        s.nakBlock = 0;
                        s.nakTimes = 2;
                    }),
                    false, WriteDone, 1, 126},
        FailureCase{"RadioFallsSilentDuringRead",
                    Script([](RadioScript& s) { s.silentAfterBlocks = 3; }), true, ReadFailed, 1,
                    6},
        FailureCase{"RadioFallsSilentDuringWrite",
                    Script([](RadioScript& s) { s.silentAfterBlocks = 100; }), false, WriteFailed,
                    1, 103}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Protocol, ShortAnswerIsNotKeptAndTheCommandIsResentAfterItsWaits) {
    Bench b;
    RadioScript s;
    s.shortBlock = 0;
    s.shortTimes = 1;
    ScriptedRadio radio(s);
    FillPattern(radio.memory);
    b.link.AddDevice(1, &radio);
    ASSERT_EQ(b.Run(true), ReadDone);
    // The first answer (11 bytes) is dropped; block 0 holds the memory, not the short bytes.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(b.image[i], radio.memory[i]);
    const auto& tr = b.link.trace;
    auto first = std::find(tr.begin(), tr.end(), std::string("231 SLEEP 50"));
    ASSERT_NE(first, tr.end());
    // 1 ms pause, command, 50 ms pause, a 500 ms wait that times out, then the same command.
    EXPECT_EQ(*(first - 1), "231 PC 52 00 00 08");
    EXPECT_EQ(*(first + 1), "281 WAIT 12 500");
    EXPECT_EQ(*(first + 3), "781 WAIT 1 0");
    EXPECT_EQ(*(first + 4), "782 PC 52 00 00 08");
}

TEST(Protocol, WakeUpOnAClosedLinkSendsNothing) {
    Bench b("[setup]\ncom=0\nsearchcom=0\n"); // port 0 never opens
    ScriptedRadio radio;
    b.link.AddDevice(1, &radio);
    EXPECT_EQ(b.Run(true), PortError);
    EXPECT_EQ(radio.wakeUps, 0);
    for (const std::string& line : b.link.trace)
        EXPECT_EQ(line.find(" PC "), std::string::npos) << line;
}

TEST(Protocol, CancelDuringBlockTenLetsItFinishAndSendsNoBlockEleven) {
    for (bool isRead : {true, false}) {
        Bench b;
        ScriptedRadio radio;
        b.link.AddDevice(1, &radio);
        b.link.onWrite = [&] {
            if (radio.readCommands + radio.writePackets == 10)
                b.stop.request_stop();
        };
        b.Run(isRead);
        EXPECT_EQ(b.job.state.load(), isRead ? ReadProgress : WriteProgress);
        EXPECT_EQ(b.job.progress.load(), 10 * 100 / 124);
        EXPECT_EQ(radio.readCommands + radio.writePackets, 10);
        EXPECT_EQ(radio.blocks, 10);
        // Nothing at all is sent after block 10's own exchange.
        const std::string& last = b.link.trace.back();
        EXPECT_EQ(last.substr(last.find(' ')), " RX 06") << last;
    }
}

TEST(Protocol, CancelBetweenRetriesStopsBeforeResending) {
    Bench b;
    RadioScript s;
    s.silentAfterBlocks = 2;
    ScriptedRadio radio(s);
    b.link.AddDevice(1, &radio);
    b.link.onWrite = [&] {
        if (radio.readCommands == 3)
            b.stop.request_stop();
    };
    b.Run(true);
    EXPECT_EQ(radio.readCommands, 3);
    EXPECT_EQ(b.job.state.load(), ReadProgress);
}

// Stray bytes on the line (a longer identification, a late reply, an answer with a byte too
// many) must never shift the image: the read ends with the radio's bytes or fails.
struct StrayCase {
    const char* name;
    RadioScript script;
    TransferState expected;
};

class StrayBytes : public ::testing::TestWithParam<StrayCase> {};

TEST_P(StrayBytes, EndInTheRadioImageOrInReadFailedNeverShifted) {
    const StrayCase& c = GetParam();
    Bench b;
    ScriptedRadio radio(c.script);
    FillPattern(radio.memory);
    b.link.AddDevice(1, &radio);
    const TransferState state = b.Run(true);
    EXPECT_EQ(state, c.expected);
    if (state == ReadDone) {
        for (int i = 0; i < 0x3E0; ++i)
            ASSERT_EQ(b.image[i], radio.memory[i]) << "offset " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Line, StrayBytes,
    ::testing::Values(StrayCase{"TwentyIdentificationBytes",
                                Script([](RadioScript& s) { s.identLength = 20; }), ReadDone},
                      StrayCase{"EveryAcknowledgementReplyLandsBeforeTheNextAnswer",
                                Script([](RadioScript& s) { s.lateAckReplies = 1000; }), ReadDone},
                      StrayCase{"OneAnswerWithAByteTooMany", Script([](RadioScript& s) {
                                    s.extraByteBlock = 0x40;
                                    s.extraTimes = 1;
                                }),
                                ReadDone},
                      StrayCase{"AnAnswerWithAByteTooManyThreeTimes", Script([](RadioScript& s) {
                                    s.extraByteBlock = 0x40;
                                    s.extraTimes = 3;
                                }),
                                ReadFailed}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Protocol, AMisalignedAnswerIsDrainedAndItsCommandResent) {
    Bench b;
    RadioScript s;
    s.lateAckReplies = 1; // the reply to the identification's 0x06 comes ahead of block 0
    ScriptedRadio radio(s);
    FillPattern(radio.memory);
    b.link.AddDevice(1, &radio);
    ASSERT_EQ(b.Run(true), ReadDone);
    EXPECT_EQ(radio.readCommands, 125); // block 0 twice
    const auto& tr = b.link.trace;
    auto first = std::find_if(tr.begin(), tr.end(),
                              [](const std::string& l) { return l.ends_with("PC 52 00 00 08"); });
    ASSERT_NE(first, tr.end());
    // 06 and 11 bytes of the answer, then the 12th waiting behind them: dropped, sent again.
    EXPECT_TRUE(first[3].ends_with("RX 06 E0 E1 E2 E3 " + Hex(radio.memory.data(), 7))) << first[3];
    EXPECT_TRUE(first[4].ends_with("WAIT 1 0"));
    EXPECT_TRUE(first[5].ends_with("RX " + Hex(radio.memory.data() + 7, 1))) << first[5];
    EXPECT_TRUE(first[7].ends_with("PC 52 00 00 08")) << first[7];
}

// A line that goes away ends the job at once with its own state, not after the retries.
TEST(Protocol, ALostLineEndsTheJobAtOnce) {
    for (bool isRead : {true, false}) {
        Bench b;
        RadioScript s;
        s.hangupAfterBlocks = 3;
        ScriptedRadio radio(s);
        b.link.AddDevice(1, &radio);
        EXPECT_EQ(b.Run(isRead), ConnectionLost);
        EXPECT_EQ(b.job.blocksDone.load(), 3);
        EXPECT_EQ(radio.readCommands + radio.writePackets, 3);
        // Nothing is sent after the hang-up, and no time-out is waited out.
        const auto& tr = b.link.trace;
        const auto hangup = std::find_if(
            tr.begin(), tr.end(), [](const std::string& l) { return l.ends_with("HANGUP"); });
        ASSERT_NE(hangup, tr.end());
        EXPECT_TRUE(std::none_of(hangup, tr.end(), [](const std::string& l) {
            return l.find(" PC ") != std::string::npos;
        }));
        EXPECT_LE(b.clock.now - std::stoul(*hangup), 50u);
    }
}

} // namespace
} // namespace orvik::test
