#include "core/model/FileIdentity.h"

#include <sys/stat.h>

namespace orvik {

bool operator==(const FileIdentity& a, const FileIdentity& b) {
    if (!a.exists || !b.exists)
        return a.exists == b.exists;
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

FileIdentity IdentityOf(const std::string& path) {
    FileIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = st.st_mtim;
    return id;
}

} // namespace orvik
