#include "core/profile/AppPaths.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>

namespace orvik {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(AppPaths, ExecutableDirectoryIsWhereTheTestRuns) {
    // Test programs are built into the top of the build tree.
    EXPECT_EQ(std::filesystem::canonical(AppPaths::ExecutableDirectory()),
              std::filesystem::canonical(ORVIK_BUILD_DIR));
}

TEST(AppPaths, SettingsFileMustBeARegularFile) {
    TempDir dir;
    AppPaths paths(dir.Path());
    EXPECT_FALSE(paths.SettingsFileExists());
    std::filesystem::create_directory(paths.SettingsFilePath());
    EXPECT_FALSE(paths.SettingsFileExists());
    std::filesystem::remove(paths.SettingsFilePath());
    WriteFile(paths.SettingsFilePath(), "");
    EXPECT_TRUE(paths.SettingsFileExists());
}

struct LanguageCase {
    const char* settings; // nullptr: no setting.ini at all
    const char* locale;
    const char* expected;
};

TEST(AppPaths, ChooseLanguage) {
    const LanguageCase cases[] = {
        {"[setup]\nlanguage=english\n", "zh_CN.UTF-8", "english"},
        {"[setup]\nlanguage=chinese\n", "en_US.UTF-8", "chinese"},
        {"[setup]\nlanguage=  \"klingon\"  \n", "", "klingon"},
        {"[setup]\nlanguage=\n", "zh_CN.UTF-8", "chinese"},
        {"[setup]\nlanguage=\n", "en_US.UTF-8", "english"},
        {"[ModelInfo]\nFreq0=x\n", "zh_CN.UTF-8", "chinese"},
        {"[ModelInfo]\nFreq0=x\n", "zh_SG", "chinese"},
        {"[ModelInfo]\nFreq0=x\n", "zh_Hans", "chinese"},
        {"[ModelInfo]\nFreq0=x\n", "zh_TW.UTF-8", "english"},
        {"[ModelInfo]\nFreq0=x\n", "en_US", "english"},
        {"[ModelInfo]\nFreq0=x\n", "", "english"},
        {nullptr, "zh_CN", "chinese"},
        {nullptr, "de_DE", "english"},
    };
    for (const LanguageCase& c : cases) {
        TempDir dir;
        AppPaths paths(dir.Path());
        if (c.settings)
            WriteFile(paths.SettingsFilePath(), c.settings);
        EXPECT_EQ(paths.ChooseLanguage(c.locale), c.expected)
            << (c.settings ? c.settings : "(none)") << " / " << c.locale;
        EXPECT_EQ(paths.LanguageFilePath(), dir.Path() + "/" + c.expected + ".lang");
    }
}

TEST(AppPaths, LocaleLanguageFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "german"},
        {"de_AT", "german"},
        {"DE-ch", "german"},
        {"es_MX.UTF-8", "spanish"},
        {"fr_CA", "french"},
        {"fr", "french"},
        {"pt_BR.UTF-8", "portuguese"},
        {"pt_PT@euro", "portuguese"},
        {"ru_RU.KOI8-R", "russian"},
        {"ja_JP.eucJP", "japanese"},
        {"zh_CN.UTF-8", "chinese"},
        {"zh_SG", "chinese"},
        {"zh-Hans-HK", "chinese"},
        {"zh_TW.UTF-8", "chinese-traditional"},
        {"zh_HK", "chinese-traditional"},
        {"zh_Hant", "chinese-traditional"},
        {"zh-Hant-CN", "chinese-traditional"},
        {"zh", ""},
        {"it_IT", "italian"},
        {"pl_PL.UTF-8", "polish"},
        {"nl_BE", "dutch"},
        {"cs_CZ", "czech"},
        {"sv_FI", "swedish"},
        {"uk_UA.UTF-8", "ukrainian"},
        {"el_GR", "greek"},
        {"hu_HU", "hungarian"},
        {"ro_RO", "romanian"},
        {"tr_TR.ISO-8859-9", "turkish"},
        {"ko_KR.eucKR", "korean"},
        {"ar_EG.UTF-8", "arabic"},
        {"he_IL", "hebrew"},
        {"iw_IL", "hebrew"},
        {"en_US.UTF-8", ""},
        {"C", ""},
        {"", ""},
        {"deu_DE", ""},
        {"d", ""},
        {"fa_IR", ""},
    };
    for (const auto& [locale, file] : cases)
        EXPECT_EQ(LocaleLanguageFile(locale), file) << locale;
}

