#include "core/link/TransferOutcome.h"

#include "core/lang/FillText.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/link/Protocol.h"
#include "core/model/ImageDiff.h"
#include "core/model/RadioImage.h"

#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>

namespace orvik {

namespace {

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
                const std::string group = owningGroup(device);
                message += "\n" + FillText(text(lang::IDS_ERROR_PORT_GROUP), {group, group});
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
        message += "\n\n" + FillText(text(lang::IDS_ERROR_PORT_SILENT), {device});
    }
    if (o.searched)
        message += "\n" + text(lang::IDS_ERROR_SEARCH_NONE);
    return message;
}

std::string partlyWrittenText(const TransferOutcome& o, const TextLookup& text) {
    return FillText(text(lang::IDS_WRITE_PARTIAL), {std::to_string(o.blocksDone)});
}

std::string backupFailedText(const TransferOutcome& o, const TextLookup& text) {
    return FillText(text(lang::IDS_BACKUP_FAILED), {o.backupFolder}) + "\n" + o.backupError;
}

std::string stateMessage(const TransferOutcome& o, const TextLookup& text) {
    switch (o.state) {
    case TransferState::PortError:
        // With the wake-up answered, the port is right: the radio did not identify itself.
        return o.wokeUp ? text(lang::IDS_ERROR_IDENT_TIMEOUT) : portErrorText(o, text);
    case TransferState::TypeError:
        return text(lang::IDS_ERROR_IDENT_TIMEOUT);
    case TransferState::ReadFailed:
        return text(lang::IDS_PROMPT_READFAIL);
    case TransferState::WriteFailed:
        // It already asks for the write to be repeated; a radio that refused a block after
        // taking others holds part old, part new data.
        return o.partlyWritten()
                   ? text(lang::IDS_PROMPT_WRITEFAIL) + "\n" + partlyWrittenText(o, text)
                   : text(lang::IDS_PROMPT_WRITEFAIL);
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

std::string TransferMessage(const TransferOutcome& o, const TextLookup& text,
                            bool differencesListed) {
    if (o.cancelled) {
        if (o.endedIn == TransferPhase::Verify)
            return text(lang::IDS_VERIFY_CANCELLED);
        return o.partlyWritten() ? partlyWrittenText(o, text) : std::string();
    }
    if (o.endedIn == TransferPhase::Backup) {
        const std::string why =
            o.state == TransferState::ReadDone ? backupFailedText(o, text) : stateMessage(o, text);
        return why + "\n" + text(lang::IDS_BACKUP_NOT_WRITTEN);
    }
    if (o.verify == VerifyResult::Mismatch)
        return text(differencesListed ? lang::IDS_VERIFY_MISMATCH
                                      : lang::IDS_VERIFY_MISMATCH_BRIEF);
    if (o.verify == VerifyResult::NotVerified)
        return text(lang::IDS_VERIFY_FAILED);
    return stateMessage(o, text);
}

std::string BackupWarning(const TransferOutcome& o, const TextLookup& text) {
    if (o.backupError.empty() || o.endedIn == TransferPhase::Backup)
        return {};
    return backupFailedText(o, text);
}

std::string PhasePrompt(TransferPhase phase, bool isRead, const TextLookup& text) {
    switch (phase) {
    case TransferPhase::Backup:
        return text(lang::IDS_PROMPT_BACKUP);
    case TransferPhase::Verify:
        return text(lang::IDS_PROMPT_VERIFY);
    case TransferPhase::Transfer:
        break;
    }
    return text(isRead ? lang::IDS_PROMPT_READ : lang::IDS_PROMPT_WRITE);
}

bool NeedsConnectionCheck(const TransferOutcome& o) {
    return !o.cancelled && o.state == TransferState::PortError && !o.wokeUp;
}

std::vector<std::uint16_t> MismatchOffsets(const std::uint8_t* written, const std::uint8_t* radio) {
    std::vector<std::uint16_t> offsets;
    for (int i = 0; i < protocol::TransferredBytes; ++i)
        if (written[i] != radio[i])
            offsets.push_back(static_cast<std::uint16_t>(i));
    return offsets;
}

std::string OffsetText(std::uint16_t offset) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%03X", offset);
    return text;
}

namespace {

std::vector<ImageDifference> mismatches(const std::uint8_t* written, const std::uint8_t* radio,
                                        LangCatalog& catalog, const std::string& iniPath) {
    RadioImage sent;
    RadioImage held;
    std::memcpy(sent.data(), written, RadioImage::Size);
    std::memcpy(held.data(), radio, RadioImage::Size);
    return CompareImages(sent, held, LoadDiffTexts(catalog, ReadBandNames(iniPath)),
                         protocol::TransferredBytes);
}

} // namespace

std::vector<std::string> MismatchPlaces(const std::uint8_t* written, const std::uint8_t* radio,
                                        LangCatalog& catalog, const std::string& iniPath) {
    std::vector<std::string> places;
    for (const ImageDifference& d : mismatches(written, radio, catalog, iniPath))
        places.push_back(d.place);
    return places;
}

std::vector<std::string> MismatchLines(const std::uint8_t* written, const std::uint8_t* radio,
                                       LangCatalog& catalog, const std::string& iniPath,
                                       std::size_t listed) {
    const std::vector<ImageDifference> differences = mismatches(written, radio, catalog, iniPath);
    std::vector<std::string> lines;
    for (const ImageDifference& d : differences) {
        if (listed > 0 && lines.size() == listed) {
            lines.push_back(
                FillText(catalog.text(lang::IDS_DIFF_COUNT), {std::to_string(differences.size())}));
            break;
        }
        lines.push_back(DifferenceLine(d));
    }
    return lines;
}

} // namespace orvik
