// The steps around a write and a read: the backup read before a write, the read-back after it
// and the backup of a completed read, in virtual time against a scripted radio.
#include "LinkTestSupport.h"
#include "ScriptedRadio.h"

#include "core/link/TransferSession.h"
#include "core/model/Backup.h"
#include "core/model/DataFile.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orvik::test {
namespace {

namespace fs = std::filesystem;

struct Steps final : TransferObserver {
    void finished(const TransferOutcome& o) override { outcome = o; }
    TransferOutcome outcome;
};

struct Bench {
    Bench() : settings("[setup]\ncom=1\nsearchcom=0\n"), link(clock) {
        link.AddDevice(1, &radio);
        radio.memory.fill(0x11);
        image.fill(0x5A);
        backups.folder = settings.dir + "/backups";
    }
    TransferOutcome Run(bool isRead, bool verify, std::optional<BackupSettings> backup) {
        TransferRequest request;
        request.iniPath = settings.path;
        request.isRead = isRead;
        request.verify = verify;
        request.backup = backup;
        session.start(request, image.data(), link, steps, clock);
        return session.wait();
    }
    std::string Message(const TransferOutcome& o) {
        return TransferMessage(o, [](std::string_view key) { return std::string(key); });
    }
    TempSettings settings;
    VirtualClock clock;
    ScriptedLink link;
    ScriptedRadio radio;
    std::array<std::uint8_t, 4096> image;
    BackupSettings backups;
    TransferSession session;
    Steps steps;
};

TEST(TransferVerify, AWriteIsReadBackAndComparedOverTheBytesSent) {
    {
        Bench b;
        const TransferOutcome o = b.Run(false, true, std::nullopt);
        EXPECT_TRUE(o.succeeded());
        EXPECT_EQ(o.verify, VerifyResult::Verified);
        EXPECT_EQ(b.radio.wakeUps, 2); // the read-back is a session of its own
        EXPECT_EQ(b.radio.readCommands, 124);
        EXPECT_EQ(b.session.phase(), TransferPhase::Verify);
        EXPECT_EQ(b.session.radioImage()[0x3DF], 0x5A);
    }
    {
        // A block stored wrongly but acknowledged: only the read-back sees it.
        Bench b;
        b.radio.script.corruptBlock = 0x30;
        const TransferOutcome o = b.Run(false, true, std::nullopt);
        EXPECT_FALSE(o.succeeded());
        EXPECT_EQ(o.state, TransferState::WriteDone);
        EXPECT_EQ(o.verify, VerifyResult::Mismatch);
        EXPECT_EQ(b.Message(o), "IDS_VERIFY_MISMATCH_BRIEF"); // no list follows here
        EXPECT_EQ(b.session.radioImage()[0x30], 0xA5);
        EXPECT_EQ(b.session.image()[0x30], 0x5A);
    }
    {
        // The radio stops answering after the write: written, but not verified.
        Bench b;
        b.radio.script.silentAfterBlocks = 124;
        const TransferOutcome o = b.Run(false, true, std::nullopt);
        EXPECT_FALSE(o.succeeded());
        EXPECT_EQ(o.verify, VerifyResult::NotVerified);
        EXPECT_EQ(o.endedIn, TransferPhase::Verify);
        EXPECT_EQ(o.verifyState, TransferState::ReadFailed);
        EXPECT_EQ(b.Message(o), "IDS_VERIFY_FAILED");
    }
    {
        // Verify off: one session, as before.
        Bench b;
        const TransferOutcome o = b.Run(false, false, std::nullopt);
        EXPECT_TRUE(o.succeeded());
        EXPECT_EQ(o.verify, VerifyResult::NotRequested);
        EXPECT_EQ(b.radio.wakeUps, 1);
    }
}

TEST(TransferVerify, ABackupReadBeforeAWriteGuardsTheWrite) {
    {
        Bench b;
        b.backups.beforeWrite = true;
        const TransferOutcome o = b.Run(false, true, b.backups);
        EXPECT_TRUE(o.succeeded());
        EXPECT_EQ(b.radio.wakeUps, 3); // backup read, write, read-back
        ASSERT_FALSE(o.backupPath.empty());
        EXPECT_NE(o.backupPath.find("-before-write.735"), std::string::npos);
        HeaderBlock header{};
        RadioImage stored;
        ASSERT_EQ(LoadDataFile(o.backupPath, header, stored, nullptr), LoadStatus::Ok);
        EXPECT_EQ(stored[0], 0x11);     // what the radio held before the write
        EXPECT_EQ(stored[0x3E0], 0x5A); // the rest from the document
    }
    {
        // The backup read fails: nothing is written.
        Bench b;
        b.backups.beforeWrite = true;
        b.radio.script.silentAfterBlocks = 10;
        const TransferOutcome o = b.Run(false, true, b.backups);
        EXPECT_FALSE(o.succeeded());
        EXPECT_EQ(o.endedIn, TransferPhase::Backup);
        EXPECT_EQ(o.state, TransferState::ReadFailed);
        EXPECT_EQ(b.radio.writePackets, 0);
        EXPECT_EQ(b.Message(o), "IDS_PROMPT_READFAIL\nIDS_BACKUP_NOT_WRITTEN");
    }
    if (::geteuid() != 0) {
        // The backup cannot be stored: nothing is written either.
        Bench b;
        b.backups.beforeWrite = true;
        fs::create_directory(b.backups.folder);
        ::chmod(b.backups.folder.c_str(), 0500);
        const TransferOutcome o = b.Run(false, true, b.backups);
        EXPECT_FALSE(o.succeeded());
        EXPECT_EQ(o.endedIn, TransferPhase::Backup);
        EXPECT_EQ(b.radio.writePackets, 0);
        EXPECT_FALSE(o.backupError.empty());
        ::chmod(b.backups.folder.c_str(), 0700);
    }
}

TEST(TransferVerify, ACompletedReadIsBackedUpAndAFailedStoreOnlyWarns) {
    {
        Bench b;
        const TransferOutcome o = b.Run(true, true, b.backups);
        EXPECT_TRUE(o.succeeded());
        EXPECT_EQ(o.verify, VerifyResult::NotRequested); // reads are not read back
        ASSERT_FALSE(o.backupPath.empty());
        EXPECT_NE(o.backupPath.find("-read.735"), std::string::npos);
        EXPECT_EQ(BackupWarning(o, [](std::string_view k) { return std::string(k); }), "");
    }
    {
        // The folder is a file: the read still succeeds, with a warning naming the folder.
        Bench b;
        std::ofstream(b.backups.folder) << "x";
        const TransferOutcome o = b.Run(true, false, b.backups);
        EXPECT_TRUE(o.succeeded());
        EXPECT_TRUE(o.backupPath.empty());
        const std::string warning =
            BackupWarning(o, [](std::string_view k) { return std::string(k) + " %s"; });
        EXPECT_EQ(warning.rfind("IDS_BACKUP_FAILED " + b.backups.folder + "\n", 0), 0u) << warning;
    }
}

} // namespace
} // namespace orvik::test
