// orvik-cli new, show and edit: the data file commands. They use the same edit rules as the
// window's channel table and settings panel, so a file edited here is what the window would make.

#include "cli/CliCommon.h"
#include "cli/CliShow.h"

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/model/ChannelBulk.h"
#include "core/model/Codecs.h"
#include "core/model/DataFile.h"
#include "core/model/EditRules.h"
#include "core/model/RadioDocument.h"
#include "core/model/RadioImage.h"
#include "core/model/SettingsTable.h"
#include "core/profile/PrintableText.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace orvik::cli {

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

int load(LangCatalog& texts, const std::string& path, HeaderBlock& header, RadioImage& image,
         std::size_t* heldBytes) {
    std::string error;
    std::size_t held = 0;
    switch (LoadDataFile(path, header, image, &error, &held)) {
    case LoadStatus::Ok:
        if (heldBytes != nullptr)
            *heldBytes = held;
        if (held < DataFileSize)
            Complain("%s\n%s\n",
                     ShortFileWarning(texts.text(lang::IDS_WARN_SHORT_FILE), held).c_str(),
                     path.c_str());
        return ExitOk;
    case LoadStatus::HeaderRejected:
        Complain("%s\n%s\n", texts.text(lang::IDS_WARN_LOAD).c_str(), path.c_str());
        return ExitDataErr;
    case LoadStatus::CannotRead:
        break;
    }
    fail(error);
    return ExitNoInput;
}

