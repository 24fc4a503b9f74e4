// FleetJob against orvik-radio-sim --count N over real pseudo-terminals, at the real protocol
// timing: a write takes about 7.6 s, so the radios of a case run in parallel.

#include "core/link/FleetJob.h"
#include "core/model/Backup.h"
#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "core/link/LinkTestSupport.h"
#include "e2e/Simulators.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvik;
using orvik::test::Simulators;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

RadioImage Pattern(int seed) {
    RadioImage image = MakeDefaultImage();
    for (std::size_t i = 0; i < 0x3E0; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Records every call and checks that no two overlap.
class Recorder final : public FleetObserver {
public:
    void phase(int target, FleetPhase) override { enter(target); }
    void progress(int target, int percent) override {
        enter(target);
        if (target >= 0 && target < 8)
            lastPercent[target] = percent;
    }
    void finished(const FleetOutcome& outcome) override {
        enter(outcome.target);
        ++finishedCalls;
    }
    void ended() override {
        enter(0);
        ++endedCalls;
    }
    std::atomic<bool> overlapped{false};
    std::atomic<bool> badTarget{false};
    std::atomic<int> finishedCalls{0};
    std::atomic<int> endedCalls{0};
    std::atomic<bool> afterEnd{false}; // a call came after ended()
    std::atomic<int> lastPercent[8] = {};

private:
    void enter(int target) {
        if (endedCalls > 0)
            afterEnd = true;
        if (target < 0 || target >= 8)
            badTarget = true;
        if (inside.exchange(true))
            overlapped = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        inside = false;
    }
    std::atomic<bool> inside{false};
};

class FleetJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = std::make_unique<test::TempSettings>("[setup]\ncom=1\nsearchcom=1\n");
    }
    // Binds COM1.. to the simulators' terminals and names them as targets by port number.
    std::vector<FleetTarget> Bind(const Simulators& sims) {
        std::vector<FleetTarget> targets;
        for (std::size_t i = 0; i < sims.paths.size(); ++i) {
            const int port = static_cast<int>(i) + 1;
            EXPECT_TRUE(ini::WriteString(settings->path, "ports", "COM" + std::to_string(port),
                                         sims.paths[i]));
            targets.push_back({port, {}});
        }
        return targets;
    }
    std::string Dir() const { return settings->dir; }

    std::unique_ptr<test::TempSettings> settings;
};

} // namespace

// Four radios at once, the third refusing block 0x100: the three others hold the image and read
// it back, the third fails alone at the write step, and the four together take about one
// verified write's time.
TEST_F(FleetJobTest, FourRadiosInParallelAndOneFaultyRadioFailsAlone) {
    Simulators sims(4,
                    {"--save", Dir() + "/radio.735", "--fault-radio", "3", "--nak-block", "0x100"});
    ASSERT_EQ(sims.paths.size(), 4u);
    const RadioImage image = Pattern(3);
    FleetRequest request;
    request.iniPath = settings->path;
    request.targets = Bind(sims);
    Recorder recorder;
    FleetJob job;
    const auto start = Clock::now();
    ASSERT_TRUE(job.start(request, image.data(), &recorder));
    EXPECT_FALSE(job.start(request, image.data(), &recorder)); // one job at a time
    ASSERT_TRUE(job.wait(60000));
    const double seconds = SecondsSince(start);
    EXPECT_FALSE(job.running());
    EXPECT_LT(seconds, 20.0) << "the radios were not written in parallel";

    const std::vector<FleetOutcome> outcomes = job.outcomes();
    ASSERT_EQ(outcomes.size(), 4u);
    std::vector<bool> seen(4, false);
    for (std::size_t n = 0; n < outcomes.size(); ++n) {
        const FleetOutcome& o = outcomes[n];
        ASSERT_GE(o.target, 0);
        ASSERT_LT(o.target, 4);
        EXPECT_FALSE(seen[o.target]);
        seen[o.target] = true;
        EXPECT_EQ(o.number, static_cast<int>(n) + 1);
        EXPECT_EQ(o.port, o.target + 1);
        EXPECT_EQ(o.device, sims.paths[o.target]);
        EXPECT_EQ(o.ident, "SIM735\\x01\\x00");
        EXPECT_LT(o.duration.count(), 20000);
        const std::string saved = Dir() + "/radio-" + std::to_string(o.target + 1) + ".735";
        if (o.target == 2) {
            EXPECT_EQ(o.result, FleetResult::Failed);
            EXPECT_EQ(o.failedStep, FleetStep::Write);
            EXPECT_EQ(o.transfer.state, TransferState::WriteFailed);
            EXPECT_EQ(o.transfer.blocksDone, 0x100 / 8);
            EXPECT_FALSE(std::ifstream(saved).good()); // its write never completed
            EXPECT_EQ(job.status(2).failed, 1);
            continue;
        }
        EXPECT_EQ(o.result, FleetResult::WrittenVerified);
        EXPECT_EQ(o.failedStep, FleetStep::None);
        EXPECT_TRUE(o.differences.empty());
        EXPECT_GT(o.duration.count(), 6000);
        EXPECT_EQ(recorder.lastPercent[o.target], 100);
        EXPECT_EQ(job.status(o.target).written, 1);
        const std::string bytes = ReadFile(saved);
        ASSERT_EQ(bytes.size(), 48u + RadioImage::Size) << saved;
        EXPECT_EQ(bytes.compare(48, 0x3E0, reinterpret_cast<const char*>(image.data()), 0x3E0), 0)
            << saved;
    }
    EXPECT_EQ(job.written(), 3);
    EXPECT_EQ(recorder.finishedCalls, 4);
    EXPECT_EQ(recorder.endedCalls, 1); // the end comes once, last
    EXPECT_FALSE(recorder.afterEnd);
    EXPECT_FALSE(recorder.overlapped);
    EXPECT_FALSE(recorder.badTarget);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(job.status(t).phase, FleetPhase::Done);
}

