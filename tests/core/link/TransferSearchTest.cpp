// The worker's port search, the saving of a found port and cancellation at every stage, in
// virtual time.

#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/TransferJob.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace orvik::test {
namespace {

struct SearchBench {
    explicit SearchBench(const std::string& setup) : settings(setup), link(clock) {
        clock.trace = &link.trace;
    }
    int Run(bool isRead = true) {
        job.Reset(isRead, image.data());
        job.iniPath = settings.path;
        RunTransfer(job, link, clock);
        return job.state.load();
    }
    TempSettings settings;
    VirtualClock clock;
    ScriptedLink link;
    TransferJob job;
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
    int stateAtWakeUp = -1, foundAtWakeUp = 0, progressAtWakeUp = 0;
    b.link.onWrite = [&] {
        if (radio.wakeUps == 1 && stateAtWakeUp < 0) {
            stateAtWakeUp = b.job.state.load();
            foundAtWakeUp = b.job.foundPort.load();
            progressAtWakeUp = b.job.progress.load();
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
    EXPECT_EQ(foundAtWakeUp, 14);
    EXPECT_EQ(progressAtWakeUp, 14);
    EXPECT_EQ(comWhenIdentified, 1);
    EXPECT_EQ(b.settings.Com(), 14);
    EXPECT_EQ(b.job.foundPort.load(), -1);

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
                b.job.cancel.store(1);
            }
        };
        const int state = b.Run();
        EXPECT_FALSE(IsFinalState(state)) << c.name;
        EXPECT_LE(b.clock.now - cancelledAt, 600u) << c.name;
        EXPECT_EQ(b.settings.Com(), 1) << c.name;
    }
}

TEST(TransferWorker, RunsTheJobOnItsOwnThreadAndAlwaysJoins) {
    TempSettings settings("[setup]\ncom=1\nsearchcom=0\n");
    VirtualClock clock;
    ScriptedLink link(clock);
    ScriptedRadio radio;
    for (std::size_t i = 0; i < radio.memory.size(); ++i)
        radio.memory[i] = static_cast<std::uint8_t>(i);
    link.AddDevice(1, &radio);
    std::array<std::uint8_t, 4096> image{};
    TransferJob job;
    job.Reset(true, image.data());
    job.iniPath = settings.path;
    {
        TransferWorker worker;
        worker.start(job, link, clock);
        while (!IsFinalState(job.state.load(std::memory_order_acquire)))
            std::this_thread::yield();
        EXPECT_EQ(job.state.load(std::memory_order_acquire), ReadDone);
        // The working copy is complete once ReadDone is seen.
        for (int i = 0; i < 0x3E0; ++i)
            ASSERT_EQ(image[i], static_cast<std::uint8_t>(i));
        worker.join();
        EXPECT_FALSE(worker.running());
    }
    // A second job on the same worker object, cancelled at once.
    TransferWorker worker;
    job.Reset(false, image.data());
    job.cancel.store(1);
    worker.start(job, link, clock);
    worker.cancelAndJoin();
    EXPECT_FALSE(worker.running());
    EXPECT_FALSE(IsFinalState(job.state.load()));
}

} // namespace
} // namespace orvik::test
