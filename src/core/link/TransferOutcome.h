#pragma once
// How a transfer job ended, and what every front end (the transfer dialog, orvik-cli, the
// several-radio job and its window) says about it: one text per outcome, one report of a
// read-back that differed, one rule for when to point to the connection check.

#include "core/link/ByteLink.h"
#include "core/link/TransferJob.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

class LangCatalog;

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
    bool cancelled = false; // stopped (cancel() or a requested stop) before its last step ended
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

// The identification bytes as text: printable ASCII as it is, other bytes as \xNN.
std::string IdentText(const std::string& ident);

// Looks up a text of the language file by key.
using TextLookup = std::function<std::string(std::string_view key)>;

// What to tell the user about an outcome: the reason a port could not be reached (device,
// why, and for a refused device the group that owns it), a lost line, an identification that
// did not come, a failed block, a write stopped part-way. Empty for a completed job and for a
// cancelled one that changed nothing in the radio. A read-back that differed says the
// differences are listed below only when `differencesListed` (the caller lists them).
std::string TransferMessage(const TransferOutcome& outcome, const TextLookup& text,
                            bool differencesListed = false);

// A backup of a read that could not be stored: the folder and the reason; empty otherwise.
std::string BackupWarning(const TransferOutcome& outcome, const TextLookup& text);

// The progress line's prompt for a step: the backup read, the read or write, the read-back.
std::string PhasePrompt(TransferPhase phase, bool isRead, const TextLookup& text);

// No radio answered the wake-up on the port: the connection check is what names the cause
// (the dialog offers it, the command line points to it).
bool NeedsConnectionCheck(const TransferOutcome& outcome);

// The image offsets below 0x3E0 at which a read-back (`radio`) differs from what was written;
// both images are 4096 bytes.
std::vector<std::uint16_t> MismatchOffsets(const std::uint8_t* written, const std::uint8_t* radio);

// An offset as the reports and the several-radio window name it: "0x040".
std::string OffsetText(std::uint16_t offset);

// The report of a read-back that differs from what was written: a line per differing field
// ("CH3 RX Freq (MHz): 146.52000 -> ..."), in the language of `catalog`, band names from
// `iniPath`. With `listed` > 0 at most that many fields, then a line that counts them all.
std::vector<std::string> MismatchLines(const std::uint8_t* written, const std::uint8_t* radio,
                                       LangCatalog& catalog, const std::string& iniPath,
                                       std::size_t listed = 0);

// The places of those fields alone ("CH2 RX Freq", "Squelch Level"); a byte no field covers by
// its offset ("byte 0x3A1").
std::vector<std::string> MismatchPlaces(const std::uint8_t* written, const std::uint8_t* radio,
                                        LangCatalog& catalog, const std::string& iniPath);

} // namespace orvik
