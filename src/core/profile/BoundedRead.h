#pragma once
// Reading a file that may not be what its name promises (a system attribute, a file in a tree
// a user points to): a bound on what is read, and nothing read from what is no regular file.

#include <cstddef>
#include <filesystem>
#include <string>

namespace orvik {

// At most `limit` bytes of the regular file `path`; empty for anything else (a FIFO, a device
// node, a directory) or when it cannot be opened. It is opened non-blocking and checked before
// reading, so nothing can hang the reader or grow what it holds past `limit`.
std::string ReadBounded(const std::filesystem::path& path, std::size_t limit);

} // namespace orvik
