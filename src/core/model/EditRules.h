#pragma once
// The editing rules of the channel table and the settings panel as functions on the image, so
// the window and the command line share one implementation. Each commit returns whether the
// document became modified (it may change the image without that, as the table does).

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// Language texts the channel table shows.
struct CellTexts {
    std::string off;
    std::string yes;
    std::string no;
    std::string wide;
    std::string narrow;
    std::string high;
    std::string low;
    std::string invalid = "(invalid)"; // before the bytes of a field that holds no valid value
};

class LangCatalog;

// The cell texts in the catalog's language.
CellTexts LoadCellTexts(LangCatalog& catalog);

// Channel table columns.
enum ChannelColumn : int {
    ColChannel = 0,
    ColRxFreq = 1,
    ColRxTone = 2,
    ColTxFreq = 3,
    ColTxTone = 4,
    ColScanAdd = 5,
    ColNarrow = 6,
    ColHighPower = 7,
    ColBusyLockOut = 8,
    ColScrambler = 9,
    ChannelColumnCount = 10,
};

// Frequency cell commit (column 1 when `receive`, else 3): out-of-band text is replaced by the
// limit text; the document is modified when the text differs (without regard to case) from the
// field's current text; an empty text wipes the transmit tone and, for the receive frequency,
// the whole channel back to its defaults; a new receive frequency is copied to the transmit
// frequency when both were equal before.
bool CommitFrequency(RadioImage& image, const FrequencyLimits& limits, int channel, bool receive,
                     std::string text);

// Tone cell commit (column 2 when `receive`, else 4): modified when the text differs (without
// regard to case) from the tone's current text; a receive tone is copied to the transmit tone
// when both were equal before.
bool CommitTone(RadioImage& image, int channel, bool receive, const std::string& text,
                const std::string& offText);

// Option list selection in column 5..9: sets the column's bit to `position` (0 or 1). Always
// returns true; other columns change nothing.
bool SelectOption(RadioImage& image, int channel, int column, int position);

// DTMF edit: stores the converted text only when it differs from the stored digits.
bool CommitDtmf(RadioImage& image, const std::string& text);

// Band list choice (after confirmation): nothing when `position` is the current list position;
// otherwise clearContents, selectBand(position) and true.
bool ChangeBand(HeaderBlock& header, RadioImage& image, FrequencyLimits& limits, int position);

// Whether the table refuses to edit this cell now (column 0 and unknown columns: true).
bool isCellReadOnly(const RadioImage& image, int channel, int column);

// A channel field (columns 1..9) as the table writes it, whether or not the channel is in use.
std::string channelFieldText(const RadioImage& image, int channel, int column,
                             const CellTexts& texts);

// The text the table shows in a cell of channel 1..16 (column 0: the channel number).
std::string channelCellText(const RadioImage& image, int channel, int column,
                            const CellTexts& texts);

// ---- What a commit adjusted ----

// Why a commit stored something other than the text it was given.
enum class Adjustment {
    None,
    NotAFrequency, // the text is no frequency: the field is left as it was
    Raster,        // moved to the channel raster (or digits past the fifth decimal cut)
    BelowBand,     // below the band: the low limit stored
    AboveBand,     // above the band: the high limit stored
    ToneUnknown,   // not a tone: off stored
    ToneNotListed, // a tone the tone list does not offer, stored as read
    ToneChanged,   // read as another tone (a CTCSS tone clamped into 67.0 to 254.1 Hz)
};

struct CommitNote {
    Adjustment what = Adjustment::None;
    std::string given;  // the text as given
    std::string stored; // the text of the value stored
    std::string band;   // "400-470 MHz" for BelowBand and AboveBand
};

// A decimal comma read as a decimal point ("445,125" -> "445.125") when the text has no point.
std::string MendDecimalComma(std::string text);
// The band as "400-470 MHz".
std::string BandText(const FrequencyLimits& limits);

// The frequency commit with a report: a decimal comma is mended first; a text that is not a
// frequency (other than blanks, digits and one point, or no digit at all) changes nothing and
// returns false; otherwise CommitFrequency, with `note` telling what it adjusted.
bool CommitFrequencyNoted(RadioImage& image, const FrequencyLimits& limits, int channel,
                          bool receive, const std::string& text, CommitNote& note);
// The tone commit with a report; stores exactly what CommitTone stores.
bool CommitToneNoted(RadioImage& image, int channel, bool receive, const std::string& text,
                     const std::string& offText, CommitNote& note);

// The reason in the current language ("145.5 is below the band 400-470 MHz: stored
// 400.00000"); empty for Adjustment::None. `text` looks up a String key of the language files.
using TextLookup = std::function<std::string(std::string_view key)>;
std::string CommitNoteText(const CommitNote& note, const TextLookup& text);

// ---- Channels as rows ----

// Wipes channel n as clearing its receive frequency does. True when its record changed.
bool ClearChannel(RadioImage& image, const FrequencyLimits& limits, int channel);
// Inserts an empty channel at n: channels n..15 move down one, channel 16 drops off.
void InsertEmptyChannel(RadioImage& image, const FrequencyLimits& limits, int channel);
// Moves the block of channels first..last one place up (delta -1) or down (+1); the channel it
// passes takes the freed place. False (nothing changed) when the block would leave 1..16.
bool MoveChannels(RadioImage& image, int first, int last, int delta);

} // namespace orvik
