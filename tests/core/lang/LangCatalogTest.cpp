#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/lang/PlanKeys.h"
#include "core/profile/IniFile.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace orvik {
namespace {

using test::TempDir;
using test::WriteFile;

const std::string ShippedDir = ORVIK_SHIPPED_DATA_DIR;
const std::string BrokenDir = std::string(ORVIK_TEST_DATA_DIR) + "/lang/broken/";

// Moves the file's modification time by `seconds`, so a rewrite within the same clock tick is
// still a change.
void Touch(const std::string& file, int seconds) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += seconds;
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Every lookup of the catalog against the free function on the same file, for every key and
// list the file and the program know.
void ExpectSameAsFreeLookups(const std::string& file) {
    SCOPED_TRACE(file);
    LangCatalog catalog(file, "");
    std::vector<std::string> keys(std::begin(lang::AllStringKeys), std::end(lang::AllStringKeys));
    keys.insert(keys.end(), lang::AllPlanStringKeys.begin(), lang::AllPlanStringKeys.end());
    for (const auto& [key, value] : ini::ReadSection(file, lang::StringSection))
        keys.push_back(key);
    keys.insert(keys.end(), {"", "no such key", "ids_off", " IDS_OFF "});
    for (const std::string& key : keys)
        EXPECT_EQ(catalog.text(key), LoadLangString(file, key)) << key;

    std::vector<int> ids(lang::AllResourceIds.begin(), lang::AllResourceIds.end());
    for (const auto& [key, value] : ini::ReadSection(file, lang::ResourceSection))
        ids.push_back(std::atoi(key.c_str()));
    ids.push_back(99999);
    for (int id : ids)
        EXPECT_EQ(catalog.resource(id), ResourceText(file, id)) << id;

    for (const char* section : {lang::VoiceAnnunciationSection, lang::MonitorKeySection,
                                lang::ScanModeSection, lang::StringSection, "missing"})
        EXPECT_EQ(catalog.numberedList(section), ReadNumberedList(file, section)) << section;

    for (int column = -1; column <= lang::ChTextColumns; ++column) {
        std::string fromCatalog = "unchanged";
        std::string fromFile = "unchanged";
        EXPECT_EQ(catalog.columnHeader(column, fromCatalog),
                  ReadColumnHeader(file, column, fromFile))
            << column;
        EXPECT_EQ(fromCatalog, fromFile) << column;
    }
    EXPECT_EQ(catalog.fileReads(), 1u);
}

TEST(LangCatalog, AnswersAsTheFreeLookupsOnShippedAndBrokenFiles) {
    ExpectSameAsFreeLookups(ShippedDir + "/english.lang");
    ExpectSameAsFreeLookups(ShippedDir + "/chinese.lang");
    ExpectSameAsFreeLookups(BrokenDir + "odd.lang");

    // Values at the edges of the cut and the escapes.
    TempDir dir;
    const std::string file = dir.File("edges.lang");
    const std::string han = "\xE4\xB8\xAD";
    std::string content = "\xEF\xBB\xBF[String]\r\n";
    content += "IDS_OFF=" + std::string(1500, 'a') + "\r\n";
    content += "IDS_YES=" + std::string(998, 'a') + "\\nb\r\n";
    content += "IDS_NO=" + std::string(997, 'a') + "\\nb\r\n";
    content += "IDS_HIGH=a";
    for (int i = 0; i < 333; ++i)
        content += han;
    content += "\r\nIDS_LOW=\"quoted\\t\"\r\nIDS_WIDE=\r\nIDS_NARROW=a\\\\n\r\n";
    content += std::string("IDS_PROMPT=before\0after", 23) + "\r\n";
    content += "[Resource]\r\n101=" + std::string(2000, 'r') + "\r\n1=\r\n";
    content += "[ChText]\r\nIDS_ChText0=" + std::string(40, 'h') + "\r\nIDS_ChText1=\r\n";
    content += "[ScanMode]\r\n0=" + han + han + han + han + han + han + han + han + han + han +
               "\r\n1=x\r\n";
    WriteFile(file, content);
    ExpectSameAsFreeLookups(file);
}

TEST(LangCatalog, ReadsOnceAndAgainOnlyWhenTheFileChanges) {
    TempDir dir;
    const std::string file = dir.File("x.lang");
    WriteFile(file, "[String]\nIDS_OFF=Off\n[MonitorKey]\n0=A\n");
    LangCatalog catalog(file, "");
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(catalog.text("IDS_OFF"), "Off");
        ASSERT_EQ(catalog.numberedList("MonitorKey").size(), 1u);
    }
    EXPECT_EQ(catalog.fileReads(), 1u);

    // Same size, later modification time.
    WriteFile(file, "[String]\nIDS_OFF=Aus\n[MonitorKey]\n0=B\n");
    Touch(file, 10);
    EXPECT_EQ(catalog.text("IDS_OFF"), "Aus");
    EXPECT_EQ(catalog.numberedList("MonitorKey"), std::vector<std::string>{"B"});
    EXPECT_EQ(catalog.fileReads(), 2u);

