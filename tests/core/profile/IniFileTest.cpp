#include "core/profile/IniFile.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvik {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string BrokenDir = std::string(ORVIK_TEST_DATA_DIR) + "/profile/broken/";

struct ReadCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    std::size_t bufferSize;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, GetString) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("t.ini");
    WriteFile(path, c.content);
    EXPECT_EQ(ini::GetString(path, c.section, c.key, "DEF", c.bufferSize), c.expected);
}

const std::string Chinese = "\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87"; // 4 x 3 bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        ReadCase{"plain", "[a]\nk=v\n", "a", "k", 100, "v"},
        ReadCase{"caseInsensitive", "[SeTuP]\nLanguage=x\n", "setup", "LANGUAGE", 100, "x"},
        ReadCase{"trimmed", "  [ a ]  \n\t k \t=  v w \t\n", "a", "k", 100, "v w"},
        ReadCase{"quotesStripped", "[a]\nk= \" v \" \n", "a", "k", 100, " v "},
        ReadCase{"onlyOnePairOfQuotes", "[a]\nk=\"\"v\"\"\n", "a", "k", 100, "\"v\""},
        ReadCase{"loneQuoteKept", "[a]\nk=\"\n", "a", "k", 100, "\""},
        ReadCase{"firstSectionWins", "[a]\nx=1\n[b]\nk=2\n[A]\nk=3\n", "a", "k", 100, "DEF"},
        ReadCase{"valueHoldsEquals", "[a]\nk=x=y\n", "a", "k", 100, "x=y"},
        ReadCase{"lineWithoutEquals", "[a]\nk\nk v\nk=v\n", "a", "k", 100, "v"},
        ReadCase{"crlf", "[a]\r\nk=v\r\n", "a", "k", 100, "v"},
        ReadCase{"bom", "\xEF\xBB\xBF[a]\nk=v\n", "a", "k", 100, "v"},
        ReadCase{"noFinalNewline", "[a]\nk=v", "a", "k", 100, "v"},
        ReadCase{"lineWithoutBracketIsNoSection", "[a]\n[b\nk=v\n", "a", "k", 100, "v"},
        ReadCase{"sectionUpToLastBracket", "[a]b]\nk=v\n", "a]b", "k", 100, "v"},
        ReadCase{"cutToBuffer", "[a]\nk=abcdef\n", "a", "k", 4, "abc"},
        ReadCase{"bufferOfOne", "[a]\nk=abcdef\n", "a", "k", 1, ""},
        ReadCase{"utf8NotSplitLead", "[a]\nk=" + Chinese + "\n", "a", "k", 12,
                 Chinese.substr(0, 9)},
        ReadCase{"utf8NotSplitMiddle", "[a]\nk=" + Chinese + "\n", "a", "k", 5,
                 Chinese.substr(0, 3)},
        ReadCase{"utf8CutAtBoundary", "[a]\nk=" + Chinese + "\n", "a", "k", 7,
                 Chinese.substr(0, 6)},
        ReadCase{"nulEndsValue", std::string("[a]\nk=ab\0cd\n", 12), "a", "k", 100, "ab"}),
    [](const auto& test) { return std::string(test.param.name); });

struct IntCase {
    const char* value;
    int expected;
};

TEST(IniInt, ParsesLikeTheProfileFunction) {
    const IntCase cases[] = {
        {"12", 12},
        {"  -7", -7},
        {"\t+3x", 3},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"0x10", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999", INT_MIN},
        {"1 2", 1},
        {"no", 0},
    };
    TempDir dir;
    const std::string path = dir.File("t.ini");
    for (const IntCase& c : cases) {
        WriteFile(path, std::string("[setup]\ncom=") + c.value + "\n");
        EXPECT_EQ(ini::GetInt(path, "setup", "com", 42), c.expected) << "value '" << c.value << "'";
        EXPECT_EQ(ini::ParseProfileInt(c.value), c.expected) << "text '" << c.value << "'";
    }
    WriteFile(path, "[setup]\ncom=\"5\"\n"); // quotes are stripped before parsing
    EXPECT_EQ(ini::GetInt(path, "setup", "com", 42), 5);
    EXPECT_EQ(ini::GetInt(path, "setup", "missing", 42), 42);
    EXPECT_EQ(ini::GetInt(dir.File("none.ini"), "setup", "com", -3), -3);
}

