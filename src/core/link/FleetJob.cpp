#include "core/link/FleetJob.h"

#include "core/link/CSerialPort.h"
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
// How often a port thread looks at its running session.
constexpr int PollMs = 20;

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
        cancelled = false;
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
        threads.emplace_back([this, p = port.get()] { runPort(*p); });
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
    {
        std::lock_guard lock(mutex);
        cancelled = true;
    }
    wake.notify_all();
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

bool FleetJob::stopping() const {
    return cancelled || reachedTotal;
}

// Sleeps `ms` milliseconds unless the job is cancelled or has reached its total; false then.
bool FleetJob::pause(int ms) {
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping(); });
}

void FleetJob::setPhase(Port& port, FleetPhase phase) {
    port.phase.store(phase);
    if (observer != nullptr) {
        std::lock_guard lock(observerMutex);
        observer->phase(port.index, phase);
    }
}

void FleetJob::runPort(Port& port) {
    CSerialPort link;
    link.SetSettingsFilePath(request.iniPath);
    TransferSession session;
    if (!request.hotSwap) {
        writeOne(port, link, session);
    } else {
        while (waitForRadio(port, link)) {
            writeOne(port, link, session);
            if (!waitForUnplug(port, link))
                break;
        }
    }
    link.Close();
    setPhase(port, FleetPhase::Done);
    {
        std::lock_guard lock(mutex);
        portsLeft.fetch_sub(1);
    }
    wake.notify_all();
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
bool FleetJob::waitForRadio(Port& port, SerialLink& link) {
    setPhase(port, FleetPhase::WaitingForRadio);
    for (bool first = true;; first = false) {
        if (!first && !pause(ProbeIntervalMs))
            return false;
        {
            std::lock_guard lock(mutex);
            if (stopping())
                return false;
            if (request.total > 0 && writtenCount + inFlight >= request.total)
                continue; // the others may yet fail and give the room back
        }
        if (!openLink(port, link) || protocol::WakeUpOnce(link) != protocol::WakeResult::Accepted)
            continue;
        {
            std::lock_guard lock(mutex);
            if (stopping())
                return false;
            if (request.total > 0 && writtenCount + inFlight >= request.total)
                continue;
            ++inFlight;
        }
        if (pause(AfterProbeMs))
            return true;
        std::lock_guard lock(mutex);
        --inFlight;
        return false;
    }
}

// Tries the wake-up about once a second until the radio has left it unanswered twice in a row.
// False when the job stops first.
bool FleetJob::waitForUnplug(Port& port, SerialLink& link) {
    setPhase(port, FleetPhase::WaitingForUnplug);
    int silent = 0;
    while (silent < GoneAfterSilentProbes) {
        if (!pause(ProbeIntervalMs))
            return false;
        const bool answered =
            openLink(port, link) && protocol::WakeUpOnce(link) == protocol::WakeResult::Accepted;
        silent = answered ? 0 : silent + 1;
    }
    return true;
}

// Writes the radio on the port with one session and records the outcome; true when written.
bool FleetJob::writeOne(Port& port, SerialLink& link, TransferSession& session) {
    setPhase(port, FleetPhase::Writing);
    port.percent.store(0);
    port.step.store(request.backup && request.backup->beforeWrite ? TransferPhase::Backup
                                                                  : TransferPhase::Transfer);
    FleetOutcome outcome;
    outcome.target = port.index;
    outcome.port = port.target.port;
    outcome.device = port.device;
    outcome.started = std::chrono::system_clock::now();
    const auto began = std::chrono::steady_clock::now();

    TransferRequest transfer;
    transfer.isRead = false;
    transfer.iniPath = request.iniPath;
    transfer.port = port.target.device.empty() ? port.target.port : 0;
    transfer.device = port.target.device;
    transfer.search = 0; // a search would reach into the other ports' radios
    transfer.trace = request.trace;
    transfer.verify = request.verify;
    transfer.backup = request.backup;
    session.start(transfer, image->data(), link);

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
    while (!session.poll(forward)) {
        std::unique_lock lock(mutex);
        if (wake.wait_for(lock, std::chrono::milliseconds(PollMs), [this] { return cancelled; })) {
            lock.unlock();
            session.cancel();
            break;
        }
    }

    outcome.transfer = session.outcome();
    outcome.ident = IdentText(outcome.transfer.ident);
    outcome.result = FleetResultOf(outcome.transfer);
    outcome.failedStep = FleetFailedStep(outcome.transfer);
    outcome.backupFile = outcome.transfer.backupPath;
    if (outcome.transfer.verify == VerifyResult::Mismatch) {
        const auto& sent = *image;
        const auto& back = session.radioImage();
        for (std::size_t i = 0; i < protocol::TransferredBytes; ++i)
            if (sent[i] != back[i])
                outcome.differences.push_back(static_cast<std::uint16_t>(i));
        outcome.readBack.assign(back.begin(), back.end());
    }
    outcome.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    const bool wasWritten = outcome.result == FleetResult::WrittenVerified ||
                            outcome.result == FleetResult::WrittenNotVerified;
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
    return wasWritten;
}

} // namespace orvik
