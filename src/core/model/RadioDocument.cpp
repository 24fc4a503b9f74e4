#include "core/model/RadioDocument.h"

#include <cctype>
#include <cstring>

namespace orvik {

namespace {

// List position of the band a new document starts with (400 to 470 MHz).
constexpr int DefaultBandPosition = 2;

std::string trimmed(const std::string& s) {
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The words of an option column's positions 0 and 1.
std::pair<const std::string*, const std::string*> optionWords(int column, const CellTexts& t) {
    switch (column) {
    case ColNarrow:
        return {&t.wide, &t.narrow};
    case ColHighPower:
        return {&t.low, &t.high};
    default:
        return {&t.yes, &t.no};
    }
}

} // namespace

DocChange& DocChange::operator|=(const DocChange& other) {
    channels |= other.channels;
    settings = settings || other.settings;
    whole = whole || other.whole;
    modified = modified || other.modified;
    refused = refused || other.refused;
    notes.insert(notes.end(), other.notes.begin(), other.notes.end());
    return *this;
}

RadioDocument::RadioDocument() : headerBlock(NewHeaderBlock()) {
    clearContents(headerBlock, radioImage);
    FrequencyLimits limits{};
    radioImage.selectBand(DefaultBandPosition, limits);
}

RadioDocument::RadioDocument(const HeaderBlock& header, const RadioImage& image)
    : headerBlock(header), radioImage(image) {}

DocChange RadioDocument::changeFrom(const RadioImage& before) const {
    DocChange change;
    const std::uint8_t* a = before.data();
    const std::uint8_t* b = radioImage.data();
    for (int n = 1; n <= ChannelCount; ++n) {
        const std::size_t at = RadioImage::channelOffset(n);
        if (std::memcmp(a + at, b + at, sizeof(ChannelRecord)) != 0)
            change.channels.set(static_cast<std::size_t>(n));
    }
    const std::size_t first = RadioImage::channelOffset(1);
    const std::size_t end = RadioImage::channelOffset(ChannelCount + 1);
    change.settings =
        std::memcmp(a, b, first) != 0 || std::memcmp(a + end, b + end, RadioImage::Size - end) != 0;
    change.whole = before.bandCode() != radioImage.bandCode();
    return change;
}

DocChange RadioDocument::assign(const HeaderBlock& header, const RadioImage& image) {
    headerBlock = header;
    radioImage = image;
    DocChange change;
    change.whole = true;
    change.modified = true;
    return change;
}

DocChange RadioDocument::assignImage(const RadioImage& image) {
    const RadioImage before = radioImage;
    radioImage = image;
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

DocChange RadioDocument::commitCell(int channel, int column, const std::string& text,
                                    const CellTexts& texts) {
    if (channel < 1 || channel > ChannelCount || isCellReadOnly(radioImage, channel, column)) {
        DocChange refused;
        refused.refused = true;
        return refused;
    }
    const RadioImage before = radioImage;
    CommitNote note;
    bool modified = false;
    switch (column) {
    case ColRxFreq:
    case ColTxFreq:
        modified =
            CommitFrequencyNoted(radioImage, limits(), channel, column == ColRxFreq, text, note);
        break;
    case ColRxTone:
    case ColTxTone:
        modified = CommitToneNoted(radioImage, channel, column == ColRxTone, text, texts.off, note);
        break;
    default: {
        // An option cell takes one of its two words; an empty value leaves it as it is.
        const std::string value = trimmed(text);
        const auto [word0, word1] = optionWords(column, texts);
        if (!value.empty() && sameText(value, *word0))
            modified = SelectOption(radioImage, channel, column, 0);
        else if (!value.empty() && sameText(value, *word1))
            modified = SelectOption(radioImage, channel, column, 1);
        break;
    }
    }
    DocChange change = changeFrom(before);
    change.modified = modified;
    if (note.what != Adjustment::None)
        change.notes.push_back({channel, column, note});
    return change;
}

DocChange RadioDocument::chooseOption(int channel, int column, int position) {
    if (channel < 1 || channel > ChannelCount || isCellReadOnly(radioImage, channel, column)) {
        DocChange refused;
        refused.refused = true;
        return refused;
    }
    const RadioImage before = radioImage;
    const bool modified = SelectOption(radioImage, channel, column, position);
    DocChange change = changeFrom(before);
    change.modified = modified;
    return change;
}

DocChange RadioDocument::setSetting(SettingId id, int value) {
    const RadioImage before = radioImage;
    StoreSetting(Setting(id), radioImage, value);
    DocChange change = changeFrom(before);
    change.modified = true;
    return change;
}

DocChange RadioDocument::setDtmf(const std::string& text) {
    const RadioImage before = radioImage;
    DocChange change;
    if (CommitDtmf(radioImage, text)) {
        change = changeFrom(before);
        change.modified = true;
    }
    return change;
}

DocChange RadioDocument::setBand(int position) {
    FrequencyLimits limits{};
    DocChange change;
    if (ChangeBand(headerBlock, radioImage, limits, position)) {
        change.whole = true;
        change.modified = true;
    }
    return change;
}

DocChange RadioDocument::clearToBand(int position) {
    const RadioImage before = radioImage;
    clearContents(headerBlock, radioImage);
    FrequencyLimits limits{};
    radioImage.selectBand(position, limits);
    DocChange change = changeFrom(before);
    change.whole = true;
    change.modified = true;
    return change;
}

DocChange RadioDocument::storeBytes(std::size_t offset, std::span<const std::uint8_t> bytes,
                                    std::uint8_t mask) {
    const RadioImage before = radioImage;
    for (std::size_t i = 0; i < bytes.size() && offset + i < RadioImage::Size; ++i) {
        std::uint8_t& b = radioImage[offset + i];
        b = static_cast<std::uint8_t>((b & ~mask) | (bytes[i] & mask));
    }
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

DocChange RadioDocument::clearChannels(std::span<const int> channels) {
    const RadioImage before = radioImage;
    for (int n : channels)
        if (n >= 1 && n <= ChannelCount)
            ClearChannel(radioImage, limits(), n);
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

DocChange RadioDocument::insertChannel(int channel) {
    const RadioImage before = radioImage;
    InsertEmptyChannel(radioImage, limits(), channel);
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

DocChange RadioDocument::moveChannels(int first, int last, int delta) {
    const RadioImage before = radioImage;
    MoveChannels(radioImage, first, last, delta);
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

namespace {
void addNotes(DocChange& change, const std::vector<BulkNote>& notes) {
    for (const BulkNote& n : notes)
        change.notes.push_back({n.channel, n.column, n.note});
}
} // namespace

DocChange RadioDocument::editChannels(std::span<const int> channels, const ChannelEdit& edit,
                                      const CellTexts& texts) {
    const RadioImage before = radioImage;
    std::vector<BulkNote> notes;
    const bool modified = EditChannels(radioImage, channels, edit, texts.off, notes);
    DocChange change = changeFrom(before);
    change.modified = modified || change.changedBytes();
    addNotes(change, notes);
    return change;
}

DocChange RadioDocument::sortChannels(SortKey key) {
    const RadioImage before = radioImage;
    SortChannels(radioImage, key);
    DocChange change = changeFrom(before);
    change.modified = change.changedBytes();
    return change;
}

DocChange RadioDocument::fillFrequencies(std::span<const int> channels, const FrequencyFill& fill) {
    const RadioImage before = radioImage;
    std::vector<BulkNote> notes;
    const bool modified = FillFrequencies(radioImage, limits(), channels, fill, notes);
    DocChange change = changeFrom(before);
    change.modified = modified || change.changedBytes();
    addNotes(change, notes);
    return change;
}

DocChange RadioDocument::applyCsv(std::string_view text, const CsvImportOptions& options,
                                  CsvImportResult& result) {
    result = ImportChannelsCsv(radioImage, limits(), text, options);
    if (!result.usable)
        return {};
    return assignImage(result.image);
}

} // namespace orvik
