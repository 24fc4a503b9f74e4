#include "core/profile/IniFile.h"

#include "core/profile/AtomicSave.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvik::ini {

namespace {

constexpr std::string_view Blanks = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(Blanks);
    return s.substr(first, last - first + 1);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// Whole content of a regular file; nullopt when it is missing, not a regular file or unreadable.
// O_NONBLOCK keeps a FIFO at the path from blocking the open.
std::optional<std::string> ReadRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    if (st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return content;
}

// One line of the file: [begin, end) is the text without its terminator, [end, next) the
// terminator ("\n", "\r\n" or nothing on the last line).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed (quotes not yet stripped)
};

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    // A UTF-8 byte order mark belongs to no line.
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        pos = 3;
    while (pos < content.size()) {
        const auto nl = content.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({pos, content.size(), content.size()});
            break;
        }
        std::size_t end = nl;
        if (end > pos && content[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, nl + 1});
        pos = nl + 1;
    }
    return lines;
}

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    const std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';')
        return parsed;
    if (t.front() == '[') {
        // "[name]" up to the last ']'; a line without ']' is no section header.
        const auto close = t.rfind(']');
        if (close == std::string_view::npos)
            return parsed;
        parsed.kind = LineKind::Section;
        parsed.name = Trim(t.substr(1, close - 1));
        return parsed;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = Trim(t.substr(0, eq));
    parsed.value = Trim(t.substr(eq + 1));
    return parsed;
}

// Location of section/key in the file content.
struct Lookup {
    bool sectionFound = false;
    std::size_t sectionLine = 0;     // index of the section header
    std::size_t lastContentLine = 0; // last non-blank line of the section (header included)
    std::optional<std::size_t> keyLine;
    std::string_view keyName;
    std::string_view value;
};

Lookup Find(std::string_view content, const std::vector<Line>& lines, std::string_view section,
            std::string_view key) {
    Lookup found;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = content.substr(lines[i].begin, lines[i].end - lines[i].begin);
        const ParsedLine parsed = ParseLine(text);
        if (parsed.kind == LineKind::Section) {
            if (inSection)
                break; // only the first matching section counts
            if (EqualNoCase(parsed.name, section)) {
                inSection = true;
                found.sectionFound = true;
                found.sectionLine = i;
                found.lastContentLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(text).empty())
            found.lastContentLine = i;
        if (parsed.kind == LineKind::Key && !found.keyLine && EqualNoCase(parsed.name, key)) {
            found.keyLine = i;
            found.keyName = parsed.name;
            found.value = parsed.value;
        }
    }
    return found;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

// At most `limit` bytes of `text`, moved back to a character boundary when the cut would split a
// UTF-8 sequence. Stray continuation bytes (invalid UTF-8) are cut as plain bytes.
std::string_view CutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t lead = limit;
    for (int back = 0; back < 4 && lead > 0; ++back) {
        --lead;
        const auto c = static_cast<unsigned char>(text[lead]);
        if ((c & 0xC0) != 0x80) {
            std::size_t length = 1;
            if ((c & 0xE0) == 0xC0)
                length = 2;
            else if ((c & 0xF0) == 0xE0)
                length = 3;
            else if ((c & 0xF8) == 0xF0)
                length = 4;
            if (lead + length > limit)
                return text.substr(0, lead);
            break;
        }
    }
    return text.substr(0, limit);
}

std::string_view UpToNul(std::string_view v) {
    return v.substr(0, v.find('\0'));
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string LowerName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

} // namespace

Document::Document(std::string_view content) {
    Parse(content, nullptr, nullptr);
}

Document::Document(std::string_view content, std::string_view section,
                   std::optional<std::string_view> key) {
    section = Trim(section);
    if (key)
        key = Trim(*key);
    Parse(content, &section, key ? &*key : nullptr);
}

void Document::Parse(std::string_view content, const std::string_view* section,
                     const std::string_view* key) {
    // Keys are collected only while inside the first section of each name.
    Part* current = nullptr;
    std::size_t pos = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0; // the BOM is no line
    while (pos < content.size()) {
        const std::size_t nl = content.find('\n', pos);
        std::size_t end = nl == std::string_view::npos ? content.size() : nl;
        if (nl != std::string_view::npos && end > pos && content[end - 1] == '\r')
            --end;
        const ParsedLine parsed = ParseLine(content.substr(pos, end - pos));
        pos = nl == std::string_view::npos ? content.size() : nl + 1;
        if (parsed.kind == LineKind::Section) {
            if (section) {
                if (current)
                    return; // the end of the one section asked for
                if (!EqualNoCase(parsed.name, *section))
                    continue;
            }
            const auto [it, added] = firstSection.emplace(LowerName(parsed.name), parts.size());
            current = added ? &parts.emplace_back() : nullptr;
        } else if (parsed.kind == LineKind::Key && current) {
            if (key && (!current->entries.empty() || !EqualNoCase(parsed.name, *key)))
                continue;
            current->firstKey.emplace(LowerName(parsed.name), current->entries.size());
            current->entries.emplace_back(std::string(parsed.name),
                                          std::string(UpToNul(StripQuotes(parsed.value))));
        }
    }
}

