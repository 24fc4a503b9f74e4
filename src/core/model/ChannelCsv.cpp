#include "core/model/ChannelCsv.h"

#include "core/csv/Csv.h"
#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/model/ChannelCsvValues.h"
#include "core/model/Codecs.h"
#include "core/model/EditRules.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

namespace orvik {

namespace {

using namespace csvvalues;

// ---- Reading values ----

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A decimal number "123", "123.", "123.456" (optional leading '+'), scaled by 10^decimals and
// cut after that many decimals; `exact` tells whether nothing non-zero was cut.
std::optional<std::int64_t> parseDecimal(std::string_view s, int decimals, bool& exact) {
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    std::size_t i = 0;
    std::int64_t whole = 0;
    int digits = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (++digits > 9)
            return std::nullopt;
        whole = whole * 10 + (s[i] - '0');
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    exact = true;
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
            if (fracDigits < decimals) {
                frac = frac * 10 + (s[i] - '0');
                ++fracDigits;
            } else if (s[i] != '0') {
                exact = false;
            }
        }
    } else if (digits == 0) {
        return std::nullopt;
    }
    if (i != s.size() || (digits == 0 && fracDigits == 0 && exact))
        return std::nullopt;
    for (; fracDigits < decimals; ++fracDigits)
        frac *= 10;
    std::int64_t scale = 1;
    for (int k = 0; k < decimals; ++k)
        scale *= 10;
    return whole * scale + frac;
}

std::optional<int> parseInteger(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 6)
        return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

// The list text of a CTCSS tone given in tenths of Hz, or "" when the list lacks it.
std::string listedCtcss(std::int64_t tenths) {
    for (const ToneEntry& e : CtcssTable) {
        bool exact = true;
        const std::string t = ToneEntryText(e);
        if (parseDecimal(t, 1, exact) == tenths)
            return t;
    }
    return {};
}

bool listedDcs(const std::string& code) {
    for (const ToneEntry& e : DcsNormalTable)
        if (ToneEntryText(e).substr(1, 3) == code)
            return true;
    return false;
}

// One side of a channel's tone as the file asks for it.
struct ToneRequest {
    ToneKind kind = ToneKind::Off;
    std::string value; // the file's tone (tenths parsed) or code (three digits)
    std::int64_t tenths = 0;
    char polarity = 'N';
};

// Everything read from one row before it is applied.
struct RowValues {
    int location = 0;
    std::int64_t rxHz = 0;
    std::string duplex;
    std::int64_t offsetHz = 0;
    std::string toneMode;
    ToneRequest tx, rx;
    bool toneModeUnknown = false;
    std::optional<int> narrow, highPower, scanAddOff, busyLockOutOff, scramblerOff;
    std::string modeText, powerText, skipText, name, comment;
    bool modeMapped = false, powerMapped = false, skipMapped = false;
};

// Columns by name.
class Columns {
public:
    explicit Columns(const std::vector<std::string>& header) {
        for (std::size_t i = 0; i < header.size(); ++i) {
            const std::string name = trimmed(header[i]);
            bool known = false;
            for (const auto& [k, v] : index)
                known = known || sameText(k, name);
            if (!known)
                index.emplace_back(name, i);
        }
    }
    std::optional<std::size_t> find(std::string_view name) const {
        for (const auto& [k, v] : index)
            if (sameText(k, name))
                return v;
        return std::nullopt;
    }

private:
    std::vector<std::pair<std::string, std::size_t>> index;
};

struct RowReader {
    const Columns& columns;
    const std::vector<std::string>& fields;
    std::string badColumn, badValue;

    bool has(std::string_view column) const { return columns.find(column).has_value(); }
    std::string get(std::string_view column) const {
        const auto i = columns.find(column);
        return i && *i < fields.size() ? trimmed(fields[*i]) : std::string();
    }
    bool bad(std::string_view column, const std::string& value) {
        badColumn = std::string(column);
        badValue = value;
        return false;
    }
};

// Reads the row's values; false with the offending column and value when one does not parse.
// The receive frequency and the channel (unless renumbered); a frequency of 0 ends the row.
bool readPlace(RowReader& in, bool renumber, RowValues& v) {
    bool exact = true;
    const std::string freq = in.get("Frequency");
    const auto rx = parseDecimal(freq, 6, exact);
    if (!rx)
        return in.bad("Frequency", freq);
    v.rxHz = *rx;
    // Only a frequency written as zero is an empty memory; one that rounds to nothing (digits
    // past the sixth decimal cut) is no usable value.
    if (v.rxHz == 0)
        return exact || in.bad("Frequency", freq);
    if (!renumber) {
        const std::string loc = in.get("Location");
        const auto n = parseInteger(loc);
        if (!n)
            return in.bad("Location", loc);
        v.location = *n;
    }

    return true;
}