TEST(IniBadInput, BrokenFilesReadWithoutHarm) {
    EXPECT_EQ(ini::GetInt(BrokenDir + "garbage.ini", "setup", "com", 1), 4);
    EXPECT_EQ(ini::GetString(BrokenDir + "garbage.ini", "x", "y", "d", 260), "d");

    const std::string noEq = BrokenDir + "no-equals.ini";
    EXPECT_EQ(ini::GetString(noEq, "setup", "com", "d", 260), "d");
    EXPECT_EQ(ini::GetString(noEq, "setup", "language", "d", 260), "d");
    EXPECT_EQ(ini::GetString(noEq, "ModelInfo", "Freq0", "d", 260), "470-490MHz");
    EXPECT_EQ(ini::GetString(noEq, "", "orphan", "d", 260), "d");

    const std::string bom = BrokenDir + "bom-crlf.ini";
    EXPECT_EQ(ini::GetString(bom, "setup", "language", "", 260), "chinese");
    EXPECT_EQ(ini::GetInt(bom, "setup", "com", 1), 3);
    EXPECT_EQ(ini::GetString(bom, "ports", "com3", "", 260), "/dev/ttyUSB2");

    // Invalid UTF-8 is cut as bytes, never read past the value.
    const std::string bad = BrokenDir + "bad-utf8.ini";
    EXPECT_EQ(ini::GetString(bad, "s", "cont", "", 3), "\x80\x80");
    EXPECT_EQ(ini::GetString(bad, "s", "trunc", "", 100), "abcd\xE7\xAE");
    EXPECT_EQ(ini::GetString(bad, "s", "trunc", "", 6), "abcd");
}

