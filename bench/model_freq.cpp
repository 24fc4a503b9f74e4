// Time of 100 000 text-to-frequency conversions (the channel table's frequency commit path:
// range check, then normalise, snap and pack).

#include "core/model/Codecs.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main() {
    using namespace orvik;
    constexpr int Count = 100000;
    const FrequencyLimits limits{13600000, 47000000};

    // A spread of typed texts: whole MHz, short and long decimals, off-grid values.
    std::vector<std::string> texts;
    texts.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        char buf[32];
        const int mhz = 136 + i % 335;
        switch (i % 4) {
        case 0:
            std::snprintf(buf, sizeof buf, "%d", mhz);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "%d.%03d", mhz, (i * 7) % 1000);
            break;
        case 2:
            std::snprintf(buf, sizeof buf, "%d.%05d", mhz, (i * 625) % 100000);
            break;
        default:
            std::snprintf(buf, sizeof buf, "%d.%d", mhz, i % 10);
            break;
        }
        texts.emplace_back(buf);
    }

    unsigned checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& t : texts) {
        const int range = FreqRangeCheck(t, limits);
        const FreqBcd f = range != 0 ? TextToFreq(LimitText(limits, range)) : TextToFreq(t);
        checksum += f[0] + f[1] + f[2] + f[3];
    }
    const auto end = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    std::printf("%d text-to-frequency conversions: %.2f ms (%.3f us each; checksum %u)\n", Count,
                ms, ms * 1000.0 / Count, checksum);
    return 0;
}