// Duplex and offset: how the transmit frequency follows.
bool readDuplex(RowReader& in, RowValues& v) {
    bool exact = true;
    v.duplex = in.get("Duplex");
    if (!v.duplex.empty() && v.duplex != "+" && v.duplex != "-" && !sameText(v.duplex, "split") &&
        !sameText(v.duplex, "off"))
        return in.bad("Duplex", v.duplex);
    if (v.duplex == "+" || v.duplex == "-" || sameText(v.duplex, "split")) {
        const std::string off = in.get("Offset");
        const auto o = parseDecimal(off, 6, exact);
        if (!o)
            return in.bad("Offset", off);
        v.offsetHz = *o;
    }

    return true;
}

// The tone mode and its tone and code columns.
bool readTones(RowReader& in, RowValues& v) {
    // Tone columns: a missing column takes the neutral value; one of rToneFreq and cToneFreq
    // alone serves both.
    auto toneColumn = [&](const char* column, const char* other, std::int64_t& tenths,
                          std::string& text) {
        text = in.has(column) ? in.get(column) : in.has(other) ? in.get(other) : "88.5";
        if (text.empty())
            text = "88.5";
        bool e = true;
        const auto t = parseDecimal(text, 1, e);
        if (!t)
            return in.bad(column, text);
        tenths = e ? *t : -1; // not exactly tenths: in no list
        return true;
    };
    auto codeColumn = [&](const char* column, std::string& code) {
        code = in.has(column) ? in.get(column) : "023";
        if (code.empty())
            code = "023";
        if (code.size() > 3 || !std::all_of(code.begin(), code.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            }))
            return in.bad(column, code);
        code.insert(0, 3 - code.size(), '0');
        return true;
    };
    std::int64_t rTenths = 0, cTenths = 0;
    std::string rText, cText, code, rxCode;
    if (!toneColumn("rToneFreq", "cToneFreq", rTenths, rText) ||
        !toneColumn("cToneFreq", "rToneFreq", cTenths, cText) || !codeColumn("DtcsCode", code) ||
        !codeColumn("RxDtcsCode", rxCode))
        return false;
    std::string polarity = in.get("DtcsPolarity");
    if (polarity.empty())
        polarity = "NN";
    for (char& c : polarity)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (polarity.size() != 2 || (polarity[0] != 'N' && polarity[0] != 'R') ||
        (polarity[1] != 'N' && polarity[1] != 'R'))
        return in.bad("DtcsPolarity", in.get("DtcsPolarity"));

    auto ctcss = [&](ToneRequest& r, std::int64_t tenths, const std::string& text) {
        r.kind = ToneKind::Ctcss;
        r.tenths = tenths;
        r.value = text;
    };
    auto dcs = [&](ToneRequest& r, const std::string& c, char pol) {
        r.kind = ToneKind::Dcs;
        r.value = c;
        r.polarity = pol;
    };
    v.toneMode = in.get("Tone");
    if (v.toneMode.empty()) {
    } else if (sameText(v.toneMode, "Tone")) {
        ctcss(v.tx, rTenths, rText);
    } else if (sameText(v.toneMode, "TSQL")) {
        ctcss(v.tx, cTenths, cText);
        ctcss(v.rx, cTenths, cText);
    } else if (sameText(v.toneMode, "DTCS")) {
        dcs(v.tx, code, polarity[0]);
        dcs(v.rx, code, polarity[1]);
    } else if (sameText(v.toneMode, "Cross")) {
        const std::string cross = in.has("CrossMode") ? in.get("CrossMode") : "Tone->Tone";
        const std::size_t arrow = cross.find("->");
        const std::string left = arrow == std::string::npos ? "?" : cross.substr(0, arrow);
        const std::string right = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
        auto known = [](const std::string& s) {
            return s.empty() || sameText(s, "Tone") || sameText(s, "DTCS");
        };
        if (!known(left) || !known(right) || (left.empty() && right.empty())) {
            v.toneMode = "Cross " + cross;
            v.toneModeUnknown = true;
        } else {
            if (sameText(left, "Tone"))
                ctcss(v.tx, rTenths, rText);
            else if (sameText(left, "DTCS"))
                dcs(v.tx, code, polarity[0]);
            if (sameText(right, "Tone"))
                ctcss(v.rx, cTenths, cText);
            else if (sameText(right, "DTCS"))
                dcs(v.rx, rxCode, polarity[1]);
        }
    } else {
        v.toneModeUnknown = true; // TSQL-R, DTCS-R and modes this radio has no use for
    }

    return true;
}

