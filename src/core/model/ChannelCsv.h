#pragma once
// The channels of an image as a CSV file in the generic layout that radio programming tools
// exchange (one row per used channel, the 21 standard columns, then this radio's BusyLock and
// Scrambler), and the way back: each row goes through the channel table's commit rules, so an
// imported channel is one a user could have typed, and whatever the radio cannot hold is noted
// per row instead of being dropped silently.

#include "core/model/RadioImage.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

inline constexpr std::array<const char*, 21> CsvStandardColumns{
    "Location",  "Name",     "Frequency",    "Duplex",     "Offset",    "Tone",     "rToneFreq",
    "cToneFreq", "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode",     "TStep",
    "Skip",      "Power",    "Comment",      "URCALL",     "RPT1CALL",  "RPT2CALL", "DVCODE"};
inline constexpr std::array<const char*, 2> CsvExtraColumns{"BusyLock", "Scrambler"};

// The CSV text of the image's used channels: UTF-8 without a byte-order mark, CRLF line ends.
// `standardColumnsOnly` leaves out BusyLock and Scrambler.
std::string ExportChannelsCsv(const RadioImage& image, bool standardColumnsOnly);

// The chosen channels that are used, as tab-separated text with the header line (all columns):
// the clipboard's form, which a spreadsheet takes as it is.
std::string ChannelsClipboardText(const RadioImage& image, const std::vector<int>& channels);

struct CsvImportOptions {
    bool renumber = false;   // rows go in file order into channels firstChannel to 16,
                             // Location ignored
    bool replaceAll = false; // channels no row sets are cleared
    int firstChannel = 1;    // the first channel renumbered rows go to
    char separator = ',';    // '\t' for the clipboard's text
};

// What the import notes about a row.
enum class CsvNote {
    NoHeader,        // no header with Location and Frequency: the file is not usable
    Unclosed,        // a quoted field runs to the end of the file; row skipped
    ShortRow,        // fewer fields than the header; row skipped
    BadValue,        // `column` holds `value`, which cannot be read; row skipped
    EmptyMemory,     // frequency 0: an empty memory of another tool; row skipped
    LocationRange,   // Location `value` is not a channel 1 to 16; row skipped
    NoChannelLeft,   // renumbering: all 16 channels are taken; row skipped
    Duplicate,       // the channel is already set by line `result`; row ignored
    RxRaster,        // receive frequency `value` stored as `result` (channel raster)
    RxClamped,       // receive frequency `value` outside the band, stored as `result`
    TxRaster,        // the same for the transmit frequency
    TxClamped,       //
    CtcssNotOffered, // tone `value` not in the radio's list; that side left off
    DcsNotOffered,   // code `value` not in the radio's list; that side left off
    ToneMode,        // tone mode `value` cannot be expressed; tones left off
    Mode,            // mode `value` cannot be expressed; `result` ("wide") used
    Power,           // power `value` mapped to `result` ("high" or "low")
    Skip,            // skip `value` cannot be expressed; the channel stays in the scan
    Name,            // a name the radio cannot store
    Comment,         // a comment the radio cannot store
};

struct CsvImportNote {
    int line = 0;    // physical line of the file (the header is line 1)
    int channel = 0; // the row's channel, 0 when it got none
    CsvNote what = CsvNote::BadValue;
    std::string column;
    std::string value;
    std::string result;
};

struct CsvImportResult {
    bool usable = false;       // a header with Location and Frequency was found
    RadioImage image;          // the image after the import
    int rows = 0;              // data rows read
    int skipped = 0;           // rows that set no channel (empty memories included)
    std::vector<int> imported; // channels set from the file, in file order
    std::vector<int> cleared;  // channels cleared by replaceAll
    std::vector<int> changed;  // channels whose record differs from before, ascending
    std::vector<CsvImportNote> notes;
};

// Applies the CSV text to a copy of `image` whose band has `limits`.
CsvImportResult ImportChannelsCsv(const RadioImage& image, const FrequencyLimits& limits,
                                  std::string_view text, const CsvImportOptions& options);

// The report line of a note in the current language ("Line 4, channel 2: ..."); `text` looks
// up a String key of the language files.
using CsvTextLookup = std::function<std::string(std::string_view key)>;
std::string CsvNoteText(const CsvImportNote& note, const CsvTextLookup& text);
// The same without the place ("receive frequency ... moved to the channel raster: ...").
std::string CsvNoteBody(const CsvImportNote& note, const CsvTextLookup& text);
// Every report line: the notes, the summary, the channels that change and those cleared.
std::vector<std::string> CsvReportLines(const CsvImportResult& result, const CsvTextLookup& text);
// A stable name of the note kind for machine-readable output ("bad-value", ...).
const char* CsvNoteCode(CsvNote what);

} // namespace orvik
