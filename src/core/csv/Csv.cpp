#include "core/csv/Csv.h"

namespace orvik::csv {

std::string Field(std::string_view value, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (value.find_first_of(special) == std::string_view::npos)
        return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string Line(const std::vector<std::string>& fields, char separator) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        std::string field = Field(fields[i], separator);
        // A line that would read as a comment or as an empty line, or whose first bytes a reader
        // would take for a byte-order mark, gets its first field quoted.
        if (i == 0 && field == fields[0] &&
            (field.empty() ? fields.size() == 1
                           : field.front() == '#' || field.starts_with("\xEF\xBB\xBF")))
            field = '"' + field + '"';
        out += field;
    }
    out += "\r\n";
    return out;
}

std::vector<Record> Parse(std::string_view text, char separator) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    std::vector<Record> records;
    std::size_t i = 0;
    int line = 1;
    const std::size_t n = text.size();

    // Consumes one line end at i (CRLF, LF or CR) and counts it.
    auto takeLineEnd = [&]() {
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        ++i;
        ++line;
    };
    auto atLineEnd = [&]() { return text[i] == '\r' || text[i] == '\n'; };

    while (i < n) {
        // Comment and empty lines.
        if (text[i] == '#') {
            while (i < n && !atLineEnd())
                ++i;
            if (i < n)
                takeLineEnd();
            continue;
        }
        if (atLineEnd()) {
            takeLineEnd();
            continue;
        }

        Record rec;
        rec.line = line;
        std::string field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            field.clear();
            if (i < n && text[i] == '"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    const char c = text[i];
                    if (c == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == '\r' || c == '\n') {
                        // A line break inside quotes belongs to the field.
                        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                            field += '\r';
                            ++i;
                        }
                        field += text[i];
                        ++i;
                        ++line;
                        continue;
                    }
                    field += c;
                    ++i;
                }
                if (!closed)
                    rec.open = true;
            }
            while (i < n && text[i] != separator && !atLineEnd())
                field += text[i++];
            rec.fields.push_back(field);
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            if (i < n)
                takeLineEnd();
            endOfRecord = true;
        }
        records.push_back(std::move(rec));
    }
    return records;
}

} // namespace orvik::csv