namespace {

// ---- Small helpers ----

// A band list position chosen on the command line must be an entry of the band list.
bool parseBand(const Context& ctx, const std::string& text, int& position) {
    const auto names = ReadBandNames(ctx.paths.SettingsFilePath());
    if (!ParseWholeNumber(text, 0, static_cast<long>(names.size()) - 1, position)) {
        std::string list;
        for (std::size_t k = 0; k < names.size(); ++k)
            list += "\n  " + std::to_string(k) + "  " + names[k];
        fail("band position '" + text + "' is not in the band list of setting.ini:" + list);
        return false;
    }
    return true;
}

// ---- edit ----

// One --channel N group, or one --channels SET group (`set` not empty, `channel` 0).
struct ChannelEdit {
    int channel = 0;
    std::vector<int> set;
    std::optional<std::string> rx, rxTone, tx, txTone;
    std::optional<FrequencyFill> fill;        // --fill, for a set
    std::vector<std::pair<int, int>> options; // column, position
};

struct EditRequest {
    std::string path;
    std::optional<int> band;
    bool confirmed = false; // --yes / --force: a band change may clear used channels
    bool force = false;     // --force: a backup may be changed in place
    bool strict = false;
    std::vector<ChannelEdit> channels;
    std::vector<std::pair<SettingId, int>> sets;
    std::optional<std::string> dtmf;
    std::optional<SortKey> sort;
};

const char* const ColumnNames[ChannelColumnCount] = {
    "channel",       "receive frequency", "receive tone", "transmit frequency", "transmit tone",
    "option col. 5", "bandwidth",         "power",        "option col. 8",      "option col. 9"};

// Option columns: the words of position 0 and 1 and the named option that sets the column.
struct OptionWords {
    int column;
    const char* option;
    const char* word0;
    const char* word1;
};
constexpr OptionWords OptionColumns[] = {
    {ColScanAdd, "--scan-add", "yes", "no"},    {ColNarrow, "--bandwidth", "wide", "narrow"},
    {ColHighPower, "--power", "low", "high"},   {ColBusyLockOut, "--busy-lock", "yes", "no"},
    {ColScrambler, "--scrambler", "yes", "no"},
};

const OptionWords* optionColumn(int column) {
    for (const OptionWords& o : OptionColumns)
        if (o.column == column)
            return &o;
    return nullptr;
}

bool sameWord(const std::string& a, const char* b) {
    const std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}

// The list position of an option column's value: 0/1 or its word.
bool parseOptionValue(const OptionWords& o, const std::string& v, int& position) {
    if (sameWord(v, o.word0) || v == "0")
        position = 0;
    else if (sameWord(v, o.word1) || v == "1")
        position = 1;
    else
        return false;
    return true;
}

// One of the options that edit the channel of the --channel before them: --rx, --rx-tone,
// --tx, --tx-tone, --option and the named option columns. Returns false after saying why.
bool parseChannelOption(const std::string& name, const std::string& v, ChannelEdit& e) {
    if (name == "--option") {
        const std::size_t eq = v.find('=');
        int col = 0;
        int pos = 0;
        if (eq == std::string::npos || !ParseWholeNumber(v.substr(0, eq), 5, 9, col) ||
            !parseOptionValue(*optionColumn(col), v.substr(eq + 1), pos)) {
            fail("--option takes COL=VALUE with COL a column 5 to 9 and VALUE 0, 1 or the "
                 "column's word (yes/no, wide/narrow, low/high), not '" +
                 v + "'");
            return false;
        }
        e.options.emplace_back(col, pos);
        return true;
    }
    for (const OptionWords& o : OptionColumns) {
        if (name != o.option)
            continue;
        int pos = 0;
        if (!parseOptionValue(o, v, pos)) {
            fail(name + " takes " + o.word0 + " or " + o.word1 + ", not '" + v + "'");
            return false;
        }
        e.options.emplace_back(o.column, pos);
        return true;
    }
    if (name == "--fill") {
        const std::optional<FrequencyFill> fill = ParseFill(v);
        if (e.set.empty() || e.fill || !fill) {
            fail(e.set.empty() ? "--fill needs a --channels SET before it"
                 : e.fill      ? "--fill given twice for one --channels"
                               : "--fill takes START:STEP[:OFFSET] in MHz with a step above "
                                 "zero, not '" +
                                v + "'");
            return false;
        }
        e.fill = fill;
        return true;
    }
    if (!e.set.empty() && (name == "--rx" || name == "--tx")) {
        fail(name + " sets one channel's frequency: give it after --channel N, or --fill after "
                    "--channels");
        return false;
    }
    std::optional<std::string>& slot = name == "--rx"        ? e.rx
                                       : name == "--rx-tone" ? e.rxTone
                                       : name == "--tx"      ? e.tx
                                                             : e.txTone;
    if (slot) {
        fail(name + " given twice for " +
             (e.set.empty() ? "channel " + std::to_string(e.channel) : std::string("--channels")));
        return false;
    }
    slot = v;
    return true;
}

// --set FIELD=VALUE; false after saying why.
bool parseSet(const std::string& v, EditRequest& req) {
    const std::size_t eq = v.find('=');
    const SettingSpec* spec = eq == std::string::npos ? nullptr : FindSetting(v.substr(0, eq));
    if (!spec) {
        std::string names;
        for (const SettingSpec& s : AllSettings())
            names += std::string(" ") + s.name;
        fail("--set takes FIELD=VALUE with FIELD one of:" + names + "; not '" + v + "'");
        return false;
    }
    int value = 0;
    std::string error;
    if (!ParseSettingValue(*spec, v.substr(eq + 1), value, error)) {
        fail(error);
        return false;
    }
    req.sets.emplace_back(spec->id, value);
    return true;
}

// Reads the edit options in the order given, as the channel options apply to the --channel
// before them, then the file. Returns ExitOk or ExitUsage (message printed).
int parseEdit(const Context& ctx, const CLI::App& options, EditRequest& req) {
    for (const auto& [option, v] : GivenOptions(options)) {
        const std::string name = option->get_name();
        bool ok = true;
        if (name == "--band") {
            int pos = 0;
            if (req.band)
                fail("--band given twice");
            ok = !req.band && parseBand(ctx, v, pos);
            req.band = pos;
        } else if (name == "--channel") {
            ChannelEdit e;
            ok = ParseWholeNumber(v, 1, ChannelCount, e.channel);
            if (!ok)
                fail("--channel takes a channel number 1 to 16, not '" + v + "'");
            req.channels.push_back(std::move(e));
        } else if (name == "--channels") {
            ChannelEdit e;
            const std::optional<std::vector<int>> set = ParseChannelSet(v);
            ok = set.has_value();
            if (!ok)
                fail("--channels takes channel numbers and ranges of 1 to 16 such as 1-8,12, "
                     "not '" +
                     v + "'");
            else
                e.set = *set;
            req.channels.push_back(std::move(e));
        } else if (name == "--sort") {
            const std::pair<const char*, SortKey> keys[] = {{"rx", SortKey::RxFrequency},
                                                            {"tx", SortKey::TxFrequency},
                                                            {"rx-tone", SortKey::RxTone},
                                                            {"tx-tone", SortKey::TxTone}};
            ok = false;
            for (const auto& [word, key] : keys)
                if (v == word) {
                    req.sort = key;
                    ok = true;
                }
            if (!ok)
                fail("--sort takes rx, tx, rx-tone or tx-tone, not '" + v + "'");
        } else if (name == "--yes" || name == "--force") {
            req.confirmed = true;
            req.force = req.force || name == "--force";
        } else if (name == "--strict") {
            req.strict = true;
        } else if (name == "--set") {
            ok = parseSet(v, req);
        } else if (name == "--dtmf") {
            if (req.dtmf)
                fail("--dtmf given twice");
            ok = !req.dtmf;
            req.dtmf = v;
        } else if (req.channels.empty()) {
            fail(name + " needs a --channel N or --channels SET before it");
            ok = false;
        } else {
            ok = parseChannelOption(name, v, req.channels.back());
        }
        if (!ok)
            return ExitUsage;
    }
    return takeOnlyFile("edit", ctx.args, false, req.path) ? ExitOk : ExitUsage;
}

// Says why the table does not let the user edit a cell now.
void refuseCell(const RadioImage& image, int channel, int column) {
    const std::string why = column == ColTxTone && !image.isRxEmpty(channel)
                                ? "has no transmit frequency"
                                : "has no receive frequency";
    fail("channel " + std::to_string(channel) + " " + why + ": its " + ColumnNames[column] +
         " cannot be edited (nothing was saved)");
}

// Applies one --channel group as the table's cells take it: the frequencies and tones in the
// order rx, rx tone, tx, tx tone, then the option columns. `report` receives each change as it
// is made. False, after saying why, when a cell does not take its edit now.
bool editChannel(RadioDocument& doc, const ChannelEdit& e, const CellTexts& cells,
                 const std::function<void(const DocChange&)>& report) {
    if (!e.set.empty()) {
        // A set: the frequencies filled first, then the fields given to the channels of the set
        // that are in use.
        if (e.fill)
            report(doc.fillFrequencies(e.set, *e.fill));
        orvik::ChannelEdit fields;
        fields.rxTone = e.rxTone;
        fields.txTone = e.txTone;
        for (const auto& [column, position] : e.options)
            fields.options[std::size_t(column)] = position;
        if (!fields.empty())
            report(doc.editChannels(e.set, fields, cells));
        return true;
    }
    const std::pair<int, const std::optional<std::string>*> texts[] = {
        {ColRxFreq, &e.rx}, {ColRxTone, &e.rxTone}, {ColTxFreq, &e.tx}, {ColTxTone, &e.txTone}};
    for (const auto& [column, text] : texts) {
        if (!*text)
            continue;
        const DocChange change = doc.commitCell(e.channel, column, **text, cells);
        if (change.refused) {
            refuseCell(doc.image(), e.channel, column);
            return false;
        }
        report(change);
    }
    for (const auto& [column, position] : e.options) {
        if (isCellReadOnly(doc.image(), e.channel, column)) {
            refuseCell(doc.image(), e.channel, column);
            return false;
        }
        report(doc.chooseOption(e.channel, column, position));
    }
    return true;
}

int cmdNew(Context& ctx, const CLI::App& options) {
    std::string path;
    std::optional<int> band;
    bool force = false;
    for (const auto& [option, v] : GivenOptions(options)) {
        int pos = 0;
        if (option->get_name() == "--force") {
            force = true;
        } else if (band) {
            fail("--band given twice");
            return ExitUsage;
        } else if (!parseBand(ctx, v, pos)) {
            return ExitUsage;
        } else {
            band = pos;
        }
    }
    if (!takeOnlyFile("new", ctx.args, false, path))
        return ExitUsage;
    // An existing file with content is only replaced on request; an empty one holds nothing to
    // lose. The save checks again as it publishes the file, so one that another process creates
    // meanwhile is not replaced either.
    const std::string exists = path + " already exists; use --force to replace it";
    struct stat st {};
    if (!force && ::stat(path.c_str(), &st) == 0 && !(S_ISREG(st.st_mode) && st.st_size == 0)) {
        fail(exists);
        return ExitCantCreate;
    }

    RadioDocument doc;
    if (band)
        doc.setBand(*band);
    return save(ctx, path, doc.header(), doc.image(),
                force ? SaveMode::Replace : SaveMode::ReplaceIfEmpty, exists);
}

int cmdShow(Context& ctx, bool json) {
    std::string path;
    if (!takeOnlyFile("show", ctx.args, false, path))
        return ExitUsage;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, path, header, image); rc != ExitOk)
        return rc;
    // The text repeats names from files (the band names, the file's own name): shown safely.
    const std::string out =
        json ? ShowJson(image)
             : PrintableLines(
                   ShowText(texts, ReadBandNames(ctx.paths.SettingsFilePath()), path, image));
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitCantCreate;
}

