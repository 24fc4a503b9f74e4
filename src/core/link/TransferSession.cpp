#include "core/link/TransferSession.h"

#include "core/lang/LangKeys.h"
#include "core/link/Protocol.h"

#include <cstring>
#include <ctime>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace orvik {

TransferSession::~TransferSession() {
    cancel();
}

void TransferSession::start(const TransferRequest& request, const std::uint8_t* image,
                            SerialLink& serialLink, LinkClock& clock) {
    if (active)
        return;
    std::memcpy(workingCopy.data(), image, workingCopy.size());
    radioCopy = workingCopy;
    transferJob.Reset(request.isRead, workingCopy.data());
    transferJob.iniPath = request.iniPath;
    transferJob.portOverride = request.port;
    transferJob.deviceOverride = request.device;
    transferJob.searchOverride = request.search;
    // The backup read before a write opens the port as the write would have.
    sideJob.Reset(true, radioCopy.data());
    sideJob.iniPath = request.iniPath;
    sideJob.portOverride = request.port;
    sideJob.deviceOverride = request.device;
    sideJob.searchOverride = request.search;
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
    const bool backupFirst = !request.isRead && request.backup && request.backup->beforeWrite;
    const TransferPhase first = backupFirst ? TransferPhase::Backup : TransferPhase::Transfer;
    currentPhase.store(first, std::memory_order_release);
    workerDone.store(false, std::memory_order_release);
    cancelRequested.store(false);
    endedIn = first;
    stoppedByCancel = false;
    verifyResult = VerifyResult::NotRequested;
    backupResult = BackupResult{};
    backupFolder = request.backup ? request.backup->folder : std::string();
    seenState = TransferState::Busy;
    seenValue = -1;
    seenPhase = first;
    active = true;
    worker = std::thread([this, request, jobLink = link, &clock] {
        // The protocol's pauses are minimums; a tight timer slack keeps them from growing.
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
        runSteps(request, *jobLink, clock);
        workerDone.store(true, std::memory_order_release);
    });
}

void TransferSession::prepareSideRead() {
    sideJob.Reset(true, radioCopy.data());
    sideJob.searchOverride = 0; // the port is open and known: no search
    // A cancel that came while the block was being reset must still stop the read.
    if (cancelRequested.load())
        sideJob.cancel.store(1, std::memory_order_release);
}

