#pragma once
// One radio read or write for a front end (the transfer dialog, orvik-cli): it owns the job,
// a private copy of the image and the worker thread, which is always joined. The front end
// polls it (the dialog on its 20 ms timer) or lets it run to the end (orvik-cli) and hears of
// progress and of the outcome through a TransferObserver. Every text about the outcome comes
// from TransferMessage, so both front ends say the same.

#include "core/link/ByteLink.h"
#include "core/link/LineTrace.h"
#include "core/link/LinkClock.h"
#include "core/link/TransferJob.h"
#include "core/model/Backup.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace orvik {

struct TransferRequest {
    bool isRead = true;
    std::string iniPath; // setting.ini: [setup] com and searchcom, [ports]
    int port = 0;        // > 0: open this port number instead of [setup] com
    std::string device;  // non-empty: open this device path and never search
    int search = -1;     // 0 or 1: search flag instead of [setup] searchcom
    bool trace = true;   // record the line into trace(); off only to measure what it costs
    // A write is followed by a read of the radio and a compare of the bytes it sent.
    bool verify = false;
    // Set: a completed read is stored as a backup in this folder (a failure only warns), and
    // with beforeWrite a write first reads the radio and stores it; when that read or store
    // fails, nothing is written.
    std::optional<BackupSettings> backup;
};

// The steps of one job: the backup read before a write, the read or write itself, and the
// read-back after a write.
enum class TransferPhase : int { Backup = 0, Transfer = 1, Verify = 2 };

enum class VerifyResult {
    NotRequested,
    Verified,   // the radio returned exactly the bytes written
    Mismatch,   // it returned other bytes: the write failed
    NotVerified // the read-back did not complete: written, but not verified
};

// How a job ended.
struct TransferOutcome {
    // The final state of the step the job ended in (the backup read when that failed, else the
    // read or write); the last one seen if cancelled.
    TransferState state = TransferState::Busy;
    bool cancelled = false; // stopped by cancel() before the job's last step ended
    TransferPhase endedIn = TransferPhase::Transfer;
    VerifyResult verify = VerifyResult::NotRequested;
    TransferState verifyState = TransferState::Busy; // the read-back's final state
    // The backup of a read or of the radio before a write: the file stored, or why none was
    // (in `backupFolder`).
    std::string backupFolder;
    std::string backupPath;
    std::string backupError;
    bool isRead = true;
    int blocksDone = 0; // blocks stored (read) or acknowledged by the radio (write)
    bool searched = false;
    bool wokeUp = false; // a radio accepted the wake-up
    std::string ident;   // the radio's 8 identification bytes; empty when it sent none
    // The first port the job tried: its device ("" when the number has none), whether it
    // opened, and if not, why.
    std::string firstDevicePath;
    bool firstPortOpened = false;
    OpenError firstOpenError = OpenError::None;
    std::string firstOpenErrorText;

    bool succeeded() const {
        return !cancelled && endedIn != TransferPhase::Backup &&
               (state == TransferState::ReadDone || state == TransferState::WriteDone) &&
               verify != VerifyResult::Mismatch && verify != VerifyResult::NotVerified;
    }
    // A write that did not complete after blocks had reached the radio: the radio holds part
    // old, part new data.
    bool partlyWritten() const {
        return !isRead && blocksDone > 0 && state != TransferState::WriteDone;
    }
};

class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // The port search tries this port number.
    virtual void searching(int port) { (void)port; }
    // A step begins (only steps after the first are announced: the backup read before a write
    // starts the job, the write follows, then the read-back).
    virtual void phaseStarted(TransferPhase phase) { (void)phase; }
    // Blocks done in the current step, as a percentage 0..100.
    virtual void progress(int percent) { (void)percent; }
    // The job has ended (also when cancelled); the worker is joined and the link closed.
    virtual void finished(const TransferOutcome& outcome) = 0;
};

