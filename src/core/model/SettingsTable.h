#pragma once
// The one table of the radio's global settings: for each setting its name on the command line
// and in JSON, the captions and controls of the settings panel, its bytes, its list of values
// and how to read and store it. The panel, `edit --set`, `show` and its JSON, the printout and
// the compare of two images all read it, so no caller keeps its own list of settings.

#include "core/model/RadioImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

class LangCatalog;

enum class SettingId : int {
    VoiceFunction,
    VoiceAnnunciation,
    ScanFunction,
    VoxFunction,
    VoxLevel,
    FmRadioFunction,
    Beep,
    BatterySave,
    SquelchLevel,
    SideKey1,
    TimeOutTimer,
    SideKey2,
    FmRadioFreq,
    ScanMode,
};
inline constexpr int SettingCount = 14;

// Where a setting's value texts come from: a check box (no/yes), a fixed list, or a list of the
// language file.
enum class SettingList { OnOff, Squelch, TimeOut, Voice, SideKey, ScanMode, VoxLevel, FmRadio };

struct SettingSpec {
    SettingId id;
    const char* name; // on the command line (--set) and in JSON
    int captionId;    // resource id of the caption: a list's label, a check box itself
    int controlId;    // the panel's control
    SettingList list;
    const char* unit; // "s" when the list position counts 30 seconds (the time-out timer)
    std::size_t offset;
    std::uint8_t mask; // the bits of the byte at `offset` the setting covers
    int (RadioImage::*get)() const;
    void (RadioImage::*set)(int);
};

// Every setting, in the order of `--set`'s help and of the JSON object.
std::span<const SettingSpec> AllSettings();
const SettingSpec& Setting(SettingId id);
// The setting of a command-line/JSON name; null when none.
const SettingSpec* FindSetting(std::string_view name);
// The setting a panel control edits; null when none.
const SettingSpec* SettingOfControl(int controlId);
// The order in which `show` and the compare list the settings.
std::span<const SettingId> ShownSettings();

// The largest value a setting stores: what its getter gives for the largest byte.
int SettingMax(const SettingSpec& spec);
int SettingValue(const SettingSpec& spec, const RadioImage& image);
// Stores `value` through the setting's setter; true when a byte changed.
bool StoreSetting(const SettingSpec& spec, RadioImage& image, int value);

// The language texts the value lists are made of.
struct SettingTexts {
    std::string yes;
    std::string no;
    std::string off;
    std::vector<std::string> voice;
    std::vector<std::string> sideKey;
    std::vector<std::string> scanMode;
    static SettingTexts Load(LangCatalog& catalog);
};

// The entries of a setting's list as the panel shows them (an on/off setting: no, yes).
std::vector<std::string> SettingEntries(const SettingSpec& spec, const SettingTexts& texts);
// The entry the panel shows for the image's value; empty when the list has no such entry.
std::string SettingValueText(const SettingSpec& spec, const RadioImage& image,
                             const SettingTexts& texts);

// A value as `edit --set` takes it: the stored value or list position, yes/no/on/off for an
// on/off setting, seconds with "s" (or "off") for the time-out timer. False with `error` naming
// the accepted values when the text is none of them.
// A decimal integer in [lo, hi] written with digits only (no sign, no blanks, at most 9 digits).
bool ParseWholeNumber(const std::string& text, long lo, long hi, int& value);

bool ParseSettingValue(const SettingSpec& spec, const std::string& text, int& value,
                       std::string& error);

} // namespace orvik
