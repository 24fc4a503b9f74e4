// Reading the text form: YAML (JSON is YAML too) into a plan, every value checked and every
// mistake reported with its line and column.

#include "core/model/TextForm.h"

#include <yaml-cpp/yaml.h>

#include <cctype>
#include <set>

namespace orvik {

namespace {

struct Failure {
    TextFormError error;
};

TextPlace placeOf(const YAML::Node& node) {
    const YAML::Mark mark = node.Mark();
    if (mark.is_null() || mark.line < 0)
        return {};
    return {mark.line + 1, mark.column + 1};
}

[[noreturn]] void failAt(TextPlace at, std::string what) {
    throw Failure{{at, std::move(what)}};
}

[[noreturn]] void failAt(const YAML::Node& node, std::string what) {
    failAt(placeOf(node), std::move(what));
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A scalar's text; an empty value reads as "". Anything else is a wrong type.
std::string scalarText(const YAML::Node& node, const std::string& what) {
    if (node.IsNull())
        return {};
    if (!node.IsScalar())
        failAt(node, what + " takes a single value, not a " + (node.IsMap() ? "map" : "list"));
    return node.Scalar();
}

// A whole number, decimal or hex with 0x, within [lo, hi].
long numberIn(const YAML::Node& node, const std::string& what, long lo, long hi) {
    const std::string text = scalarText(node, what);
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    long value = 0;
    bool ok = !digits.empty() && digits.size() <= 8;
    for (std::size_t i = 0; ok && i < digits.size(); ++i) {
        const char c = digits[i];
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : hex && std::isxdigit(static_cast<unsigned char>(c))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
        ok = ok && d >= 0;
        value = value * (hex ? 16 : 10) + (d < 0 ? 0 : d);
    }
    if (!ok || value < lo || value > hi)
        failAt(node, what + " takes a whole number " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + text + "'");
    return value;
}

// Hex digits (blanks between them allowed) as bytes.
std::vector<std::uint8_t> hexBytes(const YAML::Node& node, const std::string& what) {
    const std::string text = scalarText(node, what);
    std::string digits;
    for (char c : text)
        if (c != ' ')
            digits += c;
    std::vector<std::uint8_t> out;
    bool ok = !digits.empty() && digits.size() % 2 == 0;
    for (std::size_t i = 0; ok && i < digits.size(); i += 2) {
        ok = std::isxdigit(static_cast<unsigned char>(digits[i])) &&
             std::isxdigit(static_cast<unsigned char>(digits[i + 1]));
        if (ok)
            out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    if (!ok)
        failAt(node, what + " takes hex digits, two for each byte, not '" + text + "'");
    return out;
}

// The keys of a map, each once; `what` names the map in messages.
template <typename Each> void eachKey(const YAML::Node& map, const std::string& what, Each each) {
    if (!map.IsMap())
        failAt(map, what + " takes a map of keys and values");
    std::set<std::string> seen;
    for (auto it = map.begin(); it != map.end(); ++it) {
        const YAML::Node key = it->first;
        if (!key.IsScalar())
            failAt(key, what + ": a key must be a single word");
        if (!seen.insert(key.Scalar()).second)
            failAt(key, what + ": '" + key.Scalar() + "' is given twice");
        each(key, it->second);
    }
}

// {raw: HEX} as `size` bytes with no bit outside `mask`; false when the value is no such map.
bool rawValue(const YAML::Node& node, const std::string& what, std::size_t size, std::uint8_t mask,
              TextValue& value) {
    if (!node.IsMap())
        return false;
    bool found = false;
    eachKey(node, what, [&](const YAML::Node& key, const YAML::Node& v) {
        if (key.Scalar() != "raw")
            failAt(key, what + ": unknown key '" + key.Scalar() + "' (raw bytes are {raw: HEX})");
        value.bytes = hexBytes(v, what + " raw");
        found = true;
        if (value.bytes.size() != size)
            failAt(v, what + " raw takes " + std::to_string(size) + " byte" +
                          (size == 1 ? "" : "s") + ", not " + std::to_string(value.bytes.size()));
        for (std::uint8_t b : value.bytes)
            if ((b & ~mask) != 0)
                failAt(v, what + " raw has bits outside its mask 0x" +
                              std::string(1, "0123456789ABCDEF"[mask >> 4]) +
                              std::string(1, "0123456789ABCDEF"[mask & 15]));
    });
    if (!found)
        failAt(node, what + " takes a value or {raw: HEX}");
    value.raw = true;
    return true;
}

class Reader {
public:
    Reader(const std::vector<std::string>& names, TextPlan& out) : bandNames(names), plan(out) {}
    void document(const YAML::Node& root);

private:
    void band(const YAML::Node& node);
    void settings(const YAML::Node& node);
    void dtmf(const YAML::Node& node);
    void channels(const YAML::Node& node);
    void channel(int number, TextPlace at, const YAML::Node& node);
    void channelField(const ChannelFieldSpec& f, int number, const YAML::Node& node,
                      TextValue& value);
    void otherBytes(const YAML::Node& node);
    void resolveBand();

    const std::vector<std::string>& bandNames;
    TextPlan& plan;
    std::optional<int> namedPosition;
    TextPlace nameAt;
    std::optional<int> jsonPosition;
    TextPlace jsonPositionAt;
};

void Reader::document(const YAML::Node& root) {
    if (!root.IsMap())
        failAt(root.IsNull() ? TextPlace{1, 1} : placeOf(root),
               "this is no radio text file: it holds no map of keys (format, band, settings, "
               "dtmf, channels, otherBytes)");
    // The version first: a newer file is refused as such, whatever else it holds.
    if (const YAML::Node version = root["format"]) {
        plan.version = static_cast<int>(numberIn(version, "format", 1, 999999));
        if (plan.version > TextFormVersion)
            failAt(version, "format version " + std::to_string(plan.version) +
                                " is newer than this program reads (" +
                                std::to_string(TextFormVersion) + ")");
    }
    eachKey(root, "the file", [this](const YAML::Node& key, const YAML::Node& v) {
        const std::string& k = key.Scalar();
        if (k == "format")
            return;
        if (k == "band")
            band(v);
        else if (k == "bandCode") {
            plan.bandCode = static_cast<std::uint8_t>(numberIn(v, "bandCode", 0, 255));
            plan.bandAt = placeOf(v);
        } else if (k == "bandPosition") {
            jsonPosition = static_cast<int>(numberIn(v, "bandPosition", 0, 5));
            jsonPositionAt = placeOf(v);
        } else if (k == "limits") {
            // Derived from the band code; accepted as `show --json` prints it.
            if (!v.IsSequence() || v.size() != 2)
                failAt(v, "limits takes the two band limits");
        } else if (k == "settings")
            settings(v);
        else if (k == "dtmf")
            dtmf(v);
        else if (k == "channels")
            channels(v);
        else if (k == "otherBytes")
            otherBytes(v);
        else
            failAt(key, "unknown key '" + k +
                            "' (the keys are format, band, settings, dtmf, channels, otherBytes)");
    });
    resolveBand();
}

void Reader::band(const YAML::Node& node) {
    plan.bandAt = placeOf(node);
    eachKey(node, "band", [this](const YAML::Node& key, const YAML::Node& v) {
        if (key.Scalar() == "code") {
            plan.bandCode = static_cast<std::uint8_t>(numberIn(v, "band code", 0, 255));
            plan.bandAt = placeOf(v);
        } else if (key.Scalar() == "name") {
            const std::string name = scalarText(v, "band name");
            nameAt = placeOf(v);
            for (std::size_t k = 0; k < bandNames.size() && k < BandCodes.size(); ++k)
                if (lower(bandNames[k]) == lower(name))
                    namedPosition = static_cast<int>(k);
            if (!namedPosition) {
                std::string list;
                for (std::size_t k = 0; k < bandNames.size() && k < BandCodes.size(); ++k)
                    list += (k ? ", " : " ") + bandNames[k];
                failAt(v,
                       "band name '" + name + "' is not in the band list of setting.ini:" + list);
            }
        } else {
            failAt(key, "band: unknown key '" + key.Scalar() + "' (the keys are name, code)");
        }
    });
}

// The band's list position from its code, its name or its position (show --json); the name
// and the position must agree with the code.
void Reader::resolveBand() {
    if (plan.bandCode) {
        const int position = BandListPositionOf(*plan.bandCode);
        if (namedPosition && *namedPosition != position)
            failAt(nameAt, "band name '" + bandNames[std::size_t(*namedPosition)] +
                               "' is not the band of code " + std::to_string(*plan.bandCode));
        if (jsonPosition && *jsonPosition != position)
            failAt(jsonPositionAt, "bandPosition " + std::to_string(*jsonPosition) +
                                       " is not the band of code " +
                                       std::to_string(*plan.bandCode));
        plan.bandPosition = position;
        return;
    }
    if (namedPosition && jsonPosition && *namedPosition != *jsonPosition)
        failAt(jsonPositionAt, "bandPosition does not match the band name");
    plan.bandPosition = namedPosition ? namedPosition : jsonPosition;
    if (plan.bandPosition) {
        plan.bandCode = BandCodes[std::size_t(*plan.bandPosition)];
        if (!plan.bandAt.line)
            plan.bandAt = namedPosition ? nameAt : jsonPositionAt;
    }
}

void Reader::settings(const YAML::Node& node) {
    eachKey(node, "settings", [this](const YAML::Node& key, const YAML::Node& v) {
        const SettingSpec* spec = FindSetting(key.Scalar());
        if (!spec) {
            std::string names;
            for (const SettingSpec& s : AllSettings())
                names += std::string(" ") + s.name;
            failAt(key, "unknown setting '" + key.Scalar() + "' (the settings are:" + names + ")");
        }
        TextSetting s{spec->id, {}};
        s.value.given = true;
        s.value.at = placeOf(v);
        if (!rawValue(v, spec->name, 1, spec->mask, s.value)) {
            const std::string text = scalarText(v, spec->name);
            std::string why;
            if (!ParseSettingWord(*spec, text, s.value.position, why))
                failAt(v, std::string(spec->name) + " " + why + ", not '" + text + "'");
        }
        plan.settings.push_back(std::move(s));
    });
}

void Reader::dtmf(const YAML::Node& node) {
    plan.dtmf.given = true;
    plan.dtmf.at = placeOf(node);
    if (rawValue(node, "dtmf", 5, 0xFF, plan.dtmf))
        return;
    plan.dtmf.text = scalarText(node, "dtmf");
    bool ok = plan.dtmf.text.size() <= 5;
    for (char c : plan.dtmf.text)
        ok = ok && (std::isdigit(static_cast<unsigned char>(c)) ||
                    (std::toupper(static_cast<unsigned char>(c)) >= 'A' &&
                     std::toupper(static_cast<unsigned char>(c)) <= 'D'));
    if (!ok)
        failAt(node, "dtmf takes up to 5 of the digits 0-9 and A-D, not '" + plan.dtmf.text + "'");
}

void Reader::channels(const YAML::Node& node) {
    std::set<int> seen;
    auto take = [&](const YAML::Node& numberNode, const YAML::Node& fields) {
        const int n = static_cast<int>(numberIn(numberNode, "channel", 1, ChannelCount));
        if (!seen.insert(n).second)
            failAt(numberNode, "channel " + std::to_string(n) + " is given twice");
        channel(n, placeOf(numberNode), fields);
    };
    if (node.IsSequence()) {
        // As `show --json` prints them: a list of objects, each with its "channel" number.
        for (const YAML::Node& item : node) {
            if (!item.IsMap() || !item["channel"])
                failAt(item, "a channel in a list takes a map with its \"channel\" number");
            take(item["channel"], item);
        }
        return;
    }
    eachKey(node, "channels", [&](const YAML::Node& key, const YAML::Node& v) { take(key, v); });
}

void Reader::channel(int number, TextPlace at, const YAML::Node& node) {
    TextChannel ch;
    ch.number = number;
    ch.at = at;
    const std::string name = "channel " + std::to_string(number);
    eachKey(node, name, [&](const YAML::Node& key, const YAML::Node& v) {
        const std::string& k = key.Scalar();
        if (k == "channel")
            return; // the number of a listed channel
        for (const ChannelFieldSpec& f : ChannelFieldSpecs()) {
            if (k != f.key && k != f.jsonKey)
                continue;
            TextValue& value = ch.fields[static_cast<std::size_t>(f.field)];
            if (value.given)
                failAt(key, name + ": " + f.key + " is given twice");
            channelField(f, number, v, value);
            return;
        }
        std::string keys;
        for (const ChannelFieldSpec& f : ChannelFieldSpecs())
            keys += std::string(" ") + f.key;
        failAt(key, name + ": unknown key '" + k + "' (the keys are:" + keys + ")");
    });
    plan.channels.push_back(std::move(ch));
}

void Reader::channelField(const ChannelFieldSpec& f, int number, const YAML::Node& node,
                          TextValue& value) {
    const std::string what = "channel " + std::to_string(number) + " " + f.key;
    value.given = true;
    value.at = placeOf(node);
    if (rawValue(node, what, f.size, f.mask, value))
        return;
    value.text = scalarText(node, what);
    if (!f.word0)
        return; // a frequency or a tone: the rules judge the text
    const std::string word = lower(value.text);
    if (word == f.word0 || word == "0")
        value.position = 0;
    else if (word == f.word1 || word == "1")
        value.position = 1;
    else
        failAt(node, what + " takes " + f.word0 + " or " + f.word1 + ", not '" + value.text + "'");
}

void Reader::otherBytes(const YAML::Node& node) {
    eachKey(node, "otherBytes", [this](const YAML::Node& key, const YAML::Node& v) {
        TextBytes run;
        run.offset = static_cast<std::size_t>(
            numberIn(key, "an offset in otherBytes", 0, RadioImage::Size - 1));
        run.at = placeOf(v);
        if (v.IsMap()) {
            // {fill: FF, count: N}: one byte N times.
            std::optional<std::uint8_t> fill;
            long count = 0;
            eachKey(v, "otherBytes", [&](const YAML::Node& k, const YAML::Node& x) {
                if (k.Scalar() == "fill") {
                    const std::vector<std::uint8_t> b = hexBytes(x, "fill");
                    if (b.size() != 1)
                        failAt(x, "fill takes one byte");
                    fill = b[0];
                } else if (k.Scalar() == "count") {
                    count = numberIn(x, "count", 1, RadioImage::Size);
                } else {
                    failAt(k, "otherBytes: unknown key '" + k.Scalar() +
                                  "' (a run is HEX or {fill: HEX, count: N})");
                }
            });
            if (!fill || count == 0)
                failAt(v, "a run takes {fill: HEX, count: N}");
            run.bytes.assign(static_cast<std::size_t>(count), *fill);
        } else {
            run.bytes = hexBytes(v, "otherBytes");
        }
        if (run.offset + run.bytes.size() > RadioImage::Size)
            failAt(v, "the run at " + key.Scalar() + " goes past the image's last byte (0xFFF)");
        plan.otherBytes.push_back(std::move(run));
    });
}

} // namespace

bool ReadTextForm(std::string_view text, const std::vector<std::string>& bandNames, TextPlan& plan,
                  TextFormError& error) {
    plan = TextPlan{};
    try {
        const YAML::Node root = YAML::Load(std::string(text));
        Reader(bandNames, plan).document(root);
        return true;
    } catch (const Failure& f) {
        error = f.error;
    } catch (const YAML::Exception& e) {
        error.at = e.mark.is_null() ? TextPlace{} : TextPlace{e.mark.line + 1, e.mark.column + 1};
        error.what = "this is no YAML: " + e.msg;
    }
    plan = TextPlan{};
    return false;
}

} // namespace orvik
