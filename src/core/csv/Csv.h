#pragma once
// Comma-separated values as RFC 4180 has them: fields separated by commas, records by line
// ends, a field that holds a comma, a double quote or a line break enclosed in double quotes
// with its quotes doubled. The writer quotes only where needed and ends records with CRLF; the
// reader also takes LF and lone CR line ends, skips a UTF-8 byte-order mark, and tells for each
// record the physical line it starts on.

#include <string>
#include <string_view>
#include <vector>

namespace orvik::csv {

// One field, quoted when it holds the separator, a double quote, CR or LF.
std::string Field(std::string_view value, char separator = ',');
// The fields joined by the separator (a comma, or a tab for the clipboard), followed by CRLF.
std::string Line(const std::vector<std::string>& fields, char separator = ',');

struct Record {
    int line = 0;      // physical line (1-based) the record starts on
    bool open = false; // a quoted field ran to the end of the text without its closing quote
    std::vector<std::string> fields;
};

// Splits the text into records. Lines starting with '#' (outside a quoted field) and empty lines
// give no record. Characters after a closing quote up to the next comma or line end are kept as
// part of the field; a quote inside an unquoted field is kept as it is.
std::vector<Record> Parse(std::string_view text, char separator = ',');

} // namespace orvik::csv
