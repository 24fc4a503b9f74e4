// What a session pushes to its observer: every job ends with exactly one finished(), after the
// link is closed and with nothing after it, wherever a stop lands; after start() the events come
// from the worker alone, and cancel() or the destructor return only once finished() is told.

#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/TransferSession.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace orvik::test {
namespace {

using enum TransferState;

// Records every event with its thread, and what was wrong about its order.
class Checker final : public TransferObserver {
public:
    Checker(const SerialLink& jobLink, TransferPhase first) : link(jobLink), phase(first) {}

    void searching(int port) override {
        event();
        if (onSearching)
            onSearching(port);
    }
    void phaseStarted(TransferPhase next) override {
        event();
        phases.push_back(next);
        phase = next;
    }
    void progress(int percent) override {
        event();
        if (onProgress)
            onProgress(phase, percent);
    }
    void finished(const TransferOutcome& o) override {
        event();
        ++finishes;
        outcome = o;
        linkOpenAtEnd = link.IsOpen();
    }

    std::function<void(int)> onSearching;
    std::function<void(TransferPhase, int)> onProgress;
    std::vector<TransferPhase> phases;
    int finishes = 0;
    int late = 0; // events after finished()
    bool linkOpenAtEnd = true;
    std::set<std::thread::id> threads;
    TransferOutcome outcome;

private:
    void event() {
        late += finishes > 0 ? 1 : 0;
        threads.insert(std::this_thread::get_id());
    }
    const SerialLink& link;
    TransferPhase phase;
};

// A backed-up, verified write. With `search`, port 1 has no radio and the search finds it on 2.
struct Bench {
    explicit Bench(bool search = false)
        : settings(search ? "[setup]\ncom=1\nsearchcom=1\n" : "[setup]\ncom=1\nsearchcom=0\n"),
          link(clock) {
        link.AddDevice(1, search ? nullptr : &radio);
        if (search)
            link.AddDevice(2, &radio);
        image.fill(0x5A);
        request.iniPath = settings.path;
        request.isRead = false;
        request.verify = true;
        request.backup = BackupSettings{settings.dir + "/backups", 5, true};
    }
    TempSettings settings;
    VirtualClock clock;
    ScriptedLink link;
    ScriptedRadio radio;
    std::array<std::uint8_t, 4096> image{};
    TransferRequest request;
};

TEST(TransferEvents, AWholeWriteAnnouncesEachLaterStepAndEndsOnce) {
    Bench b;
    Checker checker(b.link, TransferPhase::Backup);
    TransferSession session;
    const TransferOutcome& o = session.run(b.request, b.image.data(), b.link, checker, {}, b.clock);
    EXPECT_TRUE(o.succeeded());
    EXPECT_EQ(o.verify, VerifyResult::Verified);
    EXPECT_EQ(checker.phases, (std::vector{TransferPhase::Transfer, TransferPhase::Verify}));
    EXPECT_EQ(checker.finishes, 1);
    EXPECT_FALSE(checker.linkOpenAtEnd);
    EXPECT_EQ(checker.threads, std::set{std::this_thread::get_id()}); // run(): this thread
}

// A stop at every stage of a backed-up, verified write: the job ends where it was, as
// cancelled, with exactly one finished() and the link closed before it.
TEST(TransferEvents, AStopAnywhereEndsTheJobWithExactlyOneFinished) {
    struct Case {
        const char* name;
        bool search;        // searchcom=1, and the radio on port 2 only
        std::uint32_t atMs; // stop once the clock passes this (0: not by time)
        int searchPort;     // stop when the search tries this port (0: not)
        TransferPhase phase;
        int percent; // stop when this phase reaches this percentage (-1: not)
        TransferPhase endedIn;
    } cases[] = {
        {"settle", false, 50, 0, TransferPhase::Backup, -1, TransferPhase::Backup},
        {"wake-up", true, 700, 0, TransferPhase::Backup, -1, TransferPhase::Backup},
        {"search", true, 0, 2, TransferPhase::Backup, -1, TransferPhase::Backup},
        {"backup read", false, 0, 0, TransferPhase::Backup, 5, TransferPhase::Backup},
        {"write", false, 0, 0, TransferPhase::Transfer, 5, TransferPhase::Transfer},
        {"last block", false, 0, 0, TransferPhase::Transfer, 100, TransferPhase::Transfer},
        {"read-back", false, 0, 0, TransferPhase::Verify, 5, TransferPhase::Verify},
    };
    for (const Case& c : cases) {
        Bench b(c.search);
        std::stop_source stop;
        Checker checker(b.link, TransferPhase::Backup);
        if (c.atMs > 0)
            b.clock.onAdvance = [&] {
                if (b.clock.now >= c.atMs)
                    stop.request_stop();
            };
        checker.onSearching = [&](int port) {
            if (port == c.searchPort)
                stop.request_stop();
        };
        checker.onProgress = [&](TransferPhase phase, int percent) {
            if (phase == c.phase && percent == c.percent)
                stop.request_stop();
        };
        TransferSession session;
        const TransferOutcome o =
            session.run(b.request, b.image.data(), b.link, checker, stop.get_token(), b.clock);
        EXPECT_TRUE(o.cancelled) << c.name;
        EXPECT_EQ(o.endedIn, c.endedIn) << c.name;
        EXPECT_EQ(checker.finishes, 1) << c.name;
        EXPECT_EQ(checker.late, 0) << c.name;
        EXPECT_FALSE(checker.linkOpenAtEnd) << c.name;
        EXPECT_EQ(checker.outcome.cancelled, true) << c.name;
        // Nothing is written once the backup read was stopped.
        if (c.endedIn == TransferPhase::Backup) {
            EXPECT_EQ(b.radio.writePackets, 0) << c.name;
        }
    }
}

// Holds the worker inside the write's progress event at `percent` until the test thread is
// about to stop it, so that the stop lands there.
struct Gate {
    void Hold(TransferPhase phase, int percent) {
        if (phase != TransferPhase::Transfer || percent != 5)
            return;
        std::unique_lock lock(mutex);
        reached = true;
        changed.notify_all();
        changed.wait(lock, [this] { return stopping; });
        lock.unlock();
        // The stop is requested right after `stopping` is set; the margin is for a loaded
        // machine (a stop that came late would still land in the write).
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    void WaitAndRelease() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return reached; });
        stopping = true;
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool reached = false;
    bool stopping = false;
};

