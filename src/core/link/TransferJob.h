#pragma once
// One radio read or write as the worker thread runs it. The job block is shared by the
// starter (TransferSession) and the worker: the starter fills it before the worker starts and
// afterwards only requests a stop through the source of `stop`; the worker writes `state`
// (release stores), `progress`, `searchPort` and `blocksDone`, and tells `published` of each
// state on its way. A reader that sees a final state with an acquire load, or that has joined
// the worker, also sees every byte the worker stored into `image` and the report fields at the
// end of the block.

#include "core/link/ByteLink.h"
#include "core/link/LineTrace.h"
#include "core/link/LinkClock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

namespace orvik {

enum class TransferState : int {
    Busy = 0,           // set by the starter: connecting and identifying
    PortError = 1,      // no radio answered the wake-up, or the identification brought nothing
    TypeError = 2,      // the identification was shorter than 8 bytes
    ReadProgress = 4,   // a read block was stored; progress = percentage
    ReadFailed = 5,     // a read block failed three times
    ReadDone = 6,       // all 124 blocks read
    WriteFailed = 7,    // a write block failed three times
    WriteProgress = 8,  // a write block was acknowledged; progress = percentage
    WriteDone = 9,      // all 124 blocks written and the final pause over
    Searching = 11,     // the port search opened another port; searchPort = its number
    ConnectionLost = 12 // the line went away during the job (cable pulled)
};

// True for the states after which the worker publishes nothing more.
bool IsFinalState(TransferState state);
// The state's name in the code ("ReadDone"), for traces.
const char* TransferStateName(TransferState state);

struct TransferJob {
    std::string iniPath; // setting.ini: [setup] com and searchcom, [ports]
    bool isRead = true;
    std::atomic<TransferState> state{TransferState::Busy};
    std::uint8_t* image = nullptr;  // 4096 bytes; read: 0x000..0x3DF written, write: read
    std::atomic<int> progress{0};   // percentage of the blocks done
    std::atomic<int> searchPort{0}; // the port the search opened last; 0 before the search
    std::atomic<int> blocksDone{0}; // blocks stored, or written blocks the radio acknowledged
    // The job's cancel: once a stop is requested, the worker ends without a final state.
    std::stop_token stop;
    // Called on the worker after each state it publishes that is not final (Searching,
    // ReadProgress, WriteProgress), so that a session can push it to its observer.
    std::function<void(TransferState)> published;
    // Milestones go here when set (the link is then a TracingLink on the same trace). Only the
    // worker records into it while the job runs.
    LineTrace* trace = nullptr;

    // Overrides for the command line; the defaults give the behaviour of the window program.
    int portOverride = 0;       // > 0: open this port number instead of [setup] com
    std::string deviceOverride; // non-empty: open this device path and never search
    int searchOverride = -1;    // 0 or 1: search flag instead of [setup] searchcom

    // Written by the worker before it ends. The first port the job tried to open: its device
    // path ("" when the number has none), whether it opened, and if not, why.
    std::string firstDevicePath;
    bool firstPortOpened = false;
    OpenError firstOpenError = OpenError::None;
    std::string firstOpenErrorText;
    bool searched = false;   // the port search ran
    bool wokeUp = false;     // a radio accepted the wake-up
    bool identified = false; // the radio sent its 8 identification bytes, kept in ident
    std::array<std::uint8_t, 8> ident{};

    // Prepares the block for a new job; `stop`, `published`, `trace` and the overrides are kept.
    void Reset(bool read, std::uint8_t* workingCopy);
};

// The worker: search flag, open (when the link is closed), settle, wake-up (with the port
// search when it fails and the search is on), identification, saving of a port found by the
// search, then the 124 blocks. Publishes nothing after a final state; returns without a final
// state when it sees a stop requested, which it looks at after every block, before resending a
// block, between wake-up attempts and between search candidates.
void RunTransfer(TransferJob& job, SerialLink& link, LinkClock& clock);

} // namespace orvik
