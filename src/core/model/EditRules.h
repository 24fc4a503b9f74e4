#pragma once
// The editing rules of the channel table and the settings panel as functions on the image, so
// the window and the command line share one implementation. Each commit returns whether the
// document became modified (it may change the image without that, as the table does).

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"

#include <string>

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
};

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

// The text the table shows in a cell of channel 1..16 (column 0: the channel number).
std::string channelCellText(const RadioImage& image, int channel, int column,
                            const CellTexts& texts);

} // namespace orvik
