#include "core/link/FleetJob.h"

#include "core/link/CSerialPort.h"
#include "core/link/FleetReport.h"
#include "core/link/PortNames.h"
#include "core/link/Protocol.h"

#include <cstring>

namespace orvik {

namespace {

// Hot swap: the pace of the wake-up tries while a port waits for a radio or for its removal.
constexpr int ProbeIntervalMs = 1000;
// A radio counts as unplugged after this many tries in a row that it left unanswered.
constexpr int GoneAfterSilentProbes = 2;
// After a radio answered a try, the pause before the session's own wake-up, so that the radio
// has dropped the handshake the try began and takes the wake-up string afresh.
constexpr int AfterProbeMs = 500;

} // namespace

FleetResult FleetResultOf(const TransferOutcome& transfer) {
    if (transfer.cancelled)
        return FleetResult::Cancelled;
    if (transfer.endedIn == TransferPhase::Backup || transfer.state != TransferState::WriteDone)
        return FleetResult::Failed;
    switch (transfer.verify) {
    case VerifyResult::Verified:
        return FleetResult::WrittenVerified;
    case VerifyResult::NotRequested:
        return FleetResult::WrittenNotVerified;
    case VerifyResult::Mismatch:
    case VerifyResult::NotVerified:
        break;
    }
    return FleetResult::Failed;
}

FleetStep FleetFailedStep(const TransferOutcome& transfer) {
    if (FleetResultOf(transfer) != FleetResult::Failed)
        return FleetStep::None;
    if (transfer.endedIn == TransferPhase::Verify)
        return FleetStep::Verify;
    if (!transfer.wokeUp)
        return FleetStep::Connect;
    switch (transfer.state) {
    case TransferState::PortError:
    case TransferState::TypeError:
        return FleetStep::Identify;
    case TransferState::ConnectionLost:
        if (transfer.ident.empty())
            return FleetStep::Identify;
        break;
    default:
        break;
    }
    // The radio answered; the backup read (or storing its file), else the write, failed.
    return transfer.endedIn == TransferPhase::Backup ? FleetStep::Backup : FleetStep::Write;
}

struct FleetJob::Port {
    int index = 0;
    FleetTarget target;
    std::string device;
    std::atomic<FleetPhase> phase{FleetPhase::Starting};
    std::atomic<TransferPhase> step{TransferPhase::Transfer};
    std::atomic<int> percent{0};
    int written = 0; // guarded by FleetJob::mutex
    int failed = 0;  // guarded by FleetJob::mutex
};

FleetJob::FleetJob() = default;

FleetJob::~FleetJob() {
    cancel();
}

bool FleetJob::start(const FleetRequest& fleetRequest, const std::uint8_t* bytes,
                     FleetObserver* fleetObserver) {
    if (running() || fleetRequest.targets.empty())
        return false;
    request = fleetRequest;
    auto copy = std::make_shared<std::array<std::uint8_t, 4096>>();
    std::memcpy(copy->data(), bytes, copy->size());
    image = std::move(copy);
    observer = fleetObserver;
    {
        std::lock_guard lock(mutex);
        reachedTotal = false;
        writtenCount = 0;
        inFlight = 0;
        done.clear();
    }
    ports.clear();
    for (std::size_t i = 0; i < request.targets.size(); ++i) {
        auto port = std::make_unique<Port>();
        port->index = static_cast<int>(i);
        port->target = request.targets[i];
        port->device = port->target.device.empty()
                           ? PortDevicePath(request.iniPath, port->target.port)
                           : port->target.device;
        ports.push_back(std::move(port));
    }
    portsLeft.store(static_cast<int>(ports.size()));
    for (auto& port : ports)
        threads.emplace_back([this, p = port.get()](std::stop_token stop) { runPort(*p, stop); });
    return true;
}

bool FleetJob::wait(int ms) {
    if (!running())
        return true;
    {
        std::unique_lock lock(mutex);
        auto allDone = [this] { return portsLeft.load() == 0; };
        if (ms < 0)
            wake.wait(lock, allDone);
        else if (!wake.wait_for(lock, std::chrono::milliseconds(ms), allDone))
            return false;
    }
    joinAll();
    return true;
}

void FleetJob::cancel() {
    if (!running())
        return;
    // A pause of a port ends on its stop; a session sees it within one wait.
    for (auto& thread : threads)
        thread.request_stop();
    joinAll();
}

void FleetJob::joinAll() {
    for (auto& thread : threads)
        thread.join();
    threads.clear();
}

std::vector<FleetOutcome> FleetJob::outcomes() const {
    std::lock_guard lock(mutex);
    return done;
}

FleetPortStatus FleetJob::status(int target) const {
    FleetPortStatus s;
    if (target < 0 || target >= static_cast<int>(ports.size()))
        return s;
    const Port& port = *ports[static_cast<std::size_t>(target)];
    s.phase = port.phase.load();
    s.step = port.step.load();
    s.percent = port.percent.load();
    std::lock_guard lock(mutex);
    s.written = port.written;
    s.failed = port.failed;
    return s;
}

int FleetJob::written() const {
    std::lock_guard lock(mutex);
    return writtenCount;
}

// Under `mutex`: the port is stopped, or the job has reached its total.
bool FleetJob::stopping(const std::stop_token& stop) const {
    return stop.stop_requested() || reachedTotal;
}

// Sleeps `ms` milliseconds unless the port is stopped or the job has reached its total; false
// then.
bool FleetJob::pause(int ms, const std::stop_token& stop) {
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, stop, std::chrono::milliseconds(ms),
                          [this, &stop] { return stopping(stop); });
}