// Three radios backed up first, the second storing block 0x40 with a wrong byte yet
// acknowledging it: the read-back of the second fails with that byte as its difference, the
// others are written and verified; every radio's backup is a file of its own.
TEST_F(FleetJobTest, ReadBackMismatchFailsOneRadioAtVerifyWithItsDifferences) {
    Simulators sims(3, {"--fault-radio", "2", "--corrupt-block", "0x40"});
    ASSERT_EQ(sims.paths.size(), 3u);
    const RadioImage image = Pattern(11);
    FleetRequest request;
    request.iniPath = settings->path;
    request.targets = Bind(sims);
    request.backup = BackupSettings{Dir() + "/backups", 50, true};
    FleetJob job;
    ASSERT_TRUE(job.start(request, image.data()));
    ASSERT_TRUE(job.wait(90000));
    const std::vector<FleetOutcome> outcomes = job.outcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    std::vector<std::string> backups;
    for (const FleetOutcome& o : outcomes) {
        EXPECT_FALSE(o.backupFile.empty()) << o.target;
        EXPECT_TRUE(std::ifstream(o.backupFile).good()) << o.backupFile;
        for (const std::string& other : backups)
            EXPECT_NE(o.backupFile, other);
        backups.push_back(o.backupFile);
        if (o.target == 1) {
            EXPECT_EQ(o.result, FleetResult::Failed);
            EXPECT_EQ(o.failedStep, FleetStep::Verify);
            EXPECT_EQ(o.differences, std::vector<std::uint16_t>{0x40});
            ASSERT_EQ(o.readBack.size(), RadioImage::Size);
            EXPECT_EQ(o.readBack[0x40], static_cast<std::uint8_t>(~image[0x40]));
            EXPECT_EQ(job.status(1).failed, 1);
        } else {
            EXPECT_EQ(o.result, FleetResult::WrittenVerified) << o.target;
            EXPECT_TRUE(o.differences.empty());
            EXPECT_TRUE(o.readBack.empty());
        }
    }
    EXPECT_EQ(job.written(), 2);
}

