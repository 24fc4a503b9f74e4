#include "core/link/TransferJob.h"

#include "core/link/PortNames.h"
#include "core/link/Protocol.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

namespace orvik {

using namespace protocol;

bool IsFinalState(TransferState state) {
    switch (state) {
    case TransferState::PortError:
    case TransferState::TypeError:
    case TransferState::ReadFailed:
    case TransferState::ReadDone:
    case TransferState::WriteFailed:
    case TransferState::WriteDone:
    case TransferState::ConnectionLost:
        return true;
    case TransferState::Busy:
    case TransferState::ReadProgress:
    case TransferState::WriteProgress:
    case TransferState::Searching:
        return false;
    }
    return false;
}

const char* TransferStateName(TransferState state) {
    switch (state) {
    case TransferState::Busy:
        return "Busy";
    case TransferState::PortError:
        return "PortError";
    case TransferState::TypeError:
        return "TypeError";
    case TransferState::ReadProgress:
        return "ReadProgress";
    case TransferState::ReadFailed:
        return "ReadFailed";
    case TransferState::ReadDone:
        return "ReadDone";
    case TransferState::WriteFailed:
        return "WriteFailed";
    case TransferState::WriteProgress:
        return "WriteProgress";
    case TransferState::WriteDone:
        return "WriteDone";
    case TransferState::Searching:
        return "Searching";
    case TransferState::ConnectionLost:
        return "ConnectionLost";
    }
    return "?";
}

void TransferJob::Reset(bool read, std::uint8_t* workingCopy) {
    isRead = read;
    image = workingCopy;
    state.store(TransferState::Busy, std::memory_order_release);
    progress.store(0, std::memory_order_relaxed);
    searchPort.store(0, std::memory_order_relaxed);
    blocksDone.store(0, std::memory_order_relaxed);
    firstDevicePath.clear();
    firstPortOpened = false;
    firstOpenError = OpenError::None;
    firstOpenErrorText.clear();
    searched = false;
    wokeUp = false;
    identified = false;
    ident.fill(0);
}

namespace {

bool cancelled(const TransferJob& job) {
    return job.stop.stop_requested();
}

void publish(TransferJob& job, TransferState state) {
    const bool final = IsFinalState(state);
    if (job.trace != nullptr && final)
        job.trace->Note(std::string("final state ") + TransferStateName(state));
    job.state.store(state, std::memory_order_release);
    if (!final && job.published)
        job.published(state);
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
        if (job.trace != nullptr)
            job.trace->Note("COM" + std::to_string(port) + " is " +
                            (job.firstDevicePath.empty() ? "no device" : job.firstDevicePath));
        opened = link.Open(port, BaudRate);
    }
    job.firstPortOpened = opened;
    if (!opened) {
        job.firstOpenError = link.lastError().open;
        job.firstOpenErrorText = link.lastError().openText;
        if (job.firstOpenError == OpenError::None)
            job.firstOpenError = OpenError::Other;
    }
}

enum class SearchResult { Found, NotFound, Cancelled };

// Candidates 1..255 in order, the configured port included; a candidate that opens gets the
// settle time and up to 10 wake-up attempts. A candidate whose line goes away is passed over.
SearchResult searchPorts(TransferJob& job, SerialLink& link, LinkClock& clock, int& found) {
    job.searched = true;
    for (int candidate = FirstPortNumber; candidate <= LastPortNumber; ++candidate) {
        link.Close();
        if (cancelled(job))
            return SearchResult::Cancelled;
        if (!link.Open(candidate, BaudRate))
            continue;
        if (job.trace != nullptr)
            job.trace->Note("search: COM" + std::to_string(candidate) + " is " +
                            PortDevicePath(job.iniPath, candidate));
        clock.Sleep(SettleMs);
        found = candidate;
        job.searchPort.store(candidate, std::memory_order_relaxed);
        publish(job, TransferState::Searching);
        switch (WakeUp(link, job.stop, job.trace)) {
        case WakeResult::Accepted:
            return SearchResult::Found;
        case WakeResult::Cancelled:
            return SearchResult::Cancelled;
        case WakeResult::NoAnswer:
        case WakeResult::Lost:
            break;
        }
    }
    found = 0;
    return SearchResult::NotFound;
}

// Publishes the end of the block exchange.
void finishBlocks(TransferJob& job, BlockResult result) {
    switch (result) {
    case BlockResult::Done:
        publish(job, job.isRead ? TransferState::ReadDone : TransferState::WriteDone);
        break;
    case BlockResult::Failed:
        publish(job, job.isRead ? TransferState::ReadFailed : TransferState::WriteFailed);
        break;
    case BlockResult::Lost:
        publish(job, TransferState::ConnectionLost);
        break;
    case BlockResult::Cancelled:
        break;
    }
}

} // namespace

void RunTransfer(TransferJob& job, SerialLink& link, LinkClock& clock) {
    const bool searchOn = searchEnabled(job);
    if (!link.IsOpen()) {
        openFirstPort(job, link);
    } else {
        job.firstPortOpened = true;
        if (job.trace != nullptr)
            job.trace->Note("port already open");
    }
    clock.Sleep(SettleMs);
    if (cancelled(job))
        return;

    int found = 0; // a port found by the search, saved once the radio identified itself
    switch (WakeUp(link, job.stop, job.trace)) {
    case WakeResult::Accepted:
        break;
    case WakeResult::Cancelled:
        return;
    case WakeResult::Lost:
        publish(job, TransferState::ConnectionLost);
        return;
    case WakeResult::NoAnswer:
        if (!searchOn) {
            publish(job, TransferState::PortError);
            return;
        }
        switch (searchPorts(job, link, clock, found)) {
        case SearchResult::Found:
            break;
        case SearchResult::Cancelled:
            return;
        case SearchResult::NotFound:
            publish(job, TransferState::PortError);
            return;
        }
        break;
    }
    job.wokeUp = true;
    if (cancelled(job))
        return;

    switch (Identify(link, job.trace, job.ident.data())) {
    case IdentResult::Identified:
        job.identified = true;
        break;
    case IdentResult::NoAnswer:
        publish(job, TransferState::PortError);
        return;
    case IdentResult::ShortAnswer:
        publish(job, TransferState::TypeError);
        return;
    case IdentResult::Lost:
        publish(job, TransferState::ConnectionLost);
        return;
    }

    if (found > 0)
        ini::WriteString(job.iniPath, keys::SetupSection, keys::ComKey, std::to_string(found));

    const TransferState progressState =
        job.isRead ? TransferState::ReadProgress : TransferState::WriteProgress;
    BlockObserver observer = [&job, progressState](int blocksDone) {
        job.blocksDone.store(blocksDone, std::memory_order_relaxed);
        job.progress.store(BlockPercent(blocksDone), std::memory_order_relaxed);
        publish(job, progressState);
    };
    if (job.isRead)
        finishBlocks(job, ReadBlocks(link, clock, job.image, observer, job.stop, job.trace));
    else
        finishBlocks(job, WriteBlocks(link, clock, job.image, observer, job.stop, job.trace));
}

} // namespace orvik
