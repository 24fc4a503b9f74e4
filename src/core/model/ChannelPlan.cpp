#include "core/model/ChannelPlan.h"

#include "core/csv/Csv.h"
#include "core/model/Codecs.h"
#include "core/model/RadioDocument.h"
#include "core/profile/AppPaths.h"
#include "core/profile/BoundedRead.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace orvik {

namespace {

// A plan larger than this is no channel list.
constexpr std::size_t MaxPlanBytes = 1u << 20;

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> split(std::string_view s, std::string_view separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find_first_of(separators, start), s.size());
        if (std::string part = trim(s.substr(start, end - start)); !part.empty())
            parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

// MHz text ("446.00625", "+0.6") as Hz; nothing past the sixth decimal or for no number.
std::optional<std::int64_t> mhzToHz(std::string_view s) {
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    std::int64_t whole = 0, frac = 0;
    int digits = 0, fracDigits = 0;
    std::size_t i = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i, ++digits)
        if (digits < 6)
            whole = whole * 10 + (s[i] - '0');
    if (digits > 5)
        return std::nullopt;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
            if (++fracDigits > 6 && s[i] != '0')
                return std::nullopt;
            if (fracDigits <= 6)
                frac = frac * 10 + (s[i] - '0');
        }
    if (i != s.size() || digits + fracDigits == 0)
        return std::nullopt;
    for (; fracDigits < 6; ++fracDigits)
        frac *= 10;
    return whole * 1000000 + frac;
}

// Watts ("0.5", "2W", "any"): negative for no limit; nothing when unreadable.
std::optional<double> watts(std::string s) {
    s = lower(trim(s));
    if (s.empty() || s == "any")
        return -1.0;
    if (s.back() == 'w')
        s = trim(s.substr(0, s.size() - 1));
    char* end = nullptr;
    const double w = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || !(w >= 0) || w > 1e6)
        return std::nullopt;
    return w;
}

// "name: value" of the comment block, and key=value of its [rules] section.
bool readComments(std::string_view text, ChannelPlan& plan, std::string& error) {
    bool inRules = false;
    for (const std::string& raw : split(text, "\r\n")) {
        if (raw.front() != '#')
            continue;
        const std::string line = trim(std::string_view(raw).substr(1));
        if (lower(line) == "[rules]" || lower(line) == "[end]") {
            inRules = lower(line) == "[rules]";
            continue;
        }
        const std::size_t mark = line.find(inRules ? '=' : ':');
        if (mark == std::string::npos)
            continue;
        const std::string key = lower(trim(line.substr(0, mark)));
        const std::string value = trim(line.substr(mark + 1));
        PlanRules& r = plan.rules;
        if (!inRules) {
            if (key == "name")
                plan.name = value;
            else if (key == "service")
                plan.service = value;
            else if (key == "region")
                plan.regions = split(value, ", ");
            else if (key == "regulation")
                plan.regulation = value;
            else if (key == "checked")
                plan.checked = value;
        } else if (key == "transmit") {
            r.transmit = lower(value) != "no";
        } else if (key == "power") {
            const auto w = watts(value);
            if (!w)
                return (error = "power '" + value + "' cannot be read"), false;
            r.maxWatts = *w;
        } else if (key == "bandwidth") {
            r.narrowOnly = lower(value) == "narrow";
        } else if (key == "pairing") {
            const std::string v = lower(value);
            r.pairing = v == "simplex"    ? Pairing::Simplex
                        : v == "repeater" ? Pairing::Repeater
                                          : Pairing::Any;
        } else if (key == "range" || key == "tx-side") {
            for (const std::string& part : split(value, ", ")) {
                const std::size_t dash = part.find('-');
                const auto lo = mhzToHz(part.substr(0, dash));
                const auto hi = dash == std::string::npos ? lo : mhzToHz(part.substr(dash + 1));
                if (!lo || !hi || *hi < *lo)
                    return (error = key + " '" + part + "' cannot be read"), false;
                if (key == "range")
                    r.ranges.emplace_back(*lo, *hi);
                else
                    r.txSide.push_back(*lo);
            }
        }
    }
    return true;
}

// Columns by name, without regard to case.
struct Header {
    std::vector<std::string> names;
    int find(std::string_view name) const {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (lower(trim(names[i])) == lower(std::string(name)))
                return static_cast<int>(i);
        return -1;
    }
};

