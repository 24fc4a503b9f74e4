#include "core/lang/LangText.h"

#include "core/lang/FillText.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangRules.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace orvik {

namespace {

using lang::rules::Formatted;
using lang::rules::ListEntryBuffer;

constexpr std::size_t DisplayNameBuffer = 100;
constexpr int MaxBands = 16;
constexpr const char* NoDisplayName = "-----";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// Band names of setting.ini [ModelInfo] as shipped, in band-table order.
const std::vector<std::string> ShippedBands = {"470-490MHz (UHF)",     "490-512MHz (UHF)",
                                               "400-470MHz (UHF)",     "136-174MHz (VHF)",
                                               "136-470MHz (VHF/UHF)", "136-470MHz (wide)"};

} // namespace

namespace lang::rules {

std::string ExpandEscapes(std::string text) {
    auto replaceAll = [&text](std::string_view from, std::string_view to) {
        std::size_t pos = 0;
        while ((pos = text.find(from, pos)) != std::string::npos) {
            text.replace(pos, from.size(), to);
            pos += to.size();
        }
    };
    replaceAll("\\n", "\n");
    replaceAll("\\t", "\t");
    return text;
}

std::string Formatted(const char* format, int n) {
    return FillText(format, {std::to_string(n)});
}

std::vector<std::string> NumberedEntries(const ini::Document* document, std::string_view section,
                                         const char* keyFormat, std::size_t maxEntries) {
    std::vector<std::string> list;
    for (std::size_t i = 0; document && i < maxEntries; ++i) {
        const std::string* value =
            document->Value(section, Formatted(keyFormat, static_cast<int>(i)));
        if (!value || value->empty())
            break;
        list.push_back(ini::CutToBuffer(*value, ListEntryBuffer));
    }
    return list;
}

} // namespace lang::rules

std::string LoadLangString(const std::string& languageFile, std::string_view key) {
    return lang::rules::ExpandEscapes(ini::GetString(
        languageFile, lang::StringSection, key, lang::rules::NotFound, lang::rules::StringBuffer));
}

std::string ResourceText(const std::string& languageFile, int id) {
    return ini::GetString(languageFile, lang::ResourceSection, std::to_string(id), "",
                          lang::rules::ResourceBuffer);
}

std::vector<std::string> ReadNumberedList(const std::string& languageFile,
                                          std::string_view section) {
    // The list has no fixed length; every entry is one key of the section, so the section's
    // size bounds it.
    const auto document = ini::ReadDocument(languageFile, section);
    return lang::rules::NumberedEntries(document ? &*document : nullptr, section, "%d",
                                        static_cast<std::size_t>(-1));
}

bool ReadColumnHeader(const std::string& languageFile, int column, std::string& text) {
    const std::string value =
        ini::GetString(languageFile, lang::ChTextSection, Formatted(lang::ChTextKeyFormat, column),
                       "", ListEntryBuffer);
    if (value.empty())
        return false;
    text = value;
    return true;
}

std::vector<std::string> ReadBandNames(const std::string& settingsFile) {
    const auto document = ini::ReadDocument(settingsFile, keys::ModelInfoSection);
    auto names = lang::rules::NumberedEntries(
        document ? &*document : nullptr, keys::ModelInfoSection, keys::BandKeyFormat, MaxBands);
    return names.empty() ? ShippedBands : names;
}

std::vector<LanguageFileEntry> ListLanguageFiles(const std::string& appDirectory) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(appDirectory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name.size() < 5 || name.substr(name.size() - 5) != ".lang")
                continue;
            const std::string path = appDirectory + "/" + std::string(name);
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            names.emplace_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());

    std::vector<LanguageFileEntry> list;
    for (const std::string& name : names) {
        LanguageFileEntry entry;
        entry.path = appDirectory + "/" + name;
        entry.title = name.substr(0, name.size() - 5);
        entry.display = ini::GetString(entry.path, lang::FaceSection, lang::DispKey, NoDisplayName,
                                       DisplayNameBuffer);
        if (!entry.display.empty())
            list.push_back(std::move(entry));
    }
    return list;
}

std::vector<LanguageFileEntry> ListLanguageFiles(const std::vector<std::string>& folders) {
    std::vector<LanguageFileEntry> list;
    for (const std::string& folder : folders) {
        for (LanguageFileEntry& entry : ListLanguageFiles(folder)) {
            const bool shadowed = std::any_of(list.begin(), list.end(), [&](const auto& listed) {
                return listed.title == entry.title;
            });
            if (!shadowed)
                list.push_back(std::move(entry));
        }
    }
    return list;
}

int PreselectedLanguage(const std::vector<LanguageFileEntry>& entries,
                        const std::string& currentLanguageFile) {
    const auto current = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
        return EqualNoCase(entry.path, currentLanguageFile);
    });
    if (current == entries.end())
        return -1;
    // The list selects the first entry that begins with the text, without regard to case; in
    // the list's sorted order an exact match comes before longer texts that begin with it.
    int prefixMatch = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (EqualNoCase(entries[i].display, current->display))
            return static_cast<int>(i);
        if (prefixMatch < 0 && StartsWithNoCase(entries[i].display, current->display))
            prefixMatch = static_cast<int>(i);
    }
    return prefixMatch;
}

int MatchLanguage(const std::vector<LanguageFileEntry>& entries, const std::string& selected) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].display == selected)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace orvik
