// orvik-cli new, show and edit: the data file commands. They use the same edit rules as the
// window's channel table and settings panel, so a file edited here is what the window would make.

#include "cli/CliCommon.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace orvik::cli {

const char* const DataCommandsUsage =
    "  new FILE.735 [--band POS] [--force]\n"
    "                  write the default image (File New), then change to band list position\n"
    "                  POS of setting.ini [ModelInfo]; --force replaces a non-empty file\n"
    "  show FILE.735 [--json]\n"
    "                  print the band, the settings and the 16 channels\n"
    "  edit FILE.735 [--band POS] [--channel N [--rx TEXT] [--rx-tone TEXT] [--tx TEXT]\n"
    "       [--tx-tone TEXT] [--option COL=0|1]...]... [--set FIELD=VALUE]... [--dtmf TEXT]\n"
    "                  apply the edits as the window does and save in place; prints\n"
    "                  'modified' or 'unchanged'. COL is a channel table column 5 to 9,\n"
    "                  FIELD a setting (voiceFunction, voiceAnnunciation, scanFunction,\n"
    "                  voxFunction, voxLevel, fmRadioFunction, beep, batterySave,\n"
    "                  squelchLevel, sideKey1, timeOutTimer, sideKey2, fmRadioFreq,\n"
    "                  scanMode) and VALUE its stored value or list position\n";

