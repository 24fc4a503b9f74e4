#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/lang/PlanKeys.h"
#include "core/profile/IniFile.h"
#include "core/profile/SettingKeys.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

namespace orvik {
namespace {

const std::string DataDir = ORVIK_SHIPPED_DATA_DIR;
const char* Missing = "\x01missing";

// The raw value of a key, uncut, or Missing.
std::string Raw(const std::string& file, const char* section, const std::string& key) {
    return ini::GetString(file, section, key, Missing, 1 << 16);
}

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int length = c < 0x80         ? 1
                           : (c >> 5) == 6  ? 2
                           : (c >> 4) == 14 ? 3
                           : (c >> 3) == 30 ? 4
                                            : 0;
        if (length == 0 || i + length > s.size())
            return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// Characters (code points) of a UTF-8 text.
std::size_t CharCount(const std::string& s) {
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::set<std::string> KeysOf(const std::string& file, const char* section) {
    std::set<std::string> keys;
    for (const auto& [key, value] : ini::ReadSection(file, section))
        keys.insert(key);
    return keys;
}

// What the program fills into a text: the printf conversions in their order (they cannot be
// reordered), then the numbered arguments, line breaks and tabs, sorted.
std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> ordered, unordered;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char c = text[i], next = text[i + 1];
        if (c == '%' && (next == 's' || next == 'd'))
            ordered.push_back(text.substr(i, 2));
        else if ((c == '%' && next >= '1' && next <= '9') ||
                 (c == '\\' && (next == 'n' || next == 't')))
            unordered.push_back(text.substr(i, 2));
        else
            continue;
        ++i;
    }
    std::sort(unordered.begin(), unordered.end());
    ordered.insert(ordered.end(), unordered.begin(), unordered.end());
    return ordered;
}

const char* const AllSections[] = {lang::FaceSection,       lang::StringSection,
                                   lang::ResourceSection,   lang::VoiceAnnunciationSection,
                                   lang::MonitorKeySection, lang::ScanModeSection,
                                   lang::ChTextSection};

// Every language file shipped in data/, by title, so a new file is checked without listing it.
std::vector<std::string> ShippedTitles() {
    std::vector<std::string> titles;
    for (const auto& entry : ListLanguageFiles(DataDir))
        titles.push_back(entry.title);
    return titles;
}

class ShippedLanguage : public ::testing::TestWithParam<std::string> {
protected:
    std::string file = DataDir + "/" + GetParam() + ".lang";
};

TEST_P(ShippedLanguage, IsUtf8WithADisplayName) {
    const std::string content = test::ReadFile(file);
    ASSERT_FALSE(content.empty());
    EXPECT_TRUE(IsValidUtf8(content));
    const std::string disp = Raw(file, lang::FaceSection, lang::DispKey);
    EXPECT_NE(disp, Missing);
    EXPECT_FALSE(disp.empty());
}

// The same keys in every section as english.lang, and every text keeps what the program fills in.
TEST_P(ShippedLanguage, MatchesEnglishKeyForKey) {
    const std::string english = DataDir + "/english.lang";
    for (const char* section : AllSections) {
        EXPECT_EQ(KeysOf(file, section), KeysOf(english, section)) << section;
        for (const auto& [key, text] : ini::ReadSection(english, section)) {
            const std::string translated = Raw(file, section, key);
            if (translated != Missing) {
                EXPECT_EQ(Placeholders(translated), Placeholders(text))
                    << section << "/" << key << ": " << translated;
            }
        }
    }
}

TEST_P(ShippedLanguage, DefinesEveryStringKey) {
    std::vector<const char*> keys(lang::AllStringKeys.begin(), lang::AllStringKeys.end());
    keys.insert(keys.end(), lang::AllPlanStringKeys.begin(), lang::AllPlanStringKeys.end());
    for (const char* key : keys) {
        const std::string value = Raw(file, lang::StringSection, key);
        EXPECT_NE(value, Missing) << key;
        EXPECT_FALSE(value.empty()) << key;
        EXPECT_LE(value.size(), 999u) << key;
    }
}

TEST_P(ShippedLanguage, OffTextCannotBeReadAsATone) {
    const std::string off = LoadLangString(file, lang::IDS_OFF);
    ASSERT_FALSE(off.empty());
    // A digit starts a CTCSS tone. The DCS letter may start it: a tone commit takes the off
    // word before it reads a DCS code.
    EXPECT_FALSE(off[0] >= '0' && off[0] <= '9') << off;
}

TEST_P(ShippedLanguage, ToolTipsFitTheirBuffer) {
    for (int command : lang::ToolbarCommands) {
        char key[32];
        std::snprintf(key, sizeof key, lang::TipKeyFormat, command);
        const std::string tip = Raw(file, lang::StringSection, key);
        EXPECT_NE(tip, Missing) << key;
        EXPECT_FALSE(tip.empty()) << key;
        EXPECT_LE(CharCount(tip), static_cast<std::size_t>(lang::TipMaxChars))
            << key << ": " << tip;
    }
}

TEST_P(ShippedLanguage, MenuEntriesShowTheirShortcuts) {
    const std::pair<const char*, const char*> shortcuts[] = {
        {lang::Menu_File_New, "\tCtrl+N"},         {lang::Menu_File_Open, "\tCtrl+O"},
        {lang::Menu_File_Save, "\tCtrl+S"},        {lang::Menu_File_Print, "\tCtrl+P"},
        {lang::Menu_Program_ReadData, "\tCtrl+R"}, {lang::Menu_Program_WriteData, "\tCtrl+W"},
        {lang::Menu_Setting_Port, "\tCtrl+C"},     {lang::Menu_Setting_Language, "\tCtrl+L"},
    };
    for (const auto& [key, hint] : shortcuts) {
        const std::string text = LoadLangString(file, key);
        ASSERT_GE(text.size(), std::string(hint).size()) << key;
        EXPECT_EQ(text.substr(text.size() - std::string(hint).size()), hint) << key;
    }
}

TEST_P(ShippedLanguage, DefinesEveryDialogTextButTheMessageLine) {
    for (int id : lang::AllResourceIds) {
        const std::string value = Raw(file, lang::ResourceSection, std::to_string(id));
        EXPECT_NE(value, Missing) << id;
        EXPECT_FALSE(value.empty()) << id;
    }
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(ResourceText(file, 1000 + n), "COM" + std::to_string(n));
    EXPECT_EQ(ResourceText(file, 1015), "QTB-9263 1.01");
    // The transfer dialog's message line is set by the program, never by the language file.
    EXPECT_EQ(Raw(file, lang::ResourceSection, "1010"), Missing);
}

TEST_P(ShippedLanguage, ListsAndHeadersFitTheirBuffers) {
    const std::pair<const char*, std::size_t> lists[] = {{lang::VoiceAnnunciationSection, 2},
                                                         {lang::MonitorKeySection, 4},
                                                         {lang::ScanModeSection, 2}};
    for (const auto& [section, count] : lists) {
        const auto entries = ReadNumberedList(file, section);
        EXPECT_EQ(entries.size(), count) << section;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string raw = Raw(file, section, std::to_string(i));
            EXPECT_LE(raw.size(), 29u) << section << i;
            EXPECT_EQ(i < entries.size() ? entries[i] : "", raw) << section << i;
        }
    }
    for (int column = 0; column < lang::ChTextColumns; ++column) {
        char key[32];
        std::snprintf(key, sizeof key, lang::ChTextKeyFormat, column);
        const std::string raw = Raw(file, lang::ChTextSection, key);
        EXPECT_NE(raw, Missing) << key;
        EXPECT_FALSE(raw.empty()) << key;
        EXPECT_LE(raw.size(), 29u) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguage, ::testing::ValuesIn(ShippedTitles()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                             std::string name = p.param; // a test name takes no '-'
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// In file-name order, as the Language dialog reads them ("chinese-" sorts before "chinese.").
TEST(ShippedData, LanguageDialogListsEveryLanguageByItsOwnName) {
    const auto entries = ListLanguageFiles(DataDir);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"arabic", "العربية"},   {"chinese-traditional", "繁體中文"},
        {"chinese", "简体中文"}, {"czech", "Čeština"},
        {"dutch", "Nederlands"}, {"english", "English"},
        {"french", "Français"},  {"german", "Deutsch"},
        {"greek", "Ελληνικά"},   {"hebrew", "עברית"},
        {"hungarian", "Magyar"}, {"italian", "Italiano"},
        {"japanese", "日本語"},  {"korean", "한국어"},
        {"polish", "Polski"},    {"portuguese", "Português"},
        {"romanian", "Română"},  {"russian", "Русский"},
        {"spanish", "Español"},  {"swedish", "Svenska"},
        {"turkish", "Türkçe"},   {"ukrainian", "Українська"},
    };
    std::vector<std::pair<std::string, std::string>> listed;
    for (const auto& entry : entries)
        listed.emplace_back(entry.title, entry.display);
    EXPECT_EQ(listed, expected);
}

TEST(ShippedData, SettingsFile) {
    const std::string file = DataDir + "/" + keys::SettingsFileName;
    EXPECT_TRUE(IsValidUtf8(test::ReadFile(file)));
    EXPECT_EQ(ini::GetString(file, keys::SetupSection, keys::LanguageKey, "", 260), "english");
    EXPECT_EQ(ini::GetInt(file, keys::SetupSection, keys::ComKey, 0), 1);
    EXPECT_EQ(ini::GetString(file, keys::SetupSection, keys::SearchComKey, "", 8), "1");
    // The ports section is only a commented example.
    EXPECT_TRUE(ini::ReadSection(file, keys::PortsSection).empty());

    const auto bands = ReadBandNames(file);
    ASSERT_EQ(bands.size(), 6u);
    const char* limits[] = {"470-490", "490-512", "400-470", "136-174", "136-470", "136-470"};
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const std::string raw = Raw(file, keys::ModelInfoSection, "Freq" + std::to_string(i));
        EXPECT_LE(raw.size(), 29u) << raw;
        EXPECT_EQ(raw.rfind(limits[i], 0), 0u) << raw;
    }
    EXPECT_NE(bands[4], bands[5]);
}

} // namespace
} // namespace orvik
