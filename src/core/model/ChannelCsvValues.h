#pragma once
// Field values of the image as the CSV exchange writes and reads them; shared by the export and
// the import of ChannelCsv.

#include "core/model/RadioImage.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvik::csvvalues {

inline int nibbleValue(std::uint8_t b, int high) {
    return high ? b >> 4 : b & 0x0F;
}

// A stored frequency in Hz (its eight digits as the table shows them).
inline std::int64_t freqHz(const FreqBcd& f) {
    std::int64_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v * 100 + nibbleValue(f[static_cast<std::size_t>(i)], 1) * 10 +
            nibbleValue(f[static_cast<std::size_t>(i)], 0);
    return v * 10;
}

// Hz as "%d.%06d" MHz; a negative value gets a sign.
inline std::string mhzText(std::int64_t hz) {
    char buf[40];
    const std::int64_t a = hz < 0 ? -hz : hz;
    std::snprintf(buf, sizeof buf, "%s%lld.%06lld", hz < 0 ? "-" : "",
                  static_cast<long long>(a / 1000000), static_cast<long long>(a % 1000000));
    return buf;
}

enum class ToneKind { Off, Ctcss, Dcs };

} // namespace orvik::csvvalues
