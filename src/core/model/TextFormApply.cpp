// Applying a text form's plan to a document through its operations.

#include "core/model/TextForm.h"

#include "core/model/Codecs.h"

namespace orvik {

namespace {

const char* const ColumnNames[ChannelColumnCount] = {
    "channel",       "receive frequency", "receive tone", "transmit frequency", "transmit tone",
    "option col. 5", "bandwidth",         "power",        "option col. 8",      "option col. 9"};

struct Refusal {
    TextFormError error;
};

// The bits a value stores, spread over the field's bytes (a frequency or tone text as the
// rules would store it before any adjustment).
std::vector<std::uint8_t> storedBytes(const ChannelFieldSpec& f, const TextValue& v) {
    if (v.raw)
        return v.bytes;
    if (f.word0)
        return {static_cast<std::uint8_t>(v.position ? f.mask : 0)};
    if (f.size == 4) {
        const FreqBcd b = TextToFreq(v.text);
        return {b.begin(), b.end()};
    }
    const ToneWord t = TextToTone(v.text);
    return {t.begin(), t.end()};
}

bool fieldHolds(const RadioImage& image, int n, const ChannelFieldSpec& f,
                const std::vector<std::uint8_t>& bytes) {
    const std::size_t at = RadioImage::channelOffset(n) + f.at;
    for (std::size_t i = 0; i < f.size; ++i)
        if ((image[at + i] & f.mask) != (bytes[i] & f.mask))
            return false;
    return true;
}

class Applier {
public:
    Applier(RadioDocument& d, TextApplyResult& r) : doc(d), result(r) {}

    void band(const TextPlan& plan, bool replace);
    void settings(const TextPlan& plan);
    void channel(const TextChannel& ch);
    void otherBytes(const TextPlan& plan);

private:
    void raws(const TextChannel& ch);
    void text(const TextChannel& ch, const ChannelFieldSpec& f);
    void keepNotes(const DocChange& change, TextPlace at) {
        for (const CellNote& n : change.notes)
            result.notes.push_back({at, n});
    }

    RadioDocument& doc;
    TextApplyResult& result;
};

void Applier::band(const TextPlan& plan, bool replace) {
    const int position = plan.bandPosition.value_or(doc.image().bandListPosition());
    if (replace) {
        doc.clearToBand(position);
    } else if (plan.bandPosition && position != doc.image().bandListPosition()) {
        int used = 0;
        for (int n = 1; n <= ChannelCount; ++n)
            used += doc.image().isRxEmpty(n) ? 0 : 1;
        if (used > 0)
            throw Refusal{{plan.bandAt, "another band clears all channels (" +
                                            std::to_string(used) +
                                            " in use) and resets every setting: apply the "
                                            "file with --replace to change the band"}};
        doc.setBand(position);
    }
    // A code the band list does not hold (two codes share a list position) is stored as it is.
    if (plan.bandCode && doc.image().bandCode() != *plan.bandCode) {
        const std::uint8_t code = *plan.bandCode;
        doc.storeBytes(RadioImage::BandCodeOffset, {&code, 1}, 0xFF);
    }
}

void Applier::settings(const TextPlan& plan) {
    for (const TextSetting& s : plan.settings) {
        const SettingSpec& spec = Setting(s.id);
        if (s.value.raw)
            doc.storeBytes(spec.offset, s.value.bytes, spec.mask);
        else
            doc.setSetting(s.id, s.value.position);
    }
    if (plan.dtmf.given && plan.dtmf.raw)
        doc.storeBytes(RadioImage::DtmfOffset, plan.dtmf.bytes, 0xFF);
    else if (plan.dtmf.given)
        doc.setDtmf(plan.dtmf.text);
}

void Applier::raws(const TextChannel& ch) {
    for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
        const TextValue& v = ch.fields[static_cast<std::size_t>(f.field)];
        if (v.given && v.raw)
            doc.storeBytes(RadioImage::channelOffset(ch.number) + f.at, v.bytes, f.mask);
    }
}

// One text through the channel table's rules. A cell the table does not let the user edit now
// is refused, unless it already holds the value.
void Applier::text(const TextChannel& ch, const ChannelFieldSpec& f) {
    const TextValue& v = ch.fields[static_cast<std::size_t>(f.field)];
    const int n = ch.number;
    if (isCellReadOnly(doc.image(), n, f.column)) {
        if (fieldHolds(doc.image(), n, f, storedBytes(f, v)))
            return;
        const bool noTx = f.column == ColTxTone && !doc.image().isRxEmpty(n);
        throw Refusal{
            {v.at, "channel " + std::to_string(n) +
                       (noTx ? " has no transmit frequency" : " has no receive frequency") +
                       ": its " + ColumnNames[f.column] + " cannot be set"}};
    }
    if (f.word0) {
        keepNotes(doc.chooseOption(n, f.column, v.position), v.at);
        return;
    }
    CellTexts texts;
    texts.off = "off";
    const DocChange change = doc.commitCell(n, f.column, v.text, texts);
    for (const CellNote& note : change.notes)
        if (note.note.what == Adjustment::NotAFrequency)
            throw Refusal{{v.at, "channel " + std::to_string(n) + " " + f.key + ": '" + v.text +
                                     "' is no frequency"}};
    keepNotes(change, v.at);
}

// Raw bytes first (a frequency stored raw lets the texts after it be set), then the texts in
// the table's order, then the raw bytes again, as a text commit may copy onto a raw field.
// An empty receive frequency clears the channel: its other texts are then not set.
void Applier::channel(const TextChannel& ch) {
    raws(ch);
    const TextValue& rx = ch.fields[static_cast<std::size_t>(ChannelField::Rx)];
    const bool clears = rx.given && !rx.raw && rx.text.find_first_not_of(' ') == std::string::npos;
    for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
        const TextValue& v = ch.fields[static_cast<std::size_t>(f.field)];
        if (v.given && !v.raw && (!clears || f.field == ChannelField::Rx))
            text(ch, f);
    }
    raws(ch);
}

void Applier::otherBytes(const TextPlan& plan) {
    static const std::array<std::uint8_t, RadioImage::Size> covered = CoveredBits();
    for (const TextBytes& run : plan.otherBytes)
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            const std::size_t at = run.offset + i;
            const std::uint8_t mask = static_cast<std::uint8_t>(~covered[at]);
            if (mask != 0)
                doc.storeBytes(at, {&run.bytes[i], 1}, mask);
        }
}

} // namespace

TextApplyResult ApplyTextForm(RadioDocument& doc, const TextPlan& plan, bool replace) {
    TextApplyResult result;
    Applier applier(doc, result);
    try {
        applier.band(plan, replace);
        applier.settings(plan);
        for (const TextChannel& ch : plan.channels)
            applier.channel(ch);
        applier.otherBytes(plan);
    } catch (const Refusal& r) {
        result.ok = false;
        result.error = r.error;
    }
    return result;
}

} // namespace orvik