// Mode, power, skip and the radio's own yes/no columns, the name and the comment.
bool readOptions(RowReader& in, RowValues& v) {
    v.modeText = in.get("Mode");
    if (sameText(v.modeText, "FM")) {
        v.narrow = 0;
    } else if (sameText(v.modeText, "NFM")) {
        v.narrow = 1;
    } else if (!v.modeText.empty()) {
        v.narrow = 0;
        v.modeMapped = true;
    }

    v.powerText = in.get("Power");
    if (!v.powerText.empty()) {
        std::string number = v.powerText;
        if (!number.empty() && (number.back() == 'W' || number.back() == 'w'))
            number = trimmed(number.substr(0, number.size() - 1));
        bool e = true;
        const auto tenthWatts = parseDecimal(number, 1, e);
        if (!tenthWatts)
            return in.bad("Power", v.powerText);
        v.highPower = *tenthWatts >= 30 ? 1 : 0;
        v.powerMapped = !e || *tenthWatts != (*v.highPower ? 50 : 10);
    }

    v.skipText = in.get("Skip");
    if (in.has("Skip")) {
        if (v.skipText.empty()) {
            v.scanAddOff = 0;
        } else if (sameText(v.skipText, "S")) {
            v.scanAddOff = 1;
        } else if (sameText(v.skipText, "P")) {
            v.scanAddOff = 0;
            v.skipMapped = true;
        } else {
            return in.bad("Skip", v.skipText);
        }
    }

    auto yesNo = [&](const char* column, std::optional<int>& offBit) {
        const std::string t = in.get(column);
        if (t.empty())
            return true;
        if (sameText(t, "yes"))
            offBit = 0;
        else if (sameText(t, "no"))
            offBit = 1;
        else
            return in.bad(column, t);
        return true;
    };
    if (!yesNo("BusyLock", v.busyLockOutOff) || !yesNo("Scrambler", v.scramblerOff))
        return false;

    v.name = in.get("Name");
    v.comment = in.get("Comment");
    return true;
}

bool readRow(RowReader& in, bool renumber, RowValues& v) {
    if (!readPlace(in, renumber, v))
        return false;
    if (v.rxHz == 0)
        return true; // an empty memory: the row is passed over as a whole
    return readDuplex(in, v) && readTones(in, v) && readOptions(in, v);
}

// Commits one frequency through the table's rule and notes a move or a clamp.
void commitFrequency(RadioImage& image, const FrequencyLimits& limits, int n, bool receive,
                     std::int64_t hz, CsvImportNote note, std::vector<CsvImportNote>& notes) {
    const std::int64_t v10 = std::clamp<std::int64_t>(hz / 10, 0, 99999999);
    CommitFrequency(image, limits, n, receive, FreqValueText(static_cast<std::int32_t>(v10)));
    const std::int64_t stored = freqHz(receive ? image.rxFreq(n) : image.txFreq(n));
    if (stored == hz)
        return;
    const bool outside = hz < std::int64_t{limits.low} * 10 || hz > std::int64_t{limits.high} * 10;
    note.what = receive ? (outside ? CsvNote::RxClamped : CsvNote::RxRaster)
                        : (outside ? CsvNote::TxClamped : CsvNote::TxRaster);
    note.value = mhzText(hz);
    note.result = mhzText(stored);
    notes.push_back(std::move(note));
}

// A note for the second side of a tone pair that says what the first one said is left out.
void addOnce(std::vector<CsvImportNote>& notes, CsvImportNote note) {
    if (!notes.empty()) {
        const CsvImportNote& last = notes.back();
        if (last.line == note.line && last.what == note.what && last.value == note.value)
            return;
    }
    notes.push_back(std::move(note));
}

// The table text of a requested tone side, "" (off) with a note when the lists lack it.
std::string toneText(const ToneRequest& r, CsvImportNote note, std::vector<CsvImportNote>& notes) {
    switch (r.kind) {
    case ToneKind::Off:
        return {};
    case ToneKind::Ctcss: {
        const std::string t = r.tenths >= 0 ? listedCtcss(r.tenths) : std::string();
        if (t.empty()) {
            note.what = CsvNote::CtcssNotOffered;
            note.value = r.value;
            addOnce(notes, std::move(note));
        }
        return t;
    }
    case ToneKind::Dcs:
        if (!listedDcs(r.value)) {
            note.what = CsvNote::DcsNotOffered;
            note.value = r.value;
            addOnce(notes, std::move(note));
            return {};
        }
        return "D" + r.value + (r.polarity == 'R' ? "I" : "N");
    }
    return {};
}

} // namespace

