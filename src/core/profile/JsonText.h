#pragma once
// The one JSON string writer of the machine-readable outputs (orvik-cli --json, the connection
// check): the text in double quotes, with quote, backslash and control characters escaped. UTF-8
// bytes pass through as they are.

#include <cstdio>
#include <string>
#include <string_view>

namespace orvik {

inline std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

} // namespace orvik
