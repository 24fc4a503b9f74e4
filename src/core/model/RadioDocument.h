#pragma once
// The document as data: the data file's header block and the radio image, with the band's
// frequency limits derived from the image. Every change goes through one of its operations,
// which apply the channel table's and settings panel's rules and return what changed and what
// was adjusted, so the window (which wraps each in an undo step) and the command line change an
// image the same way.

#include "core/model/ChannelBulk.h"
#include "core/model/ChannelCsv.h"
#include "core/model/DataFile.h"
#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"
#include "core/model/SettingsTable.h"

#include <bitset>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// A value a commit stored otherwise than given, with the cell it went into.
struct CellNote {
    int channel = 0;
    int column = 0;
    CommitNote note;
};

// What one operation changed.
struct DocChange {
    std::bitset<ChannelCount + 1> channels; // bit n: channel n's record changed
    bool settings = false;                  // a setting or the DTMF code changed
    bool whole = false;                     // header and image replaced, or the band changed
    // What the edit rule says: the document became modified. A commit may change bytes without
    // it (a frequency off the raster rounded on an unchanged text), and mark it without a byte
    // changing (a text that differs only in form).
    bool modified = false;
    bool refused = false; // the cell takes no text now (read-only, the channel column)
    std::vector<CellNote> notes;

    bool changedBytes() const { return whole || settings || channels.any(); }
    DocChange& operator|=(const DocChange& other);
};

class RadioDocument {
public:
    // The image of File New (band list position 2, default settings) with a new header.
    RadioDocument();
    RadioDocument(const HeaderBlock& header, const RadioImage& image);

    const HeaderBlock& header() const { return headerBlock; }
    const RadioImage& image() const { return radioImage; }
    // The limits of the image's band code, always current.
    FrequencyLimits limits() const { return recomputeLimits(radioImage); }

    // The bytes themselves, for a caller that changes them outside the operations and records
    // the change itself (the window's undo step of a read).
    RadioImage& rawImage() { return radioImage; }

    // Header and image replaced as a whole (a file opened, a read, a step taken back).
    DocChange assign(const HeaderBlock& header, const RadioImage& image);
    DocChange assignImage(const RadioImage& image);

    // ---- cells
    // A cell's text as typed: a frequency (a decimal comma read as a point; a text that is no
    // frequency changes nothing and is noted), a tone, or an option column's word (`texts`: the
    // words of the language; an empty or unknown word leaves it as it is). Refused for a cell
    // the table does not let the user edit now.
    DocChange commitCell(int channel, int column, const std::string& text, const CellTexts& texts);
    // An option column's list position (0 or 1), as its drop-down list chooses it; refused
    // where commitCell refuses.
    DocChange chooseOption(int channel, int column, int position);

    // ---- settings
    DocChange setSetting(SettingId id, int value);
    DocChange setDtmf(const std::string& text);
    // A band list position (the caller has asked first): everything cleared and the band's
    // defaults written; nothing when it is the current position.
    DocChange setBand(int position);
    // Everything cleared and the defaults of band list position `position` written, also when
    // it is the current position (a text file applied in place of the document's contents).
    DocChange clearToBand(int position);
    // Bytes stored as they are, only the bits of `mask` (a text file's raw bytes: a field that
    // holds no value the rules could store, or bytes no field covers).
    DocChange storeBytes(std::size_t offset, std::span<const std::uint8_t> bytes,
                         std::uint8_t mask);

    // ---- rows
    DocChange clearChannels(std::span<const int> channels);
    // An empty channel at n: n..15 move down one, channel 16 drops off.
    DocChange insertChannel(int channel);
    // The block first..last one place up (-1) or down (+1); nothing when it would leave 1..16.
    DocChange moveChannels(int first, int last, int delta);
    // CSV or pasted rows through the commit rules; `result` receives the import's report.
    // Nothing changes when the text has no usable header.
    DocChange applyCsv(std::string_view text, const CsvImportOptions& options,
                       CsvImportResult& result);

    // ---- several channels at once
    // The given fields to every channel in use of `channels`, through the commit rules.
    DocChange editChannels(std::span<const int> channels, const ChannelEdit& edit,
                           const CellTexts& texts);
    // The 16 channels sorted by the key, empty channels last.
    DocChange sortChannels(SortKey key);
    // Frequencies in steps for `channels`, through the frequency commit rules.
    DocChange fillFrequencies(std::span<const int> channels, const FrequencyFill& fill);

private:
    DocChange changeFrom(const RadioImage& before) const;

    HeaderBlock headerBlock{};
    RadioImage radioImage;
};

} // namespace orvik
