#include "core/model/Codecs.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace orvik {

namespace {

// Leading blanks, an optional sign, then decimal digits up to the first non-digit, as atoi
// reads them, but saturating at the 32-bit limits instead of overflowing.
std::int32_t parseLeadingInt(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\v' ||
                            s[i] == '\f' || s[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<std::int64_t>(INT32_MAX) + 1)
            v = static_cast<std::int64_t>(INT32_MAX) + 1; // keeps growing digits bounded
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// snprintf into a string; the attribute lets the compiler check every call's arguments.
__attribute__((format(printf, 1, 2))) std::string format(const char* fmt, ...) {
    char buf[64];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return std::string(buf, n < 0 ? 0 : std::min(static_cast<std::size_t>(n), sizeof buf - 1));
}

} // namespace

std::string FreqToText(const FreqBcd& f) {
    if (f[3] > 0x99)
        return {};
    return format("%x%x.%x%02x%02x", unsigned{f[3]}, unsigned{f[2]} >> 4, unsigned{f[2]} & 0x0Fu,
                  unsigned{f[1]}, unsigned{f[0]});
}

bool FreqIsValid(const FreqBcd& f) {
    if (f[3] > 0x99)
        return true;
    for (const std::uint8_t b : f)
        if ((b >> 4) > 9 || (b & 0x0F) > 9)
            return false;
    return true;
}

std::string BytesText(const std::uint8_t* bytes, std::size_t count) {
    std::string text = "[";
    for (std::size_t i = 0; i < count; ++i)
        text += format(i == 0 ? "%02X" : " %02X", unsigned{bytes[i]});
    return text + "]";
}

std::int32_t NormaliseFreqText(std::string_view text) {
    std::string s(text);
    s += s.find('.') == std::string::npos ? ".00000" : "00000";
    const std::size_t dot = s.find('.');
    s.insert(dot + 6, 1, '.');
    s.erase(dot, 1);
    return parseLeadingInt(s);
}

std::int32_t SnapToChannelGrid(std::int32_t value) {
    const std::int64_t v = value; // 64-bit: the bias and distances never overflow
    const std::int64_t d = ((v + 75) / 625) * 625;
    if (v / 100 == d / 100)
        return static_cast<std::int32_t>(d);
    const std::int64_t rem = v % 500;
    std::int64_t f = (v / 500) * 500;
    if (rem > 500 - rem)
        f += 500;
    const std::int64_t df = f > v ? f - v : v - f;
    const std::int64_t dd = d > v ? d - v : v - d;
    const std::int64_t r = df <= dd ? f : d;
    if (r > INT32_MAX)
        return INT32_MAX;
    if (r < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(r);
}

FreqBcd FreqValueToBcd(std::int32_t v) {
    if (v < 0)
        v = 0;
    if (v > 99999999)
        v = 99999999;
    const std::string c = format("%08d", v);
    auto digit = [&](std::size_t i) { return static_cast<std::uint8_t>(c[i] - '0'); };
    return FreqBcd{static_cast<std::uint8_t>(digit(6) * 16 + digit(7)),
                   static_cast<std::uint8_t>(digit(4) * 16 + digit(5)),
                   static_cast<std::uint8_t>(digit(2) * 16 + digit(3)),
                   static_cast<std::uint8_t>(digit(0) * 16 + digit(1))};
}

FreqBcd TextToFreq(std::string_view text) {
    if (text.empty())
        return EmptyFreq;
    return FreqValueToBcd(SnapToChannelGrid(NormaliseFreqText(text)));
}

int FreqRangeCheck(std::string_view text, const FrequencyLimits& limits) {
    if (text.empty())
        return 0;
    const std::int32_t v = NormaliseFreqText(text);
    if (v > limits.high)
        return 1;
    if (v < limits.low)
        return -1;
    return 0;
}

std::string FreqValueText(std::int32_t v) {
    return format("%03d.%05d", v / 100000, v % 100000);
}

std::string LimitText(const FrequencyLimits& limits, int sign) {
    return FreqValueText(sign < 0 ? limits.low : limits.high);
}

std::string ToneToText(const ToneWord& t, const std::string& offText) {
    const unsigned b0 = t[0];
    const unsigned b1 = t[1];
    if (b1 == 0xFF)
        return offText;
    if (b1 & 0x80)
        return format(b1 < 0xC0 ? "D%x%02xN" : "D%x%02xI", b1 & 0x0Fu, b0);
    return format("%x%x.%x", b1, b0 >> 4, b0 & 0x0Fu);
}

bool ToneIsValid(const ToneWord& t) {
    const unsigned b0 = t[0];
    const unsigned b1 = t[1];
    if (b1 == 0xFF)
        return true;
    if (b1 & 0x80)
        return (b1 & 0x30) == 0 && (b1 & 0x0F) <= 7 && (b0 >> 4) <= 7 && (b0 & 0x0F) <= 7;
    return (b1 >> 4) <= 9 && (b1 & 0x0F) <= 9 && (b0 >> 4) <= 9 && (b0 & 0x0F) <= 9;
}

ToneWord TextToTone(std::string_view text) {
    if (text.empty())
        return ToneOff;
    const char first = text[0];
    if (first == 'D' || first == 'd') {
        ToneWord w{0x23, 0x80};
        auto octal = [](char c) { return c >= '0' && c <= '7'; };
        if (text.size() != 5 || !octal(text[1]) || !octal(text[2]) || !octal(text[3]))
            return w;
        std::uint8_t b1 = (text[4] == 'I' || text[4] == 'i') ? 0xC0 : 0x80;
        b1 = static_cast<std::uint8_t>(b1 | (text[1] - '0'));
        w[0] = static_cast<std::uint8_t>((text[2] - '0') * 16 + (text[3] - '0'));
        w[1] = b1;
        return w;
    }
    if (first >= '0' && first <= '9') {
        std::string s(text);
        s += s.find('.') == std::string::npos ? ".0" : "0";
        const std::size_t dot = s.find('.');
        s.insert(dot + 2, 1, '.');
        s.erase(dot, 1);
        std::int32_t v = parseLeadingInt(s);
        if (v < 670)
            v = 670;
        if (v > 2541)
            v = 2541;
        const std::string c = format("%04d", v);
        auto digit = [&](std::size_t i) { return static_cast<std::uint8_t>(c[i] - '0'); };
        return ToneWord{static_cast<std::uint8_t>(digit(2) * 16 + digit(3)),
                        static_cast<std::uint8_t>(digit(0) * 16 + digit(1))};
    }
    return ToneOff;
}

std::string ToneEntryText(const ToneEntry& e) {
    std::size_t n = 0;
    while (n < e.size() && e[n] != '\0')
        ++n;
    return std::string(e.data(), n);
}

std::vector<std::string> ToneListTexts(const std::string& offText) {
    std::vector<std::string> list;
    list.reserve(1 + CtcssTable.size() + DcsNormalTable.size() + DcsInvertedTable.size());
    list.push_back(offText);
    for (const auto& e : CtcssTable)
        list.push_back(ToneEntryText(e));
    for (const auto& e : DcsNormalTable)
        list.push_back(ToneEntryText(e));
    for (const auto& e : DcsInvertedTable)
        list.push_back(ToneEntryText(e));
    return list;
}

std::string DtmfToText(const DtmfBytes& digits) {
    std::string s;
    for (std::uint8_t v : digits) {
        if (v >= 14)
            break;
        s += v < 10 ? static_cast<char>('0' + v) : static_cast<char>('A' + (v - 10));
    }
    return s;
}

DtmfBytes TextToDtmf(std::string_view text) {
    DtmfBytes out;
    out.fill(0xFF);
    for (std::size_t i = 0; i < out.size() && i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            out[i] = static_cast<std::uint8_t>(c - '0');
        else if (c >= 'A' && c <= 'D')
            out[i] = static_cast<std::uint8_t>(10 + (c - 'A'));
        else if (c >= 'a' && c <= 'd')
            out[i] = static_cast<std::uint8_t>(10 + (c - 'a'));
        else
            break;
    }
    return out;
}

std::vector<std::string> SquelchTexts() {
    std::vector<std::string> v;
    for (int i = 0; i <= 9; ++i)
        v.push_back(std::to_string(i));
    return v;
}

std::vector<std::string> TimeOutTexts(const std::string& offText) {
    std::vector<std::string> v{offText};
    for (int n = 1; n <= 10; ++n)
        v.push_back(std::to_string(n * 30));
    return v;
}

std::vector<std::string> VoxLevelTexts() {
    std::vector<std::string> v;
    for (int n = 0; n <= 4; ++n)
        v.push_back(std::to_string(n + 1));
    return v;
}

std::vector<std::string> FmRadioTexts() {
    std::vector<std::string> v;
    v.reserve(211);
    for (int m = 87; m <= 107; ++m)
        for (int k = 0; k <= 9; ++k)
            v.push_back(std::to_string(m) + "M" + std::to_string(k));
    v.push_back("108M0");
    return v;
}

} // namespace orvik
