#include "core/model/SettingsTable.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/model/Codecs.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace orvik {

namespace {

using R = RadioImage;

// Captions and controls are the panel's resource ids (a check box is its own caption).
constexpr SettingSpec Table[SettingCount] = {
    {SettingId::VoiceFunction, "voiceFunction", 1028, 1028, SettingList::OnOff, "",
     R::VoiceFunctionOffset, 0xFF, &R::voiceFunction, &R::setVoiceFunction},
    {SettingId::VoiceAnnunciation, "voiceAnnunciation", 1025, 1026, SettingList::Voice, "",
     R::VoiceAnnunciationOffset, 0xFF, &R::voiceAnnunciation, &R::setVoiceAnnunciation},
    {SettingId::ScanFunction, "scanFunction", 1029, 1029, SettingList::OnOff, "",
     R::ScanFunctionOffset, 0xFF, &R::scanFunction, &R::setScanFunction},
    {SettingId::VoxFunction, "voxFunction", 1027, 1027, SettingList::OnOff, "",
     R::VoxFunctionOffset, 0xFF, &R::voxFunction, &R::setVoxFunction},
    {SettingId::VoxLevel, "voxLevel", 1041, 1042, SettingList::VoxLevel, "", R::VoxLevelOffset,
     0xFF, &R::voxLevel, &R::setVoxLevel},
    {SettingId::FmRadioFunction, "fmRadioFunction", 1030, 1030, SettingList::OnOff, "",
     R::FmRadioFunctionOffset, 0xFF, &R::fmRadioFunction, &R::setFmRadioFunction},
    {SettingId::Beep, "beep", 1023, 1023, SettingList::OnOff, "", R::BeepBatteryOffset, 0x01,
     &R::beep, &R::setBeep},
    {SettingId::BatterySave, "batterySave", 1024, 1024, SettingList::OnOff, "",
     R::BeepBatteryOffset, 0x02, &R::batterySave, &R::setBatterySave},
    {SettingId::SquelchLevel, "squelchLevel", 1031, 1032, SettingList::Squelch, "",
     R::SquelchLevelOffset, 0xFF, &R::squelchLevel, &R::setSquelchLevel},
    {SettingId::SideKey1, "sideKey1", 1033, 1034, SettingList::SideKey, "", R::SideKey1Offset, 0xFF,
     &R::sideKey1, &R::setSideKey1},
    {SettingId::TimeOutTimer, "timeOutTimer", 1035, 1036, SettingList::TimeOut, "s",
     R::TimeOutTimerOffset, 0xFF, &R::timeOutTimer, &R::setTimeOutTimer},
    {SettingId::SideKey2, "sideKey2", 1043, 1044, SettingList::SideKey, "", R::SideKey2Offset, 0xFF,
     &R::sideKey2, &R::setSideKey2},
    {SettingId::FmRadioFreq, "fmRadioFreq", 1045, 1046, SettingList::FmRadio, "",
     R::FmRadioFreqOffset, 0xFF, &R::fmRadioFreq, &R::setFmRadioFreq},
    {SettingId::ScanMode, "scanMode", 1047, 1048, SettingList::ScanMode, "", R::ScanModeOffset,
     0x01, &R::scanMode, &R::setScanMode},
};

constexpr std::array<SettingId, SettingCount> Shown = {
    SettingId::SquelchLevel, SettingId::TimeOutTimer,  SettingId::VoiceAnnunciation,
    SettingId::SideKey1,     SettingId::ScanMode,      SettingId::VoxFunction,
    SettingId::VoxLevel,     SettingId::Beep,          SettingId::ScanFunction,
    SettingId::BatterySave,  SettingId::VoiceFunction, SettingId::FmRadioFunction,
    SettingId::SideKey2,     SettingId::FmRadioFreq,
};

bool sameWord(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return i == a.size() && !b[i];
}

} // namespace