int cmdEdit(Context& ctx, const CLI::App& options) {
    EditRequest req;
    if (const int rc = parseEdit(ctx, options, req); rc != ExitOk)
        return rc;

    if (const int rc = refuseBackup(ctx, "edit", req.path, req.force); rc != ExitOk)
        return rc;
    LangCatalog texts = openCatalog(ctx);
    HeaderBlock header{};
    RadioImage image;
    if (const int rc = load(texts, req.path, header, image); rc != ExitOk)
        return rc;
    RadioDocument doc(header, image);

    bool modified = false;
    if (req.band) {
        // The window asks before a band change wipes the channels; here --yes says so.
        int used = 0;
        for (int n = 1; n <= ChannelCount; ++n)
            used += image.isRxEmpty(n) ? 0 : 1;
        if (*req.band != image.bandListPosition() && used > 0 && !req.confirmed) {
            fail("--band clears all channels (" + std::to_string(used) +
                 " in use) and resets every setting; add --yes to change the band (nothing "
                 "was saved)");
            return ExitUsage;
        }
        modified |= doc.setBand(*req.band).modified;
    }

    // What a commit stored otherwise than given goes to standard error; a text that is no
    // frequency, and with --strict any such value, stops the edit before anything is saved.
    auto lookup = [&texts](std::string_view key) { return texts.text(key); };
    bool refused = false;
    auto report = [&](const DocChange& change) {
        modified |= change.modified;
        for (const CellNote& n : change.notes) {
            fail("channel " + std::to_string(n.channel) + " " + ColumnNames[n.column] + ": " +
                 CommitNoteText(n.note, lookup));
            refused = refused || req.strict || n.note.what == Adjustment::NotAFrequency;
        }
    };
    const CellTexts cells = LoadCellTexts(texts);
    for (const ChannelEdit& e : req.channels)
        if (!editChannel(doc, e, cells, report))
            return ExitUsage;
    if (refused) {
        fail(req.strict ? "--strict: nothing was saved" : "nothing was saved");
        return ExitDataErr;
    }
    if (req.sort)
        report(doc.sortChannels(*req.sort));

    for (const auto& [id, value] : req.sets)
        modified |= doc.setSetting(id, value).changedBytes();
    if (req.dtmf)
        modified |= doc.setDtmf(*req.dtmf).modified;

    // The table may change the image without marking the document modified (a frequency off
    // the channel raster committed unchanged is rounded); such a change is saved and reported
    // as well.
    if (modified || doc.header() != header || !(doc.image() == image)) {
        if (const int rc = save(ctx, req.path, doc.header(), doc.image(), SaveMode::Replace, "");
            rc != ExitOk)
            return rc;
        std::printf("modified\n");
    } else {
        std::printf("unchanged\n");
    }
    return ExitOk;
}

