// Writing the text form. Every field is written as its text when applying that text to a
// cleared image of the band stores the field's bytes again exactly and without an adjustment;
// otherwise it is written as its raw bytes, with its text (where it has one) as a comment.

#include "core/model/TextForm.h"

#include "core/model/Codecs.h"

#include <yaml-cpp/yaml.h>

#include <cstdio>

namespace orvik {

namespace {

std::string hex(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", unsigned{bytes[i]});
        out += buf;
    }
    return out;
}

std::string hexOffset(std::size_t offset) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%03zX", offset);
    return buf;
}

// A comment stays on its line.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return s;
}

void emitRaw(YAML::Emitter& e, const std::string& raw, const std::string& comment) {
    e << YAML::Flow << YAML::BeginMap << YAML::Key << "raw" << YAML::Value << raw << YAML::EndMap;
    if (!comment.empty())
        e << YAML::Comment(oneLine(comment));
}

// A channel's fields with the image's values, each a text or raw as `raw` says.
TextChannel channelOf(const RadioImage& image, int n,
                      const std::array<bool, ChannelFieldCount>& raw) {
    TextChannel ch;
    ch.number = n;
    for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
        const std::size_t k = static_cast<std::size_t>(f.field);
        TextValue& v = ch.fields[k];
        const std::size_t at = RadioImage::channelOffset(n) + f.at;
        v.given = true;
        v.raw = raw[k];
        v.at = {static_cast<int>(k) + 1, 1}; // identifies the field in a replay's report
        for (std::size_t i = 0; i < f.size; ++i)
            v.bytes.push_back(static_cast<std::uint8_t>(image[at + i] & f.mask));
        if (f.word0)
            v.position = (image[at] & f.mask) ? 1 : 0;
        else if (f.size == 4)
            v.text = FreqToText({v.bytes[0], v.bytes[1], v.bytes[2], v.bytes[3]});
        else
            v.text = ToneToText({v.bytes[0], v.bytes[1]}, "off");
    }
    return ch;
}

// Decides which of channel n's fields must be raw: applied to `base`, every text must store
// the image's bits without a note. Texts that fail become raw until all pass.
std::array<bool, ChannelFieldCount> rawFields(const RadioImage& image, const RadioDocument& base,
                                              int n) {
    std::array<bool, ChannelFieldCount> raw{};
    raw[std::size_t(ChannelField::Rx)] = !FreqIsValid(image.rxFreq(n));
    raw[std::size_t(ChannelField::Tx)] = !FreqIsValid(image.txFreq(n));
    raw[std::size_t(ChannelField::RxTone)] = !ToneIsValid(image.rxTone(n));
    raw[std::size_t(ChannelField::TxTone)] = !ToneIsValid(image.txTone(n));
    for (bool changed = true; changed;) {
        changed = false;
        RadioDocument replay = base;
        TextPlan plan;
        plan.channels.push_back(channelOf(image, n, raw));
        const TextApplyResult r = ApplyTextForm(replay, plan, false);
        auto makeRaw = [&](int line) {
            if (line >= 1 && !raw[std::size_t(line - 1)])
                changed = raw[std::size_t(line - 1)] = true;
        };
        if (!r.ok)
            makeRaw(r.error.at.line);
        for (const TextNote& note : r.notes)
            makeRaw(note.at.line);
        for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
            const std::size_t at = RadioImage::channelOffset(n) + f.at;
            for (std::size_t i = 0; i < f.size; ++i)
                if (((replay.image()[at + i] ^ image[at + i]) & f.mask) != 0)
                    makeRaw(static_cast<int>(f.field) + 1);
        }
    }
    return raw;
}

void emitChannel(YAML::Emitter& e, const RadioImage& image, const RadioDocument& base, int n) {
    const TextChannel ch = channelOf(image, n, rawFields(image, base, n));
    e << YAML::Key << n << YAML::Value << YAML::BeginMap;
    for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
        const TextValue& v = ch.fields[static_cast<std::size_t>(f.field)];
        e << YAML::Key << f.key << YAML::Value;
        const std::string text = f.word0 ? (v.position ? f.word1 : f.word0) : v.text;
        if (!v.raw)
            e << text;
        else
            emitRaw(
                e, hex(v.bytes.data(), v.bytes.size()),
                f.size == 4
                    ? (FreqIsValid({v.bytes[0], v.bytes[1], v.bytes[2], v.bytes[3]}) ? text : "")
                : f.size == 2 ? (ToneIsValid({v.bytes[0], v.bytes[1]}) ? text : "")
                              : text);
    }
    e << YAML::EndMap;
}

