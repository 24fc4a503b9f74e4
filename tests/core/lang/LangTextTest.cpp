#include "core/lang/LangText.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvik {
namespace {

using test::TempDir;
using test::WriteFile;

const std::string BrokenDir = std::string(ORVIK_TEST_DATA_DIR) + "/lang/broken/";
const std::string Han = "\xE4\xB8\xAD"; // one three-byte character

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct StringCase {
    const char* name;
    std::string value; // the text after "k=" in section String
    std::string expected;
};

void PrintTo(const StringCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadLangStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(LoadLangStringTest, ReadsAndReplaces) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[String]\nk=" + GetParam().value + "\n");
    EXPECT_EQ(LoadLangString(file, "k"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadLangStringTest,
    ::testing::Values(StringCase{"plain", "Read data", "Read data"},
                      StringCase{"lineBreak", "two\\nlines", "two\nlines"},
                      StringCase{"tab", "&New\\tCtrl+N", "&New\tCtrl+N"},
                      StringCase{"escapedBackslashIsNotSpecial", "a\\\\n", "a\\\n"},
                      StringCase{"cutAt999", std::string(1500, 'a'), std::string(999, 'a')},
                      // The cut comes first: a "\n" split by it stays a lone backslash.
                      StringCase{"cutBeforeReplace", std::string(998, 'a') + "\\nb",
                                 std::string(998, 'a') + "\\"},
                      StringCase{"replaceAfterCut", std::string(997, 'a') + "\\nb",
                                 std::string(997, 'a') + "\n"},
                      StringCase{"utf8Exact", Repeat(Han, 333), Repeat(Han, 333)},
                      StringCase{"utf8NotSplit", "a" + Repeat(Han, 333), "a" + Repeat(Han, 332)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(LoadLangString, NotFoundWhenAnythingIsMissing) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[Resource]\nk=resource\n[String]\nother=1\n");
    EXPECT_EQ(LoadLangString(file, "k"), "Not Found");
    EXPECT_EQ(LoadLangString(dir.File("none.lang"), "k"), "Not Found");
    EXPECT_EQ(LoadLangString(dir.Path(), "k"), "Not Found"); // a directory
    EXPECT_EQ(LoadLangString("", "k"), "Not Found");
    EXPECT_EQ(LoadLangString(BrokenDir + "garbage.lang", "IDS_OFF"), "Not Found");
}

TEST(LoadLangString, ReadsTheFileOnEveryCall) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[String]\nIDS_OFF=Off\n");
    EXPECT_EQ(LoadLangString(file, "ids_off"), "Off");
    WriteFile(file, "[String]\nIDS_OFF=Aus\n");
    EXPECT_EQ(LoadLangString(file, "IDS_OFF"), "Aus");
}

TEST(LangFile, OddButReadableFile) {
    const std::string file = BrokenDir + "odd.lang";
    EXPECT_EQ(LoadLangString(file, "IDS_OFF"), "First");
    EXPECT_EQ(LoadLangString(file, "IDS_EMPTY"), "");
    EXPECT_EQ(LoadLangString(file, "IDS_OTHER"), "Not Found"); // only in a second [string]
    EXPECT_EQ(ReadNumberedList(file, "MonitorKey"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ReadNumberedList(file, "scanmode"), (std::vector<std::string>{"T"}));
    std::string header = "unchanged";
    EXPECT_TRUE(ReadColumnHeader(file, 0, header));
    EXPECT_EQ(header, "CH");
    header = "unchanged";
    EXPECT_FALSE(ReadColumnHeader(file, 1, header)); // empty value, file without final newline
    EXPECT_FALSE(ReadColumnHeader(file, 2, header)); // missing
    EXPECT_EQ(header, "unchanged");
}

TEST(LangFile, GarbageFileGivesEmptyResults) {
    const std::string file = BrokenDir + "garbage.lang";
    EXPECT_TRUE(ReadNumberedList(file, "MonitorKey").empty());
    EXPECT_EQ(ResourceText(file, 100), "");
    std::string header;
    EXPECT_FALSE(ReadColumnHeader(file, 0, header));
}

TEST(LangFile, ResourceTexts) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[Resource]\n100=About\n1=OK\\n\n1015=" + std::string(2000, 'v') +
                        "\n1016=\n[String]\n132=not a resource\n");
    EXPECT_EQ(ResourceText(file, 100), "About");
    EXPECT_EQ(ResourceText(file, 1), "OK\\n"); // no replacement for dialog texts
    EXPECT_EQ(ResourceText(file, 1015), std::string(1023, 'v'));
    EXPECT_EQ(ResourceText(file, 1016), "");
    EXPECT_EQ(ResourceText(file, 132), "");
}

TEST(LangFile, NumberedLists) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[VoiceAnnunciation]\n0=Chinese\n1=English\n3=after gap\n"
                    "[MonitorKey]\n0=" +
                        Repeat(Han, 10) + "\n1=" + std::string(40, 'm') +
                        "\n2=\n3=after empty\n"
                        "[ScanMode]\n00=zero\n1=one\n"
                        "[ChText]\nids_chtext9=" +
                        std::string(35, 'h') + "\n");
    EXPECT_EQ(ReadNumberedList(file, "VoiceAnnunciation"),
              (std::vector<std::string>{"Chinese", "English"}));
    // 29 bytes at most, never inside a character; the empty entry ends the list.
    EXPECT_EQ(ReadNumberedList(file, "MonitorKey"),
              (std::vector<std::string>{Repeat(Han, 9), std::string(29, 'm')}));
    EXPECT_TRUE(ReadNumberedList(file, "ScanMode").empty()); // "00" is not "0"
    EXPECT_TRUE(ReadNumberedList(file, "Missing").empty());
    std::string header;
    EXPECT_TRUE(ReadColumnHeader(file, 9, header));
    EXPECT_EQ(header, std::string(29, 'h'));
}

TEST(BandNames, StopAtFirstMissingOrEmptyAtMostSixteen) {
    TempDir dir;
    const std::string file = dir.File("setting.ini");
    WriteFile(file, "[ModelInfo]\nFreq0=a\nFreq1=b\nFreq2=c\nFreq3=d\nFreq5=f\n");
    EXPECT_EQ(ReadBandNames(file), (std::vector<std::string>{"a", "b", "c", "d"}));

    WriteFile(file, "[modelinfo]\nFreq0=a\nFreq1=\nFreq2=c\n");
    EXPECT_EQ(ReadBandNames(file), (std::vector<std::string>{"a"}));

    std::string many = "[ModelInfo]\n";
    for (int i = 0; i < 20; ++i)
        many += "Freq" + std::to_string(i) + "=band" + std::to_string(i) + "\n";
    WriteFile(file, many + "Freq0=later duplicate\n");
    const auto bands = ReadBandNames(file);
    ASSERT_EQ(bands.size(), 16u);
    EXPECT_EQ(bands.front(), "band0");
    EXPECT_EQ(bands.back(), "band15");

    WriteFile(file, "[ModelInfo]\nFreq0=" + std::string(30, 'x') + "\n");
    EXPECT_EQ(ReadBandNames(file), (std::vector<std::string>{std::string(29, 'x')}));
}

TEST(BandNames, ShippedNamesWhenTheFileListsNone) {
    TempDir dir;
    const std::string file = dir.File("setting.ini");
    const auto shipped = ReadBandNames(std::string(ORVIK_SHIPPED_DATA_DIR) + "/setting.ini");
    ASSERT_EQ(shipped.size(), 6u);
    EXPECT_EQ(ReadBandNames(dir.File("none.ini")), shipped);
    WriteFile(file, "[setup]\nlanguage=english\n");
    EXPECT_EQ(ReadBandNames(file), shipped);
    WriteFile(file, "[ModelInfo]\nFreq0=\nFreq1=b\n");
    EXPECT_EQ(ReadBandNames(file), shipped);
}

// A program directory with language files of every kind.
class LanguageListing : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir.File("english.lang"), "[Face]\ndisp=English\n");
        WriteFile(dir.File("chinese.lang"), "[Face]\ndisp=" + Repeat(Han, 4) + "\n");
        WriteFile(dir.File("amer.lang"), "[Face]\ndisp=English (US)\n"); // before english
        WriteFile(dir.File("anon.lang"), "[String]\nIDS_OFF=Off\n");     // no disp
        WriteFile(dir.File("blank.lang"), "[Face]\ndisp=\n");            // left out
        WriteFile(dir.File("english2.lang"), "[Face]\ndisp=English\n");  // duplicate
        WriteFile(dir.File("englishuk.lang"), "[Face]\ndisp=English (UK)\n");
        WriteFile(dir.File("long.lang"), "[Face]\ndisp=" + std::string(150, 'L') + "\n");
        WriteFile(dir.File("notes.txt"), "[Face]\ndisp=Text\n");
        WriteFile(dir.File("english.lang.bak"), "[Face]\ndisp=Backup\n");
        std::filesystem::create_directory(dir.File("folder.lang"));
        WriteFile(dir.File("folder.lang/inner.lang"), "[Face]\ndisp=Inner\n");
    }
    TempDir dir;
};

