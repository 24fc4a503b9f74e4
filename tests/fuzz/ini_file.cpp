// An INI file of any content read, then one key written: the write changes the key's line (or
// adds it, with its section), never another line, and the value reads back.

#include "common.h"
#include "core/profile/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace orvik;

namespace {

constexpr std::string_view Blanks = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(Blanks) - first + 1);
}

// One line: its text and its terminator ("\r\n", "\n", or "" on an unterminated last line).
struct Line {
    std::string_view text;
    std::string_view end;
};

// A line of the old file is unchanged in the new one when its text and terminator are; an
// unterminated last line may gain a terminator (a line is added after it).
bool Same(const Line& before, const Line& after) {
    if (!before.end.empty())
        return before.text == after.text && before.end == after.end;
    if (after.text == before.text)
        return true;
    // A last line ending in "\r" reads as terminated by "\r\n" once "\n" is added.
    return !before.text.empty() && before.text.back() == '\r' && after.end == "\r\n" &&
           after.text == before.text.substr(0, before.text.size() - 1);
}

// The lines of a file; a leading byte order mark is a line of its own.
std::vector<Line> Lines(std::string_view content) {
    std::vector<Line> lines;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        lines.push_back({content.substr(0, 3), {}});
        content.remove_prefix(3);
    }
    while (!content.empty()) {
        const auto nl = content.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back({content, {}});
            break;
        }
        const std::size_t cr = nl > 0 && content[nl - 1] == '\r' ? 1 : 0;
        lines.push_back({content.substr(0, nl - cr), content.substr(nl - cr, cr + 1)});
        content.remove_prefix(nl + 1);
    }
    return lines;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// A line "key=..." (the key in any case, as the file spelt it).
bool IsKeyLine(std::string_view line, std::string_view key) {
    line = Trim(line);
    const auto eq = line.find('=');
    return eq != std::string_view::npos && EqualNoCase(Trim(line.substr(0, eq)), key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = fuzz::ScratchDir() + "/input.ini";
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string value = in.ConsumeRandomLengthString(48);
    const std::string before = in.ConsumeRemainingBytesAsString();
    fuzz::WriteWholeFile(file, before);

    // Reading: the lookups agree with one another.
    // (Missing means: each of two defaults comes back.)
    auto present = [&](std::string_view s, std::string_view k) {
        return ini::GetString(file, s, k, "a", 2) != "a" ||
               ini::GetString(file, s, k, "b", 2) != "b";
    };
    const auto entries = ini::ReadSection(file, section);
    (void)ini::GetInt(file, section, key, -1);
    for (const auto& entry : entries) {
        if (!present(section, entry.first))
            fuzz::Fail("a key of ReadSection is not found by GetString");
    }

    if (!ini::WriteString(file, section, key, value)) {
        if (fuzz::ReadWholeFile(file) != before)
            fuzz::Fail("a refused write changed the file");
        return 0;
    }
    const std::string after = fuzz::ReadWholeFile(file);
    const auto oldLines = Lines(before);
    const auto newLines = Lines(after);
    std::size_t prefix = 0;
    while (prefix < oldLines.size() && prefix < newLines.size() &&
           Same(oldLines[prefix], newLines[prefix]))
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < oldLines.size() - prefix && suffix < newLines.size() - prefix &&
           Same(oldLines[oldLines.size() - 1 - suffix], newLines[newLines.size() - 1 - suffix]))
        ++suffix;
    const std::size_t removed = oldLines.size() - prefix - suffix;
    const std::size_t added = newLines.size() - prefix - suffix;
    // Replaced: one line for one (or nothing, when the line was written as it was). Added: the
    // key line, perhaps with a blank line and its section.
    if (after == before)
        return 0;
    if (removed > 1 || added < 1 || added > 3)
        fuzz::Fail("the write changed other lines");
    bool keyLine = false;
    for (std::size_t i = prefix; i < prefix + added; ++i)
        keyLine = keyLine || IsKeyLine(newLines[i].text, Trim(key));
    if (!keyLine)
        fuzz::Fail("the changed lines hold no line of the key");
    // Only an unterminated last line may gain its terminator; every other byte stays.
    if (after.size() < before.size() - (removed ? oldLines[prefix].text.size() : 0))
        fuzz::Fail("the write lost bytes");

    // The value reads back under the trimmed names, trimmed and without one pair of quotes.
    std::string_view expected = Trim(value);
    if (expected.size() >= 2 && expected.front() == '"' && expected.back() == '"')
        expected = expected.substr(1, expected.size() - 2);
    if (ini::GetString(file, Trim(section), Trim(key), "", 1 << 20) != expected ||
        !present(Trim(section), Trim(key)))
        fuzz::Fail("the written value does not read back");
    return 0;
}
