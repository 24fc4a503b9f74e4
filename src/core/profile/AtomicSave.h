#pragma once
// Replacing a file as one step: the new content goes to a temporary file in the same folder,
// which is synced and then renamed over the target, so a reader sees either the old or the new
// file and a failed save leaves the old one untouched.
//
// - A symbolic link is followed (also a dangling one: its target is created), so the link stays.
// - A file that exists keeps its mode and, where the process may change them, its owner and
//   group. A read-only file is refused as an ordinary write would refuse it.
// - Temporary files are named ".<name>.orvik-tmp.<pid>.<random>"; one left behind by a save that
//   was killed is removed by the next save into the same folder once its process has ended.

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace orvik {

enum class SaveMode {
    Replace,        // replace whatever file is there
    NoReplace,      // fail with `exists` when any file is there at the moment of publishing
    ReplaceIfEmpty, // as NoReplace, but an empty regular file may be replaced
};

struct SaveResult {
    bool ok = false;
    bool exists = false;       // NoReplace: another file was there (nothing was written)
    bool ownerChanged = false; // saved, but the old owner could not be kept (it is now ours)
    int error = 0;             // errno of the failure
    std::string errorText;     // "Cannot write <path>: <reason>"
};

// Writes `data` to `path` in the way given above. `newFileMode` is the mode of a file that did not
// exist; without it such a file gets 0666 less the umask.
SaveResult SaveFileAtomically(const std::string& path, std::string_view data, SaveMode mode,
                              std::optional<mode_t> newFileMode = std::nullopt);

// The path a save of `path` writes to: symbolic links followed, a dangling one to the file it
// names. `path` itself when it is no link (or the links loop).
std::string SaveTarget(const std::string& path);

// Removes stale temporary files of killed saves from `directory`; returns how many.
int RemoveStaleSaveFiles(const std::string& directory);

} // namespace orvik