const char* const NewUsage =
    "  new FILE.735 [--band POS] [--force]\n"
    "                  write the default image (File New), then change to band list position\n"
    "                  POS of setting.ini [ModelInfo]; --force replaces a non-empty file\n";
const char* const ShowUsage =
    "  show FILE.735 [--json]\n"
    "                  print the band, the settings and the 16 channels\n";
const char* const EditUsage =
    "  edit FILE.735 [--band POS [--yes]] [--strict] [--channel N [--rx TEXT]\n"
    "       [--rx-tone TEXT] [--tx TEXT] [--tx-tone TEXT] [--scan-add yes|no]\n"
    "       [--bandwidth wide|narrow] [--power high|low] [--busy-lock yes|no]\n"
    "       [--scrambler yes|no] [--option COL=VALUE]...]... [--set FIELD=VALUE]...\n"
    "       [--dtmf TEXT] [--force] [--channels SET [--fill START:STEP[:OFFSET]]\n"
    "       [--rx-tone TEXT] [--tx-tone TEXT] [--power high|low] ...]...\n"
    "       [--sort rx|tx|rx-tone|tx-tone]\n"
    "                  apply the edits as the window does and save in place; prints\n"
    "                  'modified' or 'unchanged', and on standard error each value that\n"
    "                  was stored otherwise than given (a decimal comma is read as a\n"
    "                  point). --strict: any such value is an error (exit 65), nothing\n"
    "                  is saved; a text that is no frequency always is. --band clears\n"
    "                  every channel and setting and needs --yes (or --force) when a\n"
    "                  channel is in use. COL is a channel table column 5 to 9, VALUE\n"
    "                  0/1 or the word (yes/no, wide/narrow, low/high). FIELD is a\n"
    "                  setting (voiceFunction, voiceAnnunciation, scanFunction,\n"
    "                  voxFunction, voxLevel, fmRadioFunction, beep, batterySave,\n"
    "                  squelchLevel, sideKey1, timeOutTimer, sideKey2, fmRadioFreq,\n"
    "                  scanMode), VALUE its stored value or list position, yes/no for\n"
    "                  the on/off ones, and seconds with a unit for timeOutTimer\n"
    "                  (off, 30s ... 300s); a value out of range is an error. A file in\n"
    "                  the backup folder is refused (exit 73) unless --force: copy it\n"
    "                  first. --channels SET (such as 1-8,12): the tone and option\n"
    "                  options after it go to every channel of the set that is in use;\n"
    "                  --fill gives the set receive frequencies from START in steps of\n"
    "                  STEP (MHz), with an OFFSET the transmit frequency that far off\n"
    "                  (negative: below). --sort rearranges the channels by that value,\n"
    "                  empty ones last, after the channel edits\n";