TEST(IniBadInput, HugeLineAndNonFiles) {
    TempDir dir;
    const std::string path = dir.File("big.ini");
    const std::string huge(1 << 20, 'x');
    WriteFile(path, "[a]\nbig=" + huge + "\nk=after\n" + huge + "\n");
    EXPECT_EQ(ini::GetString(path, "a", "big", "", 1000), huge.substr(0, 999));
    EXPECT_EQ(ini::GetString(path, "a", "k", "", 100), "after");

    // A directory or a FIFO at the path reads as missing (and the FIFO does not block).
    EXPECT_EQ(ini::GetString(dir.Path(), "a", "k", "def", 100), "def");
    EXPECT_EQ(ini::GetInt(dir.Path(), "a", "k", 9), 9);
    const std::string fifo = dir.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ini::GetString(fifo, "a", "k", "def", 100), "def");
    EXPECT_FALSE(ini::WriteString(fifo, "a", "k", "v"));
    EXPECT_EQ(ini::GetString(dir.File("missing.ini"), "a", "k", "def", 100), "def");
}

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, KeepsEveryOtherLine) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("t.ini");
    WriteFile(path, c.before);
    ASSERT_TRUE(ini::WriteString(path, c.section, c.key, c.value));
    EXPECT_EQ(ReadFile(path), c.after);
    EXPECT_EQ(ini::GetString(path, c.section, c.key, "DEF", 1000), c.value);
    // Nothing but the file itself is left in the directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    ::testing::Values(
        WriteCase{"replaceInPlace", "; c\n[setup]\n  Com = 1 \nx=y\n", "SETUP", "com", "7",
                  "; c\n[setup]\n  Com=7\nx=y\n"},
        WriteCase{"replaceFirstOfDuplicates", "[a]\nk=1\nk=2\n", "a", "k", "3", "[a]\nk=3\nk=2\n"},
        WriteCase{"replaceKeepsCrlfAndBom", "\xEF\xBB\xBF[a]\r\nk=1\r\nz=\x01\xFF\r\n", "a", "k",
                  "2", "\xEF\xBB\xBF[a]\r\nk=2\r\nz=\x01\xFF\r\n"},
        WriteCase{"replaceOnLastLineWithoutNewline", "[a]\nk=1", "a", "k", "22", "[a]\nk=22"},
        WriteCase{"appendKeyAtEndOfSection", "[a]\nx=1\n\n[b]\ny=2\n", "a", "k", "v",
                  "[a]\nx=1\nk=v\n\n[b]\ny=2\n"},
        WriteCase{"appendKeyInFirstOfDuplicateSections", "[a]\nx=1\n[a]\nk=old\n", "a", "k", "v",
                  "[a]\nx=1\nk=v\n[a]\nk=old\n"},
        WriteCase{"appendKeyAfterLastLineWithoutNewline", "[a]\nx=1", "a", "k", "v",
                  "[a]\nx=1\nk=v\n"},
        WriteCase{"appendKeyCrlf", "[a]\r\nx=1\r\n", "a", "k", "v", "[a]\r\nx=1\r\nk=v\r\n"},
        WriteCase{"appendKeyToEmptySection", "[a]\n[b]\n", "a", "k", "v", "[a]\nk=v\n[b]\n"},
        WriteCase{"appendSection", "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"appendSectionNoFinalNewline", "[a]\nx=1", "b", "k", "v",
                  "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"appendSectionAfterBlankLine", "[a]\nx=1\n\n", "b", "k", "v",
                  "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"appendSectionAfterLoneBom", "\xEF\xBB\xBF", "a", "k", "v",
                  "\xEF\xBB\xBF[a]\nk=v\n"},
        WriteCase{"createFile", "", "setup", "language", "chinese", "[setup]\nlanguage=chinese\n"},
        // Found by fuzzing: untrimmed names wrote a second "[ports]" that no lookup reached.
        WriteCase{"namesAreTrimmed", "[ports]\nx=1\n[b]\n", " ports\t", " C ", "2",
                  "[ports]\nx=1\nC=2\n[b]\n"},
        WriteCase{"garbageLinesKept", "junk\n[a\n=\n[a]\n;k=c\nk\n", "a", "k", "v",
                  "junk\n[a\n=\n[a]\n;k=c\nk\nk=v\n"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(IniWrite, BadTargetsAndValuesChangeNothing) {
    TempDir dir;
    // A directory at the path.
    EXPECT_FALSE(ini::WriteString(dir.Path(), "a", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
    // A missing directory.
    EXPECT_FALSE(ini::WriteString(dir.File("no/such/t.ini"), "a", "k", "v"));

    const std::string path = dir.File("t.ini");
    const std::string before = "[a]\nk=1\n";
    WriteFile(path, before);
    EXPECT_FALSE(ini::WriteString(path + "/x.ini", "a", "k", "v")); // a file as directory
    // Texts that would add or break lines are refused.
    EXPECT_FALSE(ini::WriteString(path, "a", "k", "1\n[b]\nz=2"));
    EXPECT_FALSE(ini::WriteString(path, "a", "k", "1\r2"));
    EXPECT_FALSE(ini::WriteString(path, "a]x", "k", "v"));
    EXPECT_FALSE(ini::WriteString(path, "a", "k=j", "v"));
    EXPECT_FALSE(ini::WriteString(path, "a", "", "v"));
    EXPECT_FALSE(ini::WriteString(path, "", "k", "v"));
    EXPECT_FALSE(ini::WriteString(path, "a", ";k", "v"));
    EXPECT_FALSE(ini::WriteString(path, "a", std::string_view("k\0", 2), "v"));
    EXPECT_EQ(ReadFile(path), before);
}

TEST(IniWrite, HugeAndBinaryContentSurvivesAWrite) {
    TempDir dir;
    const std::string path = dir.File("t.ini");
    std::string garbage = ReadFile(BrokenDir + "garbage.ini");
    garbage += std::string(1 << 20, 'y'); // a 1 MB line without final newline
    WriteFile(path, garbage);
    ASSERT_TRUE(ini::WriteString(path, "setup", "com", "9"));
    ASSERT_TRUE(ini::WriteString(path, "new", "k", "v"));
    const std::string after = ReadFile(path);
    EXPECT_EQ(ini::GetInt(path, "setup", "com", 0), 9);
    EXPECT_EQ(ini::GetString(path, "new", "k", "", 10), "v");
    // Everything but the replaced line is still there, in order.
    const auto at = garbage.find("com=4");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(after.substr(0, at), garbage.substr(0, at));
    EXPECT_EQ(after.substr(at, 5), "com=9");
    EXPECT_EQ(after.substr(at + 5, garbage.size() - at - 5), garbage.substr(at + 5));
    EXPECT_EQ(after.substr(garbage.size()), "\n\n[new]\nk=v\n");
}

TEST(IniWrite, KeepsModeAndWritesThroughSymlink) {
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteFile(real, "[a]\nk=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(ini::WriteString(link, "a", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[a]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A read-only settings file is left alone, as a plain write would leave it. As root the write runs
// in a child that first becomes the "nobody" user (root may write anything).
TEST(IniWrite, ReadOnlyFileIsNotReplaced) {
    TempDir dir;
    const std::string path = dir.File("setting.ini");
    WriteFile(path, "[setup]\ncom=1\n");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    bool written = true;
    if (::geteuid() != 0) {
        written = ini::WriteString(path, "setup", "com", "5");
    } else {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            ::_exit(ini::WriteString(path, "setup", "com", "5") ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        written = !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), "[setup]\ncom=1\n");
}

} // namespace
} // namespace orvik
