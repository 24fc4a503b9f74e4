#include "core/link/ProblemReport.h"

#include "core/link/PortNames.h"
#include "core/profile/BoundedRead.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/utsname.h>

namespace orvik {

namespace {

std::string readFile(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool wordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

// A user name ends where a letter or digit does not follow: "ann-radio" holds "ann".
bool nameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

const char* phaseName(TransferPhase phase) {
    switch (phase) {
    case TransferPhase::Backup:
        return "backup read before writing";
    case TransferPhase::Verify:
        return "read-back (verify)";
    case TransferPhase::Transfer:
        break;
    }
    return "transfer";
}

const char* verifyName(VerifyResult verify) {
    switch (verify) {
    case VerifyResult::Verified:
        return "verified";
    case VerifyResult::Mismatch:
        return "differs from what was written";
    case VerifyResult::NotVerified:
        return "did not complete";
    case VerifyResult::NotRequested:
        break;
    }
    return "not requested";
}

void section(std::string& out, const char* title, const std::string& body) {
    out += "\n== ";
    out += title;
    out += " ==\n";
    out += body;
    if (!body.empty() && body.back() != '\n')
        out += '\n';
}

} // namespace

std::string PlatformText(const std::string& root) {
    bool ok = false;
    std::string distribution;
    const std::string osRelease = readFile(root + "/etc/os-release", ok);
    for (std::size_t at = 0; at < osRelease.size();) {
        const std::size_t end = osRelease.find('\n', at);
        std::string line = osRelease.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? osRelease.size() : end + 1;
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            distribution = line.substr(12);
            if (distribution.size() >= 2 && distribution.front() == '"' &&
                distribution.back() == '"')
                distribution = distribution.substr(1, distribution.size() - 2);
        }
    }
    utsname u{};
    std::string kernel = "unknown";
    if (::uname(&u) == 0)
        kernel = std::string(u.sysname) + " " + u.release + " " + u.machine;
    return "Distribution: " + (distribution.empty() ? std::string("unknown") : distribution) +
           "\nKernel: " + kernel + "\n";
}

std::string PortMappingText(const std::string& settingsFile) {
    const int configured = ini::GetInt(settingsFile, keys::SetupSection, keys::ComKey, 1);
    std::string out;
    for (int port = FirstPortNumber; port <= LastPortNumber; ++port) {
        const std::string device = PortDevicePath(settingsFile, port);
        if (device.empty()) {
            if (port == configured)
                out += "COM" + std::to_string(port) + " (configured): no device\n";
            continue;
        }
        struct stat st {};
        const bool exists = ::stat(device.c_str(), &st) == 0;
        // Numbers whose default device is absent are left out unless configured.
        if (!exists && port != configured)
            continue;
        out += "COM" + std::to_string(port) + (port == configured ? " (configured)" : "") + ": " +
               device + (exists ? "" : " (does not exist)") + "\n";
    }
    return out;
}

std::string TransferResultText(const TransferOutcome& o, const std::string& file,
                               const std::vector<std::string>& differences) {
    std::string out = std::string("Job: ") + (o.isRead ? "read" : "write") + "\n";
    out += std::string("Result: ") +
           (o.succeeded() ? "succeeded"
            : o.cancelled ? "cancelled"
                          : "failed") +
           "\n";
    if (!o.succeeded())
        out += std::string("Ended in: ") + phaseName(o.endedIn) + "\n";
    out += "Blocks " + std::string(o.isRead ? "read" : "acknowledged") + ": " +
           std::to_string(o.blocksDone) + " of 124\n";
    if (!o.isRead)
        out += std::string("Read-back: ") + verifyName(o.verify) + "\n";
    if (!file.empty())
        out += std::string(o.isRead ? "Document: " : "File written: ") + file + "\n";
    if (!o.backupPath.empty())
        out += "Backup stored: " + o.backupPath + "\n";
    else if (!o.backupError.empty())
        out += "Backup not stored: " + o.backupFolder + ": " + o.backupError + "\n";
    if (!differences.empty()) {
        out += "Differences:\n";
        for (const std::string& line : differences)
            out += "  " + line + "\n";
    }
    return out;
}

std::vector<std::string> UsbSerialNumbers(const std::string& root) {
    std::vector<std::string> serials;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(root + "/sys/bus/usb/devices", ec)) {
        std::string serial = ReadBounded(entry.path() / "serial", 4096);
        serial = serial.substr(0, serial.find('\n'));
        while (!serial.empty() && (serial.back() == ' ' || serial.back() == '\r'))
            serial.pop_back();
        // Very short values (a "0" of a root hub) would take out unrelated text.
        if (serial.size() >= 4 &&
            std::find(serials.begin(), serials.end(), serial) == serials.end())
            serials.push_back(serial);
    }
    // Longer first, so that a serial holding another is taken out whole.
    std::sort(serials.begin(), serials.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return serials;
}

std::string StripPersonal(std::string text, const std::string& home, const std::string& userName,
                          const std::vector<std::string>& serials) {
    for (const std::string& serial : serials) {
        for (std::size_t at = text.find(serial); !serial.empty() && at != std::string::npos;
             at = text.find(serial, at))
            text.replace(at, serial.size(), "<serial>");
    }
    if (home.size() > 1) {
        for (std::size_t at = text.find(home); at != std::string::npos;
             at = text.find(home, at + 1)) {
            const std::size_t end = at + home.size();
            if (end == text.size() || !wordChar(text[end]))
                text.replace(at, home.size(), "~");
        }
    }
    if (!userName.empty()) {
        for (std::size_t at = text.find(userName); at != std::string::npos;
             at = text.find(userName, at + 1)) {
            const std::size_t end = at + userName.size();
            const bool word = (at == 0 || !nameChar(text[at - 1])) &&
                              (end == text.size() || !nameChar(text[end]));
            if (word)
                text.replace(at, userName.size(), "USER");
        }
    }
    return text;
}

std::string ProblemReport(const ProblemReportParts& parts) {
    std::string out = "Orvik problem report\n";
    section(out, "Program",
            "Orvik " + parts.version + "\n" + (parts.toolkit.empty() ? "" : parts.toolkit + "\n"));
    section(out, "Platform", PlatformText());
    bool ok = false;
    const std::string settings = readFile(parts.settingsFile, ok);
    section(out, "setting.ini", ok ? settings : "(cannot be read)\n");
    section(out, "Ports", PortMappingText(parts.settingsFile));
    section(out, "Connection check",
            parts.connectionCheck.empty() ? "(not run)\n" : parts.connectionCheck);
    section(out, "Last result",
            parts.result.empty() ? "(no transfer in this session)\n" : parts.result);
    section(out, "Last transfer",
            parts.trace.empty() ? "(no transfer in this session)\n" : parts.trace);
    return StripPersonal(std::move(out), parts.home, parts.userName, UsbSerialNumbers(parts.root));
}

} // namespace orvik