class NewCommand final : public Command {
public:
    const char* usage() const override { return NewUsage; }
    void define(CLI::App& app) override {
        options = &app;
        ValueOption(app, "--band");
        FlagOption(app, "--force");
    }
    int run(Context& ctx) override { return cmdNew(ctx, *options); }

private:
    const CLI::App* options = nullptr;
};

class ShowCommand final : public Command {
public:
    const char* usage() const override { return ShowUsage; }
    void define(CLI::App& app) override { json = FlagOption(app, "--json"); }
    int run(Context& ctx) override { return cmdShow(ctx, json->count() > 0); }

private:
    const CLI::Option* json = nullptr;
};

class EditCommand final : public Command {
public:
    const char* usage() const override { return EditUsage; }
    void define(CLI::App& app) override {
        options = &app;
        for (const char* name : {"--band", "--channel", "--rx", "--rx-tone", "--tx", "--tx-tone",
                                 "--option", "--set", "--dtmf", "--channels", "--fill", "--sort"})
            ValueOption(app, name);
        for (const OptionWords& o : OptionColumns)
            ValueOption(app, o.option);
        FlagOption(app, "--yes");
        FlagOption(app, "--force");
        FlagOption(app, "--strict");
    }
    int run(Context& ctx) override { return cmdEdit(ctx, *options); }

private:
    const CLI::App* options = nullptr;
};

} // namespace

std::unique_ptr<Command> MakeNewCommand() {
    return std::make_unique<NewCommand>();
}

std::unique_ptr<Command> MakeShowCommand() {
    return std::make_unique<ShowCommand>();
}

std::unique_ptr<Command> MakeEditCommand() {
    return std::make_unique<EditCommand>();
}

} // namespace orvik::cli