// Whether the bits of channel n's fields are those of a cleared channel.
bool sameFields(const RadioImage& a, const RadioImage& b, int n) {
    for (const ChannelFieldSpec& f : ChannelFieldSpecs())
        for (std::size_t i = 0; i < f.size; ++i) {
            const std::size_t at = RadioImage::channelOffset(n) + f.at + i;
            if (((a[at] ^ b[at]) & f.mask) != 0)
                return false;
        }
    return true;
}

void emitSettings(YAML::Emitter& e, const RadioImage& image, const RadioImage& base) {
    e << YAML::Key << "settings" << YAML::Value << YAML::BeginMap;
    for (const SettingId id : ShownSettings()) {
        const SettingSpec& s = Setting(id);
        const int value = SettingValue(s, image);
        RadioImage replay = base;
        StoreSetting(s, replay, value);
        e << YAML::Key << s.name << YAML::Value;
        const std::uint8_t bits = static_cast<std::uint8_t>(image[s.offset] & s.mask);
        if ((replay[s.offset] & s.mask) == bits)
            e << SettingWord(s, value);
        else
            emitRaw(e, hex(&bits, 1), "");
    }
    e << YAML::EndMap;
    const DtmfBytes dtmf = image.dtmfDigits();
    e << YAML::Key << "dtmf" << YAML::Value;
    if (TextToDtmf(DtmfToText(dtmf)) == dtmf)
        e << YAML::DoubleQuoted << DtmfToText(dtmf);
    else
        emitRaw(e, hex(dtmf.data(), dtmf.size()), "");
}

// The bytes with bits no field covers (those bits only), in runs: a byte repeated 16 times or
// more as {fill, count}, the rest as hex of at most 32 bytes a line.
void emitOtherBytes(YAML::Emitter& e, const RadioImage& image) {
    const std::array<std::uint8_t, RadioImage::Size> covered = CoveredBits();
    auto other = [&](std::size_t at) {
        return static_cast<std::uint8_t>(image[at] & ~covered[at]);
    };
    e << YAML::Key << "otherBytes" << YAML::Value << YAML::BeginMap;
    std::size_t at = 0;
    while (at < RadioImage::Size) {
        if (covered[at] == 0xFF) {
            ++at;
            continue;
        }
        std::size_t same = at;
        while (same < RadioImage::Size && covered[same] == 0 && other(same) == other(at))
            ++same;
        if (same - at >= 16) {
            const std::uint8_t fill = other(at);
            e << YAML::Key << hexOffset(at) << YAML::Value << YAML::Flow << YAML::BeginMap
              << YAML::Key << "fill" << YAML::Value << hex(&fill, 1) << YAML::Key << "count"
              << YAML::Value << (same - at) << YAML::EndMap;
            at = same;
            continue;
        }
        // Up to 32 bytes, ending before a fully covered byte or a long repeat.
        std::string run;
        std::size_t end = at;
        while (end < RadioImage::Size && end - at < 32 && covered[end] != 0xFF) {
            std::size_t repeat = end;
            while (repeat < RadioImage::Size && covered[repeat] == 0 && other(repeat) == other(end))
                ++repeat;
            if (end > at && repeat - end >= 16)
                break;
            const std::uint8_t b = other(end);
            run += hex(&b, 1);
            ++end;
        }
        e << YAML::Key << hexOffset(at) << YAML::Value << run;
        at = end;
    }
    e << YAML::EndMap;
}

} // namespace

std::string WriteTextForm(const RadioImage& image, const std::vector<std::string>& bandNames,
                          const std::string& madeBy) {
    // What applying the text with --replace starts from: a cleared image of the band.
    RadioDocument base;
    base.clearToBand(image.bandListPosition());
    const std::uint8_t code = image.bandCode();
    base.storeBytes(RadioImage::BandCodeOffset, {&code, 1}, 0xFF);

    YAML::Emitter e;
    e << YAML::Comment(oneLine(madeBy)) << YAML::Newline;
    e << YAML::BeginMap << YAML::Key << "format" << YAML::Value << TextFormVersion;
    e << YAML::Key << "band" << YAML::Value << YAML::BeginMap;
    const std::size_t position = static_cast<std::size_t>(image.bandListPosition());
    if (position < bandNames.size())
        e << YAML::Key << "name" << YAML::Value << bandNames[position];
    char codeText[8];
    std::snprintf(codeText, sizeof codeText, "0x%02X", unsigned{code});
    e << YAML::Key << "code" << YAML::Value << codeText << YAML::EndMap;
    emitSettings(e, image, base.image());
    e << YAML::Key << "channels" << YAML::Value << YAML::BeginMap;
    for (int n = 1; n <= ChannelCount; ++n)
        if (!sameFields(image, base.image(), n))
            emitChannel(e, image, base, n);
    e << YAML::EndMap;
    emitOtherBytes(e, image);
    e << YAML::EndMap;
    return std::string(e.c_str()) + "\n";
}

} // namespace orvik
