#include "core/link/TransferSession.h"

#include "core/link/Protocol.h"

#include <cstring>
#include <sys/prctl.h>

namespace orvik {

namespace {

RadioImage imageOf(const std::array<std::uint8_t, 4096>& bytes) {
    RadioImage image;
    std::memcpy(image.data(), bytes.data(), RadioImage::Size);
    return image;
}

// RunTransfer returned without a final state: a stop was requested.
bool stopped(const TransferJob& job) {
    return !IsFinalState(job.state.load(std::memory_order_acquire));
}

} // namespace

TransferSession::~TransferSession() {
    cancel();
}

TransferPhase TransferSession::FirstPhase(const TransferRequest& request) {
    const bool backupFirst = !request.isRead && request.backup && request.backup->beforeWrite;
    return backupFirst ? TransferPhase::Backup : TransferPhase::Transfer;
}

void TransferSession::start(const TransferRequest& request, const std::uint8_t* image,
                            SerialLink& serialLink, TransferObserver& observer, LinkClock& clock) {
    if (running())
        return;
    prepare(request, image, serialLink);
    worker = std::jthread([this, request, &observer, &clock](std::stop_token stop) {
        execute(request, observer, clock, stop);
    });
}

const TransferOutcome& TransferSession::run(const TransferRequest& request,
                                            const std::uint8_t* image, SerialLink& serialLink,
                                            TransferObserver& observer, std::stop_token stop,
                                            LinkClock& clock) {
    if (running())
        return last;
    prepare(request, image, serialLink);
    execute(request, observer, clock, stop);
    return last;
}

const TransferOutcome& TransferSession::wait() {
    if (worker.joinable())
        worker.join();
    return last;
}

const TransferOutcome& TransferSession::cancel() {
    if (worker.joinable()) {
        worker.request_stop();
        worker.join();
    }
    return last;
}

void TransferSession::prepare(const TransferRequest& request, const std::uint8_t* image,
                              SerialLink& serialLink) {
    std::memcpy(workingCopy.data(), image, workingCopy.size());
    radioCopy = workingCopy;
    for (TransferJob* job : {&transferJob, &sideJob}) {
        // The backup read before a write opens the port as the write would have.
        job->iniPath = request.iniPath;
        job->portOverride = request.port;
        job->deviceOverride = request.device;
        job->searchOverride = request.search;
    }
    transferJob.Reset(request.isRead, workingCopy.data());
    sideJob.Reset(true, radioCopy.data());
    lineTrace.Start();
    if (request.trace) {
        tracingLink = std::make_unique<TracingLink>(serialLink, lineTrace);
        link = tracingLink.get();
        transferJob.trace = &lineTrace;
    } else {
        tracingLink.reset();
        link = &serialLink;
        transferJob.trace = nullptr;
    }
    sideJob.trace = transferJob.trace;
    last = TransferOutcome{};
    last.isRead = request.isRead;
    endedIn = FirstPhase(request);
    currentPhase.store(endedIn, std::memory_order_release);
    stoppedByCancel = false;
    verifyResult = VerifyResult::NotRequested;
    backupResult = BackupResult{};
    backupFolder = request.backup ? request.backup->folder : std::string();
    pushedPercent = -1;
}

void TransferSession::execute(const TransferRequest& request, TransferObserver& observer,
                              LinkClock& clock, const std::stop_token& stop) {
    // The protocol's pauses are minimums; a tight timer slack keeps them from growing.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
    for (TransferJob* job : {&transferJob, &sideJob}) {
        job->stop = stop;
        job->published = [this, job, &observer](TransferState state) {
            push(*job, state, observer);
        };
    }
    runSteps(request, clock, observer, stop);
    conclude();
    observer.finished(last);
}

void TransferSession::enterPhase(TransferPhase phase, TransferObserver& observer) {
    endedIn = phase;
    currentPhase.store(phase, std::memory_order_release);
    pushedPercent = -1;
    observer.phaseStarted(phase);
}

void TransferSession::push(const TransferJob& job, TransferState state,
                           TransferObserver& observer) {
    if (state == TransferState::Searching) {
        observer.searching(job.searchPort.load(std::memory_order_relaxed));
        return;
    }
    const int percent = job.progress.load(std::memory_order_relaxed);
    if (percent == pushedPercent)
        return;
    pushedPercent = percent;
    observer.progress(percent);
}

// The backup read and its store; true when the write may follow.
bool TransferSession::backupFirst(const TransferRequest& request, LinkClock& clock,
                                  TransferObserver& observer, const std::stop_token& stop) {
    RunTransfer(sideJob, *link, clock);
    if (stopped(sideJob)) {
        stoppedByCancel = true;
        return false;
    }
    if (sideJob.state.load(std::memory_order_acquire) != TransferState::ReadDone)
        return false;
    backupResult = StoreBackup(*request.backup, imageOf(radioCopy), BackupKind::BeforeWrite);
    if (!backupResult.ok)
        return false;
    transferJob.searchOverride = 0; // the backup read found the radio on this port
    if (stop.stop_requested()) {
        stoppedByCancel = true;
        return false;
    }
    enterPhase(TransferPhase::Transfer, observer);
    return true;
}

// The read-back: a whole read session on the same port, compared over the bytes sent.
void TransferSession::readBack(LinkClock& clock, TransferObserver& observer) {
    verifyResult = VerifyResult::NotVerified;
    radioCopy = workingCopy;
    sideJob.Reset(true, radioCopy.data());
    sideJob.searchOverride = 0; // the port is open and known: no search
    enterPhase(TransferPhase::Verify, observer);
    RunTransfer(sideJob, *link, clock);
    if (stopped(sideJob)) {
        stoppedByCancel = true;
        return;
    }
    if (sideJob.state.load(std::memory_order_acquire) == TransferState::ReadDone)
        verifyResult =
            std::memcmp(radioCopy.data(), workingCopy.data(), protocol::TransferredBytes) == 0
                ? VerifyResult::Verified
                : VerifyResult::Mismatch;
}

void TransferSession::runSteps(const TransferRequest& request, LinkClock& clock,
                               TransferObserver& observer, const std::stop_token& stop) {
    if (endedIn == TransferPhase::Backup && !backupFirst(request, clock, observer, stop))
        return;
    RunTransfer(transferJob, *link, clock);
    if (stopped(transferJob)) {
        stoppedByCancel = true;
        return;
    }
    const TransferState state = transferJob.state.load(std::memory_order_acquire);
    if (request.isRead && state == TransferState::ReadDone && request.backup)
        backupResult = StoreBackup(*request.backup, imageOf(workingCopy), BackupKind::Read);
    if (!request.isRead && state == TransferState::WriteDone && request.verify)
        readBack(clock, observer);
}

void TransferSession::conclude() {
    transferJob.published = nullptr;
    sideJob.published = nullptr;
    const TransferJob& ended = endedIn == TransferPhase::Backup ? sideJob : transferJob;
    last.state = ended.state.load(std::memory_order_acquire);
    last.cancelled = stoppedByCancel;
    if (last.cancelled && transferJob.trace != nullptr)
        lineTrace.Note("cancelled");
    link->Close();
    last.isRead = transferJob.isRead;
    last.endedIn = endedIn;
    last.verify = verifyResult;
    last.verifyState = endedIn == TransferPhase::Verify
                           ? sideJob.state.load(std::memory_order_acquire)
                           : TransferState::Busy;
    last.backupFolder = backupFolder;
    last.backupPath = backupResult.path;
    last.backupError = backupResult.error;
    last.blocksDone = transferJob.blocksDone.load(std::memory_order_relaxed);
    last.searched = ended.searched;
    last.wokeUp = ended.wokeUp;
    last.ident =
        ended.identified ? std::string(ended.ident.begin(), ended.ident.end()) : std::string();
    last.firstDevicePath = ended.firstDevicePath;
    last.firstPortOpened = ended.firstPortOpened;
    last.firstOpenError = ended.firstOpenError;
    last.firstOpenErrorText = ended.firstOpenErrorText;
}

} // namespace orvik