    // Replaced by another file (a save through rename): another inode.
    WriteFile(dir.File("new.lang"), "[String]\nIDS_OFF=Apagado\n");
    std::filesystem::rename(dir.File("new.lang"), file);
    EXPECT_EQ(catalog.text("IDS_OFF"), "Apagado");
    EXPECT_EQ(catalog.fileReads(), 3u);

    // Choosing the same files again keeps what was read; another language is read.
    catalog.setFiles(file, "");
    EXPECT_EQ(catalog.text("IDS_OFF"), "Apagado");
    EXPECT_EQ(catalog.fileReads(), 3u);
    WriteFile(dir.File("other.lang"), "[String]\nIDS_OFF=Spento\n");
    catalog.setFiles(dir.File("other.lang"), "");
    EXPECT_EQ(catalog.languageFile(), dir.File("other.lang"));
    EXPECT_EQ(catalog.text("IDS_OFF"), "Spento");
    EXPECT_EQ(catalog.fileReads(), 4u);
}

class LangCatalogFallback : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(english, "[String]\nIDS_OFF=Off\nIDS_YES=Yes\nIDS_NO=No\n"
                           "[Resource]\n101=Form\n1021=Band\n"
                           "[MonitorKey]\n0=Monitor\n1=Alarm\n[ChText]\nIDS_ChText0=CH\n");
    }
    TempDir dir;
    std::string english = dir.File("english.lang");
    std::string german = dir.File("german.lang");
};

TEST_F(LangCatalogFallback, MissingKeysComeFromTheFallbackFile) {
    WriteFile(german, "[String]\nIDS_OFF=Aus\nIDS_NO=\n[Resource]\n101=Formular\n"
                      "[ScanMode]\n0=Zeit\n");
    LangCatalog catalog(german, english);
    EXPECT_EQ(catalog.text("IDS_OFF"), "Aus");
    EXPECT_EQ(catalog.text("IDS_YES"), "Yes");        // missing: English
    EXPECT_EQ(catalog.text("IDS_NO"), "");            // present but empty: the language's own
    EXPECT_EQ(catalog.text("IDS_HIGH"), "Not Found"); // in neither
    EXPECT_EQ(catalog.resource(101), "Formular");
    EXPECT_EQ(catalog.resource(1021), "Band");
    EXPECT_EQ(catalog.resource(1022), "");
    // Lists and column headers come from the chosen file only.
    EXPECT_EQ(catalog.numberedList("ScanMode"), std::vector<std::string>{"Zeit"});
    EXPECT_TRUE(catalog.numberedList("MonitorKey").empty());
    std::string header;
    EXPECT_FALSE(catalog.columnHeader(0, header));
    std::string unreadable;
    EXPECT_FALSE(catalog.takeFallbackNotice(unreadable));
    EXPECT_EQ(catalog.fileReads(), 2u);
}

TEST_F(LangCatalogFallback, UnreadableFileIsReplacedAndReportedOncePerFailure) {
    LangCatalog catalog(german, english);
    std::string unreadable;
    // Missing file.
    EXPECT_EQ(catalog.text("IDS_OFF"), "Off");
    EXPECT_EQ(catalog.numberedList("MonitorKey"), (std::vector<std::string>{"Monitor", "Alarm"}));
    std::string header;
    EXPECT_TRUE(catalog.columnHeader(0, header));
    EXPECT_EQ(header, "CH");
    EXPECT_TRUE(catalog.takeFallbackNotice(unreadable));
    EXPECT_EQ(unreadable, german);
    EXPECT_EQ(catalog.resource(101), "Form");
    EXPECT_FALSE(catalog.takeFallbackNotice(unreadable));

    // It appears: its own texts, no notice.
    WriteFile(german, "[String]\nIDS_OFF=Aus\n");
    EXPECT_EQ(catalog.text("IDS_OFF"), "Aus");
    EXPECT_FALSE(catalog.takeFallbackNotice(unreadable));

    // A directory in its place is another failure, reported again.
    std::filesystem::remove(german);
    std::filesystem::create_directory(german);
    EXPECT_TRUE(catalog.takeFallbackNotice(unreadable));
    EXPECT_EQ(catalog.text("IDS_OFF"), "Off");
    EXPECT_FALSE(catalog.takeFallbackNotice(unreadable));

    // Another unreadable language is a new failure.
    catalog.setFiles(dir.File("none.lang"), english);
    EXPECT_TRUE(catalog.takeFallbackNotice(unreadable));
    EXPECT_EQ(unreadable, dir.File("none.lang"));

    // Neither file readable: the defaults of the free lookups.
    catalog.setFiles(dir.File("none.lang"), dir.File("gone.lang"));
    EXPECT_EQ(catalog.text("IDS_OFF"), "Not Found");
    EXPECT_EQ(catalog.resource(101), "");
    EXPECT_TRUE(catalog.numberedList("MonitorKey").empty());

    // The chosen file is the fallback file and is missing: reported all the same.
    LangCatalog englishOnly(dir.File("gone.lang"), dir.File("gone.lang"));
    EXPECT_EQ(englishOnly.text("IDS_OFF"), "Not Found");
    EXPECT_TRUE(englishOnly.takeFallbackNotice(unreadable));
    EXPECT_EQ(unreadable, dir.File("gone.lang"));
}

} // namespace
} // namespace orvik
