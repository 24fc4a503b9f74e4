#include "core/profile/PrintableText.h"

namespace orvik {

namespace {

void escape(std::string& out, unsigned value) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\x";
    out += Hex[(value >> 4) & 0x0F];
    out += Hex[value & 0x0F];
}

// The length of the valid UTF-8 sequence at `at` (shortest form, no surrogates, at most
// U+10FFFF), or 0.
std::size_t sequenceLength(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned c = byte(at);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t') || c == 0x7F)
                escape(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            escape(out, c);
            ++i;
        } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            escape(out, static_cast<unsigned char>(text[i + 1])); // C1: U+0080 to U+009F
            i += 2;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string PrintableLines(std::string_view text) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find('\n', from)) != std::string_view::npos; from = at + 1)
        out += PrintableText(text.substr(from, at - from)) + "\n";
    return out + PrintableText(text.substr(from));
}

} // namespace orvik