const std::vector<Document::Entry>* Document::Section(std::string_view section) const {
    const auto it = firstSection.find(LowerName(Trim(section)));
    return it == firstSection.end() ? nullptr : &parts[it->second].entries;
}

const std::string* Document::Value(std::string_view section, std::string_view key) const {
    const auto it = firstSection.find(LowerName(Trim(section)));
    if (it == firstSection.end())
        return nullptr;
    const Part& part = parts[it->second];
    const auto k = part.firstKey.find(LowerName(Trim(key)));
    return k == part.firstKey.end() ? nullptr : &part.entries[k->second].second;
}

std::optional<Document> ReadDocument(const std::string& path) {
    const auto content = ReadRegularFile(path);
    if (!content)
        return std::nullopt;
    return Document(*content);
}

std::optional<Document> ReadDocument(const std::string& path, std::string_view section,
                                     std::optional<std::string_view> key) {
    const auto content = ReadRegularFile(path);
    if (!content)
        return std::nullopt;
    return Document(*content, section, key);
}

std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufferSize) {
    const std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    if (const auto doc = ReadDocument(path, section, key)) {
        if (const std::string* value = doc->Value(section, key))
            return std::string(CutUtf8(*value, limit));
    }
    return std::string(CutUtf8(UpToNul(def), limit));
}

std::string CutToBuffer(std::string_view text, std::size_t bufferSize) {
    return std::string(CutUtf8(text, bufferSize > 0 ? bufferSize - 1 : 0));
}

std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path,
                                                             std::string_view section) {
    if (const auto doc = ReadDocument(path, section)) {
        if (const auto* entries = doc->Section(section))
            return *entries;
    }
    return {};
}

int ParseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    const long long cap = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > cap)
            magnitude = cap; // saturate, keep consuming digits
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int GetInt(const std::string& path, std::string_view section, std::string_view key, int def) {
    if (const auto doc = ReadDocument(path, section, key)) {
        if (const std::string* value = doc->Value(section, key))
            return ParseProfileInt(*value);
    }
    return def;
}

bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
    // Names and values that would break the line structure are refused rather than written.
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
        return false;
    if (Trim(section).empty() || section.find(']') != std::string_view::npos)
        return false;
    if (Trim(key).empty() || key.find('=') != std::string_view::npos || Trim(key).front() == ';' ||
        Trim(key).front() == '[')
        return false;
    // Names in the file are read without surrounding blanks: match and write them so too, or
    // the value written could never be read back.
    section = Trim(section);
    key = Trim(key);

    // Write through a symbolic link to the file it names.
    const std::string target = SaveTarget(path);

    std::string content;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        auto existing = ReadRegularFile(target);
        if (!existing)
            return false; // never replace a file whose lines could not be read
        content = std::move(*existing);
    } else if (errno != ENOENT) {
        return false;
    }

    const auto lines = SplitLines(content);
    const std::string eol =
        (!lines.empty() && lines.front().next - lines.front().end == 2) ? "\r\n" : "\n";
    const Lookup found = Find(content, lines, section, key);

    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (found.keyLine) {
        const Line& line = lines[*found.keyLine];
        // The line keeps its indentation and the key's own spelling.
        const std::string_view text(content.data() + line.begin, line.end - line.begin);
        out.append(content, 0, line.begin + text.find_first_not_of(Blanks));
        out.append(found.keyName);
        out.push_back('=');
        out.append(value);
        out.append(content, line.end, std::string::npos);
    } else if (found.sectionFound) {
        const Line& line = lines[found.lastContentLine];
        out.append(content, 0, line.next);
        if (line.next == line.end)
            out.append(eol); // the last line had no terminator
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append(eol);
        out.append(content, line.next, std::string::npos);
    } else {
        out = content;
        if (!lines.empty() && out.back() != '\n') // a lone BOM has no line to end
            out.append(eol);
        const Line* last = lines.empty() ? nullptr : &lines.back();
        if (last &&
            !Trim(std::string_view(content).substr(last->begin, last->end - last->begin)).empty())
            out.append(eol); // a blank line before the new section
        out.push_back('[');
        out.append(section);
        out.push_back(']');
        out.append(eol);
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append(eol);
    }
    return SaveFileAtomically(target, out, SaveMode::Replace, 0644).ok;
}

} // namespace orvik::ini
