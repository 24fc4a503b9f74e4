#include "core/profile/AtomicSave.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvik {

namespace {

constexpr std::string_view TempMarker = ".orvik-tmp.";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsHex(std::string_view s) {
    if (s.empty())
        return false;
    for (const char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// The process id in a temporary file name ".<name>.orvik-tmp.<pid>.<hex>"; 0 when the name is no
// such file's.
pid_t TempOwner(std::string_view name) {
    if (name.empty() || name.front() != '.')
        return 0;
    const std::size_t marker = name.rfind(TempMarker);
    if (marker == std::string_view::npos || marker == 0)
        return 0;
    const std::string_view rest = name.substr(marker + TempMarker.size());
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 9 || !IsHex(rest.substr(dot + 1)))
        return 0;
    long pid = 0;
    for (const char c : rest.substr(0, dot)) {
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
    }
    return static_cast<pid_t>(pid);
}

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

SaveResult Failure(const std::string& path, int err, const char* reason = nullptr) {
    SaveResult result;
    result.error = err;
    result.errorText = "Cannot write " + path + ": " + (reason ? reason : std::strerror(err));
    return result;
}

// Publishes `temp` at `target` unless something is there: an atomic rename that refuses to
// replace, or on file systems without it a hard link (which refuses too) and an unlink.
int PublishNoReplace(const std::string& temp, const std::string& target) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(temp.c_str(), target.c_str()) != 0)
        return errno;
    ::unlink(temp.c_str());
    return 0;
}

} // namespace

std::string SaveTarget(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return path;
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        if (next.front() != '/')
            next = DirectoryOf(current) + "/" + next;
        current = std::move(next);
    }
    return path; // a loop: the save fails on the path itself
}

int RemoveStaleSaveFiles(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TempOwner(entry->d_name);
        if (owner <= 0 || owner == self)
            continue;
        // A process we may not signal (another user's) still runs: keep its file.
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

SaveResult SaveFileAtomically(const std::string& path, std::string_view data, SaveMode mode,
                              std::optional<mode_t> newFileMode) {
    const std::string target = SaveTarget(path);
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Failure(path, errno);
    if (exists && S_ISDIR(st.st_mode))
        return Failure(path, EISDIR, "it is a directory");
    if (exists && mode != SaveMode::Replace &&
        !(mode == SaveMode::ReplaceIfEmpty && S_ISREG(st.st_mode) && st.st_size == 0)) {
        SaveResult result = Failure(path, EEXIST);
        result.exists = true;
        return result;
    }
    // The replacement goes through a rename, which a read-only file would not stop: refuse what
    // an ordinary write would refuse.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return Failure(path, errno);

    const std::string dir = DirectoryOf(target);
    RemoveStaleSaveFiles(dir);

    const std::string prefix =
        dir + "/." + NameOf(target) + std::string(TempMarker) + std::to_string(::getpid()) + ".";
    std::random_device random;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        temp = prefix + suffix;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Failure(path, errno);

    SaveResult result;
    bool ok = true;
    if (exists) {
        // Keep the owner and group where this process may; chown clears the set-id bits, so the
        // mode follows.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // The group, if we are in it.
            [[maybe_unused]] const int groupKept = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
            result.ownerChanged = st.st_uid != ::geteuid();
        }
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    } else if (newFileMode) {
        ok = ::fchmod(fd, *newFileMode) == 0;
    }
    ok = ok && WriteAll(fd, data) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        if (mode == SaveMode::Replace || (exists && mode == SaveMode::ReplaceIfEmpty)) {
            if (mode == SaveMode::ReplaceIfEmpty) {
                // Still the empty file seen above? Otherwise someone wrote it meanwhile.
                struct stat now {};
                if (::stat(target.c_str(), &now) == 0 &&
                    (now.st_ino != st.st_ino || now.st_dev != st.st_dev || now.st_size != 0)) {
                    ::unlink(temp.c_str());
                    SaveResult lost = Failure(path, EEXIST);
                    lost.exists = true;
                    return lost;
                }
            }
            if (::rename(temp.c_str(), target.c_str()) != 0) {
                ok = false;
                err = errno;
            }
        } else if (const int e = PublishNoReplace(temp, target); e != 0) {
            ::unlink(temp.c_str());
            SaveResult lost = Failure(path, e);
            lost.exists = e == EEXIST;
            return lost;
        }
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Failure(path, err);
    }
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    result.ok = true;
    return result;
}

} // namespace orvik
