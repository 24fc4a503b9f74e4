#pragma once
// String keys of the channel plans and the channel check. Every shipped language file defines
// them; AllPlanStringKeys lists them for the checks of the shipped data.

#include <array>

namespace orvik::lang {

// A note of applying a plan: "%1 to channel %2:" (%1 the plan's channel, %2 the radio's), and a
// pick no channel was left for (%1 the plan's channel).
inline constexpr const char* IDS_PLAN_AT = "IDS_PLAN_AT";
inline constexpr const char* IDS_PLAN_NOT_PLACED = "IDS_PLAN_NOT_PLACED";
// Labels of a plan's description and its channel list.
inline constexpr const char* IDS_PLAN_ID = "IDS_PLAN_ID";
inline constexpr const char* IDS_PLAN_NAME = "IDS_PLAN_NAME";
inline constexpr const char* IDS_PLAN_REGION = "IDS_PLAN_REGION";
inline constexpr const char* IDS_PLAN_CHANNELS = "IDS_PLAN_CHANNELS";
inline constexpr const char* IDS_PLAN_BANDS = "IDS_PLAN_BANDS";
inline constexpr const char* IDS_PLAN_SERVICE = "IDS_PLAN_SERVICE";
inline constexpr const char* IDS_PLAN_REGULATION = "IDS_PLAN_REGULATION";
inline constexpr const char* IDS_PLAN_CHECKED = "IDS_PLAN_CHECKED";
inline constexpr const char* IDS_PLAN_RECEIVE = "IDS_PLAN_RECEIVE";
inline constexpr const char* IDS_PLAN_TRANSMIT = "IDS_PLAN_TRANSMIT";
inline constexpr const char* IDS_PLAN_POWER = "IDS_PLAN_POWER";
inline constexpr const char* IDS_PLAN_BANDWIDTH = "IDS_PLAN_BANDWIDTH";
inline constexpr const char* IDS_PLAN_COMMENT = "IDS_PLAN_COMMENT";
// Values in a plan's channel list: no transmitting, no power limit stated, a frequency the
// radio cannot store exactly, a channel outside a band, the plan's own (user's) mark.
inline constexpr const char* IDS_PLAN_RECEIVE_ONLY = "IDS_PLAN_RECEIVE_ONLY";
inline constexpr const char* IDS_PLAN_NO_LIMIT = "IDS_PLAN_NO_LIMIT";
inline constexpr const char* IDS_PLAN_NOT_STORABLE = "IDS_PLAN_NOT_STORABLE";
inline constexpr const char* IDS_PLAN_OUTSIDE = "IDS_PLAN_OUTSIDE";
inline constexpr const char* IDS_PLAN_OWN = "IDS_PLAN_OWN";

// A finding of the channel check: where ("CH%1 %2 MHz is %4 (%3):" with the plan's channel
// name %4 and the service %3; "CH%1 %2 MHz is in %3:" without a channel), then one clause per
// rule broken (%1 the service, %2 the radio's channel; the Simplex and RepeaterPair clauses'
// %3 the receive frequency; Power: %2 the watts, %3 the channel, %4 High or Low; Bandwidth:
// %3 the word Wide).
inline constexpr const char* IDS_RULE_AT = "IDS_RULE_AT";
inline constexpr const char* IDS_RULE_IN = "IDS_RULE_IN";
inline constexpr const char* IDS_RULE_RECEIVE_ONLY = "IDS_RULE_RECEIVE_ONLY";
inline constexpr const char* IDS_RULE_NO_TRANSMIT = "IDS_RULE_NO_TRANSMIT";
inline constexpr const char* IDS_RULE_REPEATER_INPUT = "IDS_RULE_REPEATER_INPUT";
inline constexpr const char* IDS_RULE_SIMPLEX = "IDS_RULE_SIMPLEX";
inline constexpr const char* IDS_RULE_REPEATER_PAIR = "IDS_RULE_REPEATER_PAIR";
inline constexpr const char* IDS_RULE_POWER = "IDS_RULE_POWER";
inline constexpr const char* IDS_RULE_BANDWIDTH = "IDS_RULE_BANDWIDTH";
// Every list of findings ends with the disclaimer; the other lines say there is nothing to
// report, or that the check is turned off in setting.ini.
inline constexpr const char* IDS_RULE_DISCLAIMER = "IDS_RULE_DISCLAIMER";
inline constexpr const char* IDS_RULE_NONE = "IDS_RULE_NONE";
inline constexpr const char* IDS_RULE_OFF = "IDS_RULE_OFF";

// The window: the menu entries, the plan dialog (its titles; the band a new document gets, %1;
// the plans of other bands shown too; where the channels go; one tone for all; how many are
// ticked, %1, of the room there is, %2; no plan found), the undo step, the status line after
// inserting (%1 channels from plan %2), the Check Channels list, and the write dialog's note
// (%1 channels with findings).
inline constexpr const char* Menu_File_New_Plan = "Menu_File_New_Plan";
inline constexpr const char* Menu_Edit_Insert_Plan = "Menu_Edit_Insert_Plan";
inline constexpr const char* Menu_View_Check = "Menu_View_Check";
inline constexpr const char* IDS_PLAN_INSERT_TITLE = "IDS_PLAN_INSERT_TITLE";
inline constexpr const char* IDS_PLAN_NEW_TITLE = "IDS_PLAN_NEW_TITLE";
inline constexpr const char* IDS_PLAN_NEW_BAND = "IDS_PLAN_NEW_BAND";
inline constexpr const char* IDS_PLAN_OTHER_BANDS = "IDS_PLAN_OTHER_BANDS";
inline constexpr const char* IDS_PLAN_INTO_FREE = "IDS_PLAN_INTO_FREE";
inline constexpr const char* IDS_PLAN_FROM = "IDS_PLAN_FROM";
inline constexpr const char* IDS_PLAN_TONE_ALL = "IDS_PLAN_TONE_ALL";
inline constexpr const char* IDS_PLAN_TICKED = "IDS_PLAN_TICKED";
inline constexpr const char* IDS_PLAN_NO_PLANS = "IDS_PLAN_NO_PLANS";
inline constexpr const char* IDS_STEP_PLAN = "IDS_STEP_PLAN";
inline constexpr const char* IDS_STATUS_PLAN = "IDS_STATUS_PLAN";
inline constexpr const char* IDS_RULE_TITLE = "IDS_RULE_TITLE";
inline constexpr const char* IDS_RULE_WRITE = "IDS_RULE_WRITE";

inline constexpr auto AllPlanStringKeys = std::to_array<const char*>({
    IDS_PLAN_AT,
    IDS_PLAN_NOT_PLACED,
    IDS_PLAN_ID,
    IDS_PLAN_NAME,
    IDS_PLAN_REGION,
    IDS_PLAN_CHANNELS,
    IDS_PLAN_BANDS,
    IDS_PLAN_SERVICE,
    IDS_PLAN_REGULATION,
    IDS_PLAN_CHECKED,
    IDS_PLAN_RECEIVE,
    IDS_PLAN_TRANSMIT,
    IDS_PLAN_POWER,
    IDS_PLAN_BANDWIDTH,
    IDS_PLAN_COMMENT,
    IDS_PLAN_RECEIVE_ONLY,
    IDS_PLAN_NO_LIMIT,
    IDS_PLAN_NOT_STORABLE,
    IDS_PLAN_OUTSIDE,
    IDS_PLAN_OWN,
    IDS_RULE_AT,
    IDS_RULE_IN,
    IDS_RULE_RECEIVE_ONLY,
    IDS_RULE_NO_TRANSMIT,
    IDS_RULE_REPEATER_INPUT,
    IDS_RULE_SIMPLEX,
    IDS_RULE_REPEATER_PAIR,
    IDS_RULE_POWER,
    IDS_RULE_BANDWIDTH,
    IDS_RULE_DISCLAIMER,
    IDS_RULE_NONE,
    IDS_RULE_OFF,
    Menu_File_New_Plan,
    Menu_Edit_Insert_Plan,
    Menu_View_Check,
    IDS_PLAN_INSERT_TITLE,
    IDS_PLAN_NEW_TITLE,
    IDS_PLAN_NEW_BAND,
    IDS_PLAN_OTHER_BANDS,
    IDS_PLAN_INTO_FREE,
    IDS_PLAN_FROM,
    IDS_PLAN_TONE_ALL,
    IDS_PLAN_TICKED,
    IDS_PLAN_NO_PLANS,
    IDS_STEP_PLAN,
    IDS_STATUS_PLAN,
    IDS_RULE_TITLE,
    IDS_RULE_WRITE,
});

} // namespace orvik::lang