class TransferSession {
public:
    TransferSession() = default;
    ~TransferSession(); // cancels a running job
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    // Starts a job on `link` (opened by the worker when it is closed) with a copy of `image`
    // (4096 bytes): the backup read when asked, the read or write, the read-back when asked,
    // all on the link as it stands (no second search). The link and clock must outlive the job.
    // Nothing when a job runs.
    void start(const TransferRequest& request, const std::uint8_t* image, SerialLink& link,
               LinkClock& clock = SystemClock::Instance());

    // Reports what changed since the last poll; on a final state it joins the worker, closes
    // the link and calls finished(). Returns true once the job has finished (false while none
    // runs).
    bool poll(TransferObserver& observer);

    // Polls every 20 ms until the job ends or *interrupted becomes non-zero (then cancels).
    // Returns the final state's value, or -1 when interrupted.
    int runToEnd(TransferObserver& observer, const volatile std::sig_atomic_t* interrupted);

    // Sets the cancel flag, waits for the worker (within about 0.6 s) and closes the link.
    // Returns the outcome (cancelled unless the job had already ended); nothing to do when no
    // job runs, then the last outcome is returned.
    const TransferOutcome& cancel();

    bool running() const { return active; }
    // The step running now (the last one once the job has ended).
    TransferPhase phase() const { return currentPhase.load(std::memory_order_acquire); }
    // The working copy: after ReadDone the radio's bytes 0x000..0x3DF over the given image.
    const std::array<std::uint8_t, 4096>& image() const { return workingCopy; }
    // What the radio returned to the backup read or the read-back, over the given image.
    const std::array<std::uint8_t, 4096>& radioImage() const { return radioCopy; }
    const TransferOutcome& outcome() const { return last; }
    // The last job's line trace, complete once the job has finished (empty when not traced).
    const LineTrace& trace() const { return lineTrace; }
    // The job block, for tests that watch the worker.
    const TransferJob& job() const { return transferJob; }

private:
    void end(bool wasCancelled);
    // The worker: every step of the job in turn.
    void runSteps(const TransferRequest& request, SerialLink& jobLink, LinkClock& clock);
    // Prepares the job block of a read after the first step, on the link as it stands.
    void prepareSideRead();
    const TransferJob& jobOf(TransferPhase p) const {
        return p == TransferPhase::Transfer ? transferJob : sideJob;
    }

    TransferJob transferJob;
    TransferJob sideJob; // the backup read before a write, or the read-back after it
    std::array<std::uint8_t, 4096> radioCopy{};
    std::atomic<TransferPhase> currentPhase{TransferPhase::Transfer};
    std::atomic<bool> workerDone{false};
    std::atomic<bool> cancelRequested{false};
    // Written by the worker, read after joining it.
    TransferPhase endedIn = TransferPhase::Transfer;
    bool stoppedByCancel = false;
    VerifyResult verifyResult = VerifyResult::NotRequested;
    BackupResult backupResult;
    std::string backupFolder;
    LineTrace lineTrace;
    std::unique_ptr<TracingLink> tracingLink;
    std::array<std::uint8_t, 4096> workingCopy{};
    std::thread worker;
    SerialLink* link = nullptr;
    bool active = false;
    TransferOutcome last;
    TransferState seenState = TransferState::Busy;
    int seenValue = -1;
    TransferPhase seenPhase = TransferPhase::Transfer;
};

// The identification bytes as text: printable ASCII as it is, other bytes as \xNN.
std::string IdentText(const std::string& ident);

// Looks up a text of the language file by key.
using TextLookup = std::function<std::string(std::string_view key)>;

// What to tell the user about an outcome: the reason a port could not be reached (device,
// why, and for a refused device the group that owns it), a lost line, an identification that
// did not come, a failed block, a write stopped part-way. Empty for a completed job and for a
// cancelled one that changed nothing in the radio.
std::string TransferMessage(const TransferOutcome& outcome, const TextLookup& text);

// A backup of a read that could not be stored: the folder and the reason; empty otherwise.
std::string BackupWarning(const TransferOutcome& outcome, const TextLookup& text);

// The progress line's prompt for a step: the backup read, the read or write, the read-back.
std::string PhasePrompt(TransferPhase phase, bool isRead, const TextLookup& text);

} // namespace orvik