TEST_F(LanguageListing, ListsRegularLangFilesInNameOrder) {
    const auto entries = ListLanguageFiles(dir.Path());
    std::vector<std::string> titles, displays;
    for (const auto& e : entries) {
        titles.push_back(e.title);
        displays.push_back(e.display);
        EXPECT_EQ(e.path, dir.Path() + "/" + e.title + ".lang");
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"amer", "anon", "chinese", "english", "english2",
                                                "englishuk", "long"}));
    EXPECT_EQ(displays,
              (std::vector<std::string>{"English (US)", "-----", Repeat(Han, 4), "English",
                                        "English", "English (UK)", std::string(99, 'L')}));
    EXPECT_TRUE(ListLanguageFiles(dir.File("missing")).empty());
    EXPECT_TRUE(ListLanguageFiles(dir.File("notes.txt")).empty());
}

TEST_F(LanguageListing, SeveralFoldersEarlierFileNamesShadowLaterOnes) {
    TempDir user;
    WriteFile(user.File("english.lang"), "[Face]\ndisp=Mine\n");
    WriteFile(user.File("zulu.lang"), "[Face]\ndisp=Zulu\n");
    const auto entries = ListLanguageFiles({user.Path(), dir.Path(), user.Path()});
    std::vector<std::string> paths;
    for (const auto& e : entries)
        paths.push_back(e.path);
    EXPECT_EQ(paths, (std::vector<std::string>{user.File("english.lang"), user.File("zulu.lang"),
                                               dir.File("amer.lang"), dir.File("anon.lang"),
                                               dir.File("chinese.lang"), dir.File("english2.lang"),
                                               dir.File("englishuk.lang"), dir.File("long.lang")}));
    EXPECT_EQ(entries[0].display, "Mine");
    EXPECT_TRUE(ListLanguageFiles(std::vector<std::string>{}).empty());
}