void FleetJob::setPhase(Port& port, FleetPhase phase) {
    port.phase.store(phase);
    if (observer != nullptr) {
        std::lock_guard lock(observerMutex);
        observer->phase(port.index, phase);
    }
}

void FleetJob::runPort(Port& port, const std::stop_token& stop) {
    CSerialPort link;
    link.SetSettingsFilePath(request.iniPath);
    TransferSession session;
    if (!request.hotSwap) {
        writeOne(port, link, session, stop);
    } else {
        while (waitForRadio(port, link, stop)) {
            writeOne(port, link, session, stop);
            if (!waitForUnplug(port, link, stop))
                break;
        }
    }
    link.Close();
    setPhase(port, FleetPhase::Done);
    int left = 0;
    {
        std::lock_guard lock(mutex);
        left = portsLeft.fetch_sub(1) - 1;
    }
    wake.notify_all();
    if (left == 0 && observer != nullptr) {
        std::lock_guard lock(observerMutex);
        observer->ended();
    }
}

bool FleetJob::openLink(const Port& port, SerialLink& link) const {
    if (link.IsOpen() && !link.lastError().lost)
        return true;
    link.Close();
    return port.target.device.empty() ? link.Open(port.target.port, protocol::BaudRate)
                                      : link.OpenDevice(port.target.device, protocol::BaudRate);
}

// Tries the wake-up about once a second until a radio answers and the total leaves room for
// it (then the radio is counted as in flight). False when the job stops first.
bool FleetJob::waitForRadio(Port& port, SerialLink& link, const std::stop_token& stop) {
    setPhase(port, FleetPhase::WaitingForRadio);
    for (bool first = true;; first = false) {
        if (!first && !pause(ProbeIntervalMs, stop))
            return false;
        {
            std::lock_guard lock(mutex);
            if (stopping(stop))
                return false;
            if (request.total > 0 && writtenCount + inFlight >= request.total)
                continue; // the others may yet fail and give the room back
        }
        if (!openLink(port, link) || protocol::WakeUpOnce(link) != protocol::WakeResult::Accepted)
            continue;
        {
            std::lock_guard lock(mutex);
            if (stopping(stop))
                return false;
            if (request.total > 0 && writtenCount + inFlight >= request.total)
                continue;
            ++inFlight;
        }
        if (pause(AfterProbeMs, stop))
            return true;
        std::lock_guard lock(mutex);
        --inFlight;
        return false;
    }
}

