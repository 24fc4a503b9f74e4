#pragma once
// The .735 data file: a 48-byte header block followed by the 4096-byte image (4144 bytes).

#include "core/model/RadioImage.h"
#include "core/profile/AtomicSave.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvik {

using HeaderBlock = std::array<std::uint8_t, 48>;

inline constexpr const char* DataFileHeaderText = "QTB-735 Radio Program data v1.04"; // 32 bytes
inline constexpr std::size_t DataFileHeaderTextSize = 32;
// A file is accepted when its first 26 bytes equal this prefix, byte for byte.
inline constexpr std::size_t DataFileCheckedSize = 26;
inline constexpr std::size_t DataFileSize = 48 + RadioImage::Size;

// Header bytes 0..31 = the standard header text, image all 0xFF; header bytes 32..47 untouched.
void clearContents(HeaderBlock& header, RadioImage& image);

// A header block for a document that was never loaded: the standard text, then zeros.
HeaderBlock NewHeaderBlock();

enum class LoadStatus { Ok, HeaderRejected, CannotRead };

// clearContents, then reads the file: up to 48 bytes into the header; when its first 26 bytes
// match, up to 4096 bytes into the image (a short file leaves the rest 0xFF, bytes past 4144
// are ignored). A file shorter than 26 bytes is rejected like a foreign header. A rejected
// header leaves the image cleared and header bytes 0..31 standard. CannotRead (with `error`
// filled) when the path is not a readable regular file; the image is then cleared.
// `bytesRead` receives how many of the 4144 bytes the file held.
LoadStatus LoadDataFile(const std::string& path, HeaderBlock& header, RadioImage& image,
                        std::string* error, std::size_t* bytesRead = nullptr);

// The short-file warning: `text` (the language's) with %d replaced by the bytes the file held.
std::string ShortFileWarning(std::string text, std::size_t bytesRead);

// Writes header and image (4144 bytes) through SaveFileAtomically: a temporary file beside the
// target, synced and renamed over it; links followed, the old file's mode, owner and group kept.
// On failure the target is untouched and no temporary file is left. NoReplace never replaces a
// file, also one that another process creates meanwhile (`exists` is then set).
// `newFileMode`: the mode of a file that did not exist (default: 0666 less the umask).
SaveResult SaveDataFile(const std::string& path, const HeaderBlock& header, const RadioImage& image,
                        SaveMode mode, std::optional<mode_t> newFileMode = std::nullopt);

// SaveDataFile with SaveMode::Replace; `error` describes a failure.
bool SaveDataFile(const std::string& path, const HeaderBlock& header, const RadioImage& image,
                  std::string* error);

} // namespace orvik