bool ParseWholeNumber(const std::string& s, long lo, long hi, int& out) {
    if (s.empty() || s.size() > 9)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    const long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

std::span<const SettingSpec> AllSettings() {
    return Table;
}

const SettingSpec& Setting(SettingId id) {
    return Table[static_cast<int>(id)];
}

const SettingSpec* FindSetting(std::string_view name) {
    for (const SettingSpec& s : Table)
        if (name == s.name)
            return &s;
    return nullptr;
}

const SettingSpec* SettingOfControl(int controlId) {
    for (const SettingSpec& s : Table)
        if (s.controlId == controlId)
            return &s;
    return nullptr;
}

std::span<const SettingId> ShownSettings() {
    return Shown;
}

int SettingMax(const SettingSpec& spec) {
    RadioImage probe;
    (probe.*spec.set)(255);
    return (probe.*spec.get)();
}

int SettingValue(const SettingSpec& spec, const RadioImage& image) {
    return (image.*spec.get)();
}

bool StoreSetting(const SettingSpec& spec, RadioImage& image, int value) {
    const std::uint8_t before = image[spec.offset];
    (image.*spec.set)(value);
    return image[spec.offset] != before;
}

SettingTexts SettingTexts::Load(LangCatalog& catalog) {
    SettingTexts t;
    t.yes = catalog.text(lang::IDS_YES);
    t.no = catalog.text(lang::IDS_NO);
    t.off = catalog.text(lang::IDS_OFF);
    t.voice = catalog.numberedList(lang::VoiceAnnunciationSection);
    t.sideKey = catalog.numberedList(lang::MonitorKeySection);
    t.scanMode = catalog.numberedList(lang::ScanModeSection);
    return t;
}

std::vector<std::string> SettingEntries(const SettingSpec& spec, const SettingTexts& texts) {
    switch (spec.list) {
    case SettingList::OnOff:
        return {texts.no, texts.yes};
    case SettingList::Squelch:
        return SquelchTexts();
    case SettingList::TimeOut:
        return TimeOutTexts(texts.off);
    case SettingList::Voice:
        return texts.voice;
    case SettingList::SideKey:
        return texts.sideKey;
    case SettingList::ScanMode:
        return texts.scanMode;
    case SettingList::VoxLevel:
        return VoxLevelTexts();
    case SettingList::FmRadio:
        return FmRadioTexts();
    }
    return {};
}

std::string SettingValueText(const SettingSpec& spec, const RadioImage& image,
                             const SettingTexts& texts) {
    const int v = SettingValue(spec, image);
    if (spec.list == SettingList::OnOff)
        return v ? texts.yes : texts.no;
    const std::vector<std::string> entries = SettingEntries(spec, texts);
    return v >= 0 && static_cast<std::size_t>(v) < entries.size()
               ? entries[static_cast<std::size_t>(v)]
               : std::string();
}

bool ParseSettingValue(const SettingSpec& spec, const std::string& v, int& value,
                       std::string& error) {
    const int max = SettingMax(spec);
    const std::string name = spec.name;
    if (spec.list == SettingList::OnOff) {
        if (sameWord(v, "yes") || sameWord(v, "on"))
            value = 1;
        else if (sameWord(v, "no") || sameWord(v, "off"))
            value = 0;
        else if (!ParseWholeNumber(v, 0, 1, value)) {
            error = "--set " + name + " takes yes or no (1 or 0), not '" + v + "'";
            return false;
        }
        return true;
    }
    if (spec.list == SettingList::TimeOut) {
        const std::string range = "off, 30s to " + std::to_string(max * 30) +
                                  "s in steps of 30s, or the list position 0 to " +
                                  std::to_string(max);
        int seconds = 0;
        if (sameWord(v, "off")) {
            value = 0;
            return true;
        }
        const bool withUnit = v.size() > 1 && (v.back() == 's' || v.back() == 'S');
        if (withUnit && ParseWholeNumber(v.substr(0, v.size() - 1), 0, 99999, seconds) &&
            seconds % 30 == 0 && seconds / 30 <= max) {
            value = seconds / 30;
            return true;
        }
        if (!withUnit && ParseWholeNumber(v, 0, max, value))
            return true;
        error = "--set timeOutTimer takes " + range + ", not '" + v + "'";
        return false;
    }
    if (!ParseWholeNumber(v, 0, max, value)) {
        error = "--set " + name + " takes 0 to " + std::to_string(max) + ", not '" + v + "'";
        return false;
    }
    return true;
}

} // namespace orvik
