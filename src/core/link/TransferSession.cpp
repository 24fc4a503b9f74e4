#include "core/link/TransferSession.h"

#include "core/lang/LangKeys.h"

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
    transferJob.Reset(request.isRead, workingCopy.data());
    transferJob.iniPath = request.iniPath;
    transferJob.portOverride = request.port;
    transferJob.deviceOverride = request.device;
    transferJob.searchOverride = request.search;
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
    last = TransferOutcome{};
    last.isRead = request.isRead;
    seenState = TransferState::Busy;
    seenValue = -1;
    active = true;
    worker = std::thread([this, jobLink = link, &clock] {
        // The protocol's pauses are minimums; a tight timer slack keeps them from growing.
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
        RunTransfer(transferJob, *jobLink, clock);
    });
}

void TransferSession::end(bool wasCancelled) {
    if (worker.joinable())
        worker.join();
    last.state = transferJob.state.load(std::memory_order_acquire);
    last.cancelled = wasCancelled && !IsFinalState(last.state);
    if (last.cancelled && transferJob.trace != nullptr)
        lineTrace.Note("cancelled");
    link->Close();
    active = false;
    last.isRead = transferJob.isRead;
    last.blocksDone = transferJob.blocksDone.load(std::memory_order_relaxed);
    last.searched = transferJob.searched;
    last.wokeUp = transferJob.wokeUp;
    last.ident = transferJob.identified
                     ? std::string(transferJob.ident.begin(), transferJob.ident.end())
                     : std::string();
    last.firstDevicePath = transferJob.firstDevicePath;
    last.firstPortOpened = transferJob.firstPortOpened;
    last.firstOpenError = transferJob.firstOpenError;
    last.firstOpenErrorText = transferJob.firstOpenErrorText;
}

bool TransferSession::poll(TransferObserver& observer) {
    if (!active)
        return false;
    const TransferState state = transferJob.state.load(std::memory_order_acquire);
    if (IsFinalState(state)) {
        end(false);
        if (state == TransferState::ReadDone || state == TransferState::WriteDone)
            observer.progress(100);
        observer.finished(last);
        return true;
    }
    const int value = state == TransferState::Searching
                          ? transferJob.searchPort.load(std::memory_order_relaxed)
                          : transferJob.progress.load(std::memory_order_relaxed);
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
    transferJob.cancel.store(1, std::memory_order_release);
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
    if (o.cancelled)
        return o.partlyWritten() ? partlyWrittenText(o, text) : std::string();
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

} // namespace orvik
