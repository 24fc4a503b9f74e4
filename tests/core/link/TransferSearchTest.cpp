// The worker's port search, the saving of a found port and cancellation at every stage, in
// virtual time.

#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/TransferJob.h"
#include "core/link/TransferSession.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace orvik::test {
namespace {

using enum TransferState;

struct SearchBench {
    explicit SearchBench(const std::string& setup) : settings(setup), link(clock) {
        clock.trace = &link.trace;
    }
    TransferState Run(bool isRead = true) {
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

std::vector<int> Range(int first, int last) {
    std::vector<int> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(PortSearch, FindsTheRadioOnPort14AndSavesItOnlyAfterIdentification) {
    SearchBench b("[setup]\ncom=1\nsearchcom=1\n");
    ScriptedRadio radio;
    b.link.AddDevice(1, nullptr); // a device without a radio
    b.link.AddDevice(5, nullptr);
    b.link.AddDevice(14, &radio);
    int comWhenIdentified = 0;
    TransferState stateAtWakeUp = Busy;
    int portAtWakeUp = 0;
    bool seen = false;
    b.link.onWrite = [&] {
        if (radio.wakeUps == 1 && !seen) {
            seen = true;
            stateAtWakeUp = b.job.state.load();
            portAtWakeUp = b.job.searchPort.load();
        }
        if (b.link.trace.back().ends_with("PC 02") && comWhenIdentified == 0)
            comWhenIdentified = b.settings.Com();
    };
    ASSERT_EQ(b.Run(), ReadDone);

    std::vector<int> expected{1};
    for (int n : Range(1, 14))
        expected.push_back(n);
    EXPECT_EQ(b.link.openAttempts, expected); // port 1 first, then 1, 2, ... 14
    EXPECT_EQ(stateAtWakeUp, Searching);
    EXPECT_EQ(portAtWakeUp, 14);
    EXPECT_EQ(comWhenIdentified, 1);
    EXPECT_EQ(b.settings.Com(), 14);
    EXPECT_TRUE(b.job.searched);

    // The next job starts directly on port 14.
    ScriptedLink next(b.clock);
    next.AddDevice(14, &radio);
    b.job.Reset(true, b.image.data());
    RunTransfer(b.job, next, b.clock);
    EXPECT_EQ(b.job.state.load(), ReadDone);
    EXPECT_EQ(next.openAttempts, std::vector<int>{14});
}

TEST(PortSearch, SettlesAHundredMillisecondsOnEveryPortItOpens) {
    SearchBench b("[setup]\ncom=2\n"); // searchcom missing: search on
    ScriptedRadio radio;
    b.link.AddDevice(2, nullptr);
    b.link.AddDevice(3, &radio);
    ASSERT_EQ(b.Run(), ReadDone);
    const auto& tr = b.link.trace;
    for (std::size_t i = 0; i < tr.size(); ++i)
        if (tr[i].find(" OPEN ") != std::string::npos) {
            EXPECT_NE(tr[i + 1].find(" SLEEP 100"), std::string::npos) << tr[i];
        }
    EXPECT_EQ(b.settings.Com(), 3);
}

TEST(PortSearch, FoundPortWhoseIdentificationFailsIsNotSaved) {
    SearchBench b("[setup]\ncom=1\nsearchcom=1\n");
    RadioScript s;
    s.identLength = 5;
    ScriptedRadio radio(s);
    b.link.AddDevice(3, &radio);
    EXPECT_EQ(b.Run(), TypeError);
    EXPECT_EQ(b.settings.Com(), 1);
}

TEST(PortSearch, SearchFlagAndNoDevices) {
    struct Case {
        const char* setup;
        bool searches;
    } cases[] = {
        {"[setup]\ncom=1\nsearchcom=0\n", false},
        {"[setup]\ncom=1\nsearchcom=0abc\n", false},
        {"[setup]\ncom=1\nsearchcom=no\n", true},
        {"[setup]\ncom=1\nsearchcom=1\n", true},
        {"[setup]\ncom=1\n", true},
    };
    for (const Case& c : cases) {
        SearchBench b(c.setup);
        EXPECT_EQ(b.Run(), PortError) << c.setup;
        std::vector<int> expected{1};
        if (c.searches)
            for (int n : Range(1, 255))
                expected.push_back(n);
        EXPECT_EQ(b.link.openAttempts, expected) << c.setup;
        EXPECT_EQ(b.settings.Com(), 1);
    }
}

TEST(PortSearch, CommandLineOverridesTheSettings) {
    SearchBench b("[setup]\ncom=1\nsearchcom=1\n");
    ScriptedRadio radio;
    b.link.AddDevice(7, nullptr);
    b.job.Reset(true, b.image.data());
    b.job.iniPath = b.settings.path;
    b.job.portOverride = 7;
    b.job.searchOverride = 0;
    RunTransfer(b.job, b.link, b.clock);
    EXPECT_EQ(b.job.state.load(), PortError);
    EXPECT_EQ(b.link.openAttempts, std::vector<int>{7});
    EXPECT_TRUE(b.job.firstPortOpened);
}

// Cancel is honoured within one wait wherever the worker is.
TEST(PortSearch, CancelIsHonouredQuicklyDuringWakeUpAndSearch) {
    struct Case {
        const char* name;
        std::uint32_t cancelAt;
    } cases[] = {{"settle", 50}, {"first wake-up", 700}, {"search", 9000}};
    for (const Case& c : cases) {
        SearchBench b("[setup]\ncom=1\nsearchcom=1\n");
        for (int n = 1; n <= 255; ++n)
            b.link.AddDevice(n, nullptr); // every port present, no radio anywhere
        std::uint32_t cancelledAt = 0;
        b.clock.onAdvance = [&] {
            if (cancelledAt == 0 && b.clock.now >= c.cancelAt) {
                cancelledAt = b.clock.now;
                b.stop.request_stop();
            }
        };
        const TransferState state = b.Run();
        EXPECT_FALSE(IsFinalState(state)) << c.name;
        EXPECT_LE(b.clock.now - cancelledAt, 600u) << c.name;
        EXPECT_EQ(b.settings.Com(), 1) << c.name;
    }
}

// Records what a session pushes.
struct Recorder final : TransferObserver {
    void searching(int port) override { ports.push_back(port); }
    void progress(int percent) override { percents.push_back(percent); }
    void finished(const TransferOutcome& o) override {
        ++finishes;
        outcome = o;
    }
    std::vector<int> ports, percents;
    int finishes = 0;
    TransferOutcome outcome;
};

TEST(TransferSession, RunsTheJobOnItsOwnThreadWithItsOwnCopyAndPushesTheOutcome) {
    TempSettings settings("[setup]\ncom=1\nsearchcom=0\n");
    VirtualClock clock;
    ScriptedLink link(clock);
    ScriptedRadio radio;
    for (std::size_t i = 0; i < radio.memory.size(); ++i)
        radio.memory[i] = static_cast<std::uint8_t>(i);
    link.AddDevice(1, &radio);
    std::array<std::uint8_t, 4096> image;
    image.fill(0x77);
    TransferRequest request;
    request.iniPath = settings.path;

    TransferSession session;
    Recorder recorder;
    EXPECT_FALSE(session.running()); // nothing runs yet
    session.start(request, image.data(), link, recorder, clock);
    EXPECT_TRUE(session.running());
    EXPECT_EQ(session.wait().state, ReadDone);
    EXPECT_FALSE(session.running());
    EXPECT_FALSE(link.IsOpen()); // the session closes the port
    EXPECT_EQ(recorder.finishes, 1);
    EXPECT_TRUE(recorder.outcome.succeeded());
    EXPECT_EQ(recorder.outcome.blocksDone, 124);
    // Every percentage once, in order, up to 100.
    ASSERT_EQ(recorder.percents.size(), 101u);
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(recorder.percents[static_cast<std::size_t>(p)], p);
    // The radio's bytes over the given image; the caller's image itself is untouched.
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(session.image()[i], i < 0x3E0 ? static_cast<std::uint8_t>(i) : 0x77) << i;
    EXPECT_EQ(image[0], 0x77);
    EXPECT_EQ(session.wait().state, ReadDone); // nothing more to join
    EXPECT_EQ(recorder.finishes, 1);

    // A second job on the same session: a write, cancelled at once; the worker is joined and
    // has told its end before cancel() returns.
    request.isRead = false;
    session.start(request, image.data(), link, recorder, clock);
    const TransferOutcome& cancelled = session.cancel();
    EXPECT_FALSE(session.running());
    EXPECT_EQ(recorder.finishes, 2);
    EXPECT_TRUE(cancelled.cancelled || cancelled.succeeded());
    EXPECT_EQ(recorder.outcome.cancelled, cancelled.cancelled);
    EXPECT_FALSE(link.IsOpen());
}

// The search reports each port it tries, and the outcome says the search ran.
TEST(TransferSession, PushesEverySearchedPort) {
    TempSettings settings("[setup]\ncom=1\nsearchcom=1\n");
    VirtualClock clock;
    ScriptedLink link(clock);
    link.AddDevice(1, nullptr);
    link.AddDevice(3, nullptr);
    std::array<std::uint8_t, 4096> image{};
    TransferRequest request;
    request.iniPath = settings.path;
    TransferSession session;
    Recorder recorder;
    session.start(request, image.data(), link, recorder, clock);
    EXPECT_EQ(session.wait().state, PortError);
    EXPECT_TRUE(recorder.outcome.searched);
    EXPECT_FALSE(recorder.outcome.wokeUp);
    EXPECT_EQ(recorder.outcome.firstDevicePath, "/dev/ttyUSB0");
    EXPECT_TRUE(recorder.outcome.firstPortOpened);
    EXPECT_EQ(recorder.ports, (std::vector<int>{1, 3}));
}

} // namespace
} // namespace orvik::test
