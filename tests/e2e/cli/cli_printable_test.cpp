// Text outputs that repeat a file's name or text show control characters as visible escapes:
// nothing a file holds can set the terminal's title or clear its screen.

#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvik;
namespace fs = std::filesystem;

TEST(CliPrintable, ShowBackupsAndErrorsEscapeControlCharacters) {
    std::string app;
    const std::string root = test::MakeScratchProgramDir("printable", app);
    ASSERT_FALSE(root.empty());
    const std::string evil = "radio\x1b]0;owned\x07\x1b[2J.735";
    std::string error;
    ASSERT_TRUE(SaveDataFile(root + "/" + evil, NewHeaderBlock(), MakeDefaultImage(), &error))
        << error;
    ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/bk\x1b[2J"));

    const test::CliRun shown = test::RunCli(app, {"show", evil}, root);
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_NE(shown.out.find("radio\\x1b]0;owned\\x07\\x1b[2J.735"), std::string::npos)
        << shown.out;
    const test::CliRun missing = test::RunCli(app, {"show", "gone\x1b[2J.735"}, root);
    EXPECT_NE(missing.code, 0);
    EXPECT_NE(missing.err.find("gone\\x1b[2J.735"), std::string::npos) << missing.err;
    const test::CliRun backups = test::RunCli(app, {"backups"}, root);
    EXPECT_NE(backups.out.find("bk\\x1b[2J"), std::string::npos) << backups.out;
    for (const test::CliRun* run : {&shown, &missing, &backups})
        EXPECT_EQ((run->out + run->err).find('\x1b'), std::string::npos) << run->out << run->err;
    fs::remove_all(root);
}
