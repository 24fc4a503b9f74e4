#include "core/model/DataFile.h"

#include "core/lang/FillText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
                        std::string* error, std::size_t* bytesRead) {
    clearContents(header, image);
    if (bytesRead)
        *bytesRead = 0;
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
    if (bytesRead)
        *bytesRead = static_cast<std::size_t>(h);
    // A file too short to hold the checked prefix is no data file, even where the bytes it has
    // match the standard text already in the block.
    if (static_cast<std::size_t>(h) < DataFileCheckedSize ||
        std::memcmp(read.data(), DataFileHeaderText, DataFileCheckedSize) != 0) {
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
    if (bytesRead)
        *bytesRead += static_cast<std::size_t>(n);
    return LoadStatus::Ok;
}

std::string ShortFileWarning(std::string text, std::size_t bytesRead) {
    return FillText(text, {std::to_string(bytesRead)});
}

SaveResult SaveDataFile(const std::string& path, const HeaderBlock& header, const RadioImage& image,
                        SaveMode mode, std::optional<mode_t> newFileMode) {
    std::string bytes(DataFileSize, '\0');
    std::memcpy(bytes.data(), header.data(), header.size());
    std::memcpy(bytes.data() + header.size(), image.data(), RadioImage::Size);
    return SaveFileAtomically(path, bytes, mode, newFileMode);
}

bool SaveDataFile(const std::string& path, const HeaderBlock& header, const RadioImage& image,
                  std::string* error) {
    const SaveResult result = SaveDataFile(path, header, image, SaveMode::Replace);
    if (!result.ok)
        setError(error, result.errorText);
    return result.ok;
}

} // namespace orvik