// Every language a locale can ask for has a locale for Qt's translations and text direction.
TEST(AppPaths, LanguageFileLocale) {
    const std::pair<const char*, const char*> cases[] = {
        {"english", "en"},
        {"german", "de"},
        {"portuguese", "pt_BR"},
        {"chinese", "zh_CN"},
        {"chinese-traditional", "zh_TW"},
        {"Hebrew", "he"},
        {"arabic", "ar"},
        {"mine", ""},
        {"", ""},
    };
    for (const auto& [title, locale] : cases)
        EXPECT_EQ(LanguageFileLocale(title), locale) << title;
    for (const char* locale : {"de", "fr_CA", "zh_TW", "zh_CN", "ko", "sv", "el", "iw"})
        EXPECT_NE(LanguageFileLocale(LocaleLanguageFile(locale)), "") << locale;
}

// A locale's language is chosen only when its file is there (in either folder), Chinese always.
TEST(AppPaths, ChooseLanguageFollowsTheLocaleWhenItsFileIsThere) {
    TempDir dir;
    AppPaths paths(dir.Path());
    WriteFile(paths.SettingsFilePath(), "[setup]\nlanguage=\n");
    EXPECT_EQ(paths.ChooseLanguage("ru_RU.UTF-8"), "english");
    WriteFile(dir.File("russian.lang"), "[Face]\ndisp=x\n");
    EXPECT_EQ(paths.ChooseLanguage("ru_RU.UTF-8"), "russian");
    EXPECT_EQ(paths.LanguageFilePath(), dir.File("russian.lang"));
    EXPECT_EQ(paths.ChooseLanguage("ja_JP.UTF-8"), "english");
    // A language stored in setting.ini wins over the locale.
    WriteFile(paths.SettingsFilePath(), "[setup]\nlanguage=english\n");
    EXPECT_EQ(paths.ChooseLanguage("ru_RU.UTF-8"), "english");
}

