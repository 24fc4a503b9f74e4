#pragma once
// The whole radio as a text file (YAML; JSON reads as well): the band, every setting, the DTMF
// code, the channels in use, and the bytes no field covers, so that a file written from an image
// and applied to a cleared image of its band gives that image back byte for byte. A field whose
// bytes the rules cannot store again (no valid value, a frequency out of band, a channel's field
// the table does not let the user edit) is written as its raw bytes.
//
// Reading makes a plan of what the file names; applying it changes a RadioDocument through its
// operations (the channel table's rules), so a partial file changes only what it names and every
// value the rules adjust is reported with its place in the file.

#include "core/model/RadioDocument.h"
#include "core/model/RadioImage.h"
#include "core/model/SettingsTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// The format version this program writes and the newest it reads.
inline constexpr int TextFormVersion = 1;

// A place in the text, 1-based; 0 when unknown.
struct TextPlace {
    int line = 0;
    int column = 0;
};

struct TextFormError {
    TextPlace at;
    std::string what;
};

// The channel fields, in the order a channel's texts are committed (as `edit` commits them).
enum class ChannelField { Rx, RxTone, Tx, TxTone, ScanAdd, Bandwidth, Power, BusyLock, Scrambler };
inline constexpr std::size_t ChannelFieldCount = 9;

// One field's value as the file gives it: a text through the rules, or raw bytes stored as
// they are (only the bits the field covers).
struct TextValue {
    bool given = false;
    bool raw = false;
    std::string text;
    int position = 0; // an option column's list position (0 or 1), a setting's value
    std::vector<std::uint8_t> bytes;
    TextPlace at;
};

struct TextChannel {
    int number = 0;
    TextPlace at;
    std::array<TextValue, ChannelFieldCount> fields;
};

struct TextSetting {
    SettingId id{};
    TextValue value;
};

// A run of bytes that no field covers (bits a field covers are left to the field).
struct TextBytes {
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
    TextPlace at;
};

// What a file names.
struct TextPlan {
    int version = TextFormVersion;
    std::optional<int> bandPosition;
    std::optional<std::uint8_t> bandCode;
    TextPlace bandAt;
    std::vector<TextSetting> settings;
    TextValue dtmf;
    std::vector<TextChannel> channels;
    std::vector<TextBytes> otherBytes;
};

// Reads YAML (or JSON, as `show --json` prints it) into a plan. `bandNames`: setting.ini's
// [ModelInfo] names in band list order. False with `error` on the first thing that is wrong:
// text that is no YAML, an unknown key, a wrong type, a value out of range, a newer version.
bool ReadTextForm(std::string_view text, const std::vector<std::string>& bandNames, TextPlan& plan,
                  TextFormError& error);

// A value the rules stored otherwise than given, with its place in the file.
struct TextNote {
    TextPlace at;
    CellNote note;
};

struct TextApplyResult {
    bool ok = true;
    TextFormError error; // when not ok: the document is then in an unspecified state
    std::vector<TextNote> notes;
};

// Applies a plan: the band first (`replace`: the document starts from a cleared image of the
// plan's band, or of its own band when the plan names none), then the settings, the DTMF code,
// the channels and the other bytes. Without `replace` a band other than the document's is
// refused while a channel is in use, as a band change clears them all.
TextApplyResult ApplyTextForm(RadioDocument& doc, const TextPlan& plan, bool replace);

// The text form of an image; `madeBy` goes into the comment line at the top.
std::string WriteTextForm(const RadioImage& image, const std::vector<std::string>& bandNames,
                          const std::string& madeBy);

// ---- shared by the reader and the writer

// A channel field's key in the text form, in `show --json`, and where its bits lie in the
// channel's 16-byte record.
struct ChannelFieldSpec {
    ChannelField field;
    const char* key;
    const char* jsonKey;
    int column;
    std::size_t at;
    std::size_t size;
    std::uint8_t mask;
    const char* word0; // option columns: the words of list positions 0 and 1
    const char* word1;
};
const std::array<ChannelFieldSpec, ChannelFieldCount>& ChannelFieldSpecs();

// The fixed words of the list settings (the language's words are for the panel); null when
// the setting has none.
const std::vector<std::string>* SettingWords(const SettingSpec& spec);

// For every image byte, the bits some field covers.
std::array<std::uint8_t, RadioImage::Size> CoveredBits();

// A setting's value as the text form writes it ("yes", "180s", "english", "98.5MHz", "3").
std::string SettingWord(const SettingSpec& spec, int value);
// And back; false with `why` naming what the setting takes.
bool ParseSettingWord(const SettingSpec& spec, const std::string& text, int& value,
                      std::string& why);

} // namespace orvik