void TransferSession::runSteps(const TransferRequest& request, SerialLink& jobLink,
                               LinkClock& clock) {
    auto stopped = [](const TransferJob& job) {
        return !IsFinalState(job.state.load(std::memory_order_acquire));
    };
    auto imageOf = [](const std::array<std::uint8_t, 4096>& bytes) {
        RadioImage image;
        std::memcpy(image.data(), bytes.data(), RadioImage::Size);
        return image;
    };

    if (endedIn == TransferPhase::Backup) {
        RunTransfer(sideJob, jobLink, clock);
        if (stopped(sideJob)) {
            stoppedByCancel = true;
            return;
        }
        if (sideJob.state.load(std::memory_order_acquire) != TransferState::ReadDone)
            return;
        backupResult = StoreBackup(*request.backup, imageOf(radioCopy), BackupKind::BeforeWrite);
        if (!backupResult.ok)
            return;
        transferJob.searchOverride = 0; // the backup read found the radio on this port
        if (cancelRequested.load()) {
            stoppedByCancel = true;
            return;
        }
        endedIn = TransferPhase::Transfer;
        currentPhase.store(TransferPhase::Transfer, std::memory_order_release);
    }

    RunTransfer(transferJob, jobLink, clock);
    if (stopped(transferJob)) {
        stoppedByCancel = true;
        return;
    }
    const TransferState state = transferJob.state.load(std::memory_order_acquire);
    if (request.isRead && state == TransferState::ReadDone && request.backup)
        backupResult = StoreBackup(*request.backup, imageOf(workingCopy), BackupKind::Read);
    if (request.isRead || state != TransferState::WriteDone || !request.verify)
        return;

    // The read-back: a whole read session on the same port, compared over the bytes sent.
    verifyResult = VerifyResult::NotVerified;
    endedIn = TransferPhase::Verify;
    radioCopy = workingCopy;
    prepareSideRead();
    currentPhase.store(TransferPhase::Verify, std::memory_order_release);
    RunTransfer(sideJob, jobLink, clock);
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

void TransferSession::end(bool wasCancelled) {
    if (worker.joinable())
        worker.join();
    const TransferJob& ended = endedIn == TransferPhase::Backup ? sideJob : transferJob;
    last.state = ended.state.load(std::memory_order_acquire);
    last.cancelled = wasCancelled && stoppedByCancel;
    if (last.cancelled && transferJob.trace != nullptr)
        lineTrace.Note("cancelled");
    link->Close();
    active = false;
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

bool TransferSession::poll(TransferObserver& observer) {
    if (!active)
        return false;
    if (workerDone.load(std::memory_order_acquire)) {
        end(false);
        if (last.state == TransferState::ReadDone || last.state == TransferState::WriteDone)
            observer.progress(100);
        observer.finished(last);
        return true;
    }
    const TransferPhase phaseNow = currentPhase.load(std::memory_order_acquire);
    if (phaseNow != seenPhase) {
        seenPhase = phaseNow;
        seenState = TransferState::Busy;
        seenValue = -1;
        observer.phaseStarted(phaseNow);
    }
    const TransferJob& job = jobOf(phaseNow);
    const TransferState state = job.state.load(std::memory_order_acquire);
    if (IsFinalState(state))
        return false; // the worker goes on to its next step, or ends
    const int value = state == TransferState::Searching
                          ? job.searchPort.load(std::memory_order_relaxed)
                          : job.progress.load(std::memory_order_relaxed);
    if (state != seenState || value != seenValue) {
        seenState = state;
        seenValue = value;
        if (state == TransferState::Searching)
            observer.searching(value);
        else if (state == TransferState::ReadProgress || state == TransferState::WriteProgress)
            observer.progress(value);
    }
    return false;
}

int TransferSession::runToEnd(TransferObserver& observer,
                              const volatile std::sig_atomic_t* interrupted) {
    while (active) {
        if (interrupted != nullptr && *interrupted) {
            observer.finished(cancel());
            return -1;
        }
        if (poll(observer))
            return static_cast<int>(last.state);
        const timespec tick{0, 20 * 1000000L};
        ::nanosleep(&tick, nullptr); // a signal ends the pause early
    }
    return static_cast<int>(last.state);
}

const TransferOutcome& TransferSession::cancel() {
    if (!active)
        return last;
    cancelRequested.store(true);
    transferJob.cancel.store(1, std::memory_order_release);
    sideJob.cancel.store(1, std::memory_order_release);
    end(true);
    return last;
}

namespace {

void replaceAll(std::string& text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

// The group that owns a device, which a user must belong to; "dialout" when it cannot be told.
std::string owningGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "dialout";
    group entry{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return found->gr_name;
    return std::to_string(st.st_gid);
}

std::string portErrorText(const TransferOutcome& o, const TextLookup& text) {
    std::string message = text(lang::IDS_ERROR_PORTCONN);
    const std::string& device = o.firstDevicePath;
    if (!o.firstPortOpened) {
        if (device.empty()) {
            message += "\n\n" + text(lang::IDS_ERROR_PORT_UNMAPPED);
        } else {
            message += "\n\n" + device;
            if (!o.firstOpenErrorText.empty())
                message += ": " + o.firstOpenErrorText;
            switch (o.firstOpenError) {
            case OpenError::PermissionDenied: {
                std::string hint = text(lang::IDS_ERROR_PORT_GROUP);
                replaceAll(hint, "%s", owningGroup(device));
                message += "\n" + hint;
                break;
            }
            case OpenError::Busy:
                message += "\n" + text(lang::IDS_ERROR_PORT_BUSY);
                break;
            case OpenError::NoDevice:
                message += "\n" + text(lang::IDS_ERROR_PORT_MISSING);
                break;
            case OpenError::Other:
            case OpenError::None:
                break;
            }
        }
    } else if (!device.empty()) {
        std::string silent = text(lang::IDS_ERROR_PORT_SILENT);
        replaceAll(silent, "%s", device);
        message += "\n\n" + silent;
    }
    if (o.searched)
        message += "\n" + text(lang::IDS_ERROR_SEARCH_NONE);
    return message;
}

std::string partlyWrittenText(const TransferOutcome& o, const TextLookup& text) {
    std::string message = text(lang::IDS_WRITE_PARTIAL);
    replaceAll(message, "%d", std::to_string(o.blocksDone));
    return message;
}

std::string backupFailedText(const TransferOutcome& o, const TextLookup& text) {
    std::string message = text(lang::IDS_BACKUP_FAILED);
    replaceAll(message, "%s", o.backupFolder);
    return message + "\n" + o.backupError;
}

std::string stateMessage(const TransferOutcome& o, const TextLookup& text) {
    switch (o.state) {
    case TransferState::PortError:
        // With the wake-up answered, the port is right: the radio did not identify itself.
        return o.wokeUp ? text(lang::IDS_ERROR_IDENT_TIMEOUT) : portErrorText(o, text);
    case TransferState::TypeError:
        return text(lang::IDS_ERROR_IDENT_TIMEOUT);
    case TransferState::ReadFailed:
        return text(lang::IDS_PROMPT_READFAIL);
    case TransferState::WriteFailed:
        return text(lang::IDS_PROMPT_WRITEFAIL); // it already asks for the write to be repeated
    case TransferState::ConnectionLost:
        return o.partlyWritten()
                   ? text(lang::IDS_ERROR_LINK_LOST) + "\n" + partlyWrittenText(o, text)
                   : text(lang::IDS_ERROR_LINK_LOST);
    case TransferState::Busy:
    case TransferState::ReadProgress:
    case TransferState::ReadDone:
    case TransferState::WriteProgress:
    case TransferState::WriteDone:
    case TransferState::Searching:
        break;
    }
    return {};
}

} // namespace

std::string IdentText(const std::string& ident) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : ident) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            text += "\\x";
            text += Hex[byte >> 4];
            text += Hex[byte & 0x0F];
        }
    }
    return text;
}