namespace {

// ---- Settings fields by name ----

struct SettingField {
    const char* name;
    int (RadioImage::*get)() const;
    void (RadioImage::*set)(int);
    int resourceId; // label of the panel control
};

const SettingField SettingFields[] = {
    {"voiceFunction", &RadioImage::voiceFunction, &RadioImage::setVoiceFunction, 1028},
    {"voiceAnnunciation", &RadioImage::voiceAnnunciation, &RadioImage::setVoiceAnnunciation, 1025},
    {"scanFunction", &RadioImage::scanFunction, &RadioImage::setScanFunction, 1029},
    {"voxFunction", &RadioImage::voxFunction, &RadioImage::setVoxFunction, 1027},
    {"voxLevel", &RadioImage::voxLevel, &RadioImage::setVoxLevel, 1041},
    {"fmRadioFunction", &RadioImage::fmRadioFunction, &RadioImage::setFmRadioFunction, 1030},
    {"beep", &RadioImage::beep, &RadioImage::setBeep, 1023},
    {"batterySave", &RadioImage::batterySave, &RadioImage::setBatterySave, 1024},
    {"squelchLevel", &RadioImage::squelchLevel, &RadioImage::setSquelchLevel, 1031},
    {"sideKey1", &RadioImage::sideKey1, &RadioImage::setSideKey1, 1033},
    {"timeOutTimer", &RadioImage::timeOutTimer, &RadioImage::setTimeOutTimer, 1035},
    {"sideKey2", &RadioImage::sideKey2, &RadioImage::setSideKey2, 1043},
    {"fmRadioFreq", &RadioImage::fmRadioFreq, &RadioImage::setFmRadioFreq, 1045},
    {"scanMode", &RadioImage::scanMode, &RadioImage::setScanMode, 1047},
};

const SettingField* findField(const std::string& name) {
    for (const SettingField& f : SettingFields)
        if (name == f.name)
            return &f;
    return nullptr;
}

// ---- Small helpers ----

void fail(const std::string& text) {
    std::fprintf(stderr, "orvik-cli: %s\n", text.c_str());
}

// A decimal integer in [lo, hi], nothing else.
bool parseInt(const std::string& s, long lo, long hi, int& out) {
    if (s.empty() || s.size() > 9)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    const long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

// Splits "--name=value" into name and value; `hasValue` tells whether a '=' was present.
std::pair<std::string, std::optional<std::string>> splitOption(const std::string& arg) {
    const std::size_t eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos)
        return {arg, std::nullopt};
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// Walks the argument list: the one positional FILE and options with values.
class ArgReader {
public:
    explicit ArgReader(const std::vector<std::string>& args) : args(args) {}
    bool done() const { return i >= args.size(); }
    const std::string& next() { return args[i++]; }
    // The value of an option: inline after '=' or the next argument.
    bool value(const std::string& option, const std::optional<std::string>& inlineValue,
               std::string& out) {
        if (inlineValue) {
            out = *inlineValue;
            return true;
        }
        if (i >= args.size()) {
            fail(option + " needs a value");
            return false;
        }
        out = args[i++];
        return true;
    }

private:
    const std::vector<std::string>& args;
    std::size_t i = 0;
};

std::string lang(const Context& ctx, const char* key) {
    return LoadLangString(ctx.paths.LanguageFilePath(), key);
}

CellTexts loadCellTexts(const Context& ctx) {
    return CellTexts{lang(ctx, lang::IDS_OFF),    lang(ctx, lang::IDS_YES),
                     lang(ctx, lang::IDS_NO),     lang(ctx, lang::IDS_WIDE),
                     lang(ctx, lang::IDS_NARROW), lang(ctx, lang::IDS_HIGH),
                     lang(ctx, lang::IDS_LOW)};
}

// A band list position chosen on the command line must be an entry of the band list.
bool parseBand(const Context& ctx, const std::string& text, int& position) {
    const auto names = ReadBandNames(ctx.paths.SettingsFilePath());
    if (names.empty()) {
        fail("setting.ini lists no bands in [ModelInfo]; --band cannot be used");
        return false;
    }
    if (!parseInt(text, 0, static_cast<long>(names.size()) - 1, position)) {
        std::string list;
        for (std::size_t k = 0; k < names.size(); ++k)
            list += "\n  " + std::to_string(k) + "  " + names[k];
        fail("band position '" + text + "' is not in the band list of setting.ini:" + list);
        return false;
    }
    return true;
}

// Loads a data file; returns ExitOk or the exit code with the message printed.
int load(const Context& ctx, const std::string& path, HeaderBlock& header, RadioImage& image) {
    std::string error;
    switch (LoadDataFile(path, header, image, &error)) {
    case LoadStatus::Ok:
        return ExitOk;
    case LoadStatus::HeaderRejected:
        std::fprintf(stderr, "%s\n%s\n", lang(ctx, lang::IDS_WARN_LOAD).c_str(), path.c_str());
        return ExitDataErr;
    case LoadStatus::CannotRead:
        break;
    }
    fail(error);
    return ExitNoInput;
}

// ---- Text layout ----

// Columns a UTF-8 text takes on a terminal: wide East Asian characters count two.
std::size_t displayWidth(const std::string& s) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        unsigned cp = c;
        if (len > 1 && i + len <= s.size()) {
            cp = c & (0x7F >> len);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        } else {
            len = 1;
        }
        w += (cp >= 0x1100 &&
              (cp <= 0x115F || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
               (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
               (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000))
                 ? 2
                 : 1;
        i += len;
    }
    return w;
}

std::string pad(const std::string& s, std::size_t width) {
    const std::size_t w = displayWidth(s);
    return w >= width ? s : s + std::string(width - w, ' ');
}

std::string label(const Context& ctx, int id, const char* fallback) {
    std::string text = ResourceText(ctx.paths.LanguageFilePath(), id);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) { // drop menu-style '&' markers
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        out += text[i];
    }
    return out.empty() ? fallback : out;
}

std::string entryAt(const std::vector<std::string>& list, int position) {
    return position >= 0 && static_cast<std::size_t>(position) < list.size()
               ? list[static_cast<std::size_t>(position)]
               : std::string();
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void showJson(const RadioImage& image) {
    const FrequencyLimits limits = recomputeLimits(image);
    std::string out = "{\"bandCode\":" + std::to_string(image.bandCode()) +
                      ",\"bandPosition\":" + std::to_string(image.bandListPosition()) +
                      ",\"limits\":[" + std::to_string(limits.low) + "," +
                      std::to_string(limits.high) + "],\"settings\":{";
    bool first = true;
    for (const SettingField& f : SettingFields) {
        out +=
            (first ? "\"" : ",\"") + std::string(f.name) + "\":" + std::to_string((image.*f.get)());
        first = false;
    }
    out += "},\"dtmf\":" + jsonString(DtmfToText(image.dtmfDigits())) + ",\"channels\":[";
    auto freq = [](const FreqBcd& f) {
        return f[3] > 0x99 ? std::string("null") : jsonString(FreqToText(f));
    };
    auto tone = [](const ToneWord& t) {
        return t[1] == 0xFF ? std::string("null") : jsonString(ToneToText(t, std::string()));
    };
    for (int n = 1; n <= ChannelCount; ++n) {
        const bool txEmpty = image.txFreq(n)[3] > 0x99;
        out += (n > 1 ? ",{" : "{") + std::string("\"channel\":") + std::to_string(n) +
               ",\"rxFreq\":" + freq(image.rxFreq(n)) + ",\"rxTone\":" + tone(image.rxTone(n)) +
               ",\"txFreq\":" + freq(image.txFreq(n)) +
               ",\"txTone\":" + (txEmpty ? std::string("null") : tone(image.txTone(n))) +
               ",\"optionCol5Off\":" + std::to_string(image.optionCol5Off(n)) +
               ",\"narrow\":" + std::to_string(image.narrow(n)) +
               ",\"highPower\":" + std::to_string(image.highPower(n)) +
               ",\"optionCol8Off\":" + std::to_string(image.optionCol8Off(n)) +
               ",\"optionCol9Off\":" + std::to_string(image.optionCol9Off(n)) + "}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

void showText(const Context& ctx, const std::string& path, const RadioImage& image) {
    const std::string& langFile = ctx.paths.LanguageFilePath();
    const CellTexts texts = loadCellTexts(ctx);
    const FrequencyLimits limits = recomputeLimits(image);
    const auto bands = ReadBandNames(ctx.paths.SettingsFilePath());
    const auto voice = ReadNumberedList(langFile, lang::VoiceAnnunciationSection);
    const auto keys = ReadNumberedList(langFile, lang::MonitorKeySection);
    const auto scanModes = ReadNumberedList(langFile, lang::ScanModeSection);
    auto check = [&](int v) { return v ? texts.yes : texts.no; };

    std::vector<std::pair<std::string, std::string>> rows;
    char code[64];
    std::snprintf(code, sizeof code, "  (code 0x%02X, %s - %s MHz)", unsigned{image.bandCode()},
                  FreqValueText(limits.low).c_str(), FreqValueText(limits.high).c_str());
    rows.emplace_back(label(ctx, 1021, "Band"), entryAt(bands, image.bandListPosition()) + code);
    rows.emplace_back(label(ctx, 1031, "Squelch level"),
                      entryAt(SquelchTexts(), image.squelchLevel()));
    rows.emplace_back(label(ctx, 1035, "Time-out timer"),
                      entryAt(TimeOutTexts(texts.off), image.timeOutTimer()));
    rows.emplace_back(label(ctx, 1025, "Voice announcement"),
                      entryAt(voice, image.voiceAnnunciation()));
    rows.emplace_back(label(ctx, 1033, "Side key 1"), entryAt(keys, image.sideKey1()));
    rows.emplace_back(label(ctx, 1047, "Scan mode"), entryAt(scanModes, image.scanMode()));
    rows.emplace_back(label(ctx, 1027, "VOX function"), check(image.voxFunction()));
    rows.emplace_back(label(ctx, 1041, "VOX level"), entryAt(VoxLevelTexts(), image.voxLevel()));
    rows.emplace_back(label(ctx, 1023, "Beep"), check(image.beep()));
    rows.emplace_back(label(ctx, 1029, "Scan function"), check(image.scanFunction()));
    rows.emplace_back(label(ctx, 1024, "Battery save"), check(image.batterySave()));
    rows.emplace_back(label(ctx, 1028, "Voice function"), check(image.voiceFunction()));
    rows.emplace_back(label(ctx, 1030, "FM radio function"), check(image.fmRadioFunction()));
    rows.emplace_back(label(ctx, 1043, "Side key 2"), entryAt(keys, image.sideKey2()));
    rows.emplace_back(label(ctx, 1045, "FM radio frequency"),
                      entryAt(FmRadioTexts(), image.fmRadioFreq()));
    rows.emplace_back(label(ctx, 1039, "DTMF code"), DtmfToText(image.dtmfDigits()));

    std::size_t labelWidth = 0;
    for (const auto& r : rows)
        labelWidth = std::max(labelWidth, displayWidth(r.first));
    std::printf("%s\n\n", path.c_str());
    for (const auto& r : rows)
        if (r.second.empty())
            std::printf("%s:\n", r.first.c_str());
        else
            std::printf("%s  %s\n", pad(r.first + ":", labelWidth + 1).c_str(), r.second.c_str());

    // The channel table: a missing header repeats the header to its left.
    std::vector<std::vector<std::string>> table(ChannelCount + 1,
                                                std::vector<std::string>(ChannelColumnCount));
    std::string header;
    for (int c = 0; c < ChannelColumnCount; ++c) {
        std::string text;
        if (ReadColumnHeader(langFile, c, text))
            header = text;
        table[0][static_cast<std::size_t>(c)] = header;
    }
    for (int n = 1; n <= ChannelCount; ++n)
        for (int c = 0; c < ChannelColumnCount; ++c)
            table[static_cast<std::size_t>(n)][static_cast<std::size_t>(c)] =
                channelCellText(image, n, c, texts);
    std::vector<std::size_t> widths(ChannelColumnCount, 0);
    for (const auto& row : table)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    std::printf("\n");
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += (c ? "  " : "") + pad(row[c], widths[c]);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::printf("%s\n", line.c_str());
    }
}

// ---- edit ----

struct ChannelEdit {
    int channel = 0;
    std::optional<std::string> rx, rxTone, tx, txTone;
    std::vector<std::pair<int, int>> options; // column, position
};

struct EditRequest {
    std::string path;
    std::optional<int> band;
    std::vector<ChannelEdit> channels;
    std::vector<std::pair<const SettingField*, int>> sets;
    std::optional<std::string> dtmf;
};

const char* const ColumnNames[ChannelColumnCount] = {
    "channel",       "receive frequency", "receive tone", "transmit frequency", "transmit tone",
    "option col. 5", "bandwidth",         "power",        "option col. 8",      "option col. 9"};

// Parses the edit arguments; returns ExitOk or ExitUsage (message printed).
int parseEdit(const Context& ctx, EditRequest& req) {
    ArgReader in(ctx.args);
    while (!in.done()) {
        const std::string arg = in.next();
        const auto [name, inlineValue] = splitOption(arg);
        std::string v;
        if (name == "--band") {
            int pos = 0;
            if (req.band) {
                fail("--band given twice");
                return ExitUsage;
            }
            if (!in.value(name, inlineValue, v) || !parseBand(ctx, v, pos))
                return ExitUsage;
            req.band = pos;
        } else if (name == "--channel") {
            ChannelEdit e;
            if (!in.value(name, inlineValue, v))
                return ExitUsage;
            if (!parseInt(v, 1, ChannelCount, e.channel)) {
                fail("--channel takes a channel number 1 to 16, not '" + v + "'");
                return ExitUsage;
            }
            req.channels.push_back(std::move(e));
        } else if (name == "--rx" || name == "--rx-tone" || name == "--tx" || name == "--tx-tone" ||
                   name == "--option") {
            if (req.channels.empty()) {
                fail(name + " needs a --channel N before it");
                return ExitUsage;
            }
            if (!in.value(name, inlineValue, v))
                return ExitUsage;
            ChannelEdit& e = req.channels.back();
            if (name == "--option") {
                const std::size_t eq = v.find('=');
                int col = 0;
                int pos = 0;
                if (eq == std::string::npos || !parseInt(v.substr(0, eq), 5, 9, col) ||
                    !parseInt(v.substr(eq + 1), 0, 1, pos)) {
                    fail("--option takes COL=0 or COL=1 with COL a column 5 to 9, not '" + v + "'");
                    return ExitUsage;
                }
                e.options.emplace_back(col, pos);
                continue;
            }
            std::optional<std::string>& slot = name == "--rx"        ? e.rx
                                               : name == "--rx-tone" ? e.rxTone
                                               : name == "--tx"      ? e.tx
                                                                     : e.txTone;
            if (slot) {
                fail(name + " given twice for channel " + std::to_string(e.channel));
                return ExitUsage;
            }
            slot = v;
        } else if (name == "--set") {
            if (!in.value(name, inlineValue, v))
                return ExitUsage;
            const std::size_t eq = v.find('=');
            const SettingField* f = eq == std::string::npos ? nullptr : findField(v.substr(0, eq));
            if (!f) {
                std::string names;
                for (const SettingField& s : SettingFields)
                    names += std::string(" ") + s.name;
                fail("--set takes FIELD=VALUE with FIELD one of:" + names + "; not '" + v + "'");
                return ExitUsage;
            }
            int value = 0;
            if (!parseInt(v.substr(eq + 1), 0, 255, value)) {
                fail("--set " + std::string(f->name) + " takes a value 0 to 255, not '" +
                     v.substr(eq + 1) + "'");
                return ExitUsage;
            }
            req.sets.emplace_back(f, value);
        } else if (name == "--dtmf") {
            if (req.dtmf) {
                fail("--dtmf given twice");
                return ExitUsage;
            }
            if (!in.value(name, inlineValue, v))
                return ExitUsage;
            req.dtmf = v;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            fail("unknown option '" + arg + "' for edit");
            return ExitUsage;
        } else if (req.path.empty()) {
            req.path = arg;
        } else {
            fail("edit takes one file, got '" + req.path + "' and '" + arg + "'");
            return ExitUsage;
        }
    }
    if (req.path.empty()) {
        fail("edit needs a FILE.735");
        return ExitUsage;
    }
    return ExitOk;
}

// Refuses an edit of a cell the table would not let the user edit now.
bool cellEditable(const RadioImage& image, int channel, int column) {
    if (!isCellReadOnly(image, channel, column))
        return true;
    const std::string why = column == ColTxTone && !image.isRxEmpty(channel)
                                ? "has no transmit frequency"
                                : "has no receive frequency";
    fail("channel " + std::to_string(channel) + " " + why + ": its " + ColumnNames[column] +
         " cannot be edited (nothing was saved)");
    return false;
}

} // namespace

int cmdNew(Context& ctx) {
    std::string path;
    std::optional<int> band;
    bool force = false;
    ArgReader in(ctx.args);
    while (!in.done()) {
        const std::string arg = in.next();
        const auto [name, inlineValue] = splitOption(arg);
        std::string v;
        if (name == "--band") {
            int pos = 0;
            if (band) {
                fail("--band given twice");
                return ExitUsage;
            }
            if (!in.value(name, inlineValue, v) || !parseBand(ctx, v, pos))
                return ExitUsage;
            band = pos;
        } else if (arg == "--force") {
            force = true;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            fail("unknown option '" + arg + "' for new");
            return ExitUsage;
        } else if (path.empty()) {
            path = arg;
        } else {
            fail("new takes one file, got '" + path + "' and '" + arg + "'");
            return ExitUsage;
        }
    }
    if (path.empty()) {
        fail("new needs a FILE.735");
        return ExitUsage;
    }
    // An existing file with content is only replaced on request; an empty one holds nothing to
    // lose.
    struct stat st {};
    if (!force && ::stat(path.c_str(), &st) == 0 && !(S_ISREG(st.st_mode) && st.st_size == 0)) {
        fail(path + " already exists; use --force to replace it");
        return ExitCantCreate;
    }

    HeaderBlock header = NewHeaderBlock();
    RadioImage image = MakeDefaultImage();
    FrequencyLimits limits = recomputeLimits(image);
    if (band)
        ChangeBand(header, image, limits, *band);
    std::string error;
    if (!SaveDataFile(path, header, image, &error)) {
        fail(error);
        return ExitCantCreate;
    }
    return ExitOk;
}

int cmdShow(Context& ctx) {
    std::string path;
    bool json = false;
    for (const std::string& arg : ctx.args) {
        if (arg == "--json") {
            json = true;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            fail("unknown option '" + arg + "' for show");
            return ExitUsage;
        } else if (path.empty()) {
            path = arg;
        } else {
            fail("show takes one file, got '" + path + "' and '" + arg + "'");
            return ExitUsage;
        }
    }
    if (path.empty()) {
        fail("show needs a FILE.735");
        return ExitUsage;
    }
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(ctx, path, header, image); rc != ExitOk)
        return rc;
    if (json)
        showJson(image);
    else
        showText(ctx, path, image);
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

int cmdEdit(Context& ctx) {
    EditRequest req;
    if (const int rc = parseEdit(ctx, req); rc != ExitOk)
        return rc;

    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(ctx, req.path, header, image); rc != ExitOk)
        return rc;
    FrequencyLimits limits = recomputeLimits(image);
    const std::string offText = lang(ctx, lang::IDS_OFF);
    const HeaderBlock loadedHeader = header;
    const RadioImage loadedImage = image;

    bool modified = false;
    if (req.band)
        modified |= ChangeBand(header, image, limits, *req.band);

    for (const ChannelEdit& e : req.channels) {
        const int n = e.channel;
        if (e.rx) {
            if (!cellEditable(image, n, ColRxFreq))
                return ExitUsage;
            modified |= CommitFrequency(image, limits, n, true, *e.rx);
        }
        if (e.rxTone) {
            if (!cellEditable(image, n, ColRxTone))
                return ExitUsage;
            modified |= CommitTone(image, n, true, *e.rxTone, offText);
        }
        if (e.tx) {
            if (!cellEditable(image, n, ColTxFreq))
                return ExitUsage;
            modified |= CommitFrequency(image, limits, n, false, *e.tx);
        }
        if (e.txTone) {
            if (!cellEditable(image, n, ColTxTone))
                return ExitUsage;
            modified |= CommitTone(image, n, false, *e.txTone, offText);
        }
        for (const auto& [column, position] : e.options) {
            if (!cellEditable(image, n, column))
                return ExitUsage;
            modified |= SelectOption(image, n, column, position);
        }
    }

    for (const auto& [field, value] : req.sets) {
        const RadioImage before = image;
        (image.*field->set)(value);
        modified |= !(image == before);
    }

    if (req.dtmf)
        modified |= CommitDtmf(image, *req.dtmf);

    // The table may change the image without marking the document modified (a frequency off
    // the channel raster committed unchanged is rounded); such a change is saved as well.
    if (modified || header != loadedHeader || !(image == loadedImage)) {
        std::string error;
        if (!SaveDataFile(req.path, header, image, &error)) {
            fail(error);
            return ExitCantCreate;
        }
    }
    std::printf("%s\n", modified ? "modified" : "unchanged");
    return ExitOk;
}

} // namespace orvik::cli
