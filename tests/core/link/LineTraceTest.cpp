// The line trace of a transfer: what it records through a whole job, and its size cap.

#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/LineTrace.h"
#include "core/link/TransferSession.h"

#include <gtest/gtest.h>

#include <array>
#include <regex>
#include <sstream>

namespace orvik::test {
namespace {

using enum TransferState;

class Quiet final : public TransferObserver {
public:
    void finished(const TransferOutcome&) override {}
};

// The hex bytes of every line whose text after the time stamp starts with `tag`.
std::string BytesAfter(const std::string& text, const std::string& tag) {
    std::istringstream in(text);
    std::string line, bytes;
    for (; std::getline(in, line);) {
        const std::size_t at = line.find(tag);
        if (at == std::string::npos)
            continue;
        for (char c : line.substr(at + tag.size()))
            if (c != ' ')
                bytes += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return bytes;
}

std::string PcBytesOfScriptedLine(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        if (l.find(" PC ") != std::string::npos)
            all += l.substr(l.find(" PC ") + 4);
    std::erase(all, ' ');
    return all;
}

struct Job {
    TempSettings settings{"[setup]\ncom=1\nsearchcom=0\n"};
    VirtualClock clock;
    ScriptedLink link{clock};
    std::array<std::uint8_t, 4096> image{};
    TransferSession session;

    TransferState Run(ScriptedRadio& radio, bool isRead, bool trace = true) {
        clock.trace = &link.trace;
        link.AddDevice(1, &radio);
        TransferRequest request;
        request.isRead = isRead;
        request.iniPath = settings.path;
        request.trace = trace;
        Quiet quiet;
        session.start(request, image.data(), link, quiet, clock);
        return session.wait().state;
    }
};

TEST(LineTrace, RecordsEveryByteSentAndTheMilestonesOfAReadWithARetry) {
    RadioScript script;
    script.shortBlock = 0x010;
    script.shortTimes = 1;
    ScriptedRadio radio(script);
    Job job;
    ASSERT_EQ(job.Run(radio, true), ReadDone);
    const std::string text = job.session.trace().Text();

    EXPECT_EQ(BytesAfter(text, " PC>  "), PcBytesOfScriptedLine(job.link.trace));
    EXPECT_NE(BytesAfter(text, " <RAD "), "");
    // Every line: time in ms with three decimals, a direction or milestone tag, the event.
    std::istringstream in(text);
    const std::regex shape(
        R"( *\d+\.\d{3} (PC>  ([0-9a-f]{2}( |$))+|<RAD ([0-9a-f]{2}( |$))+|---  .+))");
    for (std::string line; std::getline(in, line);)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    // The milestones, in this order.
    std::size_t at = 0;
    for (const char* milestone :
         {"---  COM1 is ", "---  port opened: COM1, 9600 baud", "---  wake-up attempt 1",
          "---  wake-up accepted", "---  identified", "---  block 0 at 0x000 done",
          "---  block 2 at 0x010 retry", "---  block 2 at 0x010 done",
          "---  block 123 at 0x3d8 done", "---  final state ReadDone", "---  port closed"}) {
        const std::size_t found = text.find(milestone, at);
        ASSERT_NE(found, std::string::npos) << milestone << "\n" << text.substr(at, 2000);
        at = found;
    }
    EXPECT_NE(text.find("PC>  52 00 10 08"), std::string::npos);
}

TEST(LineTrace, AFailedOrCancelledJobKeepsItsTraceAndTracingOffRecordsNothing) {
    {
        RadioScript script;
        script.nakBlock = 0x020;
        script.nakTimes = 3;
        ScriptedRadio radio(script);
        Job job;
        ASSERT_EQ(job.Run(radio, false), WriteFailed);
        const std::string text = job.session.trace().Text();
        EXPECT_EQ(BytesAfter(text, " PC>  "), PcBytesOfScriptedLine(job.link.trace));
        EXPECT_NE(text.find("block 4 at 0x020 failed after 3 attempts"), std::string::npos);
        EXPECT_NE(text.find("final state WriteFailed"), std::string::npos);
        EXPECT_TRUE(text.ends_with("---  port closed\n")) << text;
    }
    {
        ScriptedRadio radio;
        Job job;
        ASSERT_EQ(job.Run(radio, true, false), ReadDone);
        EXPECT_TRUE(job.session.trace().empty());
    }
}

TEST(LineTrace, StaysWithinOneMegabyteAndKeepsTheMilestonesAfterAFlood) {
    LineTrace trace;
    trace.Start();
    trace.Note("port opened");
    std::array<std::uint8_t, 16> bytes{};
    for (int i = 0; i < 100000; ++i)
        trace.Received(bytes.data(), static_cast<int>(bytes.size()));
    trace.Note("final state ReadFailed");
    const std::string text = trace.Text();
    EXPECT_LE(text.size(), LineTrace::MaxBytes);
    EXPECT_GT(text.size(), LineTrace::MaxBytes - 20 * 1024);
    EXPECT_NE(text.find("---  final state ReadFailed\n... "), std::string::npos);
    EXPECT_TRUE(text.ends_with("events dropped: the trace is capped at 1024 KB\n"));
    trace.Start(); // a new job starts empty
    EXPECT_TRUE(trace.empty());
}

} // namespace
} // namespace orvik::test
