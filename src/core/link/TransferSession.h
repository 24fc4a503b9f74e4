#pragma once
// One radio read or write for a front end (the transfer dialog, orvik-cli, each radio of the
// several-radio job): it owns the job, a private copy of the image and the thread that runs the
// job, and pushes what happens (port search, step, progress, outcome) to a TransferObserver as
// it happens; nothing polls it. start() runs the job on a worker thread of its own (a
// std::jthread, cancelled through its stop token and always joined); run() runs it on the
// calling thread, for a caller that is itself a worker. Every text about the outcome comes from
// TransferOutcome.h, so every front end says the same.

#include "core/link/ByteLink.h"
#include "core/link/LineTrace.h"
#include "core/link/LinkClock.h"
#include "core/link/TransferJob.h"
#include "core/link/TransferOutcome.h"
#include "core/link/TransferRequest.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <thread>

namespace orvik {

// Hears of a job. Every call comes from the thread that runs the job (the session's worker
// after start(), the caller's own thread in run()), one at a time and in the order of the job;
// finished() comes exactly once per job and nothing follows it. A call must return quickly and
// must not call back into the session.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The port search tries this port number.
    virtual void searching(int port) { (void)port; }
    // A step begins (only steps after the first are announced: the backup read before a write
    // starts the job, the write follows, then the read-back).
    virtual void phaseStarted(TransferPhase phase) { (void)phase; }
    // Blocks done in the current step, as a percentage 0..100, each time it changes.
    virtual void progress(int percent) { (void)percent; }
    // The job has ended (also when cancelled). The job is done with the link, which is closed,
    // and with the session's images and trace; after start() the worker returns right after
    // this call, so a join that follows it (wait(), cancel()) completes at once.
    virtual void finished(const TransferOutcome& outcome) = 0;
};

class TransferSession {
public:
    TransferSession() = default;
    ~TransferSession(); // cancels a running job and joins its worker
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    // Starts a job on a worker thread with a copy of `image` (4096 bytes): the backup read when
    // asked, the read or write, the read-back when asked, all on `link` as it stands (opened by
    // the job when it is closed; no second search). The link, clock and observer must outlive
    // the job, that is until wait(), cancel() or the destructor has returned. Nothing when a
    // job runs.
    void start(const TransferRequest& request, const std::uint8_t* image, SerialLink& link,
               TransferObserver& observer, LinkClock& clock = SystemClock::Instance());

    // The same job on the calling thread, until it ends or `stop` is requested; the observer
    // hears of it on this thread. Returns the outcome. Nothing when a job runs.
    const TransferOutcome& run(const TransferRequest& request, const std::uint8_t* image,
                               SerialLink& link, TransferObserver& observer, std::stop_token stop,
                               LinkClock& clock = SystemClock::Instance());

    // Waits for the worker to end and joins it; returns the outcome. Never from an observer.
    const TransferOutcome& wait();

    // Requests the worker to stop and joins it: it stops within one wait of the protocol (about
    // 0.6 s), closes the link and delivers finished() before this returns. Returns the outcome
    // (cancelled unless the job had already ended); the last outcome when no job runs.
    const TransferOutcome& cancel();

    // A worker was started and has not been joined yet (the thread that started it asks).
    bool running() const { return worker.joinable(); }
    // The step running now (the last one once the job has ended).
    TransferPhase phase() const { return currentPhase.load(std::memory_order_acquire); }
    // The first step of a job: the backup read when a write is backed up first.
    static TransferPhase FirstPhase(const TransferRequest& request);

    // What follows belongs to the job while it runs: read it once the job has been joined
    // (wait(), cancel()) or run() has returned.
    // The working copy: after ReadDone the radio's bytes 0x000..0x3DF over the given image.
    const std::array<std::uint8_t, 4096>& image() const { return workingCopy; }
    // What the radio returned to the backup read or the read-back, over the given image.
    const std::array<std::uint8_t, 4096>& radioImage() const { return radioCopy; }
    const TransferOutcome& outcome() const { return last; }
    // The last job's line trace (empty when not traced).
    const LineTrace& trace() const { return lineTrace; }

private:
    void prepare(const TransferRequest& request, const std::uint8_t* image, SerialLink& jobLink);
    // The job on its thread: every step, the outcome, then finished().
    void execute(const TransferRequest& request, TransferObserver& observer, LinkClock& clock,
                 const std::stop_token& stop);
    void runSteps(const TransferRequest& request, LinkClock& clock, TransferObserver& observer,
                  const std::stop_token& stop);
    bool backupFirst(const TransferRequest& request, LinkClock& clock, TransferObserver& observer,
                     const std::stop_token& stop);
    void readBack(LinkClock& clock, TransferObserver& observer);
    void enterPhase(TransferPhase phase, TransferObserver& observer);
    void push(const TransferJob& job, TransferState state, TransferObserver& observer);
    // Fills the outcome from the job blocks and closes the link.
    void conclude();

    TransferJob transferJob;
    TransferJob sideJob; // the backup read before a write, or the read-back after it
    std::array<std::uint8_t, 4096> workingCopy{};
    std::array<std::uint8_t, 4096> radioCopy{};
    std::atomic<TransferPhase> currentPhase{TransferPhase::Transfer};
    // Written on the job's thread, read after joining it.
    TransferPhase endedIn = TransferPhase::Transfer;
    bool stoppedByCancel = false;
    VerifyResult verifyResult = VerifyResult::NotRequested;
    BackupResult backupResult;
    std::string backupFolder;
    int pushedPercent = -1; // the last percentage pushed in the current step
    LineTrace lineTrace;
    std::unique_ptr<TracingLink> tracingLink;
    SerialLink* link = nullptr;
    TransferOutcome last;
    // Last, so that it is joined before anything it uses goes.
    std::jthread worker;
};

} // namespace orvik