TEST_F(LanguageListing, PreselectionIgnoresCaseOfThePath) {
    const auto entries = ListLanguageFiles(dir.Path());
    EXPECT_EQ(PreselectedLanguage(entries, dir.Path() + "/chinese.lang"), 2);
    std::string upper = dir.Path() + "/ENGLISHUK.LANG";
    EXPECT_EQ(PreselectedLanguage(entries, upper), 5);
    // "English" selects the first entry with that text, not "English (US)" listed before it.
    EXPECT_EQ(PreselectedLanguage(entries, dir.Path() + "/english2.lang"), 3);
    EXPECT_EQ(PreselectedLanguage(entries, dir.Path() + "/blank.lang"), -1);
    EXPECT_EQ(PreselectedLanguage(entries, dir.Path() + "/folder.lang"), -1);
    EXPECT_EQ(PreselectedLanguage(entries, ""), -1);
    EXPECT_EQ(PreselectedLanguage({}, dir.Path() + "/english.lang"), -1);
}

TEST_F(LanguageListing, MatchOnOkIsCaseSensitiveFirstWins) {
    const auto entries = ListLanguageFiles(dir.Path());
    EXPECT_EQ(MatchLanguage(entries, "English"), 3);
    EXPECT_EQ(entries[3].title, "english");
    EXPECT_EQ(MatchLanguage(entries, "english"), -1);
    EXPECT_EQ(MatchLanguage(entries, "English (UK)"), 5);
    EXPECT_EQ(MatchLanguage(entries, "-----"), 1);
    EXPECT_EQ(MatchLanguage(entries, ""), -1);
    EXPECT_EQ(MatchLanguage(entries, "Inner"), -1);
}

} // namespace
} // namespace orvik
