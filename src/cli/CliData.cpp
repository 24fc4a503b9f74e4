// orvik-cli new, show and edit: the data file commands. They use the same edit rules as the
// window's channel table and settings panel, so a file edited here is what the window would make.

#include "cli/CliCommon.h"
#include "cli/CliShow.h"

#include "core/lang/LangCatalog.h"
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

void fail(const std::string& text) {
    std::fprintf(stderr, "orvik-cli: %s\n", text.c_str());
}

LangCatalog openCatalog(const Context& ctx) {
    LangCatalog catalog(ctx.paths.LanguageFilePath(), ctx.paths.EnglishFilePath());
    std::string unreadable;
    if (catalog.takeFallbackNotice(unreadable))
        fail(catalog.text(lang::IDS_WARN_LANG_FILE) + " " + unreadable);
    return catalog;
}

int save(const Context& ctx, const std::string& path, const HeaderBlock& header,
         const RadioImage& image, SaveMode mode, const std::string& existsText) {
    const SaveResult result = SaveDataFile(path, header, image, mode);
    if (!result.ok) {
        fail(result.exists && !existsText.empty() ? existsText : result.errorText);
        return ExitCantCreate;
    }
    if (result.ownerChanged) {
        LangCatalog texts = openCatalog(ctx);
        fail(texts.text(lang::IDS_WARN_OWNER_CHANGED) + " " + path);
    }
    return ExitOk;
}

int load(LangCatalog& texts, const std::string& path, HeaderBlock& header, RadioImage& image) {
    std::string error;
    std::size_t held = 0;
    switch (LoadDataFile(path, header, image, &error, &held)) {
    case LoadStatus::Ok:
        if (held < DataFileSize)
            std::fprintf(stderr, "%s\n%s\n",
                         ShortFileWarning(texts.text(lang::IDS_WARN_SHORT_FILE), held).c_str(),
                         path.c_str());
        return ExitOk;
    case LoadStatus::HeaderRejected:
        std::fprintf(stderr, "%s\n%s\n", texts.text(lang::IDS_WARN_LOAD).c_str(), path.c_str());
        return ExitDataErr;
    case LoadStatus::CannotRead:
        break;
    }
    fail(error);
    return ExitNoInput;
}

namespace {

// ---- Small helpers ----

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
    explicit ArgReader(const std::vector<std::string>& list) : args(list) {}
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

// A band list position chosen on the command line must be an entry of the band list.
bool parseBand(const Context& ctx, const std::string& text, int& position) {
    const auto names = ReadBandNames(ctx.paths.SettingsFilePath());
    if (!parseInt(text, 0, static_cast<long>(names.size()) - 1, position)) {
        std::string list;
        for (std::size_t k = 0; k < names.size(); ++k)
            list += "\n  " + std::to_string(k) + "  " + names[k];
        fail("band position '" + text + "' is not in the band list of setting.ini:" + list);
        return false;
    }
    return true;
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
            const SettingField* f =
                eq == std::string::npos ? nullptr : FindSettingField(v.substr(0, eq));
            if (!f) {
                std::string names;
                for (const SettingField& s : SettingFields())
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
    // lose. The save checks again as it publishes the file, so one that another process creates
    // meanwhile is not replaced either.
    const std::string exists = path + " already exists; use --force to replace it";
    struct stat st {};
    if (!force && ::stat(path.c_str(), &st) == 0 && !(S_ISREG(st.st_mode) && st.st_size == 0)) {
        fail(exists);
        return ExitCantCreate;
    }

    HeaderBlock header = NewHeaderBlock();
    RadioImage image = MakeDefaultImage();
    FrequencyLimits limits = recomputeLimits(image);
    if (band)
        ChangeBand(header, image, limits, *band);
    return save(ctx, path, header, image, force ? SaveMode::Replace : SaveMode::ReplaceIfEmpty,
                exists);
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
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, path, header, image); rc != ExitOk)
        return rc;
    const std::string out =
        json ? ShowJson(image)
             : ShowText(texts, ReadBandNames(ctx.paths.SettingsFilePath()), path, image);
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

int cmdEdit(Context& ctx) {
    EditRequest req;
    if (const int rc = parseEdit(ctx, req); rc != ExitOk)
        return rc;

    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, req.path, header, image); rc != ExitOk)
        return rc;
    FrequencyLimits limits = recomputeLimits(image);
    const std::string offText = texts.text(lang::IDS_OFF);
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
    // the channel raster committed unchanged is rounded); such a change is saved and reported
    // as well.
    if (modified || header != loadedHeader || !(image == loadedImage)) {
        if (const int rc = save(ctx, req.path, header, image, SaveMode::Replace, ""); rc != ExitOk)
            return rc;
        std::printf("modified\n");
    } else {
        std::printf("unchanged\n");
    }
    return ExitOk;
}

} // namespace orvik::cli
