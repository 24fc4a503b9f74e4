#pragma once
// What tells one state of a file on disk from another: device, inode, size and modification
// time. A save by rename gives a new inode, a write in place a new size or time, so a document
// can tell that another program changed its file since it was read.

#include <string>
#include <sys/types.h>
#include <time.h>

namespace orvik {

struct FileIdentity {
    bool exists = false; // false: the path could not be examined (missing, no access)
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};

bool operator==(const FileIdentity& a, const FileIdentity& b);

// The identity of the file `path` names, links followed.
FileIdentity IdentityOf(const std::string& path);

} // namespace orvik
