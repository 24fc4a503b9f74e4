#pragma once
// Helpers of the fuzz targets: a private scratch folder on a memory file system (saves sync
// their files, which would otherwise dominate the run time) and whole-file writes.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace orvik::fuzz {

// A folder of this process, made on first use and kept until the process ends.
inline const std::string& ScratchDir() {
    static const std::string dir = [] {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/orvik-fuzz-XXXXXX");
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return dir;
}

inline void WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    std::fclose(f);
}

inline std::string ReadWholeFile(const std::string& path) {
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            out.append(buffer, n);
        std::fclose(f);
    }
    return out;
}

// Stops the run with a message; libFuzzer keeps the input as a crash.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace orvik::fuzz
