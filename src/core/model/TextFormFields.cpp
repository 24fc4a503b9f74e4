// The fields of the text form: channel field keys, the fixed words of the settings, and which
// image bits the fields cover.

#include "core/model/TextForm.h"

#include <cctype>

namespace orvik {

namespace {

const std::array<ChannelFieldSpec, ChannelFieldCount> Fields = {{
    {ChannelField::Rx, "rx", "rxFreq", ColRxFreq, 0, 4, 0xFF, nullptr, nullptr},
    {ChannelField::RxTone, "rxTone", "rxTone", ColRxTone, 8, 2, 0xFF, nullptr, nullptr},
    {ChannelField::Tx, "tx", "txFreq", ColTxFreq, 4, 4, 0xFF, nullptr, nullptr},
    {ChannelField::TxTone, "txTone", "txTone", ColTxTone, 10, 2, 0xFF, nullptr, nullptr},
    {ChannelField::ScanAdd, "scanAdd", "optionCol5Off", ColScanAdd, 12, 1, 0x10, "yes", "no"},
    {ChannelField::Bandwidth, "bandwidth", "narrow", ColNarrow, 12, 1, 0x04, "wide", "narrow"},
    {ChannelField::Power, "power", "highPower", ColHighPower, 12, 1, 0x08, "low", "high"},
    {ChannelField::BusyLock, "busyLock", "optionCol8Off", ColBusyLockOut, 12, 1, 0x01, "yes", "no"},
    {ChannelField::Scrambler, "scrambler", "optionCol9Off", ColScrambler, 12, 1, 0x02, "yes", "no"},
}};

const std::vector<std::string> VoiceWords = {"chinese", "english"};
const std::vector<std::string> SideKeyWords = {"monitor", "scan", "vox", "alarm"};
const std::vector<std::string> ScanModeWords = {"time-operated", "carrier-operated"};

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "98.5MHz" (also "98.5 MHz", "98.5") as a list position 0 (87.0 MHz) to 210 (108.0 MHz).
bool parseFmRadio(std::string text, int& value) {
    text = lower(text);
    if (text.ends_with("mhz"))
        text.erase(text.size() - 3);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot + 2 != text.size())
        return false;
    int mhz = 0;
    int tenth = 0;
    if (!ParseWholeNumber(text.substr(0, dot), 87, 108, mhz) ||
        !ParseWholeNumber(text.substr(dot + 1), 0, 9, tenth))
        return false;
    value = (mhz - 87) * 10 + tenth;
    return value <= 210;
}

} // namespace

const std::array<ChannelFieldSpec, ChannelFieldCount>& ChannelFieldSpecs() {
    return Fields;
}

const std::vector<std::string>* SettingWords(const SettingSpec& spec) {
    switch (spec.list) {
    case SettingList::Voice:
        return &VoiceWords;
    case SettingList::SideKey:
        return &SideKeyWords;
    case SettingList::ScanMode:
        return &ScanModeWords;
    default:
        return nullptr;
    }
}

std::array<std::uint8_t, RadioImage::Size> CoveredBits() {
    std::array<std::uint8_t, RadioImage::Size> covered{};
    covered[RadioImage::BandCodeOffset] = 0xFF;
    for (const SettingSpec& s : AllSettings())
        covered[s.offset] |= s.mask;
    for (std::size_t i = 0; i < 5; ++i)
        covered[RadioImage::DtmfOffset + i] = 0xFF;
    for (int n = 1; n <= ChannelCount; ++n)
        for (const ChannelFieldSpec& f : Fields)
            for (std::size_t i = 0; i < f.size; ++i)
                covered[RadioImage::channelOffset(n) + f.at + i] |= f.mask;
    return covered;
}

std::string SettingWord(const SettingSpec& spec, int value) {
    if (const std::vector<std::string>* words = SettingWords(spec))
        return value >= 0 && static_cast<std::size_t>(value) < words->size()
                   ? (*words)[static_cast<std::size_t>(value)]
                   : std::to_string(value);
    switch (spec.list) {
    case SettingList::OnOff:
        return value ? "yes" : "no";
    case SettingList::TimeOut:
        return value == 0 ? "off" : std::to_string(value * 30) + "s";
    case SettingList::FmRadio:
        return std::to_string(87 + value / 10) + "." + std::to_string(value % 10) + "MHz";
    default:
        return std::to_string(value);
    }
}

bool ParseSettingWord(const SettingSpec& spec, const std::string& text, int& value,
                      std::string& why) {
    const int max = SettingMax(spec);
    if (const std::vector<std::string>* words = SettingWords(spec)) {
        for (std::size_t k = 0; k < words->size(); ++k)
            if (lower(text) == (*words)[k]) {
                value = static_cast<int>(k);
                return true;
            }
        if (ParseWholeNumber(text, 0, max, value))
            return true;
        why = "takes";
        for (std::size_t k = 0; k < words->size(); ++k)
            why += (k == 0 ? " " : k + 1 == words->size() ? " or " : ", ") + (*words)[k];
        why += " (or 0 to " + std::to_string(max) + ")";
        return false;
    }
    if (spec.list == SettingList::FmRadio) {
        if (parseFmRadio(text, value) || ParseWholeNumber(text, 0, max, value))
            return true;
        why = "takes 87.0MHz to 108.0MHz in steps of 0.1MHz (or 0 to " + std::to_string(max) + ")";
        return false;
    }
    std::string error;
    if (ParseSettingValue(spec, text, value, error))
        return true;
    // The command line's words without the option's name.
    const std::size_t takes = error.find("takes ");
    const std::size_t not_ = error.rfind(", not '");
    why = error.substr(takes, not_ == std::string::npos ? std::string::npos : not_ - takes);
    return false;
}

} // namespace orvik