std::string TransferMessage(const TransferOutcome& o, const TextLookup& text) {
    if (o.cancelled) {
        if (o.endedIn == TransferPhase::Verify)
            return text(lang::IDS_VERIFY_FAILED);
        return o.partlyWritten() ? partlyWrittenText(o, text) : std::string();
    }
    if (o.endedIn == TransferPhase::Backup) {
        const std::string why =
            o.state == TransferState::ReadDone ? backupFailedText(o, text) : stateMessage(o, text);
        return why + "\n" + text(lang::IDS_BACKUP_NOT_WRITTEN);
    }
    if (o.verify == VerifyResult::Mismatch)
        return text(lang::IDS_VERIFY_MISMATCH);
    if (o.verify == VerifyResult::NotVerified)
        return text(lang::IDS_VERIFY_FAILED);
    return stateMessage(o, text);
}

std::string BackupWarning(const TransferOutcome& o, const TextLookup& text) {
    if (o.backupError.empty() || o.endedIn == TransferPhase::Backup)
        return {};
    return backupFailedText(o, text);
}

std::string PhasePrompt(TransferPhase phase, bool isRead, const TextLookup& text) {
    switch (phase) {
    case TransferPhase::Backup:
        return text(lang::IDS_PROMPT_BACKUP);
    case TransferPhase::Verify:
        return text(lang::IDS_PROMPT_VERIFY);
    case TransferPhase::Transfer:
        break;
    }
    return text(isRead ? lang::IDS_PROMPT_READ : lang::IDS_PROMPT_WRITE);
}

} // namespace orvik
