// The one request builder every front end uses, and the one report of a read-back that differs.

#include "LinkTestSupport.h"

#include "core/lang/LangCatalog.h"
#include "core/link/TransferOutcome.h"
#include "core/link/TransferRequest.h"
#include "core/model/RadioImage.h"

#include <gtest/gtest.h>

#include <optional>

namespace orvik::test {
namespace {

// What the caller chose wins over setting.ini; what it left unset comes from there. A read is
// never verified, and always carries the backup folder (a completed read is stored).
TEST(TransferRequest, TheCallersChoicesWinAndTheRestComesFromTheSettings) {
    TempSettings settings("[setup]\ncom=1\n[backup]\nbefore_write=1\ndir=/tmp/ini-backups\n"
                          "[safety]\nverify=0\n");
    struct Case {
        const char* name;
        bool isRead;
        std::optional<bool> backupFirst;
        std::optional<bool> verify;
        bool expectBackupFirst;
        bool expectVerify;
    } cases[] = {
        {"write as set", false, std::nullopt, std::nullopt, true, false},
        {"write, boxes unticked", false, false, false, false, false},
        {"write, verify asked", false, std::nullopt, true, true, true},
        {"read", true, std::nullopt, true, true, false},
    };
    for (const Case& c : cases) {
        TransferChoices choices;
        choices.isRead = c.isRead;
        choices.iniPath = settings.path;
        choices.port = 7;
        choices.search = 0;
        choices.backupFirst = c.backupFirst;
        choices.verify = c.verify;
        const TransferRequest r = MakeTransferRequest(choices);
        EXPECT_EQ(r.isRead, c.isRead) << c.name;
        EXPECT_EQ(r.port, 7) << c.name;
        EXPECT_EQ(r.search, 0) << c.name;
        ASSERT_TRUE(r.backup.has_value()) << c.name;
        EXPECT_EQ(r.backup->folder, "/tmp/ini-backups") << c.name;
        EXPECT_EQ(r.verify, c.expectVerify) << c.name;
        if (!c.isRead) {
            EXPECT_EQ(r.backup->beforeWrite, c.expectBackupFirst) << c.name;
        }
    }
    // Backup settings of the caller's own (a several-radio job's) replace the settings' folder.
    TransferChoices own;
    own.isRead = false;
    own.iniPath = settings.path;
    own.backup = BackupSettings{"/tmp/own", 3, false};
    own.backupFirst = true;
    const TransferRequest r = MakeTransferRequest(own);
    EXPECT_EQ(r.backup->folder, "/tmp/own");
    EXPECT_EQ(r.backup->keep, 3);
    EXPECT_TRUE(r.backup->beforeWrite);
}

// The report names each differing field; asked for at most N, it lists N and counts them all.
TEST(TransferRequest, TheMismatchReportListsTheFieldsAndCountsTheRest) {
    TempSettings settings("[setup]\ncom=1\n");
    const std::string english = std::string(ORVIK_SHIPPED_DATA_DIR) + "/english.lang";
    LangCatalog catalog(english, english);
    RadioImage written = MakeDefaultImage();
    RadioImage radio = written;
    for (int i = 0; i < 0x3E0; i += 8)
        radio[static_cast<std::size_t>(i)] ^= 0xFF;
    radio[0x3E5] ^= 0xFF; // beyond the bytes sent: never reported

    const std::vector<std::uint16_t> offsets = MismatchOffsets(written.data(), radio.data());
    ASSERT_EQ(offsets.size(), 124u);
    EXPECT_EQ(OffsetText(offsets[1]), "0x008");

    const auto all = MismatchLines(written.data(), radio.data(), catalog, settings.path);
    ASSERT_GT(all.size(), 20u);
    const auto listed = MismatchLines(written.data(), radio.data(), catalog, settings.path, 20);
    ASSERT_EQ(listed.size(), 21u);
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(listed[i], all[i]);
    EXPECT_EQ(listed[20], std::to_string(all.size()) + " differences.");
    EXPECT_TRUE(MismatchLines(written.data(), written.data(), catalog, settings.path).empty());
}

} // namespace
} // namespace orvik::test