std::string field(const Header& h, const csv::Record& r, std::string_view column) {
    const int i = h.find(column);
    return i >= 0 && static_cast<std::size_t>(i) < r.fields.size() ? trim(r.fields[i]) : "";
}

// The transmit tone a row asks for, in the tone list's form; "" for none.
std::string rowTone(const Header& h, const csv::Record& r) {
    const std::string mode = lower(field(h, r, "Tone"));
    if (mode == "tone" || mode == "tsql")
        return ListedTone(field(h, r, mode == "tone" ? "rToneFreq" : "cToneFreq")).value_or("");
    if (mode == "dtcs") {
        const std::string pol = field(h, r, "DtcsPolarity");
        const std::string text = "D" + field(h, r, "DtcsCode") +
                                 (!pol.empty() && (pol[0] == 'R' || pol[0] == 'r') ? "I" : "N");
        return ListedTone(text).value_or("");
    }
    return {};
}

bool readRow(const Header& h, const csv::Record& r, const PlanRules& rules, PlanChannel& c,
             std::string& error) {
    const std::string where = "line " + std::to_string(r.line) + ": ";
    const std::string location = field(h, r, "Location");
    char* end = nullptr;
    const long number = std::strtol(location.c_str(), &end, 10);
    if (location.empty() || *end != '\0' || number < 0 || number > 99999)
        return (error = where + "Location '" + location + "' cannot be read"), false;
    c.number = static_cast<int>(number);
    c.name = field(h, r, "Name");
    c.comment = field(h, r, "Comment");
    const auto rx = mhzToHz(field(h, r, "Frequency"));
    if (!rx || *rx == 0)
        return (error = where + "Frequency '" + field(h, r, "Frequency") + "' cannot be read"),
               false;
    c.rxHz = *rx;
    const std::string duplex = lower(field(h, r, "Duplex"));
    const auto offset = mhzToHz(field(h, r, "Offset").empty() ? "0" : field(h, r, "Offset"));
    if (!offset)
        return (error = where + "Offset '" + field(h, r, "Offset") + "' cannot be read"), false;
    if (duplex.empty())
        c.txHz = c.rxHz;
    else if (duplex == "+")
        c.txHz = c.rxHz + *offset;
    else if (duplex == "-")
        c.txHz = c.rxHz - *offset;
    else if (duplex == "split")
        c.txHz = *offset;
    else if (duplex == "off")
        c.txHz = 0;
    else
        return (error = where + "Duplex '" + duplex + "' cannot be read"), false;
    if (duplex != "off" && c.txHz <= 0)
        return (error = where + "the transmit frequency is below 0"), false;
    c.transmit = rules.transmit && c.txHz > 0;
    const auto w = watts(field(h, r, "Power"));
    if (!w)
        return (error = where + "Power '" + field(h, r, "Power") + "' cannot be read"), false;
    c.maxWatts = field(h, r, "Power").empty() ? rules.maxWatts : *w;
    const std::string mode = lower(field(h, r, "Mode"));
    c.narrowOnly = mode == "nfm" || (mode.empty() && rules.narrowOnly);
    c.tone = rowTone(h, r);
    return true;
}

std::string title(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.size() > 4 && lower(name.substr(name.size() - 4)) == ".csv"
               ? name.substr(0, name.size() - 4)
               : name;
}

} // namespace

const PlanChannel* ChannelPlan::channel(int number) const {
    for (const PlanChannel& c : channels)
        if (c.number == number)
            return &c;
    return nullptr;
}

bool ParseChannelPlan(std::string_view text, ChannelPlan& plan, std::string& error) {
    plan.rules = {};
    plan.channels.clear();
    if (!readComments(text, plan, error))
        return false;
    const std::vector<csv::Record> records = csv::Parse(text);
    const Header header{records.empty() ? std::vector<std::string>{} : records.front().fields};
    if (header.find("Location") < 0 || header.find("Frequency") < 0)
        return (error = "no header line with Location and Frequency"), false;
    for (std::size_t i = 1; i < records.size(); ++i) {
        PlanChannel c;
        if (records[i].open)
            return (error = "line " + std::to_string(records[i].line) + ": unclosed quote"), false;
        if (!readRow(header, records[i], plan.rules, c, error))
            return false;
        plan.channels.push_back(std::move(c));
    }
    if (plan.channels.empty())
        return (error = "no channels"), false;
    return true;
}

