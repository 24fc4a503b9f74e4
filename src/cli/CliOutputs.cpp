// What orvik-cli checks before it writes a file: that an output is not one of its inputs, that a
// trace goes to a plain file, and that a backup is copied before it is changed.
#include "cli/CliCommon.h"

#include "core/lang/LangText.h"
#include "core/model/Backup.h"
#include "core/model/FileIdentity.h"
#include "core/profile/AtomicSave.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik::cli {

namespace {

// The path a file that does not exist yet would get: links followed, its folder resolved.
std::string resolvedPath(const std::string& path) {
    const std::string target = SaveTarget(path);
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    char* real = ::realpath(dir.c_str(), nullptr);
    if (real == nullptr)
        return target;
    std::string out = real;
    std::free(real);
    return (out == "/" ? out : out + "/") + name;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const FileIdentity ia = IdentityOf(a);
    const FileIdentity ib = IdentityOf(b);
    if (ia.exists && ib.exists)
        return ia.device == ib.device && ia.inode == ib.inode;
    return !ia.exists && !ib.exists && resolvedPath(a) == resolvedPath(b);
}

bool distinctFiles(const char* command, const std::vector<NamedFile>& files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const NamedFile& a = files[j];
            const NamedFile& b = files[i];
            if (a.path.empty() || b.path.empty() || (!a.output && !b.output) ||
                !SameFile(a.path, b.path))
                continue;
            const NamedFile& out = b.output ? b : a;
            const NamedFile& other = b.output ? a : b;
            fail(std::string(command) + ": " + out.what + " " + out.path + " is the same file as " +
                 other.what + " " + other.path + "; nothing was written");
            return false;
        }
    }
    return true;
}

bool traceFileAllowed(const std::string& path) {
    struct stat st {};
    // A path that cannot be examined is left to the check of its folder and to the save.
    if (::lstat(path.c_str(), &st) != 0)
        return true;
    const char* why = S_ISLNK(st.st_mode)    ? "it is a symbolic link"
                      : S_ISFIFO(st.st_mode) ? "it is a FIFO"
                      : S_ISDIR(st.st_mode)  ? "it is a directory"
                      : !S_ISREG(st.st_mode) ? "it is no regular file"
                                             : nullptr;
    if (why == nullptr)
        return true;
    fail("cannot write the trace " + path + ": " + why);
    return false;
}

bool saveTrace(const std::string& path, const std::string& trace) {
    if (!traceFileAllowed(path))
        return false;
    // Opened without following a link and without waiting for a FIFO's reader, and emptied only
    // once it is known to be a regular file: a link or FIFO put there since the check before
    // the job is refused as well.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st {};
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && ::fstat(fd, &st) != 0)
        error = errno;
    else if (fd >= 0 && !S_ISREG(st.st_mode))
        error = EINVAL;
    if (error == 0 && ::ftruncate(fd, 0) != 0)
        error = errno;
    for (std::size_t done = 0; error == 0 && done < trace.size();) {
        const ssize_t n = ::write(fd, trace.data() + done, trace.size() - done);
        if (n < 0 && errno != EINTR)
            error = errno;
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        fail("cannot write the trace " + path + ": " +
             (error == ELOOP                      ? "it is a symbolic link"
              : error == ENXIO || error == EINVAL ? "it is no regular file"
                                                  : std::strerror(error)));
    return error == 0;
}

void warnBackupSettings(const Context& ctx) {
    const std::string lang = ctx.paths.LanguageFilePath();
    const std::string warning =
        BackupSettingsWarning(ctx.paths.SettingsFilePath(),
                              [&lang](std::string_view key) { return LoadLangString(lang, key); });
    if (!warning.empty())
        Complain("%s\n", warning.c_str());
}

int refuseBackup(const Context& ctx, const char* command, const std::string& path, bool force) {
    const BackupSettings settings = LoadBackupSettings(ctx.paths.SettingsFilePath());
    if (force || !IsInBackupFolder(path, settings.folder))
        return ExitOk;
    fail(std::string(command) + ": " + path + " is a backup (in " + settings.folder +
         "); copy it first and change the copy (--force changes the backup itself)");
    return ExitCantCreate;
}

} // namespace orvik::cli
