#include "core/profile/JsonText.h"

namespace orvik {

std::string JsonText(const Json& value) {
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    // nlohmann writes \b \t \n \f \r in their short forms; the outputs have always written every
    // control character as \u00XX. A backslash in the text always starts an escape.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        const char* code = next == 'b'   ? "08"
                           : next == 't' ? "09"
                           : next == 'n' ? "0a"
                           : next == 'f' ? "0c"
                           : next == 'r' ? "0d"
                                         : nullptr;
        if (code != nullptr) {
            out += "\\u00";
            out += code;
        } else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

} // namespace orvik
