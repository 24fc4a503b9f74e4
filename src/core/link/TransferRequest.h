#pragma once
// What a transfer job is asked to do, and the one place that builds it from what a front end
// knows (the transfer dialog, orvik-cli read and write, each radio of the several-radio job).

#include "core/model/Backup.h"

#include <optional>
#include <string>

namespace orvik {

struct TransferRequest {
    bool isRead = true;
    std::string iniPath; // setting.ini: [setup] com and searchcom, [ports]
    int port = 0;        // > 0: open this port number instead of [setup] com
    std::string device;  // non-empty: open this device path and never search
    int search = -1;     // 0 or 1: search flag instead of [setup] searchcom
    bool trace = true;   // record the line into trace(); off only to measure what it costs
    // A write is followed by a read of the radio and a compare of the bytes it sent.
    bool verify = false;
    // Set: a completed read is stored as a backup in this folder (a failure only warns), and
    // with beforeWrite a write first reads the radio and stores it; when that read or store
    // fails, nothing is written.
    std::optional<BackupSettings> backup;
};

// What the caller knows about a job; what it leaves unset comes from setting.ini.
struct TransferChoices {
    bool isRead = true;
    std::string iniPath;
    int port = 0;       // > 0: this port number instead of [setup] com
    std::string device; // non-empty: this device path, never searched
    int search = -1;    // 0 or 1 instead of [setup] searchcom
    bool trace = true;
    // The backup folder and how many to keep; unset: [backup] of setting.ini.
    std::optional<BackupSettings> backup;
    // A write only: read and store the radio first; unset: the backup settings' beforeWrite.
    std::optional<bool> backupFirst;
    // A write only: read it back and compare; unset: [safety] verify.
    std::optional<bool> verify;
};

// The request for `choices`. A read always carries the backup settings (a completed read is
// stored); a write is verified and backed up first as chosen, else as setting.ini says.
TransferRequest MakeTransferRequest(const TransferChoices& choices);

} // namespace orvik
