#include "core/model/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik {

namespace {

void setError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

std::string errnoText(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

// Reads up to `size` bytes, stopping at the end of the file; -1 on a read error.
ssize_t readFully(int fd, std::uint8_t* buf, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buf + got, size - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool writeFully(int fd, const std::uint8_t* buf, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, buf + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void closeKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

} // namespace

void clearContents(HeaderBlock& header, RadioImage& image) {
    std::memcpy(header.data(), DataFileHeaderText, DataFileHeaderTextSize);
    image.clear();
}

HeaderBlock NewHeaderBlock() {
    HeaderBlock h{};
    std::memcpy(h.data(), DataFileHeaderText, DataFileHeaderTextSize);
    return h;
}

LoadStatus LoadDataFile(const std::string& path, HeaderBlock& header, RadioImage& image,
                        std::string* error) {
    clearContents(header, image);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        setError(error, errnoText("Cannot open", path, errno));
        return LoadStatus::CannotRead;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool isDir = S_ISDIR(st.st_mode);
        ::close(fd);
        setError(error, "Cannot read " + path + ": " +
                            (isDir ? "it is a directory" : "not a regular file"));
        return LoadStatus::CannotRead;
    }

    HeaderBlock read = header;
    const ssize_t h = readFully(fd, read.data(), read.size());
    if (h < 0) {
        const int err = errno;
        ::close(fd);
        setError(error, errnoText("Cannot read", path, err));
        return LoadStatus::CannotRead;
    }
    if (std::memcmp(read.data(), DataFileHeaderText, DataFileCheckedSize) != 0) {
        ::close(fd);
        header = read;
        std::memcpy(header.data(), DataFileHeaderText, DataFileHeaderTextSize);
        setError(error, "Not a data file of this program: " + path);
        return LoadStatus::HeaderRejected;
    }
    RadioImage loaded;
    const ssize_t n = readFully(fd, loaded.data(), RadioImage::Size);
    const int err = errno;
    ::close(fd);
    if (n < 0) {
        setError(error, errnoText("Cannot read", path, err));
        return LoadStatus::CannotRead;
    }
    header = read;
    image = loaded;
    return LoadStatus::Ok;
}

bool SaveDataFile(const std::string& path, const HeaderBlock& header, const RadioImage& image,
                  std::string* error) {
    // A symbolic link is followed, so the file it names is replaced, not the link.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        setError(error, "Cannot write " + path + ": it is a directory");
        return false;
    }
    // The replacement goes through a rename, which a read-only file would not stop: refuse what
    // an ordinary write would refuse.
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        setError(error, errnoText("Cannot write", path, errno));
        return false;
    }

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string prefix = (slash == std::string::npos ? std::string() : dir) + "." + base;

    std::random_device rd;
    std::string temp;
    int fd = -1;
    const mode_t mode = exists ? (st.st_mode & 07777) : 0666; // new files get the umask
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rd()));
        temp = prefix + suffix;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        setError(error, errnoText("Cannot write", path, errno));
        return false;
    }
    if (exists)
        (void)::fchmod(fd, mode); // keep the old file's permissions despite the umask

    std::uint8_t buf[DataFileSize];
    std::memcpy(buf, header.data(), header.size());
    std::memcpy(buf + header.size(), image.data(), RadioImage::Size);
    bool ok = writeFully(fd, buf, sizeof buf) && ::fsync(fd) == 0;
    if (!ok) {
        const int err = errno;
        closeKeepingErrno(fd);
        ::unlink(temp.c_str());
        setError(error, errnoText("Cannot write", path, err));
        return false;
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        setError(error, errnoText("Cannot write", path, err));
        return false;
    }
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace orvik
