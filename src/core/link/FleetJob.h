#pragma once
// One image written to several radios at once. Each port gets a worker thread of its own (a
// std::jthread, always joined) that runs the port's TransferSession on the port's own serial
// link, radio after radio; the threads share nothing but a read-only copy of the image and the
// job's tallies. cancel() requests every worker to stop, which each honours within one wait of
// the protocol (about 0.6 s for the whole job).
//
// Hot-swap mode keeps each port working radio after radio: it tries the wake-up about once a
// second until a radio answers, writes it, then waits until that radio stops answering
// (unplugged) before it accepts the next one, so a radio is never written twice in a row; the
// same after a failure, so a radio that failed is tried again only once it has been put back.
// A radio counts as unplugged when two tries in a row go unanswered. The job ends when
// cancelled or when the given number of radios has been written on all ports together; a port
// never starts a radio that could take the total past that number.

#include "core/link/TransferSession.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace orvik {

// A port of the job: a port number (its device as PortNames.h maps it), or a device path.
struct FleetTarget {
    int port = 0;
    std::string device; // non-empty: this device, whatever `port` says
};

struct FleetRequest {
    std::string iniPath; // setting.ini: [ports] for the port numbers
    std::vector<FleetTarget> targets;
    bool hotSwap = false;
    int total = 0;      // hot swap: end after this many radios written in all; 0: until cancelled
    bool trace = false; // keep each session's line trace (TransferSession::trace)
    bool verify = true; // read each radio back after its write and compare, as a single write
    // Set with beforeWrite: each radio is read and stored here before it is written (the
    // session's own backup step); a radio whose backup fails is not written.
    std::optional<BackupSettings> backup;
};

enum class FleetResult {
    WrittenVerified,    // written, and the read-back matched
    WrittenNotVerified, // written; no read-back was made
    Failed,             // see FleetOutcome::failedStep
    Cancelled,
};

// Where a radio that failed stopped.
enum class FleetStep {
    None,
    Connect,  // the port did not open, or no radio answered the wake-up
    Identify, // the radio answered the wake-up but did not identify itself
    Write,    // a block was refused, or the line went away while writing
    Verify,   // the read-back failed or differed
    Backup,   // the radio could not be read for a backup before writing
};

// What became of one radio.
struct FleetOutcome {
    int target = 0; // index into FleetRequest::targets
    int port = 0;
    std::string device;
    std::string ident; // IdentText of the identification; empty when none came
    FleetResult result = FleetResult::Failed;
    FleetStep failedStep = FleetStep::None;
    TransferOutcome transfer; // the session's outcome; TransferMessage tells the user why
    std::vector<std::uint16_t> differences; // image offsets the read-back found different
    // On a read-back that differed: the 4096 bytes the radio returned (else empty), for a front
    // end that names the differing fields.
    std::vector<std::uint8_t> readBack;
    std::string backupFile; // the backup made before writing, if any
    std::chrono::system_clock::time_point started;
    std::chrono::milliseconds duration{0};
    int number = 0; // 1, 2, ...: the order in which radios finished across the job
};

// Result and step of a session's outcome. A read-back that differed or did not complete is a
// failure at Verify, as for a single write.
FleetResult FleetResultOf(const TransferOutcome& transfer);
FleetStep FleetFailedStep(const TransferOutcome& transfer);

enum class FleetPhase {
    Starting,         // the port thread has not yet begun
    WaitingForRadio,  // hot swap: trying the wake-up about once a second
    Writing,          // a session runs
    WaitingForUnplug, // hot swap: the radio just handled still answers
    Done,
};

// What a port is doing, for a front end to show when it hears of a change.
struct FleetPortStatus {
    FleetPhase phase = FleetPhase::Starting;
    TransferPhase step = TransferPhase::Transfer; // Writing: the session's step
    int percent = 0;                              // of the radio being written, in that step
    int written = 0;                              // radios written on this port
    int failed = 0;                               // radios that failed on this port
};

// Hears of each port. Calls come from the port threads, never from the thread that started the
// job; the job serialises them, so two calls never overlap. They must return quickly and must
// not call into the FleetJob.
class FleetObserver {
public:
    virtual ~FleetObserver() = default;
    virtual void phase(int target, FleetPhase phase) {
        (void)target;
        (void)phase;
    }
    // Blocks written of the current radio, 0..100.
    virtual void progress(int target, int percent) {
        (void)target;
        (void)percent;
    }
    // A radio is done (also when failed or cancelled).
    virtual void finished(const FleetOutcome& outcome) = 0;
    // Every port is done with its link, also when cancelled: the last call of the job, after
    // which wait() joins the threads at once.
    virtual void ended() {}
};

class FleetJob {
public:
    FleetJob();
    ~FleetJob(); // cancels a running job
    FleetJob(const FleetJob&) = delete;
    FleetJob& operator=(const FleetJob&) = delete;

    // Starts a thread per target with a copy of `image` (4096 bytes). The observer (may be
    // null) must outlive the job. False, and nothing started, when a job runs or there is no
    // target.
    bool start(const FleetRequest& request, const std::uint8_t* image,
               FleetObserver* observer = nullptr);

    // Waits up to `ms` milliseconds (forever when negative) for every port to finish; true,
    // with every thread joined, once they have.
    bool wait(int ms = -1);

    // Stops every port (each session within one wait), joins every thread, closes every link.
    // The observer has heard of every radio and of the end when it returns.
    void cancel();

    // True from start() until wait() or cancel() has joined the threads.
    bool running() const { return !threads.empty(); }
    // Every radio done so far, in the order they finished.
    std::vector<FleetOutcome> outcomes() const;
    FleetPortStatus status(int target) const;
    // Radios written in all.
    int written() const;

private:
    struct Port;

    void runPort(Port& port, const std::stop_token& stop);
    bool writeOne(Port& port, SerialLink& link, TransferSession& session,
                  const std::stop_token& stop);
    void record(Port& port, FleetOutcome& outcome, const TransferSession& session);
    bool waitForRadio(Port& port, SerialLink& link, const std::stop_token& stop);
    bool waitForUnplug(Port& port, SerialLink& link, const std::stop_token& stop);
    bool openLink(const Port& port, SerialLink& link) const;
    bool pause(int ms, const std::stop_token& stop);
    bool stopping(const std::stop_token& stop) const;
    void setPhase(Port& port, FleetPhase phase);
    void joinAll();

    FleetRequest request;
    std::shared_ptr<const std::array<std::uint8_t, 4096>> image;
    FleetObserver* observer = nullptr;
    std::vector<std::unique_ptr<Port>> ports;
    std::vector<std::jthread> threads;
    std::atomic<int> portsLeft{0};

    mutable std::mutex mutex; // guards what follows; `wake` also ends the ports' pauses on a stop
    std::condition_variable_any wake;
    bool reachedTotal = false;
    int writtenCount = 0;
    int inFlight = 0; // hot swap: radios being written, counted against the total
    std::vector<FleetOutcome> done;

    std::mutex observerMutex; // one observer call at a time
};

} // namespace orvik