CsvImportResult ImportChannelsCsv(const RadioImage& image, const FrequencyLimits& limits,
                                  std::string_view text, const CsvImportOptions& options) {
    CsvImportResult result;
    result.image = image;
    RadioImage& out = result.image;

    const std::vector<csv::Record> records = csv::Parse(text, options.separator);
    const Columns columns(records.empty() ? std::vector<std::string>{} : records.front().fields);
    if (records.empty() || !columns.find("Location") || !columns.find("Frequency")) {
        CsvImportNote note;
        note.what = CsvNote::NoHeader;
        note.line = records.empty() ? 0 : records.front().line;
        result.notes.push_back(note);
        return result;
    }
    result.usable = true;
    const std::size_t headerSize = records.front().fields.size();

    std::map<int, int> setBy; // channel -> line
    int nextChannel = std::clamp(options.firstChannel, 1, ChannelCount + 1);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const csv::Record& rec = records[r];
        ++result.rows;
        CsvImportNote note;
        note.line = rec.line;
        auto skip = [&](CsvNote what) {
            note.what = what;
            result.notes.push_back(note);
            ++result.skipped;
        };
        if (rec.open) {
            skip(CsvNote::Unclosed);
            continue;
        }
        if (rec.fields.size() < headerSize) {
            skip(CsvNote::ShortRow);
            continue;
        }
        RowReader in{columns, rec.fields, {}, {}};
        RowValues v;
        if (!readRow(in, options.renumber, v)) {
            note.column = in.badColumn;
            note.value = in.badValue;
            skip(CsvNote::BadValue);
            continue;
        }
        if (v.rxHz == 0) {
            skip(CsvNote::EmptyMemory);
            continue;
        }
        int n = 0;
        if (options.renumber) {
            if (nextChannel > ChannelCount) {
                skip(CsvNote::NoChannelLeft);
                continue;
            }
            n = nextChannel++;
        } else {
            if (v.location < 1 || v.location > ChannelCount) {
                note.value = std::to_string(v.location);
                skip(CsvNote::LocationRange);
                continue;
            }
            n = v.location;
            if (const auto it = setBy.find(n); it != setBy.end()) {
                note.channel = n;
                note.result = std::to_string(it->second);
                skip(CsvNote::Duplicate);
                continue;
            }
        }
        setBy[n] = rec.line;
        result.imported.push_back(n);
        note.channel = n;

        // Frequencies: receive first, then transmit as the duplex asks.
        commitFrequency(out, limits, n, true, v.rxHz, note, result.notes);
        if (sameText(v.duplex, "off")) {
            CommitFrequency(out, limits, n, false, "");
        } else if (v.duplex.empty()) {
            CommitFrequency(out, limits, n, false, FreqToText(out.rxFreq(n)));
        } else {
            const std::int64_t txHz = v.duplex == "+"   ? v.rxHz + v.offsetHz
                                      : v.duplex == "-" ? v.rxHz - v.offsetHz
                                                        : v.offsetHz;
            commitFrequency(out, limits, n, false, txHz, note, result.notes);
        }

        // Tones: the receive tone first (it is copied to the transmit tone while both are
        // equal), then the transmit tone, also on a channel without a transmit frequency.
        if (v.toneModeUnknown) {
            CsvImportNote m = note;
            m.what = CsvNote::ToneMode;
            m.value = v.toneMode;
            result.notes.push_back(m);
            v.rx = {};
            v.tx = {};
        }
        const std::string rxText = toneText(v.rx, note, result.notes);
        const std::string txText = toneText(v.tx, note, result.notes);
        CommitTone(out, n, true, rxText, "");
        CommitTone(out, n, false, txText, "");

        auto option = [&](int column, const std::optional<int>& bit) {
            if (bit)
                SelectOption(out, n, column, *bit);
        };
        option(ColNarrow, v.narrow);
        option(ColHighPower, v.highPower);
        option(ColScanAdd, v.scanAddOff);
        option(ColBusyLockOut, v.busyLockOutOff);
        option(ColScrambler, v.scramblerOff);

        auto add = [&](CsvNote what, const std::string& value, const std::string& res) {
            CsvImportNote m = note;
            m.what = what;
            m.value = value;
            m.result = res;
            result.notes.push_back(m);
        };
        if (v.modeMapped)
            add(CsvNote::Mode, v.modeText, "wide");
        if (v.powerMapped)
            add(CsvNote::Power, v.powerText, *v.highPower ? "high" : "low");
        if (v.skipMapped)
            add(CsvNote::Skip, v.skipText, "");
        if (!v.name.empty())
            add(CsvNote::Name, v.name, "");
        if (!v.comment.empty())
            add(CsvNote::Comment, v.comment, "");
    }

    if (options.replaceAll) {
        for (int n = 1; n <= ChannelCount; ++n) {
            if (setBy.count(n) == 0 && !out.isRxEmpty(n)) {
                CommitFrequency(out, limits, n, true, "");
                result.cleared.push_back(n);
            }
        }
    }
    for (int n = 1; n <= ChannelCount; ++n)
        if (std::memcmp(out.data() + RadioImage::channelOffset(n),
                        image.data() + RadioImage::channelOffset(n), sizeof(ChannelRecord)) != 0)
            result.changed.push_back(n);
    return result;
}

} // namespace orvik