// An installed layout: <prefix>/bin, <prefix>/share/orvik and a user folder not yet there.
struct InstalledLayout : ::testing::Test {
    InstalledLayout() {
        std::filesystem::create_directories(prefix.File("bin"));
        std::filesystem::create_directories(Data());
        WriteFile(Data() + "/setting.ini", "[setup]\nlanguage=english\n");
        WriteFile(Data() + "/english.lang", "[Face]\ndisp=English\n");
        WriteFile(Data() + "/english.html", "<p>help</p>");
        setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
    }
    ~InstalledLayout() override {
        if (savedXdg)
            setenv("XDG_CONFIG_HOME", savedXdg->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    std::string Data() const { return prefix.File("share/orvik"); }
    std::string User() const { return home.File("orvik"); }

    TempDir prefix;
    TempDir home;
    std::optional<std::string> savedXdg =
        std::getenv("XDG_CONFIG_HOME") ? std::optional<std::string>(std::getenv("XDG_CONFIG_HOME"))
                                       : std::nullopt;
};

TEST_F(InstalledLayout, PortableWhenTheExecutablesFolderHoldsSettings) {
    WriteFile(prefix.File("bin/setting.ini"), "");
    const AppPaths paths = AppPaths::Locate(prefix.File("bin/"));
    EXPECT_EQ(paths.AppDirectory(), prefix.File("bin"));
    EXPECT_EQ(paths.DataDirectory(), prefix.File("bin"));
    EXPECT_EQ(paths.LookupFolders(), std::vector<std::string>{prefix.File("bin")});
    EXPECT_TRUE(paths.PrepareSettingsFile());
    EXPECT_FALSE(std::filesystem::exists(User()));
}

TEST_F(InstalledLayout, FirstStartCopiesTheShippedSettingsIntoTheUserFolder) {
    const AppPaths paths = AppPaths::Locate(prefix.File("bin"));
    EXPECT_EQ(paths.AppDirectory(), User());
    EXPECT_EQ(paths.DataDirectory(), Data());
    EXPECT_EQ(paths.SettingsFilePath(), User() + "/setting.ini");
    EXPECT_FALSE(paths.SettingsFileExists());
    ASSERT_TRUE(paths.PrepareSettingsFile());
    EXPECT_EQ(test::ReadFile(paths.SettingsFilePath()), "[setup]\nlanguage=english\n");
    // Later starts keep the user's own settings.
    WriteFile(paths.SettingsFilePath(), "[setup]\ncom=4\n");
    ASSERT_TRUE(paths.PrepareSettingsFile());
    EXPECT_EQ(test::ReadFile(paths.SettingsFilePath()), "[setup]\ncom=4\n");
    // Nothing but setting.ini is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(User()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(InstalledLayout, NoSettingsAnywhereNamesEveryFolderSearched) {
    std::filesystem::remove(Data() + "/setting.ini");
    const AppPaths paths = AppPaths::Locate(prefix.File("bin"));
    EXPECT_FALSE(paths.PrepareSettingsFile());
    EXPECT_EQ(paths.SearchedFolders(),
              (std::vector<std::string>{prefix.File("bin"), User(), Data()}));
    // A single folder that lacks it is no installed layout: nothing is copied from elsewhere.
    EXPECT_FALSE(AppPaths(prefix.File("bin")).PrepareSettingsFile());
    EXPECT_EQ(AppPaths(prefix.File("bin")).SearchedFolders(),
              std::vector<std::string>{prefix.File("bin")});
}

TEST_F(InstalledLayout, UserFilesShadowShippedOnes) {
    AppPaths paths = AppPaths::Locate(prefix.File("bin"));
    ASSERT_TRUE(paths.PrepareSettingsFile());
    EXPECT_EQ(paths.ChooseLanguage(""), "english");
    EXPECT_EQ(paths.LanguageFilePath(), Data() + "/english.lang");
    EXPECT_EQ(paths.EnglishFilePath(), Data() + "/english.lang");
    EXPECT_EQ(paths.HelpFilePath(), Data() + "/english.html");
    // A missing language still names a path, in the shipped folder.
    EXPECT_EQ(paths.LanguageFilePathFor("klingon"), Data() + "/klingon.lang");
    EXPECT_EQ(paths.FindFile("klingon.lang"), "");

    WriteFile(User() + "/english.lang", "[Face]\ndisp=Mine\n");
    WriteFile(User() + "/english.chm", "ITSF");
    EXPECT_EQ(paths.ChooseLanguage(""), "english");
    EXPECT_EQ(paths.LanguageFilePath(), User() + "/english.lang");
    EXPECT_EQ(paths.HelpFilePath(), User() + "/english.chm");
    EXPECT_EQ(paths.LookupFolders(), (std::vector<std::string>{User(), Data()}));
}

TEST_F(InstalledLayout, LocaleLanguageFoundInTheSharedFolder) {
    WriteFile(Data() + "/setting.ini", "[setup]\nlanguage=\n");
    WriteFile(Data() + "/german.lang", "[Face]\ndisp=Deutsch\n");
    AppPaths paths = AppPaths::Locate(prefix.File("bin"));
    ASSERT_TRUE(paths.PrepareSettingsFile());
    EXPECT_EQ(paths.ChooseLanguage("de_DE.UTF-8"), "german");
    EXPECT_EQ(paths.LanguageFilePath(), Data() + "/german.lang");
}

TEST(AppPaths, HelpIsTheChmWhenPresentElseTheHtmlPage) {
    TempDir dir;
    AppPaths paths(dir.Path());
    paths.SetLanguageFilePath(dir.File("english.lang"));
    EXPECT_EQ(paths.HelpFilePath(), dir.File("english.html"));
    WriteFile(dir.File("english.html"), "");
    EXPECT_EQ(paths.HelpFilePath(), dir.File("english.html"));
    WriteFile(dir.File("english.chm"), "ITSF");
    EXPECT_EQ(paths.HelpFilePath(), dir.File("english.chm"));

    // A language without help pages of its own gets the English ones.
    paths.SetLanguageFilePath(dir.File("german.lang"));
    EXPECT_EQ(paths.HelpFilePath(), dir.File("english.chm"));
    WriteFile(dir.File("german.html"), "");
    EXPECT_EQ(paths.HelpFilePath(), dir.File("german.html"));
}

TEST(AppPaths, UserFolderFollowsXdgConfigHomeElseHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    setenv("XDG_CONFIG_HOME", "/x/cfg/", 1);
    EXPECT_EQ(AppPaths::UserConfigDirectory(), "/x/cfg/orvik");
    // A relative value is ignored, as the base-directory rules say.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/h/someone", 1);
    EXPECT_EQ(AppPaths::UserConfigDirectory(), "/h/someone/.config/orvik");
    setenv("HOME", home.c_str(), 1);
    if (savedXdg)
        setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(AppPaths, SimplifiedChineseLocales) {
    for (const char* locale : {"zh_CN", "zh_CN.UTF-8", "zh_CN.GB2312", "zh_SG", "zh_SG.GBK",
                               "zh_Hans", "zh-Hans-CN", "zh_Hans_HK", "ZH-cn", "zh_CN@pinyin"})
        EXPECT_TRUE(IsSimplifiedChineseLocale(locale)) << locale;
    for (const char* locale : {"", "C", "POSIX", "C.UTF-8", "en_US.UTF-8", "zh", "zh_TW.UTF-8",
                               "zh_HK", "zh_Hant", "zh-Hant-CN", "zhx_CN", "en_CN", "cn"})
        EXPECT_FALSE(IsSimplifiedChineseLocale(locale)) << locale;
}

} // namespace
} // namespace orvik
