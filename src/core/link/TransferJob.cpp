#include "core/link/TransferJob.h"

#include "core/link/PortNames.h"
#include "core/link/Protocol.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <sys/prctl.h>

namespace orvik {

using namespace protocol;

bool IsFinalState(int state) {
    switch (state) {
    case PortError:
    case TypeError:
    case ReadFailed:
    case ReadDone:
    case WriteFailed:
    case WriteDone:
        return true;
    default:
        return false;
    }
}

void TransferJob::Reset(bool read, std::uint8_t* workingCopy) {
    isRead = read;
    image = workingCopy;
    state.store(Busy, std::memory_order_release);
    progress.store(0, std::memory_order_relaxed);
    cancel.store(0, std::memory_order_release);
    foundPort.store(-1, std::memory_order_relaxed);
    firstDevicePath.clear();
    firstPortOpened = false;
    firstOpenError = CSerialPort::OpenError::None;
    firstOpenErrorText.clear();
}

namespace {

bool cancelled(const TransferJob& job) {
    return job.cancel.load(std::memory_order_acquire) != 0;
}

void publish(TransferJob& job, int state) {
    job.state.store(state, std::memory_order_release);
}

// The search flag: on unless the "searchcom" text begins with "0".
bool searchEnabled(const TransferJob& job) {
    if (!job.deviceOverride.empty())
        return false;
    if (job.searchOverride >= 0)
        return job.searchOverride != 0;
    const std::string value =
        ini::GetString(job.iniPath, keys::SetupSection, keys::SearchComKey, "1", 8);
    return value.empty() || value[0] != '0';
}

void openFirstPort(TransferJob& job, SerialLink& link) {
    bool opened = false;
    if (!job.deviceOverride.empty()) {
        job.firstDevicePath = job.deviceOverride;
        opened = link.OpenDevice(job.deviceOverride, BaudRate);
    } else {
        const int port = job.portOverride > 0
                             ? job.portOverride
                             : ini::GetInt(job.iniPath, keys::SetupSection, keys::ComKey, 1);
        job.firstDevicePath = PortDevicePath(job.iniPath, port);
        opened = link.Open(port, BaudRate);
    }
    job.firstPortOpened = opened;
    if (!opened) {
        if (auto* serial = dynamic_cast<CSerialPort*>(&link)) {
            job.firstOpenError = serial->LastOpenError();
            job.firstOpenErrorText = serial->LastOpenErrorText();
        } else {
            job.firstOpenError = CSerialPort::OpenError::Other;
        }
    }
}

enum class SearchResult { Found, NotFound, Cancelled };

// Candidates 1..255 in order, the configured port included; a candidate that opens gets the
// settle time and up to 10 wake-up attempts.
SearchResult searchPorts(TransferJob& job, SerialLink& link, LinkClock& clock) {
    for (int candidate = FirstPortNumber; candidate <= LastPortNumber; ++candidate) {
        link.Close();
        if (cancelled(job))
            return SearchResult::Cancelled;
        if (!link.Open(candidate, BaudRate))
            continue;
        clock.Sleep(SettleMs);
        job.foundPort.store(candidate, std::memory_order_relaxed);
        job.progress.store(candidate, std::memory_order_relaxed);
        publish(job, Searching);
        switch (WakeUp(link, &job.cancel)) {
        case WakeResult::Accepted:
            return SearchResult::Found;
        case WakeResult::Cancelled:
            return SearchResult::Cancelled;
        case WakeResult::NoAnswer:
            break;
        }
    }
    return SearchResult::NotFound;
}

} // namespace

int RunTransfer(TransferJob& job, SerialLink& link, LinkClock& clock) {
    const bool searchOn = searchEnabled(job);
    if (!link.IsOpen()) {
        openFirstPort(job, link);
    } else {
        job.firstPortOpened = true;
    }
    clock.Sleep(SettleMs);
    if (cancelled(job))
        return 0;

    switch (WakeUp(link, &job.cancel)) {
    case WakeResult::Accepted:
        break;
    case WakeResult::Cancelled:
        return 0;
    case WakeResult::NoAnswer:
        if (!searchOn) {
            publish(job, PortError);
            return 0;
        }
        switch (searchPorts(job, link, clock)) {
        case SearchResult::Found:
            break;
        case SearchResult::Cancelled:
            return 0;
        case SearchResult::NotFound:
            publish(job, PortError);
            return 0;
        }
        break;
    }
    if (cancelled(job))
        return 0;

    switch (Identify(link)) {
    case IdentResult::Identified:
        break;
    case IdentResult::NoAnswer:
        publish(job, PortError);
        return 0;
    case IdentResult::ShortAnswer:
        publish(job, TypeError);
        return 0;
    }

    const int found = job.foundPort.load(std::memory_order_relaxed);
    if (found > 0) {
        ini::WriteString(job.iniPath, keys::SetupSection, keys::ComKey, std::to_string(found));
        job.foundPort.store(-1, std::memory_order_relaxed);
    }

    const int progressState = job.isRead ? ReadProgress : WriteProgress;
    BlockObserver observer = [&job, progressState](int blocksDone) {
        job.progress.store(BlockPercent(blocksDone), std::memory_order_relaxed);
        publish(job, progressState);
    };
    if (job.isRead) {
        switch (ReadBlocks(link, clock, job.image, observer, &job.cancel)) {
        case BlockResult::Done:
            publish(job, ReadDone);
            break;
        case BlockResult::Failed:
            publish(job, ReadFailed);
            break;
        case BlockResult::Cancelled:
            break;
        }
    } else {
        switch (WriteBlocks(link, clock, job.image, observer, &job.cancel)) {
        case BlockResult::Done:
            publish(job, WriteDone);
            break;
        case BlockResult::Failed:
            publish(job, WriteFailed);
            break;
        case BlockResult::Cancelled:
            break;
        }
    }
    return 0;
}

int TransferThreadProc(TransferJob* job) {
    if (job == nullptr || job->port == nullptr)
        return 0;
    job->port->SetSettingsFilePath(job->iniPath);
    // The protocol's pauses are minimums; a tight timer slack keeps them from growing.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
    return RunTransfer(*job, *job->port, SystemClock::Instance());
}

void TransferWorker::start(TransferJob& newJob) {
    join();
    job = &newJob;
    finished.store(false, std::memory_order_release);
    thread = std::thread([this, j = &newJob] {
        TransferThreadProc(j);
        finished.store(true, std::memory_order_release);
    });
}

void TransferWorker::start(TransferJob& newJob, SerialLink& link, LinkClock& clock) {
    join();
    job = &newJob;
    finished.store(false, std::memory_order_release);
    thread = std::thread([this, j = &newJob, &link, &clock] {
        RunTransfer(*j, link, clock);
        finished.store(true, std::memory_order_release);
    });
}

void TransferWorker::cancelAndJoin() {
    if (job != nullptr && thread.joinable())
        job->cancel.store(1, std::memory_order_release);
    join();
}

void TransferWorker::join() {
    if (thread.joinable())
        thread.join();
}

bool TransferWorker::running() const {
    return thread.joinable() && !finished.load(std::memory_order_acquire);
}

} // namespace orvik
