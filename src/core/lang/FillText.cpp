#include "core/lang/FillText.h"

namespace orvik {

std::string FillText(std::string_view pattern, const std::vector<std::string>& values) {
    std::string out;
    out.reserve(pattern.size());
    std::size_t next = 0; // the value the next %s or %d takes
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char p = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '%' && p >= '1' && p <= '9' && static_cast<std::size_t>(p - '1') < values.size()) {
            out += values[static_cast<std::size_t>(p - '1')];
            ++i;
        } else if (c == '%' && (p == 's' || p == 'd') && next < values.size()) {
            out += values[next++];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace orvik
