// What the several-radio front ends say about each radio and about the job: what each radio
// holds, counted by kind, and the places a read-back found different.

#include "core/link/FleetReport.h"

#include <gtest/gtest.h>

namespace orvik {
namespace {

std::string Lookup(std::string_view key) {
    if (key == "IDS_FLEET_TALLY")
        return "%d verified, %d unverified, %d partly, %d not started, %d failed";
    if (key == "IDS_FLEET_CANCELLED_PARTLY" || key == "IDS_FLEET_FAILED_PARTLY")
        return std::string(key) + " %d";
    if (key == "IDS_FLEET_DIFFERENCES")
        return "at %s";
    return std::string(key);
}

FleetOutcome Radio(TransferState state, int blocks, bool cancelled,
                   TransferPhase endedIn = TransferPhase::Transfer,
                   VerifyResult verify = VerifyResult::NotRequested) {
    FleetOutcome o;
    o.transfer.isRead = false;
    o.transfer.state = state;
    o.transfer.blocksDone = blocks;
    o.transfer.cancelled = cancelled;
    o.transfer.endedIn = endedIn;
    o.transfer.verify = verify;
    o.transfer.wokeUp = blocks > 0 || state == TransferState::WriteDone;
    o.transfer.ident = o.transfer.wokeUp ? "SIM" : "";
    o.result = FleetResultOf(o.transfer);
    o.failedStep = FleetFailedStep(o.transfer);
    return o;
}

// Each radio is counted by what it holds: a cancel part-way is partly written (with its block
// count), one before any block is not started, one during the read-back is written but not
// verified; only a radio that could not be written, or differed, is failed.
TEST(FleetTally, EachRadioIsCountedByWhatItHolds) {
    using enum TransferState;
    const std::vector<FleetOutcome> outcomes = {
        Radio(WriteDone, 124, false, TransferPhase::Verify, VerifyResult::Verified),
        Radio(WriteDone, 124, false),
        Radio(WriteDone, 124, true, TransferPhase::Verify, VerifyResult::NotVerified),
        Radio(WriteProgress, 37, true),
        Radio(WriteFailed, 64, false),
        Radio(Busy, 0, true),
        Radio(PortError, 0, false),
        Radio(WriteDone, 124, false, TransferPhase::Verify, VerifyResult::Mismatch),
    };
    EXPECT_EQ(FleetCountText(TallyFleet(outcomes), Lookup),
              "1 verified, 2 unverified, 2 partly, 1 not started, 2 failed");
    EXPECT_EQ(FleetResultText(outcomes[2], Lookup), "IDS_FLEET_CANCELLED_WRITTEN");
    EXPECT_EQ(FleetResultText(outcomes[3], Lookup), "IDS_FLEET_CANCELLED_PARTLY 37");
    EXPECT_EQ(FleetResultText(outcomes[4], Lookup), "IDS_FLEET_FAILED_PARTLY 64");
    EXPECT_EQ(FleetResultText(outcomes[5], Lookup), "IDS_FLEET_CANCELLED");
    EXPECT_EQ(FleetCountText({}, Lookup),
              "0 verified, 0 unverified, 0 partly, 0 not started, 0 failed");

    EXPECT_EQ(FleetDifferencesText({"CH2 RX Freq", "byte 0x3A1"}, Lookup),
              "at CH2 RX Freq, byte 0x3A1");
    EXPECT_EQ(FleetDifferencesText({}, Lookup), "");

    const std::string json = FleetReportJson(outcomes, Lookup, [](const FleetOutcome& o) {
        return o.transfer.verify == VerifyResult::Mismatch
                   ? std::vector<std::string>{"CH2 RX Freq (MHz): 1 -> 2"}
                   : std::vector<std::string>();
    });
    EXPECT_NE(json.find("\"blocksWritten\":37,\"fields\":[]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"fields\":[\"CH2 RX Freq (MHz): 1 -> 2\"]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"verified\":1,\"notVerified\":2,\"partlyWritten\":2,\"notStarted\":1}"),
              std::string::npos)
        << json;
    // The report's message has no list below it.
    EXPECT_NE(json.find("IDS_VERIFY_MISMATCH_BRIEF"), std::string::npos) << json;
}

} // namespace
} // namespace orvik
