#pragma once
// INI files with private-profile semantics: the file is read again on every call (no cache),
// section and key names match without regard to case, the first matching section and key win,
// whitespace around keys and values is trimmed (and around the names the functions are given),
// one pair of surrounding double quotes is stripped from a value, ';' starts a comment line, a
// UTF-8 BOM is skipped, CRLF and LF are both read. Bad input (binary data, lines without '=',
// huge lines, a directory at the path) never crashes: it reads as missing.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvik::ini {

// A whole INI text parsed once. Lookups follow the rules above (first matching section and key,
// names without regard to case); GetString, GetInt and ReadSection answer through it, so a cached
// copy can never read a file differently from them. Values are trimmed, one pair of quotes is
// stripped and they end at a NUL byte; they are not cut to a buffer.
class Document {
public:
    using Entry = std::pair<std::string, std::string>; // key as written, value

    Document() = default;
    explicit Document(std::string_view content);
    // Only what a lookup of `section` (and of `key`, when given) needs: the first matching
    // section's key lines (or its first matching key line). Parsing ends with that section.
    Document(std::string_view content, std::string_view section,
             std::optional<std::string_view> key = std::nullopt);

    // Key lines of the first section called `section`, in file order (duplicates included);
    // nullptr when there is no such section.
    const std::vector<Entry>* Section(std::string_view section) const;
    // Value of the first matching key of the first matching section; nullptr when missing.
    const std::string* Value(std::string_view section, std::string_view key) const;

private:
    void Parse(std::string_view content, const std::string_view* section,
               const std::string_view* key);

    struct Part {
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> firstKey; // lower-case key -> entry
    };
    std::vector<Part> parts;
    std::unordered_map<std::string, std::size_t> firstSection; // lower-case name -> part
};

// The parsed content of a regular file; nullopt when it is missing, not a regular file or
// cannot be read.
std::optional<Document> ReadDocument(const std::string& path);
std::optional<Document> ReadDocument(const std::string& path, std::string_view section,
                                     std::optional<std::string_view> key = std::nullopt);

// Value of section/key, or `def` when the file, section or key is missing. Like a fixed buffer
// of `bufferSize` bytes, the result holds at most bufferSize - 1 bytes and is never cut inside a
// UTF-8 sequence. A key that is present with an empty value yields the empty text, not `def`.
std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufferSize);

// Integer value: leading blanks, an optional sign, decimal digits; no digits reads as 0;
// out-of-range values saturate. `def` when the key is missing.
int GetInt(const std::string& path, std::string_view section, std::string_view key, int def);

// Replaces the first matching key in place, appends a missing key at the end of its section or a
// missing section at the end of the file, keeps every other line byte for byte, and replaces the
// file atomically (temporary file, then rename). Creates the file when it is missing.
// Returns false when the file cannot be written; the old file is then left as it was.
bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);

// Every key line of the first matching section, in file order, as (key, value) with the same
// trimming and quote stripping as GetString (values not cut). One read of the file serves a
// whole list; callers apply the first-match rule by taking the first equal key.
std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path,
                                                             std::string_view section);

// `text` as a fixed buffer of `bufferSize` bytes holds it: at most bufferSize - 1 bytes, never
// cut inside a UTF-8 sequence.
std::string CutToBuffer(std::string_view text, std::size_t bufferSize);

// Parses an integer the way GetInt does; exposed for callers that hold the text already.
int ParseProfileInt(std::string_view text);

} // namespace orvik::ini