bool ReadChannelPlan(const std::string& path, ChannelPlan& plan, std::string& error) {
    const std::string text = ReadBounded(path, MaxPlanBytes + 1);
    if (text.empty())
        return (error = "cannot be read"), false;
    if (text.size() > MaxPlanBytes)
        return (error = "larger than 1 MiB"), false;
    ChannelPlan read;
    read.id = title(path);
    read.path = path;
    read.own = plan.own;
    if (!ParseChannelPlan(text, read, error))
        return false;
    if (read.name.empty())
        read.name = read.id;
    plan = std::move(read);
    return true;
}

std::vector<std::string> PlanFolders(const AppPaths& paths) {
    std::vector<std::string> folders{paths.AppDirectory() + "/plans"};
    if (paths.DataDirectory() != paths.AppDirectory())
        folders.push_back(paths.DataDirectory() + "/plans");
    return folders;
}

std::vector<ChannelPlan> LoadChannelPlans(const AppPaths& paths,
                                          std::vector<std::string>* problems) {
    std::vector<ChannelPlan> plans;
    const std::vector<std::string> folders = PlanFolders(paths);
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folders[f].c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name.size() > 4 && lower(name.substr(name.size() - 4)) == ".csv")
                    names.push_back(name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            ChannelPlan plan;
            std::string error;
            const std::string path = folders[f] + "/" + name;
            plan.own = f == 0 && folders.size() > 1;
            if (FindPlan(plans, title(path)))
                continue; // a user's plan of the same id comes first
            if (ReadChannelPlan(path, plan, error))
                plans.push_back(std::move(plan));
            else if (problems)
                problems->push_back(path + ": " + error);
        }
    }
    std::sort(plans.begin(), plans.end(),
              [](const ChannelPlan& a, const ChannelPlan& b) { return a.id < b.id; });
    return plans;
}

const ChannelPlan* FindPlan(const std::vector<ChannelPlan>& plans, std::string_view id) {
    for (const ChannelPlan& p : plans)
        if (p.id == id)
            return &p;
    return nullptr;
}

bool FrequencyStorable(std::int64_t hz) {
    if (hz <= 0 || hz % 10 != 0 || hz / 10 > 99999999)
        return false;
    const auto v = static_cast<std::int32_t>(hz / 10);
    return SnapToChannelGrid(v) == v;
}

bool ChannelFits(const PlanChannel& c, const FrequencyLimits& limits) {
    auto fits = [&](std::int64_t hz) {
        return FrequencyStorable(hz) && hz >= std::int64_t{limits.low} * 10 &&
               hz <= std::int64_t{limits.high} * 10;
    };
    return fits(c.rxHz) && (!c.transmit || fits(c.txHz));
}

BandFit PlanBandFit(const ChannelPlan& plan, const FrequencyLimits& limits) {
    BandFit fit;
    for (const PlanChannel& c : plan.channels) {
        ++fit.total;
        fit.fit += ChannelFits(c, limits) ? 1 : 0;
    }
    return fit;
}

int BestBandPosition(const ChannelPlan& plan, int current) {
    const int count = static_cast<int>(BandCodes.size());
    auto limitsAt = [](int position) {
        return LimitsForBandCode(BandCodes[static_cast<std::size_t>(position)]);
    };
    if (current >= 0 && current < count) {
        const BandFit fit = PlanBandFit(plan, limitsAt(current));
        if (fit.fit == fit.total)
            return current;
    }
    int best = current >= 0 && current < count ? current : 2;
    for (int p = 0; p < count; ++p) {
        const FrequencyLimits a = limitsAt(p), b = limitsAt(best);
        const int fa = PlanBandFit(plan, a).fit, fb = PlanBandFit(plan, b).fit;
        if (fa > fb || (fa == fb && a.high - a.low < b.high - b.low))
            best = p;
    }
    return best;
}

std::string PlanMhzText(std::int64_t hz) {
    std::string text = std::to_string(hz / 1000000) + ".";
    std::string frac = std::to_string(1000000 + hz % 1000000).substr(1);
    while (frac.size() > 5 && frac.back() == '0')
        frac.pop_back();
    return text + frac;
}

} // namespace orvik
