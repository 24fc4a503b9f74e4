#pragma once
// A radio read or write run on a worker thread. The job block is shared by the thread that
// starts the job (the transfer dialog or orvik-cli) and the worker: the starter fills it before
// the worker starts and afterwards writes only `cancel`; the worker writes `state` (release
// stores), `progress` and `foundPort`. A reader that sees a final state with an acquire load
// also sees every byte the worker stored into `image` and the port-attempt fields.

#include "core/link/ByteLink.h"
#include "core/link/CSerialPort.h"
#include "core/link/LinkClock.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace orvik {

enum JobState {
    Busy = 0,          // set by the starter: connecting and identifying
    PortError = 1,     // no radio answered the wake-up, or the identification brought nothing
    TypeError = 2,     // the identification was shorter than 8 bytes
    ReadProgress = 4,  // a read block was stored; progress = percentage
    ReadFailed = 5,    // a read block failed three times
    ReadDone = 6,      // all 124 blocks read
    WriteFailed = 7,   // a write block failed three times
    WriteProgress = 8, // a write block was acknowledged; progress = percentage
    WriteDone = 9,     // all 124 blocks written and the final pause over
    Searching = 11,    // the port search opened another port; progress = its number
};

// True for the states after which the worker publishes nothing more.
bool IsFinalState(int state);

struct TransferJob {
    CSerialPort* port = nullptr;
    std::string iniPath; // setting.ini: [setup] com and searchcom, [ports]
    bool isRead = true;
    std::atomic<int> state{Busy};
    std::uint8_t* image = nullptr; // 4096 bytes; read: 0x000..0x3DF written, write: read
    std::atomic<int> progress{0};
    std::atomic<int> cancel{0};
    std::atomic<int> foundPort{-1};

    // Overrides for the command line; the defaults give the behaviour of the window program.
    int portOverride = 0;       // > 0: open this port number instead of [setup] com
    std::string deviceOverride; // non-empty: open this device path and never search
    int searchOverride = -1;    // 0 or 1: search flag instead of [setup] searchcom

    // Written by the worker before its final state; read only after seeing a final state.
    // The first port the job tried to open: its device path ("" when the number has none),
    // whether it opened, and if not, why.
    std::string firstDevicePath;
    bool firstPortOpened = false;
    CSerialPort::OpenError firstOpenError = CSerialPort::OpenError::None;
    std::string firstOpenErrorText;

    // Prepares the block for a new job, as the starter does before starting a worker.
    void Reset(bool read, std::uint8_t* workingCopy);
};

// The worker: search flag, open, settle, wake-up (with the port search when it fails and the
// search is on), identification, saving of a port found by the search, then the 124 blocks.
// Returns 0. Publishes nothing after a final state; returns without a final state when it
// sees `cancel`, which it looks at after every block, before resending a block, between
// wake-up attempts and between search candidates.
int TransferThreadProc(TransferJob* job);

// The same over any link and clock (TransferThreadProc runs it on *job->port and the system
// clock).
int RunTransfer(TransferJob& job, SerialLink& link, LinkClock& clock);

// Owns the worker thread of one job at a time, and always joins it.
class TransferWorker {
public:
    TransferWorker() = default;
    ~TransferWorker() { join(); }
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Starts TransferThreadProc on the job (joining a finished earlier worker first).
    void start(TransferJob& job);
    // Starts RunTransfer on the given link and clock, which must outlive the worker.
    void start(TransferJob& job, SerialLink& link, LinkClock& clock);
    // Sets the job's cancel flag and waits for the worker's end (within about 0.6 s).
    void cancelAndJoin();
    // Waits for the worker's end; nothing when none runs.
    void join();
    // True from start until the worker has returned.
    bool running() const;

private:
    std::thread thread;
    TransferJob* job = nullptr;
    std::atomic<bool> finished{true};
};

} // namespace orvik
