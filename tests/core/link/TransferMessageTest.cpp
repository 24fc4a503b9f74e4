// The texts both front ends show for the outcome of a transfer.

#include "LinkTestSupport.h"

#include "core/link/TransferSession.h"

#include <gtest/gtest.h>

#include <fstream>
#include <grp.h>
#include <unistd.h>

namespace orvik::test {
namespace {

using enum TransferState;

// Every key shows as <KEY>; the texts with a placeholder show it.
std::string Lookup(std::string_view key) {
    if (key == "IDS_ERROR_PORT_GROUP")
        return "<GROUP %s / %s>";
    if (key == "IDS_ERROR_PORT_SILENT")
        return "<SILENT %s>";
    if (key == "IDS_WRITE_PARTIAL")
        return "<PARTIAL %d>";
    return "<" + std::string(key) + ">";
}

TransferOutcome Failed(TransferState state, bool isRead = true) {
    TransferOutcome o;
    o.state = state;
    o.isRead = isRead;
    o.firstPortOpened = true;
    o.firstDevicePath = "/dev/ttyUSB0";
    return o;
}

TEST(TransferMessage, PortErrorsSayWhichDeviceAndWhy) {
    TempSettings dir("");
    const std::string device = dir.dir + "/tty";
    std::ofstream(device) << "";
    const group* own = ::getgrgid(::getegid());
    ASSERT_NE(own, nullptr);

    TransferOutcome o = Failed(PortError);
    o.firstPortOpened = false;
    o.firstDevicePath = device;
    o.firstOpenError = OpenError::PermissionDenied;
    o.firstOpenErrorText = "Permission denied";
    const std::string group = own->gr_name;
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_ERROR_PORTCONN>\n\n" + device +
                                              ": Permission denied\n<GROUP " + group + " / " +
                                              group + ">");

    o.firstOpenError = OpenError::Busy;
    o.firstOpenErrorText = "in use by another program";
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_ERROR_PORTCONN>\n\n" + device +
                                              ": in use by another program\n<IDS_ERROR_PORT_BUSY>");

    o.firstOpenError = OpenError::NoDevice;
    o.firstOpenErrorText = "No such file or directory";
    o.searched = true;
    EXPECT_EQ(TransferMessage(o, Lookup),
              "<IDS_ERROR_PORTCONN>\n\n" + device +
                  ": No such file or directory\n<IDS_ERROR_PORT_MISSING>\n<IDS_ERROR_SEARCH_NONE>");

    o.firstDevicePath.clear(); // a port number without a device
    o.searched = false;
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_ERROR_PORTCONN>\n\n<IDS_ERROR_PORT_UNMAPPED>");

    EXPECT_EQ(TransferMessage(Failed(PortError), Lookup),
              "<IDS_ERROR_PORTCONN>\n\n<SILENT /dev/ttyUSB0>");
}

TEST(TransferMessage, EachFailureHasItsOwnTextAndAPartWriteSaysSo) {
    TransferOutcome woke = Failed(PortError);
    woke.wokeUp = true; // the identification brought nothing
    EXPECT_EQ(TransferMessage(woke, Lookup), "<IDS_ERROR_IDENT_TIMEOUT>");
    woke.state = TypeError;
    EXPECT_EQ(TransferMessage(woke, Lookup), "<IDS_ERROR_IDENT_TIMEOUT>");
    EXPECT_EQ(TransferMessage(Failed(ReadFailed), Lookup), "<IDS_PROMPT_READFAIL>");
    EXPECT_EQ(TransferMessage(Failed(ConnectionLost), Lookup), "<IDS_ERROR_LINK_LOST>");
    EXPECT_EQ(TransferMessage(Failed(ReadDone), Lookup), "");

    TransferOutcome write = Failed(WriteProgress, false);
    write.cancelled = true;
    EXPECT_EQ(TransferMessage(write, Lookup), ""); // nothing reached the radio
    write.blocksDone = 37;
    EXPECT_EQ(TransferMessage(write, Lookup), "<PARTIAL 37>");
    write.cancelled = false;
    write.state = ConnectionLost;
    EXPECT_EQ(TransferMessage(write, Lookup), "<IDS_ERROR_LINK_LOST>\n<PARTIAL 37>");
    // A block the radio refused after taking 37: as many reached it.
    write.state = WriteFailed;
    EXPECT_EQ(TransferMessage(write, Lookup), "<IDS_PROMPT_WRITEFAIL>\n<PARTIAL 37>");
    write.blocksDone = 0;
    EXPECT_EQ(TransferMessage(write, Lookup), "<IDS_PROMPT_WRITEFAIL>");

    TransferOutcome read = Failed(ReadProgress);
    read.cancelled = true;
    read.blocksDone = 37;
    EXPECT_EQ(TransferMessage(read, Lookup), "");
}

// Stopped during the read-back: written, not verified (the read-back did not fail). A read-back
// that differed says the differences follow only where the caller lists them.
TEST(TransferMessage, VerifyOutcomesSayWhatHappened) {
    TransferOutcome o = Failed(WriteDone, false);
    o.blocksDone = 124;
    o.endedIn = TransferPhase::Verify;
    o.verify = VerifyResult::NotVerified;
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_VERIFY_FAILED>");
    o.cancelled = true;
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_VERIFY_CANCELLED>");
    o.cancelled = false;
    o.verify = VerifyResult::Mismatch;
    EXPECT_EQ(TransferMessage(o, Lookup), "<IDS_VERIFY_MISMATCH_BRIEF>");
    EXPECT_EQ(TransferMessage(o, Lookup, true), "<IDS_VERIFY_MISMATCH>");
}

} // namespace
} // namespace orvik::test