// Tries the wake-up about once a second until the radio has left it unanswered twice in a row.
// False when the job stops first.
bool FleetJob::waitForUnplug(Port& port, SerialLink& link, const std::stop_token& stop) {
    setPhase(port, FleetPhase::WaitingForUnplug);
    int silent = 0;
    while (silent < GoneAfterSilentProbes) {
        if (!pause(ProbeIntervalMs, stop))
            return false;
        const bool answered =
            openLink(port, link) && protocol::WakeUpOnce(link) == protocol::WakeResult::Accepted;
        silent = answered ? 0 : silent + 1;
    }
    return true;
}

// Writes the radio on the port with one session, on this thread, and records the outcome;
// true when written.
bool FleetJob::writeOne(Port& port, SerialLink& link, TransferSession& session,
                        const std::stop_token& stop) {
    setPhase(port, FleetPhase::Writing);
    port.percent.store(0);
    FleetOutcome outcome;
    outcome.target = port.index;
    outcome.port = port.target.port;
    outcome.device = port.device;
    outcome.started = std::chrono::system_clock::now();
    const auto began = std::chrono::steady_clock::now();

    TransferChoices choices;
    choices.isRead = false;
    choices.iniPath = request.iniPath;
    choices.port = port.target.device.empty() ? port.target.port : 0;
    choices.device = port.target.device;
    choices.search = 0; // a search would reach into the other ports' radios
    choices.trace = request.trace;
    choices.verify = request.verify;
    choices.backup = request.backup;
    choices.backupFirst = request.backup && request.backup->beforeWrite;
    const TransferRequest transfer = MakeTransferRequest(choices);
    port.step.store(TransferSession::FirstPhase(transfer));

    // The session's events, on this thread, go to the port's status and the job's observer.
    struct Forward final : TransferObserver {
        Forward(FleetJob& j, Port& p) : job(j), port(p) {}
        void progress(int percent) override {
            port.percent.store(percent);
            if (job.observer != nullptr) {
                std::lock_guard lock(job.observerMutex);
                job.observer->progress(port.index, percent);
            }
        }
        void phaseStarted(TransferPhase phase) override {
            port.percent.store(0);
            port.step.store(phase);
        }
        void finished(const TransferOutcome&) override {}
        FleetJob& job;
        Port& port;
    } forward(*this, port);
    outcome.transfer = session.run(transfer, image->data(), link, forward, stop);
    outcome.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    record(port, outcome, session);
    return FleetSucceeded(outcome);
}

// Completes a radio's outcome from its session, counts it and tells the observer.
void FleetJob::record(Port& port, FleetOutcome& outcome, const TransferSession& session) {
    outcome.ident = IdentText(outcome.transfer.ident);
    outcome.result = FleetResultOf(outcome.transfer);
    outcome.failedStep = FleetFailedStep(outcome.transfer);
    outcome.backupFile = outcome.transfer.backupPath;
    if (outcome.transfer.verify == VerifyResult::Mismatch) {
        const auto& back = session.radioImage();
        outcome.differences = MismatchOffsets(image->data(), back.data());
        outcome.readBack.assign(back.begin(), back.end());
    }
    const bool wasWritten = FleetSucceeded(outcome);
    {
        std::lock_guard lock(mutex);
        if (request.hotSwap)
            --inFlight;
        if (wasWritten) {
            ++writtenCount;
            ++port.written;
            if (request.total > 0 && writtenCount >= request.total)
                reachedTotal = true;
        } else if (outcome.result == FleetResult::Failed) {
            ++port.failed;
        }
        outcome.number = static_cast<int>(done.size()) + 1;
        done.push_back(outcome);
    }
    wake.notify_all();
    if (observer != nullptr) {
        std::lock_guard lock(observerMutex);
        observer->finished(outcome);
    }
}

} // namespace orvik