// Cancel reaches every radio within one wait of the protocol, mid-write and while a port waits
// for a radio; every thread is joined when cancel() returns.
TEST_F(FleetJobTest, CancelStopsEveryPortWithinOneWait) {
    Simulators sims(4, {});
    ASSERT_EQ(sims.paths.size(), 4u);
    const RadioImage image = Pattern(9);
    FleetRequest request;
    request.iniPath = settings->path;
    request.targets = Bind(sims);
    Recorder recorder;
    FleetJob job;
    ASSERT_TRUE(job.start(request, image.data(), &recorder));
    for (const auto until = Clock::now() + std::chrono::seconds(20); Clock::now() < until;) {
        bool allWriting = true;
        for (int t = 0; t < 4; ++t)
            allWriting = allWriting && job.status(t).percent >= 10;
        if (allWriting)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (int t = 0; t < 4; ++t)
        ASSERT_GE(job.status(t).percent, 10) << t;
    const auto start = Clock::now();
    job.cancel();
    EXPECT_LT(SecondsSince(start), 0.8);
    EXPECT_FALSE(job.running());
    const std::vector<FleetOutcome> outcomes = job.outcomes();
    ASSERT_EQ(outcomes.size(), 4u);
    for (const FleetOutcome& o : outcomes) {
        EXPECT_EQ(o.result, FleetResult::Cancelled);
        EXPECT_TRUE(o.transfer.partlyWritten());
    }
    EXPECT_EQ(job.written(), 0);
    EXPECT_FALSE(recorder.overlapped);
    // The observer has heard of every radio and of the end once cancel() returns.
    EXPECT_EQ(recorder.finishedCalls, 4);
    EXPECT_EQ(recorder.endedCalls, 1);
    EXPECT_FALSE(recorder.afterEnd);

    // Hot swap on a port whose radio never answers: the job waits until cancelled.
    Simulators silent(1, {"--silent"});
    ASSERT_EQ(silent.paths.size(), 1u);
    FleetRequest waiting;
    waiting.targets = {{0, silent.paths[0]}};
    waiting.hotSwap = true;
    FleetJob swapJob;
    ASSERT_TRUE(swapJob.start(waiting, image.data()));
    EXPECT_FALSE(swapJob.wait(2500));
    EXPECT_EQ(swapJob.status(0).phase, FleetPhase::WaitingForRadio);
    const auto swapStart = Clock::now();
    swapJob.cancel();
    EXPECT_LT(SecondsSince(swapStart), 0.8);
    EXPECT_FALSE(swapJob.running());
    EXPECT_TRUE(swapJob.outcomes().empty());
}

// Hot swap on one port, three radios in a row: each radio is written exactly once, the job
// ends by itself at three.
TEST_F(FleetJobTest, HotSwapWritesEachRadioOnceUntilTheCount) {
    const std::string events = Dir() + "/sim.err";
    Simulators sims(1, {"--swap-after", "1", "--save", Dir() + "/radio.735"}, events);
    ASSERT_EQ(sims.paths.size(), 1u);
    const RadioImage image = Pattern(5);
    FleetRequest request;
    request.iniPath = settings->path;
    request.targets = Bind(sims);
    request.hotSwap = true;
    request.total = 3;
    request.verify = false;
    Recorder recorder;
    FleetJob job;
    ASSERT_TRUE(job.start(request, image.data(), &recorder));
    ASSERT_TRUE(job.wait(90000));
    const std::vector<FleetOutcome> outcomes = job.outcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    for (const FleetOutcome& o : outcomes)
        EXPECT_EQ(o.result, FleetResult::WrittenNotVerified) << o.number;
    EXPECT_EQ(job.written(), 3);
    const std::string log = ReadFile(events);
    EXPECT_EQ(Occurrences(log, "radio 1: write 1 completed"), 3) << log;
    EXPECT_EQ(Occurrences(log, "write 2 completed"), 0) << log; // no radio written twice
    EXPECT_EQ(Occurrences(log, "a fresh radio is plugged in"), 2) << log;
    const std::string bytes = ReadFile(Dir() + "/radio.735");
    ASSERT_EQ(bytes.size(), 48u + RadioImage::Size);
    EXPECT_EQ(bytes.compare(48, 0x3E0, reinterpret_cast<const char*>(image.data()), 0x3E0), 0);
    EXPECT_FALSE(recorder.overlapped);
}

// Hot swap on two ports with a total of three: after the first two radios both ports find a
// fresh radio, only one of them may take it, and the job ends at three radios written.
TEST_F(FleetJobTest, HotSwapOnTwoPortsNeverGoesPastTheTotal) {
    const std::string events = Dir() + "/sim.err";
    Simulators sims(2, {"--swap-after", "1"}, events);
    ASSERT_EQ(sims.paths.size(), 2u);
    const RadioImage image = Pattern(7);
    FleetRequest request;
    request.iniPath = settings->path;
    request.targets = Bind(sims);
    request.hotSwap = true;
    request.total = 3;
    request.verify = false;
    FleetJob job;
    ASSERT_TRUE(job.start(request, image.data()));
    ASSERT_TRUE(job.wait(90000));
    EXPECT_EQ(job.written(), 3);
    EXPECT_EQ(job.outcomes().size(), 3u);
    EXPECT_EQ(job.status(0).written + job.status(1).written, 3);
    const std::string log = ReadFile(events);
    EXPECT_EQ(Occurrences(log, "write 1 completed"), 3) << log;
    EXPECT_EQ(Occurrences(log, "write 2 completed"), 0) << log;
}
