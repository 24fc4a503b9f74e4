#include "core/profile/AppPaths.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

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
