#pragma once
// Field-by-field comparison of two radio images: the band, every setting of the panel (hidden
// ones included), the DTMF code and the fields of the 16 channels, each difference with its
// place and both values as the table and the panel show them. Bytes that no field covers (and
// bits of a shared byte that no field covers) are compared too and reported by offset. A field
// whose shown text is the same on both sides but whose bytes differ (a clamped value, two codes
// of one band) is reported with its bytes in hex, so no difference is ever hidden.

#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orvik {

class LangCatalog;

// The language texts a comparison shows; LoadDiffTexts fills them from a catalog.
struct DiffTexts {
    CellTexts cell;
    std::string empty = "(empty)";                       // a field without a value
    std::string channelFormat = "CH%d";                  // %d: the channel number
    std::string byteFormat = "byte %s";                  // %s: the offset as 0x3A1
    std::vector<std::string> bandNames;                  // setting.ini [ModelInfo], band list order
    std::vector<std::string> voiceList;                  // [VoiceAnnunciation]
    std::vector<std::string> sideKeyList;                // [MonitorKey]
    std::vector<std::string> scanModeList;               // [ScanMode]
    std::array<std::string, ChannelColumnCount> columns; // the channel table's headings
    // Panel labels, by the control's resource id (band 1021, squelch 1031, ...).
    std::vector<std::pair<int, std::string>> labels;
};

// The texts of the catalog's language ('&' markers and a trailing ':' dropped from labels).
DiffTexts LoadDiffTexts(LangCatalog& catalog, std::vector<std::string> bandNames);

enum class DiffKind { Band, Setting, Dtmf, Channel, Byte };

struct ImageDifference {
    DiffKind kind = DiffKind::Byte;
    int channel = 0;        // 1..16 for a channel field, else 0
    std::string field;      // "band", "squelchLevel", "dtmf", "rxFreq", ..., "byte"
    std::size_t offset = 0; // first image byte of the field
    std::string place;      // "CH3 RX CTCSS/DCS", "Squelch Level", "byte 0x3A1"
    std::string before;     // the value in the first image
    std::string after;      // the value in the second image
};

// Differences from `a` to `b` over image bytes [0, end), in image order of the fields: band,
// settings, DTMF, channels 1..16, then raw bytes.
std::vector<ImageDifference> CompareImages(const RadioImage& a, const RadioImage& b,
                                           const DiffTexts& texts,
                                           std::size_t end = RadioImage::Size);

// "place: before -> after".
std::string DifferenceLine(const ImageDifference& d);

// The differences as one JSON object: {"equal":bool,"count":n,"differences":[{"kind",
// "channel","field","offset","place","from","to"}]} (a published interface).
std::string DifferencesJson(const std::vector<ImageDifference>& differences);

} // namespace orvik
