#include "core/profile/BoundedRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik {

std::string ReadBounded(const std::filesystem::path& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.resize(limit);
        std::size_t got = 0;
        while (got < limit) {
            const ssize_t n = ::read(fd, data.data() + got, limit - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        data.resize(got);
    }
    ::close(fd);
    return data;
}

} // namespace orvik