// After start() every event comes from the worker; cancel() and the destructor return only
// once the worker has closed the link and told finished(), and nothing comes after it.
TEST(TransferEvents, CancelAndTheDestructorReturnAfterTheOneFinished) {
    for (const bool byDestructor : {false, true}) {
        Bench b;
        b.request.backup.reset();
        Checker checker(b.link, TransferPhase::Transfer);
        Gate gate;
        checker.onProgress = [&gate](TransferPhase phase, int percent) {
            gate.Hold(phase, percent);
        };
        TransferOutcome o;
        {
            TransferSession session;
            session.start(b.request, b.image.data(), b.link, checker, b.clock);
            gate.WaitAndRelease();
            if (!byDestructor) {
                o = session.cancel();
                EXPECT_FALSE(session.running());
            }
        }
        if (byDestructor)
            o = checker.outcome;
        EXPECT_EQ(checker.finishes, 1) << byDestructor;
        EXPECT_EQ(checker.late, 0) << byDestructor;
        EXPECT_FALSE(checker.linkOpenAtEnd) << byDestructor;
        ASSERT_EQ(checker.threads.size(), 1u) << byDestructor;
        EXPECT_NE(*checker.threads.begin(), std::this_thread::get_id()) << byDestructor;
        EXPECT_TRUE(o.cancelled) << byDestructor;
        EXPECT_TRUE(o.partlyWritten()) << byDestructor;
        EXPECT_GE(o.blocksDone, 7) << byDestructor; // the first block at 5 %
        EXPECT_LT(o.blocksDone, 124) << byDestructor;
    }
}

} // namespace
} // namespace orvik::test
